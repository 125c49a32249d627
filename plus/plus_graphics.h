// PlusGraphics: one GDI+ Graphics object, the surface every painter draws on.
//
// Made from a window, a device context or an image; every drawing, filling, text, image, clip,
// transform, container and hit-test function of GDI+ for Graphics is one method, declared in
// table order. Wrapper arguments (pen, brush, path, region, font, string format, image, matrix,
// image attributes, metafile, cached bitmap) are passed by their GetHandle(); an optional one
// given as a null pointer passes null. Enumerations are int with the GDI+ values.
#pragma once

#include "plus/plus_object.h"

namespace plus {

class PlusRegion;

// Callback of the metafile enumerations (the GDI+ EnumerateMetafileProc shape).
using MetafileCallback = BOOL(CALLBACK*)(int recordType, UINT flags, UINT dataSize,
                                         const BYTE* data, void* callbackData);

// GDI+ graphics state and container tokens.
using GraphicsState = std::uint32_t;
using GraphicsContainer = std::uint32_t;

// Source unit of the image methods when the caller gives none.
constexpr int UnitPixel = 2;
// SetSmoothingMode's anti-aliased mode.
constexpr int SmoothingModeAntiAlias = 4;
// DrawDriverString's flags when the caller gives none (DriverStringOptionsCmapLookup).
constexpr int DriverStringOptionsCmapLookup = 1;

class PlusGraphics : public PlusObject {
public:
    PlusGraphics() = default;
    PlusGraphics(PlusGraphics&& other) noexcept;
    PlusGraphics& operator=(PlusGraphics&& other) noexcept;
    ~PlusGraphics() override;

    void AttachNative(NativeHandle h) override;

    virtual void OnAttach(NativeHandle h);
    // False without a GDI+ call when no graphics is held.
    bool DeleteGraphics();
    // Returns the GDI+ status itself and leaves LastStatus() alone.
    int Flush(int intention = 0);
    // The ICM function only when useIcm is true.
    bool CreateFromHWND(HWND hwnd, bool useIcm = false);
    // The two-argument function only when a device handle is given.
    bool CreateFromHDC(HDC hdc, std::optional<HANDLE> hDevice = std::nullopt);
    bool CreateFromImage(const PlusObject& image);
    HDC GetDC();
    bool ReleaseDC(HDC hdc);
    bool GetRenderingOrigin(int& x, int& y) const;
    bool SetRenderingOrigin(int x, int y);
    int GetCompositingMode() const;
    bool SetCompositingMode(int compositingMode);
    int GetCompositingQuality() const;
    bool SetCompositingQuality(int compositingQuality);
    bool SetTextRenderingHint(int mode);
    int GetTextRenderingHint() const;
    bool SetTextContrast(UINT contrast);
    UINT GetTextContrast() const;
    bool SetInterpolationMode(int interpolationMode);
    int GetInterpolationMode() const;
    bool SetSmoothingMode(int smoothingMode);
    int GetSmoothingMode() const;
    bool SetPixelOffsetMode(int pixelOffsetMode);
    int GetPixelOffsetMode() const;
    bool SetWorldTransform(const PlusObject& matrix);
    // Fills the given matrix wrapper's matrix; its handle stays as it is.
    bool GetWorldTransform(const PlusObject& matrix) const;
    bool ResetWorldTransform();
    bool MultiplyWorldTransform(const PlusObject& matrix, int order = 0);
    bool TranslateWorldTransform(float dx, float dy, int order = 0);
    bool ScaleWorldTransform(float sx, float sy, int order = 0);
    // Scales about `centre`: three transform calls in `order`; the result is the last one's.
    bool ScaleAt(float sx, float sy, const PointF& centre, int order = 0);
    bool RotateWorldTransform(float angle, int order = 0);
    // Rotates about `centre`, as ScaleAt.
    bool RotateAt(float angle, const PointF& centre, int order = 0);
    bool SetPageUnit(int unit);
    int GetPageUnit() const;
    bool SetPageScale(float scale);
    float GetPageScale() const;
    float GetDpiX() const;
    float GetDpiY() const;
    // The points are transformed in place.
    bool TransformPoints(int destSpace, int srcSpace, std::vector<PointF>& points) const;
    bool TransformPointsI(int destSpace, int srcSpace, std::vector<Point>& points) const;
    // GDI+ overwrites `colour` with the nearest colour, which is also returned.
    ARGB GetNearestColor(ARGB& colour) const;
    bool DrawLine(const PlusObject& pen, float x1, float y1, float x2, float y2);
    bool DrawLineI(const PlusObject& pen, int x1, int y1, int x2, int y2);
    bool DrawLines(const PlusObject& pen, const std::vector<PointF>& points);
    bool DrawLinesI(const PlusObject& pen, const std::vector<Point>& points);
    bool DrawArc(const PlusObject& pen, float x, float y, float width, float height,
                 float startAngle, float sweepAngle);
    bool DrawArcI(const PlusObject& pen, int x, int y, int width, int height, float startAngle,
                  float sweepAngle);
    bool DrawBezier(const PlusObject& pen, float x1, float y1, float x2, float y2, float x3,
                    float y3, float x4, float y4);
    bool DrawBezierI(const PlusObject& pen, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                     int y4);
    bool DrawBeziers(const PlusObject& pen, const std::vector<PointF>& points);
    bool DrawBeziersI(const PlusObject& pen, const std::vector<Point>& points);
    bool DrawRectangle(const PlusObject& pen, float x, float y, float width, float height);
    bool DrawRectangleI(const PlusObject& pen, int x, int y, int width, int height);
    bool DrawRectangles(const PlusObject& pen, const std::vector<RectF>& rects);
    bool DrawRectanglesI(const PlusObject& pen, const std::vector<Rect>& rects);
    bool DrawEllipse(const PlusObject& pen, float x, float y, float width, float height);
    bool DrawEllipseI(const PlusObject& pen, int x, int y, int width, int height);
    bool DrawPie(const PlusObject& pen, float x, float y, float width, float height,
                 float startAngle, float sweepAngle);
    bool DrawPieI(const PlusObject& pen, int x, int y, int width, int height, float startAngle,
                  float sweepAngle);
    bool DrawPolygon(const PlusObject& pen, const std::vector<PointF>& points);
    bool DrawPolygonI(const PlusObject& pen, const std::vector<Point>& points);
    bool DrawPath(const PlusObject& pen, const PlusObject& path);
    bool DrawCurve(const PlusObject& pen, const std::vector<PointF>& points);
    bool DrawCurveI(const PlusObject& pen, const std::vector<Point>& points);
    bool DrawCurve2(const PlusObject& pen, const std::vector<PointF>& points, float tension);
    bool DrawCurve2I(const PlusObject& pen, const std::vector<Point>& points, float tension);
    bool DrawCurve3(const PlusObject& pen, const std::vector<PointF>& points, int offset,
                    int numberOfSegments, float tension);
    bool DrawCurve3I(const PlusObject& pen, const std::vector<Point>& points, int offset,
                     int numberOfSegments, float tension);
    bool DrawClosedCurve(const PlusObject& pen, const std::vector<PointF>& points);
    bool DrawClosedCurveI(const PlusObject& pen, const std::vector<Point>& points);
    bool DrawClosedCurve2(const PlusObject& pen, const std::vector<PointF>& points, float tension);
    bool DrawClosedCurve2I(const PlusObject& pen, const std::vector<Point>& points, float tension);
    bool Clear(ARGB colour);
    bool FillRectangle(const PlusObject& brush, float x, float y, float width, float height);
    bool FillRectangleRect(const PlusObject& brush, const RectF& rect);
    bool FillRectangleI(const PlusObject& brush, int x, int y, int width, int height);
    bool FillRectangles(const PlusObject& brush, const std::vector<RectF>& rects);
    bool FillRectanglesI(const PlusObject& brush, const std::vector<Rect>& rects);
    bool FillPolygon(const PlusObject& brush, const std::vector<PointF>& points, int fillMode = 0);
    bool FillPolygonI(const PlusObject& brush, const std::vector<Point>& points, int fillMode = 0);
    bool FillEllipse(const PlusObject& brush, float x, float y, float width, float height);
    bool FillEllipseI(const PlusObject& brush, int x, int y, int width, int height);
    bool FillPie(const PlusObject& brush, float x, float y, float width, float height,
                 float startAngle, float sweepAngle);
    bool FillPieI(const PlusObject& brush, int x, int y, int width, int height, float startAngle,
                  float sweepAngle);
    bool FillPath(const PlusObject& brush, const PlusObject& path);
    bool FillClosedCurve(const PlusObject& brush, const std::vector<PointF>& points);
    bool FillClosedCurve2(const PlusObject& brush, const std::vector<PointF>& points, float tension,
                          int fillMode = 0);
    bool FillClosedCurveI(const PlusObject& brush, const std::vector<Point>& points);
    bool FillClosedCurve2I(const PlusObject& brush, const std::vector<Point>& points, float tension,
                           int fillMode = 0);
    bool FillRegion(const PlusObject& brush, const PlusObject& region);
    bool DrawString(const Text& text, const PlusObject& font, const PlusObject& brush,
                    const RectF& layoutRect, const PlusObject* format = nullptr);
    bool DrawStringW(const ByteSet& text, const PlusObject& font, const PlusObject& brush,
                     const RectF& layoutRect, const PlusObject* format = nullptr);
    bool MeasureString(const Text& text, const PlusObject& font, const RectF& layoutRect,
                       const PlusObject* format, RectF& boundingBox) const;
    bool MeasureStringW(const ByteSet& text, const PlusObject& font, const RectF& layoutRect,
                        const PlusObject* format, RectF& boundingBox) const;
    // With regionCount below 1 nothing is measured: InvalidParameter, `regions` unchanged.
    // Otherwise `regions` becomes regionCount fresh regions, which hold the measured areas
    // when the measuring succeeds (and stay empty when it fails).
    bool MeasureCharacterRanges(const Text& text, const PlusObject& font, const RectF& layoutRect,
                                const PlusObject* format, int regionCount,
                                std::vector<PlusRegion>& regions) const;
    bool MeasureCharacterRangesW(const ByteSet& text, const PlusObject& font,
                                 const RectF& layoutRect, const PlusObject* format, int regionCount,
                                 std::vector<PlusRegion>& regions) const;
    bool DrawDriverString(const Text& text, const PlusObject& font, const PlusObject& brush,
                          const std::vector<PointF>& positions,
                          int flags = DriverStringOptionsCmapLookup,
                          const PlusObject* matrix = nullptr);
    bool DrawDriverStringW(const ByteSet& text, const PlusObject& font, const PlusObject& brush,
                           const std::vector<PointF>& positions,
                           int flags = DriverStringOptionsCmapLookup,
                           const PlusObject* matrix = nullptr);
    bool DrawImage(const PlusObject& image, float x, float y);
    bool DrawImageI(const PlusObject& image, int x, int y);
    // x and y are truncated toward zero.
    bool DrawCachedBitmap(const PlusObject& cachedBitmap, float x, float y);
    // The whole image scaled into the rectangle.
    bool DrawImageRect(const PlusObject& image, float x, float y, float width, float height,
                       int srcUnit = UnitPixel);
    bool DrawImageRectI(const PlusObject& image, int x, int y, int width, int height,
                        int srcUnit = UnitPixel);
    // Upper-left, upper-right and lower-left corners of the destination parallelogram.
    bool DrawImagePoints(const PlusObject& image, float x1, float y1, float x2, float y2, float x3,
                         float y3);
    bool DrawImagePointsI(const PlusObject& image, int x1, int y1, int x2, int y2, int x3, int y3);
    bool DrawImagePointRect(const PlusObject& image, float x, float y, float srcx, float srcy,
                            float srcwidth, float srcheight, int srcUnit = UnitPixel);
    bool DrawImagePointRectI(const PlusObject& image, int x, int y, int srcx, int srcy,
                             int srcwidth, int srcheight, int srcUnit = UnitPixel);
    bool DrawImageRectRect(const PlusObject& image, float dstx, float dsty, float dstwidth,
                           float dstheight, float srcx, float srcy, float srcwidth, float srcheight,
                           int srcUnit = UnitPixel, const PlusObject* imageAttributes = nullptr);
    bool DrawImageRectRectI(const PlusObject& image, int dstx, int dsty, int dstwidth,
                            int dstheight, int srcx, int srcy, int srcwidth, int srcheight,
                            int srcUnit = UnitPixel, const PlusObject* imageAttributes = nullptr);
    bool DrawImagePointsRect(const PlusObject& image, float x1, float y1, float x2, float y2,
                             float x3, float y3, float srcx, float srcy, float srcwidth,
                             float srcheight, int srcUnit = UnitPixel,
                             const PlusObject* imageAttributes = nullptr);
    bool DrawImagePointsRectI(const PlusObject& image, int x1, int y1, int x2, int y2, int x3,
                              int y3, int srcx, int srcy, int srcwidth, int srcheight,
                              int srcUnit = UnitPixel, const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileDestPoint(const PlusObject& metafile, const PointF& destPoint,
                                    MetafileCallback callback, void* callbackData = nullptr,
                                    const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileDestPointI(const PlusObject& metafile, const Point& destPoint,
                                     MetafileCallback callback, void* callbackData = nullptr,
                                     const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileDestPoints(const PlusObject& metafile,
                                     const std::vector<PointF>& destPoints,
                                     MetafileCallback callback, void* callbackData = nullptr,
                                     const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileDestPointsI(const PlusObject& metafile,
                                      const std::vector<Point>& destPoints,
                                      MetafileCallback callback, void* callbackData = nullptr,
                                      const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileDestRect(const PlusObject& metafile, const RectF& destRect,
                                   MetafileCallback callback, void* callbackData = nullptr,
                                   const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileDestRectI(const PlusObject& metafile, const Rect& destRect,
                                    MetafileCallback callback, void* callbackData = nullptr,
                                    const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileSrcRectDestPoint(const PlusObject& metafile, const PointF& destPoint,
                                           const RectF& srcRect, int srcUnit,
                                           MetafileCallback callback, void* callbackData = nullptr,
                                           const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileSrcRectDestPointI(const PlusObject& metafile, const Point& destPoint,
                                            const Rect& srcRect, int srcUnit,
                                            MetafileCallback callback, void* callbackData = nullptr,
                                            const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileSrcRectDestPoints(const PlusObject& metafile,
                                            const std::vector<PointF>& destPoints,
                                            const RectF& srcRect, int srcUnit,
                                            MetafileCallback callback, void* callbackData = nullptr,
                                            const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileSrcRectDestPointsI(const PlusObject& metafile,
                                             const std::vector<Point>& destPoints,
                                             const Rect& srcRect, int srcUnit,
                                             MetafileCallback callback,
                                             void* callbackData = nullptr,
                                             const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileSrcRectDestRect(const PlusObject& metafile, const RectF& destRect,
                                          const RectF& srcRect, int srcUnit,
                                          MetafileCallback callback, void* callbackData = nullptr,
                                          const PlusObject* imageAttributes = nullptr);
    bool EnumerateMetafileSrcRectDestRectI(const PlusObject& metafile, const Rect& destRect,
                                           const Rect& srcRect, int srcUnit,
                                           MetafileCallback callback, void* callbackData = nullptr,
                                           const PlusObject* imageAttributes = nullptr);
    bool SetClipGraphics(const PlusGraphics& graphics, int combineMode = 0);
    bool SetClipPath(const PlusObject& path, int combineMode = 0);
    bool SetClipRect(float x, float y, float width, float height, int combineMode = 0);
    bool SetClipRectI(int x, int y, int width, int height, int combineMode = 0);
    bool SetClipRegion(const PlusObject& region, int combineMode = 0);
    bool SetClipHrgn(HRGN hRgn, int combineMode = 0);
    bool ResetClip();
    bool TranslateClip(float dx, float dy);
    bool TranslateClipI(int dx, int dy);
    // Fills the given region wrapper's region; its handle stays as it is.
    bool GetClip(const PlusObject& region) const;
    RectF GetClipBounds() const;
    Rect GetClipBoundsI() const;
    RectF GetVisibleClipBounds() const;
    Rect GetVisibleClipBoundsI() const;
    bool IsClipEmpty() const;
    bool IsVisibleClipEmpty() const;
    bool IsVisiblePoint(float x, float y) const;
    bool IsVisiblePointI(int x, int y) const;
    bool IsVisibleRect(float x, float y, float width, float height) const;
    bool IsVisibleRectI(int x, int y, int width, int height) const;
    GraphicsState Save();
    bool Restore(GraphicsState state);
    GraphicsContainer BeginContainer(const RectF& dstRect, const RectF& srcRect, int unit);
    GraphicsContainer BeginContainerI(const Rect& dstRect, const Rect& srcRect, int unit);
    GraphicsContainer BeginContainer2();
    bool EndContainer(GraphicsContainer state);
    bool Comment(const ByteSet& data);

protected:
    bool ReleaseHeld() override { return DeleteGraphics(); }

private:
    void* native_ = nullptr; // GpGraphics
};

} // namespace plus
