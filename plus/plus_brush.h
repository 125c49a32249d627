// Brushes: PlusBrush (what every brush shares) and the solid, linear-gradient and path-gradient
// brushes built on it.
#pragma once

#include "plus/plus_object.h"

#include <vector>

namespace plus {

class PlusPath;

// The brush level between PlusObject and the concrete brushes. It keeps its own copy of the
// native pointer for the three methods every brush shares; each brush class keeps another copy
// (Native) for its own methods. SetHandle(h) sets all of them.
class PlusBrush : public PlusObject {
public:
    ~PlusBrush() override;

    // Stores the brush-level copy, then lets the brush class store its own (OnAttach).
    void AttachNative(NativeHandle h) override;

    // Releases the brush; false without a GDI+ call when none is held.
    bool DeleteBrush();
    // A copy of the brush into `target` (a wrapper of the same brush class).
    bool Clone(PlusBrush& target) const;
    // The GDI+ BrushType (0 solid, 1 hatch, 2 texture, 3 path gradient, 4 linear gradient).
    int GetType() const;

    // The brush-level copy of the native pointer.
    NativeHandle BrushNative() const { return brushNative_; }

protected:
    PlusBrush() = default;
    // Stores the class-level copy; empty at this level.
    virtual void OnAttach(NativeHandle h);
    bool ReleaseHeld() override { return DeleteBrush(); }

private:
    NativeHandle brushNative_ = nullptr;
};

// A brush of one colour.
class PlusSolidBrush : public PlusBrush {
public:
    PlusSolidBrush() = default;
    PlusSolidBrush(PlusSolidBrush&& other) noexcept;
    PlusSolidBrush& operator=(PlusSolidBrush&& other) noexcept;
    ~PlusSolidBrush() override;

    bool Create(ARGB colour);
    bool SetColor(ARGB colour);
    ARGB GetColor() const;

    NativeHandle Native() const { return native_; }

protected:
    void OnAttach(NativeHandle h) override { native_ = h; }

private:
    NativeHandle native_ = nullptr;
};

// A two-colour linear gradient. The creation methods always tile (wrap mode 0).
class PlusLinearBrush : public PlusBrush {
public:
    PlusLinearBrush() = default;
    PlusLinearBrush(PlusLinearBrush&& other) noexcept;
    PlusLinearBrush& operator=(PlusLinearBrush&& other) noexcept;
    ~PlusLinearBrush() override;

    bool Create(const PointF& point1, const PointF& point2, ARGB colour1, ARGB colour2);
    bool CreateI(const Point& point1, const Point& point2, ARGB colour1, ARGB colour2);
    // mode: LinearGradientMode (0 horizontal, 1 vertical, 2 forward diagonal, 3 backward).
    bool CreateFromRect(const RectF& rect, ARGB colour1, ARGB colour2, int mode);
    bool CreateFromRectI(const Rect& rect, ARGB colour1, ARGB colour2, int mode);
    bool CreateFromRectWithAngle(const RectF& rect, ARGB colour1, ARGB colour2, float angle,
                                 bool isAngleScalable);
    bool CreateFromRectWithAngleI(const Rect& rect, ARGB colour1, ARGB colour2, float angle,
                                  bool isAngleScalable);
    // Writes the two gradient colours into the caller's variables (left alone on failure).
    bool GetColors(ARGB& colour1, ARGB& colour2) const;
    bool SetColors(ARGB colour1, ARGB colour2);
    RectF GetRect() const;
    Rect GetRectI() const;
    bool SetGammaCorrection(bool useGammaCorrection);
    bool GetGammaCorrection() const;
    // Factors and positions pair up; `positions` must hold at least as many as `factors`.
    bool SetBlend(const std::vector<float>& factors, const std::vector<float>& positions);
    int GetBlendCount() const;
    // Resizes both arrays to the blend count, fills them and returns the count.
    int GetBlend(std::vector<float>& factors, std::vector<float>& positions) const;
    // Colours and positions pair up; `positions` must hold at least as many as `colours`.
    bool SetPresetBlend(const std::vector<ARGB>& colours, const std::vector<float>& positions);
    int GetPresetBlendCount() const;
    int GetPresetBlend(std::vector<ARGB>& colours, std::vector<float>& positions) const;
    bool SetSigmaBlend(float focus, float scale);
    bool SetLinearBlend(float focus, float scale);
    int GetWrapMode() const;
    bool SetWrapMode(int wrapMode);
    bool GetTransform(PlusObject& matrix) const;
    bool SetTransform(const PlusObject& matrix);
    bool ResetTransform();
    bool MultiplyTransform(const PlusObject& matrix, int order = 0);
    bool TranslateTransform(float dx, float dy, int order = 0);
    bool ScaleTransform(float sx, float sy, int order = 0);
    // Scales about `centre`: translate, scale, translate, all with `order`.
    bool ScaleAt(float sx, float sy, const PointF& centre, int order = 0);
    bool RotateTransform(float angle, int order = 0);
    // Rotates about `centre`: translate, rotate, translate, all with `order`.
    bool RotateAt(float angle, const PointF& centre, int order = 0);

    NativeHandle Native() const { return native_; }

protected:
    void OnAttach(NativeHandle h) override { native_ = h; }

private:
    NativeHandle native_ = nullptr;
};

// A gradient from a centre colour to the colours around a closed outline.
class PlusPathBrush : public PlusBrush {
public:
    PlusPathBrush() = default;
    PlusPathBrush(PlusPathBrush&& other) noexcept;
    PlusPathBrush& operator=(PlusPathBrush&& other) noexcept;
    ~PlusPathBrush() override;

    // The outline is `points`; wrapMode defaults to 4 (clamp).
    bool Create(const std::vector<PointF>& points, int wrapMode = 4);
    bool CreateI(const std::vector<Point>& points, int wrapMode = 4);
    bool CreateFromPath(const PlusPath& path);
    ARGB GetCenterColor() const;
    bool SetCenterColor(ARGB colour);
    int GetPointCount() const;
    int GetSurroundColorCount() const;
    // Fills `colours` (sized by the caller) and sets `count` to the number of surround colours.
    // `count` on entry is the room the caller offers; more than `colours` holds is refused.
    bool GetSurroundColors(std::vector<ARGB>& colours, int& count) const;
    // Sets as many surround colours as `colours` holds.
    bool SetSurroundColors(const std::vector<ARGB>& colours);
    // Sets the first `count` colours; GDI+ writes back how many it set. A count of 0 stands for
    // a count left out: the number of colours is used and left in `count`. A count beyond the
    // colours is refused (InvalidParameter) rather than read past the array.
    bool SetSurroundColors(const std::vector<ARGB>& colours, int& count);
    // Fills `path` (an existing path wrapper) with the brush's outline.
    bool GetPath(PlusPath& path) const;
    bool SetPath(const PlusPath& path);
    PointF GetCenterPoint() const;
    Point GetCenterPointI() const;
    bool SetCenterPoint(const PointF& point);
    bool SetCenterPointI(const Point& point);
    bool GetRect(RectF& rect) const;
    bool GetRectI(Rect& rect) const;
    bool SetGammaCorrection(bool useGammaCorrection);
    bool GetGammaCorrection() const;
    int GetBlendCount() const;
    bool SetBlend(const std::vector<float>& factors, const std::vector<float>& positions);
    int GetBlend(std::vector<float>& factors, std::vector<float>& positions) const;
    int GetPresetBlendCount() const;
    bool SetPresetBlend(const std::vector<ARGB>& colours, const std::vector<float>& positions);
    int GetPresetBlend(std::vector<ARGB>& colours, std::vector<float>& positions) const;
    bool SetSigmaBlend(float focus, float scale);
    bool SetLinearBlend(float focus, float scale);
    // Fills both scales; a failed call leaves them as they were.
    bool GetFocusScales(float& xScale, float& yScale) const;
    bool SetFocusScales(float xScale, float yScale);
    int GetWrapMode() const;
    bool SetWrapMode(int wrapMode);
    bool GetTransform(PlusObject& matrix) const;
    bool SetTransform(const PlusObject& matrix);
    bool ResetTransform();
    bool MultiplyTransform(const PlusObject& matrix, int order = 0);
    bool TranslateTransform(float dx, float dy, int order = 0);
    bool ScaleTransform(float sx, float sy, int order = 0);
    bool ScaleAt(float sx, float sy, const PointF& centre, int order = 0);
    bool RotateTransform(float angle, int order = 0);
    bool RotateAt(float angle, const PointF& centre, int order = 0);

    NativeHandle Native() const { return native_; }

protected:
    void OnAttach(NativeHandle h) override { native_ = h; }

private:
    NativeHandle native_ = nullptr;
};

} // namespace plus
