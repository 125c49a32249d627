// A skinned window at the limits of its geometry: no client at all, one pixel, far larger than
// the screen, and minimized and restored while a paint waits. Each gets a back buffer no larger
// than it needs and the region of the size it has.
#include "skinned_window_fixture.h"

#include "skin/services/back_buffer.h"
#include "skin/services/direct_pixels.h"

#include <algorithm>
#include <string>

using namespace toplevel_testing;

namespace {

SIZE BitmapSize(const skin::WindowRecord& record) {
    const skin::PixelRows rows = skin::PixelRowsOf(record.BackBufferDC.bitmap());
    return SIZE{rows.width, rows.height};
}

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) != 0;
}

// Which of five points the window's region holds: the top-left corner (cut off by the rounding),
// the middle of the top, left, right and bottom edges. "-----" for no region.
std::string RegionPoints(HWND window, int width, int height) {
    gdi::Region region(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(window, region.get()) == ERROR) return "-----";
    const POINT points[] = {
        {0, 0}, {width / 2, 0}, {0, height / 2}, {width - 1, height / 2}, {width / 2, height - 1}};
    std::string held;
    for (const POINT& p : points)
        held += PtInRegion(region.get(), p.x, p.y) ? 'x' : '.';
    return held;
}

// The region a window of the size has: all but the rounded corners.
constexpr char kWholeRegion[] = ".xxxx";

class WindowGeometry : public SkinnedWindowTest {
protected:
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        skin::Engine.FirstPaint = 0; // as after the program's first WM_SIZE
    }
    void Resize(HWND window, int width, int height) {
        SetWindowPos(window, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateWindow(window);
        Pump(10);
    }
    const int screenWidth_ = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int screenHeight_ = GetSystemMetrics(SM_CYVIRTUALSCREEN);
};

} // namespace

TEST_F(WindowGeometry, AWindowMadeAtAnExtremeSizeGetsABackBufferOfExactlyThatSize) {
    struct Case {
        int width, height;
        SIZE bitmap;        // the back buffer's bitmap
        int stale;          // after the first paint
        const char* region; // RegionPoints
    };
    const Case cases[] = {
        // No client: nothing to compose and nothing to hold; the rebuild waits for a size.
        {0, 0, {0, 0}, 1, "-----"},
        {1, 1, {1, 1}, 0, nullptr},
        // Far wider or taller than the screen: exactly the window, no room to grow beyond it.
        {16000, 40, {16000, 40}, 0, kWholeRegion},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        HWND window = TopLevel(0, 0, c.width, c.height);
        const int p = SkinAndShow(window, 20);
        ASSERT_GE(p, 1);
        const skin::WindowRecord& record = *skin::RecordAt(p);
        EXPECT_TRUE(Answers(window));
        const SIZE bitmap = BitmapSize(record);
        EXPECT_EQ(bitmap.cx, c.bitmap.cx);
        EXPECT_EQ(bitmap.cy, c.bitmap.cy);
        EXPECT_EQ(record.BackgroundStale, c.stale);
        if (c.region) {
            EXPECT_EQ(RegionPoints(window, c.width, c.height), c.region);
        }
        if (c.stale == 0) {
            EXPECT_EQ(record.BackBufferSize.cx, c.width);
            EXPECT_EQ(record.BackBufferSize.cy, c.height);
        }
        // Given a size it composes at once, with a bitmap of just that size.
        Resize(window, 300, 200);
        EXPECT_EQ(record.BackgroundStale, 0);
        EXPECT_EQ(record.BackBufferSize.cx, 300);
        EXPECT_EQ(record.BackBufferSize.cy, 200);
        const SIZE grown = BitmapSize(record);
        EXPECT_GE(grown.cx, 300);
        EXPECT_GE(grown.cy, 200);
        EXPECT_LE(grown.cx, std::max(c.width, std::max(300, screenWidth_)));
        EXPECT_EQ(RegionPoints(window, 300, 200), kWholeRegion);
        DestroyWindow(window);
        Pump(10);
    }
}

TEST_F(WindowGeometry, AResizedWindowHoldsNoBitmapLargerThanItOrTheScreen) {
    HWND window = TopLevel(0, 0, 400, 300);
    const int p = SkinAndShow(window, 20);
    const skin::WindowRecord& record = *skin::RecordAt(p);
    struct Step {
        int width, height;
    };
    const Step steps[] = {{0, 0}, {1, 1}, {16000, 40}, {40, 16000}, {400, 0}, {400, 300}};
    HBITMAP last = record.BackBufferDC.bitmap();
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.width) + " x " + std::to_string(s.height));
        Resize(window, s.width, s.height);
        EXPECT_TRUE(Answers(window));
        const SIZE bitmap = BitmapSize(record);
        if (s.width == 0 || s.height == 0) {
            // Nothing to show: the last image is kept as it is for the window's next size, and
            // the region too.
            EXPECT_EQ(record.BackBufferDC.bitmap(), last);
            EXPECT_EQ(record.BackgroundStale, 1);
            continue;
        }
        EXPECT_EQ(record.BackgroundStale, 0);
        EXPECT_EQ(record.BackBufferSize.cx, s.width);
        EXPECT_EQ(record.BackBufferSize.cy, s.height);
        EXPECT_GE(bitmap.cx, s.width);
        EXPECT_GE(bitmap.cy, s.height);
        // Room to grow, but never past the screen in a direction the window fits it.
        EXPECT_LE(bitmap.cx, std::max(s.width, screenWidth_));
        EXPECT_LE(bitmap.cy, std::max(s.height, screenHeight_));
        EXPECT_LE(static_cast<long long>(bitmap.cx) * bitmap.cy,
                  2 * std::max(static_cast<long long>(s.width) * s.height, 64LL * 64));
        if (s.width > 1) {
            EXPECT_EQ(RegionPoints(window, s.width, s.height), kWholeRegion);
        }
        last = record.BackBufferDC.bitmap();
        // A rebuild at the same size (a theme change) keeps the bitmap it has.
        skin::TheSkin->RebuildBackground(p);
        EXPECT_EQ(record.BackBufferDC.bitmap(), last) << "made again for the same size";
    }
}

TEST_F(WindowGeometry, MinimizedAndRestoredWhileAPaintWaitsTheWindowKeepsItsImageAndRegion) {
    struct Way {
        const char* name;
        bool systemCommand; // WM_SYSCOMMAND, as the caption button does; else ShowWindow
    };
    for (const Way way : {Way{"system command", true}, Way{"ShowWindow", false}}) {
        SCOPED_TRACE(way.name);
        HWND window = TopLevel(20, 20, 400, 300);
        const int p = SkinAndShow(window, 20);
        const skin::WindowRecord& record = *skin::RecordAt(p);
        const HBITMAP bitmap = record.BackBufferDC.bitmap();
        const COLORREF middle = WindowPixel(window, 200, 150);

        InvalidateRect(window, nullptr, FALSE);
        if (way.systemCommand) {
            SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        } else {
            ShowWindow(window, SW_MINIMIZE);
        }
        ASSERT_TRUE(IsIconic(window));
        // Whatever paints while it is minimized, the image and the region stay those of the
        // window's real size.
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(record.BackBufferDC.bitmap(), bitmap);
        EXPECT_EQ(record.BackBufferSize.cx, 400);
        EXPECT_EQ(RegionPoints(window, 400, 300), kWholeRegion);

        InvalidateRect(window, nullptr, FALSE);
        if (way.systemCommand) {
            SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
        } else {
            ShowWindow(window, SW_RESTORE);
        }
        ASSERT_FALSE(IsIconic(window));
        // Right after the restore, before the waiting paint: the region of the whole window.
        EXPECT_EQ(RegionPoints(window, 400, 300), kWholeRegion);
        EXPECT_TRUE(HasPendingPaint(window) || record.BackgroundStale == 0);
        UpdateWindow(window);
        EXPECT_EQ(record.BackgroundStale, 0);
        EXPECT_EQ(record.BackBufferDC.bitmap(), bitmap) << "a bitmap made again for the same size";
        EXPECT_EQ(record.BackBufferSize.cx, 400);
        EXPECT_EQ(record.BackBufferSize.cy, 300);
        EXPECT_EQ(WindowPixel(window, 200, 150), middle);
        EXPECT_TRUE(Answers(window));
        DestroyWindow(window);
        Pump(10);
    }
}
