// The skin's scroll bars: their parts and pictures in each state, the picture coming back after
// the system has drawn its own bar, and the same scrolling as the same control unskinned.
#include "toplevel_fixture.h"
#include "support/gdi_count.h"

#include "skin/controls/edits.h"
#include "skin/controls/framework.h"
#include "skin/controls/item_views.h"
#include "skin/controls/scroll_bars.h"
#include "skin/core/dpi.h"
#include "skin/core/skin_window.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <thread>

using namespace toplevel_testing;
using skin::ScrollPart;

namespace {

constexpr COLORREF kAccent = RGB(255, 0, 0);
constexpr COLORREF kBackground = RGB(0, 0, 200);

// A 17 x 120 vertical bar with 17-pixel arrows and a thumb from 40 to 60.
skin::ScrollBarLook VerticalBar() {
    skin::ScrollBarLook bar;
    bar.Shown = bar.Vertical = true;
    bar.Bar = RECT{100, 10, 117, 130};
    bar.Arrow = 17;
    bar.ThumbStart = 40;
    bar.ThumbEnd = 60;
    return bar;
}

TEST(ScrollPartAt, EachPointFindsItsPartAlongEitherBar) {
    const skin::ScrollBarLook v = VerticalBar();
    skin::ScrollBarLook h = v;
    h.Vertical = false;
    h.Bar = RECT{10, 100, 130, 117};
    skin::ScrollBarLook bare = v; // a bar too short for a thumb
    bare.ThumbStart = bare.ThumbEnd = 0;
    struct Case {
        const skin::ScrollBarLook* bar;
        int along; // from the bar's start
        ScrollPart part;
    } cases[] = {
        {&v, 0, ScrollPart::ArrowBefore},  {&v, 16, ScrollPart::ArrowBefore},
        {&v, 17, ScrollPart::PageBefore},  {&v, 39, ScrollPart::PageBefore},
        {&v, 40, ScrollPart::Thumb},       {&v, 59, ScrollPart::Thumb},
        {&v, 60, ScrollPart::PageAfter},   {&v, 102, ScrollPart::PageAfter},
        {&v, 103, ScrollPart::ArrowAfter}, {&v, 119, ScrollPart::ArrowAfter},
        {&v, 120, ScrollPart::None},       {&v, -1, ScrollPart::None},
        {&h, 0, ScrollPart::ArrowBefore},  {&h, 45, ScrollPart::Thumb},
        {&h, 70, ScrollPart::PageAfter},   {&h, 110, ScrollPart::ArrowAfter},
        {&bare, 50, ScrollPart::None},     {&bare, 5, ScrollPart::ArrowBefore},
    };
    for (const Case& c : cases) {
        const POINT p = c.bar->Vertical ? POINT{108, c.bar->Bar.top + c.along}
                                        : POINT{c.bar->Bar.left + c.along, 108};
        EXPECT_EQ(skin::ScrollPartAt(*c.bar, p), c.part) << (c.bar == &h      ? "horizontal "
                                                             : c.bar == &bare ? "no thumb "
                                                                              : "vertical ")
                                                         << c.along;
    }
    EXPECT_EQ(skin::ScrollPartAt(v, POINT{99, 50}), ScrollPart::None) << "left of the bar";
    skin::ScrollBarLook hidden = v;
    hidden.Shown = false;
    EXPECT_EQ(skin::ScrollPartAt(hidden, POINT{108, 50}), ScrollPart::None);
}

TEST(ScrollBarMessages, OnlyAskingAndBareMovesLeaveTheSystemsBarAlone) {
    for (UINT m : {WM_NCHITTEST, WM_SETCURSOR, WM_GETTEXT, WM_MOUSELEAVE, WM_NCPAINT})
        EXPECT_FALSE(skin::MayDrawSystemBars(m, 0)) << m;
    EXPECT_FALSE(skin::MayDrawSystemBars(WM_MOUSEMOVE, 0));
    for (WPARAM held : {MK_LBUTTON, MK_RBUTTON, MK_MBUTTON})
        EXPECT_TRUE(skin::MayDrawSystemBars(WM_MOUSEMOVE, held)) << held;
    for (UINT m :
         std::initializer_list<UINT>{WM_VSCROLL, WM_MOUSEWHEEL, WM_KEYDOWN, WM_SIZE, WM_SETREDRAW,
                                     WM_TIMER, LB_SETTOPINDEX, LVM_SCROLL, WM_USER + 77})
        EXPECT_TRUE(skin::MayDrawSystemBars(m, 0)) << m;
}

class ScrollBarTest : public SkinTest {
protected:
    HWND window_ = nullptr;
    int position_ = 0;

    void SetUp() override {
        SkinTest::SetUp();
        skin::Engine.AccentColour = kAccent;
        window_ = TopLevel(20, 20, 520, 420);
    }
    HWND Make(HWND parent, const char* cls, DWORD style, int x, int y, int w = 160, int h = 120) {
        return Keep(CreateWindowExA(WS_EX_CLIENTEDGE, cls, "", WS_CHILD | WS_VISIBLE | style, x, y,
                                    w, h, parent, nullptr, GetModuleHandleA(nullptr), nullptr));
    }
    enum class Kind { ListBox, ListView, Edit, TreeView, RichEdit };
    HWND Scroller(HWND parent, Kind kind, int x, int y, int rows = 100) {
        HWND c = nullptr;
        switch (kind) {
            case Kind::ListBox:
                c = Make(parent, "ListBox", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, x, y);
                for (int i = 0; i < rows; ++i)
                    SendMessageA(c, LB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(("row " + std::to_string(i)).c_str()));
                break;
            case Kind::ListView: {
                c = Make(parent, WC_LISTVIEWA, LVS_REPORT | LVS_NOCOLUMNHEADER, x, y);
                LVCOLUMNA column{};
                column.mask = LVCF_WIDTH;
                column.cx = 120;
                SendMessageA(c, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
                for (int i = 0; i < rows; ++i) {
                    const std::string text = "item " + std::to_string(i);
                    LVITEMA item{};
                    item.mask = LVIF_TEXT;
                    item.iItem = i;
                    item.pszText = const_cast<char*>(text.c_str());
                    SendMessageA(c, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
                }
                break;
            }
            case Kind::Edit: {
                c = Make(parent, "Edit", WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, x, y);
                std::string text;
                for (int i = 0; i < rows; ++i)
                    text += "line " + std::to_string(i) + "\r\n";
                SetWindowTextA(c, text.c_str());
                break;
            }
            case Kind::TreeView:
                c = Make(parent, WC_TREEVIEWA, 0, x, y);
                for (int i = 0; i < rows; ++i) {
                    const std::string text = "node " + std::to_string(i);
                    TVINSERTSTRUCTA node{};
                    node.hInsertAfter = TVI_LAST;
                    node.item.mask = TVIF_TEXT;
                    node.item.pszText = const_cast<char*>(text.c_str());
                    SendMessageA(c, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&node));
                }
                break;
            case Kind::RichEdit: {
                static const HMODULE library = LoadLibraryA("riched20.dll");
                (void)library;
                c = Make(parent, "RichEdit20A", WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, x, y);
                std::string text;
                for (int i = 0; i < rows; ++i)
                    text += "rich " + std::to_string(i) + "\r\n";
                SetWindowTextA(c, text.c_str());
                break;
            }
        }
        return c;
    }
    void Install(bool translucent = false) {
        skin::Engine.TranslucentControls = translucent ? 1 : 0;
        skin::TheSkin->SkinWindow(window_, 30, 1, 0, 0, 0, 1, 0, 0);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        Pump();
        position_ = skin::FindWindowPosition(window_);
        if (translucent) {
            FillDC(BackBufferOf(position_), RECT{0, 0, 520, 420}, kBackground);
            RedrawWindow(window_, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            Pump();
        }
    }
    static skin::ScrollBarLook Bar(HWND c, bool vertical = true) {
        const skin::ScrollBarsLook look = skin::ReadScrollBars(c, skin::ScrollBarState{});
        return vertical ? look.Vertical : look.Horizontal;
    }
    // The pixel at the middle of a part of a bar, as the window shows it.
    static COLORREF PartPixel(HWND c, ScrollPart part, bool vertical = true) {
        const skin::ScrollBarLook bar = Bar(c, vertical);
        const int across =
            vertical ? (bar.Bar.left + bar.Bar.right) / 2 : (bar.Bar.top + bar.Bar.bottom) / 2;
        const int length = vertical ? bar.Bar.bottom - bar.Bar.top : bar.Bar.right - bar.Bar.left;
        int along = 0;
        switch (part) {
            case ScrollPart::Thumb: along = (bar.ThumbStart + bar.ThumbEnd) / 2; break;
            case ScrollPart::ArrowBefore: along = bar.Arrow / 2; break;
            case ScrollPart::ArrowAfter: along = length - bar.Arrow / 2; break;
            default: along = (bar.Arrow + bar.ThumbStart) / 2; break;
        }
        const int start = vertical ? bar.Bar.top : bar.Bar.left;
        return vertical ? WholeWindowPixel(c, across, start + along)
                        : WholeWindowPixel(c, start + along, across);
    }
    // The accent's share in a pixel of a bar on white: red well above green.
    static int Tint(COLORREF c) { return GetRValue(c) - GetGValue(c); }
};

// The plates' insets are 96-dpi sizes scaled to the owner's DPI: the thumb stands 2, 3 and 4
// pixels in at 96, 144 and 192 dpi, on a bar the system keeps at its own width.
TEST_F(ScrollBarTest, TheThumbsInsetFollowsTheOwnersDpi) {
    HWND c = Scroller(window_, Kind::ListBox, 10, 40);
    Install();
    const int width = Bar(c).Bar.right - Bar(c).Bar.left;
    for (UINT dpi : {144u, 192u, 96u}) {
        SCOPED_TRACE(testing::Message() << dpi << " dpi");
        skin::RecordAt(position_)->Dpi = dpi;
        RedrawWindow(c, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        Pump();
        const skin::ScrollBarLook bar = Bar(c);
        EXPECT_EQ(bar.Dpi, dpi);
        EXPECT_EQ(bar.Bar.right - bar.Bar.left, width);
        EXPECT_EQ(bar.Arrow, GetSystemMetrics(SM_CYVSCROLL));
        const int inset = skin::ScaleToDpi(2, dpi);
        const int middle = bar.Bar.top + (bar.ThumbStart + bar.ThumbEnd) / 2;
        EXPECT_LT(Tint(WholeWindowPixel(c, bar.Bar.left + inset - 1, middle)), 6);
        EXPECT_NEAR(Tint(WholeWindowPixel(c, bar.Bar.left + inset, middle)), 90, 12);
        EXPECT_NEAR(Tint(WholeWindowPixel(c, bar.Bar.right - 1 - inset, middle)), 90, 12);
        EXPECT_LT(Tint(WholeWindowPixel(c, bar.Bar.right - inset, middle)), 6);
    }
}

TEST_F(ScrollBarTest, TheSkinsBarComesBackAfterEveryWayTheControlScrolls) {
    const Kind kinds[] = {Kind::ListBox, Kind::ListView, Kind::Edit, Kind::TreeView,
                          Kind::RichEdit};
    HWND controls[5];
    for (int i = 0; i < 5; ++i)
        controls[i] = Scroller(window_, kinds[i], 10 + 170 * (i % 3), 40 + 150 * (i / 3));
    Install();
    skin::TheSkin->SkinCommonControl(controls[4], GetSysColor(COLOR_WINDOW));
    Pump();
    for (HWND c : controls) {
        SCOPED_TRACE(skin::ClassNameOf(c));
        ASSERT_TRUE(Bar(c).Shown);
        // The thumb is the accent at its normal strength; the page beside it has none.
        EXPECT_NEAR(Tint(PartPixel(c, ScrollPart::Thumb)), 90, 12);
        EXPECT_LT(Tint(PartPixel(c, ScrollPart::PageAfter)), 6);
        // The thumb stands two pixels in from each side.
        {
            const skin::ScrollBarLook bar = Bar(c);
            const int middle = bar.Bar.top + (bar.ThumbStart + bar.ThumbEnd) / 2;
            EXPECT_LT(Tint(WholeWindowPixel(c, bar.Bar.left, middle)), 6);
            EXPECT_LT(Tint(WholeWindowPixel(c, bar.Bar.right - 1, middle)), 6);
        }
        const int thumbBefore = Bar(c).ThumbStart;
        // Each of these has the system draw its own bar straight onto the window.
        const std::pair<UINT, WPARAM> scrolls[] = {
            {WM_VSCROLL, SB_PAGEDOWN}, {WM_VSCROLL, SB_LINEDOWN}, {WM_KEYDOWN, VK_NEXT}};
        for (auto [message, wParam] : scrolls) {
            SendMessageA(c, message, wParam, 0);
            Pump(20);
            EXPECT_NEAR(Tint(PartPixel(c, ScrollPart::Thumb)), 90, 12) << message << " " << wParam;
        }
        SendMessageA(c, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(100, 100));
        Pump(20);
        EXPECT_NEAR(Tint(PartPixel(c, ScrollPart::Thumb)), 90, 12) << "wheel";
        EXPECT_GT(Bar(c).ThumbStart, thumbBefore) << "the thumb moved down";
        EXPECT_LT(Tint(PartPixel(c, ScrollPart::PageBefore)), 6) << "and left no thumb behind";
    }
}

TEST_F(ScrollBarTest, HotAndDisabledPartsShowTheirOwnLook) {
    HWND list = Scroller(window_, Kind::ListBox, 10, 40);
    Install();
    const skin::ScrollBarLook bar = Bar(list);
    RECT outer{};
    GetWindowRect(list, &outer);
    const auto over = [&](int along) {
        const LPARAM at = MAKELPARAM(outer.left + (bar.Bar.left + bar.Bar.right) / 2,
                                     outer.top + bar.Bar.top + along);
        SendMessageA(list, WM_NCMOUSEMOVE, HTVSCROLL, at);
    };
    const COLORREF arrowCorner = WholeWindowPixel(list, bar.Bar.left + 2, bar.Bar.top + 2);
    EXPECT_LT(Tint(arrowCorner), 6) << "an arrow at rest has no plate";
    over((bar.ThumbStart + bar.ThumbEnd) / 2);
    EXPECT_NEAR(Tint(PartPixel(list, ScrollPart::Thumb)), 150, 12) << "the thumb under the pointer";
    over(bar.Arrow / 2);
    EXPECT_NEAR(Tint(PartPixel(list, ScrollPart::Thumb)), 90, 12) << "the thumb let go";
    EXPECT_GT(Tint(WholeWindowPixel(list, bar.Bar.left + 3, bar.Bar.top + 3)), 100)
        << "the arrow under the pointer has its plate";
    // Across the arrow's middle row the plate stands one pixel in from each side (the glyph on
    // it is dark red, still tinted); across a page row the channel is 6 pixels wide, centred.
    const auto widthAcross = [&](int along, auto&& counted) {
        int n = 0;
        for (int x = bar.Bar.left; x < bar.Bar.right; ++x)
            n += counted(WholeWindowPixel(list, x, bar.Bar.top + along));
        return n;
    };
    EXPECT_EQ(widthAcross(bar.Arrow / 2, [](COLORREF c) { return Tint(c) > 20; }),
              bar.Bar.right - bar.Bar.left - 2);
    // Its rounded corners (8 pixels): the first row of the plate is 7 pixels wide.
    EXPECT_EQ(widthAcross(1, [](COLORREF c) { return Tint(c) > 20; }), 7);
    const int page = (bar.ThumbEnd + (bar.Bar.bottom - bar.Bar.top - bar.Arrow)) / 2;
    EXPECT_EQ(widthAcross(page, [](COLORREF c) { return GetGValue(c) < 250; }), 6);
    // Off the bar (over the client) nothing is hot any more.
    SendMessageA(list, WM_NCMOUSEMOVE, HTCLIENT, MAKELPARAM(outer.left + 20, outer.top + 20));
    EXPECT_EQ(skin::ItemViewRecordOf(list)->ScrollBars.HotBar, 0);
    EXPECT_EQ(skin::ItemViewRecordOf(list)->ScrollBars.HotPart, ScrollPart::None);
    EXPECT_LT(Tint(WholeWindowPixel(list, bar.Bar.left + 3, bar.Bar.top + 3)), 6);
    over(bar.Arrow / 2);
    SendMessageA(list, WM_NCMOUSELEAVE, 0, 0);
    EXPECT_EQ(skin::ItemViewRecordOf(list)->ScrollBars.HotBar, 0);
    EXPECT_LT(Tint(WholeWindowPixel(list, bar.Bar.left + 3, bar.Bar.top + 3)), 6);

    const COLORREF glyph = PartPixel(list, ScrollPart::ArrowAfter);
    EXPECT_LT(GetGValue(glyph), 110) << "an arrow that can scroll is dark";
    EnableScrollBar(list, SB_VERT, ESB_DISABLE_BOTH);
    SendMessageA(list, WM_USER, 0, 0); // any message puts the skin back
    EXPECT_GT(GetGValue(PartPixel(list, ScrollPart::ArrowAfter)), 180)
        << "a disabled arrow is pale";
    EXPECT_LT(Tint(WholeWindowPixel(list, (bar.Bar.left + bar.Bar.right) / 2,
                                    bar.Bar.top + (bar.ThumbStart + bar.ThumbEnd) / 2)),
              6)
        << "a disabled bar has no thumb";
}

TEST_F(ScrollBarTest, BarsComeAndGoWithTheContentAndBothMeetAtAWhiteSizeBox) {
    HWND list = Scroller(window_, Kind::ListBox, 10, 40, 3);
    HWND wide = Make(window_, WC_LISTVIEWA, LVS_REPORT, 200, 40, 200, 150);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 500;
    SendMessageA(wide, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < 60; ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>("wide row");
        SendMessageA(wide, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    Install();
    EXPECT_FALSE(Bar(list).Shown) << "three rows need no bar";
    for (int i = 3; i < 40; ++i)
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "more");
    Pump(20);
    ASSERT_TRUE(Bar(list).Shown);
    EXPECT_NEAR(Tint(PartPixel(list, ScrollPart::Thumb)), 90, 12)
        << "a bar that appears is skinned";
    while (SendMessageA(list, LB_GETCOUNT, 0, 0) > 2)
        SendMessageA(list, LB_DELETESTRING, 0, 0);
    Pump(20);
    EXPECT_FALSE(Bar(list).Shown);

    ASSERT_TRUE(Bar(wide, false).Shown);
    EXPECT_NEAR(Tint(PartPixel(wide, ScrollPart::Thumb, false)), 90, 12) << "horizontal thumb";
    const skin::ScrollBarLook across = Bar(wide, false);
    const int middle = across.Bar.left + (across.ThumbStart + across.ThumbEnd) / 2;
    EXPECT_LT(Tint(WholeWindowPixel(wide, middle, across.Bar.top)), 6) << "two pixels in";
    EXPECT_LT(Tint(WholeWindowPixel(wide, middle, across.Bar.bottom - 1)), 6) << "two pixels in";
    const skin::ScrollBarsLook both = skin::ReadScrollBars(wide, skin::ScrollBarState{});
    ASSERT_FALSE(IsRectEmpty(&both.SizeBox));
    EXPECT_EQ(both.SizeBox.left, both.Vertical.Bar.left);
    EXPECT_EQ(both.SizeBox.top, both.Horizontal.Bar.top);
    EXPECT_EQ(WholeWindowPixel(wide, both.SizeBox.left + 3, both.SizeBox.top + 3),
              RGB(255, 255, 255));
}

TEST_F(ScrollBarTest, TranslucentBarsLieOverTheWashedBackground) {
    HWND list = Scroller(window_, Kind::ListBox, 10, 40);
    Install(true);
    const COLORREF page = PartPixel(list, ScrollPart::PageAfter);
    // White at ControlAlpha 160 over blue, then the channel's faint grey: blue shows through the
    // wash.
    EXPECT_GT(GetBValue(page), GetRValue(page) + 40) << std::hex << page;
    EXPECT_NEAR(GetRValue(page), 150, 15) << "washed " << std::hex << page;
    const COLORREF thumb = PartPixel(list, ScrollPart::Thumb);
    EXPECT_GT(GetRValue(thumb), GetGValue(thumb) + 40) << "the thumb is still the accent";
}

TEST_F(ScrollBarTest, ScrollingPathsMoveTheContentAsTheyDoUnskinned) {
    // The same controls on a window left plain.
    HWND plain = TopLevel(20, 20, 520, 420);
    const Kind kinds[] = {Kind::ListBox, Kind::ListView, Kind::Edit};
    HWND skinned[3], bare[3];
    for (int i = 0; i < 3; ++i) {
        skinned[i] = Scroller(window_, kinds[i], 10 + 170 * i, 40);
        bare[i] = Scroller(plain, kinds[i], 10 + 170 * i, 40);
    }
    Install();
    ShowWindow(plain, SW_SHOWNOACTIVATE);
    const auto where = [](HWND c) { return GetScrollPos(c, SB_VERT); };
    const std::pair<UINT, WPARAM> steps[] = {
        {WM_VSCROLL, SB_LINEDOWN}, {WM_VSCROLL, SB_PAGEDOWN}, {WM_VSCROLL, SB_LINEUP},
        {WM_MOUSEWHEEL, 0},        {WM_KEYDOWN, VK_NEXT},     {WM_KEYDOWN, VK_END},
        {WM_VSCROLL, SB_PAGEUP},   {WM_VSCROLL, SB_TOP},      {WM_VSCROLL, SB_BOTTOM}};
    for (int i = 0; i < 3; ++i)
        for (auto [message, wParam] : steps) {
            const WPARAM w = message == WM_MOUSEWHEEL ? MAKEWPARAM(0, -WHEEL_DELTA) : wParam;
            SendMessageA(skinned[i], message, w, MAKELPARAM(50, 50));
            SendMessageA(bare[i], message, w, MAKELPARAM(50, 50));
            EXPECT_EQ(where(skinned[i]), where(bare[i]))
                << skin::ClassNameOf(skinned[i]) << " after " << message << "/" << wParam;
        }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(skinned[1], SB_VERT, &info);
    SCROLLINFO plainInfo{};
    plainInfo.cbSize = sizeof plainInfo;
    plainInfo.fMask = SIF_ALL;
    GetScrollInfo(bare[1], SB_VERT, &plainInfo);
    EXPECT_EQ(info.nMax, plainInfo.nMax);
    EXPECT_EQ(info.nPage, plainInfo.nPage);
    EXPECT_EQ(SendMessageA(skinned[1], LVM_GETTOPINDEX, 0, 0),
              SendMessageA(bare[1], LVM_GETTOPINDEX, 0, 0));
}

TEST_F(ScrollBarTest, ProgramsSettingsShowingAndHitTestsAnswerAsTheSystemsDo) {
    HWND list = Scroller(window_, Kind::ListBox, 10, 40);
    Install();
    const skin::ScrollBarLook bar = Bar(list);
    // A point `along` the bar's length, `aside` pixels left of its middle, on the screen.
    const auto at = [&](HWND c, int along, int aside = 0) {
        RECT outer{};
        GetWindowRect(c, &outer);
        return MAKELPARAM(outer.left + (bar.Bar.left + bar.Bar.right) / 2 - aside,
                          outer.top + bar.Bar.top + along);
    };
    for (int along : {bar.Arrow / 2, (bar.ThumbStart + bar.ThumbEnd) / 2, bar.ThumbEnd + 5})
        EXPECT_EQ(SendMessageA(list, WM_NCHITTEST, 0, at(list, along)), HTVSCROLL) << along;
    EXPECT_EQ(SendMessageA(list, WM_NCHITTEST, 0, at(list, 30, 30)), HTCLIENT);

    // The program's own values are read back as it set them; the control's next message puts
    // the skin's thumb where the system's is.
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = 60;
    SetScrollInfo(list, SB_VERT, &info, TRUE);
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 60);
    SendMessageA(list, WM_USER, 0, 0);
    const skin::ScrollBarLook moved = Bar(list);
    EXPECT_GT(moved.ThumbStart, bar.ThumbStart + 20);
    EXPECT_NEAR(Tint(PartPixel(list, ScrollPart::Thumb)), 90, 12);
    EXPECT_LT(Tint(WholeWindowPixel(list, (bar.Bar.left + bar.Bar.right) / 2,
                                    bar.Bar.top + (bar.ThumbStart + bar.ThumbEnd) / 2)),
              6)
        << "no thumb left where it was";

    // Hiding and showing the bar does what it does to the same list unskinned.
    HWND plain = TopLevel(20, 20, 520, 420);
    HWND bare = Scroller(plain, Kind::ListBox, 10, 40);
    ShowWindow(plain, SW_SHOWNOACTIVATE);
    SetScrollInfo(bare, SB_VERT, &info, TRUE);
    for (BOOL show : {FALSE, TRUE}) {
        for (HWND c : {list, bare})
            ShowScrollBar(c, SB_VERT, show);
        Pump(20);
        EXPECT_EQ(Bar(list).Shown, Bar(bare).Shown) << show;
        EXPECT_EQ(SendMessageA(list, WM_NCHITTEST, 0, at(list, bar.Arrow / 2)),
                  SendMessageA(bare, WM_NCHITTEST, 0, at(bare, bar.Arrow / 2)))
            << show;
    }
    ASSERT_TRUE(Bar(list).Shown);
    EXPECT_NEAR(Tint(PartPixel(list, ScrollPart::Thumb)), 90, 12) << "shown again, skinned";
}

void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// A real press at `from` (screen), held `holdMs`, moved to `to` and let go there; `during` runs
// on another thread while the button is still down (the system's tracking loop holds this one).
void Press(POINT from, POINT to, int holdMs, const std::function<void()>& during = {}) {
    SetCursorPos(from.x, from.y);
    Pump(30);
    std::thread release([=] {
        Sleep(static_cast<DWORD>(holdMs));
        if (during) during();
        if (to.x != from.x || to.y != from.y) {
            for (int step = 1; step <= 4; ++step) {
                SetCursorPos(from.x + (to.x - from.x) * step / 4,
                             from.y + (to.y - from.y) * step / 4);
                Mouse(MOUSEEVENTF_MOVE);
                Sleep(40);
            }
        }
        Mouse(MOUSEEVENTF_LEFTUP);
    });
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Pump(holdMs + 400);
    release.join();
    Pump(30);
}

TEST_F(ScrollBarTest, RealPressesOnArrowPageAndThumbScrollAsTheyDoUnskinned) {
    HWND plain = TopLevel(20, 20, 520, 420);
    HWND skinned = Scroller(window_, Kind::ListView, 10, 40, 300);
    HWND bare = Scroller(plain, Kind::ListView, 10, 40, 300);
    Install();
    const auto screenOf = [](HWND c, const skin::ScrollBarLook& bar, int along) {
        RECT outer{};
        GetWindowRect(c, &outer);
        return POINT{outer.left + (bar.Bar.left + bar.Bar.right) / 2,
                     outer.top + bar.Bar.top + along};
    };
    COLORREF pressedArrow = 0;
    DWORD waited = 0; // how long the skinned arrow took to show pressed; the plain one is held
                      // as long, so both lists scroll alike
    for (HWND c : {skinned, bare}) {
        HWND top = GetParent(c);
        SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(top);
        Pump(50);
        const skin::ScrollBarLook bar = Bar(c);
        const int length = bar.Bar.bottom - bar.Bar.top;
        const POINT arrow = screenOf(c, bar, length - bar.Arrow / 2);
        Press(arrow, arrow, 250, [&] {
            if (c != skinned) {
                Sleep(waited);
                return;
            }
            // A loaded machine may not have drawn the press yet: it is looked at until it shows
            // (or a second and a half has gone by).
            const DWORD start = GetTickCount();
            while (true) {
                pressedArrow = PartPixel(c, ScrollPart::ArrowAfter, true);
                waited = GetTickCount() - start;
                if (Tint(pressedArrow) > 0 || waited > 1500) break;
                Sleep(10);
            }
        });
        const POINT page = screenOf(c, bar, (Bar(c).ThumbEnd + length - bar.Arrow) / 2);
        Press(page, page, 0);
        const skin::ScrollBarLook now = Bar(c);
        const POINT thumb = screenOf(c, now, (now.ThumbStart + now.ThumbEnd) / 2);
        Press(thumb, POINT{thumb.x, thumb.y + 30}, 50);
    }
    SetCursorPos(0, 0); // out of the way of tests that follow in this process
    EXPECT_GT(GetScrollPos(bare, SB_VERT), 10) << "the presses scrolled the plain list";
    EXPECT_EQ(GetScrollPos(skinned, SB_VERT), GetScrollPos(bare, SB_VERT));
    EXPECT_EQ(SendMessageA(skinned, LVM_GETTOPINDEX, 0, 0),
              SendMessageA(bare, LVM_GETTOPINDEX, 0, 0));
    // The held arrow showed its pressed plate (the accent at its strongest) around the glyph.
    const skin::ScrollBarLook bar = Bar(skinned);
    EXPECT_GT(Tint(pressedArrow), 0) << std::hex << pressedArrow;
    EXPECT_NEAR(Tint(PartPixel(skinned, ScrollPart::Thumb)), 90, 12) << "the thumb after the drag";
    EXPECT_EQ(bar.Pressed, ScrollPart::None) << "nothing is pressed once let go";
}

TEST_F(ScrollBarTest, ScrollCyclesLeaveNoObjectBehind) {
    // Over a bar's lower arrow, which stays where it is while the thumb moves.
    const auto arrowOf = [](HWND c) {
        const skin::ScrollBarLook bar = Bar(c);
        RECT outer{};
        GetWindowRect(c, &outer);
        return MAKELPARAM(outer.left + (bar.Bar.left + bar.Bar.right) / 2,
                          outer.top + bar.Bar.bottom - 3);
    };
    // The platform loads the pictures of its hot scroll-bar parts, and Wine caches a display DC,
    // once for the process: the same window's whole skinned life first keeps them out of the count.
    {
        HWND warm = TopLevel(20, 20, 520, 420);
        HWND list = Scroller(warm, Kind::ListView, 10, 40, 100);
        HWND edit = Scroller(warm, Kind::Edit, 200, 40, 100);
        skin::TheSkin->SkinWindow(warm, 30, 1, 0, 0, 0, 1, 0, 0);
        ShowWindow(warm, SW_SHOWNOACTIVATE);
        UpdateWindow(warm);
        for (HWND c : {list, edit}) {
            SendMessageA(c, WM_NCMOUSEMOVE, HTVSCROLL, arrowOf(c));
            SendMessageA(c, WM_NCMOUSELEAVE, 0, 0);
            SendMessageA(c, WM_VSCROLL, SB_PAGEDOWN, 0);
        }
        Pump();
        DestroyWindow(warm);
        Pump(20);
    }
    const int gdiBefore = testing_support::GdiObjectCount();
    {
        HWND list = Scroller(window_, Kind::ListView, 10, 40, 100);
        HWND edit = Scroller(window_, Kind::Edit, 200, 40, 100);
        Install();
        const LPARAM arrows[] = {arrowOf(list), arrowOf(edit)};
        // A scroll in one control or the other, each way in turn; every twentieth cycle also
        // hovers over both bars and repaints their frames, which renews the kept pictures.
        const auto cycle = [&](int i) {
            HWND c = i % 2 ? list : edit;
            SendMessageA(c, WM_VSCROLL, i % 4 < 2 ? SB_PAGEDOWN : SB_LINEUP, 0);
            if (i % 20 == 0)
                for (HWND h : {list, edit}) {
                    SendMessageA(h, WM_NCMOUSEMOVE, HTVSCROLL, arrows[h == edit]);
                    SendMessageA(h, WM_NCMOUSELEAVE, 0, 0);
                    SendMessageA(h, WM_NCPAINT, 1, 0);
                }
        };
        for (int i = 0; i < 4; ++i)
            cycle(i * 20);
        const int gdi = testing_support::GdiObjectCount();
        const int wrappers = plus::LiveObjectCount();
        for (int i = 0; i < 1000; ++i)
            cycle(i);
        EXPECT_EQ(skin::ItemViewRecordOf(list)->ScrollBars.HotPart, ScrollPart::None)
            << "the leave ended the hover";
        EXPECT_EQ(testing_support::GdiObjectCount(), gdi);
        EXPECT_EQ(plus::LiveObjectCount(), wrappers);
        DestroyWindow(window_);
        Pump(20);
    }
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore)
        << "the kept pictures go with their controls";
}

} // namespace
