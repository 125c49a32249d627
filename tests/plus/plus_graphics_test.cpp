// PlusGraphics: the library's conventions through representative methods, and real drawing on
// a 32-bit DIB read back pixel by pixel.
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "plus/plus_region.h"

#include "support/plus_fixture.h"
#include "test_objects.h"

#include <climits>
#include <string>
#include <utility>

using namespace plus_tests;
using testing_support::PlusTest;

namespace {

constexpr plus::ARGB kWhite = 0xFFFFFFFF;
constexpr plus::ARGB kRed = 0xFFFF0000;
constexpr plus::ARGB kBlue = 0xFF0000FF;
constexpr std::uint32_t kRgbWhite = 0xFFFFFF;
constexpr std::uint32_t kRgbRed = 0xFF0000;
constexpr std::uint32_t kRgbBlue = 0x0000FF;

constexpr int kCoordinateSpaceWorld = 0;
constexpr int kCoordinateSpaceDevice = 2;
constexpr int kCombineModeReplace = 0;
constexpr int kMatrixOrderAppend = 1;

class GraphicsTest : public PlusTest {
protected:
    // A white 100 x 60 surface with a graphics on it.
    void SetUp() override {
        ASSERT_TRUE(g.CreateFromHDC(surface.Dc()));
        ASSERT_TRUE(g.Clear(kWhite));
    }
    DibSurface surface{100, 60};
    plus::PlusGraphics g;
};

} // namespace

TEST_F(GraphicsTest, EmptyWrapperGettersReturnZeroAndLeaveInvalidParameter) {
    plus::PlusGraphics empty;
    EXPECT_EQ(empty.GetSmoothingMode(), 0);
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    ASSERT_TRUE(g.SetPageScale(2)); // status Ok in between
    EXPECT_EQ(empty.GetDpiX(), 0.0f);
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    const plus::RectF bounds = empty.GetClipBounds();
    EXPECT_EQ(bounds.width, 0.0f);
    EXPECT_EQ(bounds.height, 0.0f);
    int x = 7, y = 7;
    EXPECT_FALSE(empty.GetRenderingOrigin(x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_FALSE(empty.Clear(kRed));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    // The release method of an empty wrapper calls nothing and keeps the status.
    ASSERT_TRUE(g.SetPageScale(1));
    EXPECT_FALSE(empty.DeleteGraphics());
    EXPECT_EQ(plus::LastStatus(), plus::Ok);
}

TEST_F(GraphicsTest, FlushReturnsTheStatusAndLeavesLastStatus) {
    plus::PlusGraphics empty;
    EXPECT_FALSE(empty.Clear(kRed));
    const int before = plus::LastStatus();
    ASSERT_NE(before, plus::Ok);
    EXPECT_EQ(g.Flush(), plus::Ok);
    EXPECT_EQ(empty.Flush(), plus::InvalidParameter);
    EXPECT_EQ(plus::LastStatus(), before);
}

TEST_F(GraphicsTest, ReleaseTwiceAndCreateAgain) {
    EXPECT_TRUE(g.DeleteGraphics());
    EXPECT_EQ(g.GetHandle(), nullptr);
    EXPECT_FALSE(g.Clear(kRed)); // a null graphics goes to GDI+, which refuses it
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    EXPECT_FALSE(g.DeleteGraphics());
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    ASSERT_TRUE(g.CreateFromHDC(surface.Dc()));
    EXPECT_TRUE(g.Clear(kBlue));
    EXPECT_EQ(surface.Rgb(50, 30), kRgbBlue);
}

TEST_F(GraphicsTest, CreatingOverAHeldGraphicsReleasesIt) {
    const int held = plus::LiveObjectCount();
    ASSERT_TRUE(g.CreateFromHDC(surface.Dc()));
    ASSERT_TRUE(g.CreateFromHDC(surface.Dc(), HANDLE(nullptr))); // the two-argument form
    EXPECT_EQ(plus::LiveObjectCount(), held);
    EXPECT_TRUE(g.Clear(kRed));
    EXPECT_EQ(surface.Rgb(0, 0), kRgbRed);
    plus::PlusGraphics moved(std::move(g));
    EXPECT_EQ(g.GetHandle(), nullptr);
    EXPECT_EQ(plus::LiveObjectCount(), held);
    EXPECT_TRUE(moved.Clear(kBlue));
    EXPECT_EQ(surface.Rgb(0, 0), kRgbBlue);
}

TEST_F(GraphicsTest, FilledRectangleLandsOnItsPixels) {
    TestBrush red(kRed);
    ASSERT_TRUE(g.FillRectangleI(red, 10, 20, 30, 15));
    EXPECT_EQ(surface.Rgb(10, 20), kRgbRed);
    EXPECT_EQ(surface.Rgb(39, 34), kRgbRed);
    EXPECT_EQ(surface.Rgb(40, 34), kRgbWhite);
    EXPECT_EQ(surface.Rgb(39, 35), kRgbWhite);
    EXPECT_EQ(surface.Rgb(9, 20), kRgbWhite);

    TestBrush blue(kBlue);
    ASSERT_TRUE(g.FillRectanglesI(blue, {{60, 0, 5, 5}, {70, 10, 5, 5}}));
    EXPECT_EQ(surface.Rgb(62, 2), kRgbBlue);
    EXPECT_EQ(surface.Rgb(72, 12), kRgbBlue);
    EXPECT_EQ(surface.Rgb(67, 7), kRgbWhite);
    ASSERT_TRUE(g.FillRectangleRect(blue, {80, 40, 10, 10}));
    EXPECT_EQ(surface.Rgb(85, 45), kRgbBlue);
}

TEST_F(GraphicsTest, ClipLimitsTheFill) {
    EXPECT_FALSE(g.IsClipEmpty());
    ASSERT_TRUE(g.SetClipRectI(20, 10, 30, 20, kCombineModeReplace));
    const plus::Rect clip = g.GetClipBoundsI();
    EXPECT_EQ(clip.x, 20);
    EXPECT_EQ(clip.y, 10);
    EXPECT_EQ(clip.width, 30);
    EXPECT_EQ(clip.height, 20);
    EXPECT_TRUE(g.IsVisiblePointI(25, 15));
    EXPECT_FALSE(g.IsVisiblePointI(5, 5));

    TestBrush red(kRed);
    ASSERT_TRUE(g.FillRectangleI(red, 0, 0, 100, 60));
    EXPECT_EQ(surface.Rgb(20, 10), kRgbRed);
    EXPECT_EQ(surface.Rgb(49, 29), kRgbRed);
    EXPECT_EQ(surface.Rgb(19, 10), kRgbWhite);
    EXPECT_EQ(surface.Rgb(50, 29), kRgbWhite);
    EXPECT_EQ(surface.Rgb(20, 30), kRgbWhite);

    TestRegion region;
    ASSERT_TRUE(g.GetClip(region)); // fills the region, keeps its handle
    BOOL inside = FALSE;
    plus::gp::GdipIsVisibleRegionPointI(region.N(), 25, 15, nullptr, &inside);
    EXPECT_TRUE(inside);

    ASSERT_TRUE(g.ResetClip());
    ASSERT_TRUE(g.FillRectangleI(red, 0, 0, 5, 5));
    EXPECT_EQ(surface.Rgb(2, 2), kRgbRed);
}

TEST_F(GraphicsTest, WorldTransformMovesTheDrawing) {
    TestBrush red(kRed);
    ASSERT_TRUE(g.TranslateWorldTransform(50, 20));
    ASSERT_TRUE(g.FillRectangleI(red, 0, 0, 10, 10));
    EXPECT_EQ(surface.Rgb(55, 25), kRgbRed);
    EXPECT_EQ(surface.Rgb(5, 5), kRgbWhite);

    TestMatrix m;
    ASSERT_TRUE(m.Create());
    ASSERT_TRUE(g.GetWorldTransform(m)); // fills the matrix wrapper's matrix
    EXPECT_EQ(m.Elements()[4], 50.0f);
    EXPECT_EQ(m.Elements()[5], 20.0f);

    TestMatrix scale;
    ASSERT_TRUE(scale.Create(2, 0, 0, 2, 0, 0));
    ASSERT_TRUE(g.SetWorldTransform(scale));
    ASSERT_TRUE(g.FillRectangleI(red, 40, 0, 5, 5)); // lands on 80..90 x 0..10
    EXPECT_EQ(surface.Rgb(88, 8), kRgbRed);
    EXPECT_EQ(surface.Rgb(78, 8), kRgbWhite);
}

TEST_F(GraphicsTest, TransformPointsCopiesBackIntoTheCallersRecords) {
    ASSERT_TRUE(g.RotateAt(90, {10, 10}, 0));
    std::vector<plus::PointF> points = {{10, 10}, {20, 10}};
    ASSERT_TRUE(g.TransformPoints(kCoordinateSpaceDevice, kCoordinateSpaceWorld, points));
    EXPECT_NEAR(points[0].x, 10, 1e-3);
    EXPECT_NEAR(points[0].y, 10, 1e-3);
    EXPECT_NEAR(points[1].x, 10, 1e-3);
    EXPECT_NEAR(points[1].y, 20, 1e-3);

    ASSERT_TRUE(g.ResetWorldTransform());
    ASSERT_TRUE(g.ScaleAt(2, 3, {10, 10}, kMatrixOrderAppend));
    std::vector<plus::Point> ints = {{10, 10}, {11, 11}};
    ASSERT_TRUE(g.TransformPointsI(kCoordinateSpaceDevice, kCoordinateSpaceWorld, ints));
    EXPECT_EQ(ints[0].x, 10);
    EXPECT_EQ(ints[0].y, 10);
    EXPECT_EQ(ints[1].x, 12);
    EXPECT_EQ(ints[1].y, 13);
}

TEST_F(GraphicsTest, RotateAtAboutACentreLeavesThatPointInPlace) {
    TestBrush red(kRed);
    ASSERT_TRUE(g.RotateAt(90, {30, 30}, 0));
    // A 1-pixel square at the centre stays there; one to its right turns below it.
    ASSERT_TRUE(g.FillRectangleI(red, 30, 30, 1, 1));
    ASSERT_TRUE(g.FillRectangleI(red, 40, 29, 1, 1));
    EXPECT_EQ(surface.Rgb(29, 30), kRgbRed);
    EXPECT_EQ(surface.Rgb(30, 40), kRgbRed);
    EXPECT_EQ(surface.Rgb(40, 29), kRgbWhite);
}

TEST_F(GraphicsTest, EmptyPointArrayReachesGdiPlusAsNullBuffer) {
    TestPen pen(kRed);
    TestBrush brush(kRed);
    ASSERT_TRUE(g.SetPageScale(1));
    EXPECT_FALSE(g.DrawLines(pen, {}));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    EXPECT_FALSE(g.FillPolygonI(brush, {}));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    std::vector<plus::PointF> none;
    EXPECT_FALSE(g.TransformPoints(kCoordinateSpaceDevice, kCoordinateSpaceWorld, none));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    // A polygon with points draws: filled, and outlined (closed back to its first point).
    EXPECT_TRUE(g.FillPolygonI(brush, {{0, 0}, {20, 0}, {20, 20}, {0, 20}}));
    EXPECT_EQ(surface.Rgb(10, 10), kRgbRed);
    TestPen blue(kBlue);
    EXPECT_TRUE(g.DrawPolygon(blue, {{40, 10}, {60, 10}, {60, 30}}));
    EXPECT_EQ(surface.Rgb(50, 20), kRgbBlue) << "the closing side";
    EXPECT_EQ(surface.Rgb(55, 15), kRgbWhite);
}

TEST_F(GraphicsTest, PlainAndWideTextDrawTheSameChineseString) {
    TestFont font(L"宋体", 20);
    ASSERT_NE(font.GetHandle(), nullptr);
    TestBrush black(0xFF000000);
    const plus::RectF layout{0, 0, 100, 60};

    DibSurface other(100, 60);
    plus::PlusGraphics g2;
    ASSERT_TRUE(g2.CreateFromHDC(other.Dc()));
    ASSERT_TRUE(g2.Clear(kWhite));

    ASSERT_TRUE(g.DrawString("汉字测试", font, black, layout));
    ASSERT_TRUE(g2.DrawStringW(plus::ToWideBytes(L"汉字测试"), font, black, layout));
    const auto plain = surface.Pixels();
    EXPECT_EQ(plain, other.Pixels());
    int inked = 0;
    for (auto p : plain)
        inked += (p & 0xFFFFFF) != kRgbWhite;
    EXPECT_GT(inked, 40) << "nothing was drawn";

    plus::RectF plainBox, wideBox;
    ASSERT_TRUE(g.MeasureString("汉字测试", font, layout, nullptr, plainBox));
    ASSERT_TRUE(g.MeasureStringW(plus::ToWideText("汉字测试"), font, layout, nullptr, wideBox));
    EXPECT_GT(plainBox.width, 20.0f);
    EXPECT_EQ(plainBox.width, wideBox.width);
    EXPECT_EQ(plainBox.height, wideBox.height);
}

TEST_F(GraphicsTest, EmptyTextAndShortDriverPositions) {
    TestFont font(L"Tahoma", 12);
    TestBrush black(0xFF000000);
    plus::RectF box{1, 2, 3, 4};
    g.DrawString("", font, black, {0, 0, 100, 60});
    const std::vector<std::uint32_t> blank(100 * 60, kRgbWhite);
    std::vector<std::uint32_t> pixels = surface.Pixels();
    for (auto& p : pixels)
        p &= 0xFFFFFF;
    EXPECT_EQ(pixels, blank);
    g.MeasureString("", font, {0, 0, 100, 60}, nullptr, box);
    EXPECT_EQ(box.width, 0.0f);
    // Three characters need three positions: two are refused before GDI+ could read past them.
    ASSERT_TRUE(g.SetPageScale(1));
    EXPECT_FALSE(g.DrawDriverString("abc", font, black, {{0, 20}, {10, 20}}));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
}

TEST_F(GraphicsTest, MeasureCharacterRangesFillsOneRegionPerRange) {
    TestFont font(L"Tahoma", 16);
    TestStringFormat format({{0, 2}, {3, 2}});
    const plus::RectF layout{0, 0, 200, 50};

    std::vector<plus::PlusRegion> regions(3);
    EXPECT_FALSE(g.MeasureCharacterRanges("abcde", font, layout, &format, 0, regions));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    EXPECT_EQ(regions.size(), 3u); // left as it was

    ASSERT_TRUE(g.MeasureCharacterRanges("abcde", font, layout, &format, 2, regions));
    ASSERT_EQ(regions.size(), 2u);
    const plus::RectF first = regions[0].GetBounds(g);
    const plus::RectF second = regions[1].GetBounds(g);
    EXPECT_GT(first.width, 0.0f);
    EXPECT_GT(second.x, first.x + first.width - 0.5f); // "de" lies right of "ab"

    ASSERT_TRUE(
        g.MeasureCharacterRangesW(plus::ToWideBytes(L"abcde"), font, layout, &format, 2, regions));
    EXPECT_EQ(regions[1].GetBounds(g).x, second.x);

    // A failed measurement (here: no font) leaves fresh, empty regions and nothing behind.
    const int held = plus::LiveObjectCount();
    TestFont noFont(L"Tahoma", 16);
    noFont.Release();
    EXPECT_FALSE(g.MeasureCharacterRanges("abcde", noFont, layout, &format, 3, regions));
    EXPECT_NE(plus::LastStatus(), plus::Ok);
    ASSERT_EQ(regions.size(), 3u);
    for (const auto& r : regions)
        EXPECT_EQ(r.GetHandle(), nullptr);
    EXPECT_EQ(plus::LiveObjectCount(), held - 2);

    // One range, one region: the smallest count measured.
    TestStringFormat one({{3, 2}});
    ASSERT_TRUE(g.MeasureCharacterRanges("abcde", font, layout, &one, 1, regions));
    ASSERT_EQ(regions.size(), 1u);
    EXPECT_EQ(regions[0].GetBounds(g).x, second.x);
}

TEST_F(GraphicsTest, ImagesDrawnAtAPlaceAndScaled) {
    TestBitmap blue(4, 4, kBlue);
    ASSERT_TRUE(g.DrawImageI(blue, 20, 30));
    EXPECT_EQ(surface.Rgb(20, 30), kRgbBlue);
    EXPECT_EQ(surface.Rgb(23, 33), kRgbBlue);
    EXPECT_EQ(surface.Rgb(24, 33), kRgbWhite);
    EXPECT_EQ(surface.Rgb(19, 30), kRgbWhite);

    // The whole 4 x 4 image scaled into 40 x 20 (no unit: pixels). Scaled edges fade within
    // half a source pixel, so the inner part is checked.
    ASSERT_TRUE(g.Clear(kWhite));
    ASSERT_TRUE(g.SetInterpolationMode(5)); // nearest neighbour: sharp edges
    ASSERT_TRUE(g.DrawImageRectI(blue, 50, 10, 40, 20));
    EXPECT_EQ(surface.Rgb(56, 14), kRgbBlue);
    EXPECT_EQ(surface.Rgb(84, 25), kRgbBlue);
    EXPECT_EQ(surface.Rgb(92, 20), kRgbWhite);
    EXPECT_EQ(surface.Rgb(70, 33), kRgbWhite);

    // The whole source is drawn, from its top-left pixel: an 8 x 8 image, blue with a red top
    // row and a green left column, drawn at its own size.
    plus::PlusBitmap edged;
    ASSERT_TRUE(edged.Create(8, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_TRUE(edged.SetPixel(x, y, x == 0 ? 0xFF00FF00 : y == 0 ? kRed : kBlue));
    for (const bool integral : {false, true}) {
        ASSERT_TRUE(g.Clear(kWhite));
        ASSERT_TRUE(integral ? g.DrawImageRectI(edged, 10, 10, 8, 8)
                             : g.DrawImageRect(edged, 10, 10, 8, 8));
        EXPECT_EQ(surface.Rgb(14, 10), kRgbRed) << integral;
        EXPECT_EQ(surface.Rgb(10, 14), 0x00FF00u) << integral;
        EXPECT_EQ(surface.Rgb(14, 14), kRgbBlue) << integral;
        EXPECT_EQ(surface.Rgb(17, 17), kRgbBlue) << integral;
        EXPECT_EQ(surface.Rgb(18, 14), kRgbWhite) << integral;
    }

    // A parallelogram given by three corners: here an upright 100 x 50 rectangle.
    ASSERT_TRUE(g.Clear(kWhite));
    ASSERT_TRUE(g.DrawImagePoints(blue, 0, 0, 100, 0, 0, 50));
    EXPECT_EQ(surface.Rgb(85, 42), kRgbBlue);
    EXPECT_EQ(surface.Rgb(50, 55), kRgbWhite);

    // Part of the image at a point.
    ASSERT_TRUE(g.Clear(kWhite));
    ASSERT_TRUE(g.DrawImagePointRectI(blue, 10, 10, 0, 0, 2, 2));
    EXPECT_EQ(surface.Rgb(11, 11), kRgbBlue);
    EXPECT_EQ(surface.Rgb(12, 12), kRgbWhite);
}

TEST_F(GraphicsTest, StateContainersAndSettings) {
    ASSERT_TRUE(g.SetSmoothingMode(4)); // anti-alias
    EXPECT_EQ(g.GetSmoothingMode(), 4);
    const plus::GraphicsState state = g.Save();
    EXPECT_EQ(plus::LastStatus(), plus::Ok);
    ASSERT_TRUE(g.SetSmoothingMode(3)); // none
    ASSERT_TRUE(g.Restore(state));
    EXPECT_EQ(g.GetSmoothingMode(), 4);

    const plus::GraphicsContainer container = g.BeginContainer2();
    ASSERT_TRUE(g.TranslateWorldTransform(10, 0));
    ASSERT_TRUE(g.EndContainer(container));
    std::vector<plus::PointF> p = {{1, 1}};
    ASSERT_TRUE(g.TransformPoints(kCoordinateSpaceDevice, kCoordinateSpaceWorld, p));
    EXPECT_EQ(p[0].x, 1.0f);

    ASSERT_TRUE(g.SetCompositingMode(1));
    EXPECT_EQ(g.GetCompositingMode(), 1);
    ASSERT_TRUE(g.SetTextRenderingHint(4));
    EXPECT_EQ(g.GetTextRenderingHint(), 4);
    ASSERT_TRUE(g.SetPixelOffsetMode(4));
    EXPECT_EQ(g.GetPixelOffsetMode(), 4);
    ASSERT_TRUE(g.SetPageUnit(2));
    EXPECT_EQ(g.GetPageUnit(), 2);
    EXPECT_GT(g.GetDpiX(), 0.0f);
    plus::ARGB colour = 0xFF123456;
    EXPECT_EQ(g.GetNearestColor(colour), colour);
    int x = -1, y = -1;
    ASSERT_TRUE(g.SetRenderingOrigin(3, 4));
    ASSERT_TRUE(g.GetRenderingOrigin(x, y));
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);
}

TEST_F(GraphicsTest, DcOfTheGraphicsDrawsOnTheSameSurface) {
    HDC dc = g.GetDC();
    ASSERT_NE(dc, nullptr);
    SetPixel(dc, 5, 5, RGB(255, 0, 0));
    ASSERT_TRUE(g.ReleaseDC(dc));
    EXPECT_EQ(surface.Rgb(5, 5), kRgbRed);
}

// Where a GDI+ implementation leaves a function out it answers NotImplemented: the wrapper
// forwards the call and reports exactly that status.
TEST_F(GraphicsTest, RarelyUsedCallsForwardTheirStatus) {
    const bool commented = g.Comment({1, 2, 3, 4});
    const int status = plus::LastStatus();
    EXPECT_TRUE(status == plus::Ok || status == plus::NotImplemented) << status;
    EXPECT_EQ(commented, status == plus::Ok);

    plus::PlusGraphics empty;
    EXPECT_FALSE(empty.Comment({1}));
    EXPECT_NE(plus::LastStatus(), plus::Ok);

    TestMatrix notAMetafile;
    EXPECT_FALSE(g.EnumerateMetafileDestPoint(notAMetafile, {0, 0}, nullptr));
    EXPECT_NE(plus::LastStatus(), plus::Ok);
}

namespace {
// Five points on the line y = 30, 20 apart: curve segment k runs from x = 10 + 20k to 30 + 20k.
const std::vector<plus::PointF> kLineF{{10, 30}, {30, 30}, {50, 30}, {70, 30}, {90, 30}};
const std::vector<plus::Point> kLineI{{10, 30}, {30, 30}, {50, 30}, {70, 30}, {90, 30}};

struct CurveRange {
    int offset;
    int segments;
    bool inside;
};
// Ranges inside the five points, and ranges reaching before or past them.
const CurveRange kCurveRanges[] = {
    {0, 4, true},         {1, 2, true},        {3, 1, true},        {-1, 1, false},
    {-1000000, 2, false}, {0, 5, false},       {4, 1, false},       {2, 0, false},
    {2, -1, false},       {INT_MAX, 1, false}, {1, INT_MAX, false},
};
} // namespace

TEST_F(GraphicsTest, CurveSegmentsOutsideThePointsAreRefused) {
    TestPen pen(kRed);
    ASSERT_TRUE(g.SetPageScale(1));
    for (const CurveRange& c : kCurveRanges) {
        for (int integer = 0; integer < 2; ++integer) {
            ASSERT_TRUE(g.Clear(kWhite));
            const bool drawn = integer ? g.DrawCurve3I(pen, kLineI, c.offset, c.segments, 0.5f)
                                       : g.DrawCurve3(pen, kLineF, c.offset, c.segments, 0.5f);
            const std::string label = std::to_string(c.offset) + "," + std::to_string(c.segments) +
                                      (integer ? " (int)" : " (float)");
            EXPECT_EQ(drawn, c.inside) << label;
            EXPECT_EQ(plus::LastStatus(), c.inside ? plus::Ok : plus::InvalidParameter) << label;
            // Exactly the asked-for segments are on the surface, nothing for a refused call.
            for (int k = 0; k < 4; ++k) {
                const bool wanted = c.inside && k >= c.offset && k < c.offset + c.segments;
                EXPECT_EQ(surface.Rgb(20 + 20 * k, 30), wanted ? kRgbRed : kRgbWhite)
                    << label << " segment " << k;
            }
        }
    }
}

TEST_F(GraphicsTest, RegionCountsBeyondWhatCanBeMeasuredAreRefused) {
    TestFont font(L"Tahoma", 16);
    TestStringFormat format({{0, 2}, {3, 2}});
    const plus::RectF layout{0, 0, 200, 50};
    const int held = plus::LiveObjectCount();
    for (const int count : {33, 1000000, 1 << 30, INT_MAX}) {
        std::vector<plus::PlusRegion> regions(3);
        EXPECT_FALSE(g.MeasureCharacterRanges("abcde", font, layout, &format, count, regions))
            << count;
        EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter) << count;
        EXPECT_EQ(regions.size(), 3u) << count; // left as it was
        EXPECT_FALSE(g.MeasureCharacterRangesW(plus::ToWideBytes(L"abcde"), font, layout, &format,
                                               count, regions))
            << count;
        EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter) << count;
    }
    EXPECT_EQ(plus::LiveObjectCount(), held);
    // The fewest: one region for a format of one range.
    TestStringFormat single({{1, 3}});
    std::vector<plus::PlusRegion> one;
    ASSERT_TRUE(g.MeasureCharacterRanges("abcde", font, layout, &single, 1, one));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_GT(one[0].GetBounds(g).width, 0.0f);
    // The most GDI+ measures is still accepted: the two ranges filled, the others spare.
    std::vector<plus::PlusRegion> regions;
    ASSERT_TRUE(g.MeasureCharacterRanges("abcde", font, layout, &format, 32, regions));
    ASSERT_EQ(regions.size(), 32u);
    EXPECT_GT(regions[0].GetBounds(g).width, 0.0f);
    EXPECT_GT(regions[1].GetBounds(g).x, regions[0].GetBounds(g).x);
}
