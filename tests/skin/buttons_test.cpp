// Skinned buttons on a real skinned window: which buttons are taken, how ButtonProc answers
// real messages, and what the painters put on screen.
#include "toplevel_fixture.h"

#include "skin/controls/buttons.h"
#include "plus/plus_brush.h"
#include "plus/plus_faults.h"
#include "support/gdi_hog.h"
#include "skin/controls/framework.h"

#include <algorithm>
#include <functional>

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
    skin::SetPropValue(check, "Hw_FuID", 99);
    EXPECT_EQ(SendMessageA(check, WM_NCPAINT, 1, 0), 0) << "not answered by the skin";
    SendMessageA(check, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(check, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(check, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    skin::SetPropValue(check, "Hw_FuID", reinterpret_cast<LONG_PTR>(owner));
}

namespace {

// How far a colour is from grey: its largest channel less its smallest.
int Colourfulness(COLORREF c) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    return std::max({r, g, b}) - std::min({r, g, b});
}
int Darkness(COLORREF c) {
    return 255 - std::min({GetRValue(c), GetGValue(c), GetBValue(c)});
}

// The most colourful and the darkest pixel of a rectangle of a picture.
struct Extremes {
    int colourful = 0;
    int dark = 0;
};
Extremes ExtremesIn(const Picture& p, RECT r) {
    Extremes e;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            e.colourful = std::max(e.colourful, Colourfulness(p.at(x, y)));
            e.dark = std::max(e.dark, Darkness(p.at(x, y)));
        }
    return e;
}

} // namespace

// A disabled check box or radio button shows its mark greyed (no colour, nothing darker than
// mid grey) and its caption grey, whether disabled before the paint or by EnableWindow (whose
// own repaint the system would otherwise draw in its look), in both control modes; the
// window's picture around the mark stays as it is, and a hot repaint adds no accent.
TEST_F(ButtonsTest, DisabledCheckBoxesAndRadioButtonsAreGreyedInBothModes) {
    HWND check = Button("选项", BS_AUTOCHECKBOX, 10, 80, 120, 24);
    HWND radio = Button("选项", BS_AUTORADIOBUTTON, 10, 120, 120, 24);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
    const int p = Install();
    // Columns of two light colours, so a pixel taken for its neighbour would show.
    for (int x = 1; x < 420; x += 2)
        FillDC(BackBufferOf(p), RECT{x, 0, x + 1, 320}, RGB(210, 230, 245));
    const RECT mark{5, 9, 11, 15}; // inside the box and inside the radio button's disc
    const RECT caption{18, 0, 120, 24};
    for (int translucent : {0, 1}) {
        SCOPED_TRACE(translucent ? "translucent" : "opaque");
        skin::Engine.TranslucentControls = translucent;
        EnableWindow(check, TRUE);
        EnableWindow(radio, TRUE);
        for (HWND b : {check, radio}) {
            // Beside the mark, inside the square it is greyed in: the window's picture.
            const POINT beside = b == check ? POINT{13, 10} : POINT{1, 5};
            skin::RepaintButton(b, 0);
            const Picture on = GrabClient(b);
            EXPECT_GT(ExtremesIn(on, mark).colourful, 60) << "the enabled mark has its colours";
            EXPECT_GT(ExtremesIn(on, caption).dark, 200) << "the enabled caption is black";

            EnableWindow(b, FALSE);
            const Picture off = GrabClient(b);
            EXPECT_LE(ExtremesIn(off, mark).colourful, 3);
            EXPECT_LE(ExtremesIn(off, mark).dark, 128);
            EXPECT_GT(ExtremesIn(off, mark).dark, 40) << "the mark is still drawn";
            EXPECT_EQ(off.at(beside.x, beside.y), on.at(beside.x, beside.y));
            EXPECT_LE(ExtremesIn(off, caption).dark, 140) << "the caption is grey";
            EXPECT_GT(ExtremesIn(off, caption).dark, 60) << "the caption is still drawn";

            skin::Engine.AccentColour = RGB(255, 0, 0);
            skin::RepaintButton(b, ODS_HOTLIGHT);
            EXPECT_LE(ExtremesIn(GrabClient(b), mark).colourful, 3) << "no hot accent";
            skin::Engine.AccentColour = 0x00DDCA22;
        }
    }
}

// Which push button is the default one: a dialog's own answer (DM_GETDEFID) where it has one,
// else the style at install and every later BM_SETSTYLE, which leaves the button owner-drawn.
TEST_F(ButtonsTest, TheDefaultButtonIsTheDialogsChoiceElseTheDefaultStyle) {
    HWND plainDefault = Button("确定", BS_DEFPUSHBUTTON, 10, 40);
    HWND plain = Button("取消", BS_PUSHBUTTON, 120, 40);
    HWND check = Button("选项", BS_AUTOCHECKBOX, 10, 80);
    Install();
    EXPECT_TRUE(skin::IsDefaultPushButton(plainDefault));
    EXPECT_FALSE(skin::IsDefaultPushButton(plain));
    EXPECT_FALSE(skin::IsDefaultPushButton(check));
    EXPECT_FALSE(skin::IsDefaultPushButton(window_)) << "no button record";

    SendMessageA(plainDefault, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
    SendMessageA(plain, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    EXPECT_FALSE(skin::IsDefaultPushButton(plainDefault));
    EXPECT_TRUE(skin::IsDefaultPushButton(plain));
    for (HWND b : {plainDefault, plain})
        EXPECT_EQ(GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    SendMessageA(check, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
    EXPECT_FALSE(skin::IsDefaultPushButton(check));

    // A dialog: the button it names wins over the style.
    HWND dialog = Keep(CreateWindowExA(0, "#32770", "dialog", WS_POPUP, 40, 40, 300, 120, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), nullptr));
    HWND first = Keep(CreateChild(dialog, "BUTTON", "一", BS_DEFPUSHBUTTON, 10, 10, 80, 26, 1));
    HWND second = Keep(CreateChild(dialog, "BUTTON", "二", BS_PUSHBUTTON, 100, 10, 80, 26, 2));
    skin::SkinButtons(Adopt(dialog), dialog);
    EXPECT_TRUE(skin::IsDefaultPushButton(first)) << "no choice made yet: the style decides";
    SendMessageA(dialog, DM_SETDEFID, 2, 0);
    EXPECT_FALSE(skin::IsDefaultPushButton(first));
    EXPECT_TRUE(skin::IsDefaultPushButton(second));
}

// A check box or radio button puts its last picture back while nothing it is drawn from has
// changed (no drawing object is made), and after each change draws what a first paint draws.
// The changes add up, so the accent shows on a hot mark and the last one disables.
TEST_F(ButtonsTest, TheKeptPictureFollowsEverythingTheMarkIsDrawnFrom) {
    HWND check = Button("选项", BS_AUTOCHECKBOX, 10, 80, 120, 24);
    HWND radio = Button("选项", BS_AUTORADIOBUTTON, 10, 120, 120, 24);
    // A pair that goes through every change first: what the process makes once, the first time
    // it draws such a text or state (fonts of the caption's script, system brushes), is made
    // before the count is taken.
    HWND warmCheck = Button("选项", BS_AUTOCHECKBOX, 200, 80, 120, 24);
    HWND warmRadio = Button("选项", BS_AUTORADIOBUTTON, 200, 120, 120, 24);
    const int p = Install();
    for (int x = 1; x < 420; x += 2)
        FillDC(BackBufferOf(p), RECT{x, 0, x + 1, 320}, RGB(210, 230, 245));
    const auto changeEverything = [&](HWND first, HWND second) {
        for (HWND b : {first, second}) {
            SCOPED_TRACE(b == first ? "check box" : "radio button");
            UINT state = 0;
            const struct {
                const char* what;
                std::function<void()> change;
            } changes[] = {
                {"checked", [&] { SendMessageA(b, BM_SETCHECK, BST_CHECKED, 0); }},
                {"hot", [&] { state = ODS_HOTLIGHT; }},
                {"accent", [&] { skin::Engine.AccentColour = RGB(255, 0, 0); }},
                {"caption", [&] { SetWindowTextA(b, "另一个选项"); }},
                {"text colour",
                 [&] { skin::SetPropValue(b, skin::kPropTextColour, RGB(0, 0, 255)); }},
                {"background",
                 [&] {
                     FillDC(BackBufferOf(p), RECT{0, 0, 420, 320},
                            b == first ? RGB(90, 60, 30) : RGB(30, 60, 90));
                 }},
                {"size",
                 [&] { SetWindowPos(b, nullptr, 0, 0, 110, 20, SWP_NOMOVE | SWP_NOZORDER); }},
                {"enabled", [&] { EnableWindow(b, FALSE); }},
            };
            skin::RepaintButton(b, state);
            Picture before = GrabClient(b);
            for (const auto& c : changes) {
                SCOPED_TRACE(c.what);
                c.change();
                skin::RepaintButton(b, state);
                const Picture after = GrabClient(b);
                EXPECT_NE(after.pixels, before.pixels) << "the change shows";
                Record(b)->Kept = skin::KeptPicture{};
                skin::RepaintButton(b, state);
                EXPECT_EQ(GrabClient(b).pixels, after.pixels) << "as a first paint draws it";

                const int asked = plus::CreationsAsked();
                skin::RepaintButton(b, state);
                EXPECT_EQ(plus::CreationsAsked(), asked) << "put back, not drawn";
                EXPECT_EQ(GrabClient(b).pixels, after.pixels);
                before = after;
            }
            skin::Engine.AccentColour = 0x00DDCA22;
        }
    };
    changeEverything(warmCheck, warmRadio);
    const int gdiBefore = testing_support::GdiObjectCount();
    changeEverything(check, radio);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore) << "kept as pixels, no GDI object";
}

// A kept picture holds only while no drawing call has failed since it was drawn, and one drawn
// with few handles to spare is not kept (GDI+ may have left a part out).
TEST_F(ButtonsTest, AFailedCallDrawsTheKeptPictureAgain) {
    HWND check = Button("选项", BS_AUTOCHECKBOX, 10, 80, 120, 24);
    Install();
    const auto drawn = [&] {
        const int asked = plus::CreationsAsked();
        skin::RepaintButton(check, 0);
        return plus::CreationsAsked() != asked;
    };
    drawn();
    EXPECT_FALSE(drawn());
    {
        plus::RefuseCreation(1);
        plus::PlusSolidBrush refused;
        EXPECT_FALSE(refused.Create(0xFF000000));
        plus::RefuseCreation(0);
    }
    EXPECT_TRUE(drawn()) << "after a failed call";
    EXPECT_FALSE(drawn());

    {
        testing_support::GdiHog hog;
        ASSERT_GT(hog.TakeAll(), 1000u);
        hog.Free(16); // enough to draw, too few to keep what was drawn
        EXPECT_FALSE(skin::HandlesToSpare());
        SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0); // a look not kept yet
        EXPECT_TRUE(drawn());
        EXPECT_TRUE(drawn()) << "not kept";
    }
    EXPECT_TRUE(skin::HandlesToSpare());
    drawn();
    EXPECT_FALSE(drawn()) << "kept again";
}
