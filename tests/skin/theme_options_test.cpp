// Theme colours, theme image and window backgrounds: what each option leaves in the engine
// state, told apart by omitted and given arguments, and the prepared images read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "plus/plus_image.h"
#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/services/background_picture.h"
#include "skin/services/theme_images.h"
#include "support/plus_fixture.h"

using namespace skin;

namespace {

constexpr COLORREF kRed = 0x000000FF;
constexpr COLORREF kBlue = 0x00FF0000;
constexpr char kBmpFormat[] = "{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}";

// Encoded image of w x h pixels: the left `split` columns in `left`, the rest in `right`.
ByteSet ImageBytes(int w, int h, COLORREF left, COLORREF right, int split,
                   const char* format = kPngFormat) {
    plus::PlusBitmap bitmap;
    EXPECT_TRUE(bitmap.Create(w, h));
    {
        plus::PlusGraphics graphics;
        EXPECT_TRUE(graphics.CreateFromImage(bitmap));
        plus::PlusSolidBrush brush;
        brush.Create(ToArgb(left, 255));
        graphics.FillRectangleI(brush, 0, 0, split, h);
        plus::PlusSolidBrush other;
        other.Create(ToArgb(right, 255));
        graphics.FillRectangleI(other, split, 0, w - split, h);
    }
    return bitmap.SaveToBytes(format);
}

ByteSet SolidImage(int w, int h, COLORREF colour) {
    return ImageBytes(w, h, colour, colour, w);
}

bool IsPng(const ByteSet& bytes) {
    return bytes.size() > 8 && std::memcmp(bytes.data(), "\x89PNG", 4) == 0;
}

bool Near(COLORREF a, COLORREF b, int tolerance = 12) {
    const auto channel = [&](int shift) {
        return std::abs(static_cast<int>((a >> shift) & 0xFF) -
                        static_cast<int>((b >> shift) & 0xFF)) <= tolerance;
    };
    return channel(0) && channel(8) && channel(16);
}

// Decodes PNG bytes and reads pixels as COLORREF.
class DecodedImage {
public:
    explicit DecodedImage(const ByteSet& bytes) { ok_ = bitmap_.CreateFromStream(bytes); }
    bool ok() const { return ok_; }
    int width() { return static_cast<int>(bitmap_.GetWidth()); }
    int height() { return static_cast<int>(bitmap_.GetHeight()); }
    COLORREF at(int x, int y) { return ToColorRef(bitmap_.GetPixel(x, y)); }
    plus::ARGB argb(int x, int y) { return bitmap_.GetPixel(x, y); }

private:
    plus::PlusBitmap bitmap_;
    bool ok_ = false;
};

// A kept picture's pixel as COLORREF.
COLORREF PictureAt(const BackgroundPicture& picture, int x, int y) {
    return ToColorRef(picture.pixels[static_cast<std::size_t>(y * picture.width + x)]);
}

class ThemeOptions : public testing_support::PlusTest {
protected:
    void SetUp() override {
        PlusTest::SetUp();
        Engine = EngineState{};
        CreateTheSkin();
        SetStartupOptions();
    }
    void TearDown() override {
        for (HWND w : windows_)
            DestroyWindow(w);
        TheSkin.reset(); // GDI+ stays up for the other tests
        Engine = EngineState{};
        PlusTest::TearDown();
    }
    // A visible window registered as skinned, with its pending paint done.
    WindowRecord& SkinnedWindow() {
        HWND w = CreateWindowExA(WS_EX_NOACTIVATE, "STATIC", "theme", WS_POPUP, 0, 0, 120, 90,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        windows_.push_back(w);
        ShowWindow(w, SW_SHOWNA);
        auto record = std::make_unique<WindowRecord>();
        record->Window = w;
        WindowRecord& result = *record;
        SetPropValue(w, kPropPosition, AppendWindowRecord(std::move(record)));
        UpdateWindow(w);
        ValidateRect(w, nullptr);
        return result;
    }
    static bool NeedsPaint(HWND w) { return GetUpdateRect(w, nullptr, FALSE) != FALSE; }

    std::vector<HWND> windows_;
};

} // namespace

TEST_F(ThemeOptions, ColourOnlySetsColourResetsAccentAndRepaints) {
    WindowRecord& shown = SkinnedWindow();
    WindowRecord& hidden = SkinnedWindow();
    ShowWindow(hidden.Window, SW_HIDE);
    // A visible child and an attached window are repainted with the window.
    HWND child = CreateWindowExA(0, "STATIC", "child", WS_CHILD | WS_VISIBLE, 5, 5, 20, 20,
                                 shown.Window, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND attached = CreateWindowExA(WS_EX_NOACTIVATE, "STATIC", "attached", WS_POPUP, 0, 0, 30, 30,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    windows_.push_back(attached);
    ShowWindow(attached, SW_SHOWNA);
    UpdateWindow(attached);
    shown.AttachedWindows.push_back({attached});
    shown.AttachedWindows.push_back({}); // empty entries are skipped
    UpdateWindow(shown.Window);
    ValidateRect(child, nullptr);
    ValidateRect(attached, nullptr);
    ASSERT_FALSE(NeedsPaint(child));
    ASSERT_FALSE(NeedsPaint(attached));
    Engine.AccentColour = 0x00123456;
    Engine.ThemeImage = SolidImage(4, 4, kRed);
    Engine.ThemeImageMode = 2;

    TheSkin->SetTheme({}, {}, 0x00FF8800);
    EXPECT_TRUE(NeedsPaint(child));
    EXPECT_TRUE(NeedsPaint(attached));
    EXPECT_EQ(Engine.ThemeColour, 0x00FF8800u);
    EXPECT_EQ(TheSkin->GetThemeColour(), 0x00FF8800u);
    EXPECT_EQ(Engine.AccentColour, 0x00DDCA22u);
    EXPECT_TRUE(Engine.ThemeImage.empty());
    EXPECT_EQ(Engine.ThemeImageMode, 2);
    EXPECT_TRUE(shown.BackBufferDC); // recomposed at once
    EXPECT_EQ(shown.BackgroundStale, 0);
    EXPECT_TRUE(NeedsPaint(shown.Window));
    EXPECT_FALSE(hidden.BackBufferDC); // only windows on screen are pushed
}

TEST_F(ThemeOptions, NothingGivenOnlyResetsTheAccent) {
    WindowRecord& shown = SkinnedWindow();
    Engine.AccentColour = 0x00123456;
    Engine.ThemeColour = 0x00010203;
    Engine.ThemeImage = {1, 2, 3};
    Engine.ThemeImageMode = 3;
    TheSkin->SetTheme();
    EXPECT_EQ(Engine.AccentColour, 0x00DDCA22u);
    EXPECT_EQ(Engine.ThemeColour, 0x00010203u);
    EXPECT_EQ(Engine.ThemeImage, (ByteSet{1, 2, 3}));
    EXPECT_EQ(Engine.ThemeImageMode, 3);
    EXPECT_EQ(shown.BackgroundStale, 0);
    EXPECT_FALSE(NeedsPaint(shown.Window));
}

TEST_F(ThemeOptions, AccentFollowsTheImageColour) {
    const ByteSet image = SolidImage(20, 10, 0x00306090);
    TheSkin->SetTheme({}, image, std::nullopt, kAccentFollowsTheme);
    EXPECT_EQ(Engine.ThemeColour, 0xFF306090u); // the average, marked as computed
    EXPECT_EQ(Engine.AccentColour, Engine.ThemeColour);

    // With a colour and no image the accent follows that colour; a given accent is kept.
    TheSkin->SetTheme({}, {}, 0x00445566, kAccentFollowsTheme);
    EXPECT_EQ(Engine.AccentColour, 0x00445566u);
    TheSkin->SetTheme({}, {}, 0x00445566, 0x00000001);
    EXPECT_EQ(Engine.AccentColour, 0x00000001u);
}

TEST_F(ThemeOptions, ImageWithoutModeIsTiledAndKeptAsGiven) {
    const ByteSet image = ImageBytes(30, 20, kRed, kBlue, 10);
    TheSkin->SetTheme({}, image);
    EXPECT_EQ(Engine.ThemeImageMode, kImageTiled);
    EXPECT_EQ(Engine.ThemeImage, image);
    // An explicit colour wins over the image's average; other modes keep the bytes as well.
    TheSkin->SetTheme({}, image, 0x00010101, std::nullopt, 3);
    EXPECT_EQ(Engine.ThemeColour, 0x00010101u);
    EXPECT_EQ(Engine.ThemeImageMode, 3);
    EXPECT_EQ(Engine.ThemeImage, image);
}

TEST_F(ThemeOptions, ImageFileIsReencodedAsPng) {
    const ByteSet bmp = ImageBytes(16, 8, kRed, kBlue, 8, kBmpFormat);
    ASSERT_EQ(bmp.size() > 2 && bmp[0] == 'B' && bmp[1] == 'M', true);
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "varnel_theme_test.bmp";
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bmp.data(), 1, bmp.size(), f);
        std::fclose(f);
    }
    // The file is used even when bytes are given too.
    TheSkin->SetTheme(path, SolidImage(2, 2, 0x00FFFFFF));
    std::remove(path.c_str());
    EXPECT_EQ(Engine.ThemeImageMode, kImageTiled);
    ASSERT_TRUE(IsPng(Engine.ThemeImage));
    DecodedImage decoded(Engine.ThemeImage);
    ASSERT_TRUE(decoded.ok());
    EXPECT_EQ(decoded.width(), 16);
    EXPECT_EQ(decoded.height(), 8);
    EXPECT_TRUE(Near(decoded.at(2, 2), kRed, 0));
    EXPECT_TRUE(Near(decoded.at(12, 2), kBlue, 0));
    EXPECT_TRUE(Near(Engine.ThemeColour, 0x00800080, 40)); // half red, half blue
}

TEST_F(ThemeOptions, BlendModesKeepTheBytesAndBlendThePicture) {
    const ByteSet red = SolidImage(100, 100, kRed);
    for (int mode : {kImageBlendRight, kImageBlendLeft}) {
        TheSkin->SetTheme({}, red, kBlue, std::nullopt, mode);
        EXPECT_EQ(Engine.ThemeImageMode, mode);
        EXPECT_EQ(Engine.ThemeImage, red);
        ASSERT_FALSE(Engine.ThemePicture.Empty()) << mode;
        // The side band at the right (mode 0) or the left (mode 1), the bottom band in both.
        const int farX = mode == kImageBlendRight ? 99 : 0;
        const int nearX = mode == kImageBlendRight ? 20 : 79;
        EXPECT_TRUE(Near(PictureAt(Engine.ThemePicture, nearX, 40), kRed, 0)) << mode;
        EXPECT_TRUE(Near(PictureAt(Engine.ThemePicture, farX, 40), kBlue, 24)) << mode;
        EXPECT_TRUE(Near(PictureAt(Engine.ThemePicture, nearX, 99), kBlue, 24)) << mode;
        EXPECT_EQ(Engine.ThemePicture.blendColour, kBlue);
    }
}

// At sizes that fit the screen the picture of a blended mode is, pixel for pixel, the image
// BlendImageEdges makes, with and without transparency in the image.
TEST_F(ThemeOptions, BlendedPictureIsWhatBlendImageEdgesMakes) {
    const ByteSet opaque = ImageBytes(120, 90, kRed, 0x0000C000, 70);
    plus::PlusBitmap translucent;
    ASSERT_TRUE(translucent.Create(64, 48));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            translucent.SetPixel(x, y,
                                 (static_cast<plus::ARGB>(x * 4) << 24) | (y * 5) << 8 | 0x40);
    const ByteSet images[] = {opaque, translucent.SaveToBytes(kPngFormat)};
    for (const ByteSet& image : images)
        for (int mode : {kImageBlendRight, kImageBlendLeft}) {
            const EdgeVariant variant =
                mode == kImageBlendLeft ? EdgeVariant::Left : EdgeVariant::Right;
            DecodedImage expected(BlendImageEdges(ImageSource::Bytes(image), 0x00336699, variant));
            ASSERT_TRUE(expected.ok());
            BackgroundPicture cache;
            const BackgroundPicture* p =
                CachedPicture(cache, image, mode, SIZE{10, 10}, 0x00336699);
            ASSERT_NE(p, nullptr);
            ASSERT_EQ(p->width, expected.width());
            ASSERT_EQ(p->height, expected.height());
            int differing = 0;
            for (int y = 0; y < p->height; ++y)
                for (int x = 0; x < p->width; ++x)
                    differing += p->pixels[static_cast<std::size_t>(y * p->width + x)] !=
                                 expected.argb(x, y);
            EXPECT_EQ(differing, 0) << mode << " " << p->width;
        }
}

TEST_F(ThemeOptions, UndecodableImageChangesNothingHarmful) {
    WindowRecord& shown = SkinnedWindow();
    Engine.ThemeColour = 0x00010203;
    Engine.ThemeImage = {9, 9};
    Engine.ThemeImageMode = 2;
    const ByteSet garbage = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    for (int mode : {0, 1, 4}) {
        TheSkin->SetTheme({}, garbage, std::nullopt, std::nullopt, mode);
        EXPECT_EQ(Engine.ThemeColour, 0x00010203u);
        EXPECT_EQ(Engine.ThemeImage, (ByteSet{9, 9}));
        EXPECT_EQ(Engine.ThemeImageMode, 2);
    }
    TheSkin->SetTheme("Z:\\no\\such\\file.png");
    EXPECT_EQ(Engine.ThemeImage, (ByteSet{9, 9}));
    // With a colour given, the colour still applies as if no image had been named.
    TheSkin->SetTheme({}, garbage, 0x00445566);
    EXPECT_EQ(Engine.ThemeColour, 0x00445566u);
    EXPECT_TRUE(Engine.ThemeImage.empty());

    const ByteSet ownBefore = {7};
    shown.OwnImage = ownBefore;
    EXPECT_FALSE(TheSkin->SetWindowBackground(shown.Window, garbage, 0));
    EXPECT_EQ(shown.OwnImage, ownBefore);
    EXPECT_EQ(shown.OwnImageMode, 0);
    EXPECT_EQ(AverageImageColour(ImageSource::Bytes(garbage), 2000, 0, 0), 0xFF000000u);
    EXPECT_TRUE(BlendImageEdges(ImageSource::Bytes(garbage), kBlue, EdgeVariant::Left).empty());
}

TEST_F(ThemeOptions, WindowBackgroundNeedsASkinnedWindowAndBytes) {
    HWND plain = CreateWindowExA(0, "STATIC", "plain", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    windows_.push_back(plain);
    const ByteSet image = SolidImage(8, 8, kRed);
    EXPECT_FALSE(TheSkin->SetWindowBackground(plain, image));
    EXPECT_FALSE(TheSkin->SetWindowBackground(nullptr, image));

    WindowRecord& record = SkinnedWindow();
    EXPECT_FALSE(TheSkin->SetWindowBackground(record.Window, {}));
    EXPECT_TRUE(record.OwnImage.empty());
    EXPECT_EQ(record.BackgroundStale, 0);

    // An omitted mode keeps the window's own mode; the bytes are kept as given.
    record.OwnImageMode = 3;
    EXPECT_TRUE(TheSkin->SetWindowBackground(record.Window, image));
    EXPECT_EQ(record.OwnImageMode, 3);
    EXPECT_EQ(record.OwnImage, image);
    EXPECT_EQ(record.OwnColour, 0xFF0000FFu);
    EXPECT_EQ(record.BackgroundStale, 1);
    EXPECT_TRUE(NeedsPaint(record.Window));
}

TEST_F(ThemeOptions, WindowBackgroundModeOneBlendsLeftAndBottomBands) {
    WindowRecord& record = SkinnedWindow();
    ASSERT_TRUE(TheSkin->SetWindowBackground(record.Window, ImageBytes(100, 100, kRed, kBlue, 50),
                                             kImageBlendLeft));
    EXPECT_EQ(record.OwnImageMode, kImageBlendLeft);
    // Half red, half blue: the own colour is the purple between them.
    EXPECT_TRUE(Near(record.OwnColour, 0x00800080, 40));
    const BackgroundPicture& image = record.OwnPicture;
    ASSERT_FALSE(image.Empty());
    // A 30-pixel band at the left fades into the own colour; outside the bands all is as it was.
    EXPECT_TRUE(Near(PictureAt(image, 0, 40), record.OwnColour, 24));
    EXPECT_FALSE(Near(PictureAt(image, 15, 40), kRed, 12));
    EXPECT_TRUE(Near(PictureAt(image, 31, 40), kRed, 0));
    EXPECT_TRUE(Near(PictureAt(image, 80, 40), kBlue, 0));
    EXPECT_TRUE(Near(PictureAt(image, 80, 69), kBlue, 0));
    EXPECT_FALSE(Near(PictureAt(image, 80, 85), kBlue, 12));
    EXPECT_TRUE(Near(PictureAt(image, 80, 99), record.OwnColour, 24));
}

TEST_F(ThemeOptions, BlendImageEdgesBandsAreThirtyPercentWide) {
    const ByteSet red = SolidImage(100, 60, kRed);
    DecodedImage right(BlendImageEdges(ImageSource::Bytes(red), kBlue, EdgeVariant::Right));
    ASSERT_TRUE(right.ok());
    EXPECT_EQ(right.width(), 100);
    EXPECT_EQ(right.height(), 60);
    EXPECT_TRUE(Near(right.at(70, 10), kRed, 0)); // the band starts one pixel after 100 - 30
    EXPECT_FALSE(Near(right.at(85, 10), kRed, 12));
    EXPECT_TRUE(Near(right.at(99, 10), kBlue, 24));
    EXPECT_TRUE(Near(right.at(10, 30), kRed, 0)); // bottom band: rows 31..59
    EXPECT_TRUE(Near(right.at(10, 59), kBlue, 24));

    DecodedImage left(BlendImageEdges(ImageSource::Bytes(red), kBlue, EdgeVariant::Left));
    ASSERT_TRUE(left.ok());
    EXPECT_TRUE(Near(left.at(0, 10), kBlue, 24));
    EXPECT_TRUE(Near(left.at(30, 10), kRed, 0));
    EXPECT_TRUE(Near(left.at(99, 10), kRed, 0));
}

TEST_F(ThemeOptions, AverageOfOneColourIsThatColour) {
    EXPECT_EQ(AverageImageColour(ImageSource::Bytes(SolidImage(37, 23, 0x00336699)), 2000, 0, 0),
              0xFF336699u);
    // Margins narrow the samples to the right columns and bottom rows.
    const ByteSet halves = ImageBytes(100, 10, kRed, kBlue, 50);
    EXPECT_EQ(AverageImageColour(ImageSource::Bytes(halves), 500, 20, 0), 0xFFFF0000u);
    EXPECT_EQ(AverageImageColour(ImageSource::Bytes(halves), 0, 0, 0), 0xFF000000u);
    // Over the whole image the samples spread evenly: half red and half blue give the purple
    // between them, to within a few levels.
    EXPECT_TRUE(Near(AverageImageColour(ImageSource::Bytes(halves), 2000, 0, 0), 0x00800080, 16));
}
