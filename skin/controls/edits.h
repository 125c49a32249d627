// Skinned edit boxes and combo boxes. They are one file pair because they share one install (a
// combo box's edit field joins the edit list in translucent mode) and an edit field that loses
// the focus repaints its combo box.
//
// Edit boxes keep their own client painting; the skin replaces the frame by a 1- or 2-pixel
// line in the state colour (black at alpha 80, the accent colour when focused, a 2-pixel
// accent line while the mouse is over it), leaves the scroll bars to the system, and in
// translucent mode washes the background and redraws it whenever the content may have moved.
#pragma once
#include <windows.h>

#include "skin/core/kept_brush.h"
#include "skin/core/kept_picture.h"
#include "skin/core/kept_ring.h"
#include "skin/core/scroll_bar_types.h"

#include <optional>

#include "skin/core/composition_types.h"

namespace plus {
class PlusGraphics;
}

namespace skin {

struct EditRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Focused = false;    // between WM_SETFOCUS and WM_KILLFOCUS
    bool Hot = false;        // read by the frame painter when no hot state is given
    bool ButtonDown = false; // between WM_LBUTTONDOWN and WM_LBUTTONUP
    ScrollBarState ScrollBars;
    KeptRing Ring;               // the opaque frame's ring, put back while its look holds
    KeptPicture TranslucentRing; // the same in translucent mode, with what lies under it
    KeptPicture KeptWash;        // the client's washed background in translucent mode
};

// Installs the edit boxes among the direct children of `parent` (each once).
void SkinEdits(int windowIndex, HWND parent);

// Adds `edit` (a combo box's own edit field) to the edit list of the window at `windowIndex`,
// unless it already runs EditProc.
void AppendEdit(int windowIndex, HWND edit);

LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the frame ring of `window` (an edit box, or a combo box whose edit lost the focus);
// a state not given is the record's.
void PaintEditFrame(HWND window, std::optional<bool> focused = std::nullopt,
                    std::optional<bool> hot = std::nullopt);

// Strokes the frame line on `graphics` (a picture of the whole window): hot, a 2-pixel accent
// line one pixel in; else focused, a 1-pixel accent line on the edge; else a 1-pixel black line.
void DrawEditBorder(HWND window, std::optional<bool> focused, std::optional<bool> hot,
                    plus::PlusGraphics& graphics);

// The record of a skinned edit box, or null.
EditRecord* EditRecordOf(HWND window);

// --- Combo boxes (edits_combos.cpp) ---
// The skin paints the whole combo box window: a white (or washed) face with a 1-pixel outline,
// a rounded drop button with a gradient and a down arrow, and the selected text of a drop-down
// list. Where the combo's own child windows lie (its edit field,
// a simple combo's list) the picture holds the key colour, so the final copy leaves them be.
struct ComboRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Focused = false; // between WM_SETFOCUS and WM_KILLFOCUS
    FontCache TextFont;   // a drop-down list's text font, made once
    // Set while WM_PAINT's BeginPaint runs: the WM_NCPAINT it sends leaves the picture to the
    // paint that follows.
    bool BeginningPaint = false;
    unsigned Paints = 0; // whole pictures drawn (one per ordinary repaint)
    // The last picture, put back while its look and the background under it stay the same.
    KeptPicture Kept;
    // The brush its edit field is answered with in translucent mode (WM_CTLCOLOREDIT).
    KeptBrush FieldBrush;
};

// Installs the edit boxes, then the combo boxes, among the direct children of `parent`.
void SkinEditsAndCombos(int windowIndex, HWND parent);

// The combo half: each combo box once; in translucent mode its edit field joins the edits.
void SkinCombos(int windowIndex, HWND parent);

LRESULT CALLBACK ComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the combo box at `position` in the combo list of the window at `windowIndex`; the
// focus not given is the record's.
void PaintComboBox(int windowIndex, int position, bool hot,
                   std::optional<bool> focused = std::nullopt);

// The record of a skinned combo box, or null.
ComboRecord* ComboRecordOf(HWND window);

} // namespace skin
