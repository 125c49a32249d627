// Drawing helpers: colour conversion, the rounded outline and the glow, read back from paths
// and pixels.
#include <gtest/gtest.h>

#include <vector>

#include "plus/plus_image.h"
#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "skin/core/drawing_helpers.h"
#include "support/plus_fixture.h"

using namespace skin;
using plus::PointF;

namespace {

class DrawingHelpers : public testing_support::PlusTest {};

void ExpectPoint(const PointF& p, float x, float y) {
    EXPECT_NEAR(p.x, x, 0.01f);
    EXPECT_NEAR(p.y, y, 0.01f);
}

// The path's points, which start each of the four corner arcs at indexes 0, 4, 8 and 12.
std::vector<PointF> RoundedRectPoints(float x, float y, float w, float h, float d) {
    plus::PlusPath path;
    EXPECT_TRUE(path.CreatePath());
    AddRoundedRect(path, x, y, w, h, d);
    std::vector<PointF> points;
    EXPECT_TRUE(path.GetPathPoints(points));
    return points;
}

std::vector<plus::ARGB> Pixels(plus::PlusBitmap& bitmap, int w, int h) {
    std::vector<plus::ARGB> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(bitmap.GetPixel(x, y));
    return pixels;
}

} // namespace

TEST(ToArgb, SwapsRedAndBlueAndSetsTheAlpha) {
    EXPECT_EQ(ToArgb(0x00DDCA22, 160, 1), 0xA022CADDu);
    EXPECT_EQ(ToArgb(0x00DDCA22, 160, 0), 0xFF22CADDu);
    EXPECT_EQ(ToArgb(0xFF000001, 0, 1), 0x00010000u); // the COLORREF's top byte is ignored
    EXPECT_EQ(ToColorRef(0xA022CADD), 0x00DDCA22u);
}

TEST_F(DrawingHelpers, RoundedRectClampsTheCornerAndEnlargesTheLowerRightArc) {
    // d = 250 is drawn as 100: arcs start at 270, 0, 90 and 180 degrees of their ellipses.
    std::vector<PointF> p = RoundedRectPoints(10, 20, 300, 200, 250);
    ASSERT_EQ(p.size(), 16u);
    ExpectPoint(p[0], 10 + 300 - 50, 20);          // upper right, top of a 100 x 100 ellipse
    ExpectPoint(p[4], 10 + 300, 20 + 200 - 50.5f); // lower right: 101 x 101, one pixel up-left
    ExpectPoint(p[8], 10 + 50, 20 + 200);          // lower left
    ExpectPoint(p[12], 10, 20 + 50);               // upper left
    ExpectPoint(p[15], 10 + 50, 20);               // the upper-left arc ends at its top

    // d = 0 is drawn as 1: corners of one pixel, the lower right one of two.
    p = RoundedRectPoints(0, 0, 40, 30, 0);
    ASSERT_EQ(p.size(), 16u);
    ExpectPoint(p[0], 40 - 0.5f, 0);
    ExpectPoint(p[4], 40, 30 - 1);
    ExpectPoint(p[8], 0.5f, 30);
    ExpectPoint(p[12], 0, 0.5f);
}

TEST_F(DrawingHelpers, RoundedRectIsOneClosedFigure) {
    plus::PlusPath path;
    ASSERT_TRUE(path.CreatePath());
    AddRoundedRect(path, 0, 0, 50, 40, 10);
    plus::PathDataRecord data;
    ASSERT_TRUE(path.GetPathData(data));
    ASSERT_EQ(data.Types.size(), 16u);
    EXPECT_EQ(data.Types.front() & 0x07, 0); // starts a figure
    EXPECT_NE(data.Types.back() & 0x80, 0);  // and closes it
    for (std::size_t i = 1; i + 1 < data.Types.size(); ++i)
        EXPECT_EQ(data.Types[i] & 0x80, 0) << i; // nothing closed on the way
}

TEST_F(DrawingHelpers, GlowWithoutStrokesDrawsNothing) {
    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(40, 30));
    plus::PlusGraphics graphics;
    ASSERT_TRUE(graphics.CreateFromImage(bitmap));
    graphics.Clear(0xFF102030);
    plus::PlusPath path;
    ASSERT_TRUE(path.CreatePath());
    AddRoundedRect(path, 5, 5, 30, 20, 6);
    const auto before = Pixels(bitmap, 40, 30);
    DrawGlow(graphics, path, 0, 0x00FFFFFF, 255);
    DrawGlow(graphics, path, -3, 0x00FFFFFF, 255);
    graphics.Flush();
    EXPECT_EQ(Pixels(bitmap, 40, 30), before);
}

TEST_F(DrawingHelpers, GlowIsDensestOnTheOutlineAndFadesOutwards) {
    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(60, 40));
    plus::PlusGraphics graphics;
    ASSERT_TRUE(graphics.CreateFromImage(bitmap));
    graphics.Clear(0xFF000000);
    plus::PlusPath path;
    ASSERT_TRUE(path.CreatePath());
    AddRoundedRect(path, 10, 10, 40, 20, 6);
    DrawGlow(graphics, path, 4, 0x000000FF, 80); // red at alpha 80, four strokes
    graphics.Flush();
    const auto red = [&](int x, int y) { return (bitmap.GetPixel(x, y) >> 16) & 0xFF; };
    // On the top edge (y = 10) all four strokes overlap; a pixel further out gets fewer.
    EXPECT_GT(red(30, 10), red(30, 8));
    EXPECT_GT(red(30, 8), 0u);
    EXPECT_EQ(red(30, 3), 0u);                           // beyond the widest stroke
    EXPECT_EQ(red(30, 20), 0u);                          // the inside is not filled
    EXPECT_EQ(bitmap.GetPixel(30, 20) & 0x0000FFFF, 0u); // only red was drawn
}
