// Precompiled for the C++ sources of the libraries, programs and tests: the Windows headers,
// which every source reads and which cost more to parse than most of our files to compile.
// Only C headers: GCC 12 reads C++ standard headers back from a precompiled header without
// their mark as system headers, and its false -Warray-bounds and -Wstringop-overflow reports
// inside std::string's inlined copies would then show in our sources.
#pragma once

#include <windows.h>
#include <commctrl.h>
