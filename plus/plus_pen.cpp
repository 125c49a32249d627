#include "plus/plus_pen.h"

#include "plus/plus_brush.h"
#include "plus/plus_wrapper_helpers.h"
#include "plus/plus_internal.h"

#include <cmath>

namespace plus {
namespace {

using Gdiplus::GpPen;
using Gdiplus::GpStatus;

GpPen* PenOf(const PlusPen& pen) {
    return static_cast<GpPen*>(pen.Native());
}
Gdiplus::GpMatrix* Matrix(const PlusObject& m) {
    return NativeOf<Gdiplus::GpMatrix>(m);
}
Gdiplus::GpCustomLineCap* Cap(const PlusObject& c) {
    return NativeOf<Gdiplus::GpCustomLineCap>(c);
}

// Reads one value through GDI+ into a zeroed local: a failed call answers 0.
template <class T, class Get> T Read(Get get) {
    T value{};
    Record(get(&value));
    return value;
}

// Asks for the element count, resizes the array to it (zeroed), lets GDI+ fill it and returns
// the count; a failed count query leaves the array alone and returns 0.
template <class Count, class Fill>
int ReadFloats(std::vector<float>& values, Count count, Fill fill) {
    INT n = 0;
    if (Record(count(&n)) != Ok || n < 0) return 0;
    values.assign(static_cast<std::size_t>(n), 0.0f);
    Record(fill(values.empty() ? nullptr : values.data(), n));
    return n;
}

} // namespace

PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(PlusPen, DeletePen)

bool PlusPen::DeletePen() {
    return ReleaseNative(*this, native_, [&] { return gp::GdipDeletePen(PenOf(*this)); });
}

bool PlusPen::CreatePen(ARGB colour, float width, int unit) {
    return CreateNative<GpPen>(*this, [&](GpPen** out) {
        return gp::GdipCreatePen1(colour, width, EnumOf<Gdiplus::Unit>(unit), out);
    });
}

bool PlusPen::CreatePenFromBrush(const PlusBrush& brush, float width, int unit) {
    return CreateNative<GpPen>(*this, [&](GpPen** out) {
        return gp::GdipCreatePen2(NativeOf<Gdiplus::GpBrush>(brush), width,
                                  EnumOf<Gdiplus::Unit>(unit), out);
    });
}

bool PlusPen::Clone(PlusPen& target) const {
    return CreateNative<GpPen>(target,
                               [&](GpPen** out) { return gp::GdipClonePen(PenOf(*this), out); });
}

float PlusPen::GetWidth() const {
    return Read<float>([&](float* v) { return gp::GdipGetPenWidth(PenOf(*this), v); });
}

bool PlusPen::SetWidth(float width) {
    return Succeeded(gp::GdipSetPenWidth(PenOf(*this), width));
}

int PlusPen::GetUnit() const {
    return Read<Gdiplus::Unit>(
        [&](Gdiplus::Unit* v) { return gp::GdipGetPenUnit(PenOf(*this), v); });
}

bool PlusPen::SetUnit(float unit) {
    // Truncated toward zero; a value no int can hold becomes -1, which GDI+ refuses.
    const bool representable = std::isfinite(unit) && std::fabs(unit) < 2147483520.0f;
    const int truncated = representable ? static_cast<int>(unit) : -1;
    return Succeeded(gp::GdipSetPenUnit(PenOf(*this), EnumOf<Gdiplus::Unit>(truncated)));
}

bool PlusPen::SetLineCap(int startCap, int endCap, int dashCap) {
    return Succeeded(gp::GdipSetPenLineCap197819(PenOf(*this), EnumOf<Gdiplus::LineCap>(startCap),
                                                 EnumOf<Gdiplus::LineCap>(endCap),
                                                 EnumOf<Gdiplus::DashCap>(dashCap)));
}

bool PlusPen::SetLineCapAlt(int startCap, int endCap, int dashCap) {
    return SetLineCap(startCap, endCap, dashCap);
}

bool PlusPen::SetStartCap(int startCap) {
    return Succeeded(gp::GdipSetPenStartCap(PenOf(*this), EnumOf<Gdiplus::LineCap>(startCap)));
}

bool PlusPen::SetEndCap(int endCap) {
    return Succeeded(gp::GdipSetPenEndCap(PenOf(*this), EnumOf<Gdiplus::LineCap>(endCap)));
}

bool PlusPen::SetDashCap(int dashCap) {
    return Succeeded(gp::GdipSetPenDashCap197819(PenOf(*this), EnumOf<Gdiplus::DashCap>(dashCap)));
}

int PlusPen::GetStartCap() const {
    return Read<Gdiplus::LineCap>(
        [&](Gdiplus::LineCap* v) { return gp::GdipGetPenStartCap(PenOf(*this), v); });
}

int PlusPen::GetEndCap() const {
    return Read<Gdiplus::LineCap>(
        [&](Gdiplus::LineCap* v) { return gp::GdipGetPenEndCap(PenOf(*this), v); });
}

int PlusPen::GetDashCap() const {
    return Read<Gdiplus::DashCap>(
        [&](Gdiplus::DashCap* v) { return gp::GdipGetPenDashCap197819(PenOf(*this), v); });
}

int PlusPen::GetDashCapAlt() const {
    return GetDashCap();
}

bool PlusPen::SetLineJoin(int lineJoin) {
    return Succeeded(gp::GdipSetPenLineJoin(PenOf(*this), EnumOf<Gdiplus::LineJoin>(lineJoin)));
}

int PlusPen::GetLineJoin() const {
    return Read<Gdiplus::LineJoin>(
        [&](Gdiplus::LineJoin* v) { return gp::GdipGetPenLineJoin(PenOf(*this), v); });
}

bool PlusPen::SetCustomStartCap(const PlusObject& customCap) {
    return Succeeded(gp::GdipSetPenCustomStartCap(PenOf(*this), Cap(customCap)));
}

bool PlusPen::GetCustomStartCap(PlusObject& target) const {
    return CreateNative<Gdiplus::GpCustomLineCap>(target, [&](Gdiplus::GpCustomLineCap** out) {
        return gp::GdipGetPenCustomStartCap(PenOf(*this), out);
    });
}

bool PlusPen::SetCustomEndCap(const PlusObject& customCap) {
    return Succeeded(gp::GdipSetPenCustomEndCap(PenOf(*this), Cap(customCap)));
}

bool PlusPen::GetCustomEndCap(PlusObject& target) const {
    return CreateNative<Gdiplus::GpCustomLineCap>(target, [&](Gdiplus::GpCustomLineCap** out) {
        return gp::GdipGetPenCustomEndCap(PenOf(*this), out);
    });
}

bool PlusPen::SetMiterLimit(float miterLimit) {
    return Succeeded(gp::GdipSetPenMiterLimit(PenOf(*this), miterLimit));
}

float PlusPen::GetMiterLimit() const {
    return Read<float>([&](float* v) { return gp::GdipGetPenMiterLimit(PenOf(*this), v); });
}

bool PlusPen::SetMode(int penMode) {
    return Succeeded(gp::GdipSetPenMode(PenOf(*this), EnumOf<Gdiplus::PenAlignment>(penMode)));
}

int PlusPen::GetMode() const {
    return Read<Gdiplus::PenAlignment>(
        [&](Gdiplus::PenAlignment* v) { return gp::GdipGetPenMode(PenOf(*this), v); });
}

bool PlusPen::SetTransform(const PlusObject& matrix) {
    return Succeeded(gp::GdipSetPenTransform(PenOf(*this), Matrix(matrix)));
}

bool PlusPen::GetTransform(PlusObject& matrix) const {
    return Succeeded(gp::GdipGetPenTransform(PenOf(*this), Matrix(matrix)));
}

bool PlusPen::ResetTransform() {
    return Succeeded(gp::GdipResetPenTransform(PenOf(*this)));
}

bool PlusPen::MultiplyTransform(const PlusObject& matrix, int order) {
    return Succeeded(gp::GdipMultiplyPenTransform(PenOf(*this), Matrix(matrix),
                                                  EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusPen::RotateTransform(float angle, int order) {
    return Succeeded(
        gp::GdipRotatePenTransform(PenOf(*this), angle, EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusPen::RotateAt(float angle, const PointF& centre, int order) {
    return ComposeAt(
        centre, order,
        [&](float dx, float dy, Gdiplus::MatrixOrder o) {
            return gp::GdipTranslatePenTransform(PenOf(*this), dx, dy, o);
        },
        [&](Gdiplus::MatrixOrder o) { return gp::GdipRotatePenTransform(PenOf(*this), angle, o); });
}

bool PlusPen::ScaleTransform(float sx, float sy, int order) {
    return Succeeded(
        gp::GdipScalePenTransform(PenOf(*this), sx, sy, EnumOf<Gdiplus::MatrixOrder>(order)));
}

bool PlusPen::ScaleAt(float sx, float sy, const PointF& centre, int order) {
    return ComposeAt(
        centre, order,
        [&](float dx, float dy, Gdiplus::MatrixOrder o) {
            return gp::GdipTranslatePenTransform(PenOf(*this), dx, dy, o);
        },
        [&](Gdiplus::MatrixOrder o) { return gp::GdipScalePenTransform(PenOf(*this), sx, sy, o); });
}

bool PlusPen::TranslateTransform(float dx, float dy, int order) {
    return Succeeded(
        gp::GdipTranslatePenTransform(PenOf(*this), dx, dy, EnumOf<Gdiplus::MatrixOrder>(order)));
}

ARGB PlusPen::GetColor() const {
    return Read<Gdiplus::ARGB>(
        [&](Gdiplus::ARGB* v) { return gp::GdipGetPenColor(PenOf(*this), v); });
}

bool PlusPen::SetColor(ARGB colour) {
    return Succeeded(gp::GdipSetPenColor(PenOf(*this), colour));
}

bool PlusPen::SetBrushFill(const PlusBrush& brush) {
    return Succeeded(gp::GdipSetPenBrushFill(PenOf(*this), NativeOf<Gdiplus::GpBrush>(brush)));
}

bool PlusPen::GetBrushFill(PlusBrush& target) const {
    return CreateNative<Gdiplus::GpBrush>(
        target, [&](Gdiplus::GpBrush** out) { return gp::GdipGetPenBrushFill(PenOf(*this), out); });
}

int PlusPen::GetFillType() const {
    return Read<Gdiplus::PenType>(
        [&](Gdiplus::PenType* v) { return gp::GdipGetPenFillType(PenOf(*this), v); });
}

bool PlusPen::SetDashStyle(int dashStyle) {
    return Succeeded(gp::GdipSetPenDashStyle(PenOf(*this), EnumOf<Gdiplus::DashStyle>(dashStyle)));
}

int PlusPen::GetDashStyle() const {
    return Read<Gdiplus::DashStyle>(
        [&](Gdiplus::DashStyle* v) { return gp::GdipGetPenDashStyle(PenOf(*this), v); });
}

float PlusPen::GetDashOffset() const {
    return Read<float>([&](float* v) { return gp::GdipGetPenDashOffset(PenOf(*this), v); });
}

bool PlusPen::SetDashOffset(float dashOffset) {
    return Succeeded(gp::GdipSetPenDashOffset(PenOf(*this), dashOffset));
}

int PlusPen::GetDashArray(std::vector<float>& dashes) const {
    return ReadFloats(
        dashes, [&](INT* n) { return gp::GdipGetPenDashCount(PenOf(*this), n); },
        [&](float* data, INT n) { return gp::GdipGetPenDashArray(PenOf(*this), data, n); });
}

bool PlusPen::SetDashArray(const std::vector<float>& dashes) {
    return Succeeded(
        gp::GdipSetPenDashArray(PenOf(*this), DataOrNull(dashes), static_cast<INT>(dashes.size())));
}

bool PlusPen::SetCompoundArray(const std::vector<float>& compounds) {
    return Succeeded(gp::GdipSetPenCompoundArray(PenOf(*this), DataOrNull(compounds),
                                                 static_cast<INT>(compounds.size())));
}

int PlusPen::GetCompoundArray(std::vector<float>& compounds) const {
    return ReadFloats(
        compounds, [&](INT* n) { return gp::GdipGetPenCompoundCount(PenOf(*this), n); },
        [&](float* data, INT n) { return gp::GdipGetPenCompoundArray(PenOf(*this), data, n); });
}

} // namespace plus
