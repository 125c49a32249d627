// Skinned combo boxes (see edits.h).
#include "skin/controls/edits.h"

#include "plus/plus_brush.h"
#include "plus/plus_font.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "plus/plus_string_format.h"
#include "skin/controls/framework.h"
#include "skin/core/paint_phases.h"
#include "skin/core/capture.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/child_messages.h"
#include "skin/core/window_record.h"
#include "skin/images/skin_pictures.h"
#include "skin/core/window_services.h"

namespace skin {

using namespace plus;

namespace {

constexpr int kOutlineAlpha = 80;
constexpr int kAccentAlpha = 200;
constexpr const char* kTextFont = "宋体";
constexpr float kTextSize = 12;
constexpr int kUnitWorld = 0;

FamilyList<ComboRecord>* ComboListAt(int windowIndex) {
    WindowRecord* record = RecordAt(windowIndex);
    return record ? &record->Combos : nullptr;
}

bool HasListStyle(LONG style) { // CBS_SIMPLE or CBS_DROPDOWNLIST
    return (style & 0x1) != 0;
}
bool HasDropButton(LONG style) { // CBS_DROPDOWN or CBS_DROPDOWNLIST
    return (style & 0x2) != 0;
}

HWND EditChildOf(HWND combo) {
    return FindWindowExA(combo, nullptr, "Edit", nullptr);
}

// The child's window rectangle relative to its parent's window rectangle.
RECT ChildRect(HWND child) {
    RECT mine{}, theirs{};
    GetWindowRect(child, &mine);
    GetWindowRect(GetParent(child), &theirs);
    OffsetRect(&mine, -theirs.left, -theirs.top);
    return mine;
}

// Fills the places of the combo's child windows with the key colour, so the final copy leaves
// them untouched: every child (a simple combo's list keeps a 2-pixel skin margin) when the
// style has the list bit, else the edit field only.
void PunchChildHoles(PlusGraphics& g, HWND combo, LONG style) {
    for (HWND child = FindWindowExA(combo, nullptr, nullptr, nullptr); child;
         child = FindWindowExA(combo, child, nullptr, nullptr)) {
        RECT r = ChildRect(child);
        if (HasListStyle(style) && ClassNameOf(child) == "ComboLBox") InflateRect(&r, -2, -2);
        g.SetClipRectI(r.left, r.top, r.right - r.left, r.bottom - r.top, 0);
        g.Clear(ToArgb(kKeyColour, 255));
        if (!HasListStyle(style)) break;
    }
    g.ResetClip();
}

void DrawDropButton(PlusGraphics& g, ComboRecord& record, LONG style, int w, int h, bool hot) {
    HWND combo = record.Window;
    const UINT dpi = ControlDpi(combo);
    const auto px = [dpi](int size) { return ScaleToDpi(size, dpi); };
    const int bw = px((style & CBS_DROPDOWNLIST) == CBS_DROPDOWNLIST ? 17 : 18);
    const float bx = static_cast<float>(w - bw - px(2));
    const float by = static_cast<float>(px(2));
    const float bh = static_cast<float>(h - 2 * px(2));
    const ARGB accent = ToArgb(Engine.AccentColour, kAccentAlpha);

    PlusPath path;
    path.CreatePath();
    AddRoundedRect(path, bx, by, static_cast<float>(bw - 1), bh - 1, static_cast<float>(px(4)));
    PlusPen pen;
    pen.CreatePen(hot ? accent : ToArgb(kBlack, kOutlineAlpha), 1);
    g.DrawPath(pen, path);

    path.Reset();
    AddRoundedRect(path, bx + 1, by + 1, static_cast<float>(bw - 2), bh - 2, 1);
    PlusLinearBrush gloss;
    if (hot)
        gloss.Create(PointF{bx + 1, by}, PointF{bx + 1, by + bh - 2}, ToArgb(kWhite, 100),
                     ToArgb(Engine.AccentColour, 150));
    else
        gloss.Create(PointF{bx + 1, by}, PointF{bx + 1, by + bh - 2},
                     ToArgb(Engine.AccentColour, 30), ToArgb(Engine.AccentColour, 100));
    g.FillPath(gloss, path);

    if (PlusImage* arrow = ControlPicture(combo, ArrowDownImage, dpi)) {
        // Whole pixels: a picture this small blurs at half-pixel places. Its drawing for the
        // DPI is used at its own size (the arrow's size at the nearest scale at or above),
        // given that size, so the graphics' own DPI (the system's) does not resize it again.
        const int aw = static_cast<int>(arrow->GetWidth());
        const int ah = static_cast<int>(arrow->GetHeight());
        const int ax = (bw - aw) / 2;
        const int ay = (static_cast<int>(bh) - ah) / 2;
        g.DrawImageRectI(*arrow, static_cast<int>(bx) + ax, static_cast<int>(by) + ay, aw, ah);
    }

    if ((style & CBS_DROPDOWNLIST) != CBS_DROPDOWNLIST) return;
    const PhaseClock clock(PaintPhase::Text);
    PlusSolidBrush ink;
    ink.Create(ToArgb(TextColourOf(combo), 255));
    const int textSize = px(static_cast<int>(kTextSize));
    const PlusFont& font =
        record.TextFont.Get(kTextFont, static_cast<float>(textSize), 0, kUnitWorld);
    g.DrawString(WindowTextOf(combo), font, ink,
                 RectF{static_cast<float>(px(2)), static_cast<float>(h - textSize) / 2,
                       static_cast<float>(w - px(17)), static_cast<float>(h - 2 * px(2))},
                 nullptr);
}

// Everything the combo's picture is drawn from besides its background.
Look LookOf(HWND combo, WNDPROC saved, LONG style, int w, int h, bool hot, bool focused, UINT dpi) {
    Look look;
    look << style << w << h << hot << focused << TranslucentMode() << Engine.ControlAlpha
         << Engine.AccentColour << dpi;
    // Only a drop-down list draws its text; another combo's text is its edit field's (asking
    // a drop-down combo for it goes through the field's own procedure).
    if ((style & CBS_DROPDOWNLIST) == CBS_DROPDOWNLIST)
        look << WindowTextOf(combo, saved) << TextColourOf(combo);
    // Where the children lie: their places are punched out of the picture.
    for (HWND child = FindWindowExA(combo, nullptr, nullptr, nullptr); child;
         child = FindWindowExA(combo, child, nullptr, nullptr)) {
        const RECT r = ChildRect(child);
        look << r.left << r.top << r.right << r.bottom;
    }
    return look;
}

bool HasPendingClientPaint(HWND window) {
    RECT r{};
    return GetUpdateRect(window, &r, FALSE) != FALSE;
}

LRESULT OnColourEdit(HWND combo, ComboRecord& record, HDC dc, HWND edit) {
    if (!TranslucentMode())
        return CallSavedProcedure(record.SavedProcedure, combo, WM_CTLCOLOREDIT,
                                  reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    // The field asks at every paint: its brush is made again only when its wash would change.
    return TranslucentBrush(edit, dc, &record.FieldBrush);
}

void OnCommand(WPARAM wParam, LPARAM lParam) {
    if (!TranslucentControlsOn()) return;
    auto control = reinterpret_cast<HWND>(lParam);
    const UINT code = HIWORD(wParam);
    if (ClassNameOf(control) != "Edit") return;
    if (code == EN_HSCROLL || code == EN_VSCROLL || code == EN_CHANGE || code == EN_UPDATE)
        InvalidateRect(control, nullptr, TRUE);
}

} // namespace

ComboRecord* ComboRecordOf(HWND window) {
    return FamilyRecordOf(window, &WindowRecord::Combos);
}

void SkinEditsAndCombos(int windowIndex, HWND parent) {
    SkinEdits(windowIndex, parent);
    SkinCombos(windowIndex, parent);
}

void SkinCombos(int windowIndex, HWND parent) {
    if (!ControlSkinsOn()) return;
    FamilyList<ComboRecord>* list = ComboListAt(windowIndex);
    if (!list) return;
    for (HWND c = FindWindowExA(parent, nullptr, "ComboBox", nullptr); c;
         c = FindWindowExA(parent, c, "ComboBox", nullptr)) {
        // Combo boxes are not looked up; one that runs the procedure already is left alone.
        if (RunsProcedure(c, ComboProc)) continue;
        const int position = TakeRecord(*list);
        ComboRecord& record = *(*list)[static_cast<size_t>(position - 1)];

        // The current selection's text becomes the window text the painter draws.
        const LRESULT selected = SendMessageA(c, CB_GETCURSEL, 0, 0);
        if (selected >= 0) {
            const LRESULT length = SendMessageA(c, CB_GETLBTEXTLEN, selected, 0);
            if (length >= 0) {
                std::string text(static_cast<size_t>(length) + 1, '\0');
                SendMessageA(c, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
                SendMessageA(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            }
        }

        record.Window = c;
        record.SavedProcedure = SubclassControl(c, position, windowIndex, ComboProc);
        if (TranslucentMode())
            if (HWND edit = EditChildOf(c)) AppendEdit(windowIndex, edit);
    }
}

LRESULT CALLBACK ComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto [owner, position, record] = LookUpFamilyFromLast(window, &WindowRecord::Combos);
    // In system colours the control is the system's to paint.
    if (!record || SystemLookOn()) return CallSavedProcedure(window, message, wParam, lParam);
    const WNDPROC saved = record->SavedProcedure;

    switch (message) {
        case WM_MOVE: PaintComboBox(owner, position, false); break;
        case WM_SETFOCUS:
            record->Focused = true;
            PaintComboBox(owner, position, false, true);
            break;
        case WM_KILLFOCUS: record->Focused = false; break;
        case WM_DESTROY: record->FieldBrush = KeptBrush{}; break;
        case WM_SETTEXT:
            if (EditChildOf(window)) InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_PAINT: {
            {
                record->BeginningPaint = true;
                gdi::PaintDC paint(window);
                record->BeginningPaint = false;
                PaintComboBox(owner, position, false);
            }
            return DefWindowProcA(window, WM_PAINT, wParam, lParam);
        }
        case WM_ERASEBKGND: SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT); return 1;
        case WM_NCPAINT:
            // The skin paints the whole window either way: when a client paint is due (the
            // frame and the client invalidated together), that paint draws it once.
            if (!record->BeginningPaint && !HasPendingClientPaint(window))
                PaintComboBox(owner, position, false);
            return DefWindowProcA(window, WM_NCPAINT, kNoUpdateRegion, lParam);
        case WM_COMMAND: OnCommand(wParam, lParam); break;
        case WM_CTLCOLOREDIT:
            return OnColourEdit(window, *record, reinterpret_cast<HDC>(wParam),
                                reinterpret_cast<HWND>(lParam));
        case WM_MOUSEMOVE:
            if (TrackHover(window, kComboHover)) PaintComboBox(owner, position, true);
            break;
        case WM_MOUSELEAVE:
            PaintComboBox(owner, position, false);
            EndHover(window);
            break;
        default: break;
    }
    return CallSavedProcedure(saved, window, message, wParam, lParam);
}

void PaintComboBox(int windowIndex, int position, bool hot, std::optional<bool> focused) {
    const PhaseClock painter(PaintPhase::Painter);
    FamilyList<ComboRecord>* list = ComboListAt(windowIndex);
    ComboRecord* record = list ? RecordAt(*list, position) : nullptr;
    if (!record || !record->Window) return;
    HWND combo = record->Window;
    const bool isFocused = focused.value_or(record->Focused);

    RECT r{};
    GetWindowRect(combo, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    const LONG style = GetWindowLongA(combo, GWL_STYLE);
    ++record->Paints;

    CapturedBackground background(combo, RECT{0, 0, w, h});
    // The owner's DPI is the control's (ControlDpi), read here without a property lookup.
    const UINT dpi = list ? RecordAt(windowIndex)->Dpi : ControlDpi(combo);
    if (!PutKeptPicture(record->Kept,
                        LookOf(combo, record->SavedProcedure, style, w, h, hot, isFocused, dpi),
                        background.dc(), w, h)) {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(background.dc());
        PlusSolidBrush face;
        face.Create(TranslucentMode() ? ToArgb(kWhite, Engine.ControlAlpha) : ToArgb(kWhite, 255));
        g.FillRectangle(face, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h));
        PunchChildHoles(g, combo, style);

        PlusPen outline;
        outline.CreatePen(hot || isFocused ? ToArgb(Engine.AccentColour, kAccentAlpha)
                                           : ToArgb(kBlack, kOutlineAlpha),
                          1);
        g.DrawRectangle(outline, 0, 0, static_cast<float>(w - 1), static_cast<float>(h - 1));
        if (HasDropButton(style)) DrawDropButton(g, *record, style, w, h, hot);
        g.DeleteGraphics();
        KeepPicture(record->Kept, background.dc(), w, h);
    }
    gdi::WindowDC dc = gdi::WindowDC::Whole(combo);
    CopyKeptOrKeyed(dc.get(), record->Kept, background.dc(), w, h);
}

} // namespace skin
