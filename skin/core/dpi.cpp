// The scaling rule, the DPI of a window and the process's awareness. The per-monitor calls
// exist only on newer systems (the programs also run on Windows 7), so they are looked up.
#include "skin/core/dpi.h"

#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"

#include <cstdint>
#include <utility>

namespace skin {
namespace {

template <typename Function> Function Lookup(HMODULE module, const char* name) {
    return module
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

// DPI_AWARENESS_CONTEXT values, which the Windows 7 headers this builds with lack.
const HANDLE kContextPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kContextPerMonitor = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));

DpiFunctions SystemFunctions() {
    DpiFunctions f;
    const HMODULE user = GetModuleHandleA("user32.dll");
    f.getDpiForWindow = Lookup<decltype(f.getDpiForWindow)>(user, "GetDpiForWindow");
    f.getDpiForSystem = Lookup<decltype(f.getDpiForSystem)>(user, "GetDpiForSystem");
    f.getThreadContext = Lookup<decltype(f.getThreadContext)>(user, "GetThreadDpiAwarenessContext");
    f.contextsEqual = Lookup<decltype(f.contextsEqual)>(user, "AreDpiAwarenessContextsEqual");
    f.awarenessOfContext =
        Lookup<decltype(f.awarenessOfContext)>(user, "GetAwarenessFromDpiAwarenessContext");
    f.setProcessContext =
        Lookup<decltype(f.setProcessContext)>(user, "SetProcessDpiAwarenessContext");
    f.isProcessAware = Lookup<decltype(f.isProcessAware)>(user, "IsProcessDPIAware");
    f.setProcessAware = Lookup<decltype(f.setProcessAware)>(user, "SetProcessDPIAware");
    // Windows 8.1 has per-monitor awareness only through the shell's calls. shcore stays
    // loaded: the awareness it sets lives in the process, not the module.
    const HMODULE shell = LoadLibraryA("shcore.dll");
    f.setProcessAwareness =
        Lookup<decltype(f.setProcessAwareness)>(shell, "SetProcessDpiAwareness");
    f.getProcessAwareness =
        Lookup<decltype(f.getProcessAwareness)>(shell, "GetProcessDpiAwareness");
    return f;
}

DpiFunctions& Functions() {
    static DpiFunctions functions = SystemFunctions();
    return functions;
}

} // namespace

int ScaleBetweenDpi(int size, UINT from, UINT to) {
    if (from == 0) from = kDesignDpi;
    if (to == 0) to = kDesignDpi;
    const std::int64_t product = static_cast<std::int64_t>(size) * to;
    const std::int64_t divisor = from;
    const std::int64_t half = divisor / 2;
    const std::int64_t scaled =
        product >= 0 ? (product + half) / divisor : -((-product + half) / divisor);
    return static_cast<int>(scaled);
}

int ScaleToDpi(int size, UINT dpi) {
    return ScaleBetweenDpi(size, kDesignDpi, dpi);
}

UINT SystemDpiOfWindow(HWND window) {
    if (!window || !IsWindow(window)) return kDesignDpi;
    if (const auto forWindow = Functions().getDpiForWindow) {
        const UINT dpi = forWindow(window);
        if (dpi != 0) return dpi;
    }
    const gdi::WindowDC dc(window);
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

UINT SystemDpi() {
    if (const auto forSystem = Functions().getDpiForSystem) {
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

const DpiFunctions& CurrentDpiFunctions() {
    return Functions();
}

DpiFunctions ReplaceDpiFunctions(const DpiFunctions& functions) {
    return std::exchange(Functions(), functions);
}

DpiAwareness CurrentDpiAwareness() {
    const DpiFunctions& f = Functions();
    if (f.getThreadContext && f.awarenessOfContext) {
        const HANDLE context = f.getThreadContext();
        if (f.contextsEqual && f.contextsEqual(context, kContextPerMonitorV2))
            return DpiAwareness::PerMonitorV2;
        const int awareness = f.awarenessOfContext(context);
        if (awareness >= 0 && awareness <= 2) return static_cast<DpiAwareness>(awareness);
    }
    // Windows 8.1: the shell knows per-monitor awareness, IsProcessDPIAware only "aware".
    int awareness = -1;
    if (f.getProcessAwareness && SUCCEEDED(f.getProcessAwareness(nullptr, &awareness)) &&
        awareness >= 0 && awareness <= 2)
        return static_cast<DpiAwareness>(awareness);
    return f.isProcessAware && f.isProcessAware() ? DpiAwareness::System : DpiAwareness::Unaware;
}

DpiAwareness MakeProcessDpiAware() {
    // Each step is tried only while the process is less aware than it asks for: a manifest
    // or an earlier call may already have fixed it, and the system keeps the first setting.
    const DpiFunctions& f = Functions();
    if (f.setProcessContext && CurrentDpiAwareness() < DpiAwareness::PerMonitorV2)
        if (!f.setProcessContext(kContextPerMonitorV2) &&
            CurrentDpiAwareness() < DpiAwareness::PerMonitor)
            f.setProcessContext(kContextPerMonitor);
    if (f.setProcessAwareness && CurrentDpiAwareness() < DpiAwareness::PerMonitor)
        f.setProcessAwareness(2); // PROCESS_PER_MONITOR_DPI_AWARE
    if (f.setProcessAware && CurrentDpiAwareness() < DpiAwareness::System) f.setProcessAware();
    return CurrentDpiAwareness();
}

} // namespace skin
