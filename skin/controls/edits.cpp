#include "skin/controls/edits.h"

#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_pen.h"
#include "skin/controls/framework.h"
#include "skin/core/paint_phases.h"
#include "skin/core/capture.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/skin_window.h"
#include "skin/core/window_record.h"
#include "skin/core/window_services.h"

namespace skin {

using namespace plus;

namespace {

constexpr int kEditFrameAlpha = 80;
constexpr int kEditAccentAlpha = 180;

FamilyList<EditRecord>* EditListAt(int windowIndex) {
    WindowRecord* record = RecordAt(windowIndex);
    return record ? &record->Edits : nullptr;
}

void InstallEdit(int windowIndex, FamilyList<EditRecord>& list, HWND edit) {
    const int position = TakeRecord(list);
    EditRecord& record = *list[static_cast<size_t>(position - 1)];
    record.Window = edit;
    record.SavedProcedure = SubclassControl(edit, position, windowIndex, EditProc);
    SetPropValue(edit, kPropTextColour, 0);
}

// PaintEditFrame for an edit whose procedure has looked it up already (its record and owner):
// no property is read again.
void PaintListedEditFrame(HWND window, const FamilyLookup<EditRecord>& found,
                          std::optional<bool> focused = std::nullopt,
                          std::optional<bool> hot = std::nullopt);

void Invalidate(HWND window) {
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT OnNcPaint(HWND window, const FamilyLookup<EditRecord>& found, LPARAM lParam) {
    EditRecord& record = *found.record;
    PaintListedEditFrame(window, found);
    if (!HasScrollBars(window)) return DefWindowProcA(window, WM_NCPAINT, kNoUpdateRegion, lParam);
    // The bars (and the size box between them) are the skin's: the system is not asked to
    // paint them.
    PaintScrollBars(window, record.ScrollBars, true);
    return 0;
}

// True when the frame leaves no ring around the inner box (a combo box's own edit field, an
// edit without a border): there is nothing of the frame to paint.
bool NoRing(const FrameGeometry& f) {
    return f.ox <= 0 && f.oy <= 0 && f.ox + f.iw >= f.w && f.oy + f.ih >= f.h;
}

void OnKillFocus(HWND window, int owner) {
    HWND parent = GetParent(window);
    if (ClassNameOf(parent) != "ComboBox") {
        Invalidate(window);
        return;
    }
    PaintEditFrame(parent, false, false);
    // A combo box draws its outline inside its client area, where the ring above does not
    // reach: repainted unfocused here, or the focus look would outlast the focus. A combo's
    // field joins the edits of the combo's own window record, where the combo is found
    // without reading its properties.
    WindowRecord* record = OwnerRecordAt(owner);
    if (const int position = record ? FindRecord(record->Combos, parent) : 0)
        PaintComboBox(owner, position, false, false);
}

} // namespace

EditRecord* EditRecordOf(HWND window) {
    return FamilyRecordOf(window, &WindowRecord::Edits);
}

void SkinEdits(int windowIndex, HWND parent) {
    if (!ControlSkinsOn()) return;
    FamilyList<EditRecord>* list = EditListAt(windowIndex);
    if (!list) return;
    for (HWND e = FindWindowExA(parent, nullptr, "Edit", nullptr); e;
         e = FindWindowExA(parent, e, "Edit", nullptr)) {
        if (FindRecord(*list, e)) continue;
        InstallEdit(windowIndex, *list, e);
    }
}

void AppendEdit(int windowIndex, HWND edit) {
    FamilyList<EditRecord>* list = EditListAt(windowIndex);
    if (!list || !edit || RunsProcedure(edit, EditProc)) return;
    InstallEdit(windowIndex, *list, edit);
}

namespace {

LRESULT EditMessage(HWND window, const FamilyLookup<EditRecord>& found, UINT message, WPARAM wParam,
                    LPARAM lParam) {
    const bool translucent = TranslucentMode();
    EditRecord* record = found.record;
    const WNDPROC saved = record->SavedProcedure;

    switch (message) {
        case WM_DESTROY: ReleaseColourBrushes(window); break;
        case WM_MOVE:
            if (translucent) Invalidate(window);
            break;
        case WM_SETFOCUS: {
            if (found.position >= 1) record->Focused = true;
            // The edit itself repaints only its client on focus; without this the accent frame
            // would wait for the next paint that happens to come.
            const LRESULT result = CallSavedProcedure(saved, window, message, wParam, lParam);
            PaintListedEditFrame(window, found);
            return result;
        }
        case WM_KILLFOCUS:
            if (found.position >= 1) record->Focused = false;
            OnKillFocus(window, found.owner);
            break;
        case WM_PAINT: PaintListedEditFrame(window, found); break;
        case WM_ERASEBKGND:
            if (!translucent) break;
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            PaintTranslucentBackground(window, reinterpret_cast<HDC>(wParam), &record->KeptWash);
            return 1;
        case WM_NCPAINT: return OnNcPaint(window, found, lParam);
        case WM_KEYDOWN:
            if (translucent && !HasScrollBars(window)) Invalidate(window);
            break;
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (translucent) Invalidate(window);
            break;
        case WM_MOUSEMOVE:
            if (TrackHover(window, kEditHover))
                PaintListedEditFrame(window, found, std::nullopt, true);
            if (record->ButtonDown && !HasScrollBars(window)) Invalidate(window);
            break;
        case WM_LBUTTONDOWN:
            record->ButtonDown = true;
            if (translucent && !HasScrollBars(window)) Invalidate(window);
            break;
        case WM_LBUTTONUP: record->ButtonDown = false; break;
        case WM_MOUSELEAVE:
            EndHover(window);
            PaintListedEditFrame(window, found, record->Focused);
            break;
        default: break;
    }
    return CallSavedProcedure(saved, window, message, wParam, lParam);
}

} // namespace

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const FamilyLookup<EditRecord> found = LookUpFamilyFromLast(window, &WindowRecord::Edits);
    // An edit whose window record is gone gets its messages passed on untouched.
    if (!found.record) {
        if (message == WM_DESTROY) ReleaseColourBrushes(window);
        return CallSavedProcedure(window, message, wParam, lParam);
    }
    // In system colours the edit is the system's to paint.
    if (SystemLookOn() && message != WM_DESTROY)
        return CallSavedProcedure(found.record->SavedProcedure, window, message, wParam, lParam);
    return WithScrollBars(window, found, message, wParam, lParam, &WindowRecord::Edits,
                          [&] { return EditMessage(window, found, message, wParam, lParam); });
}

namespace {

// The ring of an edit whose frame was measured, with its record (null: an edit no skinned
// window lists) and its DPI as the caller read them.
void PaintRing(HWND window, const FrameGeometry& f, EditRecord* record, UINT dpi,
               std::optional<bool> focused, std::optional<bool> hot) {
    if (record) {
        if (!focused) focused = record->Focused;
        if (!hot) hot = record->Hot;
    }
    // Only the ring between the window's edge and the inner box is painted: white under the
    // border, or the washed background in translucent mode.
    const auto drawRing = [&](HDC dc) {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(dc);
        g.SetClipRectI(0, 0, f.w, f.h, 0);
        g.SetClipRectI(f.ox, f.oy, f.iw, f.ih, 3);
        if (TranslucentMode()) {
            PlusSolidBrush wash;
            wash.Create(ToArgb(kWhite, Engine.ControlAlpha));
            g.FillRectangle(wash, 0.0f, 0.0f, static_cast<float>(f.w), static_cast<float>(f.h));
        } else {
            g.Clear(ToArgb(kWhite, 255));
        }
        DrawEditBorder(window, focused.value_or(false), hot.value_or(false), g);
    };
    // Opaque, the ring hides what lies behind it: a listed edit puts back the one it drew.
    if (record && !TranslucentMode()) {
        PutKeptRing(window, f, hot.value_or(false), focused.value_or(false), dpi, record->Ring,
                    drawRing);
        return;
    }
    // An edit no skinned window lists draws its ring every time.
    PutTranslucentRing(window, f, hot.value_or(false), focused.value_or(false), dpi,
                       record ? &record->TranslucentRing : nullptr, drawRing, false);
}

} // namespace

void PaintEditFrame(HWND window, std::optional<bool> focused, std::optional<bool> hot) {
    const PhaseClock painter(PaintPhase::Painter);
    const FrameGeometry f = MeasureFrame(window);
    if (f.w <= 0 || f.h <= 0 || NoRing(f)) return;
    PaintRing(window, f, EditRecordOf(window), ControlDpi(window), focused, hot);
}

namespace {

void PaintListedEditFrame(HWND window, const FamilyLookup<EditRecord>& found,
                          std::optional<bool> focused, std::optional<bool> hot) {
    const PhaseClock painter(PaintPhase::Painter);
    const FrameGeometry f = MeasureFrame(window);
    if (f.w <= 0 || f.h <= 0 || NoRing(f)) return;
    // The owner's DPI is the edit's (ControlDpi), read here without a property lookup.
    const WindowRecord* owner = OwnerRecordAt(found.owner);
    PaintRing(window, f, found.record, owner ? owner->Dpi : ControlDpi(window), focused, hot);
}

} // namespace

void DrawEditBorder(HWND window, std::optional<bool> focused, std::optional<bool> hot,
                    PlusGraphics& graphics) {
    if (!focused || !hot) {
        // A state not given is the record's, when the edit is listed by its skinned window.
        if (WindowRecord* owner = RecordAt(NearestSkinnedAncestor(window))) {
            if (const int position = FindRecord(owner->Edits, window)) {
                const EditRecord& record = *owner->Edits[static_cast<size_t>(position - 1)];
                if (!focused) focused = record.Focused;
                if (!hot) hot = record.Hot;
            }
        }
    }
    RECT r{};
    GetWindowRect(window, &r);
    const float w = static_cast<float>(r.right - r.left);
    const float h = static_cast<float>(r.bottom - r.top);
    PlusPen pen;
    if (hot.value_or(false)) {
        pen.CreatePen(ToArgb(Engine.AccentColour, kEditAccentAlpha), 2);
        graphics.DrawRectangle(pen, 1, 1, w - 2, h - 2);
    } else if (focused.value_or(false)) {
        pen.CreatePen(ToArgb(Engine.AccentColour, kEditAccentAlpha), 1);
        graphics.DrawRectangle(pen, 0, 0, w - 1, h - 1);
    } else {
        pen.CreatePen(ToArgb(kBlack, kEditFrameAlpha), 1);
        graphics.DrawRectangle(pen, 0, 0, w - 1, h - 1);
    }
}

} // namespace skin
