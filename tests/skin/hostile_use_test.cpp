// Careless use of the engine: handles that are no windows, and the engine going away while
// windows it skinned are still on screen.
#include "skinned_window_fixture.h"

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
    static const char* name = [] {
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = "VarnelCountingTest";
        RegisterClassA(&wc);
        return "VarnelCountingTest";
    }();
    return name;
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
        ASSERT_GE(SkinAndShow(window, 30, 1, 20), 1);
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
