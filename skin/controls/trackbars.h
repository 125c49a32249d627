// Skinned track bars. Their record, kept in the window record's list.
#pragma once
#include <windows.h>

namespace skin {

struct TrackBarRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Vertical = false;       // TBS_VERT
    int TickPlacement = 0;       // 0 top/left, 1 bottom/right, 2 both, 3 none
    bool Hot = false;            // the mouse is over the control
    bool SelectionRange = false; // TBS_ENABLESELRANGE
};

} // namespace skin
