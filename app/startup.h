// Program-wide values set up at start-up.
#pragma once
#include <windows.h>

namespace varnel {

// Option values the program starts with. They live here until the skin engine, which reads
// them, owns its engine-wide state.
struct StartOptions {
    int firstPaint = 0;
    int controlSkinsEnabled = 0;
    int controlAlpha = 0;
    COLORREF accentColour = 0;
    int trackBarFrame = 0;
};
StartOptions& ProgramOptions();
// Sets the start values, in the order the start-up sequence gives them.
void SetOptionStartValues(StartOptions& options);

// The program icon of `module`: resource 129, else the icon named "DEFAULT_ICON", else null.
HICON LoadAppIcon(HMODULE module);

} // namespace varnel
