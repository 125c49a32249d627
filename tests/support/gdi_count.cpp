#include "support/gdi_count.h"

#include <cstdint>

namespace testing_support {
namespace {

[[maybe_unused]] bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

#if defined(_WIN64)
// x64 layout: PEB+0xF8 points at the shared GDI handle table, 0x10000 entries of 24 bytes;
// an entry is in use when its type byte (offset 14) is non-zero.
const std::uint8_t* HandleTable() {
    struct BasicInformation {
        LONG_PTR exitStatus;
        const std::uint8_t* peb;
        ULONG_PTR rest[4];
    } info{};
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (!query || query(GetCurrentProcess(), 0, &info, sizeof(info), nullptr) != 0) return nullptr;
    return *reinterpret_cast<const std::uint8_t* const*>(info.peb + 0xF8);
}

int CountHandleTableEntries() {
    const std::uint8_t* table = HandleTable();
    if (!table) return -1;
    int used = 0;
    for (int i = 0; i < 0x10000; ++i) {
        if (table[i * 24 + 14] != 0) ++used;
    }
    return used;
}
#endif

// What the object at table index `index` is, as far as GDI tells: "(brush style 0 #rrggbb)",
// "(bitmap 16x16)", "(font Tahoma -11)"; empty where the handle cannot be read.
std::string Describe([[maybe_unused]] int index) {
#if defined(_WIN64)
    const std::uint8_t* table = HandleTable();
    if (!table) return {};
    const std::uint8_t* entry = table + index * 24;
    const auto unique = static_cast<unsigned>(entry[12] | entry[13] << 8);
    const auto object = reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(index | unique << 16));
    char text[128] = {};
    switch (GetObjectType(object)) {
    case OBJ_BRUSH: {
        LOGBRUSH brush{};
        GetObjectA(object, sizeof(brush), &brush);
        wsprintfA(text, "(brush style %u #%06x hatch %u)", brush.lbStyle,
                  static_cast<unsigned>(brush.lbColor), static_cast<unsigned>(brush.lbHatch));
        break;
    }
    case OBJ_BITMAP: {
        BITMAP bitmap{};
        GetObjectA(object, sizeof(bitmap), &bitmap);
        wsprintfA(text, "(bitmap %dx%d)", bitmap.bmWidth, bitmap.bmHeight);
        break;
    }
    case OBJ_FONT: {
        LOGFONTA font{};
        GetObjectA(object, sizeof(font), &font);
        wsprintfA(text, "(font %s %d)", font.lfFaceName, static_cast<int>(font.lfHeight));
        break;
    }
    default:
        break;
    }
    return text;
#else
    return {};
#endif
}

} // namespace

int GdiObjectCount() {
#if defined(_WIN64)
    if (RunningUnderWine()) return CountHandleTableEntries();
#endif
    return static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

std::vector<std::pair<int, int>> GdiHandleSnapshot() {
    std::vector<std::pair<int, int>> handles;
#if defined(_WIN64)
    if (!RunningUnderWine()) return handles;
    if (const std::uint8_t* table = HandleTable()) {
        for (int i = 0; i < 0x10000; ++i) {
            if (table[i * 24 + 14] != 0) handles.emplace_back(i, table[i * 24 + 14]);
        }
    }
#endif
    return handles;
}

std::string NewGdiHandles(const std::vector<std::pair<int, int>>& before,
                          const std::vector<std::pair<int, int>>& after) {
    std::string listed;
    for (const auto& handle : after) {
        bool known = false;
        for (const auto& old : before)
            known = known || old == handle;
        if (known) continue;
        if (!listed.empty()) listed += ' ';
        listed += std::to_string(handle.first) + ":" + std::to_string(handle.second) +
                  Describe(handle.first);
    }
    return listed;
}

namespace {
// Window callbacks are stdcall on x86, which lambdas do not convert to.
BOOL CALLBACK CountOne(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

BOOL CALLBACK CountWithChildren(HWND top, LPARAM counter) {
    CountOne(top, counter);
    EnumChildWindows(top, CountOne, counter);
    return TRUE;
}
} // namespace

int ThreadWindowCount() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWithChildren, reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace testing_support
