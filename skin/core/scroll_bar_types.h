// The plain types of the skin's scroll bars, held by the records of the controls that scroll
// (the painting is skin/controls/scroll_bars.*).
#pragma once
#include <windows.h>

#include "skin/core/gdi_owners.h"

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
    int Arrow = 0;                    // length of each arrow button along the bar
    int ThumbStart = 0, ThumbEnd = 0; // along the bar from its start; equal when no thumb
    bool Disabled = false;            // the whole bar
    bool BeforeDisabled = false, AfterDisabled = false;
    ScrollPart Hot = ScrollPart::None;
    ScrollPart Pressed = ScrollPart::None;
    bool operator==(const ScrollBarLook& o) const {
        return Shown == o.Shown && Vertical == o.Vertical && EqualRect(&Bar, &o.Bar) &&
               Arrow == o.Arrow && ThumbStart == o.ThumbStart && ThumbEnd == o.ThumbEnd &&
               Disabled == o.Disabled && BeforeDisabled == o.BeforeDisabled &&
               AfterDisabled == o.AfterDisabled && Hot == o.Hot && Pressed == o.Pressed;
    }
};

struct ScrollBarsLook {
    ScrollBarLook Vertical, Horizontal;
    RECT SizeBox{}; // empty unless both bars show
    bool operator==(const ScrollBarsLook& o) const {
        return Vertical == o.Vertical && Horizontal == o.Horizontal &&
               EqualRect(&SizeBox, &o.SizeBox);
    }
};

// What a control's record keeps of its bars.
struct ScrollBarState {
    ScrollBarsLook Painted;      // what the kept pictures show
    gdi::Bitmap VerticalPicture; // kept pictures of the bars as last drawn
    gdi::Bitmap HorizontalPicture;
    LONG HotBar = 0; // OBJID_VSCROLL or OBJID_HSCROLL under the pointer, 0 when none
    ScrollPart HotPart = ScrollPart::None;
};

} // namespace skin
