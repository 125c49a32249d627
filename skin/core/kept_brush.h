// A translucent control's colour brush as last answered: a plain type held by the records of
// the families that answer colour requests for a control (the making is in
// skin/controls/framework.cpp).
#pragma once

#include "skin/core/gdi_owners.h"

#include <cstdint>
#include <vector>

namespace skin {

// The washed picture of the background behind a control's client area as a pattern brush,
// with what it was made from: the background's pixels and the control alpha of the wash. The
// brush is answered again while both are the same (a field asks for its brush at every paint),
// and made anew when the window's picture, the control's place or size or the alpha changed.
struct KeptBrush {
    gdi::Bitmap Picture;
    gdi::Brush Brush;
    std::vector<std::uint32_t> Under; // empty: nothing to compare with, made anew next time
    int Alpha = -1;
    // plus::CallsFailed() when the wash was drawn: the brush holds only while no call has
    // failed since (short of handles, GDI+ can leave out a part and still answer Ok).
    int FailedBefore = 0;
};

} // namespace skin
