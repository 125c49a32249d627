// Process entry: start-up, the message loop, and exit.
#include "app/main_window.h"
#include "app/runtime.h"
#include "app/startup.h"
#include "app/startup_probe.h"
#include "app/win_handles.h"
#include "plus/plus_object.h"
#include "skin/core/dpi.h"
#include "skin/core/skin_engine.h"

using namespace varnel;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    startup_probe::NoteEntry();
    // Per-monitor DPI aware before any window exists: the skin draws at each window's DPI,
    // so the system must not stretch the window's pixels.
    skin::MakeProcessDpiAware();
    // 1. Runtime services: from here on a failed allocation ends in the fatal-error report.
    InstallAllocationFailureReport();
    // The page view may host the system browser control, which needs OLE on this thread.
    const OleScope ole;
    startup_probe::Mark("runtime_ms");

    // 2. Global objects: the skin engine, before anything else of the program, with its empty
    // window list.
    skin::CreateTheSkin();
    // 3. The exit routine runs when WinMain returns, after the message loop and after the main
    // window is gone: it frees what the engine still holds, destroys the icon and shuts GDI+
    // down with the token kept below.
    const struct SkinExit {
        ~SkinExit() { skin::DestroyTheSkin(); }
    } skinExit;

    // 4. Application initialisation: GDI+, the program icon, the engine's option values.
    skin::Engine.PlusToken = plus::StartupGdiPlus();
    startup_probe::Mark("gdiplus_ms");
    skin::Engine.AppIcon = LoadAppIcon(instance);
    skin::SetStartupOptions();
    startup_probe::Mark("icon_options_ms");

    // 5. The main window. Its creation event hands it to the skin engine before it is shown.
    MainWindow mainWindow;
    // (Left plain only when the start-up benchmark compares the two.)
    if (!mainWindow.Load(MainWindow::DefaultSettings(),
                         startup_probe::SkinsMainWindow()
                             ? MainWindow::CreatedHandler(OnMainWindowCreated)
                             : MainWindow::CreatedHandler()))
        return -1;
    // 6. Until the window closes.
    return RunMessageLoop();
}
