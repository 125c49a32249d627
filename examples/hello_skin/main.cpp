// hello_skin: one window skinned by the Varnel skin engine, with a caption, its minimize,
// maximize and close buttons, a theme colour and a status bar with one line of text.
#include <windows.h>

#include "plus/plus_object.h"
#include "skin/core/skin_engine.h"

namespace {

constexpr COLORREF kThemeColour = RGB(0x2E, 0x8B, 0x57);

LRESULT CALLBACK HelloProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    // The engine first, then GDI+ (the engine shuts it down again), the caption icon (the engine
    // destroys it) and the options' start values.
    skin::CreateTheSkin();
    skin::Engine.PlusToken = plus::StartupGdiPlus();
    skin::Engine.AppIcon = CopyIcon(LoadIconA(nullptr, IDI_APPLICATION));
    skin::SetStartupOptions();

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HelloProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "HelloSkin";
    RegisterClassA(&windowClass);
    // No system frame: the skin draws the caption and its buttons (one per box style).
    HWND window = CreateWindowExA(0, "HelloSkin", "Hello, skin",
                                  WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 100, 100,
                                  420, 260, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;

    skin::TheSkin->SetTheme({}, {}, kThemeColour);
    // A 40-pixel caption with the title, a resizable frame, and a 22-pixel status bar with one
    // pane spanning it.
    skin::TheSkin->SkinWindow(window, 40, /*hasCaption=*/1, /*resizable=*/1, /*helpButton=*/0,
                              /*menuButton=*/0, /*showTitle=*/1, /*captionGloss=*/0,
                              /*statusHeight=*/22);
    skin::TheSkin->SetStatusPane(window, 1, "Hello from the skin engine");
    ShowWindow(window, show);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // Releases what the engine still holds and shuts GDI+ down.
    skin::DestroyTheSkin();
    return static_cast<int>(message.wParam);
}
