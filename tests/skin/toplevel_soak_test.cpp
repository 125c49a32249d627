// Long runs over a skinned window with buttons: paints, resizes, hover cycles and theme
// changes leave GDI objects, windows and GDI+ wrappers where they started. Also writes the
// screenshot of skinned buttons in their states (build/x64/toplevel-buttons.bmp).
#include "skinned_window_fixture.h"

#include "skin/controls/buttons.h"
#include "skin/controls/framework.h"

#include <cstdio>

using namespace toplevel_testing;

namespace {

class ToplevelSoakTest : public SkinnedWindowTest {};

} // namespace

TEST_F(ToplevelSoakTest, PaintsResizesHoversAndThemeChangesLeaveNothingBehind) {
    HWND window = TopLevel(20, 20, 420, 300);
    HWND push = Keep(CreateChild(window, "BUTTON", "按钮", BS_PUSHBUTTON, 20, 50, 90, 26));
    HWND check = Keep(CreateChild(window, "BUTTON", "复选框", BS_AUTOCHECKBOX, 20, 90, 120, 24));
    HWND radio = Keep(CreateChild(window, "BUTTON", "单选", BS_AUTORADIOBUTTON, 20, 120, 120, 24));
    const int p = SkinAndShow(window, 30, 1, 20);
    Pump(100);
    // One round of everything first, so objects the system makes once are not counted.
    skin::TheSkin->SetTheme({}, {}, 0x00336699u);
    for (HWND b : {push, check, radio}) {
        SendMessageA(b, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        SendMessageA(b, WM_MOUSELEAVE, 0, 0);
    }
    // A few resizes too: the second repaint after a resize makes Wine add one display DC (with
    // its region and surface) to its window-DC cache, which it keeps for reuse.
    for (int i = 0; i < 3; ++i) {
        SetWindowPos(window, nullptr, 0, 0, 410 + i, 290,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateWindow(window);
    }
    WhileAnotherWindowIsActive(window, [&] {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    });
    Pump(100);

    const int gdi = testing_support::GdiObjectCount();
    const int windows = testing_support::ThreadWindowCount();
    const int wrappers = plus::LiveObjectCount();
    const auto handles = testing_support::GdiHandleSnapshot();

    // What each run must show, one object kept per step: a hundred paints of each of the four
    // windows; every one of the 150 sizes the resize pattern takes (growing past and shrinking
    // within the kept back buffer); twenty hover, fade and leave rounds over each caption button
    // and each child button; twenty theme changes each way.
    for (int i = 0; i < 400; ++i) {
        HWND target = (i % 4 == 0) ? window : (i % 4 == 1) ? push : (i % 4 == 2) ? check : radio;
        InvalidateRect(target, nullptr, TRUE);
        UpdateWindow(target);
    }
    for (int i = 0; i < 150; ++i) {
        SetWindowPos(window, nullptr, 0, 0, 400 + i % 50, 280 + i % 30,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateWindow(window);
    }
    skin::WindowRecord* rec = skin::RecordAt(p);
    for (int i = 0; i < 60; ++i) {
        const auto& r =
            rec->CaptionButtons[static_cast<size_t>(i % rec->CaptionButtons.size())].Rect;
        SendMessageA(window, WM_MOUSEMOVE, 0,
                     MAKELPARAM(static_cast<int>(r.x + r.width / 2), static_cast<int>(r.y + 9)));
        SendMessageA(window, WM_MOUSEHOVER, 0, 0);
        SendMessageA(window, WM_TIMER, reinterpret_cast<WPARAM>(window), 0);
        SendMessageA(window, WM_MOUSELEAVE, 0, 0);
        for (int t = 0; t < 9; ++t)
            SendMessageA(window, WM_TIMER, reinterpret_cast<WPARAM>(window), 0);
        HWND button = (i % 3 == 0) ? push : (i % 3 == 1) ? check : radio;
        SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        SendMessageA(button, WM_MOUSELEAVE, 0, 0);
    }
    for (int i = 0; i < 40; ++i) {
        skin::TheSkin->SetTheme({}, {}, (i % 2) ? 0x00FF8800u : 0x00336699u);
        Pump(1);
    }
    Pump(100);

    EXPECT_EQ(testing_support::GdiObjectCount(), gdi)
        << "new handles (index:type): "
        << testing_support::NewGdiHandles(handles, testing_support::GdiHandleSnapshot());
    EXPECT_EQ(testing_support::ThreadWindowCount(), windows);
    EXPECT_EQ(plus::LiveObjectCount(), wrappers);
    EXPECT_EQ(skin::CapturedDCCount(), 0);
    EXPECT_EQ(rec->HoverTimer, 0);
}

TEST_F(ToplevelSoakTest, ScreenshotOfButtonsInTheirStates) {
    skin::TheSkin->SetTheme({}, {}, 0x00FF8800u);
    HWND window = TopLevel(0, 0, 520, 300);
    SetWindowTextA(window, "按钮状态");
    HWND normal = Keep(CreateChild(window, "BUTTON", "普通", BS_PUSHBUTTON, 20, 50, 100, 28));
    HWND hot = Keep(CreateChild(window, "BUTTON", "悬停", BS_PUSHBUTTON, 140, 50, 100, 28));
    HWND pressed = Keep(CreateChild(window, "BUTTON", "按下", BS_PUSHBUTTON, 260, 50, 100, 28));
    HWND focused = Keep(CreateChild(window, "BUTTON", "焦点", BS_PUSHBUTTON, 380, 50, 100, 28));
    HWND disabled = Keep(CreateChild(window, "BUTTON", "禁用", BS_PUSHBUTTON, 20, 100, 100, 28));
    HWND check = Keep(CreateChild(window, "BUTTON", "复选框", BS_AUTOCHECKBOX, 140, 100, 110, 24));
    HWND checkHot =
        Keep(CreateChild(window, "BUTTON", "悬停复选", BS_AUTOCHECKBOX, 260, 100, 110, 24));
    HWND checkOn =
        Keep(CreateChild(window, "BUTTON", "已选中", BS_AUTOCHECKBOX, 380, 100, 110, 24));
    HWND radio = Keep(
        CreateChild(window, "BUTTON", "单选一", BS_AUTORADIOBUTTON | WS_GROUP, 20, 150, 110, 24));
    HWND radioOn =
        Keep(CreateChild(window, "BUTTON", "单选二", BS_AUTORADIOBUTTON, 140, 150, 110, 24));
    HWND radioHot =
        Keep(CreateChild(window, "BUTTON", "悬停单选", BS_AUTORADIOBUTTON, 260, 150, 110, 24));
    HWND checkDisabled =
        Keep(CreateChild(window, "BUTTON", "禁用复选", BS_AUTOCHECKBOX, 380, 150, 110, 24));
    SendMessageA(checkOn, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(radioOn, BM_SETCHECK, BST_CHECKED, 0);
    EnableWindow(disabled, FALSE);
    EnableWindow(checkDisabled, FALSE);
    SkinAndShow(window, 30, 1, 20);
    SetForegroundWindow(window);
    SetFocus(focused);
    Pump(100);
    SendMessageA(pressed, BM_SETSTATE, TRUE, 0);
    Pump(50);
    SendMessageA(hot, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    skin::RepaintButton(checkHot, ODS_HOTLIGHT);
    skin::RepaintButton(radioHot, ODS_HOTLIGHT);

    // Each state's face differs from the plain one where no caption is written: the left
    // columns of a push button, the box or ring of a check box or radio button.
    auto leftColumns = [](HWND control, int width) {
        RECT r{};
        GetClientRect(control, &r);
        Picture picture{width, r.bottom, {}};
        HDC dc = GetDC(control);
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < width; ++x)
                picture.pixels.push_back(GetPixel(dc, x, y));
        ReleaseDC(control, dc);
        return picture;
    };
    const struct {
        HWND plain, other;
        int width;
        int least;
    } pairs[] = {
        {normal, hot, 12, 60},     {normal, pressed, 12, 60}, {normal, disabled, 12, 60},
        {check, checkHot, 16, 20}, {check, checkOn, 16, 20},  {radio, radioHot, 16, 20},
        {radio, radioOn, 16, 20},
    };
    for (const auto& pair : pairs) {
        const int differing = CountDifferences(leftColumns(pair.plain, pair.width),
                                               leftColumns(pair.other, pair.width));
        EXPECT_GE(differing, pair.least) << skin::WindowTextOf(pair.other);
        std::printf("%s: %d\n", skin::WindowTextOf(pair.other).c_str(), differing);
    }

    const std::string path = std::string(VARNEL_BINARY_DIR) + "/toplevel-buttons.bmp";
    EXPECT_TRUE(testing_support::SaveScreenshot(window, path));
    std::printf("screenshot: %s\n", path.c_str());
}
