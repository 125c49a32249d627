#include "skin/controls/updowns.h"

#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "skin/controls/framework.h"
#include "skin/core/paint_phases.h"
#include "skin/core/capture.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/images/skin_pictures.h"
#include "skin/core/window_services.h"

#include <commctrl.h>

namespace skin {

using namespace plus;

namespace {

constexpr int kRadius = 3;
constexpr int kBodyAlpha = 160;
constexpr int kSmoothingAntiAlias = 4;
constexpr int kCompositingHighQuality = 2;

UpDownRecord* RecordIn(int windowIndex, int position) {
    WindowRecord* owner = RecordAt(windowIndex);
    UpDownRecord* record = owner ? RecordAt(owner->UpDowns, position) : nullptr;
    return record && record->Window ? record : nullptr;
}

SIZE SizeOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// The half `mouse` lies in, given the control's orientation and size.
int HalfAt(bool horizontal, SIZE size, LPARAM mouse) {
    if (horizontal) return static_cast<short>(LOWORD(mouse)) > size.cx / 2 ? 1 : 0;
    return static_cast<short>(HIWORD(mouse)) > size.cy / 2 ? 1 : 0;
}

// One half: its rounded path, gradient, arrow and outline.
void DrawHalf(PlusGraphics& g, const UpDownRecord& record, int half, int w, int h, int hw, int hh,
              bool active, bool pressed) {
    const bool horizontal = record.Horizontal;
    const float x = half == 1 && horizontal ? static_cast<float>(hw) : 0;
    const float y = half == 1 && !horizontal ? static_cast<float>(hh) : 0;
    PlusPath path;
    path.CreatePath();
    const UINT dpi = ControlDpi(record.Window);
    AddRoundedRect(path, x, y, static_cast<float>(hw - 1), static_cast<float>(hh - 1),
                   static_cast<float>(ScaleToDpi(kRadius, dpi)));

    PointF from{0, 0}, to{0, 0};
    if (half == 0) {
        to = horizontal ? PointF{static_cast<float>(hw - 1), 0}
                        : PointF{0, static_cast<float>(hh - 1)};
    } else if (horizontal) {
        from = PointF{static_cast<float>(hw - 1), 0};
        to = PointF{static_cast<float>(w), 0};
    } else {
        from = PointF{0, static_cast<float>(hh)};
        to = PointF{0, static_cast<float>(h)};
    }
    const COLORREF accent = Engine.AccentColour;
    ARGB first = 0, second = 0, line = 0;
    if (active) {
        line = ToArgb(accent, 200, 1);
        first = pressed ? ToArgb(accent, 100, 1) : ToArgb(kWhite, 100, 1);
        second = pressed ? ToArgb(kWhite, 150, 1) : ToArgb(accent, 150, 1);
    } else {
        line = ToArgb(kBlack, 100, 1);
        first = ToArgb(kWhite, half == 0 && !horizontal ? 60 : 20, 1);
        second = ToArgb(accent, 100, 1);
    }
    PlusLinearBrush gradient;
    gradient.Create(from, to, first, second);
    g.FillPath(gradient, path);

    const auto picture = horizontal ? (half == 0 ? ArrowLeftImage : ArrowRightImage)
                                    : (half == 0 ? ArrowUpImage : ArrowDownImage);
    if (PlusImage* arrow = ControlPicture(record.Window, picture, dpi)) {
        // Whole pixels: a picture this small blurs at half-pixel places. Given its size, so the
        // graphics' own DPI (the system's) does not resize it again.
        const int aw = static_cast<int>(arrow->GetWidth());
        const int ah = static_cast<int>(arrow->GetHeight());
        const int ax = (hw - aw) / 2 + static_cast<int>(x);
        const int ay = (hh - ah) / 2 + static_cast<int>(y);
        g.DrawImageRectI(*arrow, ax, ay, aw, ah);
    }

    PlusPen pen;
    pen.CreatePen(line, 1);
    g.DrawPath(pen, path);
}

} // namespace

UpDownRecord* UpDownRecordOf(HWND window) {
    return FamilyRecordOf(window, &WindowRecord::UpDowns);
}

void SkinUpDowns(int windowIndex, HWND parent) {
    if (!ControlSkinsOn()) return;
    WindowRecord* owner = RecordAt(windowIndex);
    if (!owner) return;
    for (HWND c = FindWindowExA(parent, nullptr, UPDOWN_CLASSA, nullptr); c;
         c = FindWindowExA(parent, c, UPDOWN_CLASSA, nullptr)) {
        // Up-downs are not looked up; one that runs the procedure already is left alone.
        if (RunsProcedure(c, UpDownProc)) continue;
        const int position = TakeRecord(owner->UpDowns);
        UpDownRecord& record = *owner->UpDowns[static_cast<size_t>(position - 1)];
        record.Window = c;
        record.Horizontal = (GetWindowLongA(c, GWL_STYLE) & UDS_HORZ) != 0;
        record.SavedProcedure = SubclassControl(c, position, windowIndex, UpDownProc);
    }
}

int UpDownHalf(int windowIndex, int position, LPARAM mouse) {
    const UpDownRecord* record = RecordIn(windowIndex, position);
    if (!record) return 0;
    return HalfAt(record->Horizontal, SizeOf(record->Window), mouse);
}

LRESULT CALLBACK UpDownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto [owner, position, record] = LookUpFamily(window, &WindowRecord::UpDowns);
    // In system colours the control is the system's to paint.
    if (!record || SystemLookOn()) return CallSavedProcedure(window, message, wParam, lParam);
    const WNDPROC saved = record->SavedProcedure;

    switch (message) {
        case WM_MOVE: PaintUpDown(owner, position); break;
        case WM_PAINT:
            PaintUpDown(owner, position);
            // The control's own painting never shows; this only validates.
            return DefWindowProcA(window, WM_PAINT, wParam, lParam);
        case WM_ERASEBKGND: SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT); return 1;
        case WM_NCPAINT: return 1;
        case WM_MOUSEMOVE: {
            const int half = UpDownHalf(owner, position, lParam);
            if (TrackHover(window, kUpDownHover, half == record->HotHalf) && position > 0) {
                record->Hot = true;
                record->HotHalf = half;
                PaintUpDown(owner, position, true, std::nullopt, lParam);
            }
            record->HotHalf = half;
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            record->ButtonDown = message == WM_LBUTTONDOWN;
            record->LastButtonPosition = lParam;
            break;
        case WM_MOUSELEAVE:
            EndHover(window);
            record->Hot = false;
            PaintUpDown(owner, position, false);
            break;
        default: break;
    }
    return CallSavedProcedure(saved, window, message, wParam, lParam);
}

void PaintUpDown(int windowIndex, int position, std::optional<bool> hot,
                 std::optional<bool> pressed, std::optional<LPARAM> mouse) {
    const PhaseClock painter(PaintPhase::Painter);
    UpDownRecord* record = RecordIn(windowIndex, position);
    if (!record) return;
    const SIZE size = SizeOf(record->Window);
    const int w = size.cx, h = size.cy;
    if (w <= 0 || h <= 0) return;
    const bool isHot = hot.value_or(record->Hot);
    const bool isPressed = pressed.value_or(record->ButtonDown);
    const int hw = record->Horizontal ? w / 2 : w;
    const int hh = record->Horizontal ? h : h / 2;
    // Without a mouse position the half drawn hot is the one the mouse was last seen over.
    const int activeHalf = mouse ? HalfAt(record->Horizontal, size, *mouse) : record->HotHalf;

    CapturedBackground background(record->Window, RECT{0, 0, w, h});
    Look look;
    look << w << h << record->Horizontal << isHot << (isHot ? activeHalf : -1) << isPressed
         << Engine.AccentColour << RecordAt(windowIndex)->Dpi;
    if (!PutKeptPicture(record->Kept, look, background.dc(), w, h)) {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(background.dc());
        g.SetSmoothingMode(kSmoothingAntiAlias);
        g.SetCompositingQuality(kCompositingHighQuality);
        PlusPath body;
        body.CreatePath();
        AddRoundedRect(body, 0, 0, static_cast<float>(w - 1), static_cast<float>(h - 1), kRadius);
        PlusSolidBrush white;
        white.Create(ToArgb(kWhite, kBodyAlpha, 1));
        g.FillPath(white, body);
        for (int half = 0; half <= 1; ++half) {
            // Not hot, no half is active, pressed or not.
            const bool active = isHot && half == activeHalf;
            DrawHalf(g, *record, half, w, h, hw, hh, active, isPressed);
        }
        g.DeleteGraphics();
        KeepPicture(record->Kept, background.dc(), w, h);
    }
    const PhaseClock clock(PaintPhase::Copy);
    gdi::WindowDC dc = gdi::WindowDC::Whole(record->Window);
    BitBlt(dc.get(), 0, 0, w, h, background.dc(), 0, 0, SRCCOPY);
}

} // namespace skin
