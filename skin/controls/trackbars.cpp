#include "skin/controls/trackbars.h"

#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "skin/controls/framework.h"
#include "skin/core/capture.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"

#include <commctrl.h>

#include <utility>

namespace skin {

using namespace plus;

namespace {

constexpr int kRestingDot = 4;
constexpr int kHotKnob = 11;
// At the maximum the thumb rectangle's start lies short of the channel's end: the resting dot
// moves this far into it and the value bar this much further.
constexpr int kDotShiftAtMaximum = 8;
constexpr int kValueBarGrowthAtMaximum = 10;
constexpr int kThinBand = 4; // the channel's thickness with a selection range

ARGB Argb(COLORREF colour, int alpha) {
    return ToArgb(colour, alpha, 1);
}

// A rectangle given along and across the bar, in window coordinates.
RectF Oriented(bool vertical, float along, float across, float length, float thickness) {
    return vertical ? RectF{across, along, thickness, length}
                    : RectF{along, across, length, thickness};
}

// The channel with its coordinates along the bar in left/right and across it in top/bottom.
// For a vertical bar the system answers TBM_GETCHANNELRECT in that form already on some
// versions and in window coordinates on others; the longer side tells which.
RECT ChannelAlongAcross(HWND bar, bool vertical) {
    RECT c{};
    SendMessageA(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&c));
    if (vertical && c.bottom - c.top > c.right - c.left) {
        std::swap(c.left, c.top);
        std::swap(c.right, c.bottom);
    }
    return c;
}

struct BarState {
    int position = 0;
    int minimum = 0;
    int maximum = 0;
    bool AtMaximum() const { return position == maximum; }
};

BarState ReadState(HWND bar) {
    BarState s;
    s.position = static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
    s.minimum = static_cast<int>(SendMessageA(bar, TBM_GETRANGEMIN, 0, 0));
    s.maximum = static_cast<int>(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0));
    return s;
}

void DrawPanel(PlusGraphics& g, bool vertical, float w, float h) {
    StrokePath(g, RoundedPath(0, 0, w - 1, h - 1, 5), Argb(kBlack, 30));
    const PointF end = vertical ? PointF{w - 1, 0} : PointF{0, h - 1};
    FillLinear(g, RoundedPath(1, 1, w - 2, h - 2, 3), PointF{0, 0}, end, Argb(kWhite, 160),
               Argb(kBlack, 30));
}

// Everything the painter derives from the control before drawing.
struct BarGeometry {
    bool vertical = false;
    float along = 0, alongEnd = 0;   // the channel along the bar
    float across = 0, acrossEnd = 0; // and across it
    float band = 0;                  // near edge of the painted channel across the bar
    float bandThickness = 0;
    float thumb = 0; // start of the thumb rectangle along the bar
};

BarGeometry Measure(const TrackBarRecord& record) {
    BarGeometry m;
    m.vertical = record.Vertical;
    const RECT c = ChannelAlongAcross(record.Window, record.Vertical);
    m.along = static_cast<float>(c.left);
    m.alongEnd = static_cast<float>(c.right);
    m.across = static_cast<float>(c.top);
    m.acrossEnd = static_cast<float>(c.bottom);
    if (record.SelectionRange) {
        m.band = m.across + (m.acrossEnd - m.across - kThinBand) / 2;
        m.bandThickness = kThinBand;
    } else {
        m.band = m.across;
        m.bandThickness = m.acrossEnd - m.across;
    }
    RECT t{};
    SendMessageA(record.Window, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
    m.thumb = static_cast<float>(record.Vertical ? t.top : t.left);
    return m;
}

void DrawChannel(PlusGraphics& g, const BarGeometry& m) {
    const RectF r = Oriented(m.vertical, m.along, m.band, m.alongEnd - m.along, m.bandThickness);
    // Shaded across its thickness: downwards on a horizontal bar, rightwards on a vertical one.
    const PointF to = m.vertical ? PointF{r.x + r.width, r.y} : PointF{r.x, r.y + r.height};
    FillLinear(g, RoundedPath(r.x, r.y, r.width, r.height, 1), PointF{r.x, r.y}, to,
               Argb(kBlack, 50), Argb(kBlack, 30));
}

void DrawThumb(PlusGraphics& g, const TrackBarRecord& record, const BarGeometry& m,
               const BarState& state) {
    float size = kRestingDot;
    float across = m.band - 0.5f;
    float along = m.thumb;
    if (record.Hot) {
        size = kHotKnob;
        across = m.band - 4;
        // The knob keeps clear of the ticks on the near side.
        if (record.TickPlacement == kTicksTopLeft) across += 2;
        if (record.TickPlacement == kTicksBoth) across += 1;
    } else if (state.AtMaximum()) {
        along += kDotShiftAtMaximum;
    }
    const RectF r = Oriented(m.vertical, along, across, size, size);
    PlusPath knob;
    knob.CreatePath();
    knob.AddEllipse(r.x, r.y, r.width, r.height);
    PlusSolidBrush white;
    white.Create(Argb(kWhite, 255));
    g.FillPath(white, knob);
    const PointF to = m.vertical ? PointF{r.x + size, r.y} : PointF{r.x, r.y + size};
    FillLinear(g, knob, PointF{r.x, r.y}, to, Argb(kWhite, 0), Argb(kBlack, 90));
    StrokePath(g, knob, Argb(kBlack, 50));
}

// The selected span, placed and scaled like the positions it spans. A range without extent
// has no place for it, and an empty or reversed selection draws nothing.
void DrawSelection(PlusGraphics& g, HWND bar, const BarGeometry& m, const BarState& state) {
    const int start = static_cast<int>(SendMessageA(bar, TBM_GETSELSTART, 0, 0));
    const int end = static_cast<int>(SendMessageA(bar, TBM_GETSELEND, 0, 0));
    const int range = state.maximum - state.minimum;
    if (range <= 0 || end <= start) return;
    const float scale = (m.alongEnd - m.along) / static_cast<float>(range);
    const float from = m.along + static_cast<float>(start - state.minimum) * scale - 1;
    const float length = static_cast<float>(end - start) * scale;
    const RectF r = Oriented(m.vertical, from, m.band + 1, length, 1);
    PlusPen pen;
    pen.CreatePen(Argb(kWhite, 160), 1);
    g.DrawRectangle(pen, r.x, r.y, r.width, r.height);
}

void DrawValueBar(PlusGraphics& g, const BarGeometry& m, const BarState& state) {
    float length = m.thumb - m.along - 1;
    if (state.AtMaximum()) length += kValueBarGrowthAtMaximum;
    if (length < 0) return;
    const RectF r = Oriented(m.vertical, m.along, m.band + 1, length, 1);
    PlusPen pen;
    pen.CreatePen(Argb(Engine.AccentColour, 200), 1);
    g.DrawRectangle(pen, r.x, r.y, r.width, r.height);
}

} // namespace

int TickPlacementOf(LONG style) {
    if (style & TBS_NOTICKS) return kTicksNone;
    if (style & TBS_TOP) return kTicksTopLeft;
    if (style & TBS_BOTH) return kTicksBoth;
    return kTicksBottomRight;
}

TrackBarRecord* TrackBarRecordOf(HWND window) {
    return FamilyRecordOf(window, &WindowRecord::TrackBars);
}

void SkinTrackBars(int windowIndex, HWND parent) {
    if (!ControlSkinsOn()) return;
    WindowRecord* owner = RecordAt(windowIndex);
    if (!owner) return;
    for (HWND bar = FindWindowExA(parent, nullptr, TRACKBAR_CLASSA, nullptr); bar;
         bar = FindWindowExA(parent, bar, TRACKBAR_CLASSA, nullptr)) {
        // Records are added without a look-up; a bar that already runs the skin's procedure
        // was installed by an earlier call.
        if (RunsProcedure(bar, TrackBarProc)) continue;
        const LONG style = GetWindowLongA(bar, GWL_STYLE);
        const int position = TakeRecord(owner->TrackBars);
        TrackBarRecord& record = *owner->TrackBars[static_cast<size_t>(position - 1)];
        record.Window = bar;
        record.Vertical = (style & TBS_VERT) != 0;
        record.TickPlacement = TickPlacementOf(style);
        record.SelectionRange = (style & TBS_ENABLESELRANGE) != 0;
        record.SavedProcedure = SubclassControl(bar, position, windowIndex, TrackBarProc);
    }
}

LRESULT CALLBACK TrackBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TrackBarRecord* record = TrackBarRecordOf(window);
    // A bar whose window record is gone gets its messages passed on untouched.
    if (!record) return CallSavedProcedure(window, message, wParam, lParam);
    const int windowIndex = OwnerIndexOf(window);
    const int position = ListPositionOf(window);

    switch (message) {
        case WM_MOVE: PaintTrackBar(windowIndex, position); break;
        case WM_PAINT: {
            {
                gdi::PaintDC paint(window);
                PaintTrackBar(windowIndex, position);
            }
            return DefWindowProcA(window, message, wParam, lParam);
        }
        case WM_ERASEBKGND: SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT); return 1;
        case WM_NCPAINT: PaintTrackBar(windowIndex, position); return 1;
        case WM_MOUSEMOVE:
            if (TrackHover(window, kTrackBarHover)) {
                record->Hot = true;
                PaintTrackBar(windowIndex, position);
            }
            break;
        case WM_MOUSELEAVE:
            EndHover(window);
            record->Hot = false;
            PaintTrackBar(windowIndex, position);
            break;
        default: break;
    }
    return CallSavedProcedure(window, message, wParam, lParam);
}

void PaintTrackBar(int windowIndex, int position) {
    WindowRecord* owner = RecordAt(windowIndex);
    TrackBarRecord* record = owner ? RecordAt(owner->TrackBars, position) : nullptr;
    if (!record || !record->Window) return;
    HWND bar = record->Window;
    RECT outer{};
    GetWindowRect(bar, &outer);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    if (w <= 0 || h <= 0) return;
    const BarState state = ReadState(bar);
    const BarGeometry m = Measure(*record);

    CapturedBackground background(bar, RECT{0, 0, w, h});
    {
        PlusGraphics g;
        g.CreateFromHDC(background.dc());
        g.SetSmoothingMode(4); // the thumb and the rounded ends
        if (Engine.TrackBarFrame)
            DrawPanel(g, record->Vertical, static_cast<float>(w), static_cast<float>(h));
        DrawChannel(g, m);
        DrawThumb(g, *record, m, state);
        if (record->SelectionRange) DrawSelection(g, bar, m, state);
        DrawValueBar(g, m, state);
    }
    gdi::WindowDC dc = gdi::WindowDC::Whole(bar);
    BitBlt(dc.get(), 0, 0, w, h, background.dc(), 0, 0, SRCCOPY);
}

} // namespace skin
