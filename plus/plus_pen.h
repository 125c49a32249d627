// PlusPen: a GDI+ pen (outlines), made from a colour and a width or from a brush.
#pragma once

#include "plus/plus_object.h"

#include <vector>

namespace plus {

class PlusBrush;

class PlusPen : public PlusObject {
public:
    PlusPen() = default;
    PlusPen(PlusPen&& other) noexcept;
    PlusPen& operator=(PlusPen&& other) noexcept;
    ~PlusPen() override;

    void AttachNative(NativeHandle h) override { native_ = h; }

    // Releases the pen; false without a GDI+ call when none is held.
    bool DeletePen();
    // unit: GDI+ Unit, 0 (world units) when left out.
    bool CreatePen(ARGB colour, float width, int unit = 0);
    bool CreatePenFromBrush(const PlusBrush& brush, float width, int unit = 0);
    bool Clone(PlusPen& target) const;
    float GetWidth() const;
    bool SetWidth(float width);
    int GetUnit() const;
    // The unit arrives as a float and is truncated toward zero.
    bool SetUnit(float unit);
    // Caps: GDI+ LineCap values; dashCap: DashCap values.
    bool SetLineCap(int startCap, int endCap, int dashCap);
    bool SetLineCapAlt(int startCap, int endCap, int dashCap);
    bool SetStartCap(int startCap);
    bool SetEndCap(int endCap);
    bool SetDashCap(int dashCap);
    int GetStartCap() const;
    int GetEndCap() const;
    int GetDashCap() const;
    int GetDashCapAlt() const;
    bool SetLineJoin(int lineJoin);
    int GetLineJoin() const;
    // customCap: any wrapper whose handle is a GDI+ custom line cap.
    bool SetCustomStartCap(const PlusObject& customCap);
    // Gives `target` a new custom cap copied from the pen.
    bool GetCustomStartCap(PlusObject& target) const;
    bool SetCustomEndCap(const PlusObject& customCap);
    bool GetCustomEndCap(PlusObject& target) const;
    bool SetMiterLimit(float miterLimit);
    float GetMiterLimit() const;
    // mode: PenAlignment (0 centre, 1 inset).
    bool SetMode(int penMode);
    int GetMode() const;
    // matrix: any wrapper whose handle is a GDI+ matrix.
    bool SetTransform(const PlusObject& matrix);
    bool GetTransform(PlusObject& matrix) const;
    bool ResetTransform();
    bool MultiplyTransform(const PlusObject& matrix, int order = 0);
    bool RotateTransform(float angle, int order = 0);
    bool RotateAt(float angle, const PointF& centre, int order = 0);
    bool ScaleTransform(float sx, float sy, int order = 0);
    bool ScaleAt(float sx, float sy, const PointF& centre, int order = 0);
    bool TranslateTransform(float dx, float dy, int order = 0);
    ARGB GetColor() const;
    bool SetColor(ARGB colour);
    bool SetBrushFill(const PlusBrush& brush);
    // Gives `target` a new brush copied from the pen's fill (see GetFillType for its kind).
    bool GetBrushFill(PlusBrush& target) const;
    // PenType: 0 solid colour, 1 hatch, 2 texture, 3 path gradient, 4 linear gradient.
    int GetFillType() const;
    bool SetDashStyle(int dashStyle);
    int GetDashStyle() const;
    float GetDashOffset() const;
    bool SetDashOffset(float dashOffset);
    // Resizes `dashes` to the dash count, fills it and returns the count.
    int GetDashArray(std::vector<float>& dashes) const;
    bool SetDashArray(const std::vector<float>& dashes);
    bool SetCompoundArray(const std::vector<float>& compounds);
    int GetCompoundArray(std::vector<float>& compounds) const;

    NativeHandle Native() const { return native_; }

protected:
    bool ReleaseHeld() override { return DeletePen(); }

private:
    NativeHandle native_ = nullptr;
};

} // namespace plus
