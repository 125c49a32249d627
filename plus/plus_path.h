// PlusPath: a GDI+ graphics path (outlines to stroke, fill, clip or hit-test), with the rounded
// rectangle the skin painters build all their rounded outlines from.
#pragma once

#include "plus/plus_object.h"

#include <vector>

namespace plus {

class PlusFontFamily;
class PlusGraphics;
class PlusPen;
class PlusStringFormat;

// The points of a path and their GDI+ point types, as GetPathData reads them.
struct PathDataRecord {
    std::int32_t Count = 0;
    std::vector<PointF> Points;
    ByteSet Types;
};

class PlusPath : public PlusObject {
public:
    PlusPath() = default;
    PlusPath(PlusPath&& other) noexcept;
    PlusPath& operator=(PlusPath&& other) noexcept;
    ~PlusPath() override;

    void AttachNative(NativeHandle h) override { native_ = h; }

    // Releases the path; false without a GDI+ call when none is held.
    bool DeletePath();
    // fillMode: 0 alternate, 1 winding.
    bool CreatePath(int fillMode = 0);
    // One type byte per point; `types` shorter than `points` is refused (InvalidParameter).
    bool CreatePath2(const std::vector<PointF>& points, const ByteSet& types, int fillMode = 0);
    bool CreatePath2I(const std::vector<Point>& points, const ByteSet& types, int fillMode = 0);
    bool Clone(PlusPath& target) const;
    bool Reset();
    int GetFillMode() const;
    bool SetFillMode(int fillMode);
    // Fills `data` with the path's points and types. False for a path without points (Points
    // and Types are then empty).
    bool GetPathData(PathDataRecord& data) const;
    // Without a count the point count is asked first (false when it fails or is 0); the array
    // is resized to the count and filled.
    bool GetPathTypes(ByteSet& types, int count = 0) const;
    bool GetPathPoints(std::vector<PointF>& points, int count = 0) const;
    bool GetPathPointsI(std::vector<Point>& points, int count = 0) const;
    bool StartFigure();
    bool CloseFigure();
    bool CloseFigures();
    bool SetMarker();
    bool ClearMarkers();
    bool Reverse();
    PointF GetLastPoint() const;
    bool AddLine(float x1, float y1, float x2, float y2);
    bool AddLineI(int x1, int y1, int x2, int y2);
    bool AddLines(const std::vector<PointF>& points);
    bool AddLinesI(const std::vector<Point>& points);
    bool AddArc(float x, float y, float width, float height, float startAngle, float sweepAngle);
    bool AddArcI(int x, int y, int width, int height, float startAngle, float sweepAngle);
    bool AddBezier(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4);
    bool AddBezierI(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    bool AddBeziers(const std::vector<PointF>& points);
    bool AddBeziersI(const std::vector<Point>& points);
    bool AddCurve(const std::vector<PointF>& points);
    bool AddCurve2(const std::vector<PointF>& points, float tension);
    bool AddCurve3(const std::vector<PointF>& points, int offset, int numberOfSegments,
                   float tension);
    bool AddCurveI(const std::vector<Point>& points);
    bool AddCurve2I(const std::vector<Point>& points, float tension);
    bool AddCurve3I(const std::vector<Point>& points, int offset, int numberOfSegments,
                    float tension);
    bool AddClosedCurve(const std::vector<PointF>& points);
    bool AddClosedCurve2(const std::vector<PointF>& points, float tension);
    bool AddClosedCurveI(const std::vector<Point>& points);
    bool AddClosedCurve2I(const std::vector<Point>& points, float tension);
    bool AddRectangle(float x, float y, float width, float height);
    // A closed rectangle with elliptic corners whose ellipse is `roundness` percent (clamped to
    // 1..100, truncated to whole units) of the width and height. Only the closing of the figure
    // is reported.
    bool AddRoundRectPercent(float x, float y, float width, float height, int roundness);
    bool AddRectangles(const std::vector<RectF>& rects);
    bool AddRectangleI(int x, int y, int width, int height);
    bool AddRectanglesI(const std::vector<Rect>& rects);
    bool AddEllipse(float x, float y, float width, float height);
    bool AddEllipseI(int x, int y, int width, int height);
    bool AddPie(float x, float y, float width, float height, float startAngle, float sweepAngle);
    bool AddPieI(int x, int y, int width, int height, float startAngle, float sweepAngle);
    bool AddPolygon(const std::vector<PointF>& points);
    bool AddPolygonI(const std::vector<Point>& points);
    bool AddPath(const PlusPath& path, bool connect);
    // The outline of `text` (code page 936) set in `family`; emSize in whole units.
    bool AddString(const Text& text, const PlusFontFamily& family, int emSize,
                   const RectF& layoutRect, int style = 0,
                   const PlusStringFormat* format = nullptr);
    // As AddString with UTF-16LE text.
    bool AddStringW(const ByteSet& text, const PlusFontFamily& family, int emSize,
                    const RectF& layoutRect, int style = 0,
                    const PlusStringFormat* format = nullptr);
    bool AddStringI(const Text& text, const PlusFontFamily& family, int emSize,
                    const Rect& layoutRect, int style = 0,
                    const PlusStringFormat* format = nullptr);
    bool AddStringIW(const ByteSet& text, const PlusFontFamily& family, int emSize,
                     const Rect& layoutRect, int style = 0,
                     const PlusStringFormat* format = nullptr);
    // matrix: any wrapper whose handle is a GDI+ matrix; null for none.
    bool Transform(const PlusObject& matrix);
    RectF GetBounds(const PlusObject* matrix = nullptr, const PlusPen* pen = nullptr) const;
    Rect GetBoundsI(const PlusObject* matrix = nullptr, const PlusPen* pen = nullptr) const;
    bool Flatten(const PlusObject* matrix = nullptr, float flatness = 0.25f);
    bool Widen(const PlusPen& pen, const PlusObject* matrix = nullptr, float flatness = 0.25f);
    bool Outline(const PlusObject* matrix = nullptr, float flatness = 0.25f);
    // warpMode: 0 perspective, 1 bilinear.
    bool Warp(const std::vector<PointF>& destPoints, const RectF& srcRect,
              const PlusObject* matrix = nullptr, int warpMode = 0, float flatness = 0.25f);
    int GetPointCount() const;
    bool IsVisible(float x, float y, const PlusGraphics* graphics = nullptr) const;
    bool IsVisibleI(int x, int y, const PlusGraphics* graphics = nullptr) const;
    bool IsOutlineVisible(float x, float y, const PlusPen& pen,
                          const PlusGraphics* graphics = nullptr) const;
    bool IsOutlineVisibleI(int x, int y, const PlusPen& pen,
                           const PlusGraphics* graphics = nullptr) const;

    NativeHandle Native() const { return native_; }

protected:
    bool ReleaseHeld() override { return DeletePath(); }

private:
    NativeHandle native_ = nullptr;
};

} // namespace plus
