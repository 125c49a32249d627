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

#include "skin/core/gdi_owners.h"

#include <optional>

namespace skin {

// The parts of a bar, numbered as GetScrollBarInfo's state array numbers them.
enum class ScrollPart : int {
    None = 0,
    ArrowBefore = 1, // up or left
    PageBefore = 2,
    Thumb = 3,
    PageAfter = 4,
    ArrowAfter = 5, // down or right
};

// Everything one bar's picture depends on, in the control's window coordinates.
struct ScrollBarLook {
    bool Shown = false;
    bool Vertical = false;
    RECT Bar{};
    int Arrow = 0;                   // length of each arrow button along the bar
    int ThumbStart = 0, ThumbEnd = 0; // along the bar from its start; equal when no thumb
    bool Disabled = false;           // the whole bar
    bool BeforeDisabled = false, AfterDisabled = false;
    ScrollPart Hot = ScrollPart::None;
    ScrollPart Pressed = ScrollPart::None;
    bool operator==(const ScrollBarLook&) const = default;
};

struct ScrollBarsLook {
    ScrollBarLook Vertical, Horizontal;
    RECT SizeBox{}; // empty unless both bars show
    bool operator==(const ScrollBarsLook&) const = default;
};

// What a control's record keeps of its bars.
struct ScrollBarState {
    ScrollBarsLook Painted;      // what the kept pictures show
    gdi::Bitmap VerticalPicture; // kept pictures of the bars as last drawn
    gdi::Bitmap HorizontalPicture;
    LONG HotBar = 0; // OBJID_VSCROLL or OBJID_HSCROLL under the pointer, 0 when none
    ScrollPart HotPart = ScrollPart::None;
};

// The bars as the system has them now, with the hot part from `state`.
ScrollBarsLook ReadScrollBars(HWND control, const ScrollBarState& state);

// The part of `bar` at `point` (window coordinates); None outside it.
ScrollPart ScrollPartAt(const ScrollBarLook& bar, POINT point);

// Draws the bars and the size box: renewed pictures when `redraw` or when what they show has
// changed, else the kept ones again.
void PaintScrollBars(HWND control, ScrollBarState& state, bool redraw);

// True for messages after which the system may have drawn its own bars (every message but a
// few that only ask, or move the pointer with no button held).
bool MayDrawSystemBars(UINT message, WPARAM wParam);

// The scroll-bar messages of a skinned control, answered before the family's own handling:
// hot tracking over the bars, the system's tracking loop with the skin kept on top, and the
// repaint the loop asks for. Empty when the family handles the message as before.
std::optional<LRESULT> AnswerScrollBarMessage(HWND control, ScrollBarState& state, UINT message,
                                              WPARAM wParam, LPARAM lParam);

// The message the tracking loop's filter posts to have the bars put back (registered once).
UINT ScrollBarRepaintMessage();

} // namespace skin
