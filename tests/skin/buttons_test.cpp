// Skinned buttons on a real skinned window: which buttons are taken, how ButtonProc answers
// real messages, and what the painters put on screen.
#include "toplevel_fixture.h"

#include "skin/controls/buttons.h"
#include "skin/controls/framework.h"

using namespace toplevel_testing;
using testing_support::ColoursNear;

namespace {

class ButtonsTest : public SkinTest {
protected:
    HWND window_ = nullptr;

    HWND Button(const char* text, DWORD type, int x, int y, int w = 100, int h = 26) {
        if (!window_) window_ = TopLevel(20, 20, 420, 320);
        return Keep(CreateChild(window_, "BUTTON", text, type, x, y, w, h));
    }
    // The button families installed on a bare record of the window, which is then shown.
    int Install() {
        const int p = Adopt(window_);
        skin::SkinButtons(p, window_);
        skin::SkinCheckAndRadioButtons(p, window_);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        Pump();
        return p;
    }
    static bool Subclassed(HWND button) { return GetPropA(button, "Hw_hProc") != nullptr; }
    static skin::ButtonRecord* Record(HWND button) { return skin::ButtonRecordOf(button); }
};

} // namespace

TEST_F(ButtonsTest, OnlyTheAcceptedButtonTypesAreSkinned) {
    HWND push = Button("push", BS_PUSHBUTTON, 10, 40);
    HWND def = Button("default", BS_DEFPUSHBUTTON, 120, 40);
    HWND owner = Button("owner", BS_OWNERDRAW, 230, 40);
    HWND check = Button("check", BS_CHECKBOX, 10, 80);
    HWND autoCheck = Button("auto", BS_AUTOCHECKBOX, 120, 80);
    HWND three = Button("3state", BS_3STATE, 230, 80);
    HWND autoThree = Button("auto3", BS_AUTO3STATE, 10, 120);
    HWND radio = Button("radio", BS_RADIOBUTTON, 120, 120);
    HWND autoRadio = Button("autoradio", BS_AUTORADIOBUTTON, 230, 120);
    HWND group = Button("group", BS_GROUPBOX, 10, 160);
    HFONT font = CreateFontA(-16, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    SendMessageA(def, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    Install();

    ASSERT_NE(Record(push), nullptr);
    EXPECT_EQ(Record(push)->Kind, skin::kButtonStandardFace);
    EXPECT_EQ(GetWindowLongA(push, GWL_STYLE) & 0xF, BS_OWNERDRAW);
    EXPECT_EQ(Record(push)->Caption, "push");
    ASSERT_NE(Record(def), nullptr);
    EXPECT_EQ(Record(def)->Kind, skin::kButtonStandardFace);
    ASSERT_NE(Record(check), nullptr);
    EXPECT_EQ(Record(check)->Kind, skin::kButtonCheckBox);
    EXPECT_EQ(GetWindowLongA(check, GWL_STYLE) & 0xF, BS_CHECKBOX) << "check boxes keep style";
    ASSERT_NE(Record(autoCheck), nullptr);
    EXPECT_EQ(Record(autoCheck)->Kind, skin::kButtonCheckBox);
    ASSERT_NE(Record(autoRadio), nullptr);
    EXPECT_EQ(Record(autoRadio)->Kind, skin::kButtonRadio);
    EXPECT_EQ(Record(autoRadio)->Parent, window_);

    for (HWND left : {owner, three, autoThree, radio, group}) {
        EXPECT_FALSE(Subclassed(left));
        EXPECT_EQ(Record(left), nullptr);
    }
    // Fonts: the button's own font as GDI+ sees it (pixel size, bold style).
    EXPECT_EQ(Record(def)->FontSize, 16);
    EXPECT_EQ(Record(def)->FontStyle & 1, 1);
    EXPECT_FALSE(Record(def)->FontFamily.empty());
    EXPECT_GT(Record(push)->FontSize, 0);
    EXPECT_FALSE(Record(push)->FontFamily.empty());
    DestroyWindow(def);
    DeleteObject(font);
}

TEST_F(ButtonsTest, InstallingAgainAddsNoRecordAndSubclassesNothingTwice) {
    HWND push = Button("push", BS_PUSHBUTTON, 10, 40);
    HWND check = Button("check", BS_AUTOCHECKBOX, 10, 80);
    HWND radio = Button("radio", BS_AUTORADIOBUTTON, 10, 120);
    const int p = Install();
    const size_t records = skin::RecordAt(p)->Buttons.size();
    const LONG_PTR proc = GetWindowLongPtrA(check, GWLP_WNDPROC);
    const HANDLE saved = GetPropA(check, "Hw_hProc");

    skin::SkinButtons(p, window_);
    skin::SkinCheckAndRadioButtons(p, window_);
    EXPECT_EQ(skin::RecordAt(p)->Buttons.size(), records);
    EXPECT_EQ(GetWindowLongPtrA(check, GWLP_WNDPROC), proc);
    EXPECT_EQ(GetPropA(check, "Hw_hProc"), saved);

    // Still a working button after the second install: a click toggles it once.
    SendMessageA(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(check, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    (void)push;
    (void)radio;
}

TEST_F(ButtonsTest, WithControlSkinsOffNothingIsTouched) {
    HWND push = Button("push", BS_PUSHBUTTON, 10, 40);
    HWND check = Button("check", BS_AUTOCHECKBOX, 10, 80);
    skin::Engine.ControlSkinsEnabled = 0;
    const int p = Install();
    EXPECT_TRUE(skin::RecordAt(p)->Buttons.empty());
    for (HWND b : {push, check}) {
        EXPECT_FALSE(Subclassed(b));
        EXPECT_EQ(GetPropA(b, "Hw_lbID"), nullptr);
        EXPECT_EQ(GetPropA(b, "Hw_FuID"), nullptr);
    }
    EXPECT_EQ(GetWindowLongA(push, GWL_STYLE) & 0xF, BS_PUSHBUTTON);
}

TEST_F(ButtonsTest, DoubleClicksAreSwallowed) {
    HWND check = Button("check", BS_AUTOCHECKBOX, 10, 80);
    Install();
    EXPECT_EQ(SendMessageA(check, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5)), 0);
    SendMessageA(check, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(ButtonsTest, SpaceOnACheckBoxRepaintsLikeAClick) {
    HWND check = Button("check", BS_AUTOCHECKBOX, 10, 80, 120, 24);
    Install();
    SetFocus(check);
    Pump();
    skin::PaintCheckBox(check, 0);
    const Picture painted = GrabClient(check);

    auto paintOver = [&] {
        HDC dc = GetDC(check);
        FillDC(dc, RECT{0, 0, 120, 24}, RGB(255, 0, 255));
        ReleaseDC(check, dc);
    };
    paintOver();
    SendMessageA(check, WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(GrabClient(check).at(3, 12), RGB(255, 0, 255)) << "other keys do not repaint";

    SendMessageA(check, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_LE(CountDifferences(GrabClient(check), painted), 0);
    SendMessageA(check, WM_KEYUP, VK_SPACE, 0);
    Pump();
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    skin::PaintCheckBox(check, 0);
    EXPECT_GT(CountDifferences(GrabClient(check), painted), 0) << "the tick is drawn";
}

TEST_F(ButtonsTest, SetTextChangesTheDrawnCaption) {
    HWND check = Button("", BS_AUTOCHECKBOX, 10, 80, 160, 24);
    Install();
    skin::PaintCheckBox(check, 0);
    const Picture empty = GrabClient(check);

    SetWindowTextA(check, "标题文字");
    EXPECT_EQ(Record(check)->Caption, "标题文字");
    InvalidateRect(check, nullptr, TRUE);
    UpdateWindow(check);
    const Picture titled = GrabClient(check);
    int changedInCaption = 0, changedInBox = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 160; ++x) {
            if (ColoursNear(empty.at(x, y), titled.at(x, y))) continue;
            (x >= 17 ? changedInCaption : changedInBox)++;
        }
    }
    EXPECT_GT(changedInCaption, 20);
    EXPECT_EQ(changedInBox, 0);
}

TEST_F(ButtonsTest, HoverRepaintsHotAndLeavingRepaintsNormal) {
    skin::Engine.AccentColour = RGB(255, 0, 0);
    HWND first = Button("one", BS_PUSHBUTTON, 10, 40);
    HWND second = Button("two", BS_PUSHBUTTON, 120, 40);
    const int p = Install();
    skin::WindowRecord* rec = skin::RecordAt(p);

    SendMessageA(first, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(rec->HotControl, 1);
    EXPECT_EQ(rec->HotFamily, skin::kFamilyButtons);
    // The hot outline is the accent colour along the top edge.
    COLORREF top = GrabClient(first).at(50, 0);
    EXPECT_TRUE(ColoursNear(top, RGB(255, 0, 0), 40)) << std::hex << top;

    SendMessageA(second, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(rec->HotControl, 2);
    // Releasing the mouse button forgets the hot control: the next move repaints hot.
    SendMessageA(second, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(rec->HotControl, 0);

    SendMessageA(second, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(rec->HotControl, 0);
    top = GrabClient(second).at(50, 0);
    EXPECT_FALSE(ColoursNear(top, RGB(255, 0, 0), 40)) << std::hex << top;
}

TEST_F(ButtonsTest, CheckedRadioShowsItsDot) {
    HWND radio = Button("radio", BS_AUTORADIOBUTTON, 10, 80, 120, 24);
    Install();
    skin::PaintRadioButton(radio, 0);
    const COLORREF before = GrabClient(radio).at(10, 12);
    SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
    const COLORREF after = GrabClient(radio).at(10, 12);
    EXPECT_FALSE(ColoursNear(before, after, 16));
    // The dot shades from a light centre to 0x808000 at its rim: blue and green dominate red.
    EXPECT_GT(GetGValue(after), GetRValue(after));
    EXPECT_GT(GetBValue(after), GetRValue(after));
}

TEST_F(ButtonsTest, MessagesForAButtonWhoseWindowRecordIsGoneArePassedOn) {
    HWND check = Button("check", BS_AUTOCHECKBOX, 10, 80);
    Install();
    // Point the control at a record that does not exist, as after its window's record went.
    const HANDLE owner = GetPropA(check, "Hw_FuID");
    SetPropA(check, "Hw_FuID", reinterpret_cast<HANDLE>(99));
    EXPECT_EQ(SendMessageA(check, WM_NCPAINT, 1, 0), 0) << "not answered by the skin";
    SendMessageA(check, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(check, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    SetPropA(check, "Hw_FuID", owner);
}
