// PlusRegion: a GDI+ region (clipping areas and hit tests).
#pragma once

#include "plus/plus_object.h"

#include <vector>

namespace plus {

class PlusGraphics;
class PlusPath;

class PlusRegion : public PlusObject {
public:
    PlusRegion() = default;
    PlusRegion(PlusRegion&& other) noexcept;
    PlusRegion& operator=(PlusRegion&& other) noexcept;
    ~PlusRegion() override;

    void AttachNative(NativeHandle h) override { native_ = h; }

    // Releases the region; false without a GDI+ call when none is held.
    bool DeleteRegion();
    // An infinite region.
    bool Create();
    bool CreateFromRect(const RectF& rect);
    bool CreateFromRectI(const Rect& rect);
    bool CreateFromPath(const PlusPath& path);
    // The region is copied; the caller keeps `hRgn`.
    bool CreateFromHrgn(HRGN hRgn);
    // `size` bytes of `data` as GetData wrote them; more than `data` holds is refused.
    bool CreateFromRgnData(const ByteSet& data, int size);
    bool Clone(PlusRegion& target) const;
    bool MakeInfinite();
    bool MakeEmpty();
    // combineMode: GDI+ CombineMode; left out it intersects (1).
    bool CombineRect(const RectF& rect, int combineMode = 1);
    bool CombineRectI(const Rect& rect, int combineMode = 1);
    bool CombineRegion(const PlusRegion& region, int combineMode = 1);
    bool CombinePath(const PlusPath& path, int combineMode = 1);
    bool Translate(float dx, float dy);
    bool TranslateI(int dx, int dy);
    // matrix: any wrapper whose handle is a GDI+ matrix.
    bool Transform(const PlusObject& matrix);
    RectF GetBounds(const PlusGraphics& graphics) const;
    Rect GetBoundsI(const PlusGraphics& graphics) const;
    int GetDataSize() const;
    // A zero-filled buffer of `bufferSize` bytes filled with the region data; `sizeFilled`
    // receives the number of bytes written.
    ByteSet GetData(int bufferSize, int& sizeFilled) const;
    // A new GDI region the caller deletes (null when the region is infinite or on failure).
    HRGN GetHRGN(const PlusGraphics& graphics) const;
    bool IsEmpty(const PlusGraphics& graphics) const;
    bool IsInfinite(const PlusGraphics& graphics) const;
    bool IsEqual(const PlusRegion& region, const PlusGraphics& graphics) const;
    bool IsVisiblePoint(const PointF& point, const PlusGraphics* graphics = nullptr) const;
    bool IsVisiblePointI(const Point& point, const PlusGraphics* graphics = nullptr) const;
    bool IsVisibleRect(const RectF& rect, const PlusGraphics* graphics = nullptr) const;
    bool IsVisibleRectI(const Rect& rect, const PlusGraphics* graphics = nullptr) const;
    int GetScansCount(const PlusObject& matrix) const;
    // Resizes `rects` to the scan count, fills it and returns the count.
    int GetScans(const PlusObject& matrix, std::vector<RectF>& rects) const;
    int GetScansI(const PlusObject& matrix, std::vector<Rect>& rects) const;

    NativeHandle Native() const { return native_; }

protected:
    bool ReleaseHeld() override { return DeleteRegion(); }

private:
    NativeHandle native_ = nullptr;
};

} // namespace plus
