// The GDI owners must give back every object they hold, whichever way they are left.
#include <gtest/gtest.h>

#include "skin/core/gdi_owners.h"
#include "support/gdi_count.h"

using testing_support::GdiObjectCount;

namespace {
// Wine creates some objects of its own the first time a DC or DIB section is made; count from
// after that.
int WarmBaseline() {
    gdi::MemoryDC warm = gdi::MemoryDC::Create();
    warm.Adopt(gdi::CreateArgbBitmap(1, 1));
    warm.reset();
    return GdiObjectCount();
}
} // namespace

TEST(GdiOwners, MemoryDcDeletesOwnedBitmapsAndPutsTheOriginalBack) {
    const int baseline = WarmBaseline();
    {
        auto dc = gdi::MemoryDC::Create();
        ASSERT_TRUE(dc);
        const HBITMAP original = dc.original();
        ASSERT_NE(original, nullptr);
        dc.Adopt(gdi::CreateArgbBitmap(10, 10));
        const HBITMAP first = dc.bitmap();
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), first);
        dc.Adopt(gdi::CreateArgbBitmap(20, 20)); // replaces and deletes the first
        EXPECT_EQ(GetObjectType(first), 0u);
        EXPECT_EQ(GdiObjectCount(), baseline + 2);
        gdi::MemoryDC moved = std::move(dc);
        EXPECT_FALSE(dc);
        EXPECT_EQ(moved.original(), original);
    }
    EXPECT_EQ(GdiObjectCount(), baseline);
}

TEST(GdiOwners, SelectionAndObjectRelease) {
    const int baseline = WarmBaseline();
    {
        auto dc = gdi::MemoryDC::Create();
        gdi::Brush brush(CreateSolidBrush(RGB(1, 2, 3)));
        const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_BRUSH);
        {
            gdi::Selection selected(dc.get(), brush.get());
            EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), brush.get());
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), before);
        gdi::Region region(CreateRectRgn(0, 0, 5, 5));
        HRGN given = region.release();
        EXPECT_FALSE(region);
        DeleteObject(given);
    }
    EXPECT_EQ(GdiObjectCount(), baseline);
}
