// Counting the process's GDI objects, for leak tests.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// Number of GDI objects (DCs, bitmaps, brushes, pens, regions, fonts) this process holds.
// On Windows this is GetGuiResources(GR_GDIOBJECTS); under Wine, where that call is a stub,
// the in-use entries of the GDI handle table that the PEB points at are counted instead.
int GdiObjectCount();

// The GDI handles in use, as (table index, object type) pairs, where that can be read (under Wine
// on x64); empty elsewhere. For finding what a leak test's extra objects are.
std::vector<std::pair<int, int>> GdiHandleSnapshot();

// "index:type" of each handle in `after` that is not in `before`, separated by spaces.
std::string NewGdiHandles(const std::vector<std::pair<int, int>>& before,
                          const std::vector<std::pair<int, int>>& after);

// Number of windows owned by the calling thread (top-level windows and their children).
int ThreadWindowCount();

} // namespace testing_support
