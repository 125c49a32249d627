// Skinned track bars. The skin paints the whole control: an optional rounded panel, a thin
// shaded channel, the selection band, a value bar in the accent colour up to the thumb, and a
// round thumb that is a small dot at rest and an 11-pixel knob while the mouse is over the
// control. Dragging, keys and notifications stay the control's own.
#pragma once
#include <windows.h>

#include "skin/core/kept_picture.h"

namespace skin {

struct TrackBarRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Vertical = false;       // TBS_VERT
    int TickPlacement = 0;       // 0 top/left, 1 bottom/right, 2 both, 3 none
    bool Hot = false;            // the mouse is over the control
    bool SelectionRange = false; // TBS_ENABLESELRANGE
    // The bar without its moving parts (background, panel, ticks and channel) as last drawn:
    // a drag step puts it back and draws only the thumb, the selection and the value bar.
    KeptPicture Base;
    // The whole bar as last shown, per look (thumb place, hot, selection, accent over the base):
    // a repaint, or the pointer coming and going, puts it back without drawing the thumb. Not
    // kept while the thumb is dragged (between the button's press and release), when each step
    // shows a place of its own.
    KeptPicture Shown;
    bool Dragging = false;
};

// Tick placement codes of a track-bar record.
enum TickPlacement : int {
    kTicksTopLeft = 0,
    kTicksBottomRight = 1,
    kTicksBoth = 2,
    kTicksNone = 3,
};

// The record's tick placement for a track-bar style.
int TickPlacementOf(LONG style);

// Installs the track bars among the direct children of `parent` (each once).
void SkinTrackBars(int windowIndex, HWND parent);

LRESULT CALLBACK TrackBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the track bar at `position` of the track-bar list of the window at `windowIndex`
// onto its window DC.
void PaintTrackBar(int windowIndex, int position);

// The record of a skinned track bar, or null.
TrackBarRecord* TrackBarRecordOf(HWND window);

} // namespace skin
