// Process entry: start-up, the message loop, and exit.
#include "app/main_window.h"
#include "app/runtime.h"
#include "app/startup.h"
#include "app/win_handles.h"
#include "plus/plus_object.h"
#include "skin/core/skin_engine.h"

using namespace varnel;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Runtime services: from here on a failed allocation ends in the fatal-error report.
    InstallAllocationFailureReport();
    // The page view may host the system browser control, which needs OLE on this thread.
    const OleScope ole;

    // Global objects: the skin engine, before anything else of the program. Its exit routine
    // runs when WinMain returns, after the message loop and after the main window is gone: it
    // destroys the icon and shuts GDI+ down with the token kept here.
    skin::CreateTheSkin();
    const struct SkinExit {
        ~SkinExit() { skin::DestroyTheSkin(); }
    } skinExit;

    // Application initialisation.
    skin::Engine.PlusToken = plus::StartupGdiPlus();
    skin::Engine.AppIcon = LoadAppIcon(instance);
    skin::SetStartupOptions();

    MainWindow mainWindow;
    // Its creation handler, which hands the window to the skin engine, joins with the engine.
    if (!mainWindow.Load()) return -1;
    return RunMessageLoop();
}
