// What a window that holds skinned controls answers about them: their colour requests, their
// owner-drawn faces, and the notifications after which a translucent control must be drawn
// again. The top-level window procedure and the container procedure both hand these messages
// here, so a control looks the same whichever of the two is its parent.
#pragma once
#include <windows.h>

#include <optional>

namespace skin {

// Handles WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC, WM_CTLCOLORLISTBOX, WM_CTLCOLORBTN, WM_DRAWITEM,
// WM_COMMAND and WM_NOTIFY sent to a window of the skinned window at `position` (the window
// itself or one of its containers). Returns the answer when the message is answered here (a
// colour brush); nullopt when it must still go to the receiving window's own procedure, which
// is also the case for every other message.
std::optional<LRESULT> AnswerChildMessage(int position, UINT message, WPARAM wParam, LPARAM lParam);

// The answer to a translucent control's WM_CTLCOLOR* message: sets the control's text colour
// and transparent text on `dc`, releases the brush pair answered before, and returns a new
// pattern brush of the washed background behind the control's client area, kept with its
// bitmap on the control ("Kj_dxjb", "Kj_wtjb") until the next answer or its destruction.
LRESULT TranslucentBrush(HWND control, HDC dc);

} // namespace skin
