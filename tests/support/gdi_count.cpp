#include "support/gdi_count.h"

#include <cstdint>

namespace testing_support {
namespace {

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

#if defined(_WIN64)
// x64 layout: PEB+0xF8 points at the shared GDI handle table, 0x10000 entries of 24 bytes;
// an entry is in use when its type byte (offset 14) is non-zero.
int CountHandleTableEntries() {
    struct BasicInformation {
        LONG_PTR exitStatus;
        const std::uint8_t* peb;
        ULONG_PTR rest[4];
    } info{};
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (!query || query(GetCurrentProcess(), 0, &info, sizeof(info), nullptr) != 0) return -1;
    const std::uint8_t* peb = info.peb;
    const auto* table = *reinterpret_cast<const std::uint8_t* const*>(peb + 0xF8);
    if (!table) return -1;
    int used = 0;
    for (int i = 0; i < 0x10000; ++i) {
        if (table[i * 24 + 14] != 0) ++used;
    }
    return used;
}
#endif

} // namespace

int GdiObjectCount() {
#if defined(_WIN64)
    if (RunningUnderWine()) return CountHandleTableEntries();
#endif
    return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

int ThreadWindowCount() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND top, LPARAM p) -> BOOL {
            auto* n = reinterpret_cast<int*>(p);
            ++*n;
            EnumChildWindows(
                top,
                [](HWND, LPARAM q) -> BOOL {
                    ++*reinterpret_cast<int*>(q);
                    return TRUE;
                },
                p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace testing_support
