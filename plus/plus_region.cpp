#include "plus/plus_region.h"

#include "plus/plus_graphics.h"
#include "plus/plus_internal.h"
#include "plus/plus_wrapper_helpers.h"
#include "plus/plus_path.h"

namespace plus {
namespace {

using Gdiplus::GpRegion;
using Gdiplus::GpStatus;

GpRegion* RegionOf(const PlusRegion& region) {
    return static_cast<GpRegion*>(region.Native());
}
Gdiplus::GpGraphics* GraphicsOf(const PlusGraphics* g) {
    return NativeOf<Gdiplus::GpGraphics>(g);
}
Gdiplus::GpMatrix* Matrix(const PlusObject& m) {
    return NativeOf<Gdiplus::GpMatrix>(m);
}
Gdiplus::CombineMode Mode(int combineMode) {
    return static_cast<Gdiplus::CombineMode>(combineMode);
}

template <class Test> bool Flag(Test test) {
    BOOL result = FALSE;
    Record(test(&result));
    return result != FALSE;
}

// Scans: the count first, then the array resized to it, packed, filled and unpacked.
template <class NativeT, class RecordT, class Fill>
int ReadScans(const PlusRegion& region, const PlusObject& matrix, std::vector<RecordT>& rects,
              Fill fill) {
    UINT count = 0;
    if (Record(gp::GdipGetRegionScansCount(RegionOf(region), &count, Matrix(matrix))) != Ok)
        return 0;
    rects.assign(count, RecordT{});
    PackedArray<NativeT, RecordT> packed(rects);
    INT filled = 0;
    Record(fill(packed.Data(), &filled));
    return static_cast<int>(count);
}

} // namespace

PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(PlusRegion, DeleteRegion)

bool PlusRegion::DeleteRegion() {
    return ReleaseNative(*this, native_, [&] { return gp::GdipDeleteRegion(RegionOf(*this)); });
}

bool PlusRegion::Create() {
    return CreateNative<GpRegion>(*this, [&](GpRegion** out) { return gp::GdipCreateRegion(out); });
}

bool PlusRegion::CreateFromRect(const RectF& rect) {
    const auto r = As<Gdiplus::RectF>(rect);
    return CreateNative<GpRegion>(
        *this, [&](GpRegion** out) { return gp::GdipCreateRegionRect(&r, out); });
}

bool PlusRegion::CreateFromRectI(const Rect& rect) {
    const auto r = As<Gdiplus::Rect>(rect);
    return CreateNative<GpRegion>(
        *this, [&](GpRegion** out) { return gp::GdipCreateRegionRectI(&r, out); });
}

bool PlusRegion::CreateFromPath(const PlusPath& path) {
    return CreateNative<GpRegion>(*this, [&](GpRegion** out) {
        return gp::GdipCreateRegionPath(NativeOf<Gdiplus::GpPath>(path), out);
    });
}

bool PlusRegion::CreateFromHrgn(HRGN hRgn) {
    return CreateNative<GpRegion>(
        *this, [&](GpRegion** out) { return gp::GdipCreateRegionHrgn(hRgn, out); });
}

bool PlusRegion::CreateFromRgnData(const ByteSet& data, int size) {
    // GDI+ reads `size` bytes: never more than the data holds.
    if (size < 0 || static_cast<std::size_t>(size) > data.size()) {
        Record(InvalidParameter);
        return false;
    }
    return CreateNative<GpRegion>(*this, [&](GpRegion** out) {
        return gp::GdipCreateRegionRgnData(data.empty() ? nullptr : data.data(), size, out);
    });
}

bool PlusRegion::Clone(PlusRegion& target) const {
    return CreateNative<GpRegion>(
        target, [&](GpRegion** out) { return gp::GdipCloneRegion(RegionOf(*this), out); });
}

bool PlusRegion::MakeInfinite() {
    return Succeeded(gp::GdipSetInfinite(RegionOf(*this)));
}

bool PlusRegion::MakeEmpty() {
    return Succeeded(gp::GdipSetEmpty(RegionOf(*this)));
}

bool PlusRegion::CombineRect(const RectF& rect, int combineMode) {
    const auto r = As<Gdiplus::RectF>(rect);
    return Succeeded(gp::GdipCombineRegionRect(RegionOf(*this), &r, Mode(combineMode)));
}

bool PlusRegion::CombineRectI(const Rect& rect, int combineMode) {
    const auto r = As<Gdiplus::Rect>(rect);
    return Succeeded(gp::GdipCombineRegionRectI(RegionOf(*this), &r, Mode(combineMode)));
}

bool PlusRegion::CombineRegion(const PlusRegion& region, int combineMode) {
    return Succeeded(
        gp::GdipCombineRegionRegion(RegionOf(*this), RegionOf(region), Mode(combineMode)));
}

bool PlusRegion::CombinePath(const PlusPath& path, int combineMode) {
    return Succeeded(gp::GdipCombineRegionPath(RegionOf(*this), NativeOf<Gdiplus::GpPath>(path),
                                               Mode(combineMode)));
}

bool PlusRegion::Translate(float dx, float dy) {
    return Succeeded(gp::GdipTranslateRegion(RegionOf(*this), dx, dy));
}

bool PlusRegion::TranslateI(int dx, int dy) {
    return Succeeded(gp::GdipTranslateRegionI(RegionOf(*this), dx, dy));
}

bool PlusRegion::Transform(const PlusObject& matrix) {
    return Succeeded(gp::GdipTransformRegion(RegionOf(*this), Matrix(matrix)));
}

RectF PlusRegion::GetBounds(const PlusGraphics& graphics) const {
    Gdiplus::RectF rect;
    if (Record(gp::GdipGetRegionBounds(RegionOf(*this), GraphicsOf(&graphics), &rect)) != Ok)
        return RectF{};
    return FromNative<RectF>(rect);
}

Rect PlusRegion::GetBoundsI(const PlusGraphics& graphics) const {
    Gdiplus::Rect rect;
    if (Record(gp::GdipGetRegionBoundsI(RegionOf(*this), GraphicsOf(&graphics), &rect)) != Ok)
        return Rect{};
    return FromNative<Rect>(rect);
}

int PlusRegion::GetDataSize() const {
    UINT size = 0;
    Record(gp::GdipGetRegionDataSize(RegionOf(*this), &size));
    return static_cast<int>(size);
}

ByteSet PlusRegion::GetData(int bufferSize, int& sizeFilled) const {
    ByteSet data;
    sizeFilled = 0;
    if (!Allocated(
            [&] { data.assign(static_cast<std::size_t>(bufferSize > 0 ? bufferSize : 0), 0); }))
        return data;
    UINT filled = 0;
    Record(gp::GdipGetRegionData(RegionOf(*this), data.empty() ? nullptr : data.data(),
                                 static_cast<UINT>(data.size()), &filled));
    sizeFilled = static_cast<int>(filled);
    return data;
}

HRGN PlusRegion::GetHRGN(const PlusGraphics& graphics) const {
    HRGN hrgn = nullptr;
    Record(gp::GdipGetRegionHRgn(RegionOf(*this), GraphicsOf(&graphics), &hrgn));
    return hrgn;
}

bool PlusRegion::IsEmpty(const PlusGraphics& graphics) const {
    return Flag(
        [&](BOOL* r) { return gp::GdipIsEmptyRegion(RegionOf(*this), GraphicsOf(&graphics), r); });
}

bool PlusRegion::IsInfinite(const PlusGraphics& graphics) const {
    return Flag([&](BOOL* r) {
        return gp::GdipIsInfiniteRegion(RegionOf(*this), GraphicsOf(&graphics), r);
    });
}

bool PlusRegion::IsEqual(const PlusRegion& region, const PlusGraphics& graphics) const {
    return Flag([&](BOOL* r) {
        return gp::GdipIsEqualRegion(RegionOf(*this), RegionOf(region), GraphicsOf(&graphics), r);
    });
}

bool PlusRegion::IsVisiblePoint(const PointF& point, const PlusGraphics* graphics) const {
    return Flag([&](BOOL* r) {
        return gp::GdipIsVisibleRegionPoint(RegionOf(*this), point.x, point.y, GraphicsOf(graphics),
                                            r);
    });
}

bool PlusRegion::IsVisiblePointI(const Point& point, const PlusGraphics* graphics) const {
    return Flag([&](BOOL* r) {
        return gp::GdipIsVisibleRegionPointI(RegionOf(*this), point.x, point.y,
                                             GraphicsOf(graphics), r);
    });
}

bool PlusRegion::IsVisibleRect(const RectF& rect, const PlusGraphics* graphics) const {
    return Flag([&](BOOL* r) {
        return gp::GdipIsVisibleRegionRect(RegionOf(*this), rect.x, rect.y, rect.width, rect.height,
                                           GraphicsOf(graphics), r);
    });
}

bool PlusRegion::IsVisibleRectI(const Rect& rect, const PlusGraphics* graphics) const {
    return Flag([&](BOOL* r) {
        return gp::GdipIsVisibleRegionRectI(RegionOf(*this), rect.x, rect.y, rect.width,
                                            rect.height, GraphicsOf(graphics), r);
    });
}

int PlusRegion::GetScansCount(const PlusObject& matrix) const {
    UINT count = 0;
    Record(gp::GdipGetRegionScansCount(RegionOf(*this), &count, Matrix(matrix)));
    return static_cast<int>(count);
}

int PlusRegion::GetScans(const PlusObject& matrix, std::vector<RectF>& rects) const {
    return ReadScans<Gdiplus::RectF>(*this, matrix, rects, [&](Gdiplus::RectF* data, INT* n) {
        return gp::GdipGetRegionScans(RegionOf(*this), data, n, Matrix(matrix));
    });
}

int PlusRegion::GetScansI(const PlusObject& matrix, std::vector<Rect>& rects) const {
    return ReadScans<Gdiplus::Rect>(*this, matrix, rects, [&](Gdiplus::Rect* data, INT* n) {
        return gp::GdipGetRegionScansI(RegionOf(*this), data, n, Matrix(matrix));
    });
}

} // namespace plus
