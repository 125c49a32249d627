// The gallery program: start-up as the application's, one gallery window, the message loop, and
// the same orderly exit.
#include "app/main_window.h"
#include "app/runtime.h"
#include "app/startup.h"
#include "gallery/gallery_window.h"
#include "plus/plus_object.h"
#include "skin/core/dpi.h"
#include "skin/core/skin_engine.h"

#include <commctrl.h>
#include <cstring>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // Per-monitor DPI aware before any window exists (see the program's start-up).
    skin::MakeProcessDpiAware();
    varnel::InstallAllocationFailureReport();
    // The common-control classes the later control families live in.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);

    skin::CreateTheSkin();
    // Runs when WinMain returns, after the message loop and after the window is gone.
    const struct SkinExit {
        ~SkinExit() { skin::DestroyTheSkin(); }
    } skinExit;

    skin::Engine.PlusToken = plus::StartupGdiPlus();
    skin::Engine.AppIcon = varnel::LoadAppIcon(instance);
    skin::SetStartupOptions();

    // "--translucent" starts with translucent controls; the window's switch changes it later.
    gallery::GalleryWindow::Options options;
    if (commandLine && std::strstr(commandLine, "--translucent"))
        options.mode = gallery::ControlMode::Translucent;
    gallery::GalleryWindow window;
    if (!window.Create(options)) return -1;
    return varnel::RunMessageLoop();
}
