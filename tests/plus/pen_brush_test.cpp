// Pens and brushes: their own decisions (units, array getters, the three brush-level copies,
// surround colours, transforms about a centre) and what they draw, read back pixel by pixel.
#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_internal.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"

#include "support/plus_fixture.h"
#include "test_objects.h"

#include <cmath>
#include <utility>
#include <vector>

using namespace plus_tests;
using testing_support::PlusTest;

namespace {

constexpr plus::ARGB kWhite = 0xFFFFFFFF;
constexpr plus::ARGB kBlack = 0xFF000000;
constexpr plus::ARGB kRed = 0xFFFF0000;
constexpr plus::ARGB kBlue = 0xFF0000FF;
constexpr plus::ARGB kGreen = 0xFF00FF00;
constexpr std::uint32_t kRgbWhite = 0xFFFFFF;
constexpr std::uint32_t kRgbBlack = 0x000000;

constexpr int kBrushTypeSolid = 0;
constexpr int kBrushTypePathGradient = 3;
constexpr int kBrushTypeLinearGradient = 4;
constexpr int kDashStyleCustom = 5;
constexpr int kMatrixOrderAppend = 1;

// Channels of 0x00RRGGBB.
int Red(std::uint32_t rgb) {
    return (rgb >> 16) & 0xFF;
}
int Green(std::uint32_t rgb) {
    return (rgb >> 8) & 0xFF;
}
int Blue(std::uint32_t rgb) {
    return rgb & 0xFF;
}

class DrawingTest : public PlusTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(g.CreateFromHDC(surface.Dc()));
        ASSERT_TRUE(g.Clear(kWhite));
    }
    DibSurface surface{120, 120};
    plus::PlusGraphics g;
};

using PenTest = DrawingTest;
using BrushTest = DrawingTest;

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

void ExpectElementsNear(const std::vector<float>& actual, const std::vector<float>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-3) << "element " << i;
}

} // namespace

TEST_F(PenTest, ColourPenIsOneWorldUnitWide) {
    plus::PlusPen pen;
    ASSERT_TRUE(pen.CreatePen(kBlack, 1));
    EXPECT_FLOAT_EQ(pen.GetWidth(), 1.0f);
    EXPECT_EQ(pen.GetUnit(), 0) << "world units when none is given";
    EXPECT_EQ(pen.GetColor(), kBlack);
    EXPECT_EQ(pen.GetFillType(), kBrushTypeSolid);

    EXPECT_TRUE(pen.SetLineCap(2, 3, 2));
    EXPECT_EQ(pen.GetStartCap(), 2);
    EXPECT_EQ(pen.GetEndCap(), 3);
    EXPECT_EQ(pen.GetDashCap(), 2);
    EXPECT_EQ(pen.GetDashCapAlt(), 2);

    EXPECT_TRUE(pen.DeletePen());
    EXPECT_EQ(pen.GetHandle(), nullptr);
    EXPECT_FALSE(pen.DeletePen()) << "nothing left to release";
    EXPECT_EQ(plus::LastStatus(), plus::Ok) << "the second release leaves the status alone";
    EXPECT_FLOAT_EQ(pen.GetWidth(), 0.0f);
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
}

TEST_F(PenTest, UnitIsTruncatedTowardZero) {
    // Wine's GDI+ has no GdipSetPenUnit (calling it ends the process).
    if (RunningUnderWine()) GTEST_SKIP() << "GdipSetPenUnit is not implemented by Wine";
    plus::PlusPen pen;
    ASSERT_TRUE(pen.CreatePen(kBlack, 1));
    // 2.9 is pixels (2).
    EXPECT_TRUE(pen.SetUnit(2.9f));
    EXPECT_EQ(pen.GetUnit(), 2);
    EXPECT_FALSE(pen.SetUnit(NAN)) << "a unit no integer can hold is refused, not converted";
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    EXPECT_EQ(pen.GetUnit(), 2);
}

TEST_F(PenTest, LineIsAsWideAsThePen) {
    plus::PlusPen pen;
    ASSERT_TRUE(pen.CreatePen(kBlack, 5));
    ASSERT_TRUE(g.DrawLine(pen, 10, 30.5f, 110, 30.5f));
    // Five rows centred on the line, white outside.
    for (int y = 28; y <= 32; ++y)
        EXPECT_EQ(surface.Rgb(60, y), kRgbBlack) << "row " << y;
    EXPECT_EQ(surface.Rgb(60, 26), kRgbWhite);
    EXPECT_EQ(surface.Rgb(60, 34), kRgbWhite);

    ASSERT_TRUE(pen.SetWidth(11));
    ASSERT_TRUE(g.DrawLine(pen, 10, 80.5f, 110, 80.5f));
    for (int y = 76; y <= 84; ++y)
        EXPECT_EQ(surface.Rgb(60, y), kRgbBlack) << "row " << y;
    EXPECT_EQ(surface.Rgb(60, 73), kRgbWhite);
    EXPECT_EQ(surface.Rgb(60, 87), kRgbWhite);
}

TEST_F(PenTest, PenFromBrushGivesItsFillBack) {
    plus::PlusSolidBrush brush;
    ASSERT_TRUE(brush.Create(kGreen));
    plus::PlusPen pen;
    ASSERT_TRUE(pen.CreatePenFromBrush(brush, 3));
    EXPECT_FLOAT_EQ(pen.GetWidth(), 3.0f);
    EXPECT_EQ(pen.GetFillType(), kBrushTypeSolid);

    plus::PlusSolidBrush fill;
    ASSERT_TRUE(pen.GetBrushFill(fill));
    EXPECT_NE(fill.GetHandle(), brush.GetHandle()) << "a copy of the fill, not the brush";
    EXPECT_EQ(fill.GetColor(), kGreen);

    plus::PlusPen copy;
    ASSERT_TRUE(pen.Clone(copy));
    EXPECT_NE(copy.GetHandle(), pen.GetHandle());
    EXPECT_FLOAT_EQ(copy.GetWidth(), 3.0f);
}

TEST_F(PenTest, DashAndCompoundArrays) {
    plus::PlusPen pen;
    ASSERT_TRUE(pen.CreatePen(kBlack, 2));
    std::vector<float> dashes = {9, 9, 9};
    EXPECT_EQ(pen.GetDashArray(dashes), 0) << "a solid pen has no dashes";

    ASSERT_TRUE(pen.SetDashArray({3, 1, 2, 1}));
    EXPECT_EQ(pen.GetDashStyle(), kDashStyleCustom);
    EXPECT_EQ(pen.GetDashArray(dashes), 4);
    ExpectElementsNear(dashes, {3, 1, 2, 1});

    EXPECT_FALSE(pen.SetDashArray({})) << "an empty array reaches GDI+ as null and count 0";
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);

    std::vector<float> compounds;
    ASSERT_TRUE(pen.SetCompoundArray({0.0f, 0.25f, 0.75f, 1.0f}));
    EXPECT_EQ(pen.GetCompoundArray(compounds), 4);
    ExpectElementsNear(compounds, {0.0f, 0.25f, 0.75f, 1.0f});

    // Joins: each value set is read back (0 miter, 1 bevel, 2 round, 3 clipped miter).
    for (const int join : {2, 1, 3, 0}) {
        EXPECT_TRUE(pen.SetLineJoin(join));
        EXPECT_EQ(pen.GetLineJoin(), join);
    }

    // Moved over another pen or into a new one, the native pen goes with its settings.
    void* native = pen.GetHandle();
    plus::PlusPen other;
    ASSERT_TRUE(other.CreatePen(kBlue, 5));
    other = std::move(pen);
    EXPECT_EQ(other.GetHandle(), native);
    EXPECT_EQ(pen.GetHandle(), nullptr);
    EXPECT_EQ(other.GetCompoundArray(compounds), 4);
    plus::PlusPen made(std::move(other));
    EXPECT_EQ(made.GetHandle(), native);
    EXPECT_EQ(other.GetHandle(), nullptr);
    EXPECT_EQ(made.GetCompoundArray(compounds), 4);
}

TEST_F(PenTest, RotateAtComposesAboutTheCentre) {
    plus::PlusPen pen;
    ASSERT_TRUE(pen.CreatePen(kBlack, 1));
    ASSERT_TRUE(pen.RotateAt(90, {10, 20}));
    TestMatrix m;
    ASSERT_TRUE(m.Create());
    ASSERT_TRUE(pen.GetTransform(m));
    // Prepend: translate(+c) * rotate * translate(-c); the centre maps onto itself.
    ExpectElementsNear(m.Elements(), {0, 1, -1, 0, 30, 10});

    ASSERT_TRUE(pen.ResetTransform());
    ASSERT_TRUE(pen.ScaleAt(2, 3, {10, 20}, kMatrixOrderAppend));
    ASSERT_TRUE(pen.GetTransform(m));
    ExpectElementsNear(m.Elements(), {2, 0, 0, 3, -10, -40});
}

TEST_F(BrushTest, SolidBrushFillsItsColour) {
    plus::PlusSolidBrush brush;
    ASSERT_TRUE(brush.Create(kRed));
    EXPECT_EQ(brush.GetType(), kBrushTypeSolid);
    EXPECT_EQ(brush.GetColor(), kRed);
    ASSERT_TRUE(brush.SetColor(kBlue));
    ASSERT_TRUE(g.FillRectangle(brush, 0, 0, 10, 10));
    EXPECT_EQ(surface.Rgb(5, 5), 0x0000FFu);
    EXPECT_EQ(surface.Rgb(15, 5), kRgbWhite);

    plus::PlusSolidBrush copy;
    ASSERT_TRUE(brush.Clone(copy));
    EXPECT_NE(copy.GetHandle(), brush.GetHandle());
    EXPECT_EQ(copy.GetColor(), kBlue);
}

TEST_F(BrushTest, SetHandleReachesEveryLevelAndDeleteClearsThem) {
    Gdiplus::GpLineGradient* native = nullptr;
    const Gdiplus::PointF p1(0, 0), p2(10, 0);
    ASSERT_EQ(plus::gp::GdipCreateLineBrush(&p1, &p2, kRed, kBlue, Gdiplus::WrapModeTile, &native),
              Gdiplus::Ok);

    plus::PlusLinearBrush brush;
    brush.SetHandle(native);
    EXPECT_EQ(brush.GetHandle(), native);
    EXPECT_EQ(brush.BrushNative(), native);
    EXPECT_EQ(brush.Native(), native);
    EXPECT_EQ(brush.GetType(), kBrushTypeLinearGradient);

    EXPECT_TRUE(brush.DeleteBrush());
    EXPECT_EQ(brush.GetHandle(), nullptr);
    EXPECT_EQ(brush.BrushNative(), nullptr);
    EXPECT_EQ(brush.Native(), nullptr);
    EXPECT_EQ(brush.GetType(), 0);
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
}

TEST_F(BrushTest, LinearGradientRunsFromItsFirstColourToItsSecond) {
    plus::PlusLinearBrush brush;
    ASSERT_TRUE(brush.Create({0, 0}, {100, 0}, kRed, kBlue));
    EXPECT_EQ(brush.GetType(), kBrushTypeLinearGradient);
    EXPECT_EQ(brush.GetWrapMode(), 0) << "created tiled";
    plus::ARGB c1 = 0, c2 = 0;
    ASSERT_TRUE(brush.GetColors(c1, c2));
    EXPECT_EQ(c1, kRed);
    EXPECT_EQ(c2, kBlue);
    const plus::RectF rect = brush.GetRect();
    EXPECT_FLOAT_EQ(rect.x, 0);
    EXPECT_FLOAT_EQ(rect.width, 100);

    ASSERT_TRUE(g.FillRectangle(brush, 0, 0, 100, 20));
    const std::uint32_t left = surface.Rgb(0, 10);
    const std::uint32_t middle = surface.Rgb(50, 10);
    const std::uint32_t right = surface.Rgb(99, 10);
    EXPECT_GE(Red(left), 240);
    EXPECT_LE(Blue(left), 15);
    EXPECT_LE(Red(right), 15);
    EXPECT_GE(Blue(right), 240);
    EXPECT_NEAR(Red(middle), 128, 20);
    EXPECT_NEAR(Blue(middle), 128, 20);
    EXPECT_EQ(Green(middle), 0);
}

TEST_F(BrushTest, VerticalGradientFromRectangle) {
    plus::PlusLinearBrush brush;
    ASSERT_TRUE(brush.CreateFromRectI({0, 0, 20, 100}, kBlack, kWhite, 1));
    const plus::Rect rect = brush.GetRectI();
    EXPECT_EQ(rect.height, 100);
    ASSERT_TRUE(g.FillRectangle(brush, 0, 0, 20, 100));
    EXPECT_LE(Red(surface.Rgb(10, 0)), 15);
    EXPECT_GE(Red(surface.Rgb(10, 99)), 240);
    EXPECT_LT(Red(surface.Rgb(10, 30)), Red(surface.Rgb(10, 70))) << "darker above";
}

TEST_F(BrushTest, BlendArraysAreResizedToTheCount) {
    plus::PlusLinearBrush brush;
    ASSERT_TRUE(brush.Create({0, 0}, {100, 0}, kRed, kBlue));

    ASSERT_TRUE(brush.SetBlend({0.0f, 0.8f, 1.0f}, {0.0f, 0.4f, 1.0f}));
    EXPECT_EQ(brush.GetBlendCount(), 3);
    std::vector<float> factors, positions = {7, 7, 7, 7, 7};
    EXPECT_EQ(brush.GetBlend(factors, positions), 3);
    ExpectElementsNear(factors, {0.0f, 0.8f, 1.0f});
    ExpectElementsNear(positions, {0.0f, 0.4f, 1.0f});

    // Positions shorter than the factors would make GDI+ read past them.
    EXPECT_FALSE(brush.SetBlend({0.0f, 0.5f, 1.0f}, {0.0f, 1.0f}));
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    EXPECT_EQ(brush.GetBlendCount(), 3) << "the refused blend changed nothing";

    ASSERT_TRUE(brush.SetPresetBlend({kRed, kGreen, kBlue}, {0.0f, 0.5f, 1.0f}));
    EXPECT_EQ(brush.GetPresetBlendCount(), 3);
    std::vector<plus::ARGB> colours;
    EXPECT_EQ(brush.GetPresetBlend(colours, positions), 3);
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_EQ(colours[1], kGreen);
    ExpectElementsNear(positions, {0.0f, 0.5f, 1.0f});
    plus::PlusLinearBrush preset;
    ASSERT_TRUE(preset.Create({0, 0}, {100, 0}, kRed, kBlue));
    ASSERT_TRUE(preset.SetPresetBlend({kRed, kGreen, kBlue}, {0.0f, 0.5f, 1.0f}));
    ASSERT_TRUE(g.FillRectangle(preset, 0, 0, 100, 10));
    EXPECT_GE(Green(surface.Rgb(50, 5)), 230) << "the middle stop is green";

    // An empty wrapper: the count query fails and the arrays stay as they are.
    plus::PlusLinearBrush empty;
    EXPECT_EQ(empty.GetBlend(factors, positions), 0);
    EXPECT_EQ(factors.size(), 3u);
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
}

TEST_F(BrushTest, PathGradientCentreColourAtItsCentre) {
    plus::PlusPathBrush brush;
    ASSERT_TRUE(brush.Create({{0, 0}, {100, 0}, {100, 100}, {0, 100}}));
    EXPECT_EQ(brush.GetType(), kBrushTypePathGradient);
    EXPECT_EQ(brush.GetWrapMode(), 4) << "clamped when no wrap mode is given";
    EXPECT_EQ(brush.GetPointCount(), 4);
    ASSERT_TRUE(brush.SetCenterColor(kRed));
    EXPECT_EQ(brush.GetCenterColor(), kRed);

    int count = 0;
    ASSERT_TRUE(brush.SetSurroundColors({kBlue, kBlue, kBlue, kBlue}, count));
    EXPECT_EQ(count, 4) << "a count left out becomes the number of colours";
    EXPECT_EQ(brush.GetSurroundColorCount(), 4);
    std::vector<plus::ARGB> surround(4, 0);
    int room = 4;
    ASSERT_TRUE(brush.GetSurroundColors(surround, room));
    EXPECT_EQ(surround[3], kBlue);
    room = 9;
    EXPECT_FALSE(brush.GetSurroundColors(surround, room)) << "more room claimed than given";
    EXPECT_EQ(plus::LastStatus(), plus::InvalidParameter);
    count = 5;
    EXPECT_FALSE(brush.SetSurroundColors({kBlue, kBlue}, count));

    const plus::PointF centre = brush.GetCenterPoint();
    EXPECT_NEAR(centre.x, 50, 0.5);
    EXPECT_NEAR(centre.y, 50, 0.5);
    plus::RectF bounds;
    ASSERT_TRUE(brush.GetRect(bounds));
    EXPECT_FLOAT_EQ(bounds.width, 100);

    ASSERT_TRUE(g.FillRectangle(brush, 0, 0, 100, 100));
    const std::uint32_t middle = surface.Rgb(50, 50);
    EXPECT_GE(Red(middle), 230);
    EXPECT_LE(Blue(middle), 25);
    const std::uint32_t nearEdge = surface.Rgb(50, 1);
    EXPECT_GE(Blue(nearEdge), 200);
    EXPECT_LE(Red(nearEdge), 55);
}

TEST_F(BrushTest, PathGradientFromPathWithSurroundColourCountLeftOut) {
    plus::PlusPath path;
    ASSERT_TRUE(path.CreatePath());
    ASSERT_TRUE(path.AddEllipse(0, 0, 80, 80));
    plus::PlusPathBrush brush;
    ASSERT_TRUE(brush.CreateFromPath(path));
    ASSERT_TRUE(brush.SetCenterColor(kWhite));
    ASSERT_TRUE(brush.SetSurroundColors({kBlack}));
    int room = brush.GetPointCount();
    ASSERT_GE(room, 4);
    std::vector<plus::ARGB> surround(static_cast<std::size_t>(room), 0);
    ASSERT_TRUE(brush.GetSurroundColors(surround, room));
    EXPECT_GE(room, 1);
    EXPECT_EQ(surround[0], kBlack);
    ASSERT_TRUE(brush.SetCenterPoint({20, 40}));
    const plus::Point centre = brush.GetCenterPointI();
    EXPECT_EQ(centre.x, 20);
    EXPECT_EQ(centre.y, 40);
}

TEST_F(BrushTest, RotateAtChangesOnlyThatBrush) {
    plus::PlusPathBrush turned, other;
    ASSERT_TRUE(turned.Create({{0, 0}, {100, 0}, {100, 100}}));
    ASSERT_TRUE(other.Create({{0, 0}, {100, 0}, {100, 100}}));
    ASSERT_TRUE(turned.RotateAt(90, {50, 50}));

    TestMatrix m;
    ASSERT_TRUE(m.Create());
    ASSERT_TRUE(turned.GetTransform(m));
    ExpectElementsNear(m.Elements(), {0, 1, -1, 0, 100, 0});
    ASSERT_TRUE(other.GetTransform(m));
    ExpectElementsNear(m.Elements(), {1, 0, 0, 1, 0, 0});

    plus::PlusLinearBrush line;
    ASSERT_TRUE(line.Create({0, 0}, {10, 0}, kRed, kBlue));
    ASSERT_TRUE(line.ScaleAt(2, 2, {5, 5}));
    ASSERT_TRUE(line.GetTransform(m));
    const std::vector<float> e = m.Elements();
    // The scaled brush keeps its centre in place: 5 * 2 + dx = 5.
    EXPECT_NEAR(e[0] * 5 + e[2] * 5 + e[4], 5, 1e-3);
    EXPECT_NEAR(e[1] * 5 + e[3] * 5 + e[5], 5, 1e-3);
}

namespace {

using TestCap = TestObject<Gdiplus::GpCustomLineCap, plus::gp::GdipDeleteCustomLineCap>;

// A call GDI+ may leave out answers NotImplemented; otherwise it succeeds.
void ExpectForwarded(bool result) {
    const int status = plus::LastStatus();
    EXPECT_TRUE(status == plus::Ok || status == plus::NotImplemented) << "status " << status;
    EXPECT_EQ(result, status == plus::Ok);
}

} // namespace

TEST_F(PenTest, CustomCapsAreCopiedIntoTheTarget) {
    plus::PlusPath arrow;
    ASSERT_TRUE(arrow.CreatePath());
    ASSERT_TRUE(arrow.AddLines({{-2, -2}, {0, 0}, {2, -2}}));
    TestCap cap;
    ASSERT_TRUE(
        plus::CreateNative<Gdiplus::GpCustomLineCap>(cap, [&](Gdiplus::GpCustomLineCap** out) {
            return plus::gp::GdipCreateCustomLineCap(nullptr,
                                                     static_cast<Gdiplus::GpPath*>(arrow.Native()),
                                                     Gdiplus::LineCapFlat, 0, out);
        }));

    plus::PlusPen pen;
    ASSERT_TRUE(pen.CreatePen(kBlack, 2));
    ASSERT_TRUE(pen.SetCustomStartCap(cap));
    ASSERT_TRUE(pen.SetCustomEndCap(cap));
    TestCap start, end;
    ExpectForwarded(pen.GetCustomStartCap(start));
    if (plus::LastStatus() == plus::Ok) {
        EXPECT_NE(start.GetHandle(), cap.GetHandle());
    }
    ExpectForwarded(pen.GetCustomEndCap(end));
}

TEST_F(BrushTest, RarelyUsedCallsForwardTheirStatus) {
    plus::PlusPathBrush brush;
    ASSERT_TRUE(brush.CreateI({{0, 0}, {60, 0}, {60, 60}, {0, 60}}, 0));
    EXPECT_EQ(brush.GetWrapMode(), 0);
    ExpectForwarded(brush.SetFocusScales(0.5f, 0.25f));
    float sx = 0, sy = 0;
    ExpectForwarded(brush.GetFocusScales(sx, sy));
    ExpectForwarded(brush.SetSigmaBlend(0.5f, 1.0f));
    ExpectForwarded(brush.SetLinearBlend(0.5f, 1.0f));
    ExpectForwarded(brush.SetGammaCorrection(true));
    plus::PlusPath outline;
    ASSERT_TRUE(outline.CreatePath());
    ExpectForwarded(brush.GetPath(outline));
    plus::Rect rect;
    ASSERT_TRUE(brush.GetRectI(rect));
    EXPECT_EQ(rect.width, 60);

    TestMatrix shift;
    ASSERT_TRUE(shift.Create(1, 0, 0, 1, 7, 0));
    ASSERT_TRUE(brush.SetTransform(shift));
    ASSERT_TRUE(brush.MultiplyTransform(shift, kMatrixOrderAppend));
    TestMatrix read;
    ASSERT_TRUE(read.Create());
    ASSERT_TRUE(brush.GetTransform(read));
    EXPECT_NEAR(read.Elements()[4], 14, 1e-3);
    ASSERT_TRUE(brush.ResetTransform());
    ASSERT_TRUE(brush.TranslateTransform(3, 4));
    ASSERT_TRUE(brush.ScaleTransform(2, 2));
    ASSERT_TRUE(brush.RotateTransform(0));

    plus::PlusLinearBrush line;
    ASSERT_TRUE(line.CreateFromRectWithAngle({0, 0, 50, 50}, kRed, kBlue, 45, true));
    ExpectForwarded(line.SetGammaCorrection(true));
    ExpectForwarded(line.SetSigmaBlend(0.5f, 1.0f));
    ASSERT_TRUE(line.SetWrapMode(2));
    EXPECT_EQ(line.GetWrapMode(), 2);
    ASSERT_TRUE(line.SetColors(kGreen, kBlack));
    plus::ARGB c1 = 0, c2 = 0;
    ASSERT_TRUE(line.GetColors(c1, c2));
    EXPECT_EQ(c1, kGreen);
    EXPECT_EQ(c2, kBlack);

    plus::PlusLinearBrush empty;
    plus::ARGB untouched = 0x12345678;
    EXPECT_FALSE(empty.GetColors(untouched, untouched));
    EXPECT_EQ(untouched, 0x12345678u) << "a failed call leaves the caller's colours alone";
}
