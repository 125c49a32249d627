// Emptying the working set when the application is deactivated. Done in-process on a thread of
// its own; nothing is written to disk and no other program is run.
#include "skin/core/skin_engine.h"

namespace skin {

bool TrimWorkingSet() {
    return SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1),
                                    static_cast<SIZE_T>(-1)) != FALSE;
}

namespace {
DWORD WINAPI RunWorkingSetTrim(LPVOID) {
    return TrimWorkingSet() ? 0 : 1;
}
} // namespace

bool StartWorkingSetTrim() {
    HANDLE thread = CreateThread(nullptr, 0, RunWorkingSetTrim, nullptr, 0, nullptr);
    if (thread == nullptr) return false;
    CloseHandle(thread);
    return true;
}

} // namespace skin
