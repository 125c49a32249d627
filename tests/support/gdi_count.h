// Counting the process's GDI objects, for leak tests.
#pragma once
#include <windows.h>

namespace testing_support {

// Number of GDI objects (DCs, bitmaps, brushes, pens, regions, fonts) this process holds.
// On Windows this is GetGuiResources(GR_GDIOBJECTS); under Wine, where that call is a stub,
// the in-use entries of the GDI handle table that the PEB points at are counted instead.
int GdiObjectCount();

// Number of windows owned by the calling thread (top-level windows and their children).
int ThreadWindowCount();

} // namespace testing_support
