// Precompiled for the drawing-object library: the Windows headers and the GDI+ headers that
// nearly every wrapper source reads.
#pragma once

#include "system.h"

#include <objidl.h>
#include <gdiplus.h>
