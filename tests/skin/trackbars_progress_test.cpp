// Skinned track bars and progress bars on a real window: the pixels that prove each part of
// their look (channel, selection band, value bar, dot and knob, panel, trough and bar length),
// and that dragging, keys, notifications and repaints stay the controls' own.
#include "skinned_window_fixture.h"

#include "skin/controls/framework.h"
#include "skin/controls/progress_bars.h"
#include "skin/controls/trackbars.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace toplevel_testing;
using testing_support::ColoursNear;

namespace {

constexpr COLORREF kAccent = RGB(255, 0, 0);
constexpr COLORREF kBackground = RGB(0, 0, 200); // the window's back buffer

COLORREF At(HWND control, int x, int y) {
    return WindowPixel(control, x, y);
}
bool IsBackground(COLORREF c) {
    return ColoursNear(c, kBackground, 6);
}
// The value bar and the progress bar: the accent over a dark or bluish ground.
bool IsAccent(COLORREF c) {
    return GetRValue(c) > 120 && GetRValue(c) > GetBValue(c) + 40;
}
// The thumb: opaque white shaded towards grey.
bool IsKnob(COLORREF c) {
    return GetRValue(c) > 120 && GetGValue(c) > 120 && GetBValue(c) > 120;
}
// The channel: black at alpha 30 to 50 over the background.
bool IsChannel(COLORREF c) {
    return GetRValue(c) < 12 && GetGValue(c) < 12 && GetBValue(c) >= 145 && GetBValue(c) <= 180;
}

// What the test window's procedure heard from its track bars.
std::vector<int>* g_scrollCodes = nullptr;
LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_HSCROLL || message == WM_VSCROLL) && g_scrollCodes)
        g_scrollCodes->push_back(LOWORD(wParam));
    return DefWindowProcA(window, message, wParam, lParam);
}

class BarTest : public SkinnedWindowTest {
protected:
    HWND window_ = nullptr;

    void SetUp() override {
        SkinnedWindowTest::SetUp();
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        skin::Engine.AccentColour = kAccent;
        skin::Engine.TrackBarFrame = 0;
        window_ = TopLevel(20, 20, 460, 360);
    }
    void TearDown() override {
        skin::Engine.TrackBarFrame = 1;
        g_scrollCodes = nullptr;
        SkinnedWindowTest::TearDown();
    }
    HWND TrackBar(DWORD style, int x, int y, int w, int h, int position = 50) {
        HWND bar = CreateChild(window_, TRACKBAR_CLASSA, "", style, x, y, w, h);
        SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
        SendMessageA(bar, TBM_SETPOS, TRUE, position);
        return bar;
    }
    HWND Progress(DWORD style, int x, int y, int w, int h) {
        return CreateChild(window_, PROGRESS_CLASSA, "", style, x, y, w, h);
    }
    int Install() {
        const int p = Adopt(window_, kBackground);
        skin::SkinTrackBars(p, window_);
        skin::SkinProgressBars(p, window_);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        Pump();
        return p;
    }
    static RECT Thumb(HWND bar) {
        RECT t{};
        SendMessageA(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
        return t;
    }
    static RECT Channel(HWND bar) {
        RECT c{};
        SendMessageA(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&c));
        return c;
    }
    static void Hover(HWND bar, bool on) {
        if (on)
            SendMessageA(bar, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
        else
            SendMessageA(bar, WM_MOUSELEAVE, 0, 0);
    }
    static void Repaint(HWND control) {
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }
};

// The first row (from above) at column x that is not the window background.
int TopOfShape(HWND bar, int x, int from, int to) {
    for (int y = from; y < to; ++y)
        if (!IsBackground(At(bar, x, y))) return y;
    return -1;
}

} // namespace

TEST_F(BarTest, InstallReadsEachStyleOnceAndSubclassesEachBarOnce) {
    struct Case {
        DWORD style;
        bool vertical;
        int ticks;
        bool selection;
    };
    const Case cases[] = {
        {0, false, skin::kTicksBottomRight, false},
        {TBS_TOP, false, skin::kTicksTopLeft, false},
        {TBS_BOTH, false, skin::kTicksBoth, false},
        {TBS_NOTICKS | TBS_TOP, false, skin::kTicksNone, false},
        {TBS_VERT | TBS_LEFT | TBS_BOTH | TBS_ENABLESELRANGE, true, skin::kTicksTopLeft, true},
    };
    std::vector<HWND> bars;
    int y = 0;
    for (const Case& c : cases)
        bars.push_back(TrackBar(c.style, 5, y += 40, c.vertical ? 40 : 200, c.vertical ? 120 : 36));
    HWND progress = Progress(PBS_VERTICAL, 300, 10, 20, 100);
    HWND flat = Progress(0, 300, 150, 120, 20);
    const int p = Install();
    skin::WindowRecord* rec = skin::RecordAt(p);
    ASSERT_EQ(rec->TrackBars.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const skin::TrackBarRecord* r = skin::TrackBarRecordOf(bars[i]);
        ASSERT_EQ(r, rec->TrackBars[i].get()) << i;
        EXPECT_EQ(r->Vertical, cases[i].vertical) << i;
        EXPECT_EQ(r->TickPlacement, cases[i].ticks) << i;
        EXPECT_EQ(r->SelectionRange, cases[i].selection) << i;
        EXPECT_FALSE(r->Hot);
        EXPECT_NE(r->SavedProcedure, nullptr);
        EXPECT_EQ(GetPropA(bars[i], "Hw_FuID"), reinterpret_cast<HANDLE>(static_cast<INT_PTR>(p)));
        EXPECT_EQ(reinterpret_cast<WNDPROC>(GetPropA(bars[i], "Hw_hProc")), r->SavedProcedure);
    }
    ASSERT_EQ(rec->ProgressBars.size(), 2u);
    EXPECT_TRUE(skin::ProgressBarRecordOf(progress)->Vertical);
    EXPECT_FALSE(skin::ProgressBarRecordOf(flat)->Vertical);
    EXPECT_EQ(GetPropA(flat, "Hw_lbID"), reinterpret_cast<HANDLE>(2));

    // A second install adds nothing and leaves the saved procedures as they were.
    skin::SkinTrackBars(p, window_);
    skin::SkinProgressBars(p, window_);
    EXPECT_EQ(rec->TrackBars.size(), std::size(cases));
    EXPECT_EQ(rec->ProgressBars.size(), 2u);
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetPropA(bars[0], "Hw_hProc")), skin::TrackBarProc);
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetPropA(flat, "Hw_hProc")), skin::ProgressProc);

    // With control skins off nothing is taken.
    HWND other = TopLevel(40, 40, 300, 200);
    HWND bar = CreateChild(other, TRACKBAR_CLASSA, "", 0, 5, 5, 200, 30);
    HWND progress2 = CreateChild(other, PROGRESS_CLASSA, "", 0, 5, 50, 200, 20);
    const int q = Adopt(other);
    skin::Engine.ControlSkinsEnabled = 0;
    skin::SkinTrackBars(q, other);
    skin::SkinProgressBars(q, other);
    EXPECT_TRUE(skin::RecordAt(q)->TrackBars.empty());
    EXPECT_TRUE(skin::RecordAt(q)->ProgressBars.empty());
    EXPECT_EQ(GetPropA(bar, "Hw_lbID"), nullptr);
    EXPECT_FALSE(skin::RunsProcedure(progress2, skin::ProgressProc));
}

TEST_F(BarTest, SkinWindowInstallsBothFamilies) {
    HWND bar = TrackBar(0, 10, 50, 200, 36);
    HWND progress = Progress(0, 10, 100, 200, 20);
    const int p = SkinAndShow(window_);
    EXPECT_EQ(skin::RecordAt(p)->TrackBars.size(), 1u);
    EXPECT_EQ(skin::RecordAt(p)->ProgressBars.size(), 1u);
    EXPECT_TRUE(skin::RunsProcedure(bar, skin::TrackBarProc));
    EXPECT_TRUE(skin::RunsProcedure(progress, skin::ProgressProc));
}

// Horizontal, position 50 of 0..100, no panel: the channel's band, the value bar up to the
// thumb, and the thumb a 4-pixel dot at rest that grows to the 11-pixel knob under the mouse.
TEST_F(BarTest, HorizontalBarPaintsChannelValueBarAndDotThatGrowsToKnobOnHover) {
    HWND bar = TrackBar(0, 10, 50, 200, 36);
    const int p = Install();
    const RECT c = Channel(bar), t = Thumb(bar);
    const int e = c.top, mid = (c.left + c.right) / 2;
    ASSERT_GT(c.right - c.left, 150);

    // Value bar: two accent rows just inside the channel from its start to the thumb.
    for (int x : {static_cast<int>(c.left) + 2, mid - 40, static_cast<int>(t.left) - 3}) {
        EXPECT_FALSE(IsAccent(At(bar, x, e))) << x << std::hex << " " << At(bar, x, e);
        EXPECT_TRUE(IsAccent(At(bar, x, e + 1))) << x;
        EXPECT_TRUE(IsAccent(At(bar, x, e + 2))) << x;
        EXPECT_TRUE(IsChannel(At(bar, x, e + 3))) << std::hex << At(bar, x, e + 3);
    }
    // The value bar ends just before the thumb's start; the dot is not drawn over.
    EXPECT_TRUE(IsAccent(At(bar, t.left - 1, e + 1))) << std::hex << At(bar, t.left - 1, e + 1);
    EXPECT_FALSE(IsAccent(At(bar, t.left + 1, e + 1))) << std::hex << At(bar, t.left + 1, e + 1);
    // Beyond the thumb the channel alone, shaded lighter downwards, and the window above and
    // below it.
    EXPECT_TRUE(IsChannel(At(bar, t.right + 20, e + 1)))
        << std::hex << At(bar, t.right + 20, e + 1);
    EXPECT_TRUE(IsChannel(At(bar, t.right + 20, e + 2)));
    EXPECT_LT(GetBValue(At(bar, t.right + 20, e + 1)) + 4, GetBValue(At(bar, t.right + 20, e + 3)))
        << std::hex << At(bar, t.right + 20, e + 1) << " " << At(bar, t.right + 20, e + 3);
    EXPECT_TRUE(IsBackground(At(bar, t.right + 20, e - 2)));
    EXPECT_TRUE(IsBackground(At(bar, t.right + 20, c.bottom + 1)));

    // Resting dot: at the thumb's start, across e - 0.5 .. e + 3.5.
    EXPECT_TRUE(IsKnob(At(bar, t.left + 2, e + 1))) << std::hex << At(bar, t.left + 2, e + 1);
    EXPECT_TRUE(IsChannel(At(bar, t.left + 5, e + 2))) << std::hex << At(bar, t.left + 5, e + 2);
    EXPECT_TRUE(IsBackground(At(bar, t.left + 5, e - 2)));
    EXPECT_TRUE(IsChannel(At(bar, t.left + 7, e + 1)));

    Hover(bar, true);
    EXPECT_TRUE(skin::TrackBarRecordOf(bar)->Hot);
    EXPECT_EQ(skin::RecordAt(p)->HotFamily, skin::kFamilyTrackBars);
    EXPECT_EQ(skin::RecordAt(p)->HotControl, 1);
    // Knob: 11 x 11 from the thumb's start, from e - 4 across.
    EXPECT_TRUE(IsKnob(At(bar, t.left + 5, e - 2))) << std::hex << At(bar, t.left + 5, e - 2);
    EXPECT_TRUE(IsKnob(At(bar, t.left + 7, e + 1)));
    EXPECT_TRUE(IsKnob(At(bar, t.left + 5, e + 5)));
    EXPECT_GT(GetGValue(At(bar, t.left + 5, e - 2)), GetGValue(At(bar, t.left + 5, e + 5)) + 20)
        << "shaded darker downwards: " << std::hex << At(bar, t.left + 5, e - 2) << " "
        << At(bar, t.left + 5, e + 5);
    EXPECT_TRUE(IsBackground(At(bar, t.left + 5, e - 6)));
    EXPECT_TRUE(IsBackground(At(bar, t.left + 5, e + 9)));

    Hover(bar, false);
    EXPECT_FALSE(skin::TrackBarRecordOf(bar)->Hot);
    EXPECT_EQ(skin::RecordAt(p)->HotControl, 0);
    EXPECT_TRUE(IsBackground(At(bar, t.left + 5, e - 2)));
    EXPECT_TRUE(IsKnob(At(bar, t.left + 2, e + 1)));
}

// A vertical bar paints the same parts with the axes exchanged (the system may answer its
// channel either way round).
TEST_F(BarTest, VerticalBarPaintsAlongItsHeight) {
    HWND bar = TrackBar(TBS_VERT, 10, 10, 36, 200);
    Install();
    RECT c = Channel(bar);
    if (c.right - c.left > c.bottom - c.top) c = RECT{c.top, c.left, c.bottom, c.right};
    const RECT t = Thumb(bar);
    const int e = c.left;
    ASSERT_GT(c.bottom - c.top, 150);

    for (int y : {static_cast<int>(c.top) + 2, static_cast<int>(t.top) - 3}) {
        EXPECT_TRUE(IsAccent(At(bar, e + 1, y))) << y;
        EXPECT_TRUE(IsAccent(At(bar, e + 2, y))) << y;
        EXPECT_TRUE(IsChannel(At(bar, e + 3, y))) << y;
    }
    EXPECT_TRUE(IsChannel(At(bar, e + 1, t.bottom + 20)));
    // Shaded lighter rightwards.
    EXPECT_LT(GetBValue(At(bar, e + 1, t.bottom + 20)) + 4,
              GetBValue(At(bar, e + 3, t.bottom + 20)))
        << std::hex << At(bar, e + 1, t.bottom + 20) << " " << At(bar, e + 3, t.bottom + 20);
    EXPECT_TRUE(IsBackground(At(bar, e - 2, t.bottom + 20)));
    EXPECT_TRUE(IsKnob(At(bar, e + 1, t.top + 2))) << std::hex << At(bar, e + 1, t.top + 2);
    EXPECT_TRUE(IsBackground(At(bar, e - 2, t.top + 5)));

    Hover(bar, true);
    EXPECT_TRUE(IsKnob(At(bar, e - 2, t.top + 5))) << std::hex << At(bar, e - 2, t.top + 5);
    EXPECT_TRUE(IsKnob(At(bar, e + 5, t.top + 5)));
    EXPECT_TRUE(IsBackground(At(bar, e - 6, t.top + 5)));
    EXPECT_TRUE(IsBackground(At(bar, e + 5, t.top + 13)));
}

// The hot knob keeps clear of ticks on the near side: TBS_TOP moves it 2 pixels across the
// bar, TBS_BOTH 1 pixel; no ticks and the default placement do not move it.
TEST_F(BarTest, HotKnobMovesAwayFromTicksOnTheNearSide) {
    struct Case {
        DWORD style;
        int shift;
    };
    const Case cases[] = {{0, 0}, {TBS_TOP, 2}, {TBS_BOTH, 1}, {TBS_NOTICKS | TBS_TOP, 0}};
    std::vector<HWND> bars;
    int y = 0;
    for (const Case& c : cases)
        bars.push_back(TrackBar(c.style, 10, y += 50, 200, 40));
    Install();
    int baseline = 0;
    for (size_t i = 0; i < std::size(cases); ++i) {
        HWND bar = bars[i];
        Hover(bar, true);
        const RECT t = Thumb(bar);
        const int e = Channel(bar).top;
        const int top = TopOfShape(bar, t.left + 5, 0, e) - e;
        if (i == 0) {
            baseline = top;
            EXPECT_NEAR(top, -4, 1) << "the knob starts 4 pixels before the channel";
        }
        EXPECT_EQ(top - baseline, cases[i].shift) << "style " << std::hex << cases[i].style;
        Hover(bar, false);
    }
}

// --- Ticks ---

// Where the thumb's centre lies along the bar at each value, as the control itself places the
// thumb (the bar is moved there and back).
std::vector<int> ThumbCentres(HWND bar, bool vertical, const std::vector<int>& values) {
    const LRESULT kept = SendMessageA(bar, TBM_GETPOS, 0, 0);
    std::vector<int> centres;
    for (int v : values) {
        SendMessageA(bar, TBM_SETPOS, TRUE, v);
        RECT t{};
        SendMessageA(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
        centres.push_back(vertical ? (t.top + t.bottom) / 2 : (t.left + t.right) / 2);
    }
    SendMessageA(bar, TBM_SETPOS, TRUE, kept);
    return centres;
}

// The places along the bar where the line `across` is not the window background (none for a
// line outside the control).
std::vector<int> InkedAlong(HWND bar, bool vertical, int across, int length) {
    std::vector<int> inked;
    RECT client{};
    GetClientRect(bar, &client);
    if (across < 0 || across >= (vertical ? client.right : client.bottom)) return inked;
    for (int along = 0; along < length; ++along)
        if (!IsBackground(vertical ? At(bar, across, along) : At(bar, along, across)))
            inked.push_back(along);
    return inked;
}

// Tick marks as the style places them, each under the thumb's centre at its value: one at the
// minimum and the maximum (4 pixels long), one at each tick value between (3 pixels), one pixel
// clear of the thumb's side, on the near side (TBS_TOP / TBS_LEFT), the far side (the default)
// or both; none with TBS_NOTICKS. Ticks set one by one and ranges not starting at 0 too.
TEST_F(BarTest, TicksAreDrawnWhereTheStylePlacesThemUnderTheThumbsCentre) {
    struct Case {
        DWORD style;
        bool vertical, nearSide, farSide;
        int low, high, frequency; // frequency 0: no automatic ticks
        std::vector<int> set;     // ticks set with TBM_SETTIC
    };
    const Case cases[] = {
        {TBS_AUTOTICKS, false, false, true, 0, 100, 10, {}},
        {TBS_AUTOTICKS | TBS_TOP, false, true, false, 0, 100, 25, {}},
        {TBS_AUTOTICKS | TBS_BOTH, false, true, true, 50, 150, 20, {}},
        {0, false, false, true, -10, 10, 0, {-7, 4}},
        {TBS_AUTOTICKS | TBS_NOTICKS, false, false, false, 0, 100, 10, {}},
        {TBS_VERT | TBS_AUTOTICKS, true, false, true, 0, 100, 20, {}},
        {TBS_VERT | TBS_AUTOTICKS | TBS_LEFT, true, true, false, 0, 60, 10, {}},
        {TBS_VERT | TBS_BOTH, true, true, true, 0, 100, 0, {30}},
        {TBS_AUTOTICKS, false, false, true, 0, 1, 1, {}}, // the ends alone
    };
    std::vector<HWND> bars;
    int flat = 0, upright = 0;
    for (const Case& c : cases) {
        HWND bar = c.vertical ? TrackBar(c.style, 240 + 50 * upright++, 20, 44, 200)
                              : TrackBar(c.style, 10, 5 + 50 * flat++, 220, 44);
        SendMessageA(bar, TBM_SETRANGEMIN, FALSE, c.low);
        SendMessageA(bar, TBM_SETRANGEMAX, TRUE, c.high);
        if (c.frequency) SendMessageA(bar, TBM_SETTICFREQ, c.frequency, 0);
        for (int v : c.set)
            SendMessageA(bar, TBM_SETTIC, 0, v);
        SendMessageA(bar, TBM_SETPOS, TRUE, c.low);
        bars.push_back(bar);
    }
    Install();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        HWND bar = bars[i];
        SCOPED_TRACE(i);
        std::vector<int> values = c.set;
        if (c.frequency)
            for (int v = c.low + c.frequency; v < c.high; v += c.frequency)
                values.push_back(v);
        values.push_back(c.low);
        values.push_back(c.high);
        std::vector<int> all = ThumbCentres(bar, c.vertical, values);
        std::sort(all.begin(), all.end());
        const std::vector<int> ends = ThumbCentres(bar, c.vertical, {c.low, c.high});
        Repaint(bar);
        const RECT t = Thumb(bar);
        const int nearSide = c.vertical ? t.left : t.top;
        const int farSide = c.vertical ? t.right : t.bottom; // one past the thumb
        const int length = c.vertical ? 200 : 220;
        const std::vector<int> none;
        // Interior ticks reach 3 pixels out from the gap, the ends a fourth.
        EXPECT_EQ(InkedAlong(bar, c.vertical, nearSide - 1, length), none);
        EXPECT_EQ(InkedAlong(bar, c.vertical, nearSide - 2, length), c.nearSide ? all : none);
        EXPECT_EQ(InkedAlong(bar, c.vertical, nearSide - 4, length), c.nearSide ? all : none);
        EXPECT_EQ(InkedAlong(bar, c.vertical, nearSide - 5, length), c.nearSide ? ends : none);
        EXPECT_EQ(InkedAlong(bar, c.vertical, nearSide - 6, length), none);
        EXPECT_EQ(InkedAlong(bar, c.vertical, farSide, length), none);
        EXPECT_EQ(InkedAlong(bar, c.vertical, farSide + 1, length), c.farSide ? all : none);
        EXPECT_EQ(InkedAlong(bar, c.vertical, farSide + 3, length), c.farSide ? all : none);
        EXPECT_EQ(InkedAlong(bar, c.vertical, farSide + 4, length), c.farSide ? ends : none);
        EXPECT_EQ(InkedAlong(bar, c.vertical, farSide + 5, length), none);
        if (c.farSide) {
            // Black at alpha 110 over the background, the full pixel.
            const int at = all[all.size() / 2];
            const COLORREF ink = c.vertical ? At(bar, farSide + 2, at) : At(bar, at, farSide + 2);
            // Black at alpha 110 over the background's 200, rounded: the full pixel.
            EXPECT_EQ(ink, RGB(0, 0, (200 * (255 - 110) + 127) / 255)) << std::hex << ink;
        }
    }
    // Clearing the ticks leaves the ends.
    HWND bar = bars[0];
    SendMessageA(bar, TBM_CLEARTICS, TRUE, 0);
    Repaint(bar);
    EXPECT_EQ(InkedAlong(bar, false, Thumb(bar).bottom + 1, 220),
              ThumbCentres(bar, false, {0, 100}));
}

// At the maximum the resting dot sits 8 pixels into the thumb rectangle and the value bar
// reaches 10 pixels past the thumb's start; one step short of it neither does.
TEST_F(BarTest, AtTheMaximumTheDotAndValueBarReachFurther) {
    HWND atMaximum = TrackBar(0, 10, 50, 200, 36, 100);
    HWND before = TrackBar(0, 10, 100, 200, 36, 99);
    Install();
    const RECT t = Thumb(atMaximum);
    const int e = Channel(atMaximum).top;
    EXPECT_TRUE(IsAccent(At(atMaximum, t.left + 9, e + 1)))
        << std::hex << At(atMaximum, t.left + 9, e + 1);
    EXPECT_TRUE(IsKnob(At(atMaximum, t.left + 11, e + 1)))
        << std::hex << At(atMaximum, t.left + 11, e + 1);
    EXPECT_TRUE(IsChannel(At(atMaximum, t.left + 2, e + 3))) << "no dot at the thumb's start";

    const RECT u = Thumb(before);
    ASSERT_LT(u.left, t.left);
    EXPECT_TRUE(IsKnob(At(before, u.left + 2, e + 1)));
    EXPECT_TRUE(IsChannel(At(before, u.left + 9, e + 1)));
    EXPECT_TRUE(IsChannel(At(before, t.left + 10, e + 1)))
        << std::hex << At(before, t.left + 10, e + 1);
}

// The selection band is placed and scaled like the positions it spans (20..60 of 0..100 lies
// between the pixels of 20 and of 60); a range without extent draws none.
TEST_F(BarTest, SelectionBandSpansTheSelectedPositions) {
    HWND bar = TrackBar(TBS_ENABLESELRANGE, 10, 50, 200, 40, 0);
    SendMessageA(bar, TBM_SETSEL, TRUE, MAKELPARAM(20, 60));
    // The same share of a range that starts at 100.
    HWND shifted = TrackBar(TBS_ENABLESELRANGE, 10, 190, 200, 40, 0);
    SendMessageA(shifted, TBM_SETRANGEMIN, FALSE, 100);
    SendMessageA(shifted, TBM_SETRANGEMAX, FALSE, 200);
    SendMessageA(shifted, TBM_SETSEL, TRUE, MAKELPARAM(120, 160));
    HWND empty = TrackBar(TBS_ENABLESELRANGE, 10, 120, 200, 40, 0);
    SendMessageA(empty, TBM_SETRANGE, TRUE, MAKELPARAM(0, 0));
    SendMessageA(empty, TBM_SETSEL, TRUE, MAKELPARAM(0, 0));
    Install();
    const RECT c = Channel(bar);
    const int row = c.top + (c.bottom - c.top - 4) / 2 + 2; // the band's lower stroke
    const double span = c.right - c.left;
    auto xAt = [&](double value) { return static_cast<int>(c.left + value * span / 100); };
    auto bright = [](COLORREF k) { return GetRValue(k) > 70 && GetGValue(k) > 70; };

    for (HWND b : {bar, shifted}) {
        for (int v : {20, 25, 40, 55})
            EXPECT_TRUE(bright(At(b, xAt(v), row))) << v << " " << std::hex << At(b, xAt(v), row);
        for (int v : {12, 70, 90})
            EXPECT_FALSE(bright(At(b, xAt(v), row))) << v << " " << std::hex << At(b, xAt(v), row);
        // The band starts one pixel before the selection's own pixel.
        EXPECT_FALSE(bright(At(b, xAt(20) - 2, row))) << std::hex << At(b, xAt(20) - 2, row);
    }
    // The thin channel of a selection-range bar: 4 pixels, centred in the control's channel.
    EXPECT_TRUE(IsBackground(At(bar, xAt(80), c.top + 1)));

    for (int v : {20, 50, 80})
        EXPECT_FALSE(bright(At(empty, xAt(v), row))) << v;
}

// The panel: a rounded plate shaded from white towards black, downwards on a horizontal bar
// and rightwards on a vertical one; TrackBarFrame 0 leaves the window's background.
TEST_F(BarTest, PanelIsShadedAcrossTheBarAndOptional) {
    skin::Engine.TrackBarFrame = 1;
    HWND flat = TrackBar(0, 10, 50, 200, 40);
    HWND upright = TrackBar(TBS_VERT, 260, 20, 40, 200);
    Install();
    const COLORREF top = At(flat, 150, 2), bottom = At(flat, 150, 37);
    EXPECT_GT(GetRValue(top), 90) << std::hex << top;
    EXPECT_LT(GetRValue(bottom) + 40, GetRValue(top)) << std::hex << top << " " << bottom;
    const COLORREF left = At(upright, 2, 150), right = At(upright, 37, 150);
    EXPECT_GT(GetRValue(left), 90) << std::hex << left;
    EXPECT_LT(GetRValue(right) + 40, GetRValue(left));
    EXPECT_FALSE(IsBackground(At(flat, 0, 20))) << "the outline";

    skin::Engine.TrackBarFrame = 0;
    Repaint(flat);
    EXPECT_TRUE(IsBackground(At(flat, 150, 2))) << std::hex << At(flat, 150, 2);
    EXPECT_TRUE(IsBackground(At(flat, 0, 20)));
}

// Over white the strokes show their alphas exactly: the panel's outline is black at 30, the
// trough's at 50, a tick mark at 110.
TEST_F(BarTest, OutlinesAndTicksAreTheirShadesOverWhite) {
    skin::Engine.TrackBarFrame = 1;
    HWND bar = TrackBar(TBS_AUTOTICKS, 10, 50, 200, 44);
    HWND progress = Progress(0, 10, 120, 200, 20);
    const int p = Install();
    FillDC(BackBufferOf(p), RECT{0, 0, 460, 360}, RGB(255, 255, 255));
    Repaint(bar);
    Repaint(progress);
    auto grey = [](int alpha) { return RGB(255 - alpha, 255 - alpha, 255 - alpha); };
    EXPECT_EQ(At(bar, 0, 20), grey(30)) << std::hex << At(bar, 0, 20);
    EXPECT_EQ(At(bar, 199, 20), grey(30)) << std::hex << At(bar, 199, 20);
    EXPECT_EQ(At(progress, 0, 10), grey(50)) << std::hex << At(progress, 0, 10);
    EXPECT_EQ(At(progress, 199, 10), grey(50)) << std::hex << At(progress, 199, 10);
    // The first mark, below the thumb, lies over the panel: darker than the panel beside it.
    const int row = Thumb(bar).bottom + 2, first = Channel(bar).left + 5;
    EXPECT_LT(GetRValue(At(bar, first, row)) + 60, GetRValue(At(bar, first + 2, row)))
        << std::hex << At(bar, first, row) << " " << At(bar, first + 2, row);
}

// Both painters lay their picture over the window's background taken at the control's place.
TEST_F(BarTest, BarsShowTheWindowBackgroundBehindThemInPlace) {
    HWND bar = TrackBar(0, 40, 50, 200, 36);
    HWND progress = Progress(0, 40, 120, 200, 20);
    const int p = Install();
    // A one-pixel red line in the back buffer, 30 pixels into both controls.
    HDC buffer = BackBufferOf(p);
    FillDC(buffer, RECT{70, 0, 71, 300}, RGB(255, 0, 0));
    for (HWND control : {bar, progress})
        Repaint(control);
    EXPECT_TRUE(ColoursNear(At(bar, 30, 2), RGB(255, 0, 0))) << std::hex << At(bar, 30, 2);
    EXPECT_TRUE(IsBackground(At(bar, 31, 2)));
    EXPECT_TRUE(IsBackground(At(bar, 29, 2)));
    // The trough lays its translucent fill over the line; the line still shows through.
    EXPECT_GT(GetRValue(At(progress, 30, 10)), GetRValue(At(progress, 31, 10)) + 60);
}

// Dragging the thumb and the arrow keys still move the bar and notify the parent, and the
// value bar follows.
TEST_F(BarTest, DraggingAndKeysMoveTheBarNotifyAndRepaint) {
    std::vector<int> codes;
    g_scrollCodes = &codes;
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc));
    HWND bar = TrackBar(0, 10, 50, 200, 36, 0);
    Install();
    const RECT c = Channel(bar);
    RECT t = Thumb(bar);
    const int cy = (t.top + t.bottom) / 2;
    SendMessageA(bar, WM_MOUSEMOVE, 0, MAKELPARAM(t.left + 5, cy));
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(t.left + 5, cy));
    const int target = (c.left + c.right) / 2;
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(target, cy));
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(target, cy));
    Pump();
    const int dragged = static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
    EXPECT_NEAR(dragged, 50, 4);
    EXPECT_NE(std::find(codes.begin(), codes.end(), TB_THUMBTRACK), codes.end());
    EXPECT_NE(std::find(codes.begin(), codes.end(), TB_ENDTRACK), codes.end());
    t = Thumb(bar);
    EXPECT_TRUE(IsAccent(At(bar, t.left - 3, c.top + 1))) << "the value bar followed the drag";

    codes.clear();
    SetFocus(bar);
    SendMessageA(bar, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), dragged + 1);
    SendMessageA(bar, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 100);
    EXPECT_NE(std::find(codes.begin(), codes.end(), TB_LINEDOWN), codes.end());
    EXPECT_NE(std::find(codes.begin(), codes.end(), TB_BOTTOM), codes.end());
    UpdateWindow(bar);
    Pump();
    t = Thumb(bar);
    EXPECT_TRUE(IsAccent(At(bar, t.left + 9, c.top + 1))) << "repainted at the maximum";
}

// --- Progress bars ---

// Bar length at several positions and ranges on a 200-pixel bar: the position's share of the
// range, so a range starting above 0 fills from its own low end and an empty range stays empty.
TEST_F(BarTest, ProgressBarLengthFollowsThePositionsShareOfTheRange) {
    struct Case {
        int low, high, position, length;
    };
    const Case cases[] = {
        {0, 100, 0, 0},      {0, 100, 37, 74},    {0, 100, 100, 200}, {50, 150, 100, 100},
        {-100, 100, 0, 100}, {0, 1000, 999, 199}, {0, 200, 1, 1}, // the least share still shows at
                                                                  // the start
    };
    std::vector<HWND> bars;
    int y = 0;
    for (const Case& c : cases) {
        HWND bar = Progress(0, 10, y += 30, 200, 20);
        SendMessageA(bar, PBM_SETRANGE32, c.low, c.high);
        SendMessageA(bar, PBM_SETPOS, c.position, 0);
        bars.push_back(bar);
    }
    Install();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const int l = cases[i].length;
        EXPECT_EQ(skin::ProgressLength(cases[i].position, cases[i].low, cases[i].high, 200), l);
        HWND bar = bars[i];
        if (l == 0) {
            EXPECT_FALSE(IsAccent(At(bar, 4, 10))) << i;
        } else if (l < 8) {
            EXPECT_TRUE(IsAccent(At(bar, 1, 10))) << i << std::hex << " " << At(bar, 1, 10);
        } else {
            EXPECT_TRUE(IsAccent(At(bar, 4, 10))) << i << std::hex << " " << At(bar, 4, 10);
            // The bar's outline starts one pixel in from the trough's edge, at the left and the
            // top.
            EXPECT_TRUE(IsAccent(At(bar, 1, 10))) << i << std::hex << " " << At(bar, 1, 10);
            EXPECT_TRUE(IsAccent(At(bar, l / 2, 1))) << i << std::hex << " " << At(bar, l / 2, 1);
            EXPECT_TRUE(IsAccent(At(bar, l - 5, 10))) << i;
            EXPECT_TRUE(IsAccent(At(bar, l - 5, 15))) << i;
        }
        if (l + 3 < 197) {
            EXPECT_FALSE(IsAccent(At(bar, l + 3, 10))) << i;
        }
    }
    // The trough: a 1-pixel outline, shaded from white at the top towards black.
    HWND bar = bars[0];
    EXPECT_GT(GetRValue(At(bar, 100, 2)), GetRValue(At(bar, 100, 17)) + 40);
    EXPECT_FALSE(IsBackground(At(bar, 100, 0)));
    // Ranges without extent (or turned round) draw no bar and do not fail.
    EXPECT_EQ(skin::ProgressLength(5, 5, 5, 200), 0);
    EXPECT_EQ(skin::ProgressLength(5, 10, 0, 200), 0);
    EXPECT_EQ(skin::ProgressLength(300, 0, 100, 200), 200);
    // A bar one pixel long is filled at its maximum.
    EXPECT_EQ(skin::ProgressLength(100, 0, 100, 1), 1);
}

// Painted into a DC the caller gives, the bar is the picture the control itself shows.
TEST_F(BarTest, ProgressBarPaintsIntoAGivenDC) {
    HWND bar = Progress(0, 10, 10, 120, 20);
    SendMessageA(bar, PBM_SETPOS, 60, 0);
    const int p = Install();
    const Picture shown = GrabClient(bar);
    gdi::MemoryDC memory = gdi::MemoryDC::Create(nullptr);
    memory.Adopt(gdi::CreateArgbBitmap(120, 20));
    FillDC(memory.get(), RECT{0, 0, 120, 20}, RGB(0, 255, 0));
    skin::PaintProgressBar(p, 1, memory.get());
    EXPECT_EQ(CountDifferences(shown, GrabDC(memory.get(), 120, 20), 0), 0);
}

TEST_F(BarTest, VerticalProgressBarFillsFromTheBottom) {
    HWND bar = Progress(PBS_VERTICAL, 10, 10, 24, 120);
    SendMessageA(bar, PBM_SETPOS, 37, 0); // 44 of 120 pixels
    Install();
    for (int y : {115, 90, 82})
        EXPECT_TRUE(IsAccent(At(bar, 12, y))) << y << std::hex << " " << At(bar, 12, y);
    for (int y : {72, 40, 5})
        EXPECT_FALSE(IsAccent(At(bar, 12, y))) << y;
    // Its outline one pixel in from the trough's left edge.
    EXPECT_TRUE(IsAccent(At(bar, 1, 100))) << std::hex << At(bar, 1, 100);
    // The fill is shaded across its thickness: lighter on the left, the accent on the right.
    EXPECT_GT(GetGValue(At(bar, 4, 100)), GetGValue(At(bar, 19, 100)) + 20)
        << std::hex << At(bar, 4, 100) << " " << At(bar, 19, 100);
    // The trough shades rightwards on a vertical bar.
    EXPECT_GT(GetRValue(At(bar, 2, 30)), GetRValue(At(bar, 21, 30)) + 40);
}

TEST_F(BarTest, ProgressBarRepaintsWhenItsPositionChangesAndIgnoresHover) {
    HWND bar = Progress(0, 10, 10, 200, 20);
    const int p = Install();
    EXPECT_FALSE(IsAccent(At(bar, 100, 10)));
    SendMessageA(bar, PBM_SETPOS, 80, 0);
    Pump();
    EXPECT_TRUE(IsAccent(At(bar, 100, 10)));
    SendMessageA(bar, PBM_SETPOS, 20, 0);
    Pump();
    EXPECT_FALSE(IsAccent(At(bar, 100, 10)));
    EXPECT_TRUE(IsAccent(At(bar, 30, 10)));

    const Picture before = GrabClient(bar);
    skin::RecordAt(p)->HotFamily = skin::kFamilyEdits;
    SendMessageA(bar, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(bar, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(CountDifferences(before, GrabClient(bar), 0), 0);
    EXPECT_EQ(skin::RecordAt(p)->HotFamily, skin::kFamilyEdits);
}

// --- Kept parts ---

namespace {

constexpr COLORREF kPoison = RGB(0, 255, 0); // painted nowhere by the bars or the background

// Overwrites a kept picture with a colour no bar draws: a repaint that puts it back shows it.
void Poison(skin::KeptPicture& kept) {
    for (skin::KeptPicture::Entry& entry : kept.Entries)
        std::fill(entry.Picture.begin(), entry.Picture.end(), 0xFF00FF00u);
}
int PoisonedPixels(const Picture& p) {
    return static_cast<int>(std::count(p.pixels.begin(), p.pixels.end(), kPoison));
}
Picture Shot(HWND bar) {
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return GrabClient(bar);
}
// The picture drawn with nothing kept, for comparison with one that used the kept part.
Picture FreshShot(HWND bar, skin::KeptPicture& kept) {
    kept.Entries.clear();
    return Shot(bar);
}

// One state change of a bar with a kept part. Before it, the kept part put back gives the
// picture drawn from nothing, and a poisoned kept part shows (it is put back while nothing
// changes). After it: a change to something the kept part is drawn from draws the part again
// (no poison, the picture drawn from nothing); any other keeps it (the poison stays), and the
// moving parts still follow the change.
void Check(const char* what, bool base, const std::function<void()>& change, HWND bar,
           skin::KeptPicture& kept, int least) {
    const Picture shown = FreshShot(bar, kept);
    EXPECT_EQ(CountDifferences(Shot(bar), shown, 0), 0) << what << ": put back as drawn";
    Poison(kept);
    const Picture poisoned = Shot(bar);
    EXPECT_GT(PoisonedPixels(poisoned), least) << what << ": put back";
    change();
    const Picture after = Shot(bar);
    if (base) {
        EXPECT_EQ(PoisonedPixels(after), 0) << what << ": drawn again";
        EXPECT_NE(CountDifferences(shown, after, 0), 0) << what << ": the change shows";
        EXPECT_EQ(CountDifferences(after, FreshShot(bar, kept), 0), 0) << what;
    } else {
        EXPECT_GT(PoisonedPixels(after), least) << what << ": kept through the change";
        EXPECT_NE(CountDifferences(poisoned, after, 0), 0) << what << ": the change shows";
    }
}

struct Case {
    const char* what;
    bool base; // the base is drawn from it
    std::function<void()> change;
};

} // namespace

// A track bar's kept base (background, panel, ticks, channel) is put back while nothing it is
// drawn from changes, and drawn again after each change to something it is drawn from; the
// moving parts follow their own states over it. Every picture matches one drawn from nothing.
TEST_F(BarTest, TrackBarKeptBaseFollowsEachStateItIsDrawnFrom) {
    HWND bar = TrackBar(TBS_AUTOTICKS | TBS_BOTH | TBS_ENABLESELRANGE, 10, 50, 200, 44);
    SendMessageA(bar, TBM_SETTICFREQ, 25, 0);
    const int p = Install();
    skin::TrackBarRecord& record = *skin::TrackBarRecordOf(bar);
    // As during a drag, the whole picture is not kept: each shot goes through the base.
    record.Dragging = true;
    skin::WindowRecord& owner = *skin::RecordAt(p);
    const Leftovers before;
    const Case cases[] = {
        {"a tick added", true, [&] { SendMessageA(bar, TBM_SETTIC, 0, 40); }},
        {"the range", true, [&] { SendMessageA(bar, TBM_SETRANGEMAX, FALSE, 150); }},
        {"the panel switch", true, [] { skin::Engine.TrackBarFrame = 1; }},
        {"the size", true,
         [&] { SetWindowPos(bar, nullptr, 0, 0, 230, 48, SWP_NOMOVE | SWP_NOZORDER); }},
        {"the background", true,
         [&] {
             FillDC(owner.BackBufferDC.get(), RECT{0, 0, 460, 360}, RGB(0, 0, 120));
         }},
        {"the DPI", true, [&] { owner.Dpi = 144; }},
        {"the position", false, [&] { SendMessageA(bar, TBM_SETPOS, TRUE, 90); }},
        {"the selection", false, [&] { SendMessageA(bar, TBM_SETSEL, FALSE, MAKELPARAM(5, 70)); }},
        {"hover", false, [&] { Hover(bar, true); }},
        {"the accent", false, [] { skin::Engine.AccentColour = RGB(255, 160, 0); }},
    };
    for (const Case& c : cases)
        Check(c.what, c.base, c.change, bar, record.Base, 200);
    // The last change's moving parts over a clean kept base: the picture drawn from nothing.
    const Picture fresh = FreshShot(bar, record.Base);
    EXPECT_EQ(CountDifferences(Shot(bar), fresh, 0), 0);
    owner.Dpi = 96;
    Hover(bar, false);
    FreshShot(bar, record.Base);
    before.ExpectBack();
}

// A track bar's whole picture is put back while nothing it shows changes (a repaint, the
// pointer coming back), and drawn again after a change to anything in it, the thumb's place,
// hot look, selection and accent as much as the base's parts. Every picture matches one drawn
// from nothing.
TEST_F(BarTest, TrackBarKeptPictureFollowsEverythingItShows) {
    HWND bar = TrackBar(TBS_AUTOTICKS | TBS_BOTH | TBS_ENABLESELRANGE, 10, 50, 200, 44);
    SendMessageA(bar, TBM_SETTICFREQ, 25, 0);
    const int p = Install();
    skin::TrackBarRecord& record = *skin::TrackBarRecordOf(bar);
    skin::WindowRecord& owner = *skin::RecordAt(p);
    const Leftovers before;
    const Case cases[] = {
        {"the position", true, [&] { SendMessageA(bar, TBM_SETPOS, TRUE, 90); }},
        {"the selection", true, [&] { SendMessageA(bar, TBM_SETSEL, FALSE, MAKELPARAM(5, 70)); }},
        {"hover", true, [&] { Hover(bar, true); }},
        {"the accent", true, [] { skin::Engine.AccentColour = RGB(255, 160, 0); }},
        {"the place", true,
         [&] { SetWindowPos(bar, nullptr, 30, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }},
        {"the background", true,
         [&] {
             FillDC(owner.BackBufferDC.get(), RECT{0, 0, 460, 360}, RGB(0, 0, 120));
         }},
        {"the range", true, [&] { SendMessageA(bar, TBM_SETRANGEMAX, FALSE, 150); }},
        {"the DPI", true, [&] { owner.Dpi = 144; }},
    };
    FillDC(owner.BackBufferDC.get(), RECT{0, 100, 460, 360}, RGB(90, 0, 0));
    for (const Case& c : cases)
        Check(c.what, c.base, c.change, bar, record.Shown, 200);
    owner.Dpi = 96;
    Hover(bar, false);
    FreshShot(bar, record.Shown);
    EXPECT_FALSE(record.Dragging);
    before.ExpectBack();
}

// A drag's steps put the base back and draw the thumb where the control says it is, with the
// pixels of a full drawing, and leave no GDI object or wrapper behind (20 steps: a per-step
// leak shows after one).
TEST_F(BarTest, TrackBarDragStepsDrawOverTheKeptBase) {
    HWND bar = TrackBar(TBS_BOTH | TBS_ENABLESELRANGE, 10, 50, 200, 36, 0);
    SendMessageA(bar, TBM_SETSEL, TRUE, MAKELPARAM(20, 60));
    Install();
    skin::TrackBarRecord& record = *skin::TrackBarRecordOf(bar);
    const RECT c = Channel(bar);
    RECT t = Thumb(bar);
    const int cy = (t.top + t.bottom) / 2;
    SendMessageA(bar, WM_MOUSEMOVE, 0, MAKELPARAM(t.left + 3, cy));
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(t.left + 3, cy));
    const Leftovers before;
    const std::size_t shown = record.Shown.Entries.size();
    for (int step = 0; step < 20; ++step) {
        const int x = c.left + 10 + step * 8;
        SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, cy));
        UpdateWindow(bar);
    }
    before.ExpectBack();
    const Picture dragged = GrabClient(bar);
    t = Thumb(bar);
    EXPECT_GT(t.left, c.left + 100);
    // The knob at the thumb's place, the value bar up to it (in the channel's rows).
    EXPECT_TRUE(IsKnob(dragged.at((t.left + t.right) / 2, (c.top + c.bottom) / 2)));
    auto accentIn = [&](int x) {
        for (int y = c.top; y < c.bottom; ++y)
            if (IsAccent(dragged.at(x, y))) return true;
        return false;
    };
    EXPECT_TRUE(accentIn(t.left - 10));
    EXPECT_FALSE(accentIn(t.right + 10));
    EXPECT_EQ(CountDifferences(dragged, FreshShot(bar, record.Base), 0), 0);
    EXPECT_EQ(record.Shown.Entries.size(), shown) << "no whole picture of a step is kept";
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(t.left, cy));
    EXPECT_FALSE(record.Dragging);
}

// A progress bar's kept trough is put back while its size and background stay, the bar is
// drawn over it at each position, and a change of either draws the trough again.
TEST_F(BarTest, ProgressBarKeptTroughFollowsSizeAndBackground) {
    HWND bar = Progress(0, 10, 10, 200, 20);
    SendMessageA(bar, PBM_SETPOS, 30, 0);
    const int p = Install();
    skin::ProgressBarRecord& record = *skin::ProgressBarRecordOf(bar);
    skin::WindowRecord& owner = *skin::RecordAt(p);
    struct Case {
        const char* what;
        bool base; // the trough is drawn from it
        std::function<void()> change;
    };
    const Case cases[] = {
        {"the position", false, [&] { SendMessageA(bar, PBM_SETPOS, 70, 0); }},
        {"the accent", false, [] { skin::Engine.AccentColour = RGB(255, 160, 0); }},
        {"the size", true,
         [&] { SetWindowPos(bar, nullptr, 0, 0, 160, 24, SWP_NOMOVE | SWP_NOZORDER); }},
        {"the background", true,
         [&] {
             FillDC(owner.BackBufferDC.get(), RECT{0, 0, 460, 360}, RGB(0, 0, 120));
         }},
    };
    for (const Case& c : cases)
        Check(c.what, c.base, c.change, bar, record.Trough, 100);
    const Picture fresh = FreshShot(bar, record.Trough);
    EXPECT_EQ(CountDifferences(Shot(bar), fresh, 0), 0);
}

// Each bar's messages reach its own record, however they alternate, and once its window's
// record is gone they go on to the control's own procedure (WM_NCPAINT answered 0, not the
// skin's 1), even right after a message the skin answered.
TEST_F(BarTest, MessagesReachEachBarsOwnRecordAndPassOnOnceItIsGone) {
    HWND track = TrackBar(0, 10, 50, 200, 36);
    HWND otherTrack = TrackBar(0, 10, 100, 200, 36);
    HWND progress = Progress(0, 10, 150, 200, 20);
    HWND otherProgress = Progress(0, 10, 180, 200, 20);
    Install();
    // New positions, painted (without a pump) only by the WM_NCPAINT each bar gets below.
    SendMessageA(track, TBM_SETPOS, TRUE, 20);
    SendMessageA(otherTrack, TBM_SETPOS, TRUE, 80);
    SendMessageA(progress, PBM_SETPOS, 20, 0);
    SendMessageA(otherProgress, PBM_SETPOS, 80, 0);
    for (int round = 0; round < 2; ++round)
        for (HWND bar : {track, otherTrack, progress, otherProgress})
            EXPECT_EQ(SendMessageA(bar, WM_NCPAINT, 1, 0), 1);
    // Each shows its own position: the accent half-way along only on the bars at 80.
    auto accentHalfWay = [&](HWND bar) {
        const bool isTrack = bar == track || bar == otherTrack;
        return IsAccent(At(bar, 100, isTrack ? Channel(bar).top + 1 : 10));
    };
    EXPECT_FALSE(accentHalfWay(track));
    EXPECT_TRUE(accentHalfWay(otherTrack));
    EXPECT_FALSE(accentHalfWay(progress));
    EXPECT_TRUE(accentHalfWay(otherProgress));
    skin::RemoveWindowRecord(window_);
    for (HWND bar : {track, otherTrack, progress, otherProgress})
        EXPECT_EQ(SendMessageA(bar, WM_NCPAINT, 1, 0), 0);
}

// A hot bar's further moves (a drag's) leave the hover bookkeeping alone while it is still its
// window's hot control; once another control has taken that, the next move takes it back.
TEST_F(BarTest, MovesOverTheHotBarAskAgainOnlyWhenAnotherControlIsHot) {
    HWND bar = TrackBar(0, 10, 50, 200, 36);
    const int p = Install();
    skin::WindowRecord& owner = *skin::RecordAt(p);
    Hover(bar, true);
    ASSERT_TRUE(skin::TrackBarRecordOf(bar)->Hot);
    EXPECT_EQ(owner.PointedControl, 1);
    owner.PointedControl = 0; // set again only when the move is tracked anew
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 10));
    EXPECT_EQ(owner.PointedControl, 0);
    owner.HotFamily = skin::kFamilyEdits;
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 10));
    EXPECT_EQ(owner.PointedControl, 1);
    EXPECT_EQ(owner.HotFamily, skin::kTrackBarHover.family);
    owner.HotControl = 2;
    owner.PointedControl = 0;
    SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 10));
    EXPECT_EQ(owner.HotControl, 1);
    EXPECT_EQ(owner.PointedControl, 1);
    Hover(bar, false);
}
