#include "skin/controls/progress_bars.h"

#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
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

namespace skin {

using namespace plus;

namespace {

ARGB Argb(COLORREF colour, int alpha) {
    return ToArgb(colour, alpha);
}

void DrawTrough(PlusGraphics& g, bool vertical, float w, float h) {
    StrokePath(g, RoundedPath(0, 0, w - 1, h - 1, 5), Argb(kBlack, 50));
    const PointF end = vertical ? PointF{w - 1, 0} : PointF{0, h - 1};
    FillLinear(g, RoundedPath(1, 1, w - 2, h - 2, 1), PointF{0, 0}, end, Argb(kWhite, 160),
               Argb(kBlack, 30));
}

// The filled part: (x, y, width, height) of the bar, rounded and shaded across its thickness.
void DrawBar(PlusGraphics& g, bool vertical, RectF bar) {
    const PlusPath path = RoundedPath(bar.x + 1, bar.y + 1, bar.width - 3, bar.height - 3, 3);
    const PointF from{bar.x, bar.y};
    const PointF to =
        vertical ? PointF{bar.x + bar.width, bar.y} : PointF{bar.x, bar.y + bar.height};
    FillLinear(g, path, from, to, Argb(kWhite, 90), Argb(Engine.AccentColour, 255));
    StrokePath(g, path, Argb(Engine.AccentColour, 150));
}

// The control's answer to a question, from its own procedure: the skin's procedure adds
// nothing to a question, and passing through it costs a few property look-ups each time.
LRESULT Ask(const ProgressBarRecord& bar, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    if (!bar.SavedProcedure) return SendMessageA(bar.Window, message, wParam, lParam);
    return CallWindowProcA(bar.SavedProcedure, bar.Window, message, wParam, lParam);
}

} // namespace

int ProgressLength(int position, int low, int high, int size) {
    if (high <= low || size <= 0) return 0;
    const long long filled = static_cast<long long>(position) - low;
    const long long length = filled * size / (static_cast<long long>(high) - low);
    return static_cast<int>(std::clamp<long long>(length, 0, size));
}

ProgressBarRecord* ProgressBarRecordOf(HWND window) {
    return FamilyRecordOf(window, &WindowRecord::ProgressBars);
}

void SkinProgressBars(int windowIndex, HWND parent) {
    if (!ControlSkinsOn()) return;
    WindowRecord* owner = RecordAt(windowIndex);
    if (!owner) return;
    for (HWND bar = FindWindowExA(parent, nullptr, PROGRESS_CLASSA, nullptr); bar;
         bar = FindWindowExA(parent, bar, PROGRESS_CLASSA, nullptr)) {
        // Records are added without a look-up; a bar that already runs the skin's procedure
        // was installed by an earlier call.
        if (RunsProcedure(bar, ProgressProc)) continue;
        const int position = TakeRecord(owner->ProgressBars);
        ProgressBarRecord& record = *owner->ProgressBars[static_cast<size_t>(position - 1)];
        record.Window = bar;
        record.Vertical = (GetWindowLongA(bar, GWL_STYLE) & PBS_VERTICAL) != 0;
        record.SavedProcedure = SubclassControl(bar, position, windowIndex, ProgressProc);
    }
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A drag or a run of steps sends all its messages to one bar: its place is tried first.
    const auto [windowIndex, position, found] =
        LookUpFamilyFromLast(window, &WindowRecord::ProgressBars);
    const ProgressBarRecord* record = found;
    // A bar whose window record is gone gets its messages passed on untouched.
    if (!record || SystemLookOn()) return CallSavedProcedure(window, message, wParam, lParam);

    switch (message) {
        case WM_MOVE: PaintProgressBar(windowIndex, position); break;
        case WM_PAINT: {
            {
                gdi::PaintDC paint(window);
                PaintProgressBar(windowIndex, position);
            }
            return DefWindowProcA(window, message, wParam, lParam);
        }
        case WM_ERASEBKGND: SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT); return 1;
        case WM_NCPAINT: PaintProgressBar(windowIndex, position); return 1;
        default: break;
    }
    if (!record->SavedProcedure) return CallSavedProcedure(window, message, wParam, lParam);
    return CallWindowProcA(record->SavedProcedure, window, message, wParam, lParam);
}

void PaintProgressBar(int windowIndex, int position, HDC dc) {
    const PhaseClock painter(PaintPhase::Painter);
    WindowRecord* owner = RecordAt(windowIndex);
    ProgressBarRecord* record = owner ? RecordAt(owner->ProgressBars, position) : nullptr;
    if (!record || !record->Window) return;
    HWND bar = record->Window;
    RECT outer{};
    GetWindowRect(bar, &outer);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    if (w <= 0 || h <= 0) return;
    const int value = static_cast<int>(Ask(*record, PBM_GETPOS));
    PBRANGE range{};
    Ask(*record, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));

    CapturedBackground background(bar, RECT{0, 0, w, h});
    const float fw = static_cast<float>(w), fh = static_cast<float>(h);
    // The trough stays while the position moves: it comes from the kept picture when the size,
    // the direction and the background are those it was drawn for.
    Look look;
    look << w << h << record->Vertical;
    if (!PutKeptPicture(record->Trough, look, background.dc(), w, h)) {
        {
            const PhaseClock clock(PaintPhase::Shapes);
            PlusGraphics g;
            g.CreateFromHDC(background.dc());
            g.SetSmoothingMode(SmoothingModeAntiAlias); // the rounded trough
            DrawTrough(g, record->Vertical, fw, fh);
        }
        KeepPicture(record->Trough, background.dc(), w, h);
    }
    const int length = ProgressLength(value, range.iLow, range.iHigh, record->Vertical ? h : w);
    if (length > 0) {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(background.dc());
        g.SetSmoothingMode(SmoothingModeAntiAlias); // the rounded bar
        const float l = static_cast<float>(length);
        DrawBar(g, record->Vertical,
                record->Vertical ? RectF{0, fh - l, fw, l} : RectF{0, 0, l, fh});
    }
    const PhaseClock clock(PaintPhase::Copy);
    if (dc) {
        BitBlt(dc, 0, 0, w, h, background.dc(), 0, 0, SRCCOPY);
        return;
    }
    gdi::WindowDC whole = gdi::WindowDC::Whole(bar);
    BitBlt(whole.get(), 0, 0, w, h, background.dc(), 0, 0, SRCCOPY);
}

} // namespace skin
