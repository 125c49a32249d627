// Skinned headers on a real window: which headers the install takes, the hit test, the face of
// each item (gradient, hot and pressed looks, divider, icon, text placement and ellipsis), the
// stretched last column of a list view, and that dragging a divider and clicking a column still
// work.
#include "toplevel_fixture.h"

#include "plus/plus_faults.h"
#include "skin/controls/framework.h"
#include "skin/controls/headers.h"
#include "skin/core/skin_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

using namespace toplevel_testing;
using testing_support::ColoursNear;

namespace {

constexpr COLORREF kAccent = RGB(255, 0, 0);

int Redness(COLORREF c) {
    return GetRValue(c) - GetGValue(c);
}

// The column clicks the list views on the test window reported.
int g_columnClicks = 0;
int g_lastColumn = -1;

LRESULT CALLBACK NotedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* info = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (info->hdr.code == LVN_COLUMNCLICK) {
            ++g_columnClicks;
            g_lastColumn = info->iSubItem;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class HeaderTest : public SkinTest {
protected:
    HWND window_ = nullptr;
    int position_ = 0;

    void SetUp() override {
        SkinTest::SetUp();
        skin::Engine.AccentColour = kAccent;
        window_ = TopLevel(20, 20, 520, 400);
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NotedProcedure));
        g_columnClicks = 0;
        g_lastColumn = -1;
    }
    HWND Header(int x, int y, int w, DWORD style = HDS_BUTTONS) {
        return Keep(CreateWindowExA(0, WC_HEADERA, "", WS_CHILD | WS_VISIBLE | style, x, y, w, 24,
                                    window_, nullptr, GetModuleHandleA(nullptr), nullptr));
    }
    static void AddItem(HWND header, const char* text, int width, int format = HDF_LEFT,
                        int image = -1) {
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.pszText = const_cast<char*>(text);
        item.cxy = width;
        item.fmt = format | HDF_STRING;
        if (image >= 0) {
            item.mask |= HDI_IMAGE;
            item.iImage = image;
            item.fmt |= HDF_IMAGE;
        }
        SendMessageA(header, HDM_INSERTITEMA, 1000, reinterpret_cast<LPARAM>(&item));
    }
    HWND ListView(int x, int y, int w, int h) {
        HWND list = Keep(CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                         WS_CHILD | WS_VISIBLE | LVS_REPORT, x, y, w, h, window_,
                                         nullptr, GetModuleHandleA(nullptr), nullptr));
        for (int i = 0; i < 2; ++i) {
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.cx = 80;
            column.pszText = const_cast<char*>(i ? "second" : "first");
            SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
        }
        return list;
    }
    void Install() {
        position_ = Adopt(window_, RGB(255, 255, 255));
        skin::SkinHeaders(position_, window_);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        Pump();
    }
    // Columns of dark ink (text or icon) in a row band of the header's client area.
    static std::vector<bool> InkColumns(HWND header, int from, int to, int y0, int y1) {
        std::vector<bool> ink;
        for (int x = from; x < to; ++x) {
            bool any = false;
            for (int y = y0; y < y1 && !any; ++y)
                any = GetRValue(WindowPixel(header, x, y)) < 110 &&
                      GetGValue(WindowPixel(header, x, y)) < 110;
            ink.push_back(any);
        }
        return ink;
    }
    static int FirstInk(const std::vector<bool>& ink) {
        for (size_t i = 0; i < ink.size(); ++i)
            if (ink[i]) return static_cast<int>(i);
        return -1;
    }
    static int LastInk(const std::vector<bool>& ink) {
        for (size_t i = ink.size(); i-- > 0;)
            if (ink[i]) return static_cast<int>(i);
        return -1;
    }
};

} // namespace

TEST_F(HeaderTest, InstallTakesStandAloneHeadersAndEachListViewsHeaderWithItsFont) {
    HWND alone = Header(10, 10, 300);
    HWND plain = Header(10, 40, 300, 0);
    HWND list = ListView(10, 80, 300, 120);
    Install();
    HWND columns = FindWindowExA(list, nullptr, WC_HEADERA, nullptr);
    ASSERT_NE(columns, nullptr);
    auto& headers = skin::RecordAt(position_)->Headers;
    ASSERT_EQ(headers.size(), 3u);
    EXPECT_EQ(headers[0]->Window, alone);
    EXPECT_TRUE(headers[0]->Buttons);
    EXPECT_TRUE(headers[0]->FontFamily.empty()) << "stand-alone headers keep no font";
    EXPECT_EQ(headers[1]->Window, plain);
    EXPECT_FALSE(headers[1]->Buttons);
    EXPECT_EQ(headers[2]->Window, columns);
    EXPECT_FALSE(headers[2]->FontFamily.empty());
    EXPECT_GT(headers[2]->FontSize, 0);
    EXPECT_EQ(skin::HeaderRecordOf(columns), headers[2].get());
    // The list's font is the one its header's items are drawn in: "first" is far wider in a
    // list with a 28-pixel font than in one with the default font.
    HWND bigList = ListView(320, 80, 300, 120);
    HFONT big =
        CreateFontA(-28, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    SendMessageA(bigList, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
    skin::SkinHeaders(position_, window_);
    HWND bigColumns = FindWindowExA(bigList, nullptr, WC_HEADERA, nullptr);
    EXPECT_GE(skin::HeaderRecordOf(bigColumns)->FontSize, 20);
    for (HWND h : {columns, bigColumns})
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const auto small = InkColumns(columns, 0, 78, 2, 18);
    const auto large = InkColumns(bigColumns, 0, 78, 2, 30);
    EXPECT_GT(LastInk(large) - FirstInk(large), 3 * (LastInk(small) - FirstInk(small)) / 2);
    DestroyWindow(bigList);
    DeleteObject(big);
    ASSERT_EQ(headers.size(), 4u);
    headers.pop_back();

    skin::SkinHeaders(position_, window_);
    EXPECT_EQ(headers.size(), 3u) << "a second install takes nothing again";

    HWND other = TopLevel(40, 40, 200, 100);
    HWND h = Keep(CreateChild(other, WC_HEADERA, "", 0, 0, 0, 100, 20));
    skin::Engine.ControlSkinsEnabled = 0;
    const int q = Adopt(other);
    skin::SkinHeaders(q, other);
    EXPECT_TRUE(skin::RecordAt(q)->Headers.empty());
    EXPECT_EQ(GetPropA(h, "Hw_hProc"), nullptr);
}

TEST_F(HeaderTest, ItemAtSkipsFivePixelsEitherSideOfEachDivider) {
    HWND header = Header(10, 10, 300);
    AddItem(header, "a", 100);
    AddItem(header, "b", 80);
    Install();
    struct Case {
        int x, item;
    } cases[] = {{4, 0},   {5, 1},   {50, 1},  {95, 1},  {96, 0},
                 {104, 0}, {105, 2}, {175, 2}, {176, 0}, {250, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(skin::HeaderItemAt(position_, 1, MAKELPARAM(c.x, 10)), c.item) << c.x;
}

// The face of a button-style header and a plain one, and the hot and pressed looks that only
// the button style shows.
TEST_F(HeaderTest, FaceHotAndPressedLooksAndTheDivider) {
    HWND buttons = Header(10, 10, 300);
    HWND plain = Header(10, 50, 300, 0);
    for (HWND h : {buttons, plain}) {
        AddItem(h, "", 100);
        AddItem(h, "", 100);
    }
    Install();
    FillDC(BackBufferOf(position_), RECT{0, 0, 600, 400}, RGB(0, 0, 128));
    skin::HeaderRecord* b = skin::HeaderRecordOf(buttons);
    skin::HeaderRecord* p = skin::HeaderRecordOf(plain);
    auto paint = [&](HWND h) {
        skin::PaintHeader(position_, h == buttons ? 1 : 2);
        return std::pair{WindowPixel(h, 50, 2), WindowPixel(h, 50, 21)};
    };
    // Buttons: white alpha 80 to accent alpha 120, downwards.
    const auto [bTop, bBottom] = paint(buttons);
    EXPECT_GT(Redness(bBottom), Redness(bTop) + 60);
    // Over an opaque white base: the window behind (navy here) does not show at the top.
    EXPECT_TRUE(ColoursNear(bTop, RGB(255, 255, 255), 16)) << std::hex << bTop;
    // Plain: accent alpha 60 to accent alpha 10, fading downwards.
    const auto [pTop, pBottom] = paint(plain);
    EXPECT_GT(Redness(pTop), Redness(pBottom) + 25);
    // The divider: the last column of each item, darker than the face beside it at the top.
    const COLORREF divider = WindowPixel(buttons, 99, 2);
    EXPECT_LT(GetGValue(divider) + 20, GetGValue(WindowPixel(buttons, 97, 2)));
    // A header of its own: the last item's face reaches its right edge (items end at 200).
    for (HWND h : {buttons, plain}) {
        const COLORREF lastItem = WindowPixel(h, 150, 2), pastIt = WindowPixel(h, 290, 2);
        EXPECT_TRUE(ColoursNear(pastIt, lastItem, 6)) << std::hex << pastIt << " " << lastItem;
    }

    struct Case {
        const char* name;
        bool hot;
        int hotItem, pressedItem;
        bool firstChanges; // against the normal face at the top of item 1
    } cases[] = {
        {"hot item 1", true, 1, 0, true},
        {"hot item 2", true, 2, 0, false},
        {"pressed item 1", false, 0, 1, true},
        {"hot flag off", false, 1, 0, false},
    };
    for (const Case& c : cases) {
        for (skin::HeaderRecord* r : {b, p}) {
            r->Hot = c.hot;
            r->HotItem = c.hotItem;
            r->PressedItem = c.pressedItem;
        }
        const auto [top, bottom] = paint(buttons);
        EXPECT_EQ(!ColoursNear(top, bTop, 6) || !ColoursNear(bottom, bBottom, 6), c.firstChanges)
            << c.name << std::hex << " " << top << " " << bottom;
        const auto [plainTop, plainBottom] = paint(plain);
        EXPECT_TRUE(ColoursNear(plainTop, pTop, 3) && ColoursNear(plainBottom, pBottom, 3))
            << c.name << ": a plain header shows no hot or pressed look";
    }
    // Hot: accent alpha 60 to black alpha 30 over the face; pressed: black to white.
    b->Hot = true;
    b->HotItem = 1;
    b->PressedItem = 0;
    const auto [hotTop, hotBottom] = paint(buttons);
    b->Hot = false;
    b->PressedItem = 1;
    const auto [pressedTop, pressedBottom] = paint(buttons);
    EXPECT_GT(Redness(hotTop), Redness(bTop) + 20);
    EXPECT_LT(GetRValue(pressedTop), GetRValue(bTop) - 20) << "pressed starts darker";
    EXPECT_GT(GetGValue(pressedBottom), GetGValue(bBottom) + 20) << "and ends lighter";
    (void)hotBottom;
}

// Through the procedure: moving over an item paints it hot once, along a divider the hot look
// goes, a press marks the item, leaving clears everything.
TEST_F(HeaderTest, MouseMovesPressesAndLeavingKeepTheHotState) {
    HWND header = Header(10, 10, 300);
    AddItem(header, "", 100);
    AddItem(header, "", 100);
    Install();
    skin::HeaderRecord* r = skin::HeaderRecordOf(header);
    skin::WindowRecord* rec = skin::RecordAt(position_);
    const COLORREF normal = WindowPixel(header, 50, 2);

    SendMessageA(header, WM_MOUSEMOVE, 0, MAKELPARAM(50, 10));
    EXPECT_EQ(rec->HotFamily, skin::kFamilyHeaders);
    EXPECT_EQ(rec->HotControl, 1);
    EXPECT_TRUE(r->Hot);
    EXPECT_EQ(r->HotItem, 1);
    EXPECT_EQ(r->PaintedHotItem, 1);
    EXPECT_FALSE(ColoursNear(WindowPixel(header, 50, 2), normal, 6)) << "item 1 hot";
    // Another move over the same item paints nothing.
    HDC dc = GetDC(header);
    FillDC(dc, RECT{0, 0, 300, 24}, RGB(0, 255, 0));
    ReleaseDC(header, dc);
    SendMessageA(header, WM_MOUSEMOVE, 0, MAKELPARAM(60, 10));
    EXPECT_EQ(WindowPixel(header, 50, 2), RGB(0, 255, 0));
    // On a divider no item is hot and the header is painted plain.
    SendMessageA(header, WM_MOUSEMOVE, 0, MAKELPARAM(99, 10));
    EXPECT_FALSE(r->Hot);
    EXPECT_EQ(r->HotItem, 0);
    EXPECT_EQ(r->PaintedHotItem, 0);
    EXPECT_TRUE(ColoursNear(WindowPixel(header, 50, 2), normal, 3));

    SendMessageA(header, WM_MOUSEMOVE, 0, MAKELPARAM(150, 10));
    EXPECT_EQ(r->HotItem, 2);
    // With the button down a new hot item is not painted (a divider drag is in progress).
    r->ButtonDown = true;
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 10));
    EXPECT_EQ(r->HotItem, 1);
    EXPECT_EQ(r->PaintedHotItem, 2);
    r->ButtonDown = false;

    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 10));
    EXPECT_TRUE(r->ButtonDown);
    EXPECT_EQ(r->PressedItem, 1);
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(50, 10));
    EXPECT_FALSE(r->ButtonDown);
    EXPECT_EQ(r->PressedItem, 0);

    // Leaving repaints the hot item plain.
    SendMessageA(header, WM_MOUSEMOVE, 0, MAKELPARAM(150, 10));
    EXPECT_FALSE(ColoursNear(WindowPixel(header, 150, 2), normal, 6)) << "item 2 hot";
    SendMessageA(header, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(ColoursNear(WindowPixel(header, 150, 2), normal, 3)) << "item 2 plain again";
    EXPECT_EQ(rec->HotControl, 0);
    EXPECT_FALSE(r->Hot);
    EXPECT_EQ(r->HotItem, 0);
    EXPECT_TRUE(ColoursNear(WindowPixel(header, 50, 2), normal, 3));
}

// Where the content goes: left items start at the bitmap margin, right-aligned ones end at the
// item's edge unless they do not fit, centred ones sit in the middle; the icon comes first; a
// text too long for its item ends in an ellipsis inside it.
TEST_F(HeaderTest, IconTextPlacementAndEllipsis) {
    HWND header = Header(10, 10, 500);
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 1, 0);
    {
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
        HGDIOBJ old = SelectObject(mem, bitmap);
        FillDC(mem, RECT{0, 0, 16, 16}, RGB(0, 0, 255));
        SelectObject(mem, old);
        ImageList_Add(images, bitmap, nullptr);
        DeleteObject(bitmap);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    }
    SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    AddItem(header, "left", 100, HDF_LEFT);
    AddItem(header, "right", 100, HDF_RIGHT);
    AddItem(header, "mid", 100, HDF_CENTER);
    AddItem(header, "a very long column title indeed", 100, HDF_RIGHT);
    AddItem(header, "x", 100, HDF_LEFT, 0);
    Install();
    skin::PaintHeader(position_, 1);
    const int m = static_cast<int>(SendMessageA(header, HDM_GETBITMAPMARGIN, 0, 0));
    ASSERT_GT(m, 0);

    const auto left = InkColumns(header, 0, 98, 4, 20);
    // GDI+ leaves a little room before the first glyph.
    EXPECT_NEAR(FirstInk(left), m + 2, 2) << "left text starts at the margin";
    // Centred on the item's height: as many clear rows above "left" as below it.
    int firstRow = 24, lastRow = -1;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 98; ++x)
            if (GetRValue(WindowPixel(header, x, y)) < 110 &&
                GetGValue(WindowPixel(header, x, y)) < 110) {
                firstRow = std::min(firstRow, y);
                lastRow = std::max(lastRow, y);
            }
    EXPECT_LE(std::abs(firstRow - (23 - lastRow)), 1) << "ink rows " << firstRow << ".." << lastRow;
    const auto right = InkColumns(header, 100, 198, 4, 20);
    EXPECT_GE(LastInk(right), 98 - 4) << "right text ends at the item's edge";
    EXPECT_GT(FirstInk(right), 40);
    const auto mid = InkColumns(header, 200, 298, 4, 20);
    const int centre = (FirstInk(mid) + LastInk(mid)) / 2;
    EXPECT_NEAR(centre, (100 - m) / 2, 6) << "centred text";
    // The long right-aligned text does not fit: it starts at the margin and is cut inside
    // its layout box with an ellipsis, so the last few columns stay clear.
    const auto longText = InkColumns(header, 300, 398, 4, 20);
    EXPECT_NEAR(FirstInk(longText), m + 2, 2);
    EXPECT_LE(LastInk(longText), 100 - m);
    EXPECT_GT(LastInk(longText), 100 - m - 20) << "the trimmed text fills its box";
    // It ends in dots: the last inked column holds ink in a band of at most 3 rows, where a
    // glyph cut at the box's edge would stand taller.
    const int lastColumn = 300 + LastInk(longText);
    int top = 24, bottom = -1;
    for (int y = 0; y < 24; ++y) {
        const COLORREF c = WindowPixel(header, lastColumn, y);
        if (GetRValue(c) < 110 && GetGValue(c) < 110) {
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    EXPECT_LE(bottom - top, 2) << "an ellipsis dot, rows " << top << ".." << bottom;
    // The icon: blue at the margin, vertically centred; the text follows it.
    EXPECT_EQ(WindowPixel(header, 400 + m + 8, 12), RGB(0, 0, 255));
    EXPECT_NE(WindowPixel(header, 400 + m + 8, 1), RGB(0, 0, 255));
    const auto iconItem = InkColumns(header, 400 + m + 17, 498, 4, 20);
    EXPECT_GE(FirstInk(iconItem), 0) << "the text after the icon";
    EXPECT_LE(FirstInk(iconItem), 3);
    DestroyWindow(header);
    ImageList_Destroy(images);
}

// A list view's header: the last column is painted to the list's right edge; dragging its
// divider resizes the column, clicking a column reaches the list's parent.
TEST_F(HeaderTest, ListViewHeaderStretchesDragsAndClicks) {
    HWND list = ListView(10, 10, 400, 160);
    Install();
    HWND header = FindWindowExA(list, nullptr, WC_HEADERA, nullptr);
    ASSERT_NE(header, nullptr);
    RECT client{};
    GetClientRect(header, &client);
    ASSERT_GT(client.right, 200);
    skin::PaintHeader(position_, 1);
    // Past the last column (which ends at 160) the face goes on to the edge: the same colours
    // as inside the second column, and the second column's divider is at the list's edge.
    for (int y : {2, static_cast<int>(client.bottom) - 3})
        EXPECT_TRUE(
            ColoursNear(WindowPixel(header, client.right - 20, y), WindowPixel(header, 150, y), 4))
            << y;
    EXPECT_TRUE(ColoursNear(WindowPixel(header, 159, 2), WindowPixel(header, 150, 2), 4))
        << "no divider where the column really ends";
    EXPECT_LT(GetGValue(WindowPixel(header, client.right - 1, 2)) + 20,
              GetGValue(WindowPixel(header, client.right - 3, 2)))
        << "the divider is at the list's edge";

    // Drag the first divider 40 pixels right.
    const int before = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    SendMessageA(header, WM_MOUSEMOVE, 0, MAKELPARAM(before - 1, 10));
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(before - 1, 10));
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(before + 19, 10));
    SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(before + 39, 10));
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(before + 39, 10));
    ReleaseCapture();
    Pump();
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), before + 40);

    // Click the second column.
    const int x = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0)) + 30;
    SendMessageA(header, WM_MOUSEMOVE, 0, MAKELPARAM(x, 10));
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 10));
    EXPECT_EQ(skin::HeaderRecordOf(header)->PressedItem, 2);
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(x, 10));
    ReleaseCapture();
    Pump();
    EXPECT_EQ(g_columnClicks, 1);
    EXPECT_EQ(g_lastColumn, 1);
}

TEST_F(HeaderTest, TextWidthGrowsWithTheTextAndIsZeroForNone) {
    const skin::ControlFont font{"Tahoma", 12, 0};
    const int one = skin::TextWidth("m", font.family, 0, 12);
    const int three = skin::TextWidth("mmm", font.family, 0, 12);
    EXPECT_GT(one, 3);
    EXPECT_GT(three, 2 * one);
    EXPECT_EQ(skin::TextWidth("", font.family, 0, 12), 0);
    EXPECT_GT(skin::TextWidth("mmm", font.family, 0, 24), three) << "a larger size";
}

// Widths are kept per text for one font: asked again they are the same without measuring, a
// new font starts over with its own widths, and texts that keep changing do not pile up.
// A header's repaints measure its texts (the trimmed title's tries included) once.
TEST_F(HeaderTest, TextWidthsAreKeptPerFontAndRepaintsMeasureNothingNew) {
    skin::TextWidthCache widths;
    const int three = skin::TextWidth("mmm", "Tahoma", 0, 12);
    EXPECT_EQ(widths.Width("mmm", "Tahoma", 0, 12), three);
    EXPECT_EQ(widths.Width("mmm", "Tahoma", 0, 12), three);
    EXPECT_EQ(widths.Width("m", "Tahoma", 0, 12), skin::TextWidth("m", "Tahoma", 0, 12));
    EXPECT_EQ(widths.size(), 2u);
    EXPECT_EQ(widths.Width("mmm", "Tahoma", 0, 24), skin::TextWidth("mmm", "Tahoma", 0, 24));
    EXPECT_EQ(widths.size(), 1u) << "another size starts over";
    EXPECT_EQ(widths.Width("mmm", "Tahoma", 1, 24), skin::TextWidth("mmm", "Tahoma", 1, 24));
    EXPECT_EQ(widths.Width("mmm", "Tahoma", 1, 24), skin::TextWidth("mmm", "Tahoma", 1, 24));
    EXPECT_EQ(widths.size(), 1u) << "another style starts over";
    widths.Width("mmm", "Arial", 1, 24);
    EXPECT_EQ(widths.size(), 1u) << "another family starts over";
    // 300 texts: more than the cache keeps (256), each measured right all the same.
    for (int i = 0; i < 300; ++i) {
        const std::string text = std::to_string(i);
        ASSERT_EQ(widths.Width(text, "Tahoma", 0, 12), skin::TextWidth(text, "Tahoma", 0, 12));
        ASSERT_LE(widths.size(), 256u);
    }

    // As wide as its items: the last one stretches to the header's edge.
    HWND header = Header(10, 10, 170);
    AddItem(header, "名称", 80);
    AddItem(header, "这一列的标题很长，放不下", 90);
    Install();
    const skin::HeaderRecord* record = skin::HeaderRecordOf(header);
    ASSERT_NE(record, nullptr);
    skin::PaintHeader(position_, 1);
    const size_t measured = record->Widths.size();
    EXPECT_GT(measured, 3u) << "both titles and the trimmed title's tries";
    for (int i = 0; i < 3; ++i)
        skin::PaintHeader(position_, 1);
    EXPECT_EQ(record->Widths.size(), measured);
}

// A width that could not be measured (each drawing object the measuring needs refused in turn,
// as when the process is short of memory or handles) reads 0 and is not kept: once measuring
// works again the text gets its real width.
TEST_F(HeaderTest, AWidthThatCouldNotBeMeasuredIsNotKept) {
    const int real = skin::TextWidth("mmm", "Tahoma", 0, 12);
    ASSERT_GT(real, 0);
    plus::RefuseCreation(0);
    skin::TextWidth("mmm", "Tahoma", 0, 12);
    const int creations = plus::CreationsAsked();
    ASSERT_GE(creations, 2) << "graphics and font";
    for (int refused = 1; refused <= creations; ++refused) {
        SCOPED_TRACE(refused);
        skin::TextWidthCache widths;
        plus::RefuseCreation(refused);
        EXPECT_EQ(widths.Width("mmm", "Tahoma", 0, 12), 0);
        EXPECT_EQ(widths.size(), 0u);
        plus::RefuseCreation(0);
        EXPECT_EQ(widths.Width("mmm", "Tahoma", 0, 12), real);
        EXPECT_EQ(widths.size(), 1u);
    }
}

// A hover change draws the header once: the header's own procedure handles the message first,
// then the skin paints the whole header and nothing is left for a second paint. What shows is
// what a full repaint of that state shows, in both modes.
TEST_F(HeaderTest, AHoverChangeDrawsTheHeaderOnceAndAsAFullRepaintWould) {
    HWND header = Header(10, 10, 300);
    AddItem(header, "第一", 100);
    AddItem(header, "second", 100);
    Install();
    FillDC(BackBufferOf(position_), RECT{0, 0, 600, 400}, RGB(0, 0, 128));
    for (int translucent : {0, 1}) {
        SCOPED_TRACE(translucent ? "translucent" : "opaque");
        skin::Engine.TranslucentControls = translucent;
        RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        // What one drawing of the header asks of the drawing library.
        int asked = plus::CreationsAsked();
        skin::PaintHeader(position_, 1);
        const int onePaint = plus::CreationsAsked() - asked;
        ASSERT_GT(onePaint, 0);
        const Picture normal = GrabClient(header);
        const struct {
            const char* what;
            UINT message;
            int x;
            bool hot; // item 1 (at x 50) shows hot
        } steps[] = {
            {"onto item 1", WM_MOUSEMOVE, 50, true},
            {"onto item 2", WM_MOUSEMOVE, 150, false},
            {"onto a divider", WM_MOUSEMOVE, 99, false},
            {"onto item 1 again", WM_MOUSEMOVE, 40, true},
            {"away", WM_MOUSELEAVE, 0, false},
        };
        for (const auto& s : steps) {
            SCOPED_TRACE(s.what);
            asked = plus::CreationsAsked();
            SendMessageA(header, s.message, 0, MAKELPARAM(s.x, 10));
            EXPECT_FALSE(HasPendingPaint(header));
            UpdateWindow(header);
            // One drawing (a hot item asks for its one gradient more), not two.
            EXPECT_GE(plus::CreationsAsked() - asked, onePaint);
            EXPECT_LT(plus::CreationsAsked() - asked, 2 * onePaint);
            const Picture shown = GrabClient(header);
            EXPECT_EQ(CountDifferences(shown, normal, 4) > 0, s.hot || s.x == 150);
            RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            EXPECT_EQ(CountDifferences(shown, GrabClient(header), 0), 0);
        }
    }
}
