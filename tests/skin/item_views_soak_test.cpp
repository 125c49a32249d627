// Long run over a skinned window with a 1,000-row list view (and its header), a long list box, a
// tree view, a stand-alone header and two up-downs in translucent mode: a hundred scrolls,
// hovers and header clicks, then destroying the window, leave GDI objects, windows and GDI+
// wrappers where they started.
#include "skinned_window_fixture.h"

#include "skin/controls/headers.h"
#include "skin/controls/item_views.h"
#include "skin/controls/updowns.h"

#include <commctrl.h>

#include <string>

using namespace toplevel_testing;

namespace {

class ItemViewSoakTest : public SkinnedWindowTest {};

struct Controls {
    HWND window, list, header, lbox, tree, alone, spin, hspin;
};

HWND Make(HWND window, const char* cls, DWORD style, int x, int y, int w, int h, DWORD ex = 0) {
    return CreateWindowExA(ex, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, window, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

Controls Build(HWND window) {
    Controls c{};
    c.window = window;
    c.list = Make(window, WC_LISTVIEWA, LVS_REPORT, 10, 40, 220, 160, WS_EX_CLIENTEDGE);
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 80;
        column.pszText = const_cast<char*>(i ? "值" : "名称");
        SendMessageA(c.list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    SendMessageA(c.list, LVM_SETITEMCOUNT, 1000, 0);
    for (int i = 0; i < 1000; ++i) {
        const std::string text = "row " + std::to_string(i);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(text.c_str());
        SendMessageA(c.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    c.header = FindWindowExA(c.list, nullptr, WC_HEADERA, nullptr);
    c.lbox = Make(window, "ListBox", WS_VSCROLL, 240, 40, 140, 160, WS_EX_CLIENTEDGE);
    for (int i = 0; i < 200; ++i) {
        const std::string text = "line " + std::to_string(i);
        SendMessageA(c.lbox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    c.tree = Make(window, WC_TREEVIEWA, TVS_HASLINES | TVS_HASBUTTONS, 10, 210, 160, 80,
                  WS_EX_CLIENTEDGE);
    TVINSERTSTRUCTA insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>("root");
    SendMessageA(c.tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
    c.alone = Make(window, WC_HEADERA, HDS_BUTTONS, 180, 210, 200, 24);
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.fmt = HDF_STRING;
    item.cxy = 90;
    item.pszText = const_cast<char*>("列");
    SendMessageA(c.alone, HDM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    c.spin = Make(window, UPDOWN_CLASSA, 0, 180, 240, 18, 40);
    c.hspin = Make(window, UPDOWN_CLASSA, UDS_HORZ, 210, 240, 40, 18);
    return c;
}

// One scroll (the list view or the list box, by bar or wheel), a hover over two of the
// controls in turn, and a column click.
void Cycle(const Controls& c, int i) {
    HWND scrolled = i % 2 ? c.lbox : c.list;
    if (i % 4 < 2)
        SendMessageA(scrolled, WM_VSCROLL, (i / 4) % 2 ? SB_PAGEUP : SB_PAGEDOWN, 0);
    else
        SendMessageA(scrolled, WM_MOUSEWHEEL,
                     MAKEWPARAM(0, static_cast<WORD>((i / 4) % 2 ? WHEEL_DELTA : -WHEEL_DELTA)), 0);
    const HWND hovered[] = {c.list, c.lbox, c.tree, c.header, c.alone, c.spin, c.hspin};
    for (int k = 0; k < 2; ++k) {
        HWND target = hovered[(i * 2 + k) % 7];
        SendMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(10 + i % 30, 5 + i % 20));
        SendMessageA(target, WM_MOUSELEAVE, 0, 0);
    }
    // A column click (no sort is set up, so the rows stay).
    SendMessageA(c.header, WM_MOUSEMOVE, 0, MAKELPARAM(40, 8));
    SendMessageA(c.header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 8));
    SendMessageA(c.header, WM_LBUTTONUP, 0, MAKELPARAM(40, 8));
    ReleaseCapture();
    UpdateWindow(c.window);
}

} // namespace

TEST_F(ItemViewSoakTest, ScrollHoverAndHeaderClickCyclesLeaveNothingBehind) {
    skin::Engine.TranslucentControls = 1;
    // One window through everything first, so objects the system makes once (Wine's window-DC
    // cache) are not counted.
    {
        HWND window = TopLevel(20, 20, 400, 320);
        Controls c = Build(window);
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

    HWND window = TopLevel(20, 20, 400, 320);
    Controls c = Build(window);
    const int p = SkinAndShow(window, 30, 1, 20);
    ASSERT_EQ(skin::RecordAt(p)->ItemViews.size(), 3u);
    ASSERT_EQ(skin::RecordAt(p)->Headers.size(), 2u);
    ASSERT_EQ(skin::RecordAt(p)->UpDowns.size(), 2u);
    for (int i = 0; i < 4; ++i)
        Cycle(c, i);
    Pump(50);
    const int gdiWhileSkinned = testing_support::GdiObjectCount();
    // The scrolls repeat every 8 cycles and the hovered pairs every 7: 112 cycles meet every
    // scroll with every hovered pair twice. One object kept by any of them shows in the count.
    for (int i = 0; i < 112; ++i)
        Cycle(c, i);
    Pump(50);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiWhileSkinned)
        << "nothing piles up while the window lives";
    EXPECT_EQ(skin::CapturedDCCount(), 0);
    EXPECT_EQ(SendMessageA(c.list, LVM_GETITEMCOUNT, 0, 0), 1000);

    DestroyWindow(window);
    Pump(50);
    before.ExpectBack();
}
