// Sizes at the window's DPI. Every pixel size the skin draws with is designed at 96 dpi and
// goes through ScaleToDpi before it reaches the screen, so a window at 96 dpi looks exactly as
// it always did and a window at 144 or 192 dpi gets the same picture, larger and crisp.
#pragma once
#include <windows.h>

namespace skin {

// The DPI every size in the skin is designed at.
inline constexpr UINT kDesignDpi = 96;

// Messages of per-monitor awareness that the Windows 7 headers this builds with lack.
inline constexpr UINT kDpiChangedBeforeParent = 0x02E2; // WM_DPICHANGED_BEFOREPARENT
inline constexpr UINT kDpiChangedAfterParent = 0x02E3;  // WM_DPICHANGED_AFTERPARENT

// The one rule: a size of `size` pixels at 96 dpi is round(size x dpi / 96) pixels at `dpi`,
// halves away from zero (so a size and its negative scale alike). A DPI of 0 counts as 96.
int ScaleToDpi(int size, UINT dpi);

// The same rule from another DPI than 96: round(size x to / from), halves away from zero, for
// a size that was measured at `from` (a control's font, read from the window at its DPI then).
// ScaleToDpi(size, dpi) is ScaleBetweenDpi(size, 96, dpi). A DPI of 0 counts as 96.
int ScaleBetweenDpi(int size, UINT from, UINT to);

// The DPI a window is shown at by the system: GetDpiForWindow where the system has it, else
// the LOGPIXELSX of the window's DC (system DPI). 96 for a null or destroyed window.
UINT SystemDpiOfWindow(HWND window);

// The system DPI (GetDpiForSystem where the system has it, else the screen's LOGPIXELSX): the
// DPI a new window starts at on the primary monitor, for laying it out before it exists.
UINT SystemDpi();

// The DPI the engine draws a skinned window at: taken at SkinWindow, then whatever the last
// WM_DPICHANGED carried. For a window the engine has not skinned, SystemDpiOfWindow.
UINT WindowDpi(HWND window);

// A caller's own 96-dpi size scaled the way the engine scales its own sizes for `window`.
int ScaleForWindow(HWND window, int size);

// How the process is DPI aware, as the system reports it (not as it was asked).
enum class DpiAwareness { Unaware = 0, System = 1, PerMonitor = 2, PerMonitorV2 = 3 };

// Makes the process per-monitor aware: per-monitor v2 where the system accepts it, else
// per-monitor v1, else system aware. Call it first thing in a program's WinMain, before any
// window exists; a process whose awareness is already fixed (by its manifest, or by an
// earlier call) keeps it. Returns the awareness the process has afterwards.
DpiAwareness MakeProcessDpiAware();

// The awareness the calling thread runs with now.
DpiAwareness CurrentDpiAwareness();

// The system's DPI functions the engine calls, looked up once (older systems lack them; null
// where the system has none). Replaceable, so the choices made on systems of every kind can be
// tried on one.
struct DpiFunctions {
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    UINT(WINAPI* getDpiForSystem)() = nullptr;
    HANDLE(WINAPI* getThreadContext)() = nullptr; // DPI_AWARENESS_CONTEXT
    BOOL(WINAPI* contextsEqual)(HANDLE, HANDLE) = nullptr;
    int(WINAPI* awarenessOfContext)(HANDLE) = nullptr;
    BOOL(WINAPI* setProcessContext)(HANDLE) = nullptr;
    HRESULT(WINAPI* setProcessAwareness)(int) = nullptr;          // shcore (Windows 8.1)
    HRESULT(WINAPI* getProcessAwareness)(HANDLE, int*) = nullptr; // shcore
    BOOL(WINAPI* isProcessAware)() = nullptr;
    BOOL(WINAPI* setProcessAware)() = nullptr;
};

// The functions in use; ReplaceDpiFunctions puts others in their place and returns the ones
// it replaced (the system's, the first time).
const DpiFunctions& CurrentDpiFunctions();
DpiFunctions ReplaceDpiFunctions(const DpiFunctions& functions);

} // namespace skin
