// Skinned combo boxes. The skin paints the whole combo box window: a white (or washed) face
// with a 1-pixel outline, a rounded drop button with a gradient and a down arrow, and the
// selected text of a drop-down list. Where the combo's own child windows lie (its edit field,
// a simple combo's list) the picture holds the key colour, so the final copy leaves them be.
#pragma once
#include <windows.h>

#include <optional>

namespace skin {

struct ComboRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Focused = false; // between WM_SETFOCUS and WM_KILLFOCUS
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
