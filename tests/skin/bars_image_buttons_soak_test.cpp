// Long run over a skinned window with track bars, progress bars and image buttons: a hundred
// hovers, drags, key presses and position changes, then destroying the window, leave GDI
// objects, windows and GDI+ wrappers where they started.
#include "skinned_window_fixture.h"

#include "plus/plus_image.h"
#include "skin/controls/progress_bars.h"
#include "skin/controls/trackbars.h"

#include <commctrl.h>

using namespace toplevel_testing;

namespace {

class BarsSoakTest : public SkinnedWindowTest {
protected:
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
    }
};

skin::ByteSet Png(COLORREF colour) {
    plus::PlusBitmap bitmap;
    bitmap.Create(12, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            bitmap.SetPixel(x, y, 0xFF000000u | colour);
    return bitmap.SaveToBytes(plus::ImageFormatPNG);
}

struct Controls {
    HWND window, flat, upright, progress, imageButton, stripButton;
};

Controls Build(HWND window) {
    auto make = [&](const char* cls, DWORD style, int x, int y, int w, int h) {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, window,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    };
    Controls c{window,
               make(TRACKBAR_CLASSA, TBS_ENABLESELRANGE | TBS_BOTH, 20, 50, 200, 40),
               make(TRACKBAR_CLASSA, TBS_VERT, 240, 50, 40, 160),
               make(PROGRESS_CLASSA, 0, 20, 110, 200, 20),
               nullptr,
               nullptr};
    SendMessageA(c.flat, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageA(c.flat, TBM_SETSEL, TRUE, MAKELPARAM(10, 40));
    return c;
}

// The image buttons join after the window is skinned, as a program registers them.
void AddImageButtons(Controls& c) {
    auto make = [&](int x) {
        return CreateWindowExA(0, "BUTTON", "图", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x, 150, 60,
                               36, c.window, nullptr, GetModuleHandleA(nullptr), nullptr);
    };
    c.imageButton = make(20);
    c.stripButton = make(100);
    skin::TheSkin->SkinImageButton(c.imageButton, Png(0x0000FF), 1, std::string("一"));
    skin::TheSkin->SkinStateImageButton(c.stripButton, Png(0xFF0000), Png(0x00FF00), Png(0x0000FF),
                                        Png(0xFFFF00), std::string("二"));
}

// One hover (the controls in turn), one drag, one key press, two position changes; a press of
// the state-image button every fifth cycle and a disabled spell every fiftieth.
void Cycle(const Controls& c, int i) {
    const HWND targets[] = {c.flat, c.upright, c.progress, c.imageButton, c.stripButton};
    HWND hovered = targets[i % 5];
    SendMessageA(hovered, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(hovered, WM_MOUSELEAVE, 0, 0);
    RECT t{};
    SendMessageA(c.flat, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
    const int cy = (t.top + t.bottom) / 2;
    const int to = 20 + (i * 37) % 160;
    SendMessageA(c.flat, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(t.left + 5, cy));
    SendMessageA(c.flat, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, cy));
    SendMessageA(c.flat, WM_LBUTTONUP, 0, MAKELPARAM(to, cy));
    SendMessageA(c.upright, WM_KEYDOWN, i % 2 ? VK_DOWN : VK_UP, 0);
    SendMessageA(c.upright, TBM_SETPOS, TRUE, i % 11);
    SendMessageA(c.progress, PBM_SETPOS, i % 101, 0);
    if (i % 5 == 0) {
        SendMessageA(c.stripButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageA(c.stripButton, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    if (i % 50 == 0) {
        EnableWindow(c.stripButton, FALSE);
        EnableWindow(c.stripButton, TRUE);
    }
    for (HWND target : targets)
        UpdateWindow(target);
}

} // namespace

TEST_F(BarsSoakTest, HoverDragKeyAndPositionCyclesLeaveNothingBehind) {
    // One window through everything first, so objects the system makes once (Wine's window-DC
    // cache among them) are not counted.
    {
        HWND window = TopLevel(20, 20, 420, 300);
        Controls c = Build(window);
        SkinAndShow(window, 30, 1, 20);
        AddImageButtons(c);
        for (int i = 0; i < 30; ++i)
            Cycle(c, i);
        WhileAnotherWindowIsActive(window, [&] {
            for (int i = 0; i < 4; ++i)
                Cycle(c, i);
        });
        DestroyWindow(window);
        Pump(50);
    }
    const Leftovers before;

    HWND window = TopLevel(20, 20, 420, 300);
    Controls c = Build(window);
    const int p = SkinAndShow(window, 30, 1, 20);
    AddImageButtons(c);
    ASSERT_EQ(skin::RecordAt(p)->TrackBars.size(), 2u);
    ASSERT_EQ(skin::RecordAt(p)->ProgressBars.size(), 1u);
    ASSERT_EQ(skin::RecordAt(p)->Buttons.size(), 2u);
    for (int i = 0; i < 4; ++i)
        Cycle(c, i);
    Pump(50);
    const int gdiWhileSkinned = testing_support::GdiObjectCount();
    const int wrappersWhileSkinned = plus::LiveObjectCount();
    // A hundred cycles: twenty hovers of each control, a hundred drags, key presses and
    // position changes, twenty presses and two disabled spells. One object kept by any of them
    // shows in the count.
    for (int i = 0; i < 100; ++i)
        Cycle(c, i);
    Pump(50);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiWhileSkinned)
        << "nothing piles up while the window lives";
    EXPECT_EQ(plus::LiveObjectCount(), wrappersWhileSkinned);
    EXPECT_EQ(skin::CapturedDCCount(), 0);

    DestroyWindow(window);
    Pump(50);
    before.ExpectBack();
}
