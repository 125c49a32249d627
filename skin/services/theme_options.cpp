// Theme colours, theme image and window backgrounds.
#include <cmath>
#include <cstdint>

#include "plus/plus_image.h"
#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/services/background_picture.h"
#include "skin/services/theme_images.h"

namespace skin {

namespace {

constexpr int kAverageSamples = 2000;

// Decodes a source into a bitmap; false when it cannot be decoded.
bool LoadBitmap(const ImageSource& image, plus::PlusBitmap& bitmap) {
    if (!image.file.empty()) return bitmap.CreateFromFile(image.file);
    if (image.bytes.empty()) return false;
    return bitmap.CreateFromStream(ByteSet(image.bytes.begin(), image.bytes.end()));
}

// The current local date and time as days since 30 December 1899, with the time as fraction.
double LocalDateInDays() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    double days = 0;
    return SystemTimeToVariantTime(&now, &days) ? days : 0.0;
}

// One draw of a generator seeded with `seed` (a splitmix64 step, so that neighbouring seeds
// give unrelated positions): an integer in [low, high].
int RandomInRange(std::uint64_t seed, int low, int high) {
    std::uint64_t z = seed + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return low + static_cast<int>(z % static_cast<std::uint64_t>(high - low + 1));
}

COLORREF AverageBitmapColour(plus::PlusBitmap& bitmap, int sampleCount, int marginX, int marginY) {
    const int width = static_cast<int>(bitmap.GetWidth());
    const int height = static_cast<int>(bitmap.GetHeight());
    if (width < 1 || height < 1 || sampleCount < 1) return 0xFF000000;
    // Sample positions are counted from 1; a margin narrows them to the far edge.
    const int xMin = marginX < 1 ? 1 : std::max(1, width - marginX);
    const int yMin = marginY < 1 ? 1 : std::max(1, height - marginY);
    const double today = LocalDateInDays();
    std::uint64_t red = 0, green = 0, blue = 0;
    for (int i = 1; i <= sampleCount; ++i) {
        const int x =
            RandomInRange(static_cast<std::uint64_t>(std::floor(today + 3.0 * i)), xMin, width);
        const int y =
            RandomInRange(static_cast<std::uint64_t>(std::floor(today + i)), yMin, height);
        const COLORREF c = ToColorRef(bitmap.GetPixel(x - 1, y - 1));
        red += GetRValue(c);
        green += GetGValue(c);
        blue += GetBValue(c);
    }
    const auto average = [&](std::uint64_t sum) {
        return static_cast<BYTE>(std::lround(static_cast<double>(sum) / sampleCount));
    };
    return 0xFF000000 | RGB(average(red), average(green), average(blue));
}

ByteSet BlendBitmapEdges(plus::PlusBitmap& image, COLORREF colour, EdgeVariant variant) {
    const int width = static_cast<int>(image.GetWidth());
    const int height = static_cast<int>(image.GetHeight());
    if (width < 1 || height < 1) return {};
    const auto band = static_cast<float>(std::floor(0.3 * width));
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);

    plus::PlusBitmap blended;
    if (!blended.Create(width, height, plus::Format32bppARGB)) return {};
    {
        plus::PlusGraphics graphics;
        if (!graphics.CreateFromImage(blended)) return {};
        graphics.DrawImageRect(image, 0, 0, w, h);

        plus::PlusLinearBrush side;
        if (variant == EdgeVariant::Left) {
            side.Create({0, 0}, {band, 0}, ToArgb(colour, 255), ToArgb(0x00FFFFFF, 0));
            graphics.FillRectangle(side, 0, 0, band, h);
        } else {
            side.Create({w - band, 0}, {w, 0}, ToArgb(0x00FFFFFF, 0), ToArgb(colour, 255));
            graphics.FillRectangle(side, w - band + 1, 0, band, h);
        }
        plus::PlusLinearBrush bottom;
        bottom.Create({0, h - band}, {0, h}, ToArgb(colour, 0), ToArgb(colour, 255));
        graphics.FillRectangle(bottom, 0, h - band + 1, w, band);
    }
    return blended.SaveToBytes(kPngFormat);
}

// The theme image prepared for its mode: edge-blended for modes 0 and 1, otherwise the bytes as
// given (a file is re-encoded as PNG).
ByteSet PrepareImage(const ImageSource& source, plus::PlusBitmap& bitmap, COLORREF colour,
                     int mode) {
    if (mode == kImageBlendRight) return BlendBitmapEdges(bitmap, colour, EdgeVariant::Right);
    if (mode == kImageBlendLeft) return BlendBitmapEdges(bitmap, colour, EdgeVariant::Left);
    if (!source.file.empty()) return bitmap.SaveToBytes(kPngFormat);
    return ByteSet(source.bytes.begin(), source.bytes.end());
}

// Keeps the picture the painters need from the image already decoded, so that the first
// repaint does not decode it again. Edge-blended images were re-encoded after blending; they
// are decoded once, at their first repaint.
void KeepDecoded(BackgroundPicture& cache, const ByteSet& prepared, int mode,
                 plus::PlusBitmap& decoded) {
    if (mode == kImageBlendRight || mode == kImageBlendLeft) return;
    CachedPicture(cache, prepared, mode, SIZE{0, 0}, &decoded);
}

} // namespace

COLORREF AverageImageColour(const ImageSource& image, int sampleCount, int marginX, int marginY) {
    plus::PlusBitmap bitmap;
    if (!LoadBitmap(image, bitmap)) return 0xFF000000;
    return AverageBitmapColour(bitmap, sampleCount, marginX, marginY);
}

ByteSet BlendImageEdges(const ImageSource& image, COLORREF colour, EdgeVariant variant) {
    plus::PlusBitmap bitmap;
    if (!LoadBitmap(image, bitmap)) return {};
    return BlendBitmapEdges(bitmap, colour, variant);
}

bool ImageDecodes(const ImageSource& image) {
    plus::PlusBitmap bitmap;
    return LoadBitmap(image, bitmap);
}

void SkinEngine::SetTheme(const std::string& imageFile, const ByteSet& imageData,
                          std::optional<COLORREF> themeColour, std::optional<COLORREF> accentColour,
                          std::optional<int> mode) {
    const bool accentFollowsTheme = accentColour == kAccentFollowsTheme;
    if (!accentFollowsTheme) Engine.AccentColour = accentColour.value_or(kDefaultAccentColour);

    if (!imageFile.empty() || !imageData.empty()) {
        const ImageSource source =
            !imageFile.empty() ? ImageSource::File(imageFile) : ImageSource::Bytes(imageData);
        plus::PlusBitmap bitmap;
        if (LoadBitmap(source, bitmap)) {
            Engine.ThemeColour = themeColour.has_value()
                                     ? *themeColour
                                     : AverageBitmapColour(bitmap, kAverageSamples, 0, 0);
            if (accentFollowsTheme) Engine.AccentColour = Engine.ThemeColour;
            Engine.ThemeImageMode = mode.value_or(kImageTiled);
            Engine.ThemeImage =
                PrepareImage(source, bitmap, Engine.ThemeColour, Engine.ThemeImageMode);
            KeepDecoded(Engine.ThemePicture, Engine.ThemeImage, Engine.ThemeImageMode, bitmap);
            RepaintSkinnedWindows();
            return;
        }
        // An image that does not decode counts as no image: the theme keeps its picture and
        // colour rather than turning black around bytes no painter can draw.
    }
    if (!themeColour.has_value()) return;
    Engine.ThemeImage.clear();
    Engine.ThemePicture = BackgroundPicture{};
    Engine.ThemeColour = *themeColour;
    if (accentFollowsTheme) Engine.AccentColour = Engine.ThemeColour;
    RepaintSkinnedWindows();
}

bool SkinEngine::SetWindowBackground(HWND window, const ByteSet& imageData,
                                     std::optional<int> mode) {
    WindowRecord* record = RecordAt(SkinnedPosition(window));
    if (record == nullptr || imageData.empty()) return false;
    plus::PlusBitmap bitmap;
    const ImageSource source = ImageSource::Bytes(imageData);
    // Bytes that do not decode are refused like empty ones: nothing changes.
    if (!LoadBitmap(source, bitmap)) return false;
    if (mode.has_value()) record->OwnImageMode = *mode;
    record->OwnColour = AverageBitmapColour(bitmap, kAverageSamples, 0, 0);
    record->OwnImage = PrepareImage(source, bitmap, record->OwnColour, record->OwnImageMode);
    KeepDecoded(record->OwnPicture, record->OwnImage, record->OwnImageMode, bitmap);
    record->BackgroundStale = 1;
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

void SkinEngine::RepaintSkinnedWindows() {
    for (int position = 1; position <= static_cast<int>(Engine.WindowList.size()); ++position) {
        const WindowRecord* record = RecordAt(position);
        if (!IsWindowVisible(record->Window)) continue;
        RebuildBackground(position);
        InvalidateRect(record->Window, nullptr, FALSE);
        InvalidateChildren(record->Window);
        for (const AttachedWindow& attached : record->AttachedWindows)
            if (attached.Window != nullptr) InvalidateRect(attached.Window, nullptr, FALSE);
    }
}

void InvalidateChildren(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) InvalidateRect(child, nullptr, TRUE);
}

} // namespace skin
