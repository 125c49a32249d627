// Value types of a skinned window's composition that its record holds: caption buttons, status
// panes and their rectangles.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "plus/plus_object.h"
#include "skin/core/skin_types.h"

namespace skin {

// A routine a caption button runs when clicked (a kind-5 button's own action, HandlerA and
// HandlerB). Empty = none.
using CaptionRoutine = std::function<void()>;

// What a caption button does when clicked.
enum CaptionButtonKind : int {
    kCloseButton = 0,       // SC_CLOSE; 40 pixels wide at layout, belongs at the right end
    kMaximizeButton = 1,    // SC_MAXIMIZE / SC_RESTORE
    kMinimizeButton = 2,    // SC_MINIMIZE
    kHandlerBButton = 3,    // runs HandlerB (the menu button)
    kHandlerAButton = 4,    // runs HandlerA (the help button)
    kApplicationButton = 5, // runs the button's own action
};

struct CaptionButton {
    int Width = 26;
    int Height = 18;
    ByteSet Image;          // encoded picture drawn in the button
    ByteSet AlternateImage; // maximize button: drawn while the window is maximized
    ByteSet ThirdImage;
    int Kind = kApplicationButton;
    std::string Tooltip;
    CaptionRoutine Action; // kind 5
    plus::RectF Rect;      // set by LayoutCaptionButtons
};

// One pane of the status bar, also the definition a caller hands to CreateStatusBar.
struct StatusPane {
    int Width = -1;   // -1: all the width left after the panes before it
    std::string Text; // code page 936
    ByteSet Icon;     // encoded picture at the pane's left; empty = none
    COLORREF TextColour = 0;
};

// A rectangle as (x, y, width, height).
using PaneRect = plus::Rect;

} // namespace skin
