#include "app/startup.h"

namespace varnel {

StartOptions& ProgramOptions() {
    static StartOptions options;
    return options;
}

void SetOptionStartValues(StartOptions& options) {
    options.firstPaint = 1;
    options.controlSkinsEnabled = 1;
    options.controlAlpha = 160;
    options.accentColour = 0x00DDCA22;
    options.trackBarFrame = 1;
}

HICON LoadAppIcon(HMODULE module) {
    if (HICON icon = LoadIconA(module, MAKEINTRESOURCEA(129))) return icon;
    return LoadIconA(module, "DEFAULT_ICON");
}

} // namespace varnel
