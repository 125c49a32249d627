// The scaling rule, the DPI of a window and the process's awareness. The per-monitor calls
// exist only on newer systems (the programs also run on Windows 7), so they are looked up.
#include "skin/core/dpi.h"

#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"

#include <cstdint>

namespace skin {
namespace {

template <typename Function> Function UserFunction(const char* name) {
    HMODULE user = GetModuleHandleA("user32.dll");
    return user ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user, name)))
                : nullptr;
}

// DPI_AWARENESS_CONTEXT values, which the Windows 7 headers this builds with lack.
const HANDLE kContextPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kContextPerMonitor = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));

using SetContextFunction = BOOL(WINAPI*)(HANDLE);
using GetContextFunction = HANDLE(WINAPI*)();
using ContextsEqualFunction = BOOL(WINAPI*)(HANDLE, HANDLE);
using AwarenessOfContextFunction = int(WINAPI*)(HANDLE);
using SetProcessAwarenessFunction = HRESULT(WINAPI*)(int);

} // namespace

int ScaleToDpi(int size, UINT dpi) {
    if (dpi == 0) dpi = kDesignDpi;
    const std::int64_t product = static_cast<std::int64_t>(size) * dpi;
    const std::int64_t half = kDesignDpi / 2;
    const std::int64_t scaled =
        product >= 0 ? (product + half) / kDesignDpi : -((-product + half) / kDesignDpi);
    return static_cast<int>(scaled);
}

UINT SystemDpiOfWindow(HWND window) {
    if (!window || !IsWindow(window)) return kDesignDpi;
    static const auto forWindow = UserFunction<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (forWindow) {
        const UINT dpi = forWindow(window);
        if (dpi != 0) return dpi;
    }
    const gdi::WindowDC dc(window);
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

UINT SystemDpi() {
    static const auto forSystem = UserFunction<UINT(WINAPI*)()>("GetDpiForSystem");
    if (forSystem) {
        const UINT dpi = forSystem();
        if (dpi != 0) return dpi;
    }
    const gdi::WindowDC screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

UINT WindowDpi(HWND window) {
    if (const WindowRecord* record = RecordAt(FindWindowPosition(window))) return record->Dpi;
    return SystemDpiOfWindow(window);
}

int ScaleForWindow(HWND window, int size) {
    return ScaleToDpi(size, WindowDpi(window));
}

DpiAwareness CurrentDpiAwareness() {
    static const auto getContext = UserFunction<GetContextFunction>("GetThreadDpiAwarenessContext");
    static const auto equal = UserFunction<ContextsEqualFunction>("AreDpiAwarenessContextsEqual");
    static const auto awarenessOf =
        UserFunction<AwarenessOfContextFunction>("GetAwarenessFromDpiAwarenessContext");
    if (getContext && awarenessOf) {
        const HANDLE context = getContext();
        if (equal && equal(context, kContextPerMonitorV2)) return DpiAwareness::PerMonitorV2;
        const int awareness = awarenessOf(context);
        if (awareness >= 0 && awareness <= 2) return static_cast<DpiAwareness>(awareness);
    }
    static const auto isAware = UserFunction<BOOL(WINAPI*)()>("IsProcessDPIAware");
    return isAware && isAware() ? DpiAwareness::System : DpiAwareness::Unaware;
}

DpiAwareness MakeProcessDpiAware() {
    // Each step is tried only while the process is less aware than it asks for: a manifest
    // or an earlier call may already have fixed it, and the system keeps the first setting.
    static const auto setContext =
        UserFunction<SetContextFunction>("SetProcessDpiAwarenessContext");
    if (setContext && CurrentDpiAwareness() < DpiAwareness::PerMonitorV2)
        if (!setContext(kContextPerMonitorV2) && CurrentDpiAwareness() < DpiAwareness::PerMonitor)
            setContext(kContextPerMonitor);
    if (CurrentDpiAwareness() < DpiAwareness::PerMonitor) {
        // Windows 8.1 has per-monitor awareness only through the shell's call.
        if (HMODULE shell = LoadLibraryA("shcore.dll")) {
            const auto set = reinterpret_cast<SetProcessAwarenessFunction>(
                reinterpret_cast<void*>(GetProcAddress(shell, "SetProcessDpiAwareness")));
            if (set) set(2); // PROCESS_PER_MONITOR_DPI_AWARE
            // shcore stays loaded: the awareness it set lives in the process, not the module.
        }
    }
    if (CurrentDpiAwareness() < DpiAwareness::System) {
        static const auto setAware = UserFunction<BOOL(WINAPI*)()>("SetProcessDPIAware");
        if (setAware) setAware();
    }
    return CurrentDpiAwareness();
}

} // namespace skin
