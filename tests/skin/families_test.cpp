// The family table: one install routine skins every family into its own list of the window
// record, and the parent-message hooks reach the family that has one (the buttons' faces).
#include "toplevel_fixture.h"

#include "skin/controls/buttons.h"
#include "skin/controls/edits.h"
#include "skin/controls/framework.h"
#include "skin/controls/headers.h"
#include "skin/controls/item_views.h"
#include "skin/controls/progress_bars.h"
#include "skin/controls/trackbars.h"
#include "skin/controls/updowns.h"
#include "skin/core/child_messages.h"
#include "skin/core/skin_window.h"
#include "skin/images/skin_pictures.h"
#include "plus/plus_image.h"

#include <commctrl.h>

using namespace toplevel_testing;

namespace {

class FamiliesTest : public SkinTest {
protected:
    HWND window_ = nullptr;
    void SetUp() override {
        SkinTest::SetUp();
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        window_ = TopLevel(20, 20, 420, 320);
    }
    HWND Child(const char* cls, DWORD style, int x, int y, int w, int h) {
        return Keep(CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, window_,
                                    nullptr, GetModuleHandleA(nullptr), nullptr));
    }
};

// The window of every record in a family list, in list order.
template <typename Record> std::vector<HWND> WindowsOf(const skin::FamilyList<Record>& list) {
    std::vector<HWND> windows;
    for (const auto& record : list)
        windows.push_back(record ? record->Window : nullptr);
    return windows;
}

} // namespace

TEST_F(FamiliesTest, OneInstallPutsEachControlInItsFamilysListOnce) {
    HWND push = Child("Button", BS_PUSHBUTTON, 10, 10, 80, 24);
    HWND check = Child("Button", BS_AUTOCHECKBOX, 100, 10, 80, 24);
    HWND edit = Child("Edit", 0, 10, 40, 100, 24);
    HWND combo = Child("ComboBox", CBS_DROPDOWNLIST, 120, 40, 100, 120);
    HWND track = Child(TRACKBAR_CLASSA, 0, 10, 80, 150, 30);
    HWND progress = Child(PROGRESS_CLASSA, 0, 10, 120, 150, 20);
    HWND list = Child("ListBox", WS_BORDER, 200, 80, 100, 80);
    HWND updown = Child(UPDOWN_CLASSA, 0, 320, 80, 20, 40);
    HWND header = Child(WC_HEADERA, 0, 10, 200, 200, 24);
    const int p = Adopt(window_);

    skin::SkinChildControls(p, window_);
    const skin::WindowRecord& r = *skin::RecordAt(p);
    using Windows = std::vector<HWND>;
    EXPECT_EQ(WindowsOf(r.Buttons), (Windows{push, check}));
    EXPECT_EQ(WindowsOf(r.Edits), Windows{edit});
    EXPECT_EQ(WindowsOf(r.Combos), Windows{combo});
    EXPECT_EQ(WindowsOf(r.TrackBars), Windows{track});
    EXPECT_EQ(WindowsOf(r.ProgressBars), Windows{progress});
    EXPECT_EQ(WindowsOf(r.ItemViews), Windows{list});
    EXPECT_EQ(WindowsOf(r.UpDowns), Windows{updown});
    EXPECT_EQ(WindowsOf(r.Headers), Windows{header});
    for (HWND control : {push, check, edit, combo, track, progress, list, updown, header}) {
        EXPECT_EQ(skin::OwnerIndexOf(control), p);
        EXPECT_EQ(skin::ListPositionOf(control), control == check ? 2 : 1);
    }

    // A second install (a container registered later runs it again) adds nothing.
    skin::SkinChildControls(p, window_);
    EXPECT_EQ(r.Buttons.size() + r.Edits.size() + r.Combos.size() + r.TrackBars.size() +
                  r.ProgressBars.size() + r.ItemViews.size() + r.UpDowns.size() + r.Headers.size(),
              9u);

    // With the control skins off, nothing is installed at all.
    HWND late = Child("Edit", 0, 10, 240, 100, 24);
    skin::Engine.ControlSkinsEnabled = 0;
    skin::SkinChildControls(p, window_);
    EXPECT_EQ(skin::EditRecordOf(late), nullptr);
    EXPECT_EQ(r.Edits.size(), 1u);
}

// WM_DRAWITEM handed to the child-message answer reaches the buttons' hook: a skinned push
// button's item is painted with its face, anything else is left alone.
TEST_F(FamiliesTest, DrawItemReachesTheButtonsHookOnlyForTheirOwnButtons) {
    HWND push = Child("Button", BS_PUSHBUTTON, 10, 10, 80, 24);
    const int p = Adopt(window_, RGB(0, 0, 0));
    skin::SkinButtons(p, window_);
    HWND stranger = Child("Button", BS_OWNERDRAW, 10, 40, 80, 24); // made after the install

    auto paint = [&](HWND button, UINT type) {
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = gdi::CreateArgbBitmap(80, 24).release();
        HGDIOBJ old = SelectObject(dc, bitmap);
        const RECT all{0, 0, 80, 24};
        FillDC(dc, all, RGB(0, 255, 0));
        DRAWITEMSTRUCT item{};
        item.CtlType = type;
        item.hwndItem = button;
        item.hDC = dc;
        item.rcItem = all;
        const auto answer =
            skin::AnswerChildMessage(p, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_FALSE(answer.has_value()) << "the window's own procedure still gets the message";
        int green = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 80; ++x)
                if (GetPixel(dc, x, y) == RGB(0, 255, 0)) ++green;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return green;
    };
    EXPECT_LT(paint(push, ODT_BUTTON), 80 * 24 / 10); // the face covers the item
    EXPECT_EQ(paint(push, ODT_STATIC), 80 * 24);      // not a button item
    EXPECT_EQ(paint(stranger, ODT_BUTTON), 80 * 24);  // no record in the button list
    EXPECT_EQ(skin::CapturedDCCount(), 0);
}

// What a parent answers about its children through the one child-message door: a translucent
// control's colour request gets the washed pattern brush in the control's text colour, a button's
// the hollow brush, opaque mode leaves both to the parent, and an expanded tree item repaints
// the tree.
TEST_F(FamiliesTest, ChildColourRequestsAndTreeNotificationsAreAnsweredByMode) {
    HWND label = Child("Static", 0, 10, 10, 80, 24);
    HWND button = Child("Button", BS_PUSHBUTTON, 10, 40, 80, 24);
    HWND edit = Child("Edit", 0, 10, 70, 80, 24);
    HWND combo = Child("ComboBox", CBS_DROPDOWN, 100, 70, 80, 100);
    HWND field = FindWindowExA(combo, nullptr, "Edit", nullptr);
    const int p = Adopt(window_, RGB(0, 0, 0));
    SetPropA(label, "Kj_Ztys", reinterpret_cast<HANDLE>(0x00123456));
    HDC dc = CreateCompatibleDC(nullptr);
    auto ask = [&](UINT message, HWND control) {
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkMode(dc, OPAQUE);
        return skin::AnswerChildMessage(p, message, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(control));
    };

    EXPECT_FALSE(ask(WM_CTLCOLORSTATIC, label).has_value()); // opaque: the parent's own answer
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));

    skin::Engine.TranslucentControls = 1;
    const auto washed = ask(WM_CTLCOLORSTATIC, label);
    ASSERT_TRUE(washed.has_value());
    EXPECT_NE(*washed, 0);
    EXPECT_EQ(reinterpret_cast<HANDLE>(*washed), GetPropA(label, "Kj_dxjb"));
    EXPECT_NE(GetPropA(label, "Kj_wtjb"), nullptr);
    EXPECT_EQ(GetTextColor(dc), 0x00123456u);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);

    const auto hollow = ask(WM_CTLCOLORBTN, button);
    ASSERT_TRUE(hollow.has_value());
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(*hollow), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetTextColor(dc), 0u);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    // An edit box's request is answered too; a combo box's field is left to the combo box.
    const auto editBrush = ask(WM_CTLCOLOREDIT, edit);
    ASSERT_TRUE(editBrush.has_value());
    EXPECT_EQ(reinterpret_cast<HANDLE>(*editBrush), GetPropA(edit, "Kj_dxjb"));
    ASSERT_NE(field, nullptr);
    EXPECT_FALSE(ask(WM_CTLCOLOREDIT, field).has_value());
    for (HWND control : {label, button, edit})
        skin::ReleaseColourBrushes(control);
    DeleteDC(dc);

    // TVN_ITEMEXPANDED (-406) repaints the sender; another notification does not.
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    auto updateAfter = [&](UINT code) {
        ValidateRect(label, nullptr);
        NMHDR header{label, 0, code};
        skin::AnswerChildMessage(p, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
        RECT update{};
        return GetUpdateRect(label, &update, FALSE) != 0;
    };
    EXPECT_TRUE(updateAfter(static_cast<UINT>(-406)));
    EXPECT_FALSE(updateAfter(static_cast<UINT>(-402)));
}

// In translucent mode a label's colour request is answered with the window's picture behind
// it as it is, so its text lies on the window as a skinned check box's caption does; other
// WM_CTLCOLORSTATIC senders with a face of their own (a read-only edit) still get the wash.
// In opaque mode both answers are the parent's.
TEST_F(FamiliesTest, TranslucentLabelsShowThePictureUnwashedAndReadOnlyEditsWashed) {
    constexpr COLORREF kBehind = RGB(40, 90, 160);
    HWND label = Child("Static", SS_LEFT, 10, 10, 80, 24);
    HWND readOnly = Child("Edit", ES_READONLY, 10, 40, 80, 24);
    const int p = Adopt(window_, kBehind);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    // What the control's background shows when filled with the answered brush.
    auto shownWith = [&](HWND control) -> COLORREF {
        const auto answer = skin::AnswerChildMessage(
            p, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
        if (!answer) return CLR_INVALID;
        const RECT r{0, 0, 8, 8};
        FillRect(dc, &r, reinterpret_cast<HBRUSH>(*answer));
        return GetPixel(dc, 4, 4);
    };
    EXPECT_EQ(shownWith(label), CLR_INVALID);
    EXPECT_EQ(shownWith(readOnly), CLR_INVALID);

    skin::Engine.TranslucentControls = 1;
    EXPECT_EQ(shownWith(label), kBehind);
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    const COLORREF washed = Over(RGB(255, 255, 255), skin::Engine.ControlAlpha, kBehind);
    const COLORREF edit = shownWith(readOnly);
    EXPECT_TRUE(testing_support::ColoursNear(edit, washed, 3)) << std::hex << edit;

    for (HWND control : {label, readOnly})
        skin::ReleaseColourBrushes(control);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// The skin pictures the control painters draw are decoded once per window, whichever families
// share them (a combo box's and an up-down's down arrow), kept across repaints and freed with
// the window's record (the fixture checks the GDI+ wrappers are back at their baseline).
TEST_F(FamiliesTest, ControlPicturesAreDecodedOncePerWindowAndKeptAcrossRepaints) {
    HWND check = Child("Button", BS_AUTOCHECKBOX, 10, 10, 100, 24);
    HWND combo = Child("ComboBox", CBS_DROPDOWNLIST, 120, 10, 100, 120);
    HWND updown = Child(UPDOWN_CLASSA, 0, 240, 10, 20, 40);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    const int p = Adopt(window_);
    skin::SkinChildControls(p, window_);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    Pump();
    const skin::SkinPictureCache& pictures = skin::RecordAt(p)->ControlPictures;
    // Box and tick, the down arrow, the up arrow.
    EXPECT_EQ(pictures.size(), 4u);
    plus::PlusImage* arrow = skin::ControlPicture(combo, skin::ArrowDownImage);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->GetWidth(), 7u);
    EXPECT_EQ(arrow->GetHeight(), 4u);
    const int wrappers = plus::LiveObjectCount();
    for (int i = 0; i < 3; ++i)
        for (HWND control : {check, combo, updown})
            RedrawWindow(control, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_EQ(pictures.size(), 4u);
    EXPECT_EQ(plus::LiveObjectCount(), wrappers);
    EXPECT_EQ(skin::ControlPicture(updown, skin::ArrowDownImage), arrow);
    EXPECT_EQ(skin::ControlPicture(window_, skin::ArrowDownImage), nullptr) << "no owner record";

    // Bytes that do not decode are not kept; a copy of a cache starts empty.
    skin::SkinPictureCache cache;
    const std::uint8_t junk[] = {1, 2, 3, 4};
    EXPECT_EQ(cache.Get(junk), nullptr);
    EXPECT_EQ(cache.size(), 0u);
    plus::PlusImage* box = cache.Get(skin::CheckBoxImage);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetWidth(), 13u);
    EXPECT_EQ(cache.Get(skin::CheckBoxImage), box);
    EXPECT_NE(cache.Get(skin::CheckedBoxImage), box);
    EXPECT_EQ(cache.size(), 2u);
    const skin::SkinPictureCache copy(cache);
    EXPECT_EQ(copy.size(), 0u);
}
