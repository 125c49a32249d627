// Small helpers shared by the pen, brush, path, region and font wrappers (implementation files
// only): enum arguments, records GDI+ answers with, array storage and "about a centre"
// transforms.
#pragma once

#include "plus/plus_internal.h"

#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace plus {

// An int argument as the GDI+ enumeration it stands for.
template <class E> E EnumOf(int value) {
    return static_cast<E>(value);
}

// A record GDI+ filled (its SDK type has user-written constructors, so it is copied bytewise).
template <class RecordT, class NativeT> RecordT FromNative(const NativeT& native) {
    static_assert(sizeof(RecordT) == sizeof(NativeT));
    RecordT record;
    std::memcpy(static_cast<void*>(&record), static_cast<const void*>(&native), sizeof(RecordT));
    return record;
}

// Element storage of an array argument: null for an empty array.
template <class T> T* DataOrNull(std::vector<T>& v) {
    return v.empty() ? nullptr : v.data();
}
template <class T> const T* DataOrNull(const std::vector<T>& v) {
    return v.empty() ? nullptr : v.data();
}

// Colour arrays: the library's ARGB and the SDK's (a DWORD) are both 32-bit unsigned.
static_assert(sizeof(ARGB) == sizeof(Gdiplus::ARGB));
inline Gdiplus::ARGB* ArgbData(std::vector<ARGB>& v) {
    return reinterpret_cast<Gdiplus::ARGB*>(DataOrNull(v));
}
inline const Gdiplus::ARGB* ArgbData(const std::vector<ARGB>& v) {
    return reinterpret_cast<const Gdiplus::ARGB*>(DataOrNull(v));
}

// The segments a curve call asks for lie inside its points: GDI+ draws numberOfSegments
// segments from points[offset], reading the points offset .. offset + numberOfSegments, and
// would read before or past the array for anything else. Records InvalidParameter otherwise.
inline bool CurveSegmentsInside(std::size_t pointCount, int offset, int numberOfSegments) {
    const bool inside =
        offset >= 0 && numberOfSegments >= 1 &&
        static_cast<long long>(offset) + numberOfSegments < static_cast<long long>(pointCount);
    if (!inside) Record(InvalidParameter);
    return inside;
}

// Sizes an array to a count the caller chose: a count no memory can hold records OutOfMemory
// and answers false instead of throwing out of the library.
template <class Resize> bool Allocated(Resize resize) {
    try {
        resize();
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    Record(OutOfMemory);
    return false;
}

// Translate, scale or rotate, translate back, all with the same matrix order: with order 0
// (prepend) the first step moves by +centre and the last by -centre, otherwise the other way
// round. Every step records its status; the last one decides.
template <class Translate, class Step>
bool ComposeAt(const PointF& centre, int order, Translate translate, Step step) {
    const float sign = order == 0 ? 1.0f : -1.0f;
    const auto matrixOrder = static_cast<Gdiplus::MatrixOrder>(order);
    Record(translate(sign * centre.x, sign * centre.y, matrixOrder));
    Record(step(matrixOrder));
    return Succeeded(translate(-sign * centre.x, -sign * centre.y, matrixOrder));
}

} // namespace plus
