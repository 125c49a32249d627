#include "app/startup.h"

namespace varnel {

HICON LoadAppIcon(HMODULE module) {
    if (HICON icon = LoadIconA(module, MAKEINTRESOURCEA(129))) return icon;
    return LoadIconA(module, "DEFAULT_ICON");
}

} // namespace varnel
