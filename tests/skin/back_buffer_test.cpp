// Window background, region and back buffer: real windows, pixels read back from the back
// buffer and from the screen.
#include "compose_fixture.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "plus/plus_brush.h"
#include "skin/core/gdi_owners.h"
#include "skin/services/back_buffer.h"
#include "support/windows.h"

using compose_test::Brightness;
using compose_test::ComposedWindow;
using compose_test::CompositionTest;
using compose_test::WindowOptions;
using testing_support::ColoursNear;

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kTheme = 0x00FF8800;

} // namespace

TEST_F(CompositionTest, RegionIsTheRoundedClientRectangle) {
    ComposedWindow w({.width = 300, .height = 200});
    skin::TheSkin->RebuildBackground(w.position());
    gdi::Region actual(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(w.hwnd(), actual.get()), ERROR);
    gdi::Region expected(CreateRoundRectRgn(0, 0, 301, 201, 5, 5));
    // The same area (the system may split it into other bands than CreateRoundRectRgn does).
    gdi::Region difference(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(CombineRgn(difference.get(), actual.get(), expected.get(), RGN_XOR), NULLREGION);
}

TEST_F(CompositionTest, MagentaOutsideTheRoundedOutlineThemeColourInside) {
    ComposedWindow w({.width = 300, .height = 200, .hasCaption = false});
    skin::TheSkin->RebuildBackground(w.position());
    EXPECT_EQ(w.BufferPixel(0, 0), kMagenta);
    EXPECT_EQ(w.BufferPixel(299, 0), kMagenta);
    EXPECT_EQ(w.BufferPixel(0, 199), kMagenta);
    EXPECT_EQ(w.BufferPixel(299, 199), kMagenta);
    EXPECT_TRUE(ColoursNear(w.BufferPixel(150, 100), kTheme, 2));
    EXPECT_TRUE(ColoursNear(w.BufferPixel(5, 5), kTheme, 2));
}

TEST_F(CompositionTest, CaptionGlossIsBrighterAtTheTopThanAtCaptionHeight) {
    ComposedWindow w({.width = 300,
                      .height = 200,
                      .captionHeight = 40,
                      .showTitle = false,
                      .captionGloss = true,
                      .systemButtons = false});
    skin::TheSkin->RebuildBackground(w.position());
    const int top = Brightness(w.BufferPixel(150, 3));
    const int middle = Brightness(w.BufferPixel(150, 20));
    const int bottom = Brightness(w.BufferPixel(150, 39));
    EXPECT_GT(top, middle);
    EXPECT_GT(middle, bottom);
    EXPECT_TRUE(ColoursNear(w.BufferPixel(150, 41), kTheme, 2)); // below the caption: no gloss
}

TEST_F(CompositionTest, TiledModeDrawsNormalMirroredNormal) {
    // Left half red, right half blue: a mirrored tile shows blue first.
    skin::Engine.ThemeImage = compose_test::MakeBmp(
        100, 50, [](int x, int) { return x < 50 ? RGB(255, 0, 0) : RGB(0, 0, 255); });
    skin::Engine.ThemeImageMode = skin::kImageTiled;
    ComposedWindow w({.width = 250, .height = 120, .hasCaption = false});
    skin::TheSkin->RebuildBackground(w.position());
    const COLORREF red = RGB(255, 0, 0);
    const COLORREF blue = RGB(0, 0, 255);
    EXPECT_TRUE(ColoursNear(w.BufferPixel(25, 25), red)); // tile 1, normal
    EXPECT_TRUE(ColoursNear(w.BufferPixel(75, 25), blue));
    EXPECT_TRUE(ColoursNear(w.BufferPixel(125, 25), blue)); // tile 2, mirrored
    EXPECT_TRUE(ColoursNear(w.BufferPixel(175, 25), red));
    EXPECT_TRUE(ColoursNear(w.BufferPixel(225, 25), red));       // tile 3, normal
    EXPECT_TRUE(ColoursNear(w.BufferPixel(125, 80), kTheme, 2)); // below the image
    EXPECT_EQ(w.BufferPixel(0, 0), kMagenta);                    // still clipped
}

TEST_F(CompositionTest, ImageModesPlaceTheImage) {
    const COLORREF green = RGB(0, 200, 0);
    skin::Engine.ThemeImage = compose_test::MakeBmp(40, 20, [&](int, int) { return green; });
    struct Case {
        int mode;
        POINT inside;
        POINT outside;
    };
    const Case cases[] = {
        // The blended modes blend 12-pixel bands of this image into the theme colour: the
        // points inside lie clear of them (rows from 9 on, columns from 29 or below 12).
        {skin::kImageBlendRight, {10, 5}, {60, 10}},
        {skin::kImageBlendLeft, {190, 5}, {140, 10}},
        {skin::kImageCentred, {100, 60}, {100, 40}},
        {skin::kImageStretched, {150, 100}, {150, 100}},
        {7, {-1, -1}, {10, 10}}, // unknown mode: nothing drawn
    };
    for (const Case& c : cases) {
        skin::Engine.ThemeImageMode = c.mode;
        ComposedWindow w({.width = 200, .height = 120, .hasCaption = false});
        skin::TheSkin->RebuildBackground(w.position());
        if (c.inside.x >= 0) {
            EXPECT_TRUE(ColoursNear(w.BufferPixel(c.inside.x, c.inside.y), green)) << c.mode;
        }
        if (c.mode != skin::kImageStretched) {
            EXPECT_TRUE(ColoursNear(w.BufferPixel(c.outside.x, c.outside.y), kTheme, 2)) << c.mode;
        }
    }
}

TEST_F(CompositionTest, OwnImageAndColourOverrideTheTheme) {
    const COLORREF own = RGB(10, 120, 30);
    ComposedWindow w({.width = 200, .height = 120, .hasCaption = false});
    w.record().OwnImage = compose_test::MakeBmp(20, 20, [](int, int) { return RGB(250, 250, 0); });
    w.record().OwnImageMode = skin::kImageBlendRight;
    w.record().OwnColour = own;
    skin::TheSkin->RebuildBackground(w.position());
    EXPECT_TRUE(ColoursNear(w.BufferPixel(10, 10), RGB(250, 250, 0)));
    EXPECT_TRUE(ColoursNear(w.BufferPixel(100, 60), own, 2));
}

TEST_F(CompositionTest, UndecodableImageLeavesThePlainColour) {
    skin::Engine.ThemeImage = {1, 2, 3, 4, 5};
    for (int mode : {0, 4}) {
        skin::Engine.ThemeImageMode = mode;
        ComposedWindow w({.width = 120, .height = 80, .hasCaption = false});
        skin::TheSkin->RebuildBackground(w.position());
        EXPECT_TRUE(ColoursNear(w.BufferPixel(60, 40), kTheme, 2));
    }
}

TEST_F(CompositionTest, RebuildWithoutDcLeavesTheScreenAndClearsTheStaleFlag) {
    ComposedWindow w({.width = 200, .height = 120});
    {
        gdi::WindowDC dc(w.hwnd());
        gdi::Brush green(CreateSolidBrush(RGB(0, 255, 0)));
        RECT all{0, 0, 200, 120};
        FillRect(dc.get(), &all, green.get());
    }
    w.record().BackgroundStale = 1;
    skin::TheSkin->RebuildBackground(w.position());
    EXPECT_EQ(w.record().BackgroundStale, 0);
    EXPECT_TRUE(ColoursNear(w.BufferPixel(100, 60), kTheme, 2));
    EXPECT_TRUE(ColoursNear(w.ScreenPixel(100, 60), RGB(0, 255, 0)));

    // With a DC the composed picture reaches the screen.
    w.record().BackgroundStale = 1;
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    EXPECT_EQ(w.record().BackgroundStale, 0);
    EXPECT_TRUE(ColoursNear(w.ScreenPixel(100, 60), kTheme, 2));
}

TEST_F(CompositionTest, WithoutCaptionNoBorderTitleOrButtons) {
    ComposedWindow plain({.width = 300, .height = 200, .hasCaption = false});
    skin::TheSkin->RebuildBackground(plain.position());
    EXPECT_FALSE(plain.record().CaptionStripDC);
    // Where the border, the title and the buttons would be: the theme colour.
    for (POINT p : {POINT{1, 100}, POINT{298, 100}, POINT{150, 1}, POINT{40, 15}, POINT{40, 20},
                    POINT{60, 16}, POINT{230, 10}, POINT{250, 12}, POINT{280, 10}})
        EXPECT_TRUE(ColoursNear(plain.BufferPixel(p.x, p.y), kTheme, 2)) << p.x << "," << p.y;

    ComposedWindow framed({.width = 300, .height = 200});
    skin::TheSkin->RebuildBackground(framed.position());
    EXPECT_TRUE(framed.record().CaptionStripDC);
    EXPECT_FALSE(ColoursNear(framed.BufferPixel(0, 100), kTheme, 2)); // the dark outer border
}

TEST_F(CompositionTest, BackBufferPropertiesFollowTheSelectedBitmap) {
    ComposedWindow w({.width = 120, .height = 80});
    skin::TheSkin->RebuildBackground(w.position());
    const HBITMAP original = w.record().BackBufferDC.original();
    EXPECT_EQ(skin::GetPropValue(w.hwnd(), skin::kPropBackBufferOriginalBitmap),
              reinterpret_cast<LONG_PTR>(original));
    const LONG_PTR first = skin::GetPropValue(w.hwnd(), skin::kPropBackBufferBitmap);
    EXPECT_EQ(first, reinterpret_cast<LONG_PTR>(w.record().BackBufferDC.bitmap()));
    SetWindowPos(w.hwnd(), nullptr, 0, 0, 160, 90, SWP_NOMOVE | SWP_NOZORDER);
    skin::TheSkin->RebuildBackground(w.position());
    const LONG_PTR second = skin::GetPropValue(w.hwnd(), skin::kPropBackBufferBitmap);
    EXPECT_NE(second, first);
    EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(first)), 0u); // the old one is gone
    EXPECT_EQ(skin::GetPropValue(w.hwnd(), skin::kPropBackBufferOriginalBitmap),
              reinterpret_cast<LONG_PTR>(original));
    // A bitmap replaced on a resize has room to grow; the image is its top-left client size.
    BITMAP info{};
    GetObjectA(reinterpret_cast<HGDIOBJ>(second), sizeof info, &info);
    EXPECT_GE(info.bmWidth, 160);
    EXPECT_GE(info.bmHeight, 90);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(w.record().BackBufferSize.cx, 160);
    EXPECT_EQ(w.record().BackBufferSize.cy, 90);
    const skin::PixelRows image = skin::BackBufferPixels(w.record());
    EXPECT_EQ(image.width, 160);
    EXPECT_EQ(image.height, 90);
}

TEST_F(CompositionTest, ShowBackBufferSparesOpaqueChildren) {
    ComposedWindow w({.width = 200, .height = 120, .hasCaption = false});
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 20, 40, 50, 30, w.hwnd(),
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND clear = CreateWindowExA(WS_EX_TRANSPARENT, "STATIC", "", WS_CHILD | WS_VISIBLE, 120, 40,
                                 50, 30, w.hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
    skin::TheSkin->RebuildBackground(w.position());
    {
        gdi::WindowDC dc(w.hwnd());
        gdi::Brush green(CreateSolidBrush(RGB(0, 255, 0)));
        RECT all{0, 0, 200, 120};
        FillRect(dc.get(), &all, green.get());
    }
    skin::TheSkin->ShowBackBuffer(w.position(), GetDC(w.hwnd()));
    EXPECT_TRUE(ColoursNear(w.ScreenPixel(10, 10), kTheme, 2));
    EXPECT_TRUE(ColoursNear(w.ScreenPixel(40, 50), RGB(0, 255, 0)));
    EXPECT_TRUE(ColoursNear(w.ScreenPixel(140, 50), kTheme, 2));
    DestroyWindow(child);
    DestroyWindow(clear);
}

TEST_F(CompositionTest, ClippingWindowShowsTheSameAroundItsChildren) {
    // With WS_CLIPCHILDREN the window's own DCs leave the children out; the paint and the
    // rebuild's copy must still spare the opaque child and cover the transparent and the
    // hidden one.
    ComposedWindow w({.width = 260,
                      .height = 120,
                      .hasCaption = false,
                      .style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN});
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 20, 40, 50, 30, w.hwnd(),
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND clear = CreateWindowExA(WS_EX_TRANSPARENT, "STATIC", "", WS_CHILD | WS_VISIBLE, 120, 40,
                                 50, 30, w.hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND hidden = CreateWindowExA(0, "STATIC", "", WS_CHILD, 190, 40, 50, 30, w.hwnd(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    const auto paintGreen = [&] {
        // Straight onto the screen, children included (the parent's DC would leave them out).
        gdi::WindowDC dc(w.hwnd());
        gdi::Brush green(CreateSolidBrush(RGB(0, 255, 0)));
        for (HWND target : {w.hwnd(), child, clear}) {
            gdi::WindowDC own(target);
            RECT all{0, 0, 260, 120};
            FillRect(own.get(), &all, green.get());
        }
    };
    const auto expectSpared = [&] {
        EXPECT_TRUE(ColoursNear(w.ScreenPixel(10, 10), kTheme, 2));
        EXPECT_TRUE(ColoursNear(w.ScreenPixel(40, 50), RGB(0, 255, 0)));
        EXPECT_TRUE(ColoursNear(w.ScreenPixel(140, 50), kTheme, 2));
        EXPECT_TRUE(ColoursNear(w.ScreenPixel(210, 50), kTheme, 2));
    };
    paintGreen();
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    expectSpared();
    paintGreen();
    skin::TheSkin->ShowBackBuffer(w.position(), GetDC(w.hwnd()));
    expectSpared();
    DestroyWindow(child);
    DestroyWindow(clear);
    DestroyWindow(hidden);
}

TEST_F(CompositionTest, RestoreRectsCopyFromTheCleanStrips) {
    ComposedWindow w({.width = 200, .height = 120, .statusHeight = 20});
    skin::TheSkin->RebuildBackground(w.position());
    const HDC buffer = w.record().BackBufferDC.get();
    const skin::PaneRect bar = w.record().StatusRect;
    // The strips hold the picture before the title and the panes were drawn.
    const COLORREF captionClean = GetPixel(w.record().CaptionStripDC.get(), 100, 10);
    const COLORREF statusClean = GetPixel(w.record().StatusStripDC.get(), 50, 10);
    EXPECT_TRUE(ColoursNear(captionClean, kTheme, 2));
    {
        gdi::Brush black(CreateSolidBrush(RGB(0, 0, 0)));
        RECT spoiled{0, 0, 200, 120};
        FillRect(buffer, &spoiled, black.get());
    }
    skin::TheSkin->RestoreCaptionRect(w.position(), RECT{90, 5, 110, 15});
    skin::TheSkin->RestoreStatusRect(w.position(),
                                     RECT{bar.x + 40, bar.y + 5, bar.x + 60, bar.y + 15});
    EXPECT_EQ(GetPixel(buffer, 100, 10), captionClean);
    EXPECT_EQ(GetPixel(buffer, bar.x + 50, bar.y + 10), statusClean);
    EXPECT_EQ(GetPixel(buffer, 80, 10), RGB(0, 0, 0)); // outside the restored rectangle
}

TEST_F(CompositionTest, SetThemeRepaintsVisibleSkinnedWindows) {
    ComposedWindow shown({.width = 160, .height = 100, .hasCaption = false});
    skin::TheSkin->RebuildBackground(shown.position());
    ComposedWindow hidden({.width = 160, .height = 100, .hasCaption = false, .style = WS_POPUP});
    skin::TheSkin->SetTheme({}, {}, RGB(0, 160, 0));
    EXPECT_TRUE(ColoursNear(shown.BufferPixel(80, 50), RGB(0, 160, 0), 2));
    EXPECT_FALSE(hidden.record().BackBufferDC); // not visible: not rebuilt
}

TEST_F(CompositionTest, UnknownPositionsAreIgnored) {
    skin::TheSkin->RebuildBackground(0);
    skin::TheSkin->RebuildBackground(99, nullptr);
    skin::TheSkin->ShowBackBuffer(99, nullptr);
    skin::TheSkin->RestoreCaptionRect(99, RECT{0, 0, 10, 10});
    skin::TheSkin->RestoreStatusRect(-1, RECT{0, 0, 10, 10});
    // A window whose back buffer does not exist yet: the restores do nothing.
    ComposedWindow w({.width = 100, .height = 80});
    skin::TheSkin->RestoreCaptionRect(w.position(), RECT{0, 0, 10, 10});
    EXPECT_FALSE(w.record().BackBufferDC);
}

namespace {

// The back buffer's image pixels, row by row.
std::vector<std::uint32_t> ImagePixels(const skin::WindowRecord& record) {
    GdiFlush();
    const skin::PixelRows rows = skin::BackBufferPixels(record);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < rows.height; ++y)
        pixels.insert(pixels.end(), rows.Row(y), rows.Row(y) + rows.width);
    return pixels;
}

// How many pixels of two pictures of the same size differ (all of them when the sizes differ).
std::size_t Differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    std::size_t count = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i];
    return count;
}

void Resize(HWND window, int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const WindowOptions kFullWindow{.width = 300,
                                .height = 200,
                                .captionHeight = 40,
                                .captionGloss = true,
                                .statusHeight = 20,
                                .title = "Varnel/免更新版"};

} // namespace

TEST_F(CompositionTest, ResizedWindowShowsWhatAFreshRebuildAtItsSizeShows) {
    // Out and back in the way a drag goes: the bitmap made on the way out is kept on the way
    // back, with the larger picture's pixels still in its unused part.
    ComposedWindow dragged(kFullWindow);
    skin::TheSkin->SetStatusPane(dragged.hwnd(), 1, "已使用次数：42");
    skin::TheSkin->RebuildBackground(dragged.position());
    // The last two steps change only the width, then only the height.
    const SIZE steps[] = {{306, 204}, {340, 236}, {372, 260}, {331, 219}, {318, 219}, {318, 211}};
    // After each step the window's region is the one for its size.
    const auto regionFits = [&](SIZE size) {
        gdi::Region actual(CreateRectRgn(0, 0, 0, 0));
        gdi::Region expected(CreateRoundRectRgn(0, 0, size.cx + 1, size.cy + 1, 5, 5));
        gdi::Region difference(CreateRectRgn(0, 0, 0, 0));
        return GetWindowRgn(dragged.hwnd(), actual.get()) != ERROR &&
               CombineRgn(difference.get(), actual.get(), expected.get(), RGN_XOR) == NULLREGION;
    };
    for (const SIZE& size : steps) {
        Resize(dragged.hwnd(), size.cx, size.cy);
        skin::TheSkin->LayoutCaptionButtons(dragged.position());
        skin::TheSkin->LayoutStatusBar(dragged.position());
        skin::TheSkin->RebuildBackground(dragged.position());
        EXPECT_TRUE(regionFits(size)) << size.cx << " x " << size.cy;
    }
    WindowOptions options = kFullWindow;
    options.width = 318;
    options.height = 211;
    ComposedWindow fresh(options);
    skin::TheSkin->SetStatusPane(fresh.hwnd(), 1, "已使用次数：42");
    skin::TheSkin->RebuildBackground(fresh.position());

    // The drag did reuse a larger bitmap, and the pictures agree pixel for pixel.
    EXPECT_GT(skin::PixelRowsOf(dragged.record().BackBufferDC.bitmap()).width, 318);
    EXPECT_EQ(skin::BackBufferPixels(dragged.record()).width, 318);
    EXPECT_EQ(Differing(ImagePixels(dragged.record()), ImagePixels(fresh.record())), 0u);
    // The title, which fits every box of the drag, was rendered once, for the first box.
    EXPECT_NE(dragged.record().TitleLayer.layout[2], fresh.record().TitleLayer.layout[2]);
    // So do the strips the partial repaints restore from.
    for (const auto& [x, y] :
         {std::pair{100, 10}, std::pair{317 - 60, 30}, std::pair{20, 211 - 8}}) {
        const bool status = y > 100;
        const HDC a =
            (status ? dragged.record().StatusStripDC : dragged.record().CaptionStripDC).get();
        const HDC b = (status ? fresh.record().StatusStripDC : fresh.record().CaptionStripDC).get();
        const int sy = status ? y - fresh.record().StatusRect.y : y;
        const int sx = status ? x - fresh.record().StatusRect.x : x;
        EXPECT_EQ(GetPixel(a, sx, sy), GetPixel(b, sx, sy)) << x << "," << y;
    }
}

TEST_F(CompositionTest, RebuildAtAnUnchangedSizeKeepsTheBitmapButRecomposesEveryPixel) {
    ComposedWindow w(kFullWindow);
    skin::TheSkin->RebuildBackground(w.position());
    const HBITMAP bitmap = w.record().BackBufferDC.bitmap();
    const HBITMAP caption = w.record().CaptionStripDC.bitmap();
    const HBITMAP status = w.record().StatusStripDC.bitmap();
    // Scribbled over, then rebuilt in another colour: nothing of either is left.
    {
        const skin::PixelRows rows = skin::BackBufferPixels(w.record());
        for (int y = 0; y < rows.height; ++y)
            std::fill(rows.Row(y), rows.Row(y) + rows.width, 0xFF123456u);
    }
    skin::Engine.ThemeColour = 0x00336699;
    skin::TheSkin->RebuildBackground(w.position());
    EXPECT_EQ(w.record().BackBufferDC.bitmap(), bitmap);
    EXPECT_EQ(w.record().CaptionStripDC.bitmap(), caption);
    EXPECT_EQ(w.record().StatusStripDC.bitmap(), status);
    ComposedWindow fresh(kFullWindow);
    skin::TheSkin->RebuildBackground(fresh.position());
    EXPECT_EQ(Differing(ImagePixels(w.record()), ImagePixels(fresh.record())), 0u);
    EXPECT_TRUE(ColoursNear(w.BufferPixel(150, 100), 0x00336699, 2));
    EXPECT_EQ(GetPixel(w.record().CaptionStripDC.get(), 150, 39),
              GetPixel(fresh.record().CaptionStripDC.get(), 150, 39));
}

TEST_F(CompositionTest, KeptTitleTextIsRenderedAgainWhenTheTitleOrItsStyleOrBoxChanges) {
    // Each change, made after a rebuild has kept the title's text, against a fresh window that
    // had it from the start: the caption pixels agree, and differ from before the change.
    const struct {
        const char* what;
        std::function<void(HWND)> change;
    } changes[] = {
        {"title", [](HWND w) { SetWindowTextA(w, "Another title"); }},
        {"font size", [](HWND w) { skin::TheSkin->SetTitleStyle(w, std::nullopt, 16); }},
        {"not bold",
         [](HWND w) {
             skin::TheSkin->SetTitleStyle(w, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                          0);
         }},
        {"ink colour",
         [](HWND w) {
             skin::TheSkin->SetTitleStyle(w, std::nullopt, std::nullopt, RGB(255, 255, 0));
         }},
        {"font", [](HWND w) { skin::TheSkin->SetTitleStyle(w, std::string("Tahoma")); }},
        {"box narrower than the text",
         [](HWND w) {
             Resize(w, 170, 200);
             skin::TheSkin->LayoutCaptionButtons(skin::FindWindowPosition(w));
         }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        ComposedWindow kept(kFullWindow);
        skin::TheSkin->RebuildBackground(kept.position());
        const auto before = ImagePixels(kept.record());
        c.change(kept.hwnd());
        skin::TheSkin->RebuildBackground(kept.position());
        ComposedWindow fresh(kFullWindow);
        c.change(fresh.hwnd());
        skin::TheSkin->RebuildBackground(fresh.position());
        const auto after = ImagePixels(kept.record());
        EXPECT_EQ(Differing(after, ImagePixels(fresh.record())), 0u);
        EXPECT_GT(Differing(after, before), 20u);
    }
}

// A back buffer whose bitmap is not a DIB section (its pixels cannot be reached) is still drawn
// on, through its DC, and the canvas says it has no pixels of its own.
TEST_F(CompositionTest, CanvasOverADeviceBitmapDrawsThroughItsDc) {
    skin::WindowRecord record;
    record.BackBufferDC = gdi::MemoryDC::Create();
    {
        const HDC screen = GetDC(nullptr);
        record.BackBufferDC.Adopt(gdi::Bitmap(CreateCompatibleBitmap(screen, 8, 8)));
        ReleaseDC(nullptr, screen);
    }
    ASSERT_FALSE(skin::PixelRowsOf(record.BackBufferDC.bitmap()));
    {
        skin::BackBufferCanvas canvas(record);
        EXPECT_FALSE(skin::DirectPixels(canvas.graphics()));
        plus::PlusSolidBrush red;
        ASSERT_TRUE(red.Create(0xFFFF0000));
        EXPECT_TRUE(canvas.graphics().FillRectangleI(red, 2, 2, 4, 4));
    }
    EXPECT_EQ(GetPixel(record.BackBufferDC.get(), 3, 3), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(record.BackBufferDC.get(), 1, 1), RGB(0, 0, 0));
}
