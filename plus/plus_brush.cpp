#include "plus/plus_brush.h"

#include "plus/plus_wrapper_helpers.h"
#include "plus/plus_internal.h"
#include "plus/plus_path.h"

namespace plus {
namespace {

using Gdiplus::GpBrush;
using Gdiplus::GpLineGradient;
using Gdiplus::GpPathGradient;
using Gdiplus::GpSolidFill;
using Gdiplus::GpStatus;

GpSolidFill* Solid(const PlusSolidBrush& b) {
    return static_cast<GpSolidFill*>(b.Native());
}
GpLineGradient* Line(const PlusLinearBrush& b) {
    return static_cast<GpLineGradient*>(b.Native());
}
GpPathGradient* Grad(const PlusPathBrush& b) {
    return static_cast<GpPathGradient*>(b.Native());
}
Gdiplus::GpMatrix* Matrix(const PlusObject& m) {
    return NativeOf<Gdiplus::GpMatrix>(m);
}
Gdiplus::GpPath* PathOf(const PlusPath& p) {
    return NativeOf<Gdiplus::GpPath>(p);
}

// Two arrays that GDI+ reads pairwise with the count of the first: the second must be at least
// as long, or GDI+ would read past it.
template <class Set, class A, class B>
bool SetPairs(const std::vector<A>& first, const std::vector<B>& second, Set set) {
    if (second.size() < first.size()) {
        Record(InvalidParameter);
        return false;
    }
    return Succeeded(set(DataOrNull(first), DataOrNull(second), static_cast<INT>(first.size())));
}

// Asks for the count, resizes and zeroes both arrays, lets GDI+ fill them, returns the count.
// A failed count query leaves the arrays as they were and returns 0.
template <class Count, class Fill, class A, class B>
int GetPairs(std::vector<A>& first, std::vector<B>& second, Count count, Fill fill) {
    INT n = 0;
    if (Record(count(&n)) != Ok || n < 0) return 0;
    first.assign(static_cast<std::size_t>(n), A{});
    second.assign(static_cast<std::size_t>(n), B{});
    Record(fill(DataOrNull(first), DataOrNull(second), n));
    return n;
}

template <class Get> BOOL GetFlag(Get get) {
    BOOL value = FALSE;
    Record(get(&value));
    return value;
}

} // namespace

// ---- PlusBrush ----

PlusBrush::~PlusBrush() {
    DeleteBrush();
}

void PlusBrush::AttachNative(NativeHandle h) {
    brushNative_ = h;
    OnAttach(h);
}

void PlusBrush::OnAttach(NativeHandle) {}

bool PlusBrush::DeleteBrush() {
    return ReleaseNative(*this, brushNative_,
                         [&] { return gp::GdipDeleteBrush(static_cast<GpBrush*>(brushNative_)); });
}

bool PlusBrush::Clone(PlusBrush& target) const {
    return CreateNative<GpBrush>(target, [&](GpBrush** out) {
        return gp::GdipCloneBrush(static_cast<GpBrush*>(brushNative_), out);
    });
}

int PlusBrush::GetType() const {
    Gdiplus::BrushType type{};
    Record(gp::GdipGetBrushType(static_cast<GpBrush*>(brushNative_), &type));
    return static_cast<int>(type);
}

// ---- PlusSolidBrush ----

PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(PlusSolidBrush, DeleteBrush)

bool PlusSolidBrush::Create(ARGB colour) {
    return CreateNative<GpSolidFill>(
        *this, [&](GpSolidFill** out) { return gp::GdipCreateSolidFill(colour, out); });
}

bool PlusSolidBrush::SetColor(ARGB colour) {
    return Succeeded(gp::GdipSetSolidFillColor(Solid(*this), colour));
}

ARGB PlusSolidBrush::GetColor() const {
    Gdiplus::ARGB colour = 0;
    Record(gp::GdipGetSolidFillColor(Solid(*this), &colour));
    return colour;
}

// ---- PlusLinearBrush ----

PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(PlusLinearBrush, DeleteBrush)

bool PlusLinearBrush::Create(const PointF& point1, const PointF& point2, ARGB colour1,
                             ARGB colour2) {
    const auto p1 = As<Gdiplus::PointF>(point1);
    const auto p2 = As<Gdiplus::PointF>(point2);
    return CreateNative<GpLineGradient>(*this, [&](GpLineGradient** out) {
        return gp::GdipCreateLineBrush(&p1, &p2, colour1, colour2, Gdiplus::WrapModeTile, out);
    });
}

bool PlusLinearBrush::CreateI(const Point& point1, const Point& point2, ARGB colour1,
                              ARGB colour2) {
    const auto p1 = As<Gdiplus::Point>(point1);
    const auto p2 = As<Gdiplus::Point>(point2);
    return CreateNative<GpLineGradient>(*this, [&](GpLineGradient** out) {
        return gp::GdipCreateLineBrushI(&p1, &p2, colour1, colour2, Gdiplus::WrapModeTile, out);
    });
}

bool PlusLinearBrush::CreateFromRect(const RectF& rect, ARGB colour1, ARGB colour2, int mode) {
    const auto r = As<Gdiplus::RectF>(rect);
    return CreateNative<GpLineGradient>(*this, [&](GpLineGradient** out) {
        return gp::GdipCreateLineBrushFromRect(&r, colour1, colour2,
                                               EnumOf<Gdiplus::LinearGradientMode>(mode),
                                               Gdiplus::WrapModeTile, out);
    });
}

bool PlusLinearBrush::CreateFromRectI(const Rect& rect, ARGB colour1, ARGB colour2, int mode) {
    const auto r = As<Gdiplus::Rect>(rect);
    return CreateNative<GpLineGradient>(*this, [&](GpLineGradient** out) {
        return gp::GdipCreateLineBrushFromRectI(&r, colour1, colour2,
                                                EnumOf<Gdiplus::LinearGradientMode>(mode),
                                                Gdiplus::WrapModeTile, out);
    });
}

bool PlusLinearBrush::CreateFromRectWithAngle(const RectF& rect, ARGB colour1, ARGB colour2,
                                              float angle, bool isAngleScalable) {
    const auto r = As<Gdiplus::RectF>(rect);
    return CreateNative<GpLineGradient>(*this, [&](GpLineGradient** out) {
        return gp::GdipCreateLineBrushFromRectWithAngle(
            &r, colour1, colour2, angle, isAngleScalable, Gdiplus::WrapModeTile, out);
    });
}

bool PlusLinearBrush::CreateFromRectWithAngleI(const Rect& rect, ARGB colour1, ARGB colour2,
                                               float angle, bool isAngleScalable) {
    const auto r = As<Gdiplus::Rect>(rect);
    return CreateNative<GpLineGradient>(*this, [&](GpLineGradient** out) {
        return gp::GdipCreateLineBrushFromRectWithAngleI(
            &r, colour1, colour2, angle, isAngleScalable, Gdiplus::WrapModeTile, out);
    });
}

bool PlusLinearBrush::GetColors(ARGB& colour1, ARGB& colour2) const {
    Gdiplus::ARGB colours[2] = {0, 0};
    const bool ok = Succeeded(gp::GdipGetLineColors(Line(*this), colours));
    if (ok) {
        colour1 = colours[0];
        colour2 = colours[1];
    }
    return ok;
}

bool PlusLinearBrush::SetColors(ARGB colour1, ARGB colour2) {
    return Succeeded(gp::GdipSetLineColors(Line(*this), colour1, colour2));
}

RectF PlusLinearBrush::GetRect() const {
    Gdiplus::RectF rect;
    if (Record(gp::GdipGetLineRect(Line(*this), &rect)) != Ok) return RectF{};
    return FromNative<RectF>(rect);
}

Rect PlusLinearBrush::GetRectI() const {
    Gdiplus::Rect rect;
    if (Record(gp::GdipGetLineRectI(Line(*this), &rect)) != Ok) return Rect{};
    return FromNative<Rect>(rect);
}

bool PlusLinearBrush::SetGammaCorrection(bool useGammaCorrection) {
    return Succeeded(gp::GdipSetLineGammaCorrection(Line(*this), useGammaCorrection));
}

bool PlusLinearBrush::GetGammaCorrection() const {
    return GetFlag([&](BOOL* v) { return gp::GdipGetLineGammaCorrection(Line(*this), v); });
}

bool PlusLinearBrush::SetBlend(const std::vector<float>& factors,
                               const std::vector<float>& positions) {
    return SetPairs(factors, positions, [&](const float* f, const float* p, INT n) {
        return gp::GdipSetLineBlend(Line(*this), f, p, n);
    });
}

int PlusLinearBrush::GetBlendCount() const {
    INT count = 0;
    Record(gp::GdipGetLineBlendCount(Line(*this), &count));
    return count;
}

int PlusLinearBrush::GetBlend(std::vector<float>& factors, std::vector<float>& positions) const {
    return GetPairs(
        factors, positions, [&](INT* n) { return gp::GdipGetLineBlendCount(Line(*this), n); },
        [&](float* f, float* p, INT n) { return gp::GdipGetLineBlend(Line(*this), f, p, n); });
}

bool PlusLinearBrush::SetPresetBlend(const std::vector<ARGB>& colours,
                                     const std::vector<float>& positions) {
    return SetPairs(colours, positions, [&](const ARGB* c, const float* p, INT n) {
        return gp::GdipSetLinePresetBlend(Line(*this), reinterpret_cast<const Gdiplus::ARGB*>(c), p,
                                          n);
    });
}

int PlusLinearBrush::GetPresetBlendCount() const {
    INT count = 0;
    Record(gp::GdipGetLinePresetBlendCount(Line(*this), &count));
    return count;
}

int PlusLinearBrush::GetPresetBlend(std::vector<ARGB>& colours,
                                    std::vector<float>& positions) const {
    return GetPairs(
        colours, positions, [&](INT* n) { return gp::GdipGetLinePresetBlendCount(Line(*this), n); },
        [&](ARGB* c, float* p, INT n) {
            return gp::GdipGetLinePresetBlend(Line(*this), reinterpret_cast<Gdiplus::ARGB*>(c), p,
                                              n);
        });
}

bool PlusLinearBrush::SetSigmaBlend(float focus, float scale) {
    return Succeeded(gp::GdipSetLineSigmaBlend(Line(*this), focus, scale));
}

bool PlusLinearBrush::SetLinearBlend(float focus, float scale) {
    return Succeeded(gp::GdipSetLineLinearBlend(Line(*this), focus, scale));
}

int PlusLinearBrush::GetWrapMode() const {
    Gdiplus::WrapMode mode{};
    Record(gp::GdipGetLineWrapMode(Line(*this), &mode));
    return static_cast<int>(mode);
}

bool PlusLinearBrush::SetWrapMode(int wrapMode) {
    return Succeeded(gp::GdipSetLineWrapMode(Line(*this), EnumOf<Gdiplus::WrapMode>(wrapMode)));
}

bool PlusLinearBrush::GetTransform(PlusObject& matrix) const {
    return Succeeded(gp::GdipGetLineTransform(Line(*this), Matrix(matrix)));
}

bool PlusLinearBrush::SetTransform(const PlusObject& matrix) {
    return Succeeded(gp::GdipSetLineTransform(Line(*this), Matrix(matrix)));
}

bool PlusLinearBrush::ResetTransform() {
    return Succeeded(gp::GdipResetLineTransform(Line(*this)));
}

bool PlusLinearBrush::MultiplyTransform(const PlusObject& matrix, int order) {
    return Succeeded(gp::GdipMultiplyLineTransform(Line(*this), Matrix(matrix),
                                                   EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusLinearBrush::TranslateTransform(float dx, float dy, int order) {
    return Succeeded(
        gp::GdipTranslateLineTransform(Line(*this), dx, dy, EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusLinearBrush::ScaleTransform(float sx, float sy, int order) {
    return Succeeded(
        gp::GdipScaleLineTransform(Line(*this), sx, sy, EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusLinearBrush::ScaleAt(float sx, float sy, const PointF& centre, int order) {
    return ComposeAt(
        centre, order,
        [&](float dx, float dy, Gdiplus::MatrixOrder o) {
            return gp::GdipTranslateLineTransform(Line(*this), dx, dy, o);
        },
        [&](Gdiplus::MatrixOrder o) { return gp::GdipScaleLineTransform(Line(*this), sx, sy, o); });
}

bool PlusLinearBrush::RotateTransform(float angle, int order) {
    return Succeeded(
        gp::GdipRotateLineTransform(Line(*this), angle, EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusLinearBrush::RotateAt(float angle, const PointF& centre, int order) {
    return ComposeAt(
        centre, order,
        [&](float dx, float dy, Gdiplus::MatrixOrder o) {
            return gp::GdipTranslateLineTransform(Line(*this), dx, dy, o);
        },
        [&](Gdiplus::MatrixOrder o) { return gp::GdipRotateLineTransform(Line(*this), angle, o); });
}

// ---- PlusPathBrush ----

PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(PlusPathBrush, DeleteBrush)

bool PlusPathBrush::Create(const std::vector<PointF>& points, int wrapMode) {
    PackedArray<Gdiplus::PointF, PointF> packed(points);
    return CreateNative<GpPathGradient>(*this, [&](GpPathGradient** out) {
        return gp::GdipCreatePathGradient(packed.Data(), packed.Count(),
                                          EnumOf<Gdiplus::WrapMode>(wrapMode), out);
    });
}

bool PlusPathBrush::CreateI(const std::vector<Point>& points, int wrapMode) {
    PackedArray<Gdiplus::Point, Point> packed(points);
    return CreateNative<GpPathGradient>(*this, [&](GpPathGradient** out) {
        return gp::GdipCreatePathGradientI(packed.Data(), packed.Count(),
                                           EnumOf<Gdiplus::WrapMode>(wrapMode), out);
    });
}

bool PlusPathBrush::CreateFromPath(const PlusPath& path) {
    return CreateNative<GpPathGradient>(*this, [&](GpPathGradient** out) {
        return gp::GdipCreatePathGradientFromPath(PathOf(path), out);
    });
}

ARGB PlusPathBrush::GetCenterColor() const {
    Gdiplus::ARGB colour = 0;
    Record(gp::GdipGetPathGradientCenterColor(Grad(*this), &colour));
    return colour;
}

bool PlusPathBrush::SetCenterColor(ARGB colour) {
    return Succeeded(gp::GdipSetPathGradientCenterColor(Grad(*this), colour));
}

int PlusPathBrush::GetPointCount() const {
    INT count = 0;
    Record(gp::GdipGetPathGradientPointCount(Grad(*this), &count));
    return count;
}

int PlusPathBrush::GetSurroundColorCount() const {
    INT count = 0;
    Record(gp::GdipGetPathGradientSurroundColorCount(Grad(*this), &count));
    return count;
}

bool PlusPathBrush::GetSurroundColors(std::vector<ARGB>& colours, int& count) const {
    // GDI+ writes as many colours as the caller says there is room for.
    if (count < 0 || static_cast<std::size_t>(count) > colours.size()) {
        Record(InvalidParameter);
        return false;
    }
    INT n = count;
    const bool ok = Succeeded(
        gp::GdipGetPathGradientSurroundColorsWithCount(Grad(*this), ArgbData(colours), &n));
    count = n;
    return ok;
}

bool PlusPathBrush::SetSurroundColors(const std::vector<ARGB>& colours) {
    int count = 0;
    return SetSurroundColors(colours, count);
}

bool PlusPathBrush::SetSurroundColors(const std::vector<ARGB>& colours, int& count) {
    if (count == 0) count = static_cast<int>(colours.size());
    if (count < 0 || static_cast<std::size_t>(count) > colours.size()) {
        Record(InvalidParameter);
        return false;
    }
    INT n = count;
    const bool ok = Succeeded(
        gp::GdipSetPathGradientSurroundColorsWithCount(Grad(*this), ArgbData(colours), &n));
    count = n;
    return ok;
}

bool PlusPathBrush::GetPath(PlusPath& path) const {
    return Succeeded(gp::GdipGetPathGradientPath(Grad(*this), PathOf(path)));
}

bool PlusPathBrush::SetPath(const PlusPath& path) {
    return Succeeded(gp::GdipSetPathGradientPath(Grad(*this), PathOf(path)));
}

PointF PlusPathBrush::GetCenterPoint() const {
    Gdiplus::PointF point;
    if (Record(gp::GdipGetPathGradientCenterPoint(Grad(*this), &point)) != Ok) return PointF{};
    return FromNative<PointF>(point);
}

Point PlusPathBrush::GetCenterPointI() const {
    Gdiplus::Point point;
    if (Record(gp::GdipGetPathGradientCenterPointI(Grad(*this), &point)) != Ok) return Point{};
    return FromNative<Point>(point);
}

bool PlusPathBrush::SetCenterPoint(const PointF& point) {
    const auto p = As<Gdiplus::PointF>(point);
    return Succeeded(gp::GdipSetPathGradientCenterPoint(Grad(*this), &p));
}

bool PlusPathBrush::SetCenterPointI(const Point& point) {
    const auto p = As<Gdiplus::Point>(point);
    return Succeeded(gp::GdipSetPathGradientCenterPointI(Grad(*this), &p));
}

bool PlusPathBrush::GetRect(RectF& rect) const {
    Gdiplus::RectF r;
    const bool ok = Succeeded(gp::GdipGetPathGradientRect(Grad(*this), &r));
    rect = ok ? FromNative<RectF>(r) : RectF{};
    return ok;
}

bool PlusPathBrush::GetRectI(Rect& rect) const {
    Gdiplus::Rect r;
    const bool ok = Succeeded(gp::GdipGetPathGradientRectI(Grad(*this), &r));
    rect = ok ? FromNative<Rect>(r) : Rect{};
    return ok;
}

bool PlusPathBrush::SetGammaCorrection(bool useGammaCorrection) {
    return Succeeded(gp::GdipSetPathGradientGammaCorrection(Grad(*this), useGammaCorrection));
}

bool PlusPathBrush::GetGammaCorrection() const {
    return GetFlag([&](BOOL* v) { return gp::GdipGetPathGradientGammaCorrection(Grad(*this), v); });
}

int PlusPathBrush::GetBlendCount() const {
    INT count = 0;
    Record(gp::GdipGetPathGradientBlendCount(Grad(*this), &count));
    return count;
}

bool PlusPathBrush::SetBlend(const std::vector<float>& factors,
                             const std::vector<float>& positions) {
    return SetPairs(factors, positions, [&](const float* f, const float* p, INT n) {
        return gp::GdipSetPathGradientBlend(Grad(*this), f, p, n);
    });
}

int PlusPathBrush::GetBlend(std::vector<float>& factors, std::vector<float>& positions) const {
    return GetPairs(
        factors, positions,
        [&](INT* n) { return gp::GdipGetPathGradientBlendCount(Grad(*this), n); },
        [&](float* f, float* p, INT n) {
            return gp::GdipGetPathGradientBlend(Grad(*this), f, p, n);
        });
}

int PlusPathBrush::GetPresetBlendCount() const {
    INT count = 0;
    Record(gp::GdipGetPathGradientPresetBlendCount(Grad(*this), &count));
    return count;
}

bool PlusPathBrush::SetPresetBlend(const std::vector<ARGB>& colours,
                                   const std::vector<float>& positions) {
    return SetPairs(colours, positions, [&](const ARGB* c, const float* p, INT n) {
        return gp::GdipSetPathGradientPresetBlend(Grad(*this),
                                                  reinterpret_cast<const Gdiplus::ARGB*>(c), p, n);
    });
}

int PlusPathBrush::GetPresetBlend(std::vector<ARGB>& colours, std::vector<float>& positions) const {
    return GetPairs(
        colours, positions,
        [&](INT* n) { return gp::GdipGetPathGradientPresetBlendCount(Grad(*this), n); },
        [&](ARGB* c, float* p, INT n) {
            return gp::GdipGetPathGradientPresetBlend(Grad(*this),
                                                      reinterpret_cast<Gdiplus::ARGB*>(c), p, n);
        });
}

bool PlusPathBrush::SetSigmaBlend(float focus, float scale) {
    return Succeeded(gp::GdipSetPathGradientSigmaBlend(Grad(*this), focus, scale));
}

bool PlusPathBrush::SetLinearBlend(float focus, float scale) {
    return Succeeded(gp::GdipSetPathGradientLinearBlend(Grad(*this), focus, scale));
}

bool PlusPathBrush::GetFocusScales(float& xScale, float& yScale) const {
    float x = 0, y = 0;
    const bool ok = Succeeded(gp::GdipGetPathGradientFocusScales(Grad(*this), &x, &y));
    if (ok) {
        xScale = x;
        yScale = y;
    }
    return ok;
}

bool PlusPathBrush::SetFocusScales(float xScale, float yScale) {
    return Succeeded(gp::GdipSetPathGradientFocusScales(Grad(*this), xScale, yScale));
}

int PlusPathBrush::GetWrapMode() const {
    Gdiplus::WrapMode mode{};
    Record(gp::GdipGetPathGradientWrapMode(Grad(*this), &mode));
    return static_cast<int>(mode);
}

bool PlusPathBrush::SetWrapMode(int wrapMode) {
    return Succeeded(
        gp::GdipSetPathGradientWrapMode(Grad(*this), EnumOf<Gdiplus::WrapMode>(wrapMode)));
}

bool PlusPathBrush::GetTransform(PlusObject& matrix) const {
    return Succeeded(gp::GdipGetPathGradientTransform(Grad(*this), Matrix(matrix)));
}

bool PlusPathBrush::SetTransform(const PlusObject& matrix) {
    return Succeeded(gp::GdipSetPathGradientTransform(Grad(*this), Matrix(matrix)));
}

bool PlusPathBrush::ResetTransform() {
    return Succeeded(gp::GdipResetPathGradientTransform(Grad(*this)));
}

bool PlusPathBrush::MultiplyTransform(const PlusObject& matrix, int order) {
    return Succeeded(gp::GdipMultiplyPathGradientTransform(Grad(*this), Matrix(matrix),
                                                           EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusPathBrush::TranslateTransform(float dx, float dy, int order) {
    return Succeeded(gp::GdipTranslatePathGradientTransform(Grad(*this), dx, dy,
                                                            EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusPathBrush::ScaleTransform(float sx, float sy, int order) {
    return Succeeded(gp::GdipScalePathGradientTransform(Grad(*this), sx, sy,
                                                        EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusPathBrush::ScaleAt(float sx, float sy, const PointF& centre, int order) {
    return ComposeAt(
        centre, order,
        [&](float dx, float dy, Gdiplus::MatrixOrder o) {
            return gp::GdipTranslatePathGradientTransform(Grad(*this), dx, dy, o);
        },
        [&](Gdiplus::MatrixOrder o) {
            return gp::GdipScalePathGradientTransform(Grad(*this), sx, sy, o);
        });
}

bool PlusPathBrush::RotateTransform(float angle, int order) {
    return Succeeded(gp::GdipRotatePathGradientTransform(Grad(*this), angle,
                                                         EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusPathBrush::RotateAt(float angle, const PointF& centre, int order) {
    return ComposeAt(
        centre, order,
        [&](float dx, float dy, Gdiplus::MatrixOrder o) {
            return gp::GdipTranslatePathGradientTransform(Grad(*this), dx, dy, o);
        },
        [&](Gdiplus::MatrixOrder o) {
            return gp::GdipRotatePathGradientTransform(Grad(*this), angle, o);
        });
}

} // namespace plus
