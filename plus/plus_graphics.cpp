#include "plus/plus_graphics.h"

#include "plus/plus_internal.h"
#include "plus/plus_region.h"
#include "plus/plus_wrapper_helpers.h"

namespace plus {
namespace {

using Gdiplus::GpBrush;
using Gdiplus::GpGraphics;
using Gdiplus::GpImage;
using Gdiplus::GpImageAttributes;
using Gdiplus::GpMatrix;
using Gdiplus::GpMetafile;
using Gdiplus::GpPath;
using Gdiplus::GpPen;
using Gdiplus::GpRegion;

GpGraphics* G(void* native) {
    return static_cast<GpGraphics*>(native);
}
GpPen* PenOf(const PlusObject& pen) {
    return NativeOf<GpPen>(pen);
}
GpBrush* BrushOf(const PlusObject& brush) {
    return NativeOf<GpBrush>(brush);
}
GpImage* ImageOf(const PlusObject& image) {
    return NativeOf<GpImage>(image);
}
const GpImageAttributes* AttributesOf(const PlusObject* attributes) {
    return NativeOf<GpImageAttributes>(attributes);
}
GpMetafile* MetafileOf(const PlusObject& metafile) {
    return NativeOf<GpMetafile>(metafile);
}

// Wine's GDI+ reads a path or region argument without checking it for null (drawing an empty
// path wrapper crashed inside GdipDrawPath). A wrapper whose creation was refused holds none:
// such a call is answered InvalidParameter here, as GDI+ answers a missing graphics.
bool Held(const PlusObject& shape) {
    if (shape.GetHandle()) return true;
    Record(InvalidParameter);
    return false;
}

Gdiplus::MatrixOrder Order(int order) {
    return static_cast<Gdiplus::MatrixOrder>(order);
}
Gdiplus::Unit UnitOf(int unit) {
    return static_cast<Gdiplus::Unit>(unit);
}
Gdiplus::CombineMode Combine(int mode) {
    return static_cast<Gdiplus::CombineMode>(mode);
}
Gdiplus::FillMode Fill(int mode) {
    return static_cast<Gdiplus::FillMode>(mode);
}

// Our callback has the GDI+ shape with the record type as a plain int.
Gdiplus::EnumerateMetafileProc Callback(MetafileCallback callback) {
    return reinterpret_cast<Gdiplus::EnumerateMetafileProc>(reinterpret_cast<void (*)()>(callback));
}

using PointsF = PackedArray<Gdiplus::PointF, PointF>;
using PointsI = PackedArray<Gdiplus::Point, Point>;
using RectsF = PackedArray<Gdiplus::RectF, RectF>;
using RectsI = PackedArray<Gdiplus::Rect, Rect>;

} // namespace

PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(PlusGraphics, DeleteGraphics)

void PlusGraphics::AttachNative(NativeHandle h) {
    native_ = h;
    OnAttach(h);
}

void PlusGraphics::OnAttach(NativeHandle) {}

bool PlusGraphics::DeleteGraphics() {
    return ReleaseNative(*this, native_, [&] { return gp::GdipDeleteGraphics(G(native_)); });
}

int PlusGraphics::Flush(int intention) {
    return gp::GdipFlush(G(native_), static_cast<Gdiplus::FlushIntention>(intention));
}

bool PlusGraphics::CreateFromHWND(HWND hwnd, bool useIcm) {
    return CreateNative<GpGraphics>(*this, [&](GpGraphics** out) {
        return useIcm ? gp::GdipCreateFromHWNDICM(hwnd, out) : gp::GdipCreateFromHWND(hwnd, out);
    });
}

bool PlusGraphics::CreateFromHDC(HDC hdc, std::optional<HANDLE> hDevice) {
    return CreateNative<GpGraphics>(*this, [&](GpGraphics** out) {
        return hDevice ? gp::GdipCreateFromHDC2(hdc, *hDevice, out)
                       : gp::GdipCreateFromHDC(hdc, out);
    });
}

bool PlusGraphics::CreateFromImage(const PlusObject& image) {
    return CreateNative<GpGraphics>(*this, [&](GpGraphics** out) {
        return gp::GdipGetImageGraphicsContext(ImageOf(image), out);
    });
}

HDC PlusGraphics::GetDC() {
    HDC hdc = nullptr;
    Record(gp::GdipGetDC(G(native_), &hdc));
    return hdc;
}

bool PlusGraphics::ReleaseDC(HDC hdc) {
    return Succeeded(gp::GdipReleaseDC(G(native_), hdc));
}

bool PlusGraphics::GetRenderingOrigin(int& x, int& y) const {
    INT ox = 0, oy = 0;
    const bool ok = Succeeded(gp::GdipGetRenderingOrigin(G(native_), &ox, &oy));
    x = ox;
    y = oy;
    return ok;
}

bool PlusGraphics::SetRenderingOrigin(int x, int y) {
    return Succeeded(gp::GdipSetRenderingOrigin(G(native_), x, y));
}

int PlusGraphics::GetCompositingMode() const {
    Gdiplus::CompositingMode value{};
    Record(gp::GdipGetCompositingMode(G(native_), &value));
    return value;
}

bool PlusGraphics::SetCompositingMode(int compositingMode) {
    return Succeeded(gp::GdipSetCompositingMode(
        G(native_), static_cast<Gdiplus::CompositingMode>(compositingMode)));
}

int PlusGraphics::GetCompositingQuality() const {
    Gdiplus::CompositingQuality value{};
    Record(gp::GdipGetCompositingQuality(G(native_), &value));
    return value;
}

bool PlusGraphics::SetCompositingQuality(int compositingQuality) {
    return Succeeded(gp::GdipSetCompositingQuality(
        G(native_), static_cast<Gdiplus::CompositingQuality>(compositingQuality)));
}

bool PlusGraphics::SetTextRenderingHint(int mode) {
    return Succeeded(
        gp::GdipSetTextRenderingHint(G(native_), static_cast<Gdiplus::TextRenderingHint>(mode)));
}

int PlusGraphics::GetTextRenderingHint() const {
    Gdiplus::TextRenderingHint value{};
    Record(gp::GdipGetTextRenderingHint(G(native_), &value));
    return value;
}

bool PlusGraphics::SetTextContrast(UINT contrast) {
    return Succeeded(gp::GdipSetTextContrast(G(native_), contrast));
}

UINT PlusGraphics::GetTextContrast() const {
    UINT value = 0;
    Record(gp::GdipGetTextContrast(G(native_), &value));
    return value;
}

bool PlusGraphics::SetInterpolationMode(int interpolationMode) {
    return Succeeded(gp::GdipSetInterpolationMode(
        G(native_), static_cast<Gdiplus::InterpolationMode>(interpolationMode)));
}

int PlusGraphics::GetInterpolationMode() const {
    Gdiplus::InterpolationMode value{};
    Record(gp::GdipGetInterpolationMode(G(native_), &value));
    return value;
}

bool PlusGraphics::SetSmoothingMode(int smoothingMode) {
    return Succeeded(
        gp::GdipSetSmoothingMode(G(native_), static_cast<Gdiplus::SmoothingMode>(smoothingMode)));
}

int PlusGraphics::GetSmoothingMode() const {
    Gdiplus::SmoothingMode value{};
    Record(gp::GdipGetSmoothingMode(G(native_), &value));
    return value;
}

bool PlusGraphics::SetPixelOffsetMode(int pixelOffsetMode) {
    return Succeeded(gp::GdipSetPixelOffsetMode(
        G(native_), static_cast<Gdiplus::PixelOffsetMode>(pixelOffsetMode)));
}

int PlusGraphics::GetPixelOffsetMode() const {
    Gdiplus::PixelOffsetMode value{};
    Record(gp::GdipGetPixelOffsetMode(G(native_), &value));
    return value;
}

bool PlusGraphics::SetWorldTransform(const PlusObject& matrix) {
    return Succeeded(gp::GdipSetWorldTransform(G(native_), NativeOf<GpMatrix>(matrix)));
}

bool PlusGraphics::GetWorldTransform(const PlusObject& matrix) const {
    return Succeeded(gp::GdipGetWorldTransform(G(native_), NativeOf<GpMatrix>(matrix)));
}

bool PlusGraphics::ResetWorldTransform() {
    return Succeeded(gp::GdipResetWorldTransform(G(native_)));
}

bool PlusGraphics::MultiplyWorldTransform(const PlusObject& matrix, int order) {
    return Succeeded(
        gp::GdipMultiplyWorldTransform(G(native_), NativeOf<GpMatrix>(matrix), Order(order)));
}

bool PlusGraphics::TranslateWorldTransform(float dx, float dy, int order) {
    return Succeeded(gp::GdipTranslateWorldTransform(G(native_), dx, dy, Order(order)));
}

bool PlusGraphics::ScaleWorldTransform(float sx, float sy, int order) {
    return Succeeded(gp::GdipScaleWorldTransform(G(native_), sx, sy, Order(order)));
}

// Prepending applies the last call first, appending the first call first: either way the
// point at `centre` is moved to the origin, scaled or rotated there, and moved back.
bool PlusGraphics::ScaleAt(float sx, float sy, const PointF& centre, int order) {
    const float sign = order == 0 ? 1.0f : -1.0f;
    TranslateWorldTransform(sign * centre.x, sign * centre.y, order);
    ScaleWorldTransform(sx, sy, order);
    return TranslateWorldTransform(-sign * centre.x, -sign * centre.y, order);
}

bool PlusGraphics::RotateWorldTransform(float angle, int order) {
    return Succeeded(gp::GdipRotateWorldTransform(G(native_), angle, Order(order)));
}

bool PlusGraphics::RotateAt(float angle, const PointF& centre, int order) {
    const float sign = order == 0 ? 1.0f : -1.0f;
    TranslateWorldTransform(sign * centre.x, sign * centre.y, order);
    RotateWorldTransform(angle, order);
    return TranslateWorldTransform(-sign * centre.x, -sign * centre.y, order);
}

bool PlusGraphics::SetPageUnit(int unit) {
    return Succeeded(gp::GdipSetPageUnit(G(native_), UnitOf(unit)));
}

int PlusGraphics::GetPageUnit() const {
    Gdiplus::Unit value{};
    Record(gp::GdipGetPageUnit(G(native_), &value));
    return value;
}

bool PlusGraphics::SetPageScale(float scale) {
    return Succeeded(gp::GdipSetPageScale(G(native_), scale));
}

float PlusGraphics::GetPageScale() const {
    float value = 0;
    Record(gp::GdipGetPageScale(G(native_), &value));
    return value;
}

float PlusGraphics::GetDpiX() const {
    float value = 0;
    Record(gp::GdipGetDpiX(G(native_), &value));
    return value;
}

float PlusGraphics::GetDpiY() const {
    float value = 0;
    Record(gp::GdipGetDpiY(G(native_), &value));
    return value;
}

bool PlusGraphics::TransformPoints(int destSpace, int srcSpace, std::vector<PointF>& points) const {
    PointsF packed(points);
    return Succeeded(gp::GdipTransformPoints(
        G(native_), static_cast<Gdiplus::CoordinateSpace>(destSpace),
        static_cast<Gdiplus::CoordinateSpace>(srcSpace), packed.Data(), packed.Count()));
}

bool PlusGraphics::TransformPointsI(int destSpace, int srcSpace, std::vector<Point>& points) const {
    PointsI packed(points);
    return Succeeded(gp::GdipTransformPointsI(
        G(native_), static_cast<Gdiplus::CoordinateSpace>(destSpace),
        static_cast<Gdiplus::CoordinateSpace>(srcSpace), packed.Data(), packed.Count()));
}

ARGB PlusGraphics::GetNearestColor(ARGB& colour) const {
    Gdiplus::ARGB value = colour;
    Record(gp::GdipGetNearestColor(G(native_), &value));
    colour = value;
    return colour;
}

bool PlusGraphics::DrawLine(const PlusObject& pen, float x1, float y1, float x2, float y2) {
    return Succeeded(gp::GdipDrawLine(G(native_), PenOf(pen), x1, y1, x2, y2));
}

bool PlusGraphics::DrawLineI(const PlusObject& pen, int x1, int y1, int x2, int y2) {
    return Succeeded(gp::GdipDrawLineI(G(native_), PenOf(pen), x1, y1, x2, y2));
}

bool PlusGraphics::DrawLines(const PlusObject& pen, const std::vector<PointF>& points) {
    PointsF packed(points);
    return Succeeded(gp::GdipDrawLines(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawLinesI(const PlusObject& pen, const std::vector<Point>& points) {
    PointsI packed(points);
    return Succeeded(gp::GdipDrawLinesI(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawArc(const PlusObject& pen, float x, float y, float width, float height,
                           float startAngle, float sweepAngle) {
    return Succeeded(
        gp::GdipDrawArc(G(native_), PenOf(pen), x, y, width, height, startAngle, sweepAngle));
}

bool PlusGraphics::DrawArcI(const PlusObject& pen, int x, int y, int width, int height,
                            float startAngle, float sweepAngle) {
    return Succeeded(
        gp::GdipDrawArcI(G(native_), PenOf(pen), x, y, width, height, startAngle, sweepAngle));
}

bool PlusGraphics::DrawBezier(const PlusObject& pen, float x1, float y1, float x2, float y2,
                              float x3, float y3, float x4, float y4) {
    return Succeeded(gp::GdipDrawBezier(G(native_), PenOf(pen), x1, y1, x2, y2, x3, y3, x4, y4));
}

bool PlusGraphics::DrawBezierI(const PlusObject& pen, int x1, int y1, int x2, int y2, int x3,
                               int y3, int x4, int y4) {
    return Succeeded(gp::GdipDrawBezierI(G(native_), PenOf(pen), x1, y1, x2, y2, x3, y3, x4, y4));
}

bool PlusGraphics::DrawBeziers(const PlusObject& pen, const std::vector<PointF>& points) {
    PointsF packed(points);
    return Succeeded(gp::GdipDrawBeziers(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawBeziersI(const PlusObject& pen, const std::vector<Point>& points) {
    PointsI packed(points);
    return Succeeded(gp::GdipDrawBeziersI(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawRectangle(const PlusObject& pen, float x, float y, float width,
                                 float height) {
    return Succeeded(gp::GdipDrawRectangle(G(native_), PenOf(pen), x, y, width, height));
}

bool PlusGraphics::DrawRectangleI(const PlusObject& pen, int x, int y, int width, int height) {
    return Succeeded(gp::GdipDrawRectangleI(G(native_), PenOf(pen), x, y, width, height));
}

bool PlusGraphics::DrawRectangles(const PlusObject& pen, const std::vector<RectF>& rects) {
    RectsF packed(rects);
    return Succeeded(gp::GdipDrawRectangles(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawRectanglesI(const PlusObject& pen, const std::vector<Rect>& rects) {
    RectsI packed(rects);
    return Succeeded(
        gp::GdipDrawRectanglesI(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawEllipse(const PlusObject& pen, float x, float y, float width, float height) {
    return Succeeded(gp::GdipDrawEllipse(G(native_), PenOf(pen), x, y, width, height));
}

bool PlusGraphics::DrawEllipseI(const PlusObject& pen, int x, int y, int width, int height) {
    return Succeeded(gp::GdipDrawEllipseI(G(native_), PenOf(pen), x, y, width, height));
}

bool PlusGraphics::DrawPie(const PlusObject& pen, float x, float y, float width, float height,
                           float startAngle, float sweepAngle) {
    return Succeeded(
        gp::GdipDrawPie(G(native_), PenOf(pen), x, y, width, height, startAngle, sweepAngle));
}

bool PlusGraphics::DrawPieI(const PlusObject& pen, int x, int y, int width, int height,
                            float startAngle, float sweepAngle) {
    return Succeeded(
        gp::GdipDrawPieI(G(native_), PenOf(pen), x, y, width, height, startAngle, sweepAngle));
}

bool PlusGraphics::DrawPolygon(const PlusObject& pen, const std::vector<PointF>& points) {
    PointsF packed(points);
    return Succeeded(gp::GdipDrawPolygon(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawPolygonI(const PlusObject& pen, const std::vector<Point>& points) {
    PointsI packed(points);
    return Succeeded(gp::GdipDrawPolygonI(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawPath(const PlusObject& pen, const PlusObject& path) {
    if (!Held(path)) return false;
    return Succeeded(gp::GdipDrawPath(G(native_), PenOf(pen), NativeOf<GpPath>(path)));
}

bool PlusGraphics::DrawCurve(const PlusObject& pen, const std::vector<PointF>& points) {
    PointsF packed(points);
    return Succeeded(gp::GdipDrawCurve(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawCurveI(const PlusObject& pen, const std::vector<Point>& points) {
    PointsI packed(points);
    return Succeeded(gp::GdipDrawCurveI(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawCurve2(const PlusObject& pen, const std::vector<PointF>& points,
                              float tension) {
    PointsF packed(points);
    return Succeeded(
        gp::GdipDrawCurve2(G(native_), PenOf(pen), packed.Data(), packed.Count(), tension));
}

bool PlusGraphics::DrawCurve2I(const PlusObject& pen, const std::vector<Point>& points,
                               float tension) {
    PointsI packed(points);
    return Succeeded(
        gp::GdipDrawCurve2I(G(native_), PenOf(pen), packed.Data(), packed.Count(), tension));
}

bool PlusGraphics::DrawCurve3(const PlusObject& pen, const std::vector<PointF>& points, int offset,
                              int numberOfSegments, float tension) {
    if (!CurveSegmentsInside(points.size(), offset, numberOfSegments)) return false;
    PointsF packed(points);
    return Succeeded(gp::GdipDrawCurve3(G(native_), PenOf(pen), packed.Data(), packed.Count(),
                                        offset, numberOfSegments, tension));
}

bool PlusGraphics::DrawCurve3I(const PlusObject& pen, const std::vector<Point>& points, int offset,
                               int numberOfSegments, float tension) {
    if (!CurveSegmentsInside(points.size(), offset, numberOfSegments)) return false;
    PointsI packed(points);
    return Succeeded(gp::GdipDrawCurve3I(G(native_), PenOf(pen), packed.Data(), packed.Count(),
                                         offset, numberOfSegments, tension));
}

bool PlusGraphics::DrawClosedCurve(const PlusObject& pen, const std::vector<PointF>& points) {
    PointsF packed(points);
    return Succeeded(
        gp::GdipDrawClosedCurve(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawClosedCurveI(const PlusObject& pen, const std::vector<Point>& points) {
    PointsI packed(points);
    return Succeeded(
        gp::GdipDrawClosedCurveI(G(native_), PenOf(pen), packed.Data(), packed.Count()));
}

bool PlusGraphics::DrawClosedCurve2(const PlusObject& pen, const std::vector<PointF>& points,
                                    float tension) {
    PointsF packed(points);
    return Succeeded(
        gp::GdipDrawClosedCurve2(G(native_), PenOf(pen), packed.Data(), packed.Count(), tension));
}

bool PlusGraphics::DrawClosedCurve2I(const PlusObject& pen, const std::vector<Point>& points,
                                     float tension) {
    PointsI packed(points);
    return Succeeded(
        gp::GdipDrawClosedCurve2I(G(native_), PenOf(pen), packed.Data(), packed.Count(), tension));
}

bool PlusGraphics::Clear(ARGB colour) {
    return Succeeded(gp::GdipGraphicsClear(G(native_), colour));
}

bool PlusGraphics::FillRectangle(const PlusObject& brush, float x, float y, float width,
                                 float height) {
    return Succeeded(gp::GdipFillRectangle(G(native_), BrushOf(brush), x, y, width, height));
}

bool PlusGraphics::FillRectangleRect(const PlusObject& brush, const RectF& rect) {
    return FillRectangle(brush, rect.x, rect.y, rect.width, rect.height);
}

bool PlusGraphics::FillRectangleI(const PlusObject& brush, int x, int y, int width, int height) {
    return Succeeded(gp::GdipFillRectangleI(G(native_), BrushOf(brush), x, y, width, height));
}

bool PlusGraphics::FillRectangles(const PlusObject& brush, const std::vector<RectF>& rects) {
    RectsF packed(rects);
    return Succeeded(
        gp::GdipFillRectangles(G(native_), BrushOf(brush), packed.Data(), packed.Count()));
}

bool PlusGraphics::FillRectanglesI(const PlusObject& brush, const std::vector<Rect>& rects) {
    RectsI packed(rects);
    return Succeeded(
        gp::GdipFillRectanglesI(G(native_), BrushOf(brush), packed.Data(), packed.Count()));
}

bool PlusGraphics::FillPolygon(const PlusObject& brush, const std::vector<PointF>& points,
                               int fillMode) {
    PointsF packed(points);
    return Succeeded(gp::GdipFillPolygon(G(native_), BrushOf(brush), packed.Data(), packed.Count(),
                                         Fill(fillMode)));
}

bool PlusGraphics::FillPolygonI(const PlusObject& brush, const std::vector<Point>& points,
                                int fillMode) {
    PointsI packed(points);
    return Succeeded(gp::GdipFillPolygonI(G(native_), BrushOf(brush), packed.Data(), packed.Count(),
                                          Fill(fillMode)));
}

bool PlusGraphics::FillEllipse(const PlusObject& brush, float x, float y, float width,
                               float height) {
    return Succeeded(gp::GdipFillEllipse(G(native_), BrushOf(brush), x, y, width, height));
}

bool PlusGraphics::FillEllipseI(const PlusObject& brush, int x, int y, int width, int height) {
    return Succeeded(gp::GdipFillEllipseI(G(native_), BrushOf(brush), x, y, width, height));
}

bool PlusGraphics::FillPie(const PlusObject& brush, float x, float y, float width, float height,
                           float startAngle, float sweepAngle) {
    return Succeeded(
        gp::GdipFillPie(G(native_), BrushOf(brush), x, y, width, height, startAngle, sweepAngle));
}

bool PlusGraphics::FillPieI(const PlusObject& brush, int x, int y, int width, int height,
                            float startAngle, float sweepAngle) {
    return Succeeded(
        gp::GdipFillPieI(G(native_), BrushOf(brush), x, y, width, height, startAngle, sweepAngle));
}

bool PlusGraphics::FillPath(const PlusObject& brush, const PlusObject& path) {
    if (!Held(path)) return false;
    return Succeeded(gp::GdipFillPath(G(native_), BrushOf(brush), NativeOf<GpPath>(path)));
}

bool PlusGraphics::FillClosedCurve(const PlusObject& brush, const std::vector<PointF>& points) {
    PointsF packed(points);
    return Succeeded(
        gp::GdipFillClosedCurve(G(native_), BrushOf(brush), packed.Data(), packed.Count()));
}

bool PlusGraphics::FillClosedCurve2(const PlusObject& brush, const std::vector<PointF>& points,
                                    float tension, int fillMode) {
    PointsF packed(points);
    return Succeeded(gp::GdipFillClosedCurve2(G(native_), BrushOf(brush), packed.Data(),
                                              packed.Count(), tension, Fill(fillMode)));
}

bool PlusGraphics::FillClosedCurveI(const PlusObject& brush, const std::vector<Point>& points) {
    PointsI packed(points);
    return Succeeded(
        gp::GdipFillClosedCurveI(G(native_), BrushOf(brush), packed.Data(), packed.Count()));
}

bool PlusGraphics::FillClosedCurve2I(const PlusObject& brush, const std::vector<Point>& points,
                                     float tension, int fillMode) {
    PointsI packed(points);
    return Succeeded(gp::GdipFillClosedCurve2I(G(native_), BrushOf(brush), packed.Data(),
                                               packed.Count(), tension, Fill(fillMode)));
}

bool PlusGraphics::FillRegion(const PlusObject& brush, const PlusObject& region) {
    if (!Held(region)) return false;
    return Succeeded(gp::GdipFillRegion(G(native_), BrushOf(brush), NativeOf<GpRegion>(region)));
}

namespace {

bool DrawWide(GpGraphics* g, const WideArg& text, const PlusObject& font, const PlusObject& brush,
              const RectF& layoutRect, const PlusObject* format) {
    const auto layout = As<Gdiplus::RectF>(layoutRect);
    return Succeeded(
        gp::GdipDrawString(g, text.Data(), text.Length(), NativeOf<Gdiplus::GpFont>(font), &layout,
                           NativeOf<Gdiplus::GpStringFormat>(format), NativeOf<GpBrush>(brush)));
}

bool MeasureWide(GpGraphics* g, const WideArg& text, const PlusObject& font,
                 const RectF& layoutRect, const PlusObject* format, RectF& boundingBox) {
    const auto layout = As<Gdiplus::RectF>(layoutRect);
    Gdiplus::RectF box(0, 0, 0, 0);
    const bool ok = Succeeded(gp::GdipMeasureString(
        g, text.Data(), text.Length(), NativeOf<Gdiplus::GpFont>(font), &layout,
        NativeOf<Gdiplus::GpStringFormat>(format), &box, nullptr, nullptr));
    boundingBox = As<RectF>(box);
    return ok;
}

bool DrawDriverWide(GpGraphics* g, const WideArg& text, const PlusObject& font,
                    const PlusObject& brush, const std::vector<PointF>& positions, int flags,
                    const PlusObject* matrix) {
    // GDI+ reads one position per character (one in all with realized advance) and has no
    // count of its own: too short an array is refused rather than read past.
    constexpr int realizedAdvance = 4;
    const std::size_t needed = (flags & realizedAdvance) ? 1 : text.Length();
    if (positions.size() < needed && text.Length() > 0) {
        Record(InvalidParameter);
        return false;
    }
    PointsF packed(positions);
    return Succeeded(gp::GdipDrawDriverString(g, reinterpret_cast<const UINT16*>(text.Data()),
                                              text.Length(), NativeOf<Gdiplus::GpFont>(font),
                                              NativeOf<GpBrush>(brush), packed.Data(), flags,
                                              NativeOf<GpMatrix>(matrix)));
}

bool MeasureRangesWide(GpGraphics* g, const WideArg& text, const PlusObject& font,
                       const RectF& layoutRect, const PlusObject* format, int regionCount,
                       std::vector<PlusRegion>& regions) {
    // GDI+ measures at most 32 ranges of a format; more regions than that would never be
    // filled, and a count in the millions would only exhaust memory making them.
    constexpr int kMostMeasurableRanges = 32;
    if (regionCount < 1 || regionCount > kMostMeasurableRanges) {
        Record(InvalidParameter);
        return false;
    }
    regions.clear();
    regions.resize(static_cast<std::size_t>(regionCount));
    std::vector<GpRegion*> natives(regions.size(), nullptr);
    for (std::size_t i = 0; i < regions.size(); ++i) {
        regions[i].Create();
        natives[i] = NativeOf<GpRegion>(regions[i]);
    }
    const int status = Record(gp::GdipMeasureCharacterRanges(
        g, text.Data(), text.Length(), NativeOf<Gdiplus::GpFont>(font),
        As<Gdiplus::RectF>(layoutRect), NativeOf<Gdiplus::GpStringFormat>(format), regionCount,
        natives.data()));
    if (status != Ok) {
        // Fresh, empty wrappers as the result of a failed measurement; nothing is left over.
        for (PlusRegion& region : regions)
            region.DeleteRegion();
        Record(status);
    }
    return status == Ok;
}

} // namespace

bool PlusGraphics::MeasureCharacterRanges(const Text& text, const PlusObject& font,
                                          const RectF& layoutRect, const PlusObject* format,
                                          int regionCount, std::vector<PlusRegion>& regions) const {
    return MeasureRangesWide(G(native_), WideArg::FromText(text), font, layoutRect, format,
                             regionCount, regions);
}

bool PlusGraphics::MeasureCharacterRangesW(const ByteSet& text, const PlusObject& font,
                                           const RectF& layoutRect, const PlusObject* format,
                                           int regionCount,
                                           std::vector<PlusRegion>& regions) const {
    return MeasureRangesWide(G(native_), WideArg::FromBytes(text), font, layoutRect, format,
                             regionCount, regions);
}

bool PlusGraphics::DrawString(const Text& text, const PlusObject& font, const PlusObject& brush,
                              const RectF& layoutRect, const PlusObject* format) {
    return DrawWide(G(native_), WideArg::FromText(text), font, brush, layoutRect, format);
}

bool PlusGraphics::DrawStringW(const ByteSet& text, const PlusObject& font, const PlusObject& brush,
                               const RectF& layoutRect, const PlusObject* format) {
    return DrawWide(G(native_), WideArg::FromBytes(text), font, brush, layoutRect, format);
}

bool PlusGraphics::MeasureString(const Text& text, const PlusObject& font, const RectF& layoutRect,
                                 const PlusObject* format, RectF& boundingBox) const {
    return MeasureWide(G(native_), WideArg::FromText(text), font, layoutRect, format, boundingBox);
}

bool PlusGraphics::MeasureStringW(const ByteSet& text, const PlusObject& font,
                                  const RectF& layoutRect, const PlusObject* format,
                                  RectF& boundingBox) const {
    return MeasureWide(G(native_), WideArg::FromBytes(text), font, layoutRect, format, boundingBox);
}

bool PlusGraphics::DrawDriverString(const Text& text, const PlusObject& font,
                                    const PlusObject& brush, const std::vector<PointF>& positions,
                                    int flags, const PlusObject* matrix) {
    return DrawDriverWide(G(native_), WideArg::FromText(text), font, brush, positions, flags,
                          matrix);
}

bool PlusGraphics::DrawDriverStringW(const ByteSet& text, const PlusObject& font,
                                     const PlusObject& brush, const std::vector<PointF>& positions,
                                     int flags, const PlusObject* matrix) {
    return DrawDriverWide(G(native_), WideArg::FromBytes(text), font, brush, positions, flags,
                          matrix);
}

bool PlusGraphics::DrawImage(const PlusObject& image, float x, float y) {
    return Succeeded(gp::GdipDrawImage(G(native_), ImageOf(image), x, y));
}

bool PlusGraphics::DrawImageI(const PlusObject& image, int x, int y) {
    return Succeeded(gp::GdipDrawImageI(G(native_), ImageOf(image), x, y));
}

bool PlusGraphics::DrawCachedBitmap(const PlusObject& cachedBitmap, float x, float y) {
    return Succeeded(gp::GdipDrawCachedBitmap(G(native_),
                                              NativeOf<Gdiplus::GpCachedBitmap>(cachedBitmap),
                                              static_cast<INT>(x), static_cast<INT>(y)));
}

namespace {

// The image's size as GetWidth/GetHeight report it (0 when the image is empty).
void ImageSize(GpImage* image, UINT& width, UINT& height) {
    width = height = 0;
    Record(gp::GdipGetImageWidth(image, &width));
    Record(gp::GdipGetImageHeight(image, &height));
}

} // namespace

bool PlusGraphics::DrawImageRect(const PlusObject& image, float x, float y, float width,
                                 float height, int srcUnit) {
    UINT w = 0, h = 0;
    ImageSize(ImageOf(image), w, h);
    return Succeeded(gp::GdipDrawImageRectRect(G(native_), ImageOf(image), x, y, width, height, 0,
                                               0, static_cast<float>(w), static_cast<float>(h),
                                               UnitOf(srcUnit), nullptr, nullptr, nullptr));
}

bool PlusGraphics::DrawImageRectI(const PlusObject& image, int x, int y, int width, int height,
                                  int srcUnit) {
    UINT w = 0, h = 0;
    ImageSize(ImageOf(image), w, h);
    return Succeeded(gp::GdipDrawImageRectRectI(G(native_), ImageOf(image), x, y, width, height, 0,
                                                0, static_cast<INT>(w), static_cast<INT>(h),
                                                UnitOf(srcUnit), nullptr, nullptr, nullptr));
}

bool PlusGraphics::DrawImagePoints(const PlusObject& image, float x1, float y1, float x2, float y2,
                                   float x3, float y3) {
    const Gdiplus::PointF corners[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    return Succeeded(gp::GdipDrawImagePoints(G(native_), ImageOf(image), corners, 3));
}

bool PlusGraphics::DrawImagePointsI(const PlusObject& image, int x1, int y1, int x2, int y2, int x3,
                                    int y3) {
    const Gdiplus::Point corners[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    return Succeeded(gp::GdipDrawImagePointsI(G(native_), ImageOf(image), corners, 3));
}

bool PlusGraphics::DrawImagePointRect(const PlusObject& image, float x, float y, float srcx,
                                      float srcy, float srcwidth, float srcheight, int srcUnit) {
    return Succeeded(gp::GdipDrawImagePointRect(G(native_), ImageOf(image), x, y, srcx, srcy,
                                                srcwidth, srcheight, UnitOf(srcUnit)));
}

bool PlusGraphics::DrawImagePointRectI(const PlusObject& image, int x, int y, int srcx, int srcy,
                                       int srcwidth, int srcheight, int srcUnit) {
    return Succeeded(gp::GdipDrawImagePointRectI(G(native_), ImageOf(image), x, y, srcx, srcy,
                                                 srcwidth, srcheight, UnitOf(srcUnit)));
}

bool PlusGraphics::DrawImageRectRect(const PlusObject& image, float dstx, float dsty,
                                     float dstwidth, float dstheight, float srcx, float srcy,
                                     float srcwidth, float srcheight, int srcUnit,
                                     const PlusObject* imageAttributes) {
    return Succeeded(gp::GdipDrawImageRectRect(
        G(native_), ImageOf(image), dstx, dsty, dstwidth, dstheight, srcx, srcy, srcwidth,
        srcheight, UnitOf(srcUnit), AttributesOf(imageAttributes), nullptr, nullptr));
}

bool PlusGraphics::DrawImageRectRectI(const PlusObject& image, int dstx, int dsty, int dstwidth,
                                      int dstheight, int srcx, int srcy, int srcwidth,
                                      int srcheight, int srcUnit,
                                      const PlusObject* imageAttributes) {
    return Succeeded(gp::GdipDrawImageRectRectI(
        G(native_), ImageOf(image), dstx, dsty, dstwidth, dstheight, srcx, srcy, srcwidth,
        srcheight, UnitOf(srcUnit), AttributesOf(imageAttributes), nullptr, nullptr));
}

bool PlusGraphics::DrawImagePointsRect(const PlusObject& image, float x1, float y1, float x2,
                                       float y2, float x3, float y3, float srcx, float srcy,
                                       float srcwidth, float srcheight, int srcUnit,
                                       const PlusObject* imageAttributes) {
    const Gdiplus::PointF corners[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    return Succeeded(gp::GdipDrawImagePointsRect(G(native_), ImageOf(image), corners, 3, srcx, srcy,
                                                 srcwidth, srcheight, UnitOf(srcUnit),
                                                 AttributesOf(imageAttributes), nullptr, nullptr));
}

bool PlusGraphics::DrawImagePointsRectI(const PlusObject& image, int x1, int y1, int x2, int y2,
                                        int x3, int y3, int srcx, int srcy, int srcwidth,
                                        int srcheight, int srcUnit,
                                        const PlusObject* imageAttributes) {
    const Gdiplus::Point corners[3] = {{x1, y1}, {x2, y2}, {x3, y3}};
    return Succeeded(gp::GdipDrawImagePointsRectI(G(native_), ImageOf(image), corners, 3, srcx,
                                                  srcy, srcwidth, srcheight, UnitOf(srcUnit),
                                                  AttributesOf(imageAttributes), nullptr, nullptr));
}

bool PlusGraphics::EnumerateMetafileDestPoint(const PlusObject& metafile, const PointF& destPoint,
                                              MetafileCallback callback, void* callbackData,
                                              const PlusObject* imageAttributes) {
    return Succeeded(gp::GdipEnumerateMetafileDestPoint(
        G(native_), MetafileOf(metafile), As<Gdiplus::PointF>(destPoint), Callback(callback),
        callbackData, AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileDestPointI(const PlusObject& metafile, const Point& destPoint,
                                               MetafileCallback callback, void* callbackData,
                                               const PlusObject* imageAttributes) {
    return Succeeded(gp::GdipEnumerateMetafileDestPointI(
        G(native_), MetafileOf(metafile), As<Gdiplus::Point>(destPoint), Callback(callback),
        callbackData, AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileDestPoints(const PlusObject& metafile,
                                               const std::vector<PointF>& destPoints,
                                               MetafileCallback callback, void* callbackData,
                                               const PlusObject* imageAttributes) {
    PointsF packed(destPoints);
    return Succeeded(gp::GdipEnumerateMetafileDestPoints(
        G(native_), MetafileOf(metafile), packed.Data(), packed.Count(), Callback(callback),
        callbackData, AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileDestPointsI(const PlusObject& metafile,
                                                const std::vector<Point>& destPoints,
                                                MetafileCallback callback, void* callbackData,
                                                const PlusObject* imageAttributes) {
    PointsI packed(destPoints);
    return Succeeded(gp::GdipEnumerateMetafileDestPointsI(
        G(native_), MetafileOf(metafile), packed.Data(), packed.Count(), Callback(callback),
        callbackData, AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileDestRect(const PlusObject& metafile, const RectF& destRect,
                                             MetafileCallback callback, void* callbackData,
                                             const PlusObject* imageAttributes) {
    return Succeeded(gp::GdipEnumerateMetafileDestRect(
        G(native_), MetafileOf(metafile), As<Gdiplus::RectF>(destRect), Callback(callback),
        callbackData, AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileDestRectI(const PlusObject& metafile, const Rect& destRect,
                                              MetafileCallback callback, void* callbackData,
                                              const PlusObject* imageAttributes) {
    return Succeeded(gp::GdipEnumerateMetafileDestRectI(
        G(native_), MetafileOf(metafile), As<Gdiplus::Rect>(destRect), Callback(callback),
        callbackData, AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileSrcRectDestPoint(const PlusObject& metafile,
                                                     const PointF& destPoint, const RectF& srcRect,
                                                     int srcUnit, MetafileCallback callback,
                                                     void* callbackData,
                                                     const PlusObject* imageAttributes) {
    return Succeeded(gp::GdipEnumerateMetafileSrcRectDestPoint(
        G(native_), MetafileOf(metafile), As<Gdiplus::PointF>(destPoint),
        As<Gdiplus::RectF>(srcRect), UnitOf(srcUnit), Callback(callback), callbackData,
        AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileSrcRectDestPointI(const PlusObject& metafile,
                                                      const Point& destPoint, const Rect& srcRect,
                                                      int srcUnit, MetafileCallback callback,
                                                      void* callbackData,
                                                      const PlusObject* imageAttributes) {
    return Succeeded(gp::GdipEnumerateMetafileSrcRectDestPointI(
        G(native_), MetafileOf(metafile), As<Gdiplus::Point>(destPoint), As<Gdiplus::Rect>(srcRect),
        UnitOf(srcUnit), Callback(callback), callbackData, AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileSrcRectDestPoints(const PlusObject& metafile,
                                                      const std::vector<PointF>& destPoints,
                                                      const RectF& srcRect, int srcUnit,
                                                      MetafileCallback callback, void* callbackData,
                                                      const PlusObject* imageAttributes) {
    PointsF packed(destPoints);
    return Succeeded(gp::GdipEnumerateMetafileSrcRectDestPoints(
        G(native_), MetafileOf(metafile), packed.Data(), packed.Count(),
        As<Gdiplus::RectF>(srcRect), UnitOf(srcUnit), Callback(callback), callbackData,
        AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileSrcRectDestPointsI(
    const PlusObject& metafile, const std::vector<Point>& destPoints, const Rect& srcRect,
    int srcUnit, MetafileCallback callback, void* callbackData, const PlusObject* imageAttributes) {
    PointsI packed(destPoints);
    return Succeeded(gp::GdipEnumerateMetafileSrcRectDestPointsI(
        G(native_), MetafileOf(metafile), packed.Data(), packed.Count(), As<Gdiplus::Rect>(srcRect),
        UnitOf(srcUnit), Callback(callback), callbackData, AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileSrcRectDestRect(const PlusObject& metafile,
                                                    const RectF& destRect, const RectF& srcRect,
                                                    int srcUnit, MetafileCallback callback,
                                                    void* callbackData,
                                                    const PlusObject* imageAttributes) {
    return Succeeded(gp::GdipEnumerateMetafileSrcRectDestRect(
        G(native_), MetafileOf(metafile), As<Gdiplus::RectF>(destRect), As<Gdiplus::RectF>(srcRect),
        UnitOf(srcUnit), Callback(callback), callbackData, AttributesOf(imageAttributes)));
}

bool PlusGraphics::EnumerateMetafileSrcRectDestRectI(const PlusObject& metafile,
                                                     const Rect& destRect, const Rect& srcRect,
                                                     int srcUnit, MetafileCallback callback,
                                                     void* callbackData,
                                                     const PlusObject* imageAttributes) {
    return Succeeded(gp::GdipEnumerateMetafileSrcRectDestRectI(
        G(native_), MetafileOf(metafile), As<Gdiplus::Rect>(destRect), As<Gdiplus::Rect>(srcRect),
        UnitOf(srcUnit), Callback(callback), callbackData, AttributesOf(imageAttributes)));
}

bool PlusGraphics::SetClipGraphics(const PlusGraphics& graphics, int combineMode) {
    return Succeeded(
        gp::GdipSetClipGraphics(G(native_), G(graphics.native_), Combine(combineMode)));
}

bool PlusGraphics::SetClipPath(const PlusObject& path, int combineMode) {
    if (!Held(path)) return false;
    return Succeeded(gp::GdipSetClipPath(G(native_), NativeOf<GpPath>(path), Combine(combineMode)));
}

bool PlusGraphics::SetClipRect(float x, float y, float width, float height, int combineMode) {
    return Succeeded(gp::GdipSetClipRect(G(native_), x, y, width, height, Combine(combineMode)));
}

bool PlusGraphics::SetClipRectI(int x, int y, int width, int height, int combineMode) {
    return Succeeded(gp::GdipSetClipRectI(G(native_), x, y, width, height, Combine(combineMode)));
}

bool PlusGraphics::SetClipRegion(const PlusObject& region, int combineMode) {
    if (!Held(region)) return false;
    return Succeeded(
        gp::GdipSetClipRegion(G(native_), NativeOf<GpRegion>(region), Combine(combineMode)));
}

bool PlusGraphics::SetClipHrgn(HRGN hRgn, int combineMode) {
    return Succeeded(gp::GdipSetClipHrgn(G(native_), hRgn, Combine(combineMode)));
}

bool PlusGraphics::ResetClip() {
    return Succeeded(gp::GdipResetClip(G(native_)));
}

bool PlusGraphics::TranslateClip(float dx, float dy) {
    return Succeeded(gp::GdipTranslateClip(G(native_), dx, dy));
}

bool PlusGraphics::TranslateClipI(int dx, int dy) {
    return Succeeded(gp::GdipTranslateClipI(G(native_), dx, dy));
}

bool PlusGraphics::GetClip(const PlusObject& region) const {
    return Succeeded(gp::GdipGetClip(G(native_), NativeOf<GpRegion>(region)));
}

RectF PlusGraphics::GetClipBounds() const {
    Gdiplus::RectF r(0, 0, 0, 0);
    if (Record(gp::GdipGetClipBounds(G(native_), &r)) != Ok) return {};
    return As<RectF>(r);
}

Rect PlusGraphics::GetClipBoundsI() const {
    Gdiplus::Rect r(0, 0, 0, 0);
    if (Record(gp::GdipGetClipBoundsI(G(native_), &r)) != Ok) return {};
    return As<Rect>(r);
}

RectF PlusGraphics::GetVisibleClipBounds() const {
    Gdiplus::RectF r(0, 0, 0, 0);
    if (Record(gp::GdipGetVisibleClipBounds(G(native_), &r)) != Ok) return {};
    return As<RectF>(r);
}

Rect PlusGraphics::GetVisibleClipBoundsI() const {
    Gdiplus::Rect r(0, 0, 0, 0);
    if (Record(gp::GdipGetVisibleClipBoundsI(G(native_), &r)) != Ok) return {};
    return As<Rect>(r);
}

bool PlusGraphics::IsClipEmpty() const {
    BOOL result = FALSE;
    Record(gp::GdipIsClipEmpty(G(native_), &result));
    return result != FALSE;
}

bool PlusGraphics::IsVisibleClipEmpty() const {
    BOOL result = FALSE;
    Record(gp::GdipIsVisibleClipEmpty(G(native_), &result));
    return result != FALSE;
}

bool PlusGraphics::IsVisiblePoint(float x, float y) const {
    BOOL result = FALSE;
    Record(gp::GdipIsVisiblePoint(G(native_), x, y, &result));
    return result != FALSE;
}

bool PlusGraphics::IsVisiblePointI(int x, int y) const {
    BOOL result = FALSE;
    Record(gp::GdipIsVisiblePointI(G(native_), x, y, &result));
    return result != FALSE;
}

bool PlusGraphics::IsVisibleRect(float x, float y, float width, float height) const {
    BOOL result = FALSE;
    Record(gp::GdipIsVisibleRect(G(native_), x, y, width, height, &result));
    return result != FALSE;
}

bool PlusGraphics::IsVisibleRectI(int x, int y, int width, int height) const {
    BOOL result = FALSE;
    Record(gp::GdipIsVisibleRectI(G(native_), x, y, width, height, &result));
    return result != FALSE;
}

GraphicsState PlusGraphics::Save() {
    Gdiplus::GraphicsState state = 0;
    Record(gp::GdipSaveGraphics(G(native_), &state));
    return state;
}

bool PlusGraphics::Restore(GraphicsState state) {
    return Succeeded(gp::GdipRestoreGraphics(G(native_), state));
}

GraphicsContainer PlusGraphics::BeginContainer(const RectF& dstRect, const RectF& srcRect,
                                               int unit) {
    const auto dst = As<Gdiplus::RectF>(dstRect);
    const auto src = As<Gdiplus::RectF>(srcRect);
    Gdiplus::GraphicsContainer container = 0;
    Record(gp::GdipBeginContainer(G(native_), &dst, &src, UnitOf(unit), &container));
    return container;
}

GraphicsContainer PlusGraphics::BeginContainerI(const Rect& dstRect, const Rect& srcRect,
                                                int unit) {
    const auto dst = As<Gdiplus::Rect>(dstRect);
    const auto src = As<Gdiplus::Rect>(srcRect);
    Gdiplus::GraphicsContainer container = 0;
    Record(gp::GdipBeginContainerI(G(native_), &dst, &src, UnitOf(unit), &container));
    return container;
}

GraphicsContainer PlusGraphics::BeginContainer2() {
    Gdiplus::GraphicsContainer container = 0;
    Record(gp::GdipBeginContainer2(G(native_), &container));
    return container;
}

bool PlusGraphics::EndContainer(GraphicsContainer state) {
    return Succeeded(gp::GdipEndContainer(G(native_), state));
}

bool PlusGraphics::Comment(const ByteSet& data) {
    return Succeeded(gp::GdipComment(G(native_), static_cast<UINT>(data.size()),
                                     data.empty() ? nullptr : data.data()));
}

} // namespace plus
