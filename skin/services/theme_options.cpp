// Theme colours, theme image and window backgrounds.
#include <cmath>
#include <cstdint>

#include <algorithm>
#include <cstring>

#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/services/background_picture.h"
#include "skin/services/image_reader.h"
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

// Opens a source for reading; false when it cannot be decoded.
bool OpenImage(const ImageSource& image, ImageReader& reader) {
    if (!image.file.empty()) return reader.Open(ReadFileBytes(image.file));
    return reader.Open(image.bytes);
}

bool IsPng(const ByteSet& bytes) {
    return PngHeaderSize(bytes).has_value();
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

// The average of the samples, each read as a single pixel (no pass over the whole image).
COLORREF AverageReaderColour(ImageReader& image, int sampleCount, int marginX, int marginY) {
    const int width = image.Width();
    const int height = image.Height();
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
        const COLORREF c = ToColorRef(image.Pixel(x - 1, y - 1));
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
    plus::PlusBitmap blended;
    if (!blended.Create(width, height, plus::Format32bppARGB)) return {};
    {
        plus::PlusGraphics graphics;
        if (!graphics.CreateFromImage(blended)) return {};
        graphics.DrawImageRect(image, 0, 0, static_cast<float>(width), static_cast<float>(height));
        FillEdgeBands(graphics, width, height, colour, variant);
    }
    return blended.SaveToBytes(kPngFormat);
}

// Fills the rectangle (x, y, w, h) with the brush, or the part of it inside `within`.
void FillWithin(plus::PlusGraphics& graphics, const plus::PlusBrush& brush, float x, float y,
                float w, float h, const RECT* within) {
    if (within) {
        const float left = std::max(x, static_cast<float>(within->left));
        const float top = std::max(y, static_cast<float>(within->top));
        const float right = std::min(x + w, static_cast<float>(within->right));
        const float bottom = std::min(y + h, static_cast<float>(within->bottom));
        if (right <= left || bottom <= top) return;
        x = left;
        y = top;
        w = right - left;
        h = bottom - top;
    }
    graphics.FillRectangle(brush, x, y, w, h);
}

// The image as kept for its painters: the bytes as given, or for a file its bytes when they
// are PNG and otherwise the file re-encoded as PNG. The edge bands of modes 0 and 1 are
// blended when the picture is made (and only where it can show), not into these bytes.
ByteSet StoredImage(const ImageSource& source, const ByteSet& bytes) {
    if (source.file.empty() || IsPng(bytes)) return bytes;
    plus::PlusBitmap bitmap;
    if (!bitmap.CreateFromStream(bytes)) return {};
    return bitmap.SaveToBytes(kPngFormat);
}

} // namespace

COLORREF AverageImageColour(const ImageSource& image, int sampleCount, int marginX, int marginY) {
    ImageReader reader;
    if (!OpenImage(image, reader)) return 0xFF000000;
    return AverageReaderColour(reader, sampleCount, marginX, marginY);
}

std::optional<COLORREF> EngineAverageColour(const ImageSource& image) {
    ImageReader reader;
    if (!OpenImage(image, reader)) return std::nullopt;
    return AverageReaderColour(reader, kAverageSamples, 0, 0);
}

void FillEdgeBands(plus::PlusGraphics& graphics, int width, int height, COLORREF colour,
                   EdgeVariant variant, const RECT* within) {
    const auto band = static_cast<float>(std::floor(0.3 * width));
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    plus::PlusLinearBrush side;
    if (variant == EdgeVariant::Left) {
        side.Create({0, 0}, {band, 0}, ToArgb(colour, 255), ToArgb(0x00FFFFFF, 0));
        FillWithin(graphics, side, 0, 0, band, h, within);
    } else {
        side.Create({w - band, 0}, {w, 0}, ToArgb(0x00FFFFFF, 0), ToArgb(colour, 255));
        FillWithin(graphics, side, w - band + 1, 0, band, h, within);
    }
    plus::PlusLinearBrush bottom;
    bottom.Create({0, h - band}, {0, h}, ToArgb(colour, 0), ToArgb(colour, 255));
    FillWithin(graphics, bottom, 0, h - band + 1, w, band, within);
}

ByteSet BlendImageEdges(const ImageSource& image, COLORREF colour, EdgeVariant variant) {
    plus::PlusBitmap bitmap;
    if (!LoadBitmap(image, bitmap)) return {};
    return BlendBitmapEdges(bitmap, colour, variant);
}

bool ImageDecodes(const ImageSource& image) {
    ImageReader reader;
    return OpenImage(image, reader);
}

void SkinEngine::SetTheme(const std::string& imageFile, const ByteSet& imageData,
                          std::optional<COLORREF> themeColour, std::optional<COLORREF> accentColour,
                          std::optional<int> mode) {
    const bool accentFollowsTheme = accentColour == kAccentFollowsTheme;
    if (!accentFollowsTheme) Engine.AccentColour = accentColour.value_or(kDefaultAccentColour);

    if (!imageFile.empty() || !imageData.empty()) {
        const ImageSource source =
            !imageFile.empty() ? ImageSource::File(imageFile) : ImageSource::Bytes(imageData);
        const ByteSet fileBytes = source.file.empty() ? ByteSet{} : ReadFileBytes(source.file);
        const ByteSet& bytes = source.file.empty() ? imageData : fileBytes;
        ImageReader reader;
        if (reader.Open(bytes)) {
            Engine.ThemeColour = themeColour.has_value()
                                     ? *themeColour
                                     : AverageReaderColour(reader, kAverageSamples, 0, 0);
            if (accentFollowsTheme) Engine.AccentColour = Engine.ThemeColour;
            Engine.ThemeImageMode = mode.value_or(kImageTiled);
            Engine.ThemeImage = StoredImage(source, bytes);
            // The picture the painters need, from the image already open, so that the repaint
            // below opens nothing.
            CachedPicture(Engine.ThemePicture, Engine.ThemeImage, Engine.ThemeImageMode, SIZE{0, 0},
                          Engine.ThemeColour, &reader);
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
    ImageReader reader;
    // Bytes that do not decode are refused like empty ones: nothing changes.
    if (!reader.Open(imageData)) return false;
    if (mode.has_value()) record->OwnImageMode = *mode;
    record->OwnColour = AverageReaderColour(reader, kAverageSamples, 0, 0);
    record->OwnImage = imageData;
    CachedPicture(record->OwnPicture, record->OwnImage, record->OwnImageMode, SIZE{0, 0},
                  record->OwnColour, &reader);
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
