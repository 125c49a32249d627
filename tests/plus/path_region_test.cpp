// Paths and regions: the rounded rectangle, path data and point getters, region combining,
// scans and region data, read back through GDI+ and the pixels they fill.
#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "plus/plus_region.h"

#include <climits>
#include <string>

#include "support/gdi_count.h"
#include "support/plus_fixture.h"
#include "test_objects.h"

#include <vector>

using namespace plus_tests;
using testing_support::PlusTest;

namespace {

constexpr plus::ARGB kWhite = 0xFFFFFFFF;
constexpr plus::ARGB kBlack = 0xFF000000;
constexpr std::uint32_t kRgbWhite = 0xFFFFFF;
constexpr std::uint32_t kRgbBlack = 0x000000;

constexpr std::uint8_t kTypeStart = 0;
constexpr std::uint8_t kTypeLine = 1;
constexpr std::uint8_t kTypeBezier = 3;
constexpr std::uint8_t kTypeMask = 0x07;
constexpr std::uint8_t kCloseSubpath = 0x80;
constexpr int kCombineModeUnion = 2;

class PathTest : public PlusTest {
protected:
    void SetUp() override { ASSERT_TRUE(path.CreatePath()); }
    plus::PlusPath path;
};

class RegionTest : public PlusTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(g.CreateFromHDC(surface.Dc()));
        ASSERT_TRUE(g.Clear(kWhite));
    }
    DibSurface surface{100, 100};
    plus::PlusGraphics g;
};

plus::PathDataRecord DataOf(const plus::PlusPath& path) {
    plus::PathDataRecord data;
    path.GetPathData(data);
    return data;
}

// Both paths hold the same points and types.
void ExpectSamePath(const plus::PlusPath& a, const plus::PlusPath& b) {
    const plus::PathDataRecord da = DataOf(a), db = DataOf(b);
    ASSERT_EQ(da.Count, db.Count);
    EXPECT_EQ(da.Types, db.Types);
    for (int i = 0; i < da.Count; ++i) {
        EXPECT_FLOAT_EQ(da.Points[i].x, db.Points[i].x) << "point " << i;
        EXPECT_FLOAT_EQ(da.Points[i].y, db.Points[i].y) << "point " << i;
    }
}

} // namespace

TEST_F(PathTest, RoundRectIsFourCornerArcsJoinedByLines) {
    ASSERT_TRUE(path.AddRoundRectPercent(0, 0, 100, 50, 20));
    plus::PathDataRecord data;
    ASSERT_TRUE(path.GetPathData(data));
    ASSERT_EQ(data.Count, 16) << "four 90-degree arcs, one Bezier each, joined by lines";
    ASSERT_EQ(data.Points.size(), 16u);
    ASSERT_EQ(data.Types.size(), 16u);

    int beziers = 0, lines = 0;
    for (int i = 0; i < data.Count; ++i) {
        const int type = data.Types[i] & kTypeMask;
        if (type == kTypeBezier) ++beziers;
        if (type == kTypeLine) ++lines;
    }
    EXPECT_EQ(data.Types[0] & kTypeMask, kTypeStart);
    EXPECT_EQ(beziers, 12);
    EXPECT_EQ(lines, 3) << "the fourth line is the closing of the figure";
    EXPECT_EQ(data.Types[15] & kCloseSubpath, kCloseSubpath);

    // Arc order and size: upper right from 270 degrees on a 20 x 10 ellipse, then lower
    // right, lower left, upper left.
    auto expectPoint = [&](int i, float x, float y) {
        EXPECT_NEAR(data.Points[i].x, x, 1e-3) << "point " << i;
        EXPECT_NEAR(data.Points[i].y, y, 1e-3) << "point " << i;
    };
    expectPoint(0, 90, 0);
    expectPoint(3, 100, 5);
    expectPoint(4, 100, 45);
    expectPoint(7, 90, 50);
    expectPoint(8, 10, 50);
    expectPoint(11, 0, 45);
    expectPoint(12, 0, 5);
    expectPoint(15, 10, 0);

    const plus::RectF bounds = path.GetBounds();
    EXPECT_FLOAT_EQ(bounds.width, 100);
    EXPECT_FLOAT_EQ(bounds.height, 50);
}

TEST_F(PathTest, RoundnessIsClampedToOneToHundred) {
    plus::PlusPath one, hundred, below, above;
    for (plus::PlusPath* p : {&one, &hundred, &below, &above})
        ASSERT_TRUE(p->CreatePath());
    ASSERT_TRUE(one.AddRoundRectPercent(0, 0, 200, 100, 1));
    ASSERT_TRUE(below.AddRoundRectPercent(0, 0, 200, 100, 0));
    ASSERT_TRUE(hundred.AddRoundRectPercent(0, 0, 200, 100, 100));
    ASSERT_TRUE(above.AddRoundRectPercent(0, 0, 200, 100, 250));
    ExpectSamePath(below, one);
    ExpectSamePath(above, hundred);

    // At 100 each corner arc spans the whole rectangle: the first arc starts at the top
    // centre and ends at the right middle.
    const plus::PathDataRecord data = DataOf(hundred);
    ASSERT_GE(data.Count, 4);
    EXPECT_NEAR(data.Points[0].x, 100, 1e-3);
    EXPECT_NEAR(data.Points[3].y, 50, 1e-3);
    // At 1 percent the corner ellipse is 2 x 1 units.
    const plus::PathDataRecord small = DataOf(one);
    EXPECT_NEAR(small.Points[0].x, 199, 1e-3);
    EXPECT_NEAR(small.Points[3].y, 0.5, 1e-3);
}

TEST_F(PathTest, TinyRoundRectHasZeroSizedCornersAndReportsOnlyTheClosing) {
    // 3 * 10 / 100 = 0.3 truncates to 0: every corner arc has no size.
    EXPECT_TRUE(path.AddRoundRectPercent(0, 0, 3, 3, 10));
    EXPECT_EQ(plus::LastStatus(), plus::Ok);
    std::vector<plus::PointF> points;
    if (path.GetPointCount() > 0) {
        ASSERT_TRUE(path.GetPathPoints(points));
        for (const plus::PointF& p : points) {
            EXPECT_TRUE(p.x == 0 || p.x == 3) << p.x;
            EXPECT_TRUE(p.y == 0 || p.y == 3) << p.y;
        }
    }

    // On a wrapper without a path every arc fails, and so does the closing.
    plus::PlusPath empty;
    EXPECT_FALSE(empty.AddRoundRectPercent(0, 0, 100, 50, 20));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
}

TEST_F(PathTest, EmptyPathHasNoData) {
    plus::PathDataRecord data;
    data.Count = 5;
    data.Points.resize(5);
    data.Types.resize(5, 1);
    EXPECT_FALSE(path.GetPathData(data));
    EXPECT_TRUE(data.Points.empty());
    EXPECT_TRUE(data.Types.empty());

    std::vector<plus::PointF> points(2);
    EXPECT_FALSE(path.GetPathPoints(points)) << "no count given and no points";
    plus::ByteSet types;
    EXPECT_FALSE(path.GetPathTypes(types));
    EXPECT_EQ(path.GetPointCount(), 0);
}

TEST_F(PathTest, PointGettersResizeTheCallersArrays) {
    ASSERT_TRUE(path.AddLines({{1, 2}, {30, 2}, {30, 40}}));
    EXPECT_EQ(path.GetPointCount(), 3);
    std::vector<plus::Point> points;
    ASSERT_TRUE(path.GetPathPointsI(points));
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[2].x, 30);
    EXPECT_EQ(points[2].y, 40);
    plus::ByteSet types;
    ASSERT_TRUE(path.GetPathTypes(types, 3));
    EXPECT_EQ(types, (plus::ByteSet{kTypeStart, kTypeLine, kTypeLine}));
    EXPECT_FALSE(path.GetPathTypes(types, 2)) << "a count below the point count";
    EXPECT_EQ(plus::LastStatus(), plus::InsufficientBuffer);
    EXPECT_EQ(types.size(), 2u);
    const plus::PointF last = path.GetLastPoint();
    EXPECT_FLOAT_EQ(last.x, 30);

    plus::PlusPath copy;
    ASSERT_TRUE(path.Clone(copy));
    ASSERT_TRUE(copy.Reverse());
    std::vector<plus::PointF> reversed;
    ASSERT_TRUE(copy.GetPathPoints(reversed));
    EXPECT_FLOAT_EQ(reversed[0].y, 40);
    EXPECT_EQ(path.GetPointCount(), 3) << "the clone is a separate path";
}

TEST_F(PathTest, PathFromPointsAndTypes) {
    plus::PlusPath made;
    ASSERT_TRUE(made.CreatePath2({{0, 0}, {10, 0}, {10, 10}},
                                 {kTypeStart, kTypeLine, kTypeLine | kCloseSubpath}, 1));
    EXPECT_EQ(made.GetFillMode(), 1);
    EXPECT_EQ(made.GetPointCount(), 3);

    // Fewer type bytes than points would make GDI+ read past them.
    plus::PlusPath refused;
    EXPECT_FALSE(refused.CreatePath2I({{0, 0}, {10, 0}, {10, 10}}, {kTypeStart}));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    EXPECT_EQ(refused.GetHandle(), nullptr);
}

TEST_F(PathTest, HitTestsAndWidenedBounds) {
    ASSERT_TRUE(path.AddRectangle(10, 10, 40, 20));
    EXPECT_TRUE(path.IsVisible(20, 20));
    EXPECT_FALSE(path.IsVisibleI(5, 5));

    plus::PlusPen pen;
    ASSERT_TRUE(pen.CreatePen(kBlack, 6));
    EXPECT_TRUE(path.IsOutlineVisible(10, 20, pen));
    EXPECT_FALSE(path.IsOutlineVisible(30, 20, pen)) << "inside, away from the outline";
    EXPECT_TRUE(path.IsOutlineVisibleI(50, 20, pen));
    EXPECT_FALSE(path.IsOutlineVisibleI(30, 20, pen));

    const plus::Rect plain = path.GetBoundsI();
    EXPECT_EQ(plain.x, 10);
    EXPECT_EQ(plain.width, 40);
    const plus::RectF widened = path.GetBounds(nullptr, &pen);
    EXPECT_LT(widened.x, 10.0f);
    EXPECT_GT(widened.width, 40.0f);

    TestMatrix shift;
    ASSERT_TRUE(shift.Create(1, 0, 0, 1, 5, 0));
    ASSERT_TRUE(path.Transform(shift));
    EXPECT_EQ(path.GetBoundsI().x, 15);
}

TEST_F(RegionTest, NewRegionIsInfiniteAndCombineRectIntersects) {
    plus::PlusRegion region;
    ASSERT_TRUE(region.Create());
    EXPECT_TRUE(region.IsInfinite(g));
    EXPECT_FALSE(region.IsEmpty(g));

    // No mode given: intersect.
    ASSERT_TRUE(region.CombineRect({10, 10, 30, 20}));
    EXPECT_FALSE(region.IsInfinite(g));
    ASSERT_TRUE(region.CombineRectI({20, 0, 40, 100}));
    const plus::Rect bounds = region.GetBoundsI(g);
    EXPECT_EQ(bounds.x, 20);
    EXPECT_EQ(bounds.y, 10);
    EXPECT_EQ(bounds.width, 20);
    EXPECT_EQ(bounds.height, 20);
    EXPECT_TRUE(region.IsVisiblePointI({25, 15}));
    EXPECT_FALSE(region.IsVisiblePoint({15, 15}));

    // An explicit mode is honoured.
    ASSERT_TRUE(region.CombineRectI({60, 60, 10, 10}, kCombineModeUnion));
    EXPECT_TRUE(region.IsVisiblePointI({65, 65}));

    plus::PlusSolidBrush black;
    ASSERT_TRUE(black.Create(kBlack));
    ASSERT_TRUE(g.FillRegion(black, region));
    EXPECT_EQ(surface.Rgb(25, 15), kRgbBlack);
    EXPECT_EQ(surface.Rgb(15, 15), kRgbWhite);
    EXPECT_EQ(surface.Rgb(65, 65), kRgbBlack);
}

TEST_F(RegionTest, PathRegionAndRegionCombinations) {
    plus::PlusPath circle;
    ASSERT_TRUE(circle.CreatePath());
    ASSERT_TRUE(circle.AddEllipse(0, 0, 40, 40));
    plus::PlusRegion round, square;
    ASSERT_TRUE(round.CreateFromPath(circle));
    ASSERT_TRUE(square.CreateFromRectI({0, 0, 40, 40}));
    EXPECT_FALSE(round.IsVisiblePointI({2, 2})) << "the corner is outside the circle";
    EXPECT_TRUE(square.IsVisiblePointI({2, 2}));

    plus::PlusRegion copy;
    ASSERT_TRUE(square.Clone(copy));
    EXPECT_TRUE(copy.IsEqual(square, g));
    ASSERT_TRUE(copy.CombineRegion(round));
    EXPECT_TRUE(copy.IsEqual(round, g)) << "square intersected with the circle is the circle";
    ASSERT_TRUE(copy.CombinePath(circle, 4)) << "exclude";
    EXPECT_TRUE(copy.IsEmpty(g));
    ASSERT_TRUE(copy.MakeInfinite());
    EXPECT_TRUE(copy.IsInfinite(g));
    ASSERT_TRUE(copy.MakeEmpty());
    EXPECT_TRUE(copy.IsEmpty(g));

    ASSERT_TRUE(square.TranslateI(10, 5));
    EXPECT_TRUE(square.IsVisibleRectI({45, 40, 4, 4}));
    EXPECT_FALSE(square.IsVisibleRect({0, 0, 5, 4}));
}

TEST_F(RegionTest, ScansAreResizedToTheirCount) {
    plus::PlusRegion region;
    ASSERT_TRUE(region.CreateFromRectI({0, 0, 10, 10}));
    ASSERT_TRUE(region.CombineRectI({20, 0, 10, 10}, kCombineModeUnion));
    ASSERT_TRUE(region.CombineRectI({0, 30, 5, 5}, kCombineModeUnion));
    TestMatrix identity;
    ASSERT_TRUE(identity.Create());

    EXPECT_EQ(region.GetScansCount(identity), 3);
    std::vector<plus::Rect> rects(7);
    ASSERT_EQ(region.GetScansI(identity, rects), 3);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[1].x, 20);
    EXPECT_EQ(rects[1].width, 10);
    EXPECT_EQ(rects[2].y, 30);
    std::vector<plus::RectF> rectsF;
    ASSERT_EQ(region.GetScans(identity, rectsF), 3);
    EXPECT_FLOAT_EQ(rectsF[2].height, 5);
}

TEST_F(RegionTest, DataRoundTripAndGdiRegion) {
    plus::PlusRegion region;
    ASSERT_TRUE(region.CreateFromRectI({5, 6, 20, 10}));
    const int size = region.GetDataSize();
    ASSERT_GT(size, 0);
    int filled = 0;
    const plus::ByteSet data = region.GetData(size, filled);
    ASSERT_EQ(data.size(), static_cast<std::size_t>(size));
    EXPECT_EQ(filled, size);

    plus::PlusRegion restored;
    ASSERT_TRUE(restored.CreateFromRgnData(data, filled));
    EXPECT_TRUE(restored.IsEqual(region, g));
    plus::PlusRegion refused;
    EXPECT_FALSE(refused.CreateFromRgnData(data, filled + 16)) << "size beyond the data";
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);

    const int gdiBefore = testing_support::GdiObjectCount();
    HRGN hrgn = region.GetHRGN(g);
    ASSERT_NE(hrgn, nullptr);
    EXPECT_TRUE(PtInRegion(hrgn, 10, 10));
    EXPECT_FALSE(PtInRegion(hrgn, 4, 10));
    plus::PlusRegion fromGdi;
    ASSERT_TRUE(fromGdi.CreateFromHrgn(hrgn));
    EXPECT_TRUE(fromGdi.IsEqual(region, g));
    DeleteObject(hrgn);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore);

    plus::PlusRegion infinite;
    ASSERT_TRUE(infinite.Create());
    EXPECT_EQ(infinite.GetHRGN(g), nullptr) << "an infinite region has no GDI region";
}

TEST_F(RegionTest, ReleaseTwiceAndCreateAgain) {
    plus::PlusRegion region;
    ASSERT_TRUE(region.Create());
    EXPECT_TRUE(region.DeleteRegion());
    EXPECT_FALSE(region.DeleteRegion());
    EXPECT_FALSE(region.IsInfinite(g));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    ASSERT_TRUE(region.CreateFromRect({0, 0, 1, 1}));
    EXPECT_FALSE(region.IsInfinite(g));
}

TEST_F(PathTest, CurveSegmentsOutsideThePointsAreRefused) {
    const std::vector<plus::PointF> lineF{{10, 30}, {30, 30}, {50, 30}, {70, 30}, {90, 30}};
    const std::vector<plus::Point> lineI{{10, 30}, {30, 30}, {50, 30}, {70, 30}, {90, 30}};
    struct Case {
        int offset;
        int segments;
        bool inside;
    };
    const Case cases[] = {
        {0, 4, true},  {1, 2, true},  {3, 1, true},  {-1, 1, false},      {-1000000, 2, false},
        {0, 5, false}, {4, 1, false}, {2, 0, false}, {INT_MAX, 1, false}, {1, INT_MAX, false},
    };
    for (const Case& c : cases) {
        for (int integer = 0; integer < 2; ++integer) {
            plus::PlusPath path;
            ASSERT_TRUE(path.CreatePath());
            const bool added = integer ? path.AddCurve3I(lineI, c.offset, c.segments, 0.5f)
                                       : path.AddCurve3(lineF, c.offset, c.segments, 0.5f);
            const std::string label = std::to_string(c.offset) + "," + std::to_string(c.segments) +
                                      (integer ? " (int)" : " (float)");
            EXPECT_EQ(added, c.inside) << label;
            EXPECT_EQ(plus::LastStatus(), c.inside ? plus::Ok : plus::InvalidParameter) << label;
            // Three Bezier points per segment after the first point; nothing when refused.
            EXPECT_EQ(path.GetPointCount(), c.inside ? 3 * c.segments + 1 : 0) << label;
            if (!c.inside) continue;
            std::vector<plus::PointF> points;
            ASSERT_TRUE(path.GetPathPoints(points));
            EXPECT_FLOAT_EQ(points.front().x, 10.0f + 20 * c.offset) << label;
            EXPECT_FLOAT_EQ(points.back().x, 10.0f + 20 * (c.offset + c.segments)) << label;
        }
    }
}
