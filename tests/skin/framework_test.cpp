// The control toolkit the families share: the hover rule of each family, the frame geometry
// of framed controls, the key-colour copy, the washed background and the record lookup.
#include "toplevel_fixture.h"

#include "skin/controls/edits.h"
#include "skin/controls/framework.h"

#include <tuple>

using namespace toplevel_testing;
using testing_support::ColoursNear;

namespace {

class FrameworkTest : public SkinTest {
protected:
    HWND window_ = nullptr;
    void SetUp() override {
        SkinTest::SetUp();
        window_ = TopLevel(20, 20, 400, 300);
    }
    HWND Child(const char* cls, DWORD style, DWORD exStyle, int x, int y, int w, int h) {
        return Keep(CreateWindowExA(exStyle, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                    window_, nullptr, GetModuleHandleA(nullptr), nullptr));
    }
};

} // namespace

// Each rule against the hot state it meets: the control at position 2 of its family under
// `parent`, with the record's hot control, family and edit parent as given.
TEST_F(FrameworkTest, EachFamilyRuleDecidesWhenTheControlIsRepaintedHot) {
    const int p = Adopt(window_);
    skin::WindowRecord* rec = skin::RecordAt(p);
    HWND control = Child("Edit", 0, 0, 10, 10, 100, 24);
    HWND stranger = reinterpret_cast<HWND>(0x1234);
    skin::SetPropValue(control, "Hw_FuID", static_cast<INT_PTR>(p));
    struct Case {
        const char* name;
        skin::HoverRule rule;
        int position, hotControl, hotFamily;
        HWND hotParent;
        bool samePart, repaint;
    } cases[] = {
        {"button, already hot", skin::kButtonHover, 2, 2, skin::kFamilyButtons, nullptr, true,
         false},
        {"button, another control", skin::kButtonHover, 2, 1, skin::kFamilyButtons, nullptr, true,
         true},
        {"button, another family", skin::kButtonHover, 2, 2, skin::kFamilyEdits, nullptr, true,
         true},
        {"up-down, other half", skin::kUpDownHover, 2, 2, skin::kFamilyUpDowns, nullptr, false,
         true},
        {"up-down, same half", skin::kUpDownHover, 2, 2, skin::kFamilyUpDowns, nullptr, true,
         false},
        {"edit, already hot", skin::kEditHover, 2, 2, skin::kFamilyEdits, window_, true, false},
        {"edit, other parent", skin::kEditHover, 2, 2, skin::kFamilyEdits, stranger, true, true},
        {"edit, another control", skin::kEditHover, 2, 3, skin::kFamilyEdits, window_, true, true},
        {"edit, another family", skin::kEditHover, 2, 2, skin::kFamilyCombos, window_, true, true},
        {"combo, already hot", skin::kComboHover, 2, 2, skin::kFamilyCombos, nullptr, true, false},
        {"combo, another control", skin::kComboHover, 2, 1, skin::kFamilyCombos, nullptr, true,
         true},
        {"combo, another family", skin::kComboHover, 2, 2, skin::kFamilyItemViews, nullptr, true,
         true},
        {"combo without a position", skin::kComboHover, 0, 1, skin::kFamilyCombos, nullptr, true,
         false},
        {"item view, another family", skin::kItemViewHover, 0, 0, skin::kFamilyCombos, nullptr,
         true, true},
    };
    for (const Case& c : cases) {
        skin::SetPropValue(control, "Hw_lbID", static_cast<INT_PTR>(c.position));
        rec->PointedControl = -1;
        rec->HotControl = c.hotControl;
        rec->HotFamily = c.hotFamily;
        rec->HotEditParent = c.hotParent;
        EXPECT_EQ(skin::TrackHover(control, c.rule, c.samePart), c.repaint) << c.name;
        EXPECT_EQ(rec->PointedControl, c.position) << c.name;
        EXPECT_EQ(rec->HotControl, c.position) << c.name;
        EXPECT_EQ(rec->HotFamily, c.rule.family) << c.name;
        const bool tracksParent = c.rule.match == skin::HoverMatch::ControlAndParent;
        EXPECT_EQ(rec->HotEditParent, tracksParent ? window_ : c.hotParent) << c.name;
    }
    skin::EndHover(control);
    EXPECT_EQ(rec->HotControl, 0);
    // A control whose window record is gone tracks nothing.
    skin::SetPropValue(control, "Hw_FuID", 99);
    rec->HotControl = 5;
    EXPECT_FALSE(skin::TrackHover(control, skin::kButtonHover));
    skin::EndHover(control);
    EXPECT_EQ(rec->HotControl, 5);
}

TEST_F(FrameworkTest, FrameGeometryCentresTheClientAndItsScrollBars) {
    HWND edge = Child("Edit", 0, WS_EX_CLIENTEDGE, 10, 10, 120, 24);
    HWND border = Child("Static", WS_BORDER, 0, 10, 40, 120, 24);
    HWND bare = Child("Edit", 0, 0, 10, 70, 120, 24);
    HWND bars =
        Child("Edit", ES_MULTILINE | WS_VSCROLL | WS_HSCROLL, WS_EX_CLIENTEDGE, 150, 10, 200, 120);
    HWND vertical = Child("Edit", ES_MULTILINE | WS_VSCROLL, WS_EX_CLIENTEDGE, 150, 140, 200, 80);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    struct Case {
        HWND control;
        int w, h, ox, oy, iw, ih;
    } cases[] = {
        {edge, 120, 24, 2, 2, 116, 20},     {border, 120, 24, 1, 1, 118, 22},
        {bare, 120, 24, 0, 0, 120, 24},     {bars, 200, 120, 2, 2, 196, 116},
        {vertical, 200, 80, 2, 2, 196, 76},
    };
    for (const Case& c : cases) {
        const skin::FrameGeometry f = skin::MeasureFrame(c.control);
        EXPECT_EQ(f.w, c.w);
        EXPECT_EQ(f.h, c.h);
        EXPECT_EQ(f.ox, c.ox);
        EXPECT_EQ(f.oy, c.oy);
        EXPECT_EQ(f.iw, c.iw);
        EXPECT_EQ(f.ih, c.ih);
        const RECT inner = f.Inner();
        EXPECT_EQ(inner.right - inner.left, c.iw);
        EXPECT_EQ(inner.bottom - inner.top, c.ih);
        EXPECT_EQ(inner.left, c.ox);
        EXPECT_EQ(inner.top, c.oy);
    }
    RECT client{};
    GetClientRect(bars, &client);
    EXPECT_EQ(client.right, 196 - bar) << "the client alone is narrower by the bar";
    EXPECT_TRUE(skin::HasScrollBars(bars));
    EXPECT_TRUE(skin::HasScrollBars(vertical));
    EXPECT_FALSE(skin::HasScrollBars(edge));
    gdi::Region one(skin::ScrollBarRegion(vertical));
    RECT box{};
    ASSERT_TRUE(one);
    GetRgnBox(one.get(), &box);
    EXPECT_EQ(box.right - box.left, bar);
    EXPECT_EQ(box.bottom - box.top, 76) << "no size box without a horizontal bar";
}

TEST_F(FrameworkTest, KeyedCopySkipsTheKeyColourOnly) {
    gdi::MemoryDC picture = gdi::MemoryDC::Create();
    picture.Adopt(gdi::CreateArgbBitmap(4, 1));
    gdi::MemoryDC target = gdi::MemoryDC::Create();
    target.Adopt(gdi::CreateArgbBitmap(4, 1));
    const COLORREF source[] = {skin::kKeyColour, RGB(10, 20, 30), RGB(255, 0, 254),
                               skin::kKeyColour};
    for (int x = 0; x < 4; ++x) {
        SetPixel(picture.get(), x, 0, source[x]);
        SetPixel(target.get(), x, 0, RGB(1, 2, 3));
    }
    skin::CopyKeyed(target.get(), picture.get(), 4, 1);
    EXPECT_EQ(GetPixel(target.get(), 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(target.get(), 1, 0), RGB(10, 20, 30));
    EXPECT_EQ(GetPixel(target.get(), 2, 0), RGB(255, 0, 254)) << "a near key is copied";
    EXPECT_EQ(GetPixel(target.get(), 3, 0), RGB(1, 2, 3));
}

// Laying a picture drawn on the key colour: the key shows the target, grey ink smoothed into
// the key becomes that ink at its coverage over the target, everything else is copied. On
// pictures that are not DIB sections only the exact key is left out.
TEST_F(FrameworkTest, KeyedLayingTakesTheKeyOutOfSmoothedInk) {
    const COLORREF under = RGB(200, 100, 40);
    struct Case {
        COLORREF drawn, laid;
    } cases[] = {
        {skin::kKeyColour, under},
        {RGB(128, 0, 128), RGB(100, 50, 20)},   // black at half coverage
        {RGB(255, 64, 255), RGB(214, 139, 94)}, // white ink at a quarter
        {RGB(255, 55, 255), RGB(212, 133, 86)}, // white at 55/255: exact, not rounded down
        {RGB(10, 20, 30), RGB(10, 20, 30)},     // not a blend with the key
        {RGB(200, 50, 100), RGB(200, 50, 100)}, // red and blue apart: coloured, copied
        {RGB(255, 0, 254), under},              // one off the key: keyed out too
    };
    const int n = static_cast<int>(std::size(cases));
    for (bool dib : {true, false}) {
        gdi::MemoryDC picture = gdi::MemoryDC::Create();
        picture.Adopt(dib ? gdi::CreateArgbBitmap(n, 1)
                          : gdi::Bitmap(CreateCompatibleBitmap(GetDC(nullptr), n, 1)));
        gdi::MemoryDC target = gdi::MemoryDC::Create();
        target.Adopt(gdi::CreateArgbBitmap(n, 1));
        for (int x = 0; x < n; ++x) {
            SetPixel(picture.get(), x, 0, cases[x].drawn);
            SetPixel(target.get(), x, 0, under);
        }
        skin::LayKeyedOnto(target.get(), picture.get(), n, 1);
        for (int x = 0; x < n; ++x) {
            const COLORREF expected = dib || x == 0 ? cases[x].laid : cases[x].drawn;
            if (!dib && x == n - 1) continue; // the exact-key copy leaves it (see above)
            EXPECT_TRUE(ColoursNear(GetPixel(target.get(), x, 0), expected, 1))
                << (dib ? "DIB " : "device ") << x << std::hex << " "
                << GetPixel(target.get(), x, 0) << " expected " << expected;
        }
    }
}

TEST_F(FrameworkTest, WashedBackgroundLandsOnTheClientAreaOfTheWindowDC) {
    HWND edit = Child("Edit", 0, WS_EX_CLIENTEDGE, 30, 30, 120, 24);
    Adopt(window_, RGB(0, 0, 200));
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    Pump();
    HDC dc = GetWindowDC(edit);
    FillDC(dc, RECT{0, 0, 120, 24}, RGB(0, 255, 0));
    ReleaseDC(edit, dc);
    skin::Engine.ControlAlpha = 100;
    skin::PaintTranslucentBackground(edit);
    // White at 100 over the blue background; the 2-pixel ring is not the client's.
    const COLORREF washed = RGB(100, 100, (255 * 100 + 200 * 155) / 255);
    dc = GetWindowDC(edit);
    EXPECT_TRUE(ColoursNear(GetPixel(dc, 2, 2), washed, 2)) << std::hex << GetPixel(dc, 2, 2);
    EXPECT_TRUE(ColoursNear(GetPixel(dc, 117, 21), washed, 2));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 118, 22), RGB(0, 255, 0));
    ReleaseDC(edit, dc);
}

TEST_F(FrameworkTest, RecordsAreFoundOnlyThroughBothProperties) {
    HWND first = Child("Edit", 0, 0, 10, 10, 100, 24);
    HWND second = Child("Edit", 0, 0, 10, 40, 100, 24);
    const int p = Adopt(window_);
    skin::SkinEdits(p, window_);
    skin::WindowRecord* rec = skin::RecordAt(p);
    EXPECT_EQ(skin::EditRecordOf(first), rec->Edits[0].get());
    EXPECT_EQ(skin::EditRecordOf(second), rec->Edits[1].get());
    // A position naming another control's record, or none, finds nothing.
    skin::SetPropValue(second, "Hw_lbID", 1);
    EXPECT_EQ(skin::EditRecordOf(second), nullptr);
    skin::SetPropValue(second, "Hw_lbID", 3);
    EXPECT_EQ(skin::EditRecordOf(second), nullptr);
    skin::SetPropValue(second, "Hw_lbID", 2);
    skin::SetPropValue(second, "Hw_FuID", 99);
    EXPECT_EQ(skin::EditRecordOf(second), nullptr);
    skin::SetPropValue(second, "Hw_FuID", static_cast<INT_PTR>(p));
    // The lookup a procedure makes once per message finds the same, and hands back what it read.
    const struct {
        INT_PTR owner, position;
        bool found;
    } rows[] = {{p, 2, true},   {p, 1, false}, {p, 3, false}, {p, 0, false},
                {99, 2, false}, {0, 2, false}, {-1, 2, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.owner << ", " << r.position);
        skin::SetPropValue(second, "Hw_FuID", r.owner);
        skin::SetPropValue(second, "Hw_lbID", r.position);
        const auto found = skin::LookUpFamily(second, &skin::WindowRecord::Edits);
        EXPECT_EQ(found.owner, r.owner);
        EXPECT_EQ(found.position, r.position);
        EXPECT_EQ(found.record, r.found ? rec->Edits[1].get() : nullptr);
        EXPECT_EQ(found.record, skin::EditRecordOf(second));
    }
    skin::SetPropValue(second, "Hw_FuID", static_cast<INT_PTR>(p));
    skin::SetPropValue(second, "Hw_lbID", 2);
    // The text helpers.
    SetWindowTextA(first, "已使用次数：42");
    EXPECT_EQ(skin::WindowTextOf(first), "已使用次数：42");
    EXPECT_EQ(skin::WindowTextOf(second), "");
    EXPECT_EQ(skin::TextColourOf(first), 0u);
    SetPropA(first, "Kj_Ztys", reinterpret_cast<HANDLE>(0x00123456));
    EXPECT_EQ(skin::TextColourOf(first), 0x00123456u);
}

// A kept picture is put back only for the same look over the same background, after a whole
// drawing was kept; a DC without a DIB section keeps nothing. The copy is plain unless the
// picture holds the key colour.
TEST_F(FrameworkTest, KeptPicturesHoldForTheirLookAndBackgroundOnly) {
    const auto fill = [](HDC dc, COLORREF colour) {
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                SetPixel(dc, x, y, colour);
    };
    skin::KeptPicture kept;
    skin::Look look, other;
    look << 1 << std::string("选项");
    other << 2 << std::string("选项");

    gdi::MemoryDC bare = gdi::MemoryDC::Create(); // its stock 1 x 1 bitmap
    EXPECT_FALSE(skin::PutKeptPicture(kept, look, bare.get(), 4, 2));
    skin::KeepPicture(kept, bare.get(), 4, 2);
    ASSERT_EQ(kept.Entries.size(), 1u);
    EXPECT_TRUE(kept.Entries[0].Shown.empty()) << "nothing kept without pixels";

    gdi::MemoryDC captured = gdi::MemoryDC::Create();
    captured.Adopt(gdi::CreateArgbBitmap(4, 2));
    fill(captured.get(), RGB(10, 20, 30)); // the background
    ASSERT_FALSE(skin::PutKeptPicture(kept, look, captured.get(), 4, 2));
    SetPixel(captured.get(), 1, 1, RGB(200, 0, 0)); // the drawing
    skin::KeepPicture(kept, captured.get(), 4, 2);
    EXPECT_FALSE(kept.Entries[kept.Current].Keyed);
    EXPECT_EQ(kept.Entries.size(), 1u) << "the look given up is the one taken again";

    const struct {
        const char* what;
        const skin::Look& look;
        COLORREF background;
        bool put;
    } rows[] = {
        {"same look and background", look, RGB(10, 20, 30), true},
        {"another background", look, RGB(10, 20, 31), false},
        {"another look", other, RGB(10, 20, 30), false},
        {"the other look again, never kept", other, RGB(10, 20, 30), false},
        {"the kept one again", look, RGB(10, 20, 30), false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        fill(captured.get(), r.background);
        EXPECT_EQ(skin::PutKeptPicture(kept, r.look, captured.get(), 4, 2), r.put);
        EXPECT_EQ(GetPixel(captured.get(), 1, 1), r.put ? RGB(200, 0, 0) : r.background);
        EXPECT_EQ(GetPixel(captured.get(), 0, 0), r.background);
    }

    // A key-coloured pixel: the copy leaves the target's pixel there.
    fill(captured.get(), RGB(10, 20, 30));
    ASSERT_FALSE(skin::PutKeptPicture(kept, other, captured.get(), 4, 2));
    SetPixel(captured.get(), 2, 0, skin::kKeyColour);
    skin::KeepPicture(kept, captured.get(), 4, 2);
    EXPECT_TRUE(kept.Entries[kept.Current].Keyed);
    gdi::MemoryDC target = gdi::MemoryDC::Create();
    target.Adopt(gdi::CreateArgbBitmap(4, 2));
    fill(target.get(), RGB(1, 2, 3));
    skin::CopyKeptOrKeyed(target.get(), kept, captured.get(), 4, 2);
    EXPECT_EQ(GetPixel(target.get(), 2, 0), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(target.get(), 1, 0), RGB(10, 20, 30));
}

// A control shows a few looks in turn (normal, hot, focused, pressed): each is kept, the least
// recent making way for a fifth; a picture of another size, and all but one look of a large
// control, are not kept.
TEST_F(FrameworkTest, KeptPicturesHoldAFewLooksEachWithItsOwnPicture) {
    const auto draw = [](skin::KeptPicture& kept, int w, int h, int look, COLORREF background) {
        gdi::MemoryDC dc = gdi::MemoryDC::Create();
        dc.Adopt(gdi::CreateArgbBitmap(w, h));
        const RECT all{0, 0, w, h};
        gdi::Brush under(CreateSolidBrush(background));
        FillRect(dc.get(), &all, under.get());
        skin::Look l;
        l << look;
        const bool put = skin::PutKeptPicture(kept, l, dc.get(), w, h);
        if (!put) {
            SetPixel(dc.get(), 0, 0, RGB(look, 0, 0)); // each look's own drawing
            skin::KeepPicture(kept, dc.get(), w, h);
        }
        return std::pair(put, GetPixel(dc.get(), 0, 0));
    };
    skin::KeptPicture kept;
    const COLORREF grey = RGB(50, 50, 50);
    for (int look : {1, 2, 3, 4})
        EXPECT_FALSE(draw(kept, 8, 4, look, grey).first) << look;
    for (int look : {4, 1, 3, 2}) {
        EXPECT_EQ(draw(kept, 8, 4, look, grey), std::pair(true, RGB(look, 0, 0))) << look;
    }
    // A fifth look takes the place of the least recently shown (4), the others stay.
    EXPECT_FALSE(draw(kept, 8, 4, 5, grey).first);
    EXPECT_EQ(kept.Entries.size(), skin::KeptPicture::kLooks);
    EXPECT_FALSE(draw(kept, 8, 4, 4, grey).first) << "the least recent went";
    EXPECT_EQ(draw(kept, 8, 4, 5, grey), std::pair(true, RGB(5, 0, 0)));
    // Over another background a look is drawn again; at another size every look goes.
    EXPECT_FALSE(draw(kept, 8, 4, 2, RGB(51, 50, 50)).first);
    EXPECT_EQ(draw(kept, 8, 4, 2, RGB(51, 50, 50)), std::pair(true, RGB(2, 0, 0)));
    EXPECT_FALSE(draw(kept, 9, 4, 2, grey).first);
    EXPECT_EQ(kept.Entries.size(), 1u);
    // A large control keeps its last look alone.
    skin::KeptPicture large;
    const int side = 257; // 257 x 257 pixels: just over the limit for many looks
    ASSERT_GT(static_cast<std::size_t>(side * side), skin::KeptPicture::kManyLooksPixels);
    EXPECT_FALSE(draw(large, side, side, 1, grey).first);
    EXPECT_FALSE(draw(large, side, side, 2, grey).first);
    EXPECT_EQ(large.Entries.size(), 1u);
    EXPECT_FALSE(draw(large, side, side, 1, grey).first);
    EXPECT_EQ(draw(large, side, side, 1, grey), std::pair(true, RGB(1, 0, 0)));
}

// A kept picture whose key colour fills one rectangle exactly goes to the screen as a plain
// copy around that rectangle; any other placing of the key is copied through the key colour.
// Either way the target ends as the keyed copy leaves it.
TEST_F(FrameworkTest, AKeptPictureWithOneKeyHoleLeavesWhatAKeyedCopyLeaves) {
    constexpr int w = 6, h = 4;
    struct Hole {
        int x, y;
    };
    const struct {
        const char* what;
        std::vector<Hole> keys;
        RECT box; // the key rectangle kept, empty when the copy must be keyed
    } rows[] = {
        {"no key", {}, {}},
        {"a 2 x 2 hole", {{2, 1}, {3, 1}, {2, 2}, {3, 2}}, {2, 1, 4, 3}},
        {"a single key pixel", {{5, 3}}, {5, 3, 6, 4}},
        {"two holes apart", {{0, 0}, {4, 2}}, {}},
        {"a hole with a drawn pixel inside", {{1, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}}, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        skin::KeptPicture kept;
        skin::Look look;
        look << 7;
        gdi::MemoryDC picture = gdi::MemoryDC::Create();
        picture.Adopt(gdi::CreateArgbBitmap(w, h));
        const RECT all{0, 0, w, h};
        FillDC(picture.get(), all, RGB(10, 20, 30));
        ASSERT_FALSE(skin::PutKeptPicture(kept, look, picture.get(), w, h));
        for (int x = 0; x < w; ++x)
            SetPixel(picture.get(), x, 0, RGB(40 * x, 200, 0)); // the drawing
        for (const Hole& k : r.keys)
            SetPixel(picture.get(), k.x, k.y, skin::kKeyColour);
        skin::KeepPicture(kept, picture.get(), w, h);
        const skin::KeptPicture::Entry& e = kept.Entries[kept.Current];
        EXPECT_EQ(e.Keyed, !r.keys.empty());
        EXPECT_EQ(std::tuple(e.KeyLeft, e.KeyTop, e.KeyRight, e.KeyBottom),
                  std::tuple(r.box.left, r.box.top, r.box.right, r.box.bottom));

        gdi::MemoryDC kept_copy = gdi::MemoryDC::Create(), keyed = gdi::MemoryDC::Create();
        kept_copy.Adopt(gdi::CreateArgbBitmap(w, h));
        keyed.Adopt(gdi::CreateArgbBitmap(w, h));
        FillDC(kept_copy.get(), all, RGB(1, 2, 3));
        FillDC(keyed.get(), all, RGB(1, 2, 3));
        skin::CopyKeptOrKeyed(kept_copy.get(), kept, picture.get(), w, h);
        skin::CopyKeyed(keyed.get(), picture.get(), w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                EXPECT_EQ(GetPixel(kept_copy.get(), x, y), GetPixel(keyed.get(), x, y))
                    << x << "," << y;
        // The target's clip is as it was: a later copy reaches the hole again.
        BitBlt(kept_copy.get(), 0, 0, w, h, picture.get(), 0, 0, SRCCOPY);
        for (const Hole& k : r.keys)
            EXPECT_EQ(GetPixel(kept_copy.get(), k.x, k.y), skin::kKeyColour);
    }
}

// A part of a kept whole picture is put back only for the whole picture's look and only where
// the background under that part is the one the whole was drawn over; what it writes is the
// whole picture's pixels at that place.
TEST_F(FrameworkTest, APartOfAKeptPictureIsPutBackOverItsOwnBackgroundOnly) {
    constexpr int w = 8, h = 6;
    skin::KeptPicture kept;
    skin::Look look, other;
    look << 1;
    other << 2;
    gdi::MemoryDC whole = gdi::MemoryDC::Create();
    whole.Adopt(gdi::CreateArgbBitmap(w, h));
    const auto background = [](int x, int y) { return RGB(10 * x, 10 * y, 7); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetPixel(whole.get(), x, y, background(x, y));
    ASSERT_FALSE(skin::PutKeptPicture(kept, look, whole.get(), w, h));
    const auto drawn = [](int x, int y) { return RGB(200, 10 * x, 10 * y); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            SetPixel(whole.get(), x, y, drawn(x, y));
    skin::KeepPicture(kept, whole.get(), w, h);

    const struct {
        const char* what;
        const skin::Look& look;
        RECT part;
        bool changedUnder; // one background pixel under the part differs
        bool put;
    } rows[] = {
        {"a row band", look, {0, 2, 8, 4}, false, true},
        {"an inner box", look, {3, 1, 6, 5}, false, true},
        {"the last pixel", look, {7, 5, 8, 6}, false, true},
        {"another background under it", look, {3, 1, 6, 5}, true, false},
        {"another look", other, {3, 1, 6, 5}, false, false},
        {"past the right edge", look, {6, 1, 9, 5}, false, false},
        {"above the top", look, {0, -1, 8, 2}, false, false},
        {"empty", look, {2, 2, 2, 4}, false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const int pw = std::max<int>(1, r.part.right - r.part.left);
        const int ph = std::max<int>(1, r.part.bottom - r.part.top);
        gdi::MemoryDC part = gdi::MemoryDC::Create();
        part.Adopt(gdi::CreateArgbBitmap(pw, ph));
        for (int y = 0; y < ph; ++y)
            for (int x = 0; x < pw; ++x)
                SetPixel(part.get(), x, y, background(r.part.left + x, r.part.top + y));
        if (r.changedUnder) SetPixel(part.get(), pw - 1, ph - 1, RGB(1, 1, 1));
        EXPECT_EQ(skin::PutKeptPart(kept, r.look, part.get(), r.part, w, h), r.put);
        if (!r.put) continue;
        for (int y = 0; y < ph; ++y)
            for (int x = 0; x < pw; ++x)
                EXPECT_EQ(GetPixel(part.get(), x, y), drawn(r.part.left + x, r.part.top + y))
                    << x << "," << y;
    }
    // Nothing was kept or dropped by the parts.
    ASSERT_EQ(kept.Entries.size(), 1u);
    EXPECT_EQ(kept.Entries[0].Shown, look.bytes);
}
