// Process entry: start-up, the message loop, and exit.
#include "app/main_window.h"
#include "app/runtime.h"
#include "app/startup.h"
#include "app/win_handles.h"

using namespace varnel;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Runtime services: from here on a failed allocation ends in the fatal-error report.
    InstallAllocationFailureReport();
    // The page view may host the system browser control, which needs OLE on this thread.
    const OleScope ole;

    // Global objects: the skin engine object is constructed here, before anything else of the
    // program, and its exit routine registered; the engine is not part of the program yet.

    // Application initialisation.
    // GDI+ starts here once the drawing-object library is part of the program.
    // The icon is destroyed on exit; the skin engine takes it over when it joins.
    const IconHandle appIcon(LoadAppIcon(instance));
    SetOptionStartValues(ProgramOptions());

    MainWindow mainWindow;
    // Its creation handler, which hands the window to the skin engine, joins with the engine.
    if (!mainWindow.Load()) return -1;
    return RunMessageLoop();
}
