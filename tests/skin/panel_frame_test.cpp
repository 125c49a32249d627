// A framed panel's frame is made of its corners and edge slices kept per DPI: the picture must
// be the one GDI+ strokes over the same pixels (within 1 per channel), at every size and DPI,
// and nothing may be left behind in GDI objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "plus/plus_graphics.h"
#include "skin/core/gdi_owners.h"
#include "skin/services/panel_frame.h"
#include "support/gdi_count.h"

namespace {

// A w x h DIB section with an opaque diagonal gradient, in its own DC.
struct Picture {
    Picture(int w, int h) : dc(gdi::MemoryDC::Create()), width(w), height(h) {
        void* bits = nullptr;
        gdi::Bitmap made = gdi::CreateArgbBitmap(w, h, &bits);
        pixels = static_cast<std::uint32_t*>(bits);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels[y * w + x] =
                    0xFF000000u | ((x * 255 / w) << 16) | ((y * 255 / h) << 8) | 0x60;
        dc.Adopt(std::move(made));
    }
    gdi::MemoryDC dc;
    std::uint32_t* pixels = nullptr;
    int width, height;
};

int Channel(std::uint32_t c, int shift) {
    return static_cast<int>((c >> shift) & 0xFF);
}

TEST(PanelFrame, KeptSlicesGiveWhatGdiPlusStrokesAtEverySizeAndDpi) {
    const int gdiBefore = testing_support::GdiObjectCount();
    const struct {
        UINT dpi;
        int w, h;
    } cases[] = {{96, 17, 17},  {96, 18, 40},   {96, 300, 120},  {96, 996, 92},
                 {144, 23, 23}, {144, 250, 61}, {192, 500, 300}, {120, 77, 33}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, " << c.w << " x " << c.h);
        Picture stroked(c.w, c.h), blended(c.w, c.h);
        {
            plus::PlusGraphics g;
            ASSERT_TRUE(g.CreateFromHDC(stroked.dc.get()));
            g.SetSmoothingMode(plus::SmoothingModeAntiAlias);
            skin::StrokePanelFrame(g, c.w, c.h, c.dpi);
        }
        GdiFlush();
        ASSERT_TRUE(skin::BlendPanelFrame(blended.dc.get(), c.w, c.h, c.dpi));
        int worst = 0;
        for (int i = 0; i < c.w * c.h; ++i)
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(Channel(stroked.pixels[i], shift) -
                                                 Channel(blended.pixels[i], shift)));
        EXPECT_LE(worst, 1); // rounding: the two lines are blended in one pass
        // The frame is there: the outline darkens the left edge halfway down, the line inside
        // lightens the pixel next to it, and the middle is untouched.
        const Picture plain(c.w, c.h);
        const int mid = c.h / 2;
        const auto sum = [](std::uint32_t p) {
            return Channel(p, 0) + Channel(p, 8) + Channel(p, 16);
        };
        EXPECT_LT(sum(blended.pixels[mid * c.w]), sum(plain.pixels[mid * c.w]));
        EXPECT_LT(sum(blended.pixels[mid * c.w + c.w - 1]), sum(plain.pixels[mid * c.w + c.w - 1]));
        EXPECT_LT(sum(blended.pixels[(c.h - 1) * c.w + c.w / 2]),
                  sum(plain.pixels[(c.h - 1) * c.w + c.w / 2]));
        bool lighter = false;
        for (int x = 1; x <= static_cast<int>(c.dpi) * 3 / 96; ++x)
            lighter =
                lighter || sum(blended.pixels[mid * c.w + x]) > sum(plain.pixels[mid * c.w + x]);
        EXPECT_TRUE(lighter);
        EXPECT_EQ(blended.pixels[mid * c.w + c.w / 2], plain.pixels[mid * c.w + c.w / 2]);
    }
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore);
}

TEST(PanelFrame, APictureTooSmallOrNotADibIsLeftToTheCaller) {
    Picture small(16, 40);
    const std::uint32_t before = small.pixels[20 * 16];
    EXPECT_FALSE(skin::BlendPanelFrame(small.dc.get(), 16, 40, 96));
    EXPECT_FALSE(skin::BlendPanelFrame(small.dc.get(), 40, 16, 96));
    EXPECT_EQ(small.pixels[20 * 16], before);
    // Asked for more than the picture holds.
    EXPECT_FALSE(skin::BlendPanelFrame(small.dc.get(), 17, 41, 96));
    gdi::MemoryDC none = gdi::MemoryDC::Create(); // its 1 x 1 stock bitmap
    EXPECT_FALSE(skin::BlendPanelFrame(none.get(), 100, 100, 96));
}

} // namespace
