// Skinned edit boxes and combo boxes on a real window: the frame and face pixels each state
// gives, the message rules, and the brushes a translucent edit is answered with.
#include "toplevel_fixture.h"

#include "skin/controls/edits.h"
#include "skin/controls/framework.h"
#include "skin/core/child_messages.h"
#include "skin/core/skin_window.h"
#include "plus/plus_faults.h"

#include <algorithm>
#include <functional>
#include <string>

using namespace toplevel_testing;
using testing_support::ColoursNear;

namespace {

constexpr COLORREF kAccent = RGB(255, 0, 0);
constexpr COLORREF kMarker = RGB(0, 255, 0);
constexpr COLORREF kBackground = RGB(0, 0, 200); // the window's back buffer

class EditComboTest : public SkinTest {
protected:
    HWND window_ = nullptr;

    void SetUp() override {
        SkinTest::SetUp();
        skin::Engine.AccentColour = kAccent;
        window_ = TopLevel(20, 20, 460, 360);
    }
    HWND Make(const char* cls, DWORD style, int x, int y, int w, int h, const char* text = "",
              DWORD exStyle = WS_EX_CLIENTEDGE) {
        return Keep(CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                    window_, nullptr, GetModuleHandleA(nullptr), nullptr));
    }
    HWND Combo(DWORD type, int x, int y, int w = 140, int h = 160) {
        HWND c = Make("ComboBox", type | WS_VSCROLL, x, y, w, h, "", 0);
        for (const char* item : {"第一项", "second", "third"})
            SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        return c;
    }
    int Install() {
        const int p = Adopt(window_, kBackground);
        skin::SkinEditsAndCombos(p, window_);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        Pump();
        return p;
    }
    static RECT OuterRect(HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        OffsetRect(&r, -r.left, -r.top);
        return r;
    }
};

} // namespace

TEST_F(EditComboTest, InstallTakesEveryEditOnceAndEachComboWithItsTextKept) {
    HWND single = Make("Edit", ES_AUTOHSCROLL, 10, 10, 120, 24, "one");
    HWND password = Make("Edit", ES_PASSWORD, 10, 40, 120, 24);
    HWND readOnly = Make("Edit", ES_READONLY, 10, 70, 120, 24);
    SetPropA(single, "Kj_Ztys", reinterpret_cast<HANDLE>(0x123456));
    HWND list = Combo(CBS_DROPDOWNLIST, 200, 10);
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    HWND drop = Combo(CBS_DROPDOWN, 200, 40);
    SetWindowTextA(drop, "typed");
    const int p = Install();
    skin::WindowRecord* rec = skin::RecordAt(p);

    ASSERT_EQ(rec->Edits.size(), 3u) << "opaque mode: the combo's own edit is left alone";
    int expected = 1;
    for (HWND e : {single, password, readOnly}) {
        EXPECT_EQ(skin::EditRecordOf(e), rec->Edits[static_cast<size_t>(expected - 1)].get());
        EXPECT_EQ(GetPropA(e, "Hw_lbID"), reinterpret_cast<HANDLE>(static_cast<INT_PTR>(expected)));
        EXPECT_EQ(GetPropA(e, "Hw_FuID"), reinterpret_cast<HANDLE>(static_cast<INT_PTR>(p)));
        // The record keeps the procedure the edit had before, as "Hw_hProc" does.
        const WNDPROC saved = rec->Edits[static_cast<size_t>(expected - 1)]->SavedProcedure;
        EXPECT_NE(saved, nullptr);
        EXPECT_NE(saved, skin::EditProc);
        EXPECT_EQ(reinterpret_cast<HANDLE>(saved), GetPropA(e, "Hw_hProc"));
        ++expected;
    }
    EXPECT_EQ(GetPropA(single, "Kj_Ztys"), nullptr) << "edits start with black text";
    ASSERT_EQ(rec->Combos.size(), 2u);
    EXPECT_EQ(skin::ComboRecordOf(drop), rec->Combos[1].get());
    EXPECT_EQ(reinterpret_cast<HANDLE>(rec->Combos[1]->SavedProcedure), GetPropA(drop, "Hw_hProc"));
    EXPECT_NE(rec->Combos[1]->SavedProcedure, nullptr);
    EXPECT_EQ(skin::WindowTextOf(list), "第一项") << "the selection's text is the window text";
    EXPECT_EQ(skin::WindowTextOf(drop), "typed") << "no selection: the text stays";

    // A second install neither adds records nor subclasses anything again.
    const LONG_PTR editProc = GetWindowLongPtrA(single, GWLP_WNDPROC);
    const HANDLE comboSaved = GetPropA(drop, "Hw_hProc");
    skin::SkinEditsAndCombos(p, window_);
    EXPECT_EQ(rec->Edits.size(), 3u);
    EXPECT_EQ(rec->Combos.size(), 2u);
    EXPECT_EQ(GetWindowLongPtrA(single, GWLP_WNDPROC), editProc);
    EXPECT_EQ(GetPropA(drop, "Hw_hProc"), comboSaved);
    SendMessageA(drop, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(skin::WindowTextOf(drop), "second") << "the combo still works";
}

TEST_F(EditComboTest, TranslucentInstallAddsEachCombosEditAndSkinsOffTouchesNothing) {
    HWND drop = Combo(CBS_DROPDOWN, 200, 40);
    HWND simple = Combo(CBS_SIMPLE, 200, 80);
    HWND list = Combo(CBS_DROPDOWNLIST, 200, 200);
    skin::Engine.TranslucentControls = 1;
    const int p = Install();
    const auto& edits = skin::RecordAt(p)->Edits;
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[0]->Window, FindWindowExA(drop, nullptr, "Edit", nullptr));
    EXPECT_EQ(edits[1]->Window, FindWindowExA(simple, nullptr, "Edit", nullptr));
    (void)list;
    // An edit that already runs the edit procedure is not added again.
    skin::AppendEdit(p, edits[0]->Window);
    EXPECT_EQ(edits.size(), 2u);

    HWND other = TopLevel(40, 40, 200, 100);
    HWND edit = Keep(CreateChild(other, "Edit", "", 0, 5, 5, 100, 24));
    skin::Engine.ControlSkinsEnabled = 0;
    const int q = Adopt(other);
    skin::SkinEditsAndCombos(q, other);
    EXPECT_TRUE(skin::RecordAt(q)->Edits.empty());
    EXPECT_EQ(GetPropA(edit, "Hw_hProc"), nullptr);
}

// The frame ring of a 2-pixel client-edge edit in each state: the outer pixel, the pixel inside
// it, and the client just inside the ring, which the skin leaves alone.
TEST_F(EditComboTest, FrameRingShowsTheStateAndLeavesTheClientAlone) {
    HWND edit = Make("Edit", 0, 20, 20, 120, 24);
    Install();
    const COLORREF black80 = Over(RGB(0, 0, 0), 80, RGB(255, 255, 255));
    const COLORREF accent180 = Over(kAccent, 180, RGB(255, 255, 255));
    const COLORREF white = RGB(255, 255, 255);
    struct Case {
        const char* name;
        bool translucent, focused, hot;
        COLORREF outer, inner;
    } cases[] = {
        {"normal", false, false, false, black80, white},
        {"focused", false, true, false, accent180, white},
        {"hot", false, false, true, accent180, accent180},
        {"hot and focused", false, true, true, accent180, accent180},
        {"translucent", true, false, false, Over(RGB(0, 0, 0), 80, Over(white, 160, kBackground)),
         Over(white, 160, kBackground)},
        {"translucent focused", true, true, false,
         Over(kAccent, 180, Over(white, 160, kBackground)), Over(white, 160, kBackground)},
        {"translucent hot", true, false, true, Over(kAccent, 180, Over(white, 160, kBackground)),
         Over(kAccent, 180, Over(white, 160, kBackground))},
    };
    // The second time round every ring is put back as kept: the same pixels.
    for (int round = 0; round < 2; ++round)
        for (const Case& c : cases) {
            skin::Engine.TranslucentControls = c.translucent;
            FillWholeWindow(edit, kMarker);
            skin::PaintEditFrame(edit, c.focused, c.hot);
            // Left, right, top and bottom edges, each at its middle.
            const POINT outer[] = {{0, 12}, {119, 12}, {60, 0}, {60, 23}};
            const POINT inner[] = {{1, 12}, {118, 12}, {60, 1}, {60, 22}};
            for (const POINT& pt : outer)
                EXPECT_EQ(WholeWindowPixel(edit, pt.x, pt.y), c.outer)
                    << c.name << " outer " << pt.x << "," << pt.y << std::hex << " "
                    << WholeWindowPixel(edit, pt.x, pt.y);
            for (const POINT& pt : inner)
                EXPECT_EQ(WholeWindowPixel(edit, pt.x, pt.y), c.inner)
                    << c.name << " inner " << pt.x << "," << pt.y << std::hex << " "
                    << WholeWindowPixel(edit, pt.x, pt.y);
            for (const POINT& pt : {POINT{2, 2}, POINT{60, 12}, POINT{117, 21}})
                EXPECT_EQ(WholeWindowPixel(edit, pt.x, pt.y), kMarker) << c.name << " client";
        }
    EXPECT_EQ(skin::EditRecordOf(edit)->TranslucentRing.Entries.size(), 3u);
    // A kept translucent ring follows the wash.
    skin::Engine.ControlAlpha = 100;
    skin::PaintEditFrame(edit, false, false);
    EXPECT_EQ(WholeWindowPixel(edit, 1, 12), Over(white, 100, kBackground));
}

TEST_F(EditComboTest, ScrollBarsAreLeftToTheSystemAndOnlyTheirRegionIsPassedOn) {
    HWND edit =
        Make("Edit", ES_MULTILINE | WS_VSCROLL | WS_HSCROLL, 20, 60, 200, 120, "line 1\r\nline 2");
    HWND plain = Make("Edit", 0, 20, 20, 120, 24);
    Install();
    SCROLLBARINFO v{}, h{};
    v.cbSize = h.cbSize = sizeof(v);
    ASSERT_TRUE(GetScrollBarInfo(edit, OBJID_VSCROLL, &v));
    ASSERT_TRUE(GetScrollBarInfo(edit, OBJID_HSCROLL, &h));
    const int bar = v.rcScrollBar.right - v.rcScrollBar.left;
    ASSERT_GT(bar, 0);

    // The region: both bars and the size box between them, nothing of the client.
    gdi::Region region(skin::ScrollBarRegion(edit));
    ASSERT_TRUE(region);
    RECT box{};
    GetRgnBox(region.get(), &box);
    EXPECT_EQ(box.left, h.rcScrollBar.left);
    EXPECT_EQ(box.top, v.rcScrollBar.top);
    EXPECT_EQ(box.right, v.rcScrollBar.right);
    // The vertical bar is lengthened by its width to take the size box in.
    EXPECT_EQ(box.bottom, std::max<LONG>(h.rcScrollBar.bottom, v.rcScrollBar.bottom + bar));
    EXPECT_TRUE(PtInRegion(region.get(), v.rcScrollBar.left + 1, h.rcScrollBar.top + 1))
        << "the size box";
    EXPECT_FALSE(PtInRegion(region.get(), h.rcScrollBar.left + 1, v.rcScrollBar.top + 1))
        << "the client";
    EXPECT_EQ(skin::ScrollBarRegion(plain), nullptr);

    // WM_NCPAINT: the ring is the skin's, the bars the system's, the client untouched.
    FillWholeWindow(edit, kMarker);
    SendMessageA(edit, WM_NCPAINT, 1, 0);
    const RECT outer = OuterRect(edit);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(edit, 0, 50), Over(0, 80, RGB(255, 255, 255)), 3));
    EXPECT_EQ(WholeWindowPixel(edit, 1, 50), RGB(255, 255, 255));
    EXPECT_NE(WholeWindowPixel(edit, outer.right - 2 - bar / 2, 40), kMarker) << "vertical bar";
    EXPECT_NE(WholeWindowPixel(edit, 40, outer.bottom - 2 - bar / 2), kMarker) << "horizontal bar";
    EXPECT_NE(WholeWindowPixel(edit, outer.right - 2 - bar / 2, outer.bottom - 2 - bar / 2),
              kMarker)
        << "size box";
    EXPECT_EQ(WholeWindowPixel(edit, 40, 40), kMarker) << "client";

    // Without bars the system paints no border over the skin's ring.
    FillWholeWindow(plain, kMarker);
    SendMessageA(plain, WM_NCPAINT, 1, 0);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(plain, 0, 12), Over(0, 80, RGB(255, 255, 255)), 3));
    EXPECT_EQ(WholeWindowPixel(plain, 1, 12), RGB(255, 255, 255));
    EXPECT_EQ(WholeWindowPixel(plain, 5, 12), kMarker);
}

TEST_F(EditComboTest, HoverFocusAndLeavingDrawTheMatchingFrame) {
    HWND first = Make("Edit", 0, 20, 20, 120, 24);
    HWND second = Make("Edit", 0, 20, 60, 120, 24);
    const int p = Install();
    skin::WindowRecord* rec = skin::RecordAt(p);
    const COLORREF accent180 = Over(kAccent, 180, RGB(255, 255, 255));
    const COLORREF black80 = Over(0, 80, RGB(255, 255, 255));

    SendMessageA(first, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(rec->HotControl, 1);
    EXPECT_EQ(rec->HotFamily, skin::kFamilyEdits);
    EXPECT_EQ(rec->HotEditParent, window_);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(first, 1, 12), accent180, 3)) << "2-pixel hot line";
    // A second move over the same edit does not paint again.
    FillWholeWindow(first, kMarker);
    SendMessageA(first, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_EQ(WholeWindowPixel(first, 0, 12), kMarker);
    // Another family's control at the same position makes the edit paint again.
    rec->HotFamily = skin::kFamilyCombos;
    SendMessageA(first, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(first, 0, 12), accent180, 3));
    // So does an edit of the same position under another parent.
    FillWholeWindow(first, kMarker);
    rec->HotEditParent = nullptr;
    SendMessageA(first, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(first, 0, 12), accent180, 3));

    // Leaving an unfocused edit: the black frame; leaving a focused one: the 1-pixel accent.
    SendMessageA(first, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(rec->HotControl, 0);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(first, 0, 12), black80, 3));
    EXPECT_EQ(WholeWindowPixel(first, 1, 12), RGB(255, 255, 255));
    SendMessageA(second, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(skin::EditRecordOf(second)->Focused);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(second, 0, 12), accent180, 3))
        << "focus shows at once";
    SendMessageA(second, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(rec->HotControl, 2);
    SendMessageA(second, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(second, 0, 12), accent180, 3));
    EXPECT_EQ(WholeWindowPixel(second, 1, 12), RGB(255, 255, 255));
    SendMessageA(second, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(skin::EditRecordOf(second)->Focused);
    EXPECT_TRUE(HasPendingPaint(second)) << "a plain edit repaints itself after losing focus";
    UpdateWindow(second);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(second, 0, 12), black80, 3));
}

// Which messages make an edit repaint its washed background: in translucent mode typing,
// scrolling, moving and pressing do (typing and pressing only without scroll bars); in
// opaque mode none of them.
TEST_F(EditComboTest, TranslucentEditsAreInvalidatedWhenTheirContentMayMove) {
    HWND plain = Make("Edit", ES_AUTOHSCROLL, 20, 20, 120, 24, "text");
    HWND bars = Make("Edit", ES_MULTILINE | WS_VSCROLL | WS_HSCROLL, 20, 60, 200, 100, "x");
    Install();
    struct Case {
        const char* name;
        HWND edit;
        UINT message;
        WPARAM wParam;
        bool opaque, translucent;
    } cases[] = {
        {"key", plain, WM_KEYDOWN, VK_END, false, true},
        {"key, bars", bars, WM_KEYDOWN, VK_END, false, false},
        {"vscroll", bars, WM_VSCROLL, SB_LINEDOWN, false, true},
        {"hscroll", bars, WM_HSCROLL, SB_LINERIGHT, false, true},
        {"move", plain, WM_MOVE, 0, false, true},
        {"press", plain, WM_LBUTTONDOWN, MK_LBUTTON, false, true},
        {"press, bars", bars, WM_LBUTTONDOWN, MK_LBUTTON, false, false},
    };
    for (int translucent = 0; translucent <= 1; ++translucent) {
        skin::Engine.TranslucentControls = translucent;
        for (const Case& c : cases) {
            SetFocus(c.edit);
            Pump(10);
            ValidateRect(c.edit, nullptr);
            SendMessageA(c.edit, c.message, c.wParam, MAKELPARAM(3, 3));
            EXPECT_EQ(HasPendingPaint(c.edit), translucent ? c.translucent : c.opaque)
                << c.name << (translucent ? " translucent" : " opaque");
            SendMessageA(c.edit, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
            ReleaseCapture();
        }
    }
    // Dragging a selection with the button down repaints an edit without bars.
    ValidateRect(plain, nullptr);
    SendMessageA(plain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ValidateRect(plain, nullptr);
    SendMessageA(plain, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 3));
    EXPECT_TRUE(HasPendingPaint(plain));
    SendMessageA(plain, WM_LBUTTONUP, 0, MAKELPARAM(30, 3));
    ReleaseCapture();
    ValidateRect(plain, nullptr);
    SendMessageA(plain, WM_MOUSEMOVE, 0, MAKELPARAM(40, 3));
    EXPECT_FALSE(HasPendingPaint(plain)) << "not after the button is up";
}

TEST_F(EditComboTest, TranslucentEditErasesToTheWashedBackground) {
    HWND edit = Make("Edit", 0, 20, 20, 120, 24);
    skin::Engine.TranslucentControls = 1;
    Install();
    // The second erase puts back the wash the first kept; a new alpha washes again.
    for (const int alpha : {160, 160, 100}) {
        SCOPED_TRACE(alpha);
        skin::Engine.ControlAlpha = alpha;
        HDC dc = GetDC(edit);
        FillDC(dc, RECT{0, 0, 116, 20}, kMarker);
        SetBkMode(dc, OPAQUE);
        EXPECT_EQ(SendMessageA(edit, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT) << "text is drawn over the wash";
        ReleaseDC(edit, dc);
        const COLORREF washed = Over(RGB(255, 255, 255), alpha, kBackground);
        EXPECT_TRUE(ColoursNear(WindowPixel(edit, 5, 5), washed, 3))
            << std::hex << WindowPixel(edit, 5, 5);
        EXPECT_TRUE(ColoursNear(WindowPixel(edit, 110, 15), washed, 3));
    }
    EXPECT_EQ(skin::EditRecordOf(edit)->KeptWash.Entries.size(), 2u);
}

// Each colour request of a translucent edit gets a new pattern brush; the pair answered before
// is deleted then, and the last pair when the edit is destroyed.
TEST_F(EditComboTest, ColourBrushesAreReplacedAndReleased) {
    skin::Engine.TranslucentControls = 1;
    HWND edit = Make("Edit", 0, 20, 20, 120, 24);
    Install();
    HDC dc = CreateCompatibleDC(nullptr);
    struct Pair {
        HGDIOBJ brush, bitmap;
    };
    // The skinned window's answer is asked for directly.
    auto ask = [&](HWND control) {
        const LRESULT answer = skin::TranslucentBrush(control, dc);
        EXPECT_EQ(answer, reinterpret_cast<LRESULT>(GetPropA(control, "Kj_dxjb")));
        return Pair{GetPropA(control, "Kj_dxjb"), GetPropA(control, "Kj_wtjb")};
    };
    const Pair first = ask(edit);
    EXPECT_EQ(GetObjectType(first.brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(first.bitmap), static_cast<DWORD>(OBJ_BITMAP));
    const Pair second = ask(edit);
    EXPECT_EQ(GetObjectType(first.brush), 0u) << "the first brush went";
    EXPECT_EQ(GetObjectType(first.bitmap), 0u) << "the first bitmap went";
    EXPECT_EQ(GetObjectType(second.brush), static_cast<DWORD>(OBJ_BRUSH));
    DestroyWindow(edit);
    EXPECT_EQ(GetObjectType(second.brush), 0u) << "the last brush goes with the edit";
    EXPECT_EQ(GetObjectType(second.bitmap), 0u);
    // Opaque mode: the combo passes the request on and keeps no brush.
    skin::Engine.TranslucentControls = 0;
    HWND other = FindWindowExA(Combo(CBS_DROPDOWN, 200, 200), nullptr, "Edit", nullptr);
    SendMessageA(GetParent(other), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(other));
    DeleteDC(dc);
    EXPECT_EQ(GetPropA(other, "Kj_dxjb"), nullptr);
}

// A drop-down combo's field asks for its brush at every paint: the combo answers with the brush
// it keeps while the wash would be the same, and makes it again when the window's picture under
// the field, the field's place or the control alpha changed (a stale brush shows the wash of
// what was there before). The brush is the record's and goes with the combo.
TEST_F(EditComboTest, ComboFieldBrushIsKeptUntilItsWashWouldChange) {
    skin::Engine.TranslucentControls = 1;
    skin::Engine.ControlAlpha = 160;
    HWND drop = Combo(CBS_DROPDOWN, 200, 40);
    const int p = Install();
    HWND field = FindWindowExA(drop, nullptr, "Edit", nullptr);
    ASSERT_NE(field, nullptr);
    SetPropA(field, "Kj_Ztys", reinterpret_cast<HANDLE>(RGB(1, 2, 3)));
    HDC dc = CreateCompatibleDC(nullptr);
    auto ask = [&] {
        return reinterpret_cast<HBRUSH>(SendMessageA(
            drop, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(field)));
    };
    // What the brush paints at a point of the field's client area.
    auto painted = [&](HBRUSH brush) {
        HDC target = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = gdi::CreateArgbBitmap(40, 12).release();
        HGDIOBJ old = SelectObject(target, bitmap);
        const RECT all{0, 0, 40, 12};
        FillRect(target, &all, brush);
        const COLORREF c = GetPixel(target, 30, 6);
        SelectObject(target, old);
        DeleteObject(bitmap);
        DeleteDC(target);
        return c;
    };
    const HBRUSH first = ask();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3)) << "the field's own text colour";
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(GetPropA(field, "Kj_dxjb"), nullptr) << "the record owns it, not the field";
    EXPECT_TRUE(ColoursNear(painted(first), Over(RGB(255, 255, 255), 160, kBackground), 3));
    const int gdiKept = testing_support::GdiObjectCount();

    // Nothing changed under the field, or only elsewhere on the window: the same brush.
    HDC back = BackBufferOf(p);
    FillDC(back, RECT{0, 180, 460, 360}, RGB(0, 160, 0));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(ask(), first);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiKept);

    struct Step {
        const char* what;
        std::function<void()> change;
        int alpha;
        COLORREF under;
    };
    const Step steps[] = {
        {"moved over the green",
         [&] { SetWindowPos(drop, nullptr, 200, 220, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }, 160,
         RGB(0, 160, 0)},
        {"the window's picture changed",
         [&] {
             FillDC(back, RECT{0, 0, 460, 360}, RGB(200, 0, 0));
         },
         160, RGB(200, 0, 0)},
        {"the control alpha changed", [&] { skin::Engine.ControlAlpha = 60; }, 60, RGB(200, 0, 0)},
    };
    HBRUSH last = first;
    for (const Step& step : steps) {
        step.change();
        const HBRUSH brush = ask();
        EXPECT_NE(brush, nullptr) << step.what;
        const COLORREF expected = Over(RGB(255, 255, 255), step.alpha, step.under);
        EXPECT_TRUE(ColoursNear(painted(brush), expected, 3))
            << step.what << ": " << std::hex << painted(brush) << " not " << expected;
        EXPECT_EQ(GetObjectType(last == brush ? nullptr : last), 0u)
            << step.what << ": the brush before was deleted";
        EXPECT_EQ(testing_support::GdiObjectCount(), gdiKept) << step.what;
        last = brush;
    }
    HBITMAP picture = skin::ComboRecordOf(drop)->FieldBrush.Picture.get();
    EXPECT_EQ(GetObjectType(picture), static_cast<DWORD>(OBJ_BITMAP));
    DestroyWindow(drop);
    DeleteDC(dc);
    EXPECT_EQ(GetObjectType(last), 0u) << "the brush goes with the combo";
    EXPECT_EQ(GetObjectType(picture), 0u) << "and its picture";
}

// The combo's face: outline, drop button (outline, gradient, arrow) and the list's text; the
// places of its child windows are left to them.
TEST_F(EditComboTest, ComboFaceDrawsEachPartWhereItBelongs) {
    HWND list = Combo(CBS_DROPDOWNLIST, 20, 20, 160);
    HWND empty = Combo(CBS_DROPDOWNLIST, 20, 60, 160);
    HWND drop = Combo(CBS_DROPDOWN, 20, 100, 160);
    SendMessageA(list, CB_SETCURSEL, 0, 0);
    const int p = Install();
    const RECT r = OuterRect(list);
    const int w = r.right, h = r.bottom;
    const int bx = w - 17 - 2; // the drop-down list's button is 17 wide
    skin::PaintComboBox(p, 1, false);
    skin::PaintComboBox(p, 2, false);
    const COLORREF black80 = Over(0, 80, RGB(255, 255, 255));

    EXPECT_TRUE(ColoursNear(WholeWindowPixel(list, 0, h / 2), black80, 3)) << "outline";
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(list, w / 2, 0), black80, 3));
    EXPECT_EQ(WholeWindowPixel(empty, 40, 1), RGB(255, 255, 255)) << "face";
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(list, bx, h / 2), Over(0, 80, RGB(255, 255, 255)), 12))
        << "button outline " << std::hex << WholeWindowPixel(list, bx, h / 2);
    // The gradient deepens downwards: accent at alpha 30 at the top, 100 at the bottom.
    const COLORREF top = WholeWindowPixel(list, bx + 3, 4);
    const COLORREF bottom = WholeWindowPixel(list, bx + 3, h - 5);
    EXPECT_GT(GetGValue(top), GetGValue(bottom) + 40) << std::hex << top << " " << bottom;
    EXPECT_GE(GetRValue(bottom), 250) << "accent red";
    // The arrow: black at the centre of its 7 x 4 picture.
    const int ax = bx + (17 - 7) / 2, ay = 2 + (h - 4 - 4) / 2;
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(list, ax + 3, ay + 1), 0, 40))
        << std::hex << WholeWindowPixel(list, ax + 3, ay + 1);
    // The selected text: dark ink in the text area of the list with a selection only.
    auto inked = [&](HWND c) {
        int n = 0;
        for (int y = 3; y < h - 3; ++y)
            for (int x = 3; x < bx - 2; ++x)
                if (GetRValue(WholeWindowPixel(c, x, y)) < 128) ++n;
        return n;
    };
    EXPECT_GT(inked(list), 15);
    EXPECT_EQ(inked(empty), 0);

    // The button's left edge: 17 pixels wide for a drop-down list, 18 for a drop-down combo.
    skin::PaintComboBox(p, 3, false);
    EXPECT_EQ(WholeWindowPixel(list, bx - 1, h / 2), RGB(255, 255, 255));
    EXPECT_NE(WholeWindowPixel(drop, w - 18 - 2, h / 2), RGB(255, 255, 255));
    EXPECT_EQ(WholeWindowPixel(drop, w - 18 - 3, h / 2), RGB(255, 255, 255));

    // The drop-down combo's edit field keeps its own pixels.
    HWND edit = FindWindowExA(drop, nullptr, "Edit", nullptr);
    RECT er{};
    GetClientRect(edit, &er);
    HDC dc = GetDC(edit);
    FillDC(dc, er, kMarker);
    ReleaseDC(edit, dc);
    skin::PaintComboBox(p, 3, false);
    EXPECT_EQ(WindowPixel(edit, er.right / 2, er.bottom / 2), kMarker);
    EXPECT_EQ(WindowPixel(edit, 1, 1), kMarker);
}

TEST_F(EditComboTest, SimpleComboKeepsItsListWithASkinMargin) {
    HWND simple = Combo(CBS_SIMPLE, 20, 20, 160, 140);
    const int p = Install();
    HWND lbox = FindWindowExA(simple, nullptr, "ComboLBox", nullptr);
    ASSERT_NE(lbox, nullptr);
    RECT lr{}, cr{};
    GetWindowRect(lbox, &lr);
    GetWindowRect(simple, &cr);
    OffsetRect(&lr, -cr.left, -cr.top);
    FillWholeWindow(simple, kMarker);
    skin::PaintComboBox(p, 1, false);
    // No drop button: nothing of the (red) accent gradient anywhere.
    int accented = 0;
    for (int y = 0; y < cr.bottom - cr.top; ++y)
        for (int x = 0; x < cr.right - cr.left; ++x) {
            const COLORREF c = WholeWindowPixel(simple, x, y);
            if (c != kMarker && GetRValue(c) > GetGValue(c) + 30) ++accented;
        }
    EXPECT_EQ(accented, 0);
    // The list's middle is left alone; the 2 pixels at its edge are the skin's face.
    EXPECT_EQ(WholeWindowPixel(simple, (lr.left + lr.right) / 2, (lr.top + lr.bottom) / 2),
              kMarker);
    const int middle = (lr.top + lr.bottom) / 2;
    EXPECT_EQ(WholeWindowPixel(simple, lr.left + 2, middle), kMarker);
    EXPECT_NE(WholeWindowPixel(simple, lr.left + 1, middle), kMarker);
    EXPECT_EQ(WholeWindowPixel(simple, lr.right - 3, middle), kMarker);
    EXPECT_NE(WholeWindowPixel(simple, lr.right - 2, middle), kMarker);
}

// Hover changes the outline and the drop button only; focus changes the outline only.
TEST_F(EditComboTest, HoverAndFocusChangeOnlyTheirParts) {
    HWND list = Combo(CBS_DROPDOWNLIST, 20, 20, 160);
    SendMessageA(list, CB_SETCURSEL, 1, 0);
    const int p = Install();
    const RECT r = OuterRect(list);
    const int w = r.right, h = r.bottom, bx = w - 17 - 2;
    auto grab = [&] {
        Picture picture{w, h, {}};
        HDC dc = GetWindowDC(list);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                picture.pixels.push_back(GetPixel(dc, x, y));
        ReleaseDC(list, dc);
        return picture;
    };
    skin::PaintComboBox(p, 1, false, false);
    const Picture normal = grab();
    skin::PaintComboBox(p, 1, true, false);
    const Picture hot = grab();
    skin::PaintComboBox(p, 1, false, true);
    const Picture focused = grab();
    int hotOutline = 0, hotButton = 0, hotElsewhere = 0, focusOutline = 0, focusElsewhere = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            const bool button = x >= bx && x < w - 2 && y >= 2 && y < h - 2;
            if (!ColoursNear(normal.at(x, y), hot.at(x, y), 4))
                (edge ? hotOutline : button ? hotButton : hotElsewhere)++;
            if (!ColoursNear(normal.at(x, y), focused.at(x, y), 4))
                (edge ? focusOutline : focusElsewhere)++;
        }
    }
    EXPECT_EQ(hotOutline, 2 * (w + h) - 4);
    EXPECT_GT(hotButton, 100);
    EXPECT_EQ(hotElsewhere, 0);
    EXPECT_EQ(focusOutline, 2 * (w + h) - 4);
    EXPECT_EQ(focusElsewhere, 0);
    EXPECT_TRUE(ColoursNear(hot.at(0, h / 2), Over(kAccent, 200, RGB(255, 255, 255)), 3));

    // Through the procedure: a move paints hot once, leaving paints normal.
    skin::WindowRecord* rec = skin::RecordAt(p);
    SendMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(rec->HotFamily, skin::kFamilyCombos);
    EXPECT_EQ(CountDifferences(grab(), hot, 4), 0);
    SendMessageA(list, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(rec->HotControl, 0);
    EXPECT_EQ(CountDifferences(grab(), normal, 4), 0);
    SendMessageA(list, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(skin::ComboRecordOf(list)->Focused);
    EXPECT_EQ(CountDifferences(grab(), focused, 4), 0);
    SendMessageA(list, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(skin::ComboRecordOf(list)->Focused);
}

// Losing the focus inside a translucent combo box repaints the combo's frame, not the edit.
TEST_F(EditComboTest, ComboEditLosingFocusRepaintsTheComboFrame) {
    skin::Engine.TranslucentControls = 1;
    HWND drop = Combo(CBS_DROPDOWN, 20, 20, 160);
    Install();
    HWND edit = FindWindowExA(drop, nullptr, "Edit", nullptr);
    ASSERT_NE(skin::EditRecordOf(edit), nullptr);
    SendMessageA(edit, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(skin::EditRecordOf(edit)->Focused);
    skin::PaintComboBox(skin::FindWindowPosition(window_), 1, false, true);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(drop, 0, 10),
                            Over(kAccent, 200, Over(RGB(255, 255, 255), 160, kBackground)), 3));
    ValidateRect(edit, nullptr);
    SendMessageA(edit, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(skin::EditRecordOf(edit)->Focused);
    EXPECT_FALSE(HasPendingPaint(edit));
    // The combo's outline is back to the unfocused black over the wash.
    const COLORREF washed = Over(RGB(255, 255, 255), 160, kBackground);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(drop, 0, 10), Over(0, 80, washed), 3))
        << std::hex << WholeWindowPixel(drop, 0, 10);

    // Edit notifications make the combo invalidate its edit in translucent mode only.
    for (int translucent = 0; translucent <= 1; ++translucent) {
        skin::Engine.TranslucentControls = translucent;
        for (WORD code : {EN_CHANGE, EN_UPDATE, EN_HSCROLL, EN_VSCROLL, EN_SETFOCUS}) {
            ValidateRect(edit, nullptr);
            SendMessageA(drop, WM_COMMAND, MAKEWPARAM(0, code), reinterpret_cast<LPARAM>(edit));
            EXPECT_EQ(HasPendingPaint(edit), translucent && code != EN_SETFOCUS) << code;
        }
    }
}

// A repaint of frame and client together (RedrawWindow with RDW_FRAME, or a window shown or
// uncovered) draws the combo box once, in both modes: the WM_NCPAINT that BeginPaint sends
// leaves the picture to the paint that follows. WM_NCPAINT alone still draws it, and one that
// comes while a client paint is due leaves it to that paint.
TEST_F(EditComboTest, AFrameAndClientRepaintDrawsTheComboOnce) {
    HWND combo = Combo(CBS_DROPDOWNLIST, 20, 20, 160);
    Install();
    const skin::ComboRecord* record = skin::ComboRecordOf(combo);
    ASSERT_NE(record, nullptr);
    const RECT r = OuterRect(combo);
    const POINT face{r.right / 3, 1};
    auto cover = [&] {
        HDC dc = GetWindowDC(combo);
        FillDC(dc, r, kMarker);
        ReleaseDC(combo, dc);
    };
    for (int translucent : {0, 1}) {
        SCOPED_TRACE(translucent ? "translucent" : "opaque");
        skin::Engine.TranslucentControls = translucent;
        unsigned paints = record->Paints;
        cover();
        RedrawWindow(combo, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        EXPECT_EQ(record->Paints, paints + 1);
        EXPECT_NE(WholeWindowPixel(combo, face.x, face.y), kMarker);

        paints = record->Paints;
        cover();
        SendMessageA(combo, WM_NCPAINT, 1, 0);
        EXPECT_EQ(record->Paints, paints + 1);
        EXPECT_NE(WholeWindowPixel(combo, face.x, face.y), kMarker);

        cover();
        InvalidateRect(combo, nullptr, FALSE);
        SendMessageA(combo, WM_NCPAINT, 1, 0);
        EXPECT_EQ(record->Paints, paints + 1) << "left to the paint that is due";
        EXPECT_EQ(WholeWindowPixel(combo, face.x, face.y), kMarker);
        UpdateWindow(combo);
        EXPECT_EQ(record->Paints, paints + 2);
        EXPECT_NE(WholeWindowPixel(combo, face.x, face.y), kMarker);
    }
}

// A combo box puts its last picture back while nothing it is drawn from has changed (no
// drawing object is made), and after each change draws what a first paint draws. A drop-down
// combo's edit field is keyed out of the picture either way. The changes add up (the
// background shows once the face is translucent).
TEST_F(EditComboTest, TheKeptComboPictureFollowsEverythingItIsDrawnFrom) {
    HWND list = Combo(CBS_DROPDOWNLIST, 20, 20, 160);
    HWND drop = Combo(CBS_DROPDOWN, 20, 80, 160);
    SendMessageA(list, CB_SETCURSEL, 1, 0);
    const int p = Install();
    HWND field = FindWindowExA(drop, nullptr, "Edit", nullptr);
    ASSERT_NE(field, nullptr);
    const int gdiBefore = testing_support::GdiObjectCount();
    for (HWND combo : {list, drop}) {
        SCOPED_TRACE(combo == list ? "drop-down list" : "drop-down");
        const int position = skin::ListPositionOf(combo);
        skin::ComboRecord& record = *skin::ComboRecordOf(combo);
        bool hot = false, focused = false;
        const auto grab = [&] {
            const RECT r = OuterRect(combo);
            std::vector<COLORREF> pixels;
            HDC dc = GetWindowDC(combo);
            for (int y = 0; y < r.bottom; ++y)
                for (int x = 0; x < r.right; ++x)
                    pixels.push_back(GetPixel(dc, x, y));
            ReleaseDC(combo, dc);
            return pixels;
        };
        const struct {
            const char* what;
            std::function<void()> change;
        } changes[] = {
            {"hot", [&] { hot = true; }},
            {"focused", [&] { hot = false, focused = true; }},
            {"accent", [&] { skin::Engine.AccentColour = RGB(0, 160, 0); }},
            // Drawn by a drop-down list only; a drop-down's edit field shows its own.
            {"text", [&] { SendMessageA(combo, CB_SETCURSEL, 2, 0); }},
            {"translucent", [&] { skin::Engine.TranslucentControls = 1; }},
            {"background",
             [&] {
                 FillDC(BackBufferOf(p), RECT{0, 0, 460, 360},
                        combo == list ? RGB(200, 120, 40) : RGB(40, 120, 200));
             }},
            {"size",
             [&] { SetWindowPos(combo, nullptr, 0, 0, 120, 160, SWP_NOMOVE | SWP_NOZORDER); }},
        };
        skin::PaintComboBox(p, position, hot, focused);
        std::vector<COLORREF> before = grab();
        for (const auto& c : changes) {
            SCOPED_TRACE(c.what);
            c.change();
            // The field keeps what it shows: the picture goes around it.
            if (field) FillWholeWindow(field, kMarker);
            skin::PaintComboBox(p, position, hot, focused);
            const std::vector<COLORREF> after = grab();
            if (combo == list || std::string(c.what) != "text") {
                EXPECT_NE(after, before) << "the change shows";
            }
            record.Kept = skin::KeptPicture{};
            skin::PaintComboBox(p, position, hot, focused);
            EXPECT_EQ(grab(), after) << "as a first paint draws it";

            const int asked = plus::CreationsAsked();
            skin::PaintComboBox(p, position, hot, focused);
            EXPECT_EQ(plus::CreationsAsked(), asked) << "put back, not drawn";
            EXPECT_EQ(grab(), after);
            if (combo == drop) {
                EXPECT_EQ(WholeWindowPixel(field, 2, 2), kMarker) << "the field is left alone";
            }
            before = after;
        }
        skin::Engine.AccentColour = kAccent;
        skin::Engine.TranslucentControls = 0;
    }
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore) << "kept as pixels, no GDI object";
}

// A drop-down combo's own edit field has no frame ring (its window is its client area): its
// frame paints leave the field as it is and make no drawing object, in both modes; an edit
// with a border still gets its ring.
TEST_F(EditComboTest, AnEditWithoutARingHasNoFramePainted) {
    HWND drop = Combo(CBS_DROPDOWN, 20, 20, 160);
    HWND framed =
        Keep(CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE, 20, 80, 160, 24,
                             window_, nullptr, GetModuleHandleA(nullptr), nullptr));
    Install();
    HWND field = FindWindowExA(drop, nullptr, "Edit", nullptr);
    ASSERT_NE(field, nullptr);
    for (int translucent : {0, 1}) {
        SCOPED_TRACE(translucent ? "translucent" : "opaque");
        skin::Engine.TranslucentControls = translucent;
        for (HWND e : {field, framed}) {
            const RECT r = OuterRect(e);
            HDC dc = GetWindowDC(e);
            FillDC(dc, r, kMarker);
            ReleaseDC(e, dc);
            const int asked = plus::CreationsAsked();
            skin::PaintEditFrame(e, true, true);
            const bool ringed = e == framed;
            EXPECT_EQ(plus::CreationsAsked() > asked, ringed);
            EXPECT_EQ(WholeWindowPixel(e, 0, 0) != kMarker, ringed);
            EXPECT_EQ(WholeWindowPixel(e, r.right / 2, r.bottom / 2), kMarker) << "inner box";
        }
    }
}
