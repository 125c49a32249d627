// A control's opaque frame rings as drawn, with the looks they show: a plain type held by the
// records of the families that draw a ring (the painting is skin/controls/framework.cpp).
#pragma once
#include <windows.h>

#include <cstddef>
#include <vector>

#include "skin/core/gdi_owners.h"

namespace skin {

struct KeptRing {
    // Everything the ring's picture depends on: the frame's geometry, the state, the accent
    // and the control's DPI (the ring's widths are 96-dpi sizes).
    struct Look {
        int w = 0, h = 0, ox = 0, oy = 0, iw = 0, ih = 0;
        bool hot = false, focused = false;
        COLORREF accent = 0;
        UINT dpi = 96;
        bool operator==(const Look&) const = default;
    };
    // One ring per look the control shows in turn (normal, hot, focused), so the pointer or the
    // focus coming and going puts a ring back rather than drawing it again.
    struct Entry {
        Look Shown;
        // plus::CallsFailed() when the ring was drawn: it holds only while no call has failed
        // since (short of handles, GDI+ can leave out a part and still answer Ok).
        int FailedBefore = 0;
        // The ring's four bands, in two pictures no larger than they are: the top and bottom
        // bands one above the other (as wide as the frame), the left and right bands side by
        // side (as high as the inner box). Empty until drawn, and when a picture could not be
        // made.
        gdi::Bitmap Across, Sides;
        unsigned long long Used = 0; // when it was last put back (the least recent goes)
    };
    static constexpr std::size_t kLooks = 3;
    std::vector<Entry> Entries;
    unsigned long long Clock = 0;
};

} // namespace skin
