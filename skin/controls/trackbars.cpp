#include "skin/controls/trackbars.h"

#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "skin/controls/framework.h"
#include "skin/core/paint_phases.h"
#include "skin/core/capture.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/core/window_services.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

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
// Tick marks: 1 pixel wide, this long across the bar (the marks of the minimum and the maximum
// one pixel longer), one pixel clear of the thumb's side.
constexpr int kTickLength = 3;
constexpr int kEndTickLength = 4;
constexpr int kTickAlpha = 110;

ARGB Argb(COLORREF colour, int alpha) {
    return ToArgb(colour, alpha);
}

// A rectangle given along and across the bar, in window coordinates.
RectF Oriented(bool vertical, float along, float across, float length, float thickness) {
    return vertical ? RectF{across, along, thickness, length}
                    : RectF{along, across, length, thickness};
}

// The control's answer to a question, from its own procedure: the skin's procedure adds
// nothing to a question, and passing through it costs a few property look-ups each time.
LRESULT Ask(const TrackBarRecord& bar, UINT message, LPARAM lParam = 0) {
    if (!bar.SavedProcedure) return SendMessageA(bar.Window, message, 0, lParam);
    return CallWindowProcA(bar.SavedProcedure, bar.Window, message, 0, lParam);
}
int AskNumber(const TrackBarRecord& bar, UINT message) {
    return static_cast<int>(Ask(bar, message));
}

// The channel with its coordinates along the bar in left/right and across it in top/bottom.
// For a vertical bar the system answers TBM_GETCHANNELRECT in that form already on some
// versions and in window coordinates on others; the longer side tells which.
RECT ChannelAlongAcross(const TrackBarRecord& bar) {
    RECT c{};
    Ask(bar, TBM_GETCHANNELRECT, reinterpret_cast<LPARAM>(&c));
    if (bar.Vertical && c.bottom - c.top > c.right - c.left) {
        std::swap(c.left, c.top);
        std::swap(c.right, c.bottom);
    }
    return c;
}

// Made only by ReadState, which sets every field.
struct BarState {
    int position;
    int minimum;
    int maximum;
    bool AtMaximum() const { return position == maximum; }
};

BarState ReadState(const TrackBarRecord& bar) {
    return BarState{AskNumber(bar, TBM_GETPOS), AskNumber(bar, TBM_GETRANGEMIN),
                    AskNumber(bar, TBM_GETRANGEMAX)};
}

void DrawPanel(PlusGraphics& g, bool vertical, float w, float h) {
    StrokePath(g, RoundedPath(0, 0, w - 1, h - 1, 5), Argb(kBlack, 30));
    const PointF end = vertical ? PointF{w - 1, 0} : PointF{0, h - 1};
    FillLinear(g, RoundedPath(1, 1, w - 2, h - 2, 3), PointF{0, 0}, end, Argb(kWhite, 160),
               Argb(kBlack, 30));
}

// Everything the painter derives from the control before drawing. Made only by Measure,
// which sets every field.
struct BarGeometry {
    bool vertical;
    float along, alongEnd;   // the channel along the bar
    float across, acrossEnd; // and across it
    float band;              // near edge of the painted channel across the bar
    float bandThickness;
    float thumb;     // start of the thumb rectangle along the bar
    int thumbLength; // its extent along the bar
    int thumbNear;   // its sides across the bar: top or left,
    int thumbFar;    // and bottom or right (exclusive)
    UINT dpi;        // the skin's own sizes below are 96-dpi sizes scaled to this
};

float Px(const BarGeometry& m, int size) {
    return static_cast<float>(ScaleToDpi(size, m.dpi));
}

BarGeometry Measure(const TrackBarRecord& record, const RECT& c) {
    const UINT dpi = ControlDpi(record.Window);
    const float across = static_cast<float>(c.top), acrossEnd = static_cast<float>(c.bottom);
    // A selection range gets a thin band in the middle of the channel.
    const float thin = static_cast<float>(ScaleToDpi(kThinBand, dpi));
    const float band = record.SelectionRange ? across + (acrossEnd - across - thin) / 2 : across;
    const float bandThickness = record.SelectionRange ? thin : acrossEnd - across;
    RECT t{};
    Ask(record, TBM_GETTHUMBRECT, reinterpret_cast<LPARAM>(&t));
    // The thumb with the bar's direction in top/bottom.
    const RECT thumb = record.Vertical ? t : RECT{t.top, t.left, t.bottom, t.right};
    return BarGeometry{record.Vertical,
                       static_cast<float>(c.left),
                       static_cast<float>(c.right),
                       across,
                       acrossEnd,
                       band,
                       bandThickness,
                       static_cast<float>(thumb.top),
                       thumb.bottom - thumb.top,
                       thumb.left,
                       thumb.right,
                       dpi};
}

// The pixel along the bar under the thumb's centre when the bar is at `value`: the thumb
// travels the channel less its own length, in proportion to the value's share of the range.
int TickPlace(const BarGeometry& m, const BarState& state, int value) {
    const long long range = std::max(state.maximum - state.minimum, 1);
    const long long travel = static_cast<long long>(m.alongEnd - m.along) - m.thumbLength;
    const long long offset = travel * (value - state.minimum) / range;
    return static_cast<int>(m.along) + static_cast<int>(offset) + m.thumbLength / 2;
}

// The control's tick values (TBS_AUTOTICKS, TBM_SETTIC) that lie between the ends of its range;
// none when the bar shows no ticks.
std::vector<int> InnerTicks(const TrackBarRecord& record, const BarState& state) {
    std::vector<int> inner;
    if (record.TickPlacement == kTicksNone) return inner;
    // The control's array holds two fewer than its tick count.
    const int count = AskNumber(record, TBM_GETNUMTICS) - 2;
    const auto* values = reinterpret_cast<const DWORD*>(Ask(record, TBM_GETPTICS));
    for (int i = 0; values && i < count; ++i) {
        const int value = static_cast<int>(values[i]);
        if (value > state.minimum && value < state.maximum) inner.push_back(value);
    }
    return inner;
}

// The tick marks the control asks for, on the near side, the far side or both as its style
// places them: one at the minimum and one at the maximum, and one at each inner tick value.
void DrawTicks(PlusGraphics& g, const TrackBarRecord& record, const BarGeometry& m,
               const BarState& state, const std::vector<int>& inner) {
    if (record.TickPlacement == kTicksNone) return;
    const bool nearSide = record.TickPlacement != kTicksBottomRight;
    const bool farSide = record.TickPlacement != kTicksTopLeft;
    PlusSolidBrush ink;
    ink.Create(Argb(kBlack, kTickAlpha));
    auto mark = [&](int value, int length) {
        const float along = static_cast<float>(TickPlace(m, state, value)) - 0.5f;
        const float span = static_cast<float>(length);
        if (nearSide) {
            const float across = static_cast<float>(m.thumbNear - 1 - length) - 0.5f;
            const RectF r = Oriented(m.vertical, along, across, 1, span);
            g.FillRectangle(ink, r.x, r.y, r.width, r.height);
        }
        if (farSide) {
            const float across = static_cast<float>(m.thumbFar + 1) - 0.5f;
            const RectF r = Oriented(m.vertical, along, across, 1, span);
            g.FillRectangle(ink, r.x, r.y, r.width, r.height);
        }
    };
    const int endLength = ScaleToDpi(kEndTickLength, m.dpi);
    const int length = ScaleToDpi(kTickLength, m.dpi);
    mark(state.minimum, endLength);
    mark(state.maximum, endLength);
    for (int value : inner)
        mark(value, length);
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
    float size = Px(m, kRestingDot);
    float across = m.band - 0.5f;
    float along = m.thumb;
    if (record.Hot) {
        size = Px(m, kHotKnob);
        across = m.band - Px(m, 4);
        // The knob keeps clear of the ticks on the near side.
        if (record.TickPlacement == kTicksTopLeft) across += Px(m, 2);
        if (record.TickPlacement == kTicksBoth) across += Px(m, 1);
    } else if (state.AtMaximum()) {
        along += Px(m, kDotShiftAtMaximum);
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
void DrawSelection(PlusGraphics& g, const TrackBarRecord& bar, const BarGeometry& m,
                   const BarState& state) {
    const int start = AskNumber(bar, TBM_GETSELSTART);
    const int end = AskNumber(bar, TBM_GETSELEND);
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
    if (state.AtMaximum()) length += Px(m, kValueBarGrowthAtMaximum);
    if (length < 0) return;
    const RectF r = Oriented(m.vertical, m.along, m.band + 1, length, 1);
    PlusPen pen;
    pen.CreatePen(Argb(Engine.AccentColour, 200), 1);
    g.DrawRectangle(pen, r.x, r.y, r.width, r.height);
}

// Everything the kept base (background aside, which the kept picture compares itself) is drawn
// from: the size, the DPI, the style's parts, the panel switch, the range, the channel and the
// thumb's extent (the ticks are placed by both), and the inner tick values.
Look BaseLook(const TrackBarRecord& record, const RECT& channel, const BarGeometry& m,
              const BarState& state, const std::vector<int>& inner, int w, int h) {
    Look look;
    look << w << h << m.dpi << record.Vertical << record.TickPlacement << record.SelectionRange
         << Engine.TrackBarFrame << state.minimum << state.maximum << channel.left << channel.top
         << channel.right << channel.bottom << m.thumbLength << m.thumbNear << m.thumbFar
         << static_cast<std::int64_t>(inner.size());
    for (int value : inner)
        look << value;
    return look;
}

// The whole bar's look: the base's and what the moving parts are drawn from.
Look ShownLook(const TrackBarRecord& record, const Look& base, const BarGeometry& m,
               const BarState& state) {
    Look look = base;
    look << record.Hot << state.position << static_cast<std::int64_t>(m.thumb * 256)
         << static_cast<std::int64_t>(m.band * 256) << Engine.AccentColour;
    if (record.SelectionRange)
        look << AskNumber(record, TBM_GETSELSTART) << AskNumber(record, TBM_GETSELEND);
    return look;
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
    // A drag or a run of steps sends all its messages to one bar: its place is tried first.
    const auto [windowIndex, position, found] =
        LookUpFamilyFromLast(window, &WindowRecord::TrackBars);
    TrackBarRecord* record = found;
    // A bar whose window record is gone gets its messages passed on untouched.
    // In system colours the control is the system's to paint.
    if (!record || SystemLookOn()) return CallSavedProcedure(window, message, wParam, lParam);
    const WindowRecord* owner = RecordAt(windowIndex);

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
            // A hot bar that is still its window's hot control is tracked already, until its
            // WM_MOUSELEAVE: a drag's moves need not ask the window server again.
            if (record->Hot && owner->HotFamily == kTrackBarHover.family &&
                owner->HotControl == position)
                break;
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
        case WM_LBUTTONDOWN: record->Dragging = true; break;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED: record->Dragging = false; break;
        default: break;
    }
    if (!record->SavedProcedure) return CallSavedProcedure(window, message, wParam, lParam);
    return CallWindowProcA(record->SavedProcedure, window, message, wParam, lParam);
}

void PaintTrackBar(int windowIndex, int position) {
    const PhaseClock painter(PaintPhase::Painter);
    WindowRecord* owner = RecordAt(windowIndex);
    TrackBarRecord* record = owner ? RecordAt(owner->TrackBars, position) : nullptr;
    if (!record || !record->Window) return;
    HWND bar = record->Window;
    RECT outer{};
    GetWindowRect(bar, &outer);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    if (w <= 0 || h <= 0) return;
    const BarState state = ReadState(*record);
    const RECT channel = ChannelAlongAcross(*record);
    const BarGeometry m = Measure(*record, channel);
    const std::vector<int> inner = InnerTicks(*record, state);

    CapturedBackground background(bar, RECT{0, 0, w, h});
    // The parts that stay while the thumb moves come from the kept base when nothing they are
    // drawn from has changed; the moving parts are drawn over them in the same order as ever.
    const Look look = BaseLook(*record, channel, m, state, inner, w, h);
    const bool keepShown = !record->Dragging;
    if (keepShown &&
        PutKeptPicture(record->Shown, ShownLook(*record, look, m, state), background.dc(), w, h)) {
        const PhaseClock clock(PaintPhase::Copy);
        gdi::WindowDC dc = gdi::WindowDC::Whole(bar);
        BitBlt(dc.get(), 0, 0, w, h, background.dc(), 0, 0, SRCCOPY);
        return;
    }
    if (!PutKeptPicture(record->Base, look, background.dc(), w, h)) {
        {
            const PhaseClock clock(PaintPhase::Shapes);
            PlusGraphics g;
            g.CreateFromHDC(background.dc());
            g.SetSmoothingMode(SmoothingModeAntiAlias); // the rounded ends
            if (Engine.TrackBarFrame)
                DrawPanel(g, record->Vertical, static_cast<float>(w), static_cast<float>(h));
            DrawTicks(g, *record, m, state, inner);
            DrawChannel(g, m);
        }
        KeepPicture(record->Base, background.dc(), w, h);
    }
    {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(background.dc());
        g.SetSmoothingMode(SmoothingModeAntiAlias); // the round thumb
        DrawThumb(g, *record, m, state);
        if (record->SelectionRange) DrawSelection(g, *record, m, state);
        DrawValueBar(g, m, state);
    }
    if (keepShown) KeepPicture(record->Shown, background.dc(), w, h);
    const PhaseClock clock(PaintPhase::Copy);
    gdi::WindowDC dc = gdi::WindowDC::Whole(bar);
    BitBlt(dc.get(), 0, 0, w, h, background.dc(), 0, 0, SRCCOPY);
}

} // namespace skin
