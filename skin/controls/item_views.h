// Skinned item views: list boxes, simple combo boxes' lists, list views, tree views,
// IP-address controls and date-time pickers. Their record, kept in the window record's list.
#pragma once
#include <windows.h>

namespace skin {

struct ItemViewRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Focused = false;
    bool Hot = false;
    bool ArrowKeyDown = false; // from an arrow key's WM_KEYDOWN to the next WM_KEYUP
};

} // namespace skin
