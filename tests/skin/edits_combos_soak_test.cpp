// Long run over a skinned window with edit and combo boxes in translucent mode: hovering,
// focusing, typing and dropping lists down a hundred times, then destroying the window,
// leaves GDI objects, windows and GDI+ wrappers where they started.
#include "skinned_window_fixture.h"

#include "skin/controls/edits.h"

using namespace toplevel_testing;

namespace {

class EditComboSoakTest : public SkinnedWindowTest {};

struct Controls {
    HWND window, edit, multi, drop, list;
};

Controls Build(SkinnedWindowTest& test, HWND window) {
    auto make = [&](const char* cls, DWORD style, int x, int y, int w, int h, DWORD ex) {
        return CreateWindowExA(ex, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, window,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    };
    Controls c{
        window, make("Edit", ES_AUTOHSCROLL, 20, 50, 140, 24, WS_EX_CLIENTEDGE),
        make("Edit", ES_MULTILINE | WS_VSCROLL | WS_HSCROLL, 20, 90, 160, 80, WS_EX_CLIENTEDGE),
        make("ComboBox", CBS_DROPDOWN | WS_VSCROLL, 200, 50, 140, 160, 0),
        make("ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL, 200, 90, 140, 160, 0)};
    for (HWND combo : {c.drop, c.list})
        for (const char* item : {"一", "二", "三"})
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    (void)test;
    return c;
}

void Cycle(const Controls& c, int i) {
    HWND comboEdit = FindWindowExA(c.drop, nullptr, "Edit", nullptr);
    for (HWND target : {c.edit, c.multi, c.drop, c.list, comboEdit}) {
        SendMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        SendMessageA(target, WM_MOUSELEAVE, 0, 0);
    }
    SetFocus(i % 2 ? c.edit : c.drop);
    const char key = static_cast<char>('a' + i % 26);
    SendMessageA(i % 2 ? c.edit : comboEdit, WM_CHAR, key, 1);
    SendMessageA(c.multi, WM_CHAR, key, 1);
    SendMessageA(c.list, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageA(c.list, CB_SETCURSEL, i % 3, 0);
    SendMessageA(c.list, CB_SHOWDROPDOWN, FALSE, 0);
    UpdateWindow(c.window);
    for (HWND target : {c.edit, c.multi, c.drop, c.list, comboEdit})
        UpdateWindow(target);
}

} // namespace

TEST_F(EditComboSoakTest, HoverFocusTypeAndDropDownCyclesLeaveNothingBehind) {
    skin::Engine.TranslucentControls = 1;
    // One window through everything first, so objects the system makes once are not counted:
    // within the first twenty cycles Wine adds a display DC (with its region and surface) to its
    // window-DC cache, and keeps it for reuse.
    {
        HWND window = TopLevel(20, 20, 420, 300);
        Controls c = Build(*this, window);
        SkinAndShow(window, 30, 1, 20);
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
    Controls c = Build(*this, window);
    const int p = SkinAndShow(window, 30, 1, 20);
    ASSERT_EQ(skin::RecordAt(p)->Edits.size(), 3u);
    ASSERT_EQ(skin::RecordAt(p)->Combos.size(), 2u);
    for (int i = 0; i < 4; ++i)
        Cycle(c, i);
    Pump(50);
    const int gdiWhileSkinned = testing_support::GdiObjectCount();
    // A hundred cycles: five hundred hovers, a hundred focus changes, key presses into each
    // field and drop-downs. One object kept by any of them shows in the count.
    for (int i = 0; i < 100; ++i)
        Cycle(c, i);
    Pump(50);
    // Wine may drop a cached object meanwhile; more would be a leak.
    EXPECT_LE(testing_support::GdiObjectCount(), gdiWhileSkinned)
        << "nothing piles up while the window lives";
    EXPECT_EQ(skin::CapturedDCCount(), 0);
    EXPECT_EQ(SendMessageA(c.list, CB_GETDROPPEDSTATE, 0, 0), 0);

    DestroyWindow(window);
    Pump(50);
    before.ExpectBack();
}
