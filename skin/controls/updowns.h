// Skinned up-down controls. The skin paints the whole control: a translucent white rounded body
// split into two rounded halves (up and down, or left and right for a horizontal control), each
// with a gradient, a 1-pixel outline and a black arrow; the half under the mouse is drawn in the
// accent colour, its gradient reversed while the button is down. The buddy and the control's
// own value logic are untouched.
#pragma once
#include <windows.h>

#include "skin/core/kept_picture.h"

#include <optional>

namespace skin {

struct UpDownRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Hot = false;
    int HotHalf = 0; // 1 when the mouse was past the middle at the last move, else 0
    bool ButtonDown = false;
    bool Horizontal = false;       // UDS_HORZ
    LPARAM LastButtonPosition = 0; // lParam of the last left press or release
    KeptPicture Kept; // its pictures in the looks it showed last, with what lay under them
};

// Installs the up-down controls among the direct children of `parent` (each once).
void SkinUpDowns(int windowIndex, HWND parent);

LRESULT CALLBACK UpDownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The half of the control `mouse` (a mouse message's lParam, client coordinates) lies in: 1 when
// past the middle (right half of a horizontal control, lower half of a vertical one), else 0.
int UpDownHalf(int windowIndex, int position, LPARAM mouse);

// Paints the up-down at `position`. A state not given is the record's; without a mouse
// position the active half is the record's hot half.
void PaintUpDown(int windowIndex, int position, std::optional<bool> hot = std::nullopt,
                 std::optional<bool> pressed = std::nullopt,
                 std::optional<LPARAM> mouse = std::nullopt);

// The record of a skinned up-down, or null.
UpDownRecord* UpDownRecordOf(HWND window);

} // namespace skin
