// The caption buttons under the system's hit-test codes: WM_NCHITTEST, the non-client mouse
// messages they bring (sent, and real clicks through the X server), and the system menu.
#include "skinned_window_fixture.h"

#include "skin/core/caption_input.h"
#include "skin/services/accessibility.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace toplevel_testing;

namespace {

// What the window's own procedure (the one the skin passes messages on to) was given.
struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> seen;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back({message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* RecordingClass() {
    static const char* name =
        RegisterTestClass("VarnelCaptionInputTest", RecordingProc, CS_DBLCLKS);
    return name;
}

bool IsButtonCode(WPARAM code) {
    return code == HTMINBUTTON || code == HTMAXBUTTON || code == HTCLOSE || code == HTHELP;
}

// Any message the default procedure would act on with a caption-button hit code.
bool ButtonCodeSeen() {
    for (const Seen& s : seen) {
        if (s.message == WM_SETCURSOR && IsButtonCode(LOWORD(s.lParam))) return true;
        if (s.message >= WM_NCMOUSEMOVE && s.message <= WM_NCXBUTTONDBLCLK &&
            IsButtonCode(LOWORD(s.wParam)))
            return true;
    }
    return false;
}

bool Saw(UINT message) {
    for (const Seen& s : seen)
        if (s.message == message) return true;
    return false;
}

void Input(DWORD mouseFlags, WORD key = 0, bool keyUp = false) {
    INPUT input{};
    if (key) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = keyUp ? KEYEVENTF_KEYUP : 0;
    } else {
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = mouseFlags;
    }
    SendInput(1, &input, sizeof input);
    Sleep(40);
}

void Key(WORD key) {
    Input(0, key);
    Input(0, key, true);
}

// A visible menu window (the system menu while it is open).
HWND OpenMenu() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

// Ends a menu left open, so a failing test cannot leave the window's thread in its loop.
void CloseAnyMenu() {
    for (int i = 0; i < 20 && OpenMenu(); ++i) {
        Key(VK_ESCAPE);
        Sleep(50);
    }
    // A move or size loop a wrong choice started ends with Escape too.
    Key(VK_ESCAPE);
}

bool WaitForMenu() {
    for (int i = 0; i < 100; ++i) {
        if (OpenMenu()) return true;
        Sleep(30);
    }
    return false;
}

class CaptionInput : public SkinnedWindowTest {
protected:
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        seen.clear();
    }
    HWND Skinned(int helpButton = 0, int menuButton = 0) {
        HWND w = Keep(CreateWindowExA(0, RecordingClass(), "caption input",
                                      WS_POPUP | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 100, 100, 400,
                                      300, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
        skin::TheSkin->SkinWindow(w, 30, 1, 1, helpButton, menuButton, 1, 0, 0);
        ShowWindow(w, SW_SHOW);
        SetForegroundWindow(w);
        UpdateWindow(w);
        Pump();
        position = skin::FindWindowPosition(w);
        return w;
    }
    skin::WindowRecord& Record() { return *skin::RecordAt(position); }
    // The screen point at the centre of caption button `b`.
    POINT Centre(HWND w, int b) {
        const skin::CaptionButton& button = Record().CaptionButtons[static_cast<size_t>(b - 1)];
        POINT p{static_cast<LONG>(button.Rect.x + button.Rect.width / 2),
                static_cast<LONG>(button.Rect.y + button.Rect.height / 2)};
        ClientToScreen(w, &p);
        return p;
    }
    static LRESULT HitTest(HWND w, POINT screen) {
        return SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    }
    // Clicks at a screen point with real input from another thread (the window's thread may be
    // in a modal loop meanwhile) and pumps until `done`.
    template <typename Done> bool ClickAt(POINT p, Done done, bool right = false) {
        std::thread clicker([p, right] {
            SetCursorPos(p.x, p.y);
            Sleep(60);
            Input(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
            Input(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
        });
        const bool result =
            testing_support::PumpMessagesUntil(done, std::chrono::milliseconds(3000));
        clicker.join();
        Pump(100);
        return result;
    }

    int position = 0;
};

} // namespace

TEST_F(CaptionInput, HitTestAnswersTheButtonCodesOnlyOverTheButtons) {
    HWND w = Skinned(1, 1); // help, menu, minimize, maximize, close
    ASSERT_EQ(Record().CaptionButtons.size(), 5u);
    const skin::CaptionButton& maximize = Record().CaptionButtons[3];
    const skin::CaptionButton& close = Record().CaptionButtons[4];
    struct Case {
        const char* where;
        POINT client;
        LRESULT code;
    };
    const auto at = [&](float x, float y) {
        return POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
    };
    const Case cases[] = {
        {"help centre", {}, HTHELP},
        {"menu centre", {}, HTCLIENT},
        {"minimize centre", {}, HTMINBUTTON},
        {"maximize centre", {}, HTMAXBUTTON},
        {"close centre", {}, HTCLOSE},
        {"maximize left edge", at(maximize.Rect.x, maximize.Rect.y + 9), HTCLIENT},
        {"just inside maximize", at(maximize.Rect.x + 1, maximize.Rect.y + 9), HTMAXBUTTON},
        {"below close", at(close.Rect.x + 20, close.Rect.y + close.Rect.height), HTCLIENT},
        {"just above close's bottom", at(close.Rect.x + 20, close.Rect.y + close.Rect.height - 1),
         HTCLOSE},
        {"minimize right edge", at(Record().CaptionButtons[2].Rect.x + 26, close.Rect.y + 9),
         HTCLIENT},
        {"caption", {150, 15}, HTCLIENT},
        {"left edge", {1, 150}, HTCLIENT},
        {"right edge", {398, 150}, HTCLIENT},
        {"bottom edge", {200, 298}, HTCLIENT},
        {"top-left corner", {2, 2}, HTCLIENT},
        {"bottom-right corner", {397, 297}, HTCLIENT},
        {"client area", {200, 150}, HTCLIENT},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.where);
        POINT screen = c.client;
        if (i < 5) {
            screen = Centre(w, static_cast<int>(i + 1));
        } else {
            ClientToScreen(w, &screen);
        }
        EXPECT_EQ(HitTest(w, screen), c.code);
    }
    // Without a caption there are no buttons to hit.
    Record().HasCaption = 0;
    EXPECT_EQ(HitTest(w, Centre(w, 5)), HTCLIENT);
    Record().HasCaption = 1;
    // A minimized window shows no buttons.
    ShowWindow(w, SW_MINIMIZE);
    EXPECT_EQ(skin::CaptionButtonHitCode(*skin::TheSkin, position,
                                         POINT{static_cast<LONG>(close.Rect.x + 20), 10}),
              0);
}

TEST_F(CaptionInput, NonClientMessagesOverAButtonTakeTheClientPathAndNeverTheDefault) {
    HWND w = Skinned();
    const POINT maximize = Centre(w, 2);
    POINT client = maximize;
    ScreenToClient(w, &client);
    const LPARAM screen = MAKELPARAM(maximize.x, maximize.y);

    EXPECT_EQ(SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w),
                           MAKELPARAM(HTMAXBUTTON, WM_MOUSEMOVE)),
              TRUE);
    SendMessageA(w, WM_NCMOUSEMOVE, HTMAXBUTTON, screen);
    EXPECT_EQ(Record().HotButton, 2);
    EXPECT_EQ(Record().HoverIn.Button, 2);
    EXPECT_EQ(Record().MouseInside, 1);
    ASSERT_TRUE(Saw(WM_MOUSEMOVE));
    EXPECT_EQ(seen.back().message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(seen.back().lParam, MAKELPARAM(client.x, client.y));

    // Other mouse buttons over it do nothing at all.
    SendMessageA(w, WM_NCRBUTTONDOWN, HTMAXBUTTON, screen);
    SendMessageA(w, WM_NCRBUTTONUP, HTMAXBUTTON, screen);
    SendMessageA(w, WM_NCMBUTTONDOWN, HTMAXBUTTON, screen);
    EXPECT_EQ(SendMessageA(w, WM_NCXBUTTONUP, MAKEWPARAM(HTMAXBUTTON, XBUTTON1), screen), TRUE);
    EXPECT_FALSE(IsZoomed(w));

    // Press: drawn pressed, the capture taken; the release comes as a client release and clicks.
    seen.clear();
    SendMessageA(w, WM_NCLBUTTONDOWN, HTMAXBUTTON, screen);
    EXPECT_EQ(skin::TheSkin->HotCaptionButton, 2);
    EXPECT_EQ(GetCapture(), w);
    EXPECT_TRUE(Saw(WM_LBUTTONDOWN));
    EXPECT_FALSE(IsZoomed(w));
    SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    Pump();
    EXPECT_NE(GetCapture(), w);
    EXPECT_TRUE(IsZoomed(w));
    EXPECT_EQ(Record().IsMaximized, 1);

    // A release without the capture (the press came elsewhere) clicks too: restore.
    const POINT restore = Centre(w, 2);
    SendMessageA(w, WM_NCMOUSEMOVE, HTMAXBUTTON, MAKELPARAM(restore.x, restore.y));
    SendMessageA(w, WM_NCLBUTTONUP, HTMAXBUTTON, MAKELPARAM(restore.x, restore.y));
    Pump();
    EXPECT_FALSE(IsZoomed(w));
    EXPECT_EQ(Record().IsMaximized, 0);

    // The non-client leave ends the hover as a client leave does.
    SendMessageA(w, WM_NCMOUSEMOVE, HTCLOSE, MAKELPARAM(Centre(w, 3).x, Centre(w, 3).y));
    EXPECT_EQ(Record().HotButton, 3);
    SendMessageA(w, WM_NCMOUSELEAVE, 0, 0);
    EXPECT_EQ(Record().HotButton, 0);
    EXPECT_EQ(Record().MouseInside, 0);
    EXPECT_EQ(Record().HoverOut.Button, 3);

    EXPECT_FALSE(ButtonCodeSeen());
}

TEST_F(CaptionInput, RealClicksMinimizeMaximizeRestoreAndClose) {
    HWND w = Skinned();
    EXPECT_TRUE(ClickAt(Centre(w, 1), [&] { return IsIconic(w) != FALSE; }));
    EXPECT_EQ(Record().Minimized, 1);
    ShowWindow(w, SW_RESTORE);
    SetForegroundWindow(w);
    Pump(100);
    ASSERT_FALSE(IsIconic(w));

    EXPECT_TRUE(ClickAt(Centre(w, 2), [&] { return IsZoomed(w) != FALSE; }));
    EXPECT_EQ(Record().IsMaximized, 1);
    EXPECT_EQ(skin::CaptionButtonName(position, 2), "还原");
    // The button moved with the right edge; it restores now.
    EXPECT_TRUE(ClickAt(Centre(w, 2), [&] { return IsZoomed(w) == FALSE; }));
    EXPECT_EQ(Record().IsMaximized, 0);

    EXPECT_TRUE(Saw(WM_LBUTTONDOWN));
    EXPECT_FALSE(ButtonCodeSeen());
    EXPECT_TRUE(ClickAt(Centre(w, 3), [&] { return IsWindow(w) == FALSE; }));
}

TEST_F(CaptionInput, AltSpaceOpensTheSystemMenu) {
    HWND w = Skinned();
    std::atomic<bool> opened{false};
    std::thread keys([&] {
        Sleep(100);
        Input(0, VK_MENU);
        Key(VK_SPACE);
        Input(0, VK_MENU, true);
        opened = WaitForMenu();
        Key(VK_ESCAPE);
        Key(VK_ESCAPE);
        CloseAnyMenu();
    });
    testing_support::PumpMessagesUntil([&] { return opened.load(); }, std::chrono::seconds(5));
    keys.join();
    Pump(200);
    EXPECT_TRUE(opened);
    EXPECT_EQ(OpenMenu(), nullptr);
    EXPECT_TRUE(IsWindow(w));
    // The system's own handling: the keyboard's system command went to the default procedure.
    bool keyMenu = false;
    for (const Seen& s : seen)
        keyMenu |=
            s.message == WM_SYSCOMMAND && (s.wParam & 0xFFF0) == SC_KEYMENU && s.lParam == ' ';
    EXPECT_TRUE(keyMenu);
}

TEST_F(CaptionInput, ACaptionRightClickOpensTheSystemMenuWhoseCommandsWork) {
    HWND w = Skinned();
    POINT caption{150, 15};
    ClientToScreen(w, &caption);
    struct State {
        UINT command;
        bool greyed;
    };
    std::vector<State> states;
    std::atomic<bool> opened{false};
    HMENU menu = GetSystemMenu(w, FALSE);
    std::thread clicker([&] {
        SetCursorPos(caption.x, caption.y);
        Sleep(60);
        Input(MOUSEEVENTF_RIGHTDOWN);
        Input(MOUSEEVENTF_RIGHTUP);
        opened = WaitForMenu();
        for (UINT command : {SC_RESTORE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE})
            states.push_back(
                {command, (GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) != 0});
        // Close is chosen with a real click on its item.
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            RECT item{};
            if (GetMenuItemID(menu, i) != SC_CLOSE || !GetMenuItemRect(nullptr, menu, i, &item))
                continue;
            SetCursorPos((item.left + item.right) / 2, (item.top + item.bottom) / 2);
            Sleep(60);
            Input(MOUSEEVENTF_LEFTDOWN);
            Input(MOUSEEVENTF_LEFTUP);
        }
        Sleep(200);
        CloseAnyMenu();
    });
    testing_support::PumpMessagesUntil([&] { return !IsWindow(w); }, std::chrono::seconds(5));
    clicker.join();
    EXPECT_TRUE(opened);
    // (Size is the system's to decide: greyed without a sizing frame.)
    const std::vector<std::pair<UINT, bool>> expected{{SC_RESTORE, true},
                                                      {SC_MOVE, false},
                                                      {SC_MINIMIZE, false},
                                                      {SC_MAXIMIZE, false},
                                                      {SC_CLOSE, false}};
    ASSERT_EQ(states.size(), expected.size());
    for (size_t i = 0; i < states.size(); ++i) {
        EXPECT_EQ(states[i].command, expected[i].first);
        EXPECT_EQ(states[i].greyed, expected[i].second) << std::hex << states[i].command;
    }
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(CaptionInput, SystemCommandsKeepTheButtonsInStep) {
    HWND w = Skinned();
    struct Step {
        WPARAM command;
        int maximized;
        int minimized;
        const char* maximizeName;
    };
    const Step steps[] = {
        {SC_MAXIMIZE, 1, 0, "还原"},
        {SC_RESTORE, 0, 0, "最大化"},
        {SC_MAXIMIZE, 1, 0, "还原"},
        {SC_MINIMIZE, 1, 1, "还原"},
        // Restoring a minimized window brings back the maximized one.
        {SC_RESTORE, 1, 0, "还原"},
        {SC_RESTORE, 0, 0, "最大化"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << std::hex << step.command);
        SendMessageA(w, WM_SYSCOMMAND, step.command, 0);
        Pump(30);
        EXPECT_EQ(Record().IsMaximized, step.maximized);
        EXPECT_EQ(Record().Minimized, step.minimized);
        EXPECT_EQ(IsZoomed(w) != FALSE, step.maximized == 1 && step.minimized == 0);
        EXPECT_EQ(skin::CaptionButtonName(position, 2), step.maximizeName);
    }
}
