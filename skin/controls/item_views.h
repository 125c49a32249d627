// Skinned item views: list boxes, simple combo boxes' lists, list views, tree views,
// IP-address controls and date-time pickers. The control keeps its own items, scrolling,
// selection and keyboard; the skin replaces the border by a flat 1- or 2-pixel outline in the
// state colour and, in translucent mode, makes the control's own painting land on a white wash
// over the window background: list views and list boxes paint into an off-screen washed
// picture, tree views paint on the key colour that the copy leaves out, the others are washed
// when they erase.
#pragma once
#include <windows.h>

#include "skin/core/kept_picture.h"
#include "skin/core/kept_ring.h"
#include "skin/core/scroll_bar_types.h"

#include <optional>

namespace skin {

struct ItemViewRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Focused = false;
    bool Hot = false;
    bool ArrowKeyDown = false; // from an arrow key's WM_KEYDOWN to the next WM_KEYUP
    // In translucent mode, while the control handles a scroll message: the paints it asks for
    // are put off, since the whole control is repainted once the scroll is done.
    bool Scrolling = false;
    ScrollBarState ScrollBars;
    KeptRing Ring;               // the opaque frame's ring, put back while its look holds
    KeptPicture TranslucentRing; // the same in translucent mode, with what lies under it
    KeptPicture KeptWash;        // the client's washed background in translucent mode
};

// Installs the item views among the direct children of `parent` (each once): list boxes, the
// lists of combo boxes that are not owner-drawn, list views, tree views, IP-address controls and
// date-time pickers.
void SkinItemViews(int windowIndex, HWND parent);

LRESULT CALLBACK ItemViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the outline of the item view at `position` of the window at `windowIndex`: hot, a
// 2-pixel accent line one pixel in; else focused, a 1-pixel accent line on the edge; else a
// 1-pixel black line. A state not given is the record's. A control without a border (and a
// combo box's list) keeps its window as it is.
void PaintItemViewFrame(int windowIndex, int position, std::optional<bool> hot = std::nullopt,
                        std::optional<bool> focused = std::nullopt);

// The record of a skinned item view, or null.
ItemViewRecord* ItemViewRecordOf(HWND window);

// Message an item view repaints its wash on after an arrow key in translucent mode.
inline constexpr UINT kItemViewRewash = 0x8002;

} // namespace skin
