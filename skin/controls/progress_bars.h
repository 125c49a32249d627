// Skinned progress bars. Their record, kept in the window record's list.
#pragma once
#include <windows.h>

namespace skin {

struct ProgressBarRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    bool Vertical = false; // PBS_VERTICAL
};

} // namespace skin
