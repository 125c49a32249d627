// Skinned item views on a real window: which controls the install takes, the outline each state
// gives, the wash behind rows and tree items in translucent mode, and that scrolling, selection
// and the keyboard keep working and leave no smeared rows.
#include "toplevel_fixture.h"

#include "plus/plus_faults.h"
#include "skin/controls/framework.h"
#include "skin/controls/item_views.h"
#include "skin/core/paint_phases.h"
#include "skin/core/skin_window.h"

#include <commctrl.h>

#include <string>
#include <tuple>

using namespace toplevel_testing;
using testing_support::ColoursNear;

namespace {

constexpr COLORREF kAccent = RGB(255, 0, 0);
constexpr COLORREF kMarker = RGB(0, 255, 0);
constexpr COLORREF kBackground = RGB(0, 0, 200);
constexpr COLORREF kWhiteColour = RGB(255, 255, 255);

// The client pixels below a list view's header (or all of them when it has none).
Picture GrabRows(HWND control) {
    Picture all = GrabClient(control);
    int top = 0;
    if (HWND header = FindWindowExA(control, nullptr, WC_HEADERA, nullptr)) {
        RECT r{};
        GetWindowRect(header, &r);
        top = r.bottom - r.top;
    }
    Picture rows{all.width, all.height - top, {}};
    rows.pixels.assign(all.pixels.begin() + static_cast<ptrdiff_t>(top * all.width),
                       all.pixels.end());
    return rows;
}

class ItemViewTest : public SkinTest {
protected:
    HWND window_ = nullptr;
    int position_ = 0;

    void SetUp() override {
        SkinTest::SetUp();
        skin::Engine.AccentColour = kAccent;
        window_ = TopLevel(20, 20, 520, 420);
    }
    HWND Make(const char* cls, DWORD style, int x, int y, int w, int h,
              DWORD exStyle = WS_EX_CLIENTEDGE) {
        return Keep(CreateWindowExA(exStyle, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                    window_, nullptr, GetModuleHandleA(nullptr), nullptr));
    }
    HWND ListBox(int x, int y, int rows, DWORD style = 0, int w = 160, int h = 120) {
        HWND list = Make("ListBox", WS_VSCROLL | LBS_NOTIFY | style, x, y, w, h);
        for (int i = 0; i < rows; ++i) {
            const std::string text = "row " + std::to_string(i);
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        return list;
    }
    HWND ListView(int x, int y, int rows, DWORD style = LVS_REPORT, int w = 240, int h = 160) {
        HWND list = Make(WC_LISTVIEWA, style, x, y, w, h);
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 90;
        column.pszText = const_cast<char*>("name");
        SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        for (int i = 0; i < rows; ++i) {
            const std::string text = "item " + std::to_string(i);
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<char*>(text.c_str());
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        return list;
    }
    HWND Tree(int x, int y, int w = 160, int h = 120) {
        HWND tree = Make(WC_TREEVIEWA, TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, x, y, w, h);
        HTREEITEM parent = TVI_ROOT;
        for (const char* text : {"root", "child", "grandchild"}) {
            TVINSERTSTRUCTA insert{};
            insert.hParent = parent;
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_TEXT;
            insert.item.pszText = const_cast<char*>(text);
            HTREEITEM item = reinterpret_cast<HTREEITEM>(
                SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
            if (parent != TVI_ROOT) SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)parent);
            parent = item;
        }
        return tree;
    }
    // Skins the window as the application does, then lays a plain blue (with stripes, when
    // asked, so a scrolled copy of the wash shows as a difference) into its back buffer.
    void Install(bool stripes = false) {
        skin::TheSkin->SkinWindow(window_, 30, 1, 0, 0, 0, 1, 0, 0);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        Pump();
        position_ = skin::FindWindowPosition(window_);
        HDC buffer = BackBufferOf(position_);
        FillDC(buffer, RECT{0, 0, 520, 420}, kBackground);
        if (stripes)
            for (int y = 0; y < 420; y += 14)
                FillDC(buffer, RECT{0, y, 520, y + 7}, RGB(0, 120, 40));
        RedrawWindow(window_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
    }
    skin::WindowRecord* Record() const { return skin::RecordAt(position_); }
};

} // namespace

TEST_F(ItemViewTest, InstallTakesEachMemberOnceAndLeavesTheFilteredOnesAlone) {
    HWND lbox = ListBox(10, 10, 3);
    HWND simple = Make("ComboBox", CBS_SIMPLE, 180, 10, 120, 100, 0);
    HWND ownerDrawnCombo =
        Make("ComboBox", CBS_SIMPLE | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 310, 10, 120, 100, 0);
    HWND list = ListView(10, 140, 2);
    HWND sorted = ListView(260, 140, 2, LVS_REPORT | LVS_SORTASCENDING);
    HWND tree = Tree(10, 310, 120, 80);
    HWND ip = Make(WC_IPADDRESSA, 0, 140, 310, 140, 24);
    HWND date = Make(DATETIMEPICK_CLASSA, 0, 140, 340, 140, 24);
    skin::Engine.TranslucentControls = 1;
    Install();

    HWND simpleList = FindWindowExA(simple, nullptr, "ComboLBox", nullptr);
    ASSERT_NE(simpleList, nullptr);
    const HWND expected[] = {lbox, simpleList, list, tree, ip, date};
    auto& views = Record()->ItemViews;
    ASSERT_EQ(views.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(views[i]->Window, expected[i]) << i;
        EXPECT_EQ(skin::ItemViewRecordOf(expected[i]), views[i].get()) << i;
        EXPECT_EQ(GetPropA(expected[i], "Hw_lbID"), reinterpret_cast<HANDLE>(i + 1));
    }
    EXPECT_EQ(skin::ItemViewRecordOf(sorted), nullptr) << "style bit 0x10 is left alone";
    EXPECT_EQ(GetPropA(FindWindowExA(ownerDrawnCombo, nullptr, "ComboLBox", nullptr), "Hw_hProc"),
              nullptr);
    EXPECT_EQ(SendMessageA(list, LVM_GETTEXTBKCOLOR, 0, 0), static_cast<LRESULT>(CLR_NONE));
    EXPECT_EQ(SendMessageA(tree, TVM_GETBKCOLOR, 0, 0), static_cast<LRESULT>(skin::kKeyColour));

    // A second install adds nothing and does not subclass again.
    const HANDLE saved = GetPropA(lbox, "Hw_hProc");
    skin::SkinItemViews(position_, window_);
    EXPECT_EQ(views.size(), 6u);
    EXPECT_EQ(GetPropA(lbox, "Hw_hProc"), saved);
    EXPECT_EQ(SendMessageA(lbox, LB_GETCOUNT, 0, 0), 3) << "the list box still answers";

    // Control skins off: nothing is taken.
    HWND other = TopLevel(40, 40, 200, 100);
    HWND otherList = Keep(CreateChild(other, "ListBox", "", 0, 5, 5, 100, 60));
    skin::Engine.ControlSkinsEnabled = 0;
    skin::TheSkin->SkinWindow(other, 30, 1, 0, 0, 0, 1, 0, 0);
    EXPECT_TRUE(skin::RecordAt(skin::FindWindowPosition(other))->ItemViews.empty());
    EXPECT_EQ(GetPropA(otherList, "Hw_hProc"), nullptr);
}

// The outline of a client-edge list box in each state: the outer pixel, the one inside it, and
// the client, which the frame painter leaves alone.
TEST_F(ItemViewTest, OutlineShowsTheStateAndLeavesTheClientAlone) {
    HWND lbox = ListBox(20, 20, 3, 0, 160, 100);
    HWND bare = Make("ListBox", 0, 200, 20, 120, 80, 0);
    Install();
    const COLORREF white = kWhiteColour;
    const COLORREF washed = Over(white, 160, kBackground);
    const COLORREF accent = Over(kAccent, 200, white);
    struct Case {
        const char* name;
        bool translucent, focused, hot;
        COLORREF outer, inner;
        UINT dpi = 96; // the owner's: the ring's widths are 96-dpi sizes
    } cases[] = {
        {"normal", false, false, false, Over(0, 90, white), white},
        {"focused", false, true, false, accent, white},
        {"hot", false, false, true, accent, accent},
        {"hot and focused", false, true, true, accent, accent},
        {"translucent", true, false, false, Over(0, 90, washed), washed},
        {"translucent hot", true, false, true, Over(kAccent, 200, washed),
         Over(kAccent, 200, washed)},
        // From 144 dpi on (1.5 rounds to 2) the line is two pixels wide; the client still stays.
        {"focused at 192 dpi", false, true, false, accent, accent, 192},
        {"normal at 192 dpi", false, false, false, Over(0, 90, white), Over(0, 90, white), 192},
        {"normal at 144 dpi", false, false, false, Over(0, 90, white), Over(0, 90, white), 144},
        {"normal at 120 dpi", false, false, false, Over(0, 90, white), white, 120},
    };
    RECT r{};
    GetWindowRect(lbox, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    for (const Case& c : cases) {
        skin::Engine.TranslucentControls = c.translucent;
        skin::RecordAt(position_)->Dpi = c.dpi;
        FillWholeWindow(lbox, kMarker);
        skin::PaintItemViewFrame(position_, 1, c.hot, c.focused);
        for (const POINT& pt : {POINT{0, h / 2}, POINT{w - 1, h / 2}, POINT{w / 2, 0}})
            EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, pt.x, pt.y), c.outer, 3))
                << c.name << " outer " << pt.x << "," << pt.y << std::hex << " "
                << WholeWindowPixel(lbox, pt.x, pt.y);
        for (const POINT& pt : {POINT{1, h / 2}, POINT{w / 2, 1}, POINT{w / 2, h - 2}})
            EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, pt.x, pt.y), c.inner, 3))
                << c.name << " inner " << pt.x << "," << pt.y << std::hex << " "
                << WholeWindowPixel(lbox, pt.x, pt.y);
        EXPECT_EQ(WholeWindowPixel(lbox, 2, 2), kMarker) << c.name << " client";
        EXPECT_EQ(WholeWindowPixel(lbox, w / 2, h / 2), kMarker) << c.name << " client";
    }
    // The record's state is used when none is given.
    skin::Engine.TranslucentControls = 0;
    skin::RecordAt(position_)->Dpi = 96;
    skin::ItemViewRecordOf(lbox)->Focused = true;
    skin::ItemViewRecordOf(lbox)->Hot = false;
    skin::PaintItemViewFrame(position_, 1);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, 0, h / 2), accent, 3));
    EXPECT_EQ(WholeWindowPixel(lbox, 1, h / 2), white);

    // No border style: the window stays as it was.
    FillWholeWindow(bare, kMarker);
    skin::PaintItemViewFrame(position_, 2, true, true);
    EXPECT_EQ(WholeWindowPixel(bare, 0, 10), kMarker);
    EXPECT_EQ(WholeWindowPixel(bare, 1, 10), kMarker);
}

// The opaque ring is drawn once and put back while its look holds: a new size or accent draws
// it again, and only its bands are kept.
TEST_F(ItemViewTest, TheKeptRingFollowsSizeAndAccentAndHoldsOnlyItsBands) {
    HWND lbox = ListBox(20, 20, 3, 0, 160, 100);
    Install();
    skin::Engine.TranslucentControls = 0;
    const auto paint = [&] {
        FillWholeWindow(lbox, kMarker);
        skin::PaintItemViewFrame(position_, 1, false, false);
    };
    const auto size = [](HBITMAP b) {
        BITMAP info{};
        GetObject(b, sizeof info, &info);
        return SIZE{info.bmWidth, info.bmHeight};
    };
    paint();
    const skin::FrameGeometry f = skin::MeasureFrame(lbox);
    const skin::KeptRing& kept = skin::ItemViewRecordOf(lbox)->Ring;
    ASSERT_EQ(kept.Entries.size(), 1u);
    const skin::KeptRing::Entry& ring = kept.Entries[0];
    EXPECT_EQ(size(ring.Across.get()).cx, f.w);
    EXPECT_EQ(size(ring.Across.get()).cy, f.h - f.ih);
    EXPECT_EQ(size(ring.Sides.get()).cx, f.w - f.iw);
    EXPECT_EQ(size(ring.Sides.get()).cy, f.ih);
    const COLORREF outline = WholeWindowPixel(lbox, f.w - 1, f.h / 2);
    EXPECT_NE(outline, kMarker);
    EXPECT_EQ(WholeWindowPixel(lbox, f.w / 2, f.h - 1), outline) << "the bottom band is put back";

    // Hot and focused rings are kept beside it: each state comes back without being drawn
    // again (the same pictures), a fourth look takes the least recent one's place.
    skin::PaintItemViewFrame(position_, 1, true, false);
    skin::PaintItemViewFrame(position_, 1, false, true);
    ASSERT_EQ(kept.Entries.size(), 3u);
    std::vector<HBITMAP> pictures;
    for (const skin::KeptRing::Entry& e : kept.Entries)
        pictures.push_back(e.Across.get());
    for (const auto& [hot, focused] : std::initializer_list<std::pair<bool, bool>>{
             {false, false}, {true, false}, {false, true}}) {
        FillWholeWindow(lbox, kMarker);
        skin::PaintItemViewFrame(position_, 1, hot, focused);
        EXPECT_NE(WholeWindowPixel(lbox, f.w - 1, f.h / 2), kMarker);
    }
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(kept.Entries[i].Across.get(), pictures[i]) << i;
    paint();                                            // the normal ring shown last
    skin::PaintItemViewFrame(position_, 1, true, true); // the hot one was least recent
    ASSERT_EQ(kept.Entries.size(), 3u);
    EXPECT_EQ(kept.Entries[0].Across.get(), pictures[0]);
    EXPECT_EQ(kept.Entries[2].Across.get(), pictures[2]);
    EXPECT_TRUE(kept.Entries[1].Shown.hot && kept.Entries[1].Shown.focused);

    SetWindowPos(lbox, nullptr, 0, 0, 200, 130, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    paint();
    EXPECT_EQ(kept.Entries.size(), 1u) << "rings of the old size go";
    const skin::FrameGeometry g = skin::MeasureFrame(lbox); // whole rows: about 130 high
    ASSERT_EQ(g.w, 200);
    for (const POINT& pt :
         {POINT{g.w - 1, g.h / 2}, POINT{g.w / 2, g.h - 1}, POINT{0, g.h / 2}, POINT{g.w / 2, 0}})
        EXPECT_EQ(WholeWindowPixel(lbox, pt.x, pt.y), outline) << pt.x << "," << pt.y;
    EXPECT_EQ(WholeWindowPixel(lbox, g.w / 2, g.h / 2), kMarker) << "the inner box is left alone";

    skin::Engine.AccentColour = RGB(0, 0, 255);
    skin::PaintItemViewFrame(position_, 1, false, true);
    const COLORREF focused = WholeWindowPixel(lbox, 0, g.h / 2);
    EXPECT_GT(GetBValue(focused), GetRValue(focused) + 40)
        << "the new accent " << std::hex << focused;
}

// A translucent ring shown again (a focus or hover change) is put back from what the record
// keeps while the window's picture under it is the one it was drawn over; when that picture
// changed, or the list moved over another part of it, the ring shows what lies there now.
TEST_F(ItemViewTest, TheKeptTranslucentRingFollowsTheWindowsPictureAndThePlace) {
    HWND lbox = ListBox(20, 20, 3, 0, 160, 100);
    Install();
    skin::Engine.TranslucentControls = 1;
    skin::Engine.ControlAlpha = 160;
    HDC buffer = BackBufferOf(position_);
    constexpr COLORREF kGreen = RGB(0, 140, 0), kRed = RGB(200, 0, 0);
    FillDC(buffer, RECT{260, 200, 520, 420}, kGreen);
    const skin::FrameGeometry f = skin::MeasureFrame(lbox);
    const auto paint = [&](bool focused) {
        FillWholeWindow(lbox, kMarker);
        skin::PaintItemViewFrame(position_, 1, false, focused);
    };
    // The ring's second pixel is the wash alone; the outermost one the state's line over it.
    const auto expect = [&](const char* what, bool focused, COLORREF under) {
        const COLORREF washed = Over(kWhiteColour, 160, under);
        const COLORREF line = focused ? Over(kAccent, 200, washed) : Over(0, 90, washed);
        for (const POINT& pt : {POINT{1, f.h / 2}, POINT{f.w / 2, 1}, POINT{f.w - 2, f.h / 2}})
            EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, pt.x, pt.y), washed, 3))
                << what << " wash at " << pt.x << "," << pt.y << std::hex << " "
                << WholeWindowPixel(lbox, pt.x, pt.y);
        EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, 0, f.h / 2), line, 3))
            << what << " line " << std::hex << WholeWindowPixel(lbox, 0, f.h / 2);
        EXPECT_EQ(WholeWindowPixel(lbox, f.w / 2, f.h / 2), kMarker) << what << " inner box";
    };
    paint(false);
    paint(true);
    const int gdi = testing_support::GdiObjectCount();
    for (int i = 0; i < 10; ++i) {
        paint(i % 2 == 0);
        expect("put back", i % 2 == 0, kBackground);
    }
    EXPECT_EQ(skin::ItemViewRecordOf(lbox)->TranslucentRing.Entries.size(), 2u);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdi);
    // Put back where it lies, the ring makes no capture of the window's picture.
    skin::CountPaintPhases(true);
    paint(false);
    const double captured =
        skin::CountedPaintPhases().ms[static_cast<int>(skin::PaintPhase::Capture)];
    skin::CountPaintPhases(false);
    EXPECT_EQ(captured, 0.0);

    // One row changed at the ring's top edge is seen.
    RECT at{};
    GetWindowRect(lbox, &at);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&at), 2);
    RECT client{};
    GetWindowRect(window_, &client);
    POINT origin{0, 0};
    ClientToScreen(window_, &origin);
    OffsetRect(&at, origin.x - client.left, origin.y - client.top);
    FillDC(buffer, RECT{at.left, at.top, at.right, at.top + 1}, kRed);
    paint(false);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, f.w / 2, 0),
                            Over(0, 90, Over(kWhiteColour, 160, kRed)), 3))
        << std::hex << WholeWindowPixel(lbox, f.w / 2, 0);

    FillDC(buffer, RECT{0, 0, 260, 200}, kRed);
    for (const bool focused : {false, true}) {
        paint(focused);
        expect("the window's picture changed", focused, kRed);
    }
    SetWindowPos(lbox, nullptr, 300, 240, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const bool focused : {true, false}) {
        paint(focused);
        expect("moved over the green", focused, kGreen);
    }
    EXPECT_EQ(testing_support::GdiObjectCount(), gdi);

    // A host window above the list now names where its backgrounds come from (nothing here):
    // the ring is drawn over that, not put back over the window's picture.
    SetPropA(window_, "Wxk_Zpf", reinterpret_cast<HANDLE>(1));
    paint(false);
    EXPECT_FALSE(
        ColoursNear(WholeWindowPixel(lbox, 1, f.h / 2), Over(kWhiteColour, 160, kGreen), 3))
        << std::hex << WholeWindowPixel(lbox, 1, f.h / 2);
    RemovePropA(window_, "Wxk_Zpf");
    paint(false);
    expect("the window's picture again", false, kGreen);

    // Unwashed (alpha 0), the key colour in the window's picture stays key colour in the ring's
    // picture: those pixels are left out of the copy, the ring put back or not.
    skin::Engine.ControlAlpha = 0;
    GetWindowRect(lbox, &at);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&at), 2);
    OffsetRect(&at, origin.x - client.left, origin.y - client.top);
    // The whole left band: with the inner box, the key colour fills one rectangle.
    FillDC(buffer, RECT{at.left, at.top + f.oy, at.left + f.ox, at.top + f.oy + f.ih},
           RGB(255, 0, 255));
    for (int i = 0; i < 2; ++i) {
        paint(false);
        EXPECT_EQ(WholeWindowPixel(lbox, f.ox - 1, f.h / 2), kMarker) << i;
        EXPECT_NE(WholeWindowPixel(lbox, f.w / 2, f.oy - 1), kMarker) << i;
    }
}

TEST_F(ItemViewTest, HoverPaintsOnceFocusAndLeavingDrawTheMatchingOutline) {
    HWND lbox = ListBox(20, 20, 3, 0, 160, 100);
    HWND tree = Tree(200, 20);
    Install();
    skin::WindowRecord* rec = Record();
    const COLORREF accent = Over(kAccent, 200, kWhiteColour);
    const COLORREF black = Over(0, 90, kWhiteColour);

    SendMessageA(lbox, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(rec->HotControl, 1);
    EXPECT_EQ(rec->HotFamily, skin::kFamilyItemViews);
    EXPECT_TRUE(skin::ItemViewRecordOf(lbox)->Hot);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, 1, 30), accent, 3)) << "2-pixel hot line";
    FillWholeWindow(lbox, kMarker);
    SendMessageA(lbox, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_EQ(WholeWindowPixel(lbox, 0, 30), kMarker) << "a second move does not paint again";
    rec->HotFamily = skin::kFamilyCombos;
    SendMessageA(lbox, WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, 0, 30), accent, 3)) << "another family was hot";

    // Moving on to another item view paints that one hot.
    SendMessageA(tree, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(rec->HotControl, 2);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(tree, 1, 30), accent, 3));

    SendMessageA(lbox, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(rec->HotControl, 0);
    EXPECT_FALSE(skin::ItemViewRecordOf(lbox)->Hot);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, 0, 30), black, 3));
    EXPECT_EQ(WholeWindowPixel(lbox, 1, 30), kWhiteColour);

    SendMessageA(lbox, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(skin::ItemViewRecordOf(lbox)->Focused);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, 0, 30), accent, 3));
    SendMessageA(lbox, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(skin::ItemViewRecordOf(lbox)->Focused);
    EXPECT_TRUE(ColoursNear(WholeWindowPixel(lbox, 0, 30), black, 3));
}

// In translucent mode rows, items and the space below them show the washed window background;
// nothing of the control's own white (or the key colour) is left anywhere in the client.
TEST_F(ItemViewTest, TranslucentViewsShowTheWashBehindRowsAndItems) {
    HWND lbox = ListBox(20, 20, 4, 0, 160, 120);
    HWND list = ListView(200, 20, 4);
    HWND tree = Tree(20, 180, 160, 120);
    skin::Engine.TranslucentControls = 1;
    Install();
    const COLORREF washed = Over(kWhiteColour, 160, kBackground);
    for (HWND c : {lbox, list, tree}) {
        RedrawWindow(c, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const Picture rows = GrabRows(c);
        int wash = 0, white = 0, key = 0;
        for (int y = 0; y < rows.height; ++y) {
            for (int x = 0; x < rows.width; ++x) {
                const COLORREF p = rows.at(x, y);
                if (ColoursNear(p, washed, 3)) ++wash;
                // The tree's expand buttons (left of its items) are white boxes of its own.
                const bool own = c == tree && x < 40;
                if (!own && (p == kWhiteColour || p == GetSysColor(COLOR_BTNFACE))) ++white;
                if (p == skin::kKeyColour) ++key;
            }
        }
        const char* name = c == lbox ? "list box" : c == list ? "list view" : "tree view";
        EXPECT_GT(wash, static_cast<int>(rows.pixels.size()) * 2 / 3) << name;
        EXPECT_EQ(white, 0) << name;
        EXPECT_EQ(key, 0) << name;
        // Beside the first row's text, on the row itself, the wash shows too.
        EXPECT_TRUE(ColoursNear(rows.at(rows.width - 30, 6), washed, 3))
            << name << std::hex << " " << rows.at(rows.width - 30, 6);
    }
}

// Scrolling a translucent list by any means leaves the picture it would have had if drawn at
// that position from the start: no row of wash or window background is dragged along.
TEST_F(ItemViewTest, ScrolledListsMatchTheSameListDrawnThereFromTheStart) {
    HWND lbox = ListBox(20, 20, 300, 0, 160, 150);
    HWND list = ListView(200, 20, 1000, LVS_REPORT, 240, 200);
    skin::Engine.TranslucentControls = 1;
    Install(true);
    struct Case {
        const char* name;
        HWND control;
        UINT message;
        WPARAM wParam;
    } cases[] = {
        {"list view page", list, WM_VSCROLL, SB_PAGEDOWN},
        {"list view line", list, WM_VSCROLL, SB_LINEDOWN},
        {"list view wheel", list, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA))},
        {"list view scroll message", list, LVM_SCROLL, 0},
        {"list view key", list, WM_KEYDOWN, VK_END},
        {"list box page", lbox, WM_VSCROLL, SB_PAGEDOWN},
        {"list box wheel", lbox, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA))},
        {"list box top index", lbox, LB_SETTOPINDEX, 120},
    };
    for (const Case& c : cases) {
        SetFocus(c.control);
        UpdateWindow(c.control);
        const int before = GetScrollPos(c.control, SB_VERT);
        SendMessageA(c.control, c.message, c.wParam, c.message == LVM_SCROLL ? 60 : 0);
        UpdateWindow(c.control);
        EXPECT_GT(GetScrollPos(c.control, SB_VERT), before) << c.name << " did not scroll";
        const Picture scrolled = GrabRows(c.control);
        RedrawWindow(c.control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const Picture fresh = GrabRows(c.control);
        EXPECT_EQ(CountDifferences(scrolled, fresh, 3), 0) << c.name;
        SendMessageA(c.control, WM_KEYUP, VK_NEXT, 0);
    }
}

TEST_F(ItemViewTest, SelectionAndKeyboardStayTheControlsOwn) {
    HWND lbox = ListBox(20, 20, 10);
    HWND list = ListView(200, 20, 10);
    HWND tree = Tree(20, 180);
    skin::Engine.TranslucentControls = 1;
    Install();

    SetFocus(lbox);
    SendMessageA(lbox, LB_SETCURSEL, 2, 0);
    SendMessageA(lbox, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(SendMessageA(lbox, LB_GETCURSEL, 0, 0), 3);
    EXPECT_TRUE(skin::ItemViewRecordOf(lbox)->ArrowKeyDown);
    SendMessageA(lbox, WM_KEYUP, VK_DOWN, 0);
    EXPECT_FALSE(skin::ItemViewRecordOf(lbox)->ArrowKeyDown);
    SendMessageA(lbox, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_FALSE(skin::ItemViewRecordOf(lbox)->ArrowKeyDown) << "page keys are not arrow keys";

    SetFocus(list);
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
    SendMessageA(list, WM_KEYUP, VK_DOWN, 0);

    SetFocus(tree);
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
    SendMessageA(tree, WM_KEYDOWN, VK_DOWN, 0);
    HTREEITEM child = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
    EXPECT_EQ(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0), reinterpret_cast<LRESULT>(child));
    SendMessageA(tree, WM_KEYUP, VK_DOWN, 0);

    // The rewash message repaints only while an arrow key is down, in translucent mode.
    struct Case {
        bool translucent, arrowDown, repaints;
    } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}};
    for (const Case& c : cases) {
        skin::Engine.TranslucentControls = c.translucent;
        skin::ItemViewRecordOf(lbox)->ArrowKeyDown = c.arrowDown;
        ValidateRect(lbox, nullptr);
        SendMessageA(lbox, skin::kItemViewRewash, 0, 0);
        EXPECT_EQ(HasPendingPaint(lbox), c.repaints) << c.translucent << c.arrowDown;
    }
}

// Which messages make an item view repaint its wash: in translucent mode scrolling by bar or
// wheel and moving do; in opaque mode none of them.
TEST_F(ItemViewTest, TranslucentViewsAreInvalidatedWhenTheirContentMayMove) {
    HWND lbox = ListBox(20, 20, 50);
    Install();
    const UINT messages[] = {WM_VSCROLL, WM_HSCROLL, WM_MOUSEWHEEL, WM_MOVE};
    for (int translucent = 0; translucent <= 1; ++translucent) {
        skin::Engine.TranslucentControls = translucent;
        for (UINT message : messages) {
            SendMessageA(lbox, LB_SETTOPINDEX, 0, 0);
            UpdateWindow(lbox);
            SendMessageA(lbox, message, SB_ENDSCROLL, 0);
            EXPECT_EQ(HasPendingPaint(lbox), translucent == 1) << message;
            UpdateWindow(lbox);
        }
    }
}

// The paints a list asks for while it handles a scroll message are put off: the whole list is
// drawn again once afterwards, so a page scroll draws the rows once, not twice.
namespace {
WNDPROC g_listProcedure = nullptr;
int g_listPaints = 0;
LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) ++g_listPaints;
    return CallWindowProcA(g_listProcedure, window, message, wParam, lParam);
}
} // namespace

TEST_F(ItemViewTest, TranslucentScrollDrawsTheListOnce) {
    HWND list = ListView(20, 20, 200);
    HWND lbox = ListBox(280, 20, 200);
    skin::Engine.TranslucentControls = 1;
    Install();
    for (HWND control : {list, lbox}) {
        // The family passes messages on through the procedure its record saved.
        skin::ItemViewRecord* record = skin::ItemViewRecordOf(control);
        g_listProcedure = record->SavedProcedure;
        record->SavedProcedure = CountingProcedure;
        UpdateWindow(control);
        const int top = GetScrollPos(control, SB_VERT);
        for (UINT message : {WM_VSCROLL, WM_MOUSEWHEEL}) {
            g_listPaints = 0;
            SendMessageA(control, message,
                         message == WM_VSCROLL ? SB_PAGEDOWN : MAKEWPARAM(0, -WHEEL_DELTA), 0);
            EXPECT_EQ(g_listPaints, 0) << message << ": painted while scrolling";
            EXPECT_TRUE(HasPendingPaint(control)) << message;
            UpdateWindow(control);
            EXPECT_EQ(g_listPaints, 1) << message;
            EXPECT_FALSE(skin::ItemViewRecordOf(control)->Scrolling) << message;
        }
        EXPECT_GT(GetScrollPos(control, SB_VERT), top) << "the control scrolled";
        // Outside a scroll message a paint reaches the control at once.
        g_listPaints = 0;
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(g_listPaints, 1);
        record->SavedProcedure = g_listProcedure;
    }
}

// How each member erases in translucent mode: the lists and the tree leave it to their paint,
// the other members are washed, owner-drawn lists erase as before.
TEST_F(ItemViewTest, TranslucentErasingFollowsEachMembersWay) {
    HWND lbox = ListBox(20, 20, 2);
    HWND owner = ListBox(200, 20, 0, LBS_OWNERDRAWFIXED);
    HWND date = Make(DATETIMEPICK_CLASSA, 0, 20, 200, 160, 26);
    skin::Engine.TranslucentControls = 1;
    Install();
    SetPropA(date, "Kj_Ztys", reinterpret_cast<HANDLE>(RGB(1, 2, 3)));
    const COLORREF washed = Over(kWhiteColour, 160, kBackground);
    struct Case {
        const char* name;
        HWND control;
        COLORREF after; // at (5, 5) of the client
    } cases[] = {
        {"list box", lbox, kMarker},
        {"owner-drawn list box", owner, kMarker /* replaced below */},
        {"date-time picker", date, washed},
    };
    for (const Case& c : cases) {
        HDC dc = GetDC(c.control);
        RECT client{};
        GetClientRect(c.control, &client);
        FillDC(dc, client, kMarker);
        const LRESULT result =
            SendMessageA(c.control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        const COLORREF pixel = GetPixel(dc, 5, 5);
        if (c.control == owner) {
            EXPECT_NE(pixel, kMarker) << c.name << ": the list box erased itself";
        } else {
            EXPECT_EQ(result, 1) << c.name;
            EXPECT_TRUE(ColoursNear(pixel, c.after, 3)) << c.name << std::hex << " " << pixel;
            EXPECT_EQ(GetBkMode(dc), TRANSPARENT) << c.name;
        }
        if (c.control == date) {
            EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
        }
        ReleaseDC(c.control, dc);
    }
}

// A list view's header is a child window: the tree and list copies leave it to repaint itself.
TEST_F(ItemViewTest, ChildrenAreLeftOutOfTheCopyAndRepaintAfterIt) {
    HWND list = ListView(20, 20, 5);
    skin::Engine.TranslucentControls = 1;
    Install();
    HWND header = FindWindowExA(list, nullptr, WC_HEADERA, nullptr);
    ASSERT_NE(header, nullptr);
    RECT hr{};
    GetClientRect(header, &hr);
    {
        gdi::WindowDC dc = skin::ClientDCWithoutChildren(list);
        FillDC(dc.get(), RECT{0, 0, 200, 100}, kMarker);
    }
    EXPECT_NE(WindowPixel(list, 5, hr.bottom / 2), kMarker) << "the header is clipped out";
    EXPECT_EQ(WindowPixel(list, 5, hr.bottom + 5), kMarker) << "the rows are not";

    UpdateWindow(header);
    ValidateRect(header, nullptr);
    InvalidateRect(list, nullptr, TRUE);
    SendMessageA(list, WM_PAINT, 0, 0);
    EXPECT_TRUE(HasPendingPaint(header)) << "the header repaints after the list";
}

// A ring whose drawing had a step fail (each drawing object refused in turn) is neither kept nor
// put on the window: the next paint draws it again, whole, and keeps that one.
TEST_F(ItemViewTest, ARingDrawnWithAFailedStepIsNotKept) {
    HWND lbox = ListBox(20, 20, 3, 0, 160, 100);
    Install();
    skin::Engine.TranslucentControls = 0;
    skin::KeptRing& ring = skin::ItemViewRecordOf(lbox)->Ring;
    const skin::FrameGeometry f = skin::MeasureFrame(lbox);
    skin::PaintItemViewFrame(position_, 1, false, false);
    const COLORREF outline = WholeWindowPixel(lbox, f.w - 1, f.h / 2);
    ring = skin::KeptRing{};
    plus::RefuseCreation(0);
    skin::PaintItemViewFrame(position_, 1, false, false);
    const int creations = plus::CreationsAsked();
    ASSERT_GE(creations, 2) << "graphics, brush and pen";
    for (int refused = 1; refused <= creations; ++refused) {
        SCOPED_TRACE(refused);
        ring = skin::KeptRing{};
        plus::RefuseCreation(refused);
        skin::PaintItemViewFrame(position_, 1, false, false);
        EXPECT_TRUE(ring.Entries.empty());
        plus::RefuseCreation(0);
        FillWholeWindow(lbox, kMarker);
        skin::PaintItemViewFrame(position_, 1, false, false);
        ASSERT_EQ(ring.Entries.size(), 1u);
        EXPECT_TRUE(ring.Entries[0].Across && ring.Entries[0].Sides);
        EXPECT_EQ(WholeWindowPixel(lbox, f.w - 1, f.h / 2), outline);
    }
}

// A repaint of part of a list (a focus or selection change asks for a row or two) draws that
// part alone: the list is handed a picture of the part's size, placed so its drawing lands
// where a drawing of the whole client puts it, over the kept wash there. The result is the
// whole list's repaint pixel for pixel, in both modes, for parts anywhere in the client, and
// for the focus coming, moving between items and going.
namespace {
RECT g_paintedBox{};
int g_partPaints = 0;
LRESULT CALLBACK ClipNotingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && wParam) {
        ++g_partPaints;
        RECT box{};
        GetClipBox(reinterpret_cast<HDC>(wParam), &box);
        g_paintedBox = box;
    }
    return CallWindowProcA(g_listProcedure, window, message, wParam, lParam);
}
} // namespace

TEST_F(ItemViewTest, APartialRepaintMatchesTheWholeRepaintInBothModes) {
    HWND lbox = nullptr, list = nullptr;
    for (int translucent : {0, 1}) {
        SCOPED_TRACE(translucent ? "translucent" : "opaque");
        if (translucent) window_ = TopLevel(20, 20, 520, 420);
        lbox = ListBox(20, 20, 40, 0, 160, 150);
        list = ListView(200, 20, 40, LVS_REPORT, 240, 200);
        skin::Engine.TranslucentControls = translucent;
        Install(true);
        for (HWND c : {lbox, list}) {
            SCOPED_TRACE(c == lbox ? "list box" : "list view");
            RECT client{};
            GetClientRect(c, &client);
            const auto whole = [&] {
                RedrawWindow(c, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                return GrabRows(c);
            };
            const auto matches = [&](const char* what) {
                const Picture seen = GrabRows(c);
                EXPECT_EQ(CountDifferences(seen, whole(), 0), 0) << what;
            };
            const RECT parts[] = {
                {0, 30, client.right, 48},                                          // a row band
                {17, 41, 95, 77},                                                   // a box inside
                {client.right - 9, client.bottom - 7, client.right, client.bottom}, // a corner
            };
            for (const RECT& part : parts) {
                whole();
                InvalidateRect(c, &part, TRUE);
                UpdateWindow(c);
                matches("part");
            }
            // The window's picture changed under the part: the kept wash is not put back there,
            // the part is washed anew over what lies behind it now.
            whole();
            FillDC(BackBufferOf(position_), RECT{0, 0, 520, 420}, RGB(90, 0, 90));
            const RECT box = parts[1];
            InvalidateRect(c, &box, TRUE);
            UpdateWindow(c);
            const Picture seen = GrabClient(c);
            RedrawWindow(c, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            const Picture fresh = GrabClient(c);
            int differ = 0;
            for (int y = box.top; y < box.bottom; ++y)
                for (int x = box.left; x < box.right; ++x)
                    differ += seen.at(x, y) != fresh.at(x, y);
            EXPECT_EQ(differ, 0) << "part over a new background";
            // The focus coming, moving down two items and up one, and going.
            SendMessageA(c, c == lbox ? LB_SETCURSEL : WM_KEYDOWN, c == lbox ? 3 : VK_HOME, 0);
            SendMessageA(c, WM_KEYUP, VK_HOME, 0);
            SetFocus(c);
            UpdateWindow(c);
            matches("focus in");
            for (WPARAM key : {VK_DOWN, VK_DOWN, VK_UP}) {
                SendMessageA(c, WM_KEYDOWN, key, 0);
                SendMessageA(c, WM_KEYUP, key, 0);
                UpdateWindow(c);
                matches("focus moved");
            }
            SetFocus(window_);
            UpdateWindow(c);
            matches("focus out");
        }
    }
    // The list drew the part alone, on a picture of the part's place and size.
    skin::ItemViewRecord* record = skin::ItemViewRecordOf(list);
    g_listProcedure = record->SavedProcedure;
    record->SavedProcedure = ClipNotingProcedure;
    const RECT part{17, 41, 95, 77};
    g_partPaints = 0;
    InvalidateRect(list, &part, TRUE);
    UpdateWindow(list);
    record->SavedProcedure = g_listProcedure;
    EXPECT_EQ(g_partPaints, 1);
    EXPECT_EQ(
        std::tuple(g_paintedBox.left, g_paintedBox.top, g_paintedBox.right, g_paintedBox.bottom),
        std::tuple(part.left, part.top, part.right, part.bottom));
}
