// Skinned edit boxes. The edit keeps its own client painting; the skin replaces its frame by a
// 1- or 2-pixel line in the state colour (black at alpha 80, the accent colour when focused, a
// 2-pixel accent line while the mouse is over it), leaves the scroll bars to the system, and in
// translucent mode washes the background and redraws it whenever the content may have moved.
#pragma once
#include <windows.h>

#include <optional>

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

} // namespace skin
