#include "plus/plus_path.h"

#include "plus/plus_font_family.h"
#include "plus/plus_graphics.h"
#include "plus/plus_internal.h"
#include "plus/plus_wrapper_helpers.h"
#include "plus/plus_pen.h"
#include "plus/plus_string_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plus {
namespace {

using Gdiplus::GpPath;
using Gdiplus::GpStatus;

GpPath* PathOf(const PlusPath& path) {
    return static_cast<GpPath*>(path.Native());
}
Gdiplus::GpMatrix* Matrix(const PlusObject* m) {
    return NativeOf<Gdiplus::GpMatrix>(m);
}
Gdiplus::GpGraphics* GraphicsOf(const PlusGraphics* g) {
    return NativeOf<Gdiplus::GpGraphics>(g);
}

// The native PathData block GdipGetPathData fills (the SDK's own struct frees its arrays
// itself, which does not fit buffers from the GDI+ allocator).
struct NativePathData {
    INT Count;
    Gdiplus::PointF* Points;
    BYTE* Types;
};

// GDI+ memory owned for the length of one call.
struct GdiplusBuffer {
    explicit GdiplusBuffer(std::size_t size) : data(gp::GdipAlloc(size)) {}
    ~GdiplusBuffer() {
        if (data) gp::GdipFree(data);
    }
    GdiplusBuffer(const GdiplusBuffer&) = delete;
    GdiplusBuffer& operator=(const GdiplusBuffer&) = delete;
    void* data;
};

// The number of points to read: the caller's count, or GDI+'s point count when left out.
bool PointsToRead(const PlusPath& path, int& count) {
    if (count != 0) return count > 0;
    INT n = 0;
    if (Record(gp::GdipGetPointCount(PathOf(path), &n)) != Ok || n <= 0) return false;
    count = n;
    return true;
}

template <class Add> bool AddText(const WideArg& text, Add add) {
    return Succeeded(add(text.Data(), text.Length()));
}

} // namespace

PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(PlusPath, DeletePath)

bool PlusPath::DeletePath() {
    return ReleaseNative(*this, native_, [&] { return gp::GdipDeletePath(PathOf(*this)); });
}

bool PlusPath::CreatePath(int fillMode) {
    return CreateNative<GpPath>(*this, [&](GpPath** out) {
        return gp::GdipCreatePath(EnumOf<Gdiplus::FillMode>(fillMode), out);
    });
}

bool PlusPath::CreatePath2(const std::vector<PointF>& points, const ByteSet& types, int fillMode) {
    // GDI+ reads one type byte per point.
    if (types.size() < points.size()) {
        Record(InvalidParameter);
        return false;
    }
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return CreateNative<GpPath>(*this, [&](GpPath** out) {
        return gp::GdipCreatePath2(packed.Data(), types.empty() ? nullptr : types.data(),
                                   packed.Count(), EnumOf<Gdiplus::FillMode>(fillMode), out);
    });
}

bool PlusPath::CreatePath2I(const std::vector<Point>& points, const ByteSet& types, int fillMode) {
    if (types.size() < points.size()) {
        Record(InvalidParameter);
        return false;
    }
    PackedArray<Gdiplus::Point, Point> packed(points);
    return CreateNative<GpPath>(*this, [&](GpPath** out) {
        return gp::GdipCreatePath2I(packed.Data(), types.empty() ? nullptr : types.data(),
                                    packed.Count(), EnumOf<Gdiplus::FillMode>(fillMode), out);
    });
}

bool PlusPath::Clone(PlusPath& target) const {
    return CreateNative<GpPath>(
        target, [&](GpPath** out) { return gp::GdipClonePath(PathOf(*this), out); });
}

bool PlusPath::Reset() {
    return Succeeded(gp::GdipResetPath(PathOf(*this)));
}

int PlusPath::GetFillMode() const {
    Gdiplus::FillMode mode{};
    Record(gp::GdipGetPathFillMode(PathOf(*this), &mode));
    return static_cast<int>(mode);
}

bool PlusPath::SetFillMode(int fillMode) {
    return Succeeded(gp::GdipSetPathFillMode(PathOf(*this), EnumOf<Gdiplus::FillMode>(fillMode)));
}

bool PlusPath::GetPathData(PathDataRecord& data) const {
    INT count = 0;
    if (Record(gp::GdipGetPointCount(PathOf(*this), &count)) != Ok) return false;
    data.Points.assign(static_cast<std::size_t>(std::max(count, 0)), PointF{});
    data.Types.assign(static_cast<std::size_t>(std::max(count, 0)), 0);
    if (count <= 0) return false;

    GdiplusBuffer points(sizeof(Gdiplus::PointF) * static_cast<std::size_t>(count));
    GdiplusBuffer types(static_cast<std::size_t>(count));
    if (!points.data || !types.data) {
        Record(OutOfMemory);
        return false;
    }
    NativePathData native{count, static_cast<Gdiplus::PointF*>(points.data),
                          static_cast<BYTE*>(types.data)};
    const bool ok = Succeeded(
        gp::GdipGetPathData(PathOf(*this), reinterpret_cast<Gdiplus::GpPathData*>(&native)));
    if (ok) {
        data.Count = count;
        std::memcpy(static_cast<void*>(data.Points.data()), points.data,
                    sizeof(Gdiplus::PointF) * static_cast<std::size_t>(count));
        std::memcpy(data.Types.data(), types.data, static_cast<std::size_t>(count));
    }
    return ok;
}

bool PlusPath::GetPathTypes(ByteSet& types, int count) const {
    if (!PointsToRead(*this, count)) return false;
    if (!Allocated([&] { types.assign(static_cast<std::size_t>(count), 0); })) return false;
    return Succeeded(gp::GdipGetPathTypes(PathOf(*this), types.data(), count));
}

bool PlusPath::GetPathPoints(std::vector<PointF>& points, int count) const {
    if (!PointsToRead(*this, count)) return false;
    if (!Allocated([&] { points.assign(static_cast<std::size_t>(count), PointF{}); })) return false;
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return Succeeded(gp::GdipGetPathPoints(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::GetPathPointsI(std::vector<Point>& points, int count) const {
    if (!PointsToRead(*this, count)) return false;
    if (!Allocated([&] { points.assign(static_cast<std::size_t>(count), Point{}); })) return false;
    PackedArray<Gdiplus::Point, Point> packed(points);
    return Succeeded(gp::GdipGetPathPointsI(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::StartFigure() {
    return Succeeded(gp::GdipStartPathFigure(PathOf(*this)));
}
bool PlusPath::CloseFigure() {
    return Succeeded(gp::GdipClosePathFigure(PathOf(*this)));
}
bool PlusPath::CloseFigures() {
    return Succeeded(gp::GdipClosePathFigures(PathOf(*this)));
}
bool PlusPath::SetMarker() {
    return Succeeded(gp::GdipSetPathMarker(PathOf(*this)));
}
bool PlusPath::ClearMarkers() {
    return Succeeded(gp::GdipClearPathMarkers(PathOf(*this)));
}
bool PlusPath::Reverse() {
    return Succeeded(gp::GdipReversePath(PathOf(*this)));
}

PointF PlusPath::GetLastPoint() const {
    Gdiplus::PointF point;
    if (Record(gp::GdipGetPathLastPoint(PathOf(*this), &point)) != Ok) return PointF{};
    return FromNative<PointF>(point);
}

bool PlusPath::AddLine(float x1, float y1, float x2, float y2) {
    return Succeeded(gp::GdipAddPathLine(PathOf(*this), x1, y1, x2, y2));
}

bool PlusPath::AddLineI(int x1, int y1, int x2, int y2) {
    return Succeeded(gp::GdipAddPathLineI(PathOf(*this), x1, y1, x2, y2));
}

bool PlusPath::AddLines(const std::vector<PointF>& points) {
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return Succeeded(gp::GdipAddPathLine2(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddLinesI(const std::vector<Point>& points) {
    PackedArray<Gdiplus::Point, Point> packed(points);
    return Succeeded(gp::GdipAddPathLine2I(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddArc(float x, float y, float width, float height, float startAngle,
                      float sweepAngle) {
    return Succeeded(
        gp::GdipAddPathArc(PathOf(*this), x, y, width, height, startAngle, sweepAngle));
}

bool PlusPath::AddArcI(int x, int y, int width, int height, float startAngle, float sweepAngle) {
    return Succeeded(
        gp::GdipAddPathArcI(PathOf(*this), x, y, width, height, startAngle, sweepAngle));
}

bool PlusPath::AddBezier(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                         float y4) {
    return Succeeded(gp::GdipAddPathBezier(PathOf(*this), x1, y1, x2, y2, x3, y3, x4, y4));
}

bool PlusPath::AddBezierI(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    return Succeeded(gp::GdipAddPathBezierI(PathOf(*this), x1, y1, x2, y2, x3, y3, x4, y4));
}

bool PlusPath::AddBeziers(const std::vector<PointF>& points) {
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return Succeeded(gp::GdipAddPathBeziers(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddBeziersI(const std::vector<Point>& points) {
    PackedArray<Gdiplus::Point, Point> packed(points);
    return Succeeded(gp::GdipAddPathBeziersI(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddCurve(const std::vector<PointF>& points) {
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return Succeeded(gp::GdipAddPathCurve(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddCurve2(const std::vector<PointF>& points, float tension) {
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return Succeeded(gp::GdipAddPathCurve2(PathOf(*this), packed.Data(), packed.Count(), tension));
}

bool PlusPath::AddCurve3(const std::vector<PointF>& points, int offset, int numberOfSegments,
                         float tension) {
    if (!CurveSegmentsInside(points.size(), offset, numberOfSegments)) return false;
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return Succeeded(gp::GdipAddPathCurve3(PathOf(*this), packed.Data(), packed.Count(), offset,
                                           numberOfSegments, tension));
}

bool PlusPath::AddCurveI(const std::vector<Point>& points) {
    PackedArray<Gdiplus::Point, Point> packed(points);
    return Succeeded(gp::GdipAddPathCurveI(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddCurve2I(const std::vector<Point>& points, float tension) {
    PackedArray<Gdiplus::Point, Point> packed(points);
    return Succeeded(gp::GdipAddPathCurve2I(PathOf(*this), packed.Data(), packed.Count(), tension));
}

bool PlusPath::AddCurve3I(const std::vector<Point>& points, int offset, int numberOfSegments,
                          float tension) {
    if (!CurveSegmentsInside(points.size(), offset, numberOfSegments)) return false;
    PackedArray<Gdiplus::Point, Point> packed(points);
    return Succeeded(gp::GdipAddPathCurve3I(PathOf(*this), packed.Data(), packed.Count(), offset,
                                            numberOfSegments, tension));
}

bool PlusPath::AddClosedCurve(const std::vector<PointF>& points) {
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return Succeeded(gp::GdipAddPathClosedCurve(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddClosedCurve2(const std::vector<PointF>& points, float tension) {
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return Succeeded(
        gp::GdipAddPathClosedCurve2(PathOf(*this), packed.Data(), packed.Count(), tension));
}

bool PlusPath::AddClosedCurveI(const std::vector<Point>& points) {
    PackedArray<Gdiplus::Point, Point> packed(points);
    return Succeeded(gp::GdipAddPathClosedCurveI(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddClosedCurve2I(const std::vector<Point>& points, float tension) {
    PackedArray<Gdiplus::Point, Point> packed(points);
    return Succeeded(
        gp::GdipAddPathClosedCurve2I(PathOf(*this), packed.Data(), packed.Count(), tension));
}

bool PlusPath::AddRectangle(float x, float y, float width, float height) {
    return Succeeded(gp::GdipAddPathRectangle(PathOf(*this), x, y, width, height));
}

bool PlusPath::AddRoundRectPercent(float x, float y, float width, float height, int roundness) {
    roundness = std::clamp(roundness, 1, 100);
    const float right = x + width;
    const float bottom = y + height;
    // Corner ellipse size in whole units (truncated toward zero).
    const auto dx = static_cast<float>(std::trunc(static_cast<double>(width) * roundness / 100));
    const auto dy = static_cast<float>(std::trunc(static_cast<double>(height) * roundness / 100));
    GpPath* path = PathOf(*this);
    // Upper right, lower right, lower left, upper left; GDI+ joins them with lines. Only the
    // closing of the figure is reported.
    gp::GdipAddPathArc(path, right - dx, y, dx, dy, 270.0f, 90.0f);
    gp::GdipAddPathArc(path, right - dx, bottom - dy, dx, dy, 0.0f, 90.0f);
    gp::GdipAddPathArc(path, x, bottom - dy, dx, dy, 90.0f, 90.0f);
    gp::GdipAddPathArc(path, x, y, dx, dy, 180.0f, 90.0f);
    return Succeeded(gp::GdipClosePathFigure(path));
}

bool PlusPath::AddRectangles(const std::vector<RectF>& rects) {
    PackedArray<Gdiplus::RectF, RectF> packed(rects);
    return Succeeded(gp::GdipAddPathRectangles(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddRectangleI(int x, int y, int width, int height) {
    return Succeeded(gp::GdipAddPathRectangleI(PathOf(*this), x, y, width, height));
}

bool PlusPath::AddRectanglesI(const std::vector<Rect>& rects) {
    PackedArray<Gdiplus::Rect, Rect> packed(rects);
    return Succeeded(gp::GdipAddPathRectanglesI(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddEllipse(float x, float y, float width, float height) {
    return Succeeded(gp::GdipAddPathEllipse(PathOf(*this), x, y, width, height));
}

bool PlusPath::AddEllipseI(int x, int y, int width, int height) {
    return Succeeded(gp::GdipAddPathEllipseI(PathOf(*this), x, y, width, height));
}

bool PlusPath::AddPie(float x, float y, float width, float height, float startAngle,
                      float sweepAngle) {
    return Succeeded(
        gp::GdipAddPathPie(PathOf(*this), x, y, width, height, startAngle, sweepAngle));
}

bool PlusPath::AddPieI(int x, int y, int width, int height, float startAngle, float sweepAngle) {
    return Succeeded(
        gp::GdipAddPathPieI(PathOf(*this), x, y, width, height, startAngle, sweepAngle));
}

bool PlusPath::AddPolygon(const std::vector<PointF>& points) {
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return Succeeded(gp::GdipAddPathPolygon(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddPolygonI(const std::vector<Point>& points) {
    PackedArray<Gdiplus::Point, Point> packed(points);
    return Succeeded(gp::GdipAddPathPolygonI(PathOf(*this), packed.Data(), packed.Count()));
}

bool PlusPath::AddPath(const PlusPath& path, bool connect) {
    return Succeeded(gp::GdipAddPathPath(PathOf(*this), PathOf(path), connect));
}

bool PlusPath::AddString(const Text& text, const PlusFontFamily& family, int emSize,
                         const RectF& layoutRect, int style, const PlusStringFormat* format) {
    return AddStringW(ToWideText(text), family, emSize, layoutRect, style, format);
}

bool PlusPath::AddStringW(const ByteSet& text, const PlusFontFamily& family, int emSize,
                          const RectF& layoutRect, int style, const PlusStringFormat* format) {
    const WideArg wide = WideArg::FromBytes(text);
    const auto rect = As<Gdiplus::RectF>(layoutRect);
    return Succeeded(gp::GdipAddPathString(
        PathOf(*this), wide.Data(), wide.Length(), NativeOf<Gdiplus::GpFontFamily>(family), style,
        static_cast<float>(emSize), &rect, NativeOf<Gdiplus::GpStringFormat>(format)));
}

bool PlusPath::AddStringI(const Text& text, const PlusFontFamily& family, int emSize,
                          const Rect& layoutRect, int style, const PlusStringFormat* format) {
    return AddStringIW(ToWideText(text), family, emSize, layoutRect, style, format);
}

bool PlusPath::AddStringIW(const ByteSet& text, const PlusFontFamily& family, int emSize,
                           const Rect& layoutRect, int style, const PlusStringFormat* format) {
    const WideArg wide = WideArg::FromBytes(text);
    const auto rect = As<Gdiplus::Rect>(layoutRect);
    return Succeeded(gp::GdipAddPathStringI(
        PathOf(*this), wide.Data(), wide.Length(), NativeOf<Gdiplus::GpFontFamily>(family), style,
        static_cast<float>(emSize), &rect, NativeOf<Gdiplus::GpStringFormat>(format)));
}

bool PlusPath::Transform(const PlusObject& matrix) {
    return Succeeded(gp::GdipTransformPath(PathOf(*this), Matrix(&matrix)));
}

RectF PlusPath::GetBounds(const PlusObject* matrix, const PlusPen* pen) const {
    Gdiplus::RectF rect;
    if (Record(gp::GdipGetPathWorldBounds(PathOf(*this), &rect, Matrix(matrix),
                                          NativeOf<Gdiplus::GpPen>(pen))) != Ok)
        return RectF{};
    return FromNative<RectF>(rect);
}

Rect PlusPath::GetBoundsI(const PlusObject* matrix, const PlusPen* pen) const {
    Gdiplus::Rect rect;
    if (Record(gp::GdipGetPathWorldBoundsI(PathOf(*this), &rect, Matrix(matrix),
                                           NativeOf<Gdiplus::GpPen>(pen))) != Ok)
        return Rect{};
    return FromNative<Rect>(rect);
}

bool PlusPath::Flatten(const PlusObject* matrix, float flatness) {
    return Succeeded(gp::GdipFlattenPath(PathOf(*this), Matrix(matrix), flatness));
}

bool PlusPath::Widen(const PlusPen& pen, const PlusObject* matrix, float flatness) {
    return Succeeded(
        gp::GdipWidenPath(PathOf(*this), NativeOf<Gdiplus::GpPen>(pen), Matrix(matrix), flatness));
}

bool PlusPath::Outline(const PlusObject* matrix, float flatness) {
    return Succeeded(gp::GdipWindingModeOutline(PathOf(*this), Matrix(matrix), flatness));
}

bool PlusPath::Warp(const std::vector<PointF>& destPoints, const RectF& srcRect,
                    const PlusObject* matrix, int warpMode, float flatness) {
    PackedArray<Gdiplus::PointF, PointF> packed(destPoints);
    return Succeeded(gp::GdipWarpPath(PathOf(*this), Matrix(matrix), packed.Data(), packed.Count(),
                                      srcRect.x, srcRect.y, srcRect.width, srcRect.height,
                                      EnumOf<Gdiplus::WarpMode>(warpMode), flatness));
}

int PlusPath::GetPointCount() const {
    INT count = 0;
    Record(gp::GdipGetPointCount(PathOf(*this), &count));
    return count;
}

bool PlusPath::IsVisible(float x, float y, const PlusGraphics* graphics) const {
    BOOL visible = FALSE;
    Record(gp::GdipIsVisiblePathPoint(PathOf(*this), x, y, GraphicsOf(graphics), &visible));
    return visible != FALSE;
}

bool PlusPath::IsVisibleI(int x, int y, const PlusGraphics* graphics) const {
    BOOL visible = FALSE;
    Record(gp::GdipIsVisiblePathPointI(PathOf(*this), x, y, GraphicsOf(graphics), &visible));
    return visible != FALSE;
}

bool PlusPath::IsOutlineVisible(float x, float y, const PlusPen& pen,
                                const PlusGraphics* graphics) const {
    BOOL visible = FALSE;
    Record(gp::GdipIsOutlineVisiblePathPoint(PathOf(*this), x, y, NativeOf<Gdiplus::GpPen>(pen),
                                             GraphicsOf(graphics), &visible));
    return visible != FALSE;
}

bool PlusPath::IsOutlineVisibleI(int x, int y, const PlusPen& pen,
                                 const PlusGraphics* graphics) const {
    BOOL visible = FALSE;
    Record(gp::GdipIsOutlineVisiblePathPointI(PathOf(*this), x, y, NativeOf<Gdiplus::GpPen>(pen),
                                              GraphicsOf(graphics), &visible));
    return visible != FALSE;
}

} // namespace plus
