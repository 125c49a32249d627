// Caption buttons under the system's hit-test codes, and the system menu (see caption_input.h).
#include "skin/core/caption_input.h"

#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"

namespace skin {
namespace {

// The window that took the capture at a press on one of its caption buttons, so the release
// comes back to it wherever the pointer is by then.
HWND pressedWindow = nullptr;

bool IsButtonCode(WPARAM code) {
    return code == HTMINBUTTON || code == HTMAXBUTTON || code == HTCLOSE || code == HTHELP;
}

POINT ClientPoint(HWND window, LPARAM screen) {
    POINT point{static_cast<short>(LOWORD(screen)), static_cast<short>(HIWORD(screen))};
    ScreenToClient(window, &point);
    return point;
}

LPARAM Packed(POINT point) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(point.x)),
                      static_cast<WORD>(static_cast<short>(point.y)));
}

void EnableCommand(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

} // namespace

int CaptionButtonHitCode(SkinEngine& engine, int position, POINT client) {
    const WindowRecord* record = RecordAt(position);
    if (!record || !record->HasCaption || IsIconic(record->Window)) return 0;
    const int button = engine.HitTestCaptionButton(position, client.x, client.y);
    if (button < 1) return 0;
    switch (record->CaptionButtons[static_cast<std::size_t>(button - 1)].Kind) {
        case kCloseButton: return HTCLOSE;
        case kMaximizeButton: return HTMAXBUTTON;
        case kMinimizeButton: return HTMINBUTTON;
        case kHandlerAButton: return HTHELP;
        default: return 0;
    }
}

void ShowSkinnedSystemMenu(int position, POINT screen) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return;
    const HWND window = record->Window;
    HMENU menu = GetSystemMenu(window, FALSE);
    if (!menu) return;
    const bool zoomed = IsZoomed(window) || record->IsMaximized;
    const bool iconic = IsIconic(window) != FALSE;
    EnableCommand(menu, SC_RESTORE, zoomed || iconic);
    EnableCommand(menu, SC_MOVE, !zoomed && !iconic);
    EnableCommand(menu, SC_MINIMIZE, record->MinimizeButton && !iconic);
    EnableCommand(menu, SC_MAXIMIZE, record->MaximizeButton && !zoomed);
    SetMenuDefaultItem(menu, SC_CLOSE, FALSE);
    const UINT command =
        static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                         screen.x, screen.y, 0, window, nullptr));
    if (command != 0 && IsWindow(window))
        SendMessageA(window, WM_SYSCOMMAND, command, MAKELPARAM(screen.x, screen.y));
}

std::optional<LRESULT> AnswerCaptionInput(SkinEngine& engine, int position, HWND window,
                                          UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = RecordAt(position);
    if (!record) return std::nullopt;
    switch (message) {
        case WM_NCHITTEST: {
            const int code = CaptionButtonHitCode(engine, position, ClientPoint(window, lParam));
            if (code != 0) return code;
            return std::nullopt;
        }
        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) != window || !IsButtonCode(LOWORD(lParam)))
                return std::nullopt;
            SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512))); // IDC_ARROW
            return TRUE;
        case WM_NCMOUSEMOVE: {
            if (!IsButtonCode(wParam)) return std::nullopt;
            // The pointer is inside the window: the client path must not ask for a client
            // leave, which would come at once; the non-client leave ends the hover instead.
            record->MouseInside = 1;
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof track;
            track.dwFlags = TME_LEAVE | TME_NONCLIENT;
            track.hwndTrack = window;
            TrackMouseEvent(&track);
            return engine.WindowProc(window, WM_MOUSEMOVE, 0, Packed(ClientPoint(window, lParam)));
        }
        case WM_NCMOUSEHOVER:
            if (!IsButtonCode(wParam)) return std::nullopt;
            record->MouseInside = 1;
            return 0;
        case WM_NCMOUSELEAVE:
            if (record->HotButton < 1 || pressedWindow == window) return std::nullopt;
            return engine.WindowProc(window, WM_MOUSELEAVE, 0, 0);
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK: {
            if (!IsButtonCode(wParam)) return std::nullopt;
            engine.WindowProc(window, WM_LBUTTONDOWN, MK_LBUTTON,
                              Packed(ClientPoint(window, lParam)));
            // Pressed: the release is this window's wherever it happens, as a client release.
            if (RecordAt(SkinnedPosition(window)) == record && engine.HotCaptionButton >= 1) {
                pressedWindow = window;
                SetCapture(window);
            }
            return 0;
        }
        case WM_NCLBUTTONUP:
            if (!IsButtonCode(wParam)) return std::nullopt;
            return engine.WindowProc(window, WM_LBUTTONUP, 0, Packed(ClientPoint(window, lParam)));
        case WM_NCRBUTTONDOWN:
        case WM_NCRBUTTONUP:
        case WM_NCRBUTTONDBLCLK:
        case WM_NCMBUTTONDOWN:
        case WM_NCMBUTTONUP:
        case WM_NCMBUTTONDBLCLK:
        case WM_NCXBUTTONDOWN:
        case WM_NCXBUTTONUP:
        case WM_NCXBUTTONDBLCLK:
            // Over a caption button the other mouse buttons do nothing.
            if (IsButtonCode(LOWORD(wParam))) return message >= WM_NCXBUTTONDOWN ? TRUE : 0;
            return std::nullopt;
        case WM_LBUTTONUP:
            if (pressedWindow == window) {
                pressedWindow = nullptr;
                ReleaseCapture();
            }
            return std::nullopt;
        case WM_CAPTURECHANGED:
            if (pressedWindow == window && reinterpret_cast<HWND>(lParam) != window)
                pressedWindow = nullptr;
            return std::nullopt;
        case WM_RBUTTONUP: {
            const POINT client{static_cast<short>(LOWORD(lParam)),
                               static_cast<short>(HIWORD(lParam))};
            const RECT row{record->ButtonsLeft, record->ButtonsTop,
                           record->ButtonsLeft + Px(*record, record->CaptionButtonsWidth) + 1,
                           record->ButtonsTop + record->ButtonsHeight + 1};
            if (!record->HasCaption || client.y < 0 ||
                client.y >= Px(*record, record->CaptionHeight) || PtInRect(&row, client))
                return std::nullopt;
            POINT screen = client;
            ClientToScreen(window, &screen);
            ShowSkinnedSystemMenu(position, screen);
            return 0;
        }
        default: return std::nullopt;
    }
}

} // namespace skin
