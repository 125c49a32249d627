// The back buffer when the system says no: no bitmap of the window's size, a drawing object
// refused while composing. The last good image stays and the window stays stale until a
// rebuild composes the whole image.
#include "compose_fixture.h"

#include "plus/plus_brush.h"
#include "plus/plus_faults.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "plus/plus_region.h"
#include "skin/core/composition_types.h"
#include "skin/images/skin_pictures.h"
#include "skin/services/back_buffer.h"
#include "support/gdi_hog.h"
#include "support/windows.h"

#include <functional>

using compose_test::ComposedWindow;
using compose_test::CompositionTest;
using testing_support::ColoursNear;
using testing_support::GdiHog;

namespace {

constexpr COLORREF kTheme = 0x00FF8800;

void Resize(HWND window, int width, int height) {
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

TEST_F(CompositionTest, WithoutABitmapOfTheNewSizeTheLastImageStaysAndTheWindowStaysStale) {
    ComposedWindow w({.width = 200, .height = 150, .hasCaption = false});
    skin::WindowRecord& record = w.record();
    skin::TheSkin->RebuildBackground(w.position());
    ASSERT_EQ(record.BackgroundStale, 0);
    const HBITMAP first = record.BackBufferDC.bitmap();
    {
        GdiHog hog;
        ASSERT_GT(hog.TakeAll(), 1000u);
        // Larger than the room the first bitmap had: a new one is needed and refused.
        Resize(w.hwnd(), 600, 500);
        {
            const HDC screen = GetDC(w.hwnd());
            const RECT all{0, 0, 600, 500};
            FillRect(screen, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            ReleaseDC(w.hwnd(), screen);
        }
        skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
        EXPECT_EQ(record.BackBufferDC.bitmap(), first);
        EXPECT_EQ(record.BackBufferSize.cx, 200);
        EXPECT_EQ(record.BackBufferSize.cy, 150);
        EXPECT_EQ(record.BackgroundStale, 1);
        EXPECT_TRUE(record.ShortRebuild);
        // The region of the new size could not be made either; it is not remembered as set.
        EXPECT_EQ(record.RegionSize.cx, -1);
        EXPECT_TRUE(ColoursNear(w.BufferPixel(100, 75), kTheme, 2));
    }
    // What the short rebuild showed over the blackened window: the last good image, from the
    // window's corner (the region is still the old size's, so nothing beside it shows).
    for (const POINT& pt : {POINT{0, 75}, POINT{100, 75}, POINT{199, 75}, POINT{100, 149}})
        EXPECT_TRUE(ColoursNear(w.ScreenPixel(pt.x, pt.y), kTheme, 2)) << pt.x << "," << pt.y;
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    EXPECT_NE(record.BackBufferDC.bitmap(), first);
    EXPECT_EQ(record.BackBufferSize.cx, 600);
    EXPECT_EQ(record.BackBufferSize.cy, 500);
    EXPECT_EQ(record.RegionSize.cx, 600);
    EXPECT_EQ(record.RegionSize.cy, 500);
    EXPECT_EQ(record.BackgroundStale, 0);
    EXPECT_FALSE(record.ShortRebuild);
    EXPECT_TRUE(ColoursNear(w.BufferPixel(550, 450), kTheme, 2));
}

TEST_F(CompositionTest, ARegionThatCannotBeSetIsTriedAgain) {
    ComposedWindow w({.width = 200, .height = 150, .hasCaption = false});
    skin::WindowRecord& record = w.record();
    skin::TheSkin->RebuildBackground(w.position());
    Resize(w.hwnd(), 180, 140); // the bitmap still holds it: only the region needs a handle
    {
        GdiHog hog;
        ASSERT_GT(hog.TakeAll(), 1000u);
        EXPECT_FALSE(skin::SetRoundRegion(w.hwnd()));
        skin::TheSkin->RebuildBackground(w.position());
        EXPECT_EQ(record.RegionSize.cx, -1);
        EXPECT_EQ(record.BackgroundStale, 1);
    }
    skin::TheSkin->RebuildBackground(w.position());
    EXPECT_EQ(record.RegionSize.cx, 180);
    EXPECT_EQ(record.RegionSize.cy, 140);
    EXPECT_EQ(record.BackgroundStale, 0);
    EXPECT_TRUE(skin::SetRoundRegion(w.hwnd()));
}

TEST_F(CompositionTest, ADrawingObjectRefusedWhileComposingLeavesTheWindowStale) {
    ComposedWindow w({.width = 300, .height = 200});
    skin::WindowRecord& record = w.record();
    struct Case {
        int refused; // 0: none
        int stale;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {2, 1}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refused);
        plus::RefuseCreation(c.refused);
        skin::TheSkin->RebuildBackground(w.position());
        plus::RefuseCreation(0);
        EXPECT_EQ(record.BackgroundStale, c.stale);
        // A short rebuild is remembered until a whole one has the children laid out again.
        EXPECT_EQ(record.ShortRebuild, c.stale == 1);
    }
}

TEST(PlusFaults, TheNthCreationAloneIsRefused) {
    struct Case {
        int refused;
        std::vector<bool> made; // four creations in a row
    };
    const Case cases[] = {
        {0, {true, true, true, true}},
        {1, {false, true, true, true}},
        {3, {true, true, false, true}},
        {5, {true, true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refused);
        const int outOfMemory = plus::CreationsOutOfMemory();
        plus::RefuseCreation(c.refused);
        std::vector<bool> made;
        for (int i = 0; i < 4; ++i) {
            plus::PlusSolidBrush brush;
            made.push_back(brush.Create(0xFF102030));
            if (!made.back()) {
                EXPECT_EQ(plus::LastStatus(), 3); // OutOfMemory
            }
        }
        EXPECT_EQ(plus::CreationsAsked(), 4);
        plus::RefuseCreation(0);
        EXPECT_EQ(made, c.made);
        const int refusedNow = (c.refused >= 1 && c.refused <= 4) ? 1 : 0;
        EXPECT_EQ(plus::CreationsOutOfMemory() - outOfMemory, refusedNow);
    }
}

// A picture or font refused for want of memory is asked for again; bytes that do not decode are
// not (a hover animation would decode them on every frame).
TEST(PlusFaults, CachesRetryARefusalButNotABadPicture) {
    const skin::ByteSet good = skin::ToByteSet(skin::MinimizeButtonImage);
    const skin::ByteSet bad{1, 2, 3, 4};
    struct Case {
        const skin::ByteSet* bytes;
        int refused;         // creation refused on the first request (0: none)
        bool first, second;  // a picture on the first and the second request
        int secondCreations; // creations the second request asked for
    };
    const Case cases[] = {
        {&good, 0, true, true, 0},
        {&good, 1, false, true, 1},
        {&bad, 0, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refused);
        skin::PictureCache cache;
        plus::RefuseCreation(c.refused);
        EXPECT_EQ(cache.Get(*c.bytes) != nullptr, c.first);
        plus::RefuseCreation(0);
        EXPECT_EQ(cache.Get(*c.bytes) != nullptr, c.second);
        EXPECT_EQ(plus::CreationsAsked(), c.secondCreations);
    }

    skin::FontCache fonts;
    // The family is made first, then the font: either refused leaves no font, and the next
    // request makes it.
    for (int refused : {1, 2}) {
        SCOPED_TRACE(refused);
        fonts = skin::FontCache();
        plus::RefuseCreation(refused);
        EXPECT_EQ(fonts.Get("Tahoma", 12, 0, 2).GetHandle(), nullptr);
        plus::RefuseCreation(0);
        EXPECT_NE(fonts.Get("Tahoma", 12, 0, 2).GetHandle(), nullptr);
        EXPECT_EQ(plus::CreationsAsked(), 2);
        // Kept now: the same request again makes nothing.
        EXPECT_NE(fonts.Get("Tahoma", 12, 0, 2).GetHandle(), nullptr);
        EXPECT_EQ(plus::CreationsAsked(), 2);
    }
    // A refused request for another font leaves none, not the last one standing in for it.
    plus::RefuseCreation(1);
    EXPECT_EQ(fonts.Get("Tahoma", 20, 0, 2).GetHandle(), nullptr);
    plus::RefuseCreation(0);
    EXPECT_NE(fonts.Get("Tahoma", 20, 0, 2).GetHandle(), nullptr);
}

// A path or region whose creation was refused is never handed to GDI+ (Wine's reads it without a
// null check: drawing one crashed inside the paint, and the crash, swallowed by the system, left
// the paint's objects behind). Each call answers InvalidParameter and draws nothing; the same
// calls with shapes held draw.
TEST(PlusFaults, ShapesThatHoldNothingAreNotHandedToGdiPlus) {
    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(8, 8));
    plus::PlusGraphics graphics;
    ASSERT_TRUE(graphics.CreateFromImage(bitmap));
    plus::PlusPen pen;
    pen.CreatePen(0xFFFF0000, 3);
    plus::PlusSolidBrush brush;
    brush.Create(0xFF00FF00);
    for (const bool held : {false, true}) {
        SCOPED_TRACE(held);
        plus::PlusPath path;
        plus::PlusRegion region;
        if (held) {
            path.CreatePath();
            path.AddRectangle(1, 1, 5, 5);
            region.Create();
        }
        const int expected = held ? plus::Ok : plus::InvalidParameter;
        struct Call {
            const char* name;
            std::function<bool()> run;
        };
        const Call calls[] = {
            {"DrawPath", [&] { return graphics.DrawPath(pen, path); }},
            {"FillPath", [&] { return graphics.FillPath(brush, path); }},
            {"FillRegion", [&] { return graphics.FillRegion(brush, region); }},
            {"SetClipPath", [&] { return graphics.SetClipPath(path, 0); }},
            {"SetClipRegion", [&] { return graphics.SetClipRegion(region, 0); }},
        };
        for (const Call& c : calls) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(c.run(), held);
            EXPECT_EQ(plus::LastStatus(), expected);
            graphics.ResetClip();
        }
        const plus::ARGB centre = bitmap.GetPixel(3, 3);
        // Only the held shapes were filled (the region held is infinite: the whole bitmap).
        EXPECT_EQ(centre, held ? 0xFF00FF00u : 0u);
    }
}
