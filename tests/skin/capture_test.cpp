// Background capture: the picture behind a control, copied from its skinned window's back
// buffer, and the bookkeeping that makes sure every captured DC is released.
#include "toplevel_fixture.h"

#include "skin/core/capture.h"
#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/gdi_owners.h"
#include "skin/services/direct_pixels.h"

using namespace toplevel_testing;
using skin::CaptureBackground;
using skin::CapturedDCCount;
using skin::ReleaseBackground;
using testing_support::ColoursNear;

namespace {

// A window class whose non-client area is exactly 2 pixels wide, plus 17 for a vertical or
// horizontal scroll bar when the style has one, so client sizes are known to the pixel.
LRESULT CALLBACK FixedFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCALCSIZE) {
        RECT& r = *reinterpret_cast<RECT*>(lParam);
        const LONG style = GetWindowLongA(window, GWL_STYLE);
        r.left += 2;
        r.top += 2;
        r.right -= 2 + ((style & WS_VSCROLL) ? 17 : 0);
        r.bottom -= 2 + ((style & WS_HSCROLL) ? 17 : 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

const char* FixedFrameClass() {
    static const char* name = RegisterTestClass("VarnelFixedFrame", FixedFrameProc);
    return name;
}

SIZE BitmapSizeOf(HDC dc) {
    BITMAP info{};
    GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof(info), &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

class CaptureTest : public SkinTest {};

} // namespace

TEST_F(CaptureTest, ClientRectInWindowCentresTheClientAndAllowsForScrollBars) {
    HWND host = TopLevel(0, 0, 300, 200);
    HWND plain = Keep(CreateChild(host, FixedFrameClass(), "", 0, 0, 0, 100, 50));
    RECT client{};
    GetClientRect(plain, &client);
    ASSERT_EQ(client.right, 96);
    ASSERT_EQ(client.bottom, 46);
    RECT r = skin::ClientRectInWindow(plain);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 98);
    EXPECT_EQ(r.bottom, 48);

    HWND scrolled = Keep(CreateChild(host, FixedFrameClass(), "", WS_VSCROLL, 0, 60, 100, 50));
    GetClientRect(scrolled, &client);
    ASSERT_EQ(client.right, 79);
    r = skin::ClientRectInWindow(scrolled);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 81);
    EXPECT_EQ(r.bottom, 48);

    HWND both =
        Keep(CreateChild(host, FixedFrameClass(), "", WS_VSCROLL | WS_HSCROLL, 110, 0, 100, 50));
    r = skin::ClientRectInWindow(both);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 81);
    EXPECT_EQ(r.bottom, 31);
}

TEST_F(CaptureTest, ReleaseAcceptsOnlyCapturedDCs) {
    EXPECT_FALSE(ReleaseBackground(nullptr));

    HDC stranger = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(ReleaseBackground(stranger));
    EXPECT_NE(GetCurrentObject(stranger, OBJ_BITMAP), nullptr) << "an unknown DC was touched";
    DeleteDC(stranger);

    HWND host = TopLevel(0, 0, 100, 100);
    HDC dc = CaptureBackground(host, RECT{0, 0, 10, 10});
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(CapturedDCCount(), 1);
    EXPECT_TRUE(ReleaseBackground(dc));
    EXPECT_FALSE(ReleaseBackground(dc));
    EXPECT_EQ(CapturedDCCount(), 0);
}

TEST_F(CaptureTest, ControlWithoutSkinnedAncestorGetsClearPictureOfRequestedSize) {
    HWND host = TopLevel(0, 0, 200, 100);
    HWND child = Keep(CreateChild(host, "STATIC", "x", 0, 10, 10, 50, 30));
    skin::CapturedBackground picture(child, RECT{0, 0, 37, 21});
    const SIZE size = BitmapSizeOf(picture.dc());
    EXPECT_EQ(size.cx, 37);
    EXPECT_EQ(size.cy, 21);
    EXPECT_EQ(GetPixel(picture.dc(), 5, 5), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(picture.dc(), 36, 20), RGB(0, 0, 0));
}

TEST_F(CaptureTest, CopiesTheBackBufferAtTheControlsOffset) {
    HWND window = TopLevel(0, 0, 300, 200);
    HWND control = Keep(CreateChild(window, "STATIC", "", 0, 10, 40, 60, 30));
    const int p = Adopt(window);
    HDC back = BackBufferOf(p);
    ASSERT_NE(back, nullptr);
    FillDC(back, RECT{10, 40, 70, 70}, RGB(0, 0, 255));
    FillDC(back, RECT{15, 43, 35, 53}, RGB(255, 0, 0));

    skin::CapturedBackground picture(control, RECT{4, 2, 30, 20});
    EXPECT_EQ(GetPixel(picture.dc(), 0, 0), RGB(0, 0, 255)); // back buffer (14, 42)
    EXPECT_EQ(GetPixel(picture.dc(), 1, 1), RGB(255, 0, 0)); // back buffer (15, 43)
    EXPECT_EQ(GetPixel(picture.dc(), 20, 10), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(picture.dc(), 21, 11), RGB(0, 0, 255));
    // Every pixel, its top byte too, is the back buffer's there.
    const auto rowsOf = [](HDC dc) {
        return skin::PixelRowsOf(static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP)));
    };
    const skin::PixelRows from = rowsOf(back), to = rowsOf(picture.dc());
    ASSERT_TRUE(from && to);
    from.Row(50)[20] = 0x7F102030u;
    skin::CapturedBackground again(control, RECT{4, 2, 30, 20});
    const skin::PixelRows copied = rowsOf(again.dc());
    int differ = 0;
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 26; ++x)
            differ += copied.Row(y)[x] != from.Row(42 + y)[14 + x];
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(copied.Row(8)[6], 0x7F102030u);
    // A place reaching past the back buffer: what lies in it is copied, the rest stays clear.
    HWND edge = Keep(CreateChild(window, "STATIC", "", 0, 250, 40, 80, 30));
    skin::CapturedBackground past(edge, RECT{0, 0, 80, 30});
    const skin::PixelRows partly = rowsOf(past.dc());
    ASSERT_TRUE(partly);
    EXPECT_EQ(partly.Row(5)[0], from.Row(45)[250]);
    EXPECT_EQ(partly.Row(5)[79], 0u);
}

TEST_F(CaptureTest, AttachedWindowGetsItsFillOverThePicture) {
    HWND window = TopLevel(0, 0, 300, 200);
    HWND panel = Keep(CreateChild(window, "STATIC", "", 0, 20, 50, 80, 40));
    const int p = Adopt(window, RGB(0, 0, 0));
    skin::RecordAt(p)->AttachedWindows.push_back({panel, RGB(255, 0, 0), 255, 0});
    {
        skin::CapturedBackground picture(panel, RECT{0, 0, 80, 40});
        EXPECT_TRUE(ColoursNear(GetPixel(picture.dc(), 1, 1), RGB(255, 0, 0)));
        EXPECT_TRUE(ColoursNear(GetPixel(picture.dc(), 79, 39), RGB(255, 0, 0)));
    }
    skin::RecordAt(p)->AttachedWindows.back().Rounded = 1;
    {
        // The rounded fill starts 5 pixels down and leaves the last row alone.
        skin::CapturedBackground picture(panel, RECT{0, 0, 80, 40});
        EXPECT_EQ(GetPixel(picture.dc(), 40, 1), RGB(0, 0, 0));
        EXPECT_TRUE(ColoursNear(GetPixel(picture.dc(), 40, 20), RGB(255, 0, 0)));
        EXPECT_EQ(GetPixel(picture.dc(), 40, 39), RGB(0, 0, 0));
    }
    skin::RecordAt(p)->AttachedWindows.clear();
}

TEST_F(CaptureTest, WashedBackgroundIsTheClientAreaUnderWhiteAtControlAlpha) {
    HWND window = TopLevel(0, 0, 300, 200);
    HWND control = Keep(CreateChild(window, FixedFrameClass(), "", 0, 30, 60, 100, 50));
    Adopt(window, RGB(0, 0, 0));
    skin::Engine.ControlAlpha = 160;

    HBITMAP washed = skin::WashedBackgroundBitmap(control);
    ASSERT_NE(washed, nullptr);
    EXPECT_EQ(CapturedDCCount(), 0);
    BITMAP info{};
    GetObjectA(washed, sizeof(info), &info);
    EXPECT_EQ(info.bmWidth, 96);
    EXPECT_EQ(info.bmHeight, 46);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, washed);
    EXPECT_TRUE(ColoursNear(GetPixel(dc, 10, 10), RGB(160, 160, 160), 3));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(washed);
}

TEST_F(CaptureTest, OwnerLookupFollowsHostMarksAndSkinnedAncestors) {
    HWND window = TopLevel(0, 0, 300, 200);
    HWND panel = Keep(CreateChild(window, "STATIC", "", 0, 20, 20, 100, 100));
    HWND inner = Keep(CreateChild(panel, "STATIC", "", 0, 5, 7, 30, 30));
    const int p = Adopt(window);

    skin::BackgroundOwner owner = skin::FindBackgroundOwner(inner, true);
    EXPECT_TRUE(owner.found);
    EXPECT_EQ(owner.position, p);
    const RECT off = skin::OffsetInOwner(inner);
    EXPECT_EQ(off.left, 25);
    EXPECT_EQ(off.top, 27);
    EXPECT_EQ(off.right, 55);
    EXPECT_EQ(off.bottom, 57);
    const RECT self = skin::OffsetInOwner(window);
    EXPECT_EQ(self.left | self.top | self.right | self.bottom, 0);

    // A host mark on the way up wins; the picture stays clear (no DC is named).
    SetPropA(panel, "Wxk_Zpf", reinterpret_cast<HANDLE>(1));
    owner = skin::FindBackgroundOwner(inner, true);
    EXPECT_FALSE(owner.found);
    EXPECT_EQ(owner.templateWindow, panel);
    owner = skin::FindBackgroundOwner(inner, false);
    EXPECT_TRUE(owner.found);
    {
        skin::CapturedBackground picture(inner, RECT{0, 0, 10, 10});
        EXPECT_EQ(GetPixel(picture.dc(), 5, 5), RGB(0, 0, 0));
    }
    RemovePropA(panel, "Wxk_Zpf");

    // An attached window on the way up owns the picture, or sends the lookup to its host.
    skin::RecordAt(p)->AttachedWindows.push_back({panel, 0, 255, 0});
    owner = skin::FindBackgroundOwner(inner, true);
    EXPECT_FALSE(owner.found);
    EXPECT_EQ(owner.attachedIndex, 1);
    SetPropA(panel, "Mb_zpf", window);
    EXPECT_EQ(skin::FindBackgroundOwner(inner, true).templateWindow, window);
    RemovePropA(panel, "Mb_zpf");
    skin::RecordAt(p)->AttachedWindows.clear();

    EXPECT_EQ(skin::ClassNameOf(inner), "Static");
    EXPECT_EQ(skin::ClassNameOf(nullptr), "");
}

// One paint's source, resolved once: which record's back buffer, which attached entry of it and
// where in that record's window (or in the attached window met first) the control lies.
TEST_F(CaptureTest, ResolvedSourceNamesTheRecordItsAttachedEntryAndTheOffsetOnce) {
    HWND window = TopLevel(0, 0, 300, 200);
    HWND panel = Keep(CreateChild(window, "STATIC", "", 0, 20, 20, 100, 100));
    HWND inner = Keep(CreateChild(panel, "STATIC", "", 0, 5, 7, 30, 30));
    HWND stranger = TopLevel(0, 0, 50, 50);
    const int p = Adopt(window);
    const skin::WindowRecord* record = skin::RecordAt(p);
    struct Case {
        const char* name;
        bool attachPanel;
        bool hostMark;
        HWND control;
        int position;
        bool found;
        int attachedIndex;
        RECT offset;
    };
    const Case cases[] = {
        {"control two levels down", false, false, inner, p, true, 0, {25, 27, 55, 57}},
        {"the skinned window itself", false, false, window, p, true, 0, {0, 0, 0, 0}},
        {"inside an attached window", true, false, inner, p, false, 0, {5, 7, 35, 37}},
        {"the attached window itself", true, false, panel, p, true, 1, {0, 0, 100, 100}},
        {"below a host mark", false, true, inner, 0, false, 0, {0, 0, 0, 0}},
        {"no skinned window above", false, false, stranger, 0, false, 0, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.attachPanel) skin::RecordAt(p)->AttachedWindows.push_back({panel, 0, 255, 0});
        if (c.hostMark) SetPropA(panel, "Wxk_Zpf", reinterpret_cast<HANDLE>(1));
        const skin::BackgroundSource source = skin::ResolveBackgroundSource(c.control);
        EXPECT_EQ(source.position, c.position);
        EXPECT_EQ(source.record, c.position ? record : nullptr);
        EXPECT_EQ(source.owner.found, c.found);
        EXPECT_EQ(source.owner.templateWindow, c.hostMark ? panel : nullptr);
        EXPECT_EQ(source.attachedIndex, c.attachedIndex);
        EXPECT_EQ(source.offset.left, c.offset.left);
        EXPECT_EQ(source.offset.top, c.offset.top);
        EXPECT_EQ(source.offset.right, c.offset.right);
        EXPECT_EQ(source.offset.bottom, c.offset.bottom);
        if (c.position && c.control != window) {
            const RECT old = skin::OffsetInOwner(c.control);
            EXPECT_EQ(old.left, c.offset.left);
            EXPECT_EQ(old.top, c.offset.top);
        }
        RemovePropA(panel, "Wxk_Zpf");
        skin::RecordAt(p)->AttachedWindows.clear();
    }
}

// A capture from a resolved source is the capture the control would get by itself: the back
// buffer at the resolved offset with the attached entry's fill over it.
TEST_F(CaptureTest, CaptureFromAResolvedSourceCopiesAndFillsAsTheControlsOwn) {
    HWND window = TopLevel(0, 0, 300, 200);
    HWND panel = Keep(CreateChild(window, "STATIC", "", 0, 20, 50, 80, 40));
    const int p = Adopt(window, RGB(0, 0, 0));
    FillDC(BackBufferOf(p), RECT{20, 50, 30, 60}, RGB(0, 0, 255));
    const skin::BackgroundSource plain = skin::ResolveBackgroundSource(panel);
    {
        skin::CapturedBackground picture(panel, plain, RECT{0, 0, 80, 40});
        EXPECT_EQ(GetPixel(picture.dc(), 0, 0), RGB(0, 0, 255));
        EXPECT_EQ(GetPixel(picture.dc(), 9, 9), RGB(0, 0, 255));
        EXPECT_EQ(GetPixel(picture.dc(), 10, 10), RGB(0, 0, 0));
    }
    skin::RecordAt(p)->AttachedWindows.push_back({panel, RGB(255, 0, 0), 255, 0});
    const skin::BackgroundSource attached = skin::ResolveBackgroundSource(panel);
    {
        skin::CapturedBackground picture(panel, attached, RECT{0, 0, 80, 40});
        EXPECT_TRUE(ColoursNear(GetPixel(picture.dc(), 40, 20), RGB(255, 0, 0)));
    }
    skin::RecordAt(p)->AttachedWindows.clear();
}

TEST_F(CaptureTest, OwnerReleasesOnEveryPathAndHandsOverBitmaps) {
    HWND window = TopLevel(0, 0, 100, 100);
    const int gdiBefore = testing_support::GdiObjectCount();
    auto paintThatBailsOut = [&](bool early) {
        skin::CapturedBackground picture(window, RECT{0, 0, 20, 20});
        if (early) return 1;
        return 2;
    };
    EXPECT_EQ(paintThatBailsOut(true), 1);
    EXPECT_EQ(paintThatBailsOut(false), 2);
    EXPECT_EQ(CapturedDCCount(), 0);

    HBITMAP taken = nullptr;
    {
        skin::CapturedBackground picture(window, RECT{0, 0, 20, 20});
        taken = picture.TakeBitmap();
        EXPECT_EQ(picture.dc(), nullptr);
    }
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(CapturedDCCount(), 0);
    DeleteObject(taken);

    for (int i = 0; i < 1000; ++i) {
        skin::CapturedBackground picture(window, RECT{0, 0, 64, 32});
    }
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore);
}

// The wash written straight into a picture's pixels is the one GDI+ fills: every pixel, over
// opaque, half and fully transparent ones, at each control alpha; a part of a larger picture is
// left to GDI+ and washes only that part.
TEST_F(CaptureTest, TheDirectWashIsGdiPlusFillToThePixel) {
    const int savedAlpha = skin::Engine.ControlAlpha;
    const int w = 37, h = 9;
    const auto make = [](int width, int height, std::uint32_t** bits) {
        gdi::MemoryDC dc = gdi::MemoryDC::Create();
        void* pixels = nullptr;
        dc.Adopt(gdi::CreateArgbBitmap(width, height, &pixels));
        *bits = static_cast<std::uint32_t*>(pixels);
        for (int i = 0; i < width * height; ++i)
            (*bits)[i] = (i % 3 == 0   ? 0xFF000000u
                          : i % 3 == 1 ? 0x80000000u
                                       : 0u) |
                         static_cast<std::uint32_t>(i * 2654435761u >> 8 & 0xFFFFFF);
        return dc;
    };
    for (const int alpha : {0, 1, 77, 128, 254, 255}) {
        SCOPED_TRACE(alpha);
        skin::Engine.ControlAlpha = alpha;
        std::uint32_t *direct = nullptr, *filled = nullptr;
        gdi::MemoryDC a = make(w, h, &direct), b = make(w, h, &filled);
        skin::WashPicture(a.get(), w, h);
        {
            plus::PlusGraphics g;
            g.CreateFromHDC(b.get());
            plus::PlusSolidBrush brush;
            brush.Create(skin::ToArgb(skin::kWhite, alpha, 1));
            g.FillRectangle(brush, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h));
        }
        GdiFlush();
        int differ = 0;
        for (int i = 0; i < w * h; ++i)
            differ += direct[i] != filled[i];
        EXPECT_EQ(differ, 0);
    }
    skin::Engine.ControlAlpha = 128;
    std::uint32_t* larger = nullptr;
    gdi::MemoryDC c = make(w, h, &larger);
    const std::uint32_t outside = larger[5 * w + 30];
    skin::WashPicture(c.get(), 20, h);
    GdiFlush();
    EXPECT_EQ(larger[5 * w + 30], outside);
    EXPECT_NE(larger[5 * w + 3], outside);
    skin::Engine.ControlAlpha = savedAlpha;
}
