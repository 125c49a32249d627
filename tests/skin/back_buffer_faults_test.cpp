// The back buffer when the system says no: no bitmap of the window's size, a drawing object
// refused while composing. The last good image stays and the window stays stale until a
// rebuild composes the whole image.
#include "compose_fixture.h"

#include "plus/plus_brush.h"
#include "plus/plus_faults.h"
#include "skin/services/back_buffer.h"
#include "support/gdi_hog.h"
#include "support/windows.h"

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
