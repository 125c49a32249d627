// What every skinned child-control family shares: the per-window family lists, the install
// steps, the record lookup, hover tracking with a rule per family, and the small painting
// tools two families would otherwise each carry (the control's font and text, the frame ring
// geometry, the washed background, the scroll-bar region, the key-colour copy).
#pragma once
#include <windows.h>

#include "skin/controls/scroll_bars.h"
#include "skin/core/capture.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/kept_brush.h"
#include "skin/core/kept_picture.h"
#include "skin/core/kept_ring.h"
#include "skin/core/window_record.h"
#include "plus/plus_object.h"
#include "plus/plus_path.h"

#include <functional>
#include <memory>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plus {
class PlusGraphics;
}

namespace skin {

// Family codes used by the hover tracking, one per row of the family table (families.def).
enum FamilyCode : int {
#define VARNEL_FAMILY(name, record, install, code, ...) kFamily##name = code,
#include "skin/controls/families.def"
};

// The colour a family paints where its picture must leave the screen untouched; the final
// copy skips it.
inline constexpr COLORREF kKeyColour = 0x00FF00FF;

// Position (1-based) of the record that holds `control`, 0 when none.
template <typename Record> int FindRecord(const FamilyList<Record>& list, HWND control) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] && list[i]->Window == control) return static_cast<int>(i) + 1;
    return 0;
}

// Install step 4: a list holding one record with no window lends that record to the first
// control; otherwise a new zero-filled record is appended. Returns its position.
template <typename Record> int TakeRecord(FamilyList<Record>& list) {
    if (list.size() == 1 && list[0] && list[0]->Window == nullptr) return 1;
    list.push_back(std::make_unique<Record>());
    return static_cast<int>(list.size());
}

// The record at a 1-based position, or null.
template <typename Record> Record* RecordAt(FamilyList<Record>& list, int position) {
    if (position < 1 || position > static_cast<int>(list.size())) return nullptr;
    return list[position - 1].get();
}

// Install step 5 for one control: sets "Hw_lbID" and "Hw_FuID", puts `procedure` in place and
// keeps the previous one in "Hw_hProc". Returns the previous procedure.
WNDPROC SubclassControl(HWND control, int position, int windowIndex, WNDPROC procedure);

// True when `control` already runs `procedure`. Families that do not look up records check
// this, so a second install never subclasses a control twice (which would make the family
// procedure call itself as its own saved procedure).
bool RunsProcedure(HWND control, WNDPROC procedure);

// Passes a message on to the procedure saved in "Hw_hProc" (DefWindowProcA when none).
LRESULT CallSavedProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
// The same with the procedure the control's record saved at its install (the one "Hw_hProc"
// names), so the property is not read again: each read is a trip to the window server here.
// Reads the property when `saved` is null.
LRESULT CallSavedProcedure(WNDPROC saved, HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// The window record whose position is in the control's "Hw_FuID", or null.
WindowRecord* OwnerRecordOf(HWND control);
// The window record at `windowIndex` (as RecordAt), for the templates below.
WindowRecord* OwnerRecordAt(int windowIndex);

// The DPI a control is drawn at: its owner's (WindowRecord::Dpi), else its top-level window's.
// A family's metrics are 96-dpi sizes scaled by ControlPx, so they follow the owner's
// WM_DPICHANGED at the next paint.
UINT ControlDpi(HWND control);
float ControlPx(HWND control, int size);

// Draws one of the skin's own pictures (skin/images) for `dpi` in the box (x, y, width,
// height): at 96 dpi the picture itself at its own size, otherwise its drawing for the
// nearest scale at or above the DPI, reduced with high-quality filtering if it does not fit
// the box exactly.
void DrawSkinPicture(plus::PlusGraphics& graphics, HWND control,
                     std::span<const std::uint8_t> picture, UINT dpi, float x, float y, float width,
                     float height);

// The control's "Hw_lbID".
int ListPositionOf(HWND control);

// A built-in skin picture, its drawing for the scale at or above `dpi`, decoded once and kept
// by the control's window record (freed with it); null when the control has no window record
// or the picture does not decode.
plus::PlusImage* ControlPicture(HWND control, std::span<const std::uint8_t> picture,
                                UINT dpi = kDesignDpi);

// The control's "Hw_FuID": the position of its skinned window's record.
int OwnerIndexOf(HWND control);

// Runs every family's parent-message hook (the family table's last column) on a message that
// the window at `windowIndex`, which holds skinned controls, answers about them.
void RunParentHooks(int windowIndex, UINT message, WPARAM wParam, LPARAM lParam);

// WM_NCPAINT's update region when the skin has painted the whole frame itself: not a region
// (the 32-bit program's 0xFFFFFFFF), so the default procedure paints no border over it.
inline const WPARAM kNoUpdateRegion = static_cast<WPARAM>(static_cast<INT_PTR>(-1));

// The record of a skinned control in the family list `member` of its owner's window record,
// found through "Hw_FuID" and "Hw_lbID"; null when the control is not (or no longer) there.
template <typename Record>
Record* FamilyRecordOf(HWND control, FamilyList<Record> WindowRecord::*member);

// What a family's procedure reads of its control on each message, each property read once
// (every read is a trip to the window server here): the owner's index ("Hw_FuID"), the
// control's list position ("Hw_lbID") and its record as FamilyRecordOf finds it.
template <typename Record> struct FamilyLookup {
    int owner = 0;
    int position = 0;
    Record* record = nullptr;
};
template <typename Record>
FamilyLookup<Record> LookUpFamily(HWND control, FamilyList<Record> WindowRecord::*member);
// The record at the place `found` read (before a message was handled), when it still holds
// `control`: the message may have taken the control's skin away. Reads no property.
template <typename Record>
Record* RecordStillAt(HWND control, FamilyList<Record> WindowRecord::*member,
                      const FamilyLookup<Record>& found);
// As LookUpFamily, for a family whose messages come in runs to one control (a drag, a run of
// steps): the place found for the last control asked about (per thread and family) is tried
// first, and the properties are read only when the record there is not this control's own.
template <typename Record>
FamilyLookup<Record> LookUpFamilyFromLast(HWND control, FamilyList<Record> WindowRecord::*member);

// --- Hover tracking ---

// How a family decides, on a mouse move, whether the control under the mouse must be drawn
// hot again or already is.
enum class HoverMatch {
    // Already hot when it is the hot control of this family (buttons, up-downs with their half).
    Control,
    // As Control, and the edit last drawn hot had the same parent (edit boxes).
    ControlAndParent,
    // Drawn hot when it has a list position and is not the hot control, or when the hot control
    // belongs to another family (combo boxes, item views).
    PositionedControl,
    // Never tracked (progress bars).
    None,
};

struct HoverRule {
    FamilyCode family;
    HoverMatch match;
};

// Each family's rule (kButtonHover ...), from the family table.
#define VARNEL_FAMILY(name, record, install, code, hoverRule, hoverMatch, ...)                     \
    inline constexpr HoverRule hoverRule{kFamily##name, HoverMatch::hoverMatch};
#include "skin/controls/families.def"

// Hover tracking on WM_MOUSEMOVE: asks for WM_MOUSELEAVE, notes the control as pointed, and
// makes it the hot control of its family. True when the control must now be repainted hot.
// `samePart` is false when the part of the control under the mouse (an up-down's half) is not
// the one drawn hot, which forces the repaint.
bool TrackHover(HWND control, const HoverRule& rule, bool samePart = true);

// Hover tracking on WM_MOUSELEAVE: no control is hot any more.
void EndHover(HWND control);

// Whether install routines may run (ControlSkinsEnabled).
bool ControlSkinsOn();

// Translucent mode of the family procedures: TranslucentControls set.
bool TranslucentMode();

// Whether controls paint a white wash over the window background (ControlSkinsEnabled and
// TranslucentControls both set).
bool TranslucentControlsOn();

// --- Text and font ---

// Font of a control as GDI+ sees it.
struct ControlFont {
    std::string family;
    int size = 0;  // pixels, truncated
    int style = 0; // GDI+ FontStyle bits
};

// The control's WM_GETFONT font as GDI+ sees it (family name, pixel size, style).
ControlFont ReadControlFont(HWND window);

// The window's text (code page 936 bytes).
std::string WindowTextOf(HWND window);
// The same, asked of `saved` (a skinned control's own procedure, the system's) rather than
// through the window, whose skin procedure would look up its record first: two trips to the
// window server here. WindowTextOf(window) when `saved` is null.
std::string WindowTextOf(HWND window, WNDPROC saved);

// The control's text colour ("Kj_Ztys"; 0 = black when not set).
COLORREF TextColourOf(HWND control);

// --- Framed controls ---

// Where a framed control's client area and scroll bars lie inside its window rectangle, the
// rest being the frame ring the skin paints: window size (w, h), inner box (ox, oy, iw, ih).
struct FrameGeometry {
    int w = 0, h = 0;
    int ox = 0, oy = 0, iw = 0, ih = 0;
    RECT Inner() const { return RECT{ox, oy, ox + iw, oy + ih}; }
};

// The inner box is the client area widened by the vertical scroll bar and heightened by the
// horizontal one (each only when its style bit is set), centred in the window rectangle.
FrameGeometry MeasureFrame(HWND control);

// Puts an opaque frame ring on the control's window, the inner box left alone: from `kept`
// while the look (geometry, `hot`, `focused`, the accent) is the one it holds, else drawn by
// `draw` on a picture of the frame's size first and its four bands kept. The ring must hide
// whatever lies behind it (nothing translucent), since the picture is drawn on nothing.
// `dpi` is the control's (ControlDpi), given by the caller that has read it already.
void PutKeptRing(HWND control, const FrameGeometry& f, bool hot, bool focused, UINT dpi,
                 KeptRing& kept, const std::function<void(HDC)>& draw);

// --- Kept pictures ---

struct KeptPicture;
// Puts a frame ring drawn over what lies behind the control on its window, the inner box left
// alone: drawn by `draw` over the captured background, or put back from `kept` (when given)
// while the ring's look (geometry, `hot`, `focused`, accent, wash, DPI) and the background under
// it hold. `keyed`: the picture is laid on through the key colour rather than copied. `dpi` is
// the control's (ControlDpi).
void PutTranslucentRing(HWND control, const FrameGeometry& f, bool hot, bool focused, UINT dpi,
                        KeptPicture* kept, const std::function<void(HDC)>& draw, bool keyed);

// Before a painter draws over the w x h background captured in `captured` (a 32-bit DIB
// section exactly h high, as CaptureBackground makes): when `kept` holds the picture of `look`
// over this same background, and no wrapper call has failed since it was drawn, writes that
// picture into `captured` and returns true, so the drawing is left out. Otherwise returns false,
// leaving `captured` as it is, and notes the look and the background for KeepPicture.
bool PutKeptPicture(KeptPicture& kept, const Look& look, HDC captured, int w, int h);

// True when the process can still make a few dozen GDI objects. Short of handles, this
// platform's GDI+ can leave a part out of a picture (a text) and still answer Ok, so nothing
// drawn then is kept.
bool HandlesToSpare();

// After the drawing that PutKeptPicture did not spare: keeps the picture now in `captured`,
// unless a drawing step failed on the way or the process is short of handles (such a picture
// may be incomplete; it is drawn again next time).
void KeepPicture(KeptPicture& kept, HDC captured, int w, int h);

// Copies the w x h `picture` to (0, 0) of `target` as CopyKeyed does, with one plain copy when
// it is the kept picture and holds no pixel of the key colour (the same result, much cheaper).
void CopyKeptOrKeyed(HDC target, const KeptPicture& kept, HDC picture, int w, int h);

// True when the style has WS_VSCROLL or WS_HSCROLL.
bool HasScrollBars(HWND control);

// The region (screen coordinates) of the control's scroll bars, the size box between them
// included; null when it has none. The caller owns the region.
HRGN ScrollBarRegion(HWND control);

// After a message to a control whose family keeps scroll-bar state in its records (`member`):
// the skin's bars go back over whatever the system drew while the message was handled. The
// record is found again at the place `found` read before the message (the message may have
// taken the control's skin away), and checked to be the control's own; the properties are not
// read again.
template <typename Record>
void RepaintScrollBarsAfter(HWND control, UINT message, WPARAM wParam,
                            FamilyList<Record> WindowRecord::*member,
                            const FamilyLookup<Record>& found);

// A family procedure's handling of one message with the skin's scroll bars around it: the bars'
// own messages are answered first, every other message goes to `family()`, and afterwards the
// bars go back over whatever the system drew. `found` is what LookUpFamily read for this
// message (its record not null).
template <typename Record, typename Family>
LRESULT WithScrollBars(HWND control, const FamilyLookup<Record>& found, UINT message, WPARAM wParam,
                       LPARAM lParam, FamilyList<Record> WindowRecord::*member, Family&& family) {
    const std::optional<LRESULT> answered = AnswerScrollBarMessage(
        control, found.record->ScrollBars, message, wParam, lParam, CallSavedProcedure);
    const LRESULT result = answered ? *answered : family();
    RepaintScrollBarsAfter(control, message, wParam, member, found);
    return result;
}

// Covers the control's client area with the window background washed in white at
// ControlAlpha: on `dc` at (0, 0) when one is given (a WM_ERASEBKGND DC), else on the window
// DC at the client area's place. With `kept`, the washed picture is put back from it while the
// background under it and the wash are the same.
void PaintTranslucentBackground(HWND control, std::optional<HDC> dc = std::nullopt,
                                KeptPicture* kept = nullptr);

// Copies a w x h picture to (0, 0) of `target`, leaving the pixels of kKeyColour out.
void CopyKeyed(HDC target, HDC picture, int w, int h);

// Lays a w x h picture drawn on kKeyColour over `target` (both at (0, 0)), keying out the key
// colour and also the key colour that smoothed text edges took in: a pixel that is grey ink
// blended with the key (red and blue the same distance above green) becomes that ink at that
// coverage over the target's pixel. Needs 32-bit top-down DIB sections h high in both DCs (as
// gdi::CreateArgbBitmap makes); otherwise it keys out the exact colour alone, as CopyKeyed.
void LayKeyedOnto(HDC target, HDC picture, int w, int h);

// The background behind a control's client area washed in white at ControlAlpha: a picture of
// the client's size for the control's own painting to land on. Released with the owner. With
// `kept`, the wash is put back from it while the background under it and the wash are the same.
class WashedClientPicture {
public:
    explicit WashedClientPicture(HWND control, KeptPicture* kept = nullptr);
    // The same for `part` of the client area alone (client coordinates, within the client area
    // as ClientWashSize measures it): a picture of the part's size, whose pixels are those the
    // whole client's picture has there. With `kept`, the part is put back from the whole
    // client's kept wash while the background under the part is the one it was washed over.
    WashedClientPicture(HWND control, const RECT& part, KeptPicture* kept);
    HDC dc() const { return background_.dc(); }
    int width() const { return background_.width(); }
    int height() const { return background_.height(); }

private:
    CapturedBackground background_;
};

// The pattern brush of the control's client background washed in white at ControlAlpha (as
// WashedClientPicture), from `kept` while the background there and the alpha are those it was
// made from; otherwise made anew and kept (the one before deleted). Null, with nothing kept,
// when no picture could be made.
HBRUSH KeptWashedBrush(HWND control, KeptBrush& kept);

// The size of the picture WashedClientPicture makes of the whole client area.
SIZE ClientWashSize(HWND control);

// Before a part of a picture is drawn over the background captured in `captured` (the part's
// size, `part` being its place in the whole w x h picture): when `kept` holds the whole
// picture of `look` and the background under the part is the one that picture was drawn over,
// writes the kept picture's part into `captured` and returns true. Nothing is kept or dropped.
bool PutKeptPart(const KeptPicture& kept, const Look& look, HDC captured, const RECT& part, int w,
                 int h);

// The control's client DC (GetDC) with every visible child window that is not
// WS_EX_TRANSPARENT clipped out, so a copy over the whole client leaves the children (a list
// view's header) alone.
gdi::WindowDC ClientDCWithoutChildren(HWND control);
// --- Shapes of the painted families ---

// A new path holding AddRoundedRect(x, y, w, h, d).
plus::PlusPath RoundedPath(float x, float y, float w, float h, float d);

// Fills `path` with a linear gradient from `from` (colour a) to `to` (colour b).
void FillLinear(plus::PlusGraphics& graphics, const plus::PlusPath& path, plus::PointF from,
                plus::PointF to, plus::ARGB a, plus::ARGB b);

// Strokes `path` with a pen of `colour` and `width`.
void StrokePath(plus::PlusGraphics& graphics, const plus::PlusPath& path, plus::ARGB colour,
                float width = 1);

// --- Definitions ---

template <typename Record>
Record* FamilyRecordOf(HWND control, FamilyList<Record> WindowRecord::*member) {
    WindowRecord* owner = OwnerRecordOf(control);
    if (!owner) return nullptr;
    Record* record = RecordAt(owner->*member, ListPositionOf(control));
    return record && record->Window == control ? record : nullptr;
}

template <typename Record>
FamilyLookup<Record> LookUpFamily(HWND control, FamilyList<Record> WindowRecord::*member) {
    FamilyLookup<Record> found{OwnerIndexOf(control), ListPositionOf(control), nullptr};
    if (WindowRecord* owner = OwnerRecordAt(found.owner)) {
        Record* record = RecordAt(owner->*member, found.position);
        if (record && record->Window == control) found.record = record;
    }
    return found;
}

template <typename Record>
Record* RecordStillAt(HWND control, FamilyList<Record> WindowRecord::*member,
                      const FamilyLookup<Record>& found) {
    WindowRecord* owner = OwnerRecordAt(found.owner);
    Record* record = owner ? RecordAt(owner->*member, found.position) : nullptr;
    return record && record->Window == control ? record : nullptr;
}

template <typename Record>
FamilyLookup<Record> LookUpFamilyFromLast(HWND control, FamilyList<Record> WindowRecord::*member) {
    thread_local HWND lastControl = nullptr;
    thread_local int lastOwner = 0, lastPosition = 0;
    if (control == lastControl) {
        if (WindowRecord* owner = OwnerRecordAt(lastOwner)) {
            Record* record = RecordAt(owner->*member, lastPosition);
            if (record && record->Window == control) return {lastOwner, lastPosition, record};
        }
    }
    const FamilyLookup<Record> found = LookUpFamily(control, member);
    lastControl = control;
    lastOwner = found.owner;
    lastPosition = found.position;
    return found;
}

template <typename Record>
void RepaintScrollBarsAfter(HWND control, UINT message, WPARAM wParam,
                            FamilyList<Record> WindowRecord::*member,
                            const FamilyLookup<Record>& found) {
    if (!MayDrawSystemBars(message, wParam) || !IsWindow(control) || !HasScrollBars(control))
        return;
    if (Record* record = RecordStillAt(control, member, found))
        PaintScrollBars(control, record->ScrollBars, false, OwnerRecordAt(found.owner)->Dpi);
}

} // namespace skin
