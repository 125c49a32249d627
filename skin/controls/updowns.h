// Skinned up-down controls. Their record, kept in the window record's list.
#pragma once
#include <windows.h>

namespace skin {

struct UpDownRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Hot = false;
    int HotHalf = 0; // 1 when the mouse was past the middle at the last move, else 0
    bool ButtonDown = false;
    bool Horizontal = false;       // UDS_HORZ
    LPARAM LastButtonPosition = 0; // lParam of the last left press or release
};

} // namespace skin
