// The skin's scroll bars for the families whose controls scroll (edit boxes, item views).
//
// The control keeps the system's scroll bars: their hit-testing, tracking loop, keyboard and
// wheel handling, the positions the control reads back and what assistive tools see. Only their
// picture is the skin's. The system draws its bars straight onto the window whenever a scroll
// value is set, even to the value it had, without a WM_NCPAINT; so the skin puts its picture
// back after every message that may have set one, from a kept bitmap when nothing it shows has
// changed, and during the system's tracking loop from a message filter.
#pragma once
#include <windows.h>

#include "skin/core/scroll_bar_types.h"

#include <optional>

namespace skin {

// The bars as the system has them now, with the hot part from `state`, drawn for `dpi` (0: the
// control's, ControlDpi).
ScrollBarsLook ReadScrollBars(HWND control, const ScrollBarState& state, UINT dpi = 0);

// The part of `bar` at `point` (window coordinates); None outside it.
ScrollPart ScrollPartAt(const ScrollBarLook& bar, POINT point);

// Draws the bars and the size box: renewed pictures when `redraw` or when what they show has
// changed, else the kept ones again. `dpi` as for ReadScrollBars.
void PaintScrollBars(HWND control, ScrollBarState& state, bool redraw, UINT dpi = 0);

// True for messages after which the system may have drawn its own bars (every message but a
// few that only ask, or move the pointer with no button held).
bool MayDrawSystemBars(UINT message, WPARAM wParam);

// The scroll-bar messages of a skinned control, answered before the family's own handling:
// hot tracking over the bars, the system's tracking loop with the skin kept on top, and the
// repaint the loop asks for. Empty when the family handles the message as before.
// `passOn` is how the control's own procedure is reached (the family's saved procedure).
using PassOnProcedure = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
std::optional<LRESULT> AnswerScrollBarMessage(HWND control, ScrollBarState& state, UINT message,
                                              WPARAM wParam, LPARAM lParam, PassOnProcedure passOn);

// The message the tracking loop's filter posts to have the bars put back (registered once).
UINT ScrollBarRepaintMessage();

} // namespace skin
