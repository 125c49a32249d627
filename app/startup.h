// Program-wide values set up at start-up.
#pragma once
#include <windows.h>

namespace varnel {

// The program icon of `module`: resource 129, else the icon named "DEFAULT_ICON", else null.
HICON LoadAppIcon(HMODULE module);

} // namespace varnel
