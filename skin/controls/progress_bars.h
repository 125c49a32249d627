// Skinned progress bars. The skin paints the whole control: a rounded translucent trough and a
// rounded bar in the accent colour whose length follows the position (from the bottom on a
// vertical bar). Progress bars take no part in hover tracking.
#pragma once
#include <windows.h>

#include "skin/core/kept_picture.h"

namespace skin {

struct ProgressBarRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Vertical = false; // PBS_VERTICAL
    // The empty trough over its background as last drawn: a position step puts it back and
    // draws only the bar.
    KeptPicture Trough;
};

// Installs the progress bars among the direct children of `parent` (each once).
void SkinProgressBars(int windowIndex, HWND parent);

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the progress bar at `position` of the progress-bar list of the window at
// `windowIndex` into `dc`, or into its window DC when `dc` is null.
void PaintProgressBar(int windowIndex, int position, HDC dc = nullptr);

// Length in pixels of the filled bar: the position's share of the range over `size` pixels,
// truncated, within 0..size. 0 for a range without extent.
int ProgressLength(int position, int low, int high, int size);

// The record of a skinned progress bar, or null.
ProgressBarRecord* ProgressBarRecordOf(HWND window);

} // namespace skin
