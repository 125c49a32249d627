// SkinWindow and WindowProc on real top-level windows driven with real messages.
#include "compose_fixture.h"
#include "skinned_window_fixture.h"

#include "skin/controls/buttons.h"
#include "skin/core/skin_window.h"
#include "skin/services/back_buffer.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <utility>
#include <vector>

using namespace toplevel_testing;
using testing_support::ColoursNear;

namespace {

class SkinWindowTest : public SkinnedWindowTest {
protected:
    static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

    // Centre of caption button `b` (1-based) in client coordinates.
    static POINT ButtonCentre(int p, int b) {
        const auto& rect = skin::RecordAt(p)->CaptionButtons[static_cast<size_t>(b - 1)].Rect;
        return POINT{static_cast<LONG>(rect.x + rect.width / 2),
                     static_cast<LONG>(rect.y + rect.height / 2)};
    }
    static void Click(HWND window, POINT pt) {
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(pt.x, pt.y));
        SendMessageA(window, WM_LBUTTONUP, 0, At(pt.x, pt.y));
    }
    static SIZE OuterSize(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }
    // A taskbar 40 pixels high along the screen's bottom: the system's own where there is one
    // (its height then read), else a window of the taskbar's class made here.
    int Taskbar() {
        if (HWND bar = FindWindowA("Shell_TrayWnd", nullptr)) {
            RECT r{};
            GetWindowRect(bar, &r);
            return r.bottom - r.top;
        }
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "Shell_TrayWnd";
        RegisterClassA(&wc);
        const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
        Keep(CreateWindowExA(WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, cy - 40, cx, 40,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        return 40;
    }
};

// The window's own procedure under the skin's: records what reaches it, and keeps system
// commands from really minimizing the window.
std::vector<UINT> reached;
WNDPROC ownProcedure = nullptr;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    reached.push_back(message);
    if (message == WM_SYSCOMMAND) return 0;
    return CallWindowProcA(ownProcedure, window, message, wParam, lParam);
}

// The caption tooltip's TTM_RELAYEVENT messages, counted on their way to it.
std::vector<UINT> relayedToTip;
WNDPROC tipProcedure = nullptr;
LRESULT CALLBACK TipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TTM_RELAYEVENT)
        relayedToTip.push_back(reinterpret_cast<const MSG*>(lParam)->message);
    return CallWindowProcA(tipProcedure, window, message, wParam, lParam);
}

int handlerCalls = 0;
void CountHandlerCall() {
    ++handlerCalls;
}

} // namespace

TEST_F(SkinWindowTest, InstallStoresDefaultsClampsAndTakesOverTheProcedure) {
    HWND window = TopLevel(30, 30, 400, 300);
    const LONG_PTR original = GetWindowLongPtrA(window, GWLP_WNDPROC);
    skin::TheSkin->SkinWindow(window, 10);
    const int p = skin::FindWindowPosition(window);
    ASSERT_GE(p, 1);
    skin::WindowRecord* rec = skin::RecordAt(p);
    EXPECT_EQ(rec->CaptionHeight, 25);
    EXPECT_EQ(rec->HasCaption, 1);
    EXPECT_EQ(rec->Resizable, 1);
    EXPECT_EQ(rec->ShowTitle, 1);
    EXPECT_EQ(rec->CaptionGloss, 0);
    EXPECT_EQ(rec->StatusHeight, 0);
    EXPECT_EQ(rec->BackgroundStale, 1);
    EXPECT_EQ(skin::TheSkin->FrameWidth, 3);
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC),
              static_cast<LONG_PTR>(skin::ThunkAddress(skin::TheSkin->WndProcThunk)));
    // The saved procedure is the one in place just before (the window's own; the caption
    // tooltip is handed the mouse messages and does not subclass it), and messages still reach
    // the window's own procedure through it.
    EXPECT_NE(GetPropA(window, "Hw_hProc"), nullptr);
    EXPECT_NE(reinterpret_cast<LONG_PTR>(GetPropA(window, "Hw_hProc")),
              GetWindowLongPtrA(window, GWLP_WNDPROC));
    (void)original;
    EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropA(window, "Hw_lbID")), p);
    // Minimize, maximize, close; each button's tooltip is a tool of the window's tooltip.
    ASSERT_EQ(rec->CaptionButtons.size(), 3u);
    EXPECT_EQ(rec->CaptionButtons[0].Kind, 2);
    EXPECT_EQ(rec->CaptionButtons[0].Tooltip, "最小化");
    EXPECT_EQ(rec->CaptionButtons[1].Kind, 1);
    EXPECT_FALSE(rec->CaptionButtons[1].AlternateImage.empty());
    EXPECT_EQ(rec->CaptionButtons[2].Kind, 0);
    EXPECT_EQ(rec->CaptionButtons[2].Tooltip, "关闭");
    EXPECT_EQ(rec->CaptionButtonsWidth, 26 + 26 + 38);
    HWND tip = rec->Tooltip->GetTooltipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 3);
    // The tooltip is handed the window's mouse messages, and only those.
    tipProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TipProc)));
    relayedToTip.clear();
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(5, 60));
    SendMessageA(window, WM_ERASEBKGND, 0, 0);
    SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(5, 60));
    EXPECT_EQ(relayedToTip, (std::vector<UINT>{WM_MOUSEMOVE, WM_RBUTTONUP}));

    HWND tall = TopLevel(60, 60, 400, 300);
    skin::TheSkin->SkinWindow(tall, 110, std::nullopt, std::nullopt, 1, 1);
    skin::WindowRecord* tallRec = skin::RecordAt(skin::FindWindowPosition(tall));
    EXPECT_EQ(tallRec->CaptionHeight, 110);
    ASSERT_EQ(tallRec->CaptionButtons.size(), 5u);
    EXPECT_EQ(tallRec->CaptionButtons[0].Tooltip, "帮助");
    EXPECT_EQ(tallRec->CaptionButtons[1].Tooltip, "主菜单");
}

TEST_F(SkinWindowTest, WindowWithoutMinimizeAndMaximizeBoxesGetsOnlyTheCloseButton) {
    HWND window = TopLevel(30, 30, 400, 300, WS_POPUP);
    const int p = SkinAndShow(window);
    skin::WindowRecord* rec = skin::RecordAt(p);
    ASSERT_EQ(rec->CaptionButtons.size(), 1u);
    EXPECT_EQ(rec->CaptionButtons[0].Kind, 0);
    EXPECT_EQ(rec->CaptionButtons[0].Width, 38);
    EXPECT_EQ(rec->CaptionButtonsWidth, 38);
}

TEST_F(SkinWindowTest, SkinningTwiceChangesNothing) {
    HWND window = TopLevel(30, 30, 400, 300);
    Keep(CreateChild(window, "BUTTON", "ok", BS_PUSHBUTTON, 20, 50, 80, 24));
    const int p = SkinAndShow(window);
    const size_t records = skin::Engine.WindowList.size();
    const LONG_PTR proc = GetWindowLongPtrA(window, GWLP_WNDPROC);
    const HANDLE saved = GetPropA(window, "Hw_hProc");
    const size_t buttons = skin::RecordAt(p)->Buttons.size();
    skin::TheSkin->SkinWindow(window, 60, 0, 0);
    EXPECT_EQ(skin::Engine.WindowList.size(), records);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), proc);
    EXPECT_EQ(GetPropA(window, "Hw_hProc"), saved);
    EXPECT_EQ(skin::RecordAt(p)->CaptionHeight, 30);
    EXPECT_EQ(skin::RecordAt(p)->Buttons.size(), buttons);
}

TEST_F(SkinWindowTest, DoubleClickInTheCaptionMaximizesOnlyResizableWindows) {
    HWND fixed = TopLevel(30, 30, 400, 300);
    const int pf = SkinAndShow(fixed, 40, /*resizable=*/0);
    const SIZE before = OuterSize(fixed);
    SendMessageA(fixed, WM_LBUTTONDBLCLK, MK_LBUTTON, At(100, 20));
    Pump();
    EXPECT_EQ(skin::RecordAt(pf)->IsMaximized, 0);
    EXPECT_EQ(OuterSize(fixed).cx, before.cx);
    EXPECT_EQ(OuterSize(fixed).cy, before.cy);

    HWND sizable = TopLevel(40, 40, 400, 300);
    const int ps = SkinAndShow(sizable, 40, 1);
    SendMessageA(sizable, WM_LBUTTONDBLCLK, MK_LBUTTON, At(100, 60)); // below the caption
    EXPECT_EQ(skin::RecordAt(ps)->IsMaximized, 0);
    SendMessageA(sizable, WM_LBUTTONDBLCLK, MK_LBUTTON, At(100, 20));
    Pump();
    EXPECT_EQ(skin::RecordAt(ps)->IsMaximized, 1);
}

TEST_F(SkinWindowTest, MaximizeButtonSizesTheWindowToTheScreenLessTheTaskbarAndRestores) {
    const int taskbar = Taskbar();
    HWND window = TopLevel(30, 30, 400, 300);
    const int p = SkinAndShow(window);
    const int b = skin::TheSkin->FindMaximizeButton(p);
    ASSERT_GE(b, 1);
    Click(window, ButtonCentre(p, b));
    Pump(200);
    EXPECT_EQ(skin::RecordAt(p)->IsMaximized, 1);
    EXPECT_TRUE(IsZoomed(window));
    const SIZE max = OuterSize(window);
    EXPECT_EQ(max.cx, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(max.cy, GetSystemMetrics(SM_CYSCREEN) - taskbar);
    // The caption buttons follow the new width.
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(skin::RecordAt(p)->ButtonsLeft,
              client.right - skin::RecordAt(p)->CaptionButtonsWidth + 1);

    Click(window, ButtonCentre(p, b));
    Pump(200);
    EXPECT_EQ(skin::RecordAt(p)->IsMaximized, 0);
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_EQ(OuterSize(window).cx, 400);
}

TEST_F(SkinWindowTest, MinMaxInfoKeepsTheTrackSizes) {
    HWND window = TopLevel(30, 30, 400, 300);
    SkinAndShow(window);
    MINMAXINFO info{};
    EXPECT_EQ(SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(info.ptMinTrackSize.x, 200);
    EXPECT_EQ(info.ptMinTrackSize.y, 150);
    EXPECT_EQ(info.ptMaxTrackSize.x, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(info.ptMaxTrackSize.y, GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(SkinWindowTest, HandlerButtonsRunTheirRoutineAndNoSystemCommand) {
    HWND window = TopLevel(30, 30, 400, 300);
    skin::TheSkin->SkinWindow(window, 30, 1, 1, /*help=*/1, /*menu=*/1);
    ShowWindow(window, SW_SHOWNORMAL);
    Pump();
    const int p = skin::FindWindowPosition(window);
    skin::RecordAt(p)->HandlerA = CountHandlerCall;
    handlerCalls = 0;
    Click(window, ButtonCentre(p, 1)); // help: HandlerA
    EXPECT_EQ(handlerCalls, 1);
    Click(window, ButtonCentre(p, 2)); // menu: no HandlerB set, nothing happens
    EXPECT_EQ(handlerCalls, 1);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsIconic(window));

    // The close button closes, and the record goes with the window.
    const size_t records = skin::Engine.WindowList.size();
    Click(window, ButtonCentre(p, 5));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(skin::Engine.WindowList.size(), records - 1);
}

TEST_F(SkinWindowTest, DestroyingTheFirstWindowRenumbersTheSecondAndItsControls) {
    HWND first = TopLevel(30, 30, 300, 200);
    Keep(CreateChild(first, "BUTTON", "a", BS_PUSHBUTTON, 20, 50, 80, 24));
    HWND second = TopLevel(60, 60, 300, 200);
    HWND push = Keep(CreateChild(second, "BUTTON", "b", BS_PUSHBUTTON, 20, 50, 80, 24));
    HWND check = Keep(CreateChild(second, "BUTTON", "c", BS_AUTOCHECKBOX, 20, 80, 80, 24));
    HWND common = Keep(CreateChild(second, "STATIC", "", 0, 20, 110, 80, 24));
    const int p1 = SkinAndShow(first);
    const int p2 = SkinAndShow(second);
    ASSERT_EQ(p2, p1 + 1);
    skin::SetPropValue(common, "Kj_FuID", static_cast<INT_PTR>(p2));

    DestroyWindow(first);
    EXPECT_EQ(skin::FindWindowPosition(second), p1);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropA(second, "Hw_lbID")), p1);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropA(push, "Hw_FuID")), p1);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropA(check, "Hw_FuID")), p1);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropA(common, "Kj_FuID")), p1);
    // The survivors still work through their records.
    EXPECT_NE(skin::ButtonRecordOf(push), nullptr);
    SendMessageA(check, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    SendMessageA(check, WM_LBUTTONUP, 0, At(5, 5));
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(SkinWindowTest, HoverStepsTheButtonInThenFadesItOutAndStopsTheTimer) {
    HWND window = TopLevel(30, 30, 400, 300);
    const int p = SkinAndShow(window);
    skin::WindowRecord* rec = skin::RecordAt(p);
    const int close = static_cast<int>(rec->CaptionButtons.size());
    const POINT c = ButtonCentre(p, close);
    const COLORREF plain = WindowPixel(window, c.x - 8, c.y + 5);

    SendMessageA(window, WM_MOUSEMOVE, 0, At(c.x, c.y));
    EXPECT_EQ(rec->HoverTimer, 1);
    EXPECT_EQ(rec->HotButton, close);
    EXPECT_EQ(rec->HoverIn.Button, close);
    EXPECT_EQ(skin::TheSkin->HotCaptionButton, close);
    SendMessageA(window, WM_MOUSEHOVER, 0, At(c.x, c.y));
    EXPECT_EQ(rec->MouseInside, 1);

    // Each tick raises the close button's red fill: levels 30, 60 ... 240.
    int lastRed = GetRValue(plain) - GetBValue(plain);
    for (int step = 1; step <= 8; ++step) {
        SendMessageA(window, WM_TIMER, reinterpret_cast<WPARAM>(window), 0);
        EXPECT_EQ(rec->HoverIn.Step, step);
        const COLORREF now = WindowPixel(window, c.x - 8, c.y + 5);
        const int red = GetRValue(now) - GetBValue(now);
        EXPECT_GT(red, lastRed) << "step " << step;
        lastRed = red;
    }
    SendMessageA(window, WM_TIMER, reinterpret_cast<WPARAM>(window), 0);
    EXPECT_EQ(rec->HoverIn.Step, 8) << "stops at 8";
    EXPECT_EQ(rec->HoverTimer, 1) << "kept while the mouse is on the row";

    SendMessageA(window, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(rec->MouseInside, 0);
    EXPECT_EQ(rec->HotButton, 0);
    EXPECT_EQ(rec->HoverOut.Button, close);
    for (int step = 1; step <= 8; ++step) {
        SendMessageA(window, WM_TIMER, reinterpret_cast<WPARAM>(window), 0);
        const COLORREF now = WindowPixel(window, c.x - 8, c.y + 5);
        const int red = GetRValue(now) - GetBValue(now);
        EXPECT_LT(red, lastRed) << "fade-out step " << step;
        lastRed = red;
    }
    // The last fade step ended the animation: timer stopped and state cleared.
    EXPECT_EQ(rec->HoverTimer, 0);
    EXPECT_EQ(rec->HoverOut.Button, 0);
    EXPECT_EQ(rec->HoverIn.Button, 0);
    EXPECT_TRUE(ColoursNear(WindowPixel(window, c.x - 8, c.y + 5), plain, 10));
}

TEST_F(SkinWindowTest, SkinnedWindowsLeaveNothingBehindWhenDestroyed) {
    int gdiBefore = 0, windowsBefore = 0;
    for (int i = 0; i < 4; ++i) {
        if (i == 1) { // after a first run has made the system's lazily created objects
            gdiBefore = testing_support::GdiObjectCount();
            windowsBefore = testing_support::ThreadWindowCount();
        }
        HWND window = TopLevel(30, 30, 300, 200);
        Keep(CreateChild(window, "BUTTON", "b", BS_PUSHBUTTON, 20, 90, 80, 24));
        SkinAndShow(window, 30, 1, 20);
        DestroyWindow(window);
        Pump(20);
    }
    EXPECT_EQ(testing_support::ThreadWindowCount(), windowsBefore);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore);
}

TEST_F(SkinWindowTest, TranslucentControlsGetWashedBrushesThatGoWithTheWindow) {
    auto cycle = [&](bool check) {
        HWND window = TopLevel(30, 30, 300, 200);
        HWND label = Keep(CreateChild(window, "STATIC", "label", 0, 20, 50, 100, 24));
        HWND push = Keep(CreateChild(window, "BUTTON", "b", BS_PUSHBUTTON, 20, 90, 80, 24));
        SkinAndShow(window);
        skin::Engine.TranslucentControls = 1;
        HDC dc = GetDC(label);
        const LRESULT brush = SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(label));
        const int gdiAfterFirst = testing_support::GdiObjectCount();
        // Asking again replaces the pair instead of piling them up.
        SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(label));
        const int gdiAfterSecond = testing_support::GdiObjectCount();
        ReleaseDC(label, dc);
        dc = GetDC(push);
        const LRESULT hollow = SendMessageA(window, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(push));
        ReleaseDC(push, dc);
        skin::Engine.TranslucentControls = 0;
        dc = GetDC(label);
        const LRESULT opaque = SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(label));
        ReleaseDC(label, dc);
        if (check) {
            EXPECT_NE(brush, 0);
            EXPECT_NE(GetPropA(label, "Kj_wtjb"), nullptr);
            EXPECT_EQ(gdiAfterSecond, gdiAfterFirst);
            EXPECT_EQ(hollow, reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
            EXPECT_EQ(reinterpret_cast<LRESULT>(GetPropA(push, "Kj_dxjb")), hollow);
            EXPECT_NE(opaque, reinterpret_cast<LRESULT>(GetPropA(label, "Kj_dxjb")))
                << "opaque controls are answered by the window's own procedure";
        }
        DestroyWindow(window);
        Pump(20);
    };
    cycle(false); // the first run makes the system's lazily created objects
    const int gdiBefore = testing_support::GdiObjectCount();
    cycle(true);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore);
}

TEST_F(SkinWindowTest, MessagesForAWindowWhoseRecordIsGoneArePassedOnUntouched) {
    HWND window = TopLevel(30, 30, 400, 300);
    const int p = SkinAndShow(window);
    // A stale position, as on a window whose record was removed while its properties stayed.
    skin::SetPropValue(window, "Hw_lbID", static_cast<INT_PTR>(p + 50));
    EXPECT_EQ(SendMessageA(window, WM_ERASEBKGND, 0, 0) == 1, false)
        << "WM_ERASEBKGND with no DC goes to the default procedure";
    SendMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, At(100, 10));
    EXPECT_EQ(skin::RecordAt(p)->IsMaximized, 0);
    MINMAXINFO info{};
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_NE(info.ptMinTrackSize.x, 200);
    skin::SetPropValue(window, "Hw_lbID", static_cast<INT_PTR>(p));
}

TEST_F(SkinWindowTest, QuitReachingTheWindowLeavesDrawingRunning) {
    HWND window = TopLevel(30, 30, 400, 300);
    SkinAndShow(window);
    SendMessageA(window, WM_QUIT, 0, 0);
    EXPECT_TRUE(plus::GdiPlusRunning());
    EXPECT_EQ(skin::CapturedDCCount(), 0);
}

TEST_F(SkinWindowTest, PushButtonsArePaintedThroughTheWindowsDrawItem) {
    HWND window = TopLevel(20, 20, 420, 320);
    HWND push = Keep(CreateChild(window, "BUTTON", "push", BS_PUSHBUTTON, 10, 40, 100, 26));
    SkinAndShow(window);
    InvalidateRect(push, nullptr, TRUE);
    UpdateWindow(push);
    const Picture onScreen = GrabClient(push);

    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 100, 26);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT client{0, 0, 100, 26};
    skin::PaintStandardButtonFace(push, mem, 0, client);
    const Picture direct = GrabDC(mem, 100, 26);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    EXPECT_LE(CountDifferences(onScreen, direct), 5);
}

// Every message the skin acts on still reaches the window's own procedure (but the erase, the
// size limits and the paint, which the skin answers itself), and each row keeps its state.
TEST_F(SkinWindowTest, EachRowPassesItsMessageOnAndKeepsItsState) {
    HWND window = TopLevel(30, 30, 400, 300);
    ownProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
    const int p = SkinAndShow(window);
    skin::WindowRecord* rec = skin::RecordAt(p);
    reached.clear();
    NMHDR header{window, 7, 0};
    WINDOWPOS position{window, nullptr, 30, 30, 400, 300, SWP_NOZORDER};
    DRAWITEMSTRUCT item{};
    MINMAXINFO limits{};
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool passedOn;
    } rows[] = {
        {WM_COMMAND, MAKEWPARAM(1, EN_CHANGE), 0, true},
        {WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header), true},
        {WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item), true},
        {WM_CTLCOLOREDIT, 0, 0, true},
        {WM_CTLCOLORLISTBOX, 0, 0, true},
        {WM_CTLCOLORSTATIC, 0, 0, true},
        {WM_CTLCOLORBTN, 0, 0, true},
        {WM_ACTIVATEAPP, 1, 0, true},
        {WM_MOUSEMOVE, 0, MAKELPARAM(200, 200), true},
        {WM_MOUSELEAVE, 0, 0, true},
        {WM_MOUSEHOVER, 0, MAKELPARAM(200, 200), true},
        {WM_TIMER, 4711, 0, true},
        {WM_LBUTTONUP, 0, MAKELPARAM(200, 200), true},
        {WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, 200), true},
        {WM_SHOWWINDOW, 0, 0, true},
        {WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position), true},
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300), true},
        {WM_ERASEBKGND, 0, 0, false},
        {WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits), false},
        {WM_PAINT, 0, 0, false},
    };
    // The caption's left part, where the title is written.
    auto titleArea = [&] {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < rec->CaptionHeight; y += 2)
            for (int x = 0; x < 200; x += 2)
                pixels.push_back(WindowPixel(window, x, y));
        return pixels;
    };
    const std::vector<COLORREF> before = titleArea();
    SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("renamed"));
    EXPECT_EQ(reached, std::vector<UINT>{WM_SETTEXT});
    char text[32] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "renamed");
    const std::vector<COLORREF> after = titleArea();
    EXPECT_GT(std::inner_product(before.begin(), before.end(), after.begin(), 0, std::plus<>(),
                                 std::not_equal_to<>()),
              20)
        << "the new title is drawn at once";

    for (const auto& row : rows) {
        reached.clear();
        SendMessageA(window, row.message, row.wParam, row.lParam);
        EXPECT_EQ(std::count(reached.begin(), reached.end(), row.message), row.passedOn ? 1 : 0)
            << std::hex << row.message;
    }
    EXPECT_EQ(rec->MouseInside, 1);

    // Minimizing: painting waits until the window is opened again; restoring rebuilds.
    const std::pair<WPARAM, int> commands[] = {{SC_MINIMIZE, 1}, {SC_RESTORE, 0}};
    for (const auto& [command, minimized] : commands) {
        rec->BackgroundStale = 0;
        reached.clear();
        SendMessageA(window, WM_SYSCOMMAND, command, 0);
        EXPECT_EQ(reached, std::vector<UINT>{WM_SYSCOMMAND});
        EXPECT_EQ(rec->Minimized, minimized);
        EXPECT_EQ(rec->BackgroundStale, 1);
    }
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageA(window, WM_QUERYOPEN, 0, 0);
    EXPECT_EQ(rec->Minimized, 0);
}

// WM_PAINT shows the back buffer as it is, unless it is stale: then it is built again first.
TEST_F(SkinWindowTest, PaintRebuildsOnlyAStaleBackBuffer) {
    HWND window = TopLevel(30, 30, 400, 300);
    const int p = SkinAndShow(window);
    const COLORREF magenta = RGB(255, 0, 255);
    skin::Engine.FirstPaint = 0; // as after the program's first WM_SIZE
    for (const int stale : {0, 1}) {
        FillDC(BackBufferOf(p), RECT{0, 0, 400, 300}, magenta);
        skin::RecordAt(p)->BackgroundStale = stale;
        InvalidateRect(window, nullptr, FALSE);
        UpdateWindow(window);
        EXPECT_EQ(WindowPixel(window, 200, 150) == magenta, stale == 0) << stale;
        EXPECT_EQ(skin::RecordAt(p)->BackgroundStale, 0);
    }
    // A stale image asked for by a paint of a small part is shown whole: the rebuild may have
    // changed any pixel, not only those the paint's DC reaches.
    FillDC(BackBufferOf(p), RECT{0, 0, 400, 300}, magenta);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window); // not stale: the magenta buffer is shown as it is
    ASSERT_EQ(WindowPixel(window, 200, 150), magenta);
    skin::RecordAt(p)->BackgroundStale = 1;
    const RECT corner{10, 40, 20, 50};
    InvalidateRect(window, &corner, FALSE);
    UpdateWindow(window);
    EXPECT_NE(WindowPixel(window, 200, 150), magenta);
    EXPECT_NE(WindowPixel(window, 15, 45), magenta);
}

// A drag of the frame (between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE) leaves the skinned controls
// as they are at each step's rebuild, and its end has them paint once; a move, which rebuilds
// nothing, owes them nothing, and an end without a drag repaints nothing. The check box is
// covered with magenta before the steps, so a repaint shows as its face coming back.
TEST_F(SkinWindowTest, ADragOfTheFrameRepaintsTheControlsOnceAtItsEndAndLeavesNothing) {
    const COLORREF magenta = RGB(255, 0, 255);
    HWND window = TopLevel(30, 30, 400, 300);
    HWND check = Keep(CreateChild(window, "BUTTON", "c", BS_AUTOCHECKBOX, 20, 60, 90, 24));
    const int p = SkinAndShow(window);
    skin::Engine.FirstPaint = 0; // as after the program's first WM_SIZE
    // The control's pixels in one copy from the screen (a GetPixel each would take seconds).
    const auto grab = [&] {
        gdi::MemoryDC copy = gdi::MemoryDC::Create();
        copy.Adopt(gdi::CreateArgbBitmap(90, 24));
        HDC dc = GetDC(check);
        BitBlt(copy.get(), 0, 0, 90, 24, dc, 0, 0, SRCCOPY);
        ReleaseDC(check, dc);
        return GrabDC(copy.get(), 90, 24);
    };
    const auto covered = [&] { return WindowPixel(check, 8, 12) == magenta; };
    const auto cover = [&] {
        // Whatever the window and its controls still owe is painted first.
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC dc = GetDC(check);
        FillDC(dc, RECT{0, 0, 90, 24}, magenta);
        ReleaseDC(check, dc);
    };
    const struct {
        const char* name;
        bool drag;
        bool resize;
        bool paintedAfterStep;
        bool paintedAfterEnd;
    } rows[] = {
        {"resize outside a drag", false, true, true, false},
        {"resize inside a drag", true, true, false, true},
        {"move inside a drag", true, false, false, false},
    };
    for (const auto& row : rows) {
        SetWindowPos(window, nullptr, 30, 30, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
        cover();
        ASSERT_TRUE(covered()) << row.name;
        if (row.drag) SendMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
        // Two steps, as a drag's pointer moves; each step's paint is the one UpdateWindow sends.
        for (int step = 1; step <= 2; ++step) {
            if (row.resize)
                SetWindowPos(window, nullptr, 0, 0, 400 + 6 * step, 300 + 4 * step,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            else
                SetWindowPos(window, nullptr, 30 + 5 * step, 30, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            UpdateWindow(window);
        }
        EXPECT_EQ(covered(), !row.paintedAfterStep) << row.name;
        EXPECT_EQ(skin::RecordAt(p)->LiveSizing, row.drag) << row.name;
        EXPECT_EQ(skin::RecordAt(p)->ControlsOwed, row.drag && row.resize) << row.name;
        // The window itself shows each step's new image all the same.
        if (row.resize) {
            EXPECT_NE(WindowPixel(window, 403, 150), magenta) << row.name;
        }
        // A drag's resize leaves the window square (no region to set at each step), its corners
        // in the colour of its edge; the end rounds it again, the corners cut away.
        const bool square = row.drag && row.resize;
        const auto corner = [&] { return skin::BackBufferPixels(*skin::RecordAt(p)).Row(0)[0]; };
        const auto edge = [&] {
            const skin::PixelRows pixels = skin::BackBufferPixels(*skin::RecordAt(p));
            return pixels.Row(pixels.height / 2)[0];
        };
        gdi::Region region(CreateRectRgn(0, 0, 0, 0));
        EXPECT_EQ(GetWindowRgn(window, region.get()) == ERROR, square) << row.name;
        EXPECT_EQ(corner() == 0xFFFF00FFu, !square) << row.name;
        if (square) {
            EXPECT_EQ(corner(), edge() | 0xFF000000u) << row.name;
        }
        cover();
        SendMessageA(window, WM_EXITSIZEMOVE, 0, 0);
        UpdateWindow(window);
        EXPECT_EQ(covered(), !row.paintedAfterEnd) << row.name;
        RECT client{}, box{};
        GetClientRect(window, &client);
        ASSERT_NE(GetWindowRgn(window, region.get()), ERROR) << row.name;
        GetRgnBox(region.get(), &box);
        EXPECT_EQ(box.right, client.right) << row.name;
        EXPECT_EQ(box.bottom, client.bottom) << row.name;
        EXPECT_FALSE(PtInRegion(region.get(), 0, 0)) << row.name;
        EXPECT_EQ(corner(), 0xFFFF00FFu) << row.name;
        EXPECT_FALSE(skin::RecordAt(p)->LiveSizing) << row.name;
        EXPECT_FALSE(skin::RecordAt(p)->ControlsOwed) << row.name;
        // The drag's end shows what a repaint at the last size shows.
        if (row.paintedAfterEnd) {
            const Picture after = grab();
            InvalidateRect(check, nullptr, TRUE);
            UpdateWindow(check);
            EXPECT_EQ(CountDifferences(after, grab(), 0), 0) << row.name;
        }
    }

    // Drags leave no GDI object or GDI+ wrapper behind: the bitmaps grow in the first drag and
    // are kept, so a second through the same sizes makes nothing new.
    const auto drag = [&] {
        SendMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
        // Four steps out and back: a step that made an object and lost it would show eight.
        for (int step = 1; step <= 8; ++step) {
            const int d = step <= 4 ? step : 8 - step;
            SetWindowPos(window, nullptr, 0, 0, 400 + 6 * d, 300 + 4 * d,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            UpdateWindow(window);
        }
        SendMessageA(window, WM_EXITSIZEMOVE, 0, 0);
        UpdateWindow(window);
        Pump(20);
    };
    drag();
    const Leftovers before;
    drag();
    before.ExpectBack();
}

// A frame drag's steps compose only what the size moves. A pixel planted in the middle of the
// image before each step is still there after it (the step left the middle alone) while every
// other pixel equals a whole composition at that size; at the drag's end the stretched picture
// is laid out for the final size again. A picture laid out by the size some other way (tiled)
// has every step composed whole, as does a window without a picture.
TEST_F(SkinWindowTest, ADragStepComposesOnlyWhatTheSizeMovesAndTheEndLaysThePictureOutAgain) {
    constexpr std::uint32_t kPlanted = 0xFF01FE02;
    const struct {
        const char* name;
        bool picture;
        int mode;
        bool bands;
    } rows[] = {
        {"stretched picture", true, skin::kImageStretched, true},
        {"plain colour", false, skin::kImageStretched, true},
        {"tiled picture", true, skin::kImageTiled, false},
    };
    // The first step outgrows the bitmap made for the first size, and a new bitmap is composed
    // whole; the next ones fit the bitmap made with room to grow.
    const SIZE steps[] = {{430, 320}, {475, 355}, {380, 290}, {350, 280}, {410, 300}};
    for (const auto& row : rows) {
        skin::Engine.ThemeImage =
            row.picture ? compose_test::MakeBmp(
                              40, 30, [](int x, int y) { return RGB(x * 6, y * 8, (x * y) % 256); })
                        : skin::ByteSet{};
        skin::Engine.ThemeImageMode = row.mode;
        HWND window = TopLevel(30, 30, 400, 300);
        const int p = SkinAndShow(window, 30, 1, 22);
        skin::Engine.FirstPaint = 0;
        skin::WindowRecord& record = *skin::RecordAt(p);
        const auto image = [&] {
            const skin::PixelRows pixels = skin::BackBufferPixels(record);
            std::vector<std::uint32_t> all;
            for (int y = 0; y < pixels.height; ++y)
                all.insert(all.end(), pixels.Row(y), pixels.Row(y) + pixels.width);
            return all;
        };
        SendMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
        int kept = 0;
        for (const SIZE size : steps) {
            skin::BackBufferPixels(record).Row(150)[150] = kPlanted;
            const HBITMAP before = record.BackBufferDC.bitmap();
            SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            UpdateWindow(window);
            ASSERT_EQ(record.BackBufferSize.cx, size.cx) << row.name;
            std::vector<std::uint32_t> stepped = image();
            const std::size_t planted = static_cast<std::size_t>(150 * size.cx + 150);
            const bool sameBitmap = record.BackBufferDC.bitmap() == before;
            kept += sameBitmap ? 1 : 0;
            EXPECT_EQ(stepped[planted] == kPlanted, row.bands && sameBitmap)
                << row.name << " " << size.cx;
            // The same size composed whole (as a step does when the last image is not whole).
            record.ImageWhole = false;
            skin::TheSkin->RebuildBackground(p);
            const std::vector<std::uint32_t> whole = image();
            EXPECT_NE(whole[planted], kPlanted) << row.name << " " << size.cx;
            stepped[planted] = whole[planted];
            EXPECT_TRUE(stepped == whole) << row.name << " " << size.cx;
            // The screen shows the step's image (through the paint's DC) at the right edge,
            // the caption and the status bar, and in the middle what it showed before.
            for (const POINT at :
                 {POINT{size.cx - 5, 150}, POINT{size.cx / 2, 10}, POINT{size.cx / 2, size.cy - 12},
                  POINT{150, 150}, POINT{40, 100}}) {
                const std::uint32_t argb = whole[static_cast<std::size_t>(at.y * size.cx + at.x)];
                EXPECT_EQ(WindowPixel(window, at.x, at.y),
                          RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF))
                    << row.name << " " << size.cx << " at " << at.x << ", " << at.y;
            }
        }
        EXPECT_GE(kept, 3) << row.name;
        // At an unchanged size (a theme change, say) a rebuild in the drag composes it whole.
        skin::BackBufferPixels(record).Row(150)[150] = kPlanted;
        skin::TheSkin->RebuildBackground(p);
        EXPECT_NE(image()[static_cast<std::size_t>(150 * 410 + 150)], kPlanted) << row.name;
        const std::vector<std::uint32_t> dragged = image();
        SendMessageA(window, WM_EXITSIZEMOVE, 0, 0);
        UpdateWindow(window);
        EXPECT_EQ(record.DragPictureSize.cx, 0) << row.name;
        const std::vector<std::uint32_t> ended = image();
        record.ImageWhole = false;
        skin::TheSkin->RebuildBackground(p);
        EXPECT_TRUE(ended == image()) << row.name;
        // The drag's end lays a stretched picture out for the final size: the middle changes.
        const std::size_t middle = static_cast<std::size_t>(150 * 410 + 200);
        EXPECT_EQ(dragged[middle] != ended[middle], row.picture && row.bands) << row.name;
        DestroyWindow(window);
    }
}

// A drag step's paint shows only the bands the step invalidated: the middle of the screen is
// left as it is (planted magenta stays). When the rebuild turns out whole after all (here the
// last image is marked incomplete between the step's WM_SIZE and its paint) the whole window
// is shown.
TEST_F(SkinWindowTest, ADragStepShowsItsBandsAndAWholeRebuildShowsTheWholeWindow) {
    const COLORREF magenta = RGB(255, 0, 255);
    HWND window = TopLevel(30, 30, 400, 300);
    const int p = SkinAndShow(window, 30, 1, 22);
    skin::Engine.FirstPaint = 0;
    skin::WindowRecord& record = *skin::RecordAt(p);
    SendMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
    // The first step outgrows the first bitmap; the next ones compose bands.
    SetWindowPos(window, nullptr, 0, 0, 420, 310, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(window);
    for (const bool wholeAfterAll : {false, true}) {
        const int width = wholeAfterAll ? 440 : 430;
        SetWindowPos(window, nullptr, 0, 0, width, 320, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(record.StepBandsInvalid) << wholeAfterAll;
        if (wholeAfterAll) record.ImageWhole = false;
        {
            HDC dc = GetDC(window);
            FillDC(dc, RECT{100, 100, 200, 200}, magenta);
            ReleaseDC(window, dc);
        }
        UpdateWindow(window);
        EXPECT_EQ(WindowPixel(window, 150, 150) == magenta, !wholeAfterAll) << wholeAfterAll;
        EXPECT_NE(WindowPixel(window, width - 4, 150), magenta) << wholeAfterAll;
    }
    SendMessageA(window, WM_EXITSIZEMOVE, 0, 0);
    UpdateWindow(window);
    EXPECT_NE(WindowPixel(window, 150, 150), magenta);
}
