// The core's two doors to the control families, which it does not include: installing the
// skins of a window's child controls, and what a window that holds skinned controls answers
// about them (their colour requests, their owner-drawn faces, and the notifications after
// which a translucent control must be drawn again). SkinWindow and the window procedure, and
// SkinContainer and the container procedure, both come through here, so a control is skinned
// and looks the same whichever of the two is its parent. Both are defined in skin/controls/
// (families.cpp, child_messages.cpp), from the family table.
#pragma once
#include <windows.h>

#include <optional>

namespace skin {

struct KeptBrush;

// Installs every control family (in the family table's order) among the direct children of
// `parent`, for the skinned window at `windowIndex` (the window itself or one of its
// containers).
void SkinChildControls(int windowIndex, HWND parent);

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
// With `kept` (a record's), the brush is the one `kept` holds, made anew only when what it was
// made from changed, and owned by the record rather than by the control's properties.
LRESULT TranslucentBrush(HWND control, HDC dc, KeptBrush* kept = nullptr);

// The same for a label (a static control) in translucent mode: the background unwashed, so
// its text lies on the window's picture as the skinned check boxes' captions do.
LRESULT LabelBrush(HWND label, HDC dc);

} // namespace skin
