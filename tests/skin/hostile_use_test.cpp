// Careless use of the engine: handles that are no windows, and the engine going away while
// windows it skinned are still on screen.
#include "compose_fixture.h"
#include "skinned_window_fixture.h"

#include "skin/services/background_picture.h"
#include "skin/services/theme_images.h"
#include "plus/plus_image.h"

#include <functional>

using namespace toplevel_testing;

namespace {

constexpr UINT kPing = WM_APP + 0x17;
int pings = 0;

// A window procedure of the test's own, so that it can be told from any procedure of the skin.
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) return ++pings;
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* CountingClass() {
    static const char* name = RegisterTestClass("VarnelCountingTest", CountingProc, CS_DBLCLKS);
    return name;
}

// A picture larger than any client here, each pixel telling where it lies.
constexpr int kLargeWidth = 2000;
constexpr int kLargeHeight = 1200;
COLORREF PlaceColour(int x, int y) {
    return RGB(x % 256, y % 256, (x / 256) * 16 + y / 256);
}
const skin::ByteSet& LargePicture() {
    static const skin::ByteSet bytes =
        compose_test::MakeBmp(kLargeWidth, kLargeHeight, PlaceColour);
    return bytes;
}
COLORREF PictureColour(const skin::BackgroundPicture& p, int x, int y) {
    const std::uint32_t argb = p.pixels[static_cast<std::size_t>(y * p.width + x)];
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

LONG_PTR ProcedureOf(HWND window) {
    return GetWindowLongPtrA(window, GWLP_WNDPROC);
}

class HostileUseTest : public SkinnedWindowTest {
protected:
    HWND CountingWindow() {
        return Keep(CreateWindowExA(0, CountingClass(), "counting", WS_POPUP | WS_MINIMIZEBOX, 40,
                                    40, 320, 240, nullptr, nullptr, GetModuleHandleA(nullptr),
                                    nullptr));
    }
};

} // namespace

TEST_F(HostileUseTest, HandlesThatAreNoWindowsAreRefused) {
    HWND gone = CreateTopLevel(10, 10, 200, 150);
    DestroyWindow(gone);
    const HWND handles[] = {nullptr, gone};
    const std::size_t before = skin::Engine.WindowList.size();
    for (HWND h : handles) {
        skin::TheSkin->SkinWindow(h, 30, 1, 1, 0, 0, 1, 0, 20);
        EXPECT_EQ(skin::Engine.WindowList.size(), before) << h;
        EXPECT_EQ(skin::FindWindowPosition(h), 0) << h;
        // Nothing was recorded, so every operation on the handle answers as for a stranger.
        EXPECT_FALSE(skin::TheSkin->SetStatusPane(h, 1, "x")) << h;
        EXPECT_FALSE(skin::TheSkin->SetTitleStyle(h, std::string("x"))) << h;
        EXPECT_FALSE(skin::TheSkin->AddCaptionButton(h, {}, "x")) << h;
        const RECT none = skin::TheSkin->GetCaptionButtonsRect(h);
        EXPECT_EQ(none.right - none.left, 0) << h;
    }
    // A real window skinned afterwards takes the first free position as usual.
    HWND real = TopLevel(20, 20, 300, 200);
    EXPECT_EQ(SkinAndShow(real, 30, 1, 20), static_cast<int>(before) + 1);
    EXPECT_TRUE(skin::TheSkin->SetStatusPane(real, 1, "x"));
}

TEST_F(HostileUseTest, DestroyingTheEngineGivesSkinnedWindowsTheirProceduresBack) {
    // The three ways the engine goes: the exit routine, the destroy operation alone, and the
    // object simply deleted. Each time the windows stay and must go on working.
    const std::function<void()> ends[] = {
        [] { skin::DestroyTheSkin(); },
        [] {
            skin::TheSkin->Destroy();
            skin::TheSkin.reset();
        },
        [] { skin::TheSkin.reset(); },
    };
    for (std::size_t way = 0; way < std::size(ends); ++way) {
        HWND window = CountingWindow();
        HWND push = CreateChild(window, "BUTTON", "push", BS_PUSHBUTTON, 10, 60, 80, 24);
        HWND check = CreateChild(window, "BUTTON", "check", BS_AUTOCHECKBOX, 10, 90, 80, 24);
        HWND common = CreateChild(window, "STATIC", "common", 0, 100, 60, 80, 24);
        ASSERT_GE(SkinAndShow(window, 30, 1, 20), 1);
        skin::TheSkin->SkinCommonControl(common);
        const LONG_PTR commonSkin = ProcedureOf(common);
        const LONG_PTR windowSkin = ProcedureOf(window);
        const LONG_PTR buttonSkin = ProcedureOf(check);
        ASSERT_TRUE(IsSkinnedProcedure(window));
        ASSERT_EQ(ProcedureOf(push), buttonSkin);
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 10)); // starts the hover timer

        ends[way]();
        skin::CreateTheSkin(); // for the next round and the fixture

        // (Wine may hand a procedure back in another form than it was read, so the procedures
        // are told by what they do: the window's own counts pings.)
        EXPECT_NE(ProcedureOf(window), windowSkin) << way;
        EXPECT_NE(ProcedureOf(push), buttonSkin) << way;
        EXPECT_NE(ProcedureOf(check), buttonSkin) << way;
        EXPECT_EQ(GetPropA(window, "Hw_hProc"), nullptr) << way;
        EXPECT_EQ(GetPropA(window, "Hw_lbID"), nullptr) << way;
        EXPECT_EQ(GetPropA(check, "Hw_hProc"), nullptr) << way;
        EXPECT_EQ(GetPropA(check, "Hw_FuID"), nullptr) << way;
        EXPECT_NE(ProcedureOf(common), commonSkin) << way;
        EXPECT_EQ(GetPropA(common, "Kj_hProc"), nullptr) << way;
        EXPECT_TRUE(skin::Engine.WindowList.empty()) << way;

        // Messages now reach the window's own procedure and the button's class procedure.
        pings = 0;
        EXPECT_EQ(SendMessageA(window, kPing, 0, 0), 1) << way;
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 10));
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 10));
        SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(300, 10));
        SetWindowPos(window, nullptr, 0, 0, 330, 250, SWP_NOMOVE | SWP_NOZORDER);
        Pump(60); // the hover timer, had it been left running, would fire now
        SendMessageA(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(check, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED) << way;
        EXPECT_EQ(SendMessageA(window, kPing, 0, 0), 2) << way;
        EXPECT_TRUE(DestroyWindow(window)) << way;
    }
}

TEST_F(HostileUseTest, ACopyThatSkinnedAWindowUnskinsOnlyThatWindow) {
    HWND byCopy = CountingWindow();
    HWND byEngine = TopLevel(60, 60, 300, 200);
    auto copy = skin::TheSkin->Copy();
    copy->SkinWindow(byCopy, 30);
    ASSERT_EQ(static_cast<std::uintptr_t>(ProcedureOf(byCopy)),
              skin::ThunkAddress(copy->WndProcThunk));
    const int p = SkinAndShow(byEngine);
    ASSERT_EQ(p, 2);

    const LONG_PTR copySkin = ProcedureOf(byCopy);
    copy.reset();
    EXPECT_NE(ProcedureOf(byCopy), copySkin);
    EXPECT_EQ(skin::FindWindowPosition(byCopy), 0);
    // The engine's own window keeps its skin, renumbered to the first position.
    EXPECT_TRUE(IsSkinnedProcedure(byEngine));
    EXPECT_EQ(skin::FindWindowPosition(byEngine), 1);
    EXPECT_EQ(GetPropA(byEngine, "Hw_lbID"), reinterpret_cast<HANDLE>(1));
    pings = 0;
    EXPECT_EQ(SendMessageA(byCopy, kPing, 0, 0), 1);
}

TEST_F(HostileUseTest, ALargePictureIsDecodedOnceAndKeptAtTheSizeThatCanShow) {
    const SIZE desktop{GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    ASSERT_LT(desktop.cx, kLargeWidth);
    ASSERT_LT(desktop.cy, kLargeHeight);
    struct Case {
        int mode;
        int offsetX;
        int offsetY;
    };
    const Case cases[] = {
        {skin::kImageBlendRight, 0, 0},
        {skin::kImageBlendLeft, kLargeWidth - desktop.cx, 0},
        {skin::kImageCentred, (kLargeWidth - desktop.cx) / 2, (kLargeHeight - desktop.cy) / 2},
        {skin::kImageTiled, 0, 0},
    };
    for (const Case& c : cases) {
        skin::BackgroundPicture cache;
        const int before = skin::BackgroundDecodeCount();
        const skin::BackgroundPicture* p =
            skin::CachedPicture(cache, LargePicture(), c.mode, SIZE{300, 200});
        ASSERT_NE(p, nullptr) << c.mode;
        EXPECT_EQ(skin::BackgroundDecodeCount(), before + 1) << c.mode;
        EXPECT_EQ(p->fullWidth, kLargeWidth);
        EXPECT_EQ(p->fullHeight, kLargeHeight);
        EXPECT_EQ(p->width, desktop.cx) << c.mode;
        EXPECT_EQ(p->height, desktop.cy) << c.mode;
        EXPECT_EQ(p->offsetX, c.offsetX) << c.mode;
        EXPECT_EQ(p->offsetY, c.offsetY) << c.mode;
        // The kept pixels are the image's own at that place.
        EXPECT_EQ(PictureColour(*p, 0, 0), PlaceColour(c.offsetX, c.offsetY)) << c.mode;
        EXPECT_EQ(PictureColour(*p, 700, 500), PlaceColour(c.offsetX + 700, c.offsetY + 500));
        // Asked again (any client up to the desktop), nothing is decoded.
        EXPECT_EQ(skin::CachedPicture(cache, LargePicture(), c.mode, desktop), p);
        EXPECT_EQ(skin::BackgroundDecodeCount(), before + 1) << c.mode;
        // A client larger than the desktop needs more of the image: decoded once more.
        p = skin::CachedPicture(cache, LargePicture(), c.mode, SIZE{desktop.cx + 50, 100});
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->width, desktop.cx + 50) << c.mode;
        EXPECT_EQ(skin::BackgroundDecodeCount(), before + 2) << c.mode;
    }
    // Stretched: the whole image reduced to the desktop.
    skin::BackgroundPicture cache;
    const skin::BackgroundPicture* p =
        skin::CachedPicture(cache, LargePicture(), skin::kImageStretched, SIZE{300, 200});
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width, desktop.cx);
    EXPECT_EQ(p->height, desktop.cy);
    EXPECT_EQ(p->offsetX, 0);
    // Other bytes, or another mode, are another picture; a mode that draws nothing has none.
    const skin::ByteSet small = compose_test::MakeBmp(40, 30, PlaceColour);
    p = skin::CachedPicture(cache, small, skin::kImageStretched, SIZE{300, 200});
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width, 40); // an image that fits is kept whole
    EXPECT_EQ(PictureColour(*p, 39, 29), PlaceColour(39, 29));
    EXPECT_TRUE(p->opaque);
    // One pixel not quite opaque: the colour below must still be laid first.
    plus::PlusBitmap seeThrough;
    ASSERT_TRUE(seeThrough.Create(8, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            seeThrough.SetPixel(x, y, x == 7 && y == 5 ? 0xFE102030u : 0xFF102030u);
    p = skin::CachedPicture(cache, seeThrough.SaveToBytes(plus::ImageFormatPNG),
                            skin::kImageStretched, SIZE{300, 200});
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(p->opaque);
    EXPECT_EQ(skin::CachedPicture(cache, small, 5, SIZE{300, 200}), nullptr);
    EXPECT_EQ(skin::CachedPicture(cache, {1, 2, 3}, skin::kImageTiled, SIZE{300, 200}), nullptr);
}

// Of a picture larger than the screen the blended modes keep the part that can show, and it
// holds exactly the pixels of the whole image blended at those places: the side band lies
// beyond the kept part, the bottom band (rows from 1200 - 600 + 1) reaches into it.
TEST_F(HostileUseTest, ALargeBlendedPictureIsBlendedOnlyWhereItCanShow) {
    const COLORREF colour = 0x00336699;
    plus::PlusBitmap whole;
    ASSERT_TRUE(whole.CreateFromStream(skin::BlendImageEdges(
        skin::ImageSource::Bytes(LargePicture()), colour, skin::EdgeVariant::Left)));
    plus::PlusBitmap wholeRight;
    ASSERT_TRUE(wholeRight.CreateFromStream(skin::BlendImageEdges(
        skin::ImageSource::Bytes(LargePicture()), colour, skin::EdgeVariant::Right)));
    for (int mode : {skin::kImageBlendLeft, skin::kImageBlendRight}) {
        plus::PlusBitmap& expected = mode == skin::kImageBlendLeft ? whole : wholeRight;
        skin::BackgroundPicture cache;
        const skin::BackgroundPicture* p =
            skin::CachedPicture(cache, LargePicture(), mode, SIZE{300, 200}, colour);
        ASSERT_NE(p, nullptr);
        ASSERT_LT(p->width, kLargeWidth);
        ASSERT_GT(p->height, 601); // the screen shows part of the bottom band
        int differing = 0;
        for (int y = 0; y < p->height; y += 3)
            for (int x = 0; x < p->width; x += 5)
                differing += p->pixels[static_cast<std::size_t>(y * p->width + x)] !=
                             expected.GetPixel(p->offsetX + x, y);
        EXPECT_EQ(differing, 0) << mode;
        // Above the band the image's own pixels; low in the band the colour shows through.
        EXPECT_EQ(PictureColour(*p, 10, 600), PlaceColour(p->offsetX + 10, 600)) << mode;
        EXPECT_NE(PictureColour(*p, 10, p->height - 1),
                  PlaceColour(p->offsetX + 10, p->height - 1));
        // Another colour is another picture.
        const skin::BackgroundPicture* other =
            skin::CachedPicture(cache, LargePicture(), mode, SIZE{300, 200}, 0x00FFFFFF);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other->blendColour, 0x00FFFFFFu);
    }
}

// Stretched, a picture larger than the screen is reduced to it, each kept pixel the mean of
// its box: here 2 x 2 boxes of a one-pixel black and white checker (grey) beside green. In the
// green's lower half one pixel of each box carries a red of 1, whose mean (a quarter) rounds to 0.
TEST_F(HostileUseTest, ALargeStretchedPictureIsReducedToBoxMeans) {
    const SIZE desktop{GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const int half = desktop.cx; // the checker covers the left half of the image
    const skin::ByteSet image =
        compose_test::MakeBmp(2 * desktop.cx, 2 * desktop.cy, [half, desktop](int x, int y) {
            if (x >= half) return RGB(y >= desktop.cy && x % 2 == 0 && y % 2 == 0 ? 1 : 0, 200, 0);
            return (x + y) % 2 ? RGB(255, 255, 255) : RGB(0, 0, 0);
        });
    skin::BackgroundPicture cache;
    const skin::BackgroundPicture* p =
        skin::CachedPicture(cache, image, skin::kImageStretched, SIZE{300, 200});
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width, desktop.cx);
    EXPECT_EQ(p->height, desktop.cy);
    for (const POINT at : {POINT{0, 0}, POINT{desktop.cx / 2 - 1, desktop.cy - 1},
                           POINT{desktop.cx / 3, desktop.cy / 2}})
        EXPECT_EQ(PictureColour(*p, at.x, at.y), RGB(128, 128, 128)) << at.x << "," << at.y;
    for (const POINT at : {POINT{desktop.cx / 2, 0}, POINT{desktop.cx - 1, desktop.cy - 1}})
        EXPECT_EQ(PictureColour(*p, at.x, at.y), RGB(0, 200, 0)) << at.x << "," << at.y;
    EXPECT_EQ(p->pixels[0] >> 24, 0xFFu);
}

TEST_F(HostileUseTest, SetThemeWithALargePictureDecodesItOnceAndRepaintsWithoutDecoding) {
    HWND window = TopLevel(20, 20, 300, 200);
    const int p = SkinAndShow(window);
    ASSERT_GE(p, 1);
    skin::Engine.FirstPaint = 0;
    struct Case {
        int mode;
        int imageX; // the image column shown at client x = 0
        int imageY; // the image row shown at client y = 0
    };
    const Case cases[] = {
        {skin::kImageTiled, 0, 0},
        {skin::kImageCentred, (kLargeWidth - 300) / 2, (kLargeHeight - 200) / 2},
        {skin::kImageBlendLeft, kLargeWidth - 300, 0},
    };
    for (const Case& c : cases) {
        const int before = skin::BackgroundDecodeCount();
        skin::TheSkin->SetTheme({}, LargePicture(), 0x00336699, std::nullopt, c.mode);
        for (int i = 0; i < 3; ++i)
            skin::TheSkin->RebuildBackground(p);
        // The image SetTheme opened is handed on, blended modes included: no repaint opens it.
        EXPECT_EQ(skin::BackgroundDecodeCount(), before) << c.mode;
        // The back buffer shows the image's own pixels where they belong (below the caption,
        // clear of the border; the blended band lies at the image's far edges).
        HDC buffer = BackBufferOf(p);
        for (const POINT at : {POINT{150, 100}, POINT{40, 160}, POINT{250, 60}})
            EXPECT_EQ(GetPixel(buffer, at.x, at.y), PlaceColour(c.imageX + at.x, c.imageY + at.y))
                << c.mode << " at " << at.x << "," << at.y;
    }
    skin::TheSkin->SetTheme({}, {}, 0x00336699);
    EXPECT_TRUE(skin::Engine.ThemePicture.Empty());
}
