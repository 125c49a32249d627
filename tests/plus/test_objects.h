// Small wrappers over GDI+ objects the tests need (matrices, and simple pens, brushes, fonts
// and bitmaps) so the graphics and image tests do not depend on the other wrapper classes.
// They are built on PlusObject exactly as the library's own classes are.
#pragma once

#include "plus/plus_internal.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace plus_tests {

// A wrapper over one GDI+ object type whose release function is `Delete`.
template <class Native, auto Delete> class TestObject : public plus::PlusObject {
public:
    TestObject() = default;
    TestObject(TestObject&& other) noexcept { MoveFrom(other); }
    ~TestObject() override { Release(); }

    void AttachNative(plus::NativeHandle h) override { native_ = h; }
    bool Release() {
        return plus::ReleaseNative(*this, native_, [&] { return Delete(N()); });
    }
    Native* N() const { return static_cast<Native*>(native_); }
    void* Native_() const { return native_; }

protected:
    bool ReleaseHeld() override { return Release(); }

private:
    void* native_ = nullptr;
};

class TestMatrix : public TestObject<Gdiplus::GpMatrix, plus::gp::GdipDeleteMatrix> {
public:
    bool Create(float m11 = 1, float m12 = 0, float m21 = 0, float m22 = 1, float dx = 0,
                float dy = 0) {
        return plus::CreateNative<Gdiplus::GpMatrix>(*this, [&](Gdiplus::GpMatrix** out) {
            return plus::gp::GdipCreateMatrix2(m11, m12, m21, m22, dx, dy, out);
        });
    }
    bool DeleteMatrix() { return Release(); }
    // m11, m12, m21, m22, dx, dy
    std::vector<float> Elements() const {
        std::vector<float> e(6, 0.0f);
        plus::gp::GdipGetMatrixElements(N(), e.data());
        return e;
    }
    void* Native() const { return Native_(); }
};

class TestBrush : public TestObject<Gdiplus::GpBrush, plus::gp::GdipDeleteBrush> {
public:
    explicit TestBrush(plus::ARGB colour) {
        plus::CreateNative<Gdiplus::GpSolidFill>(*this, [&](Gdiplus::GpSolidFill** out) {
            return plus::gp::GdipCreateSolidFill(colour, out);
        });
    }
};

class TestPen : public TestObject<Gdiplus::GpPen, plus::gp::GdipDeletePen> {
public:
    explicit TestPen(plus::ARGB colour, float width = 1) {
        plus::CreateNative<Gdiplus::GpPen>(*this, [&](Gdiplus::GpPen** out) {
            return plus::gp::GdipCreatePen1(colour, width, Gdiplus::UnitPixel, out);
        });
    }
};

class TestRegion : public TestObject<Gdiplus::GpRegion, plus::gp::GdipDeleteRegion> {
public:
    TestRegion() {
        plus::CreateNative<Gdiplus::GpRegion>(
            *this, [&](Gdiplus::GpRegion** out) { return plus::gp::GdipCreateRegion(out); });
    }
};

class TestFontFamily : public TestObject<Gdiplus::GpFontFamily, plus::gp::GdipDeleteFontFamily> {
public:
    // The named family, or the generic sans-serif one when it is not installed.
    explicit TestFontFamily(const wchar_t* name) {
        if (!plus::CreateNative<Gdiplus::GpFontFamily>(*this, [&](Gdiplus::GpFontFamily** out) {
                return plus::gp::GdipCreateFontFamilyFromName(name, nullptr, out);
            }))
            plus::CreateNative<Gdiplus::GpFontFamily>(*this, [&](Gdiplus::GpFontFamily** out) {
                return plus::gp::GdipGetGenericFontFamilySansSerif(out);
            });
    }
};

class TestFont : public TestObject<Gdiplus::GpFont, plus::gp::GdipDeleteFont> {
public:
    TestFont(const wchar_t* family, float pixels) {
        TestFontFamily f(family);
        plus::CreateNative<Gdiplus::GpFont>(*this, [&](Gdiplus::GpFont** out) {
            return plus::gp::GdipCreateFont(f.N(), pixels, 0, Gdiplus::UnitPixel, out);
        });
    }
};

// A string format measuring the given (first, length) character ranges.
class TestStringFormat
    : public TestObject<Gdiplus::GpStringFormat, plus::gp::GdipDeleteStringFormat> {
public:
    explicit TestStringFormat(const std::vector<std::pair<int, int>>& ranges) {
        plus::CreateNative<Gdiplus::GpStringFormat>(*this, [&](Gdiplus::GpStringFormat** out) {
            return plus::gp::GdipCreateStringFormat(0, 0, out);
        });
        std::vector<Gdiplus::CharacterRange> native;
        for (auto [first, length] : ranges)
            native.emplace_back(first, length);
        plus::gp::GdipSetStringFormatMeasurableCharacterRanges(N(), static_cast<INT>(native.size()),
                                                               native.data());
    }
};

// A 32-bit ARGB GDI+ bitmap of one colour.
class TestBitmap : public TestObject<Gdiplus::GpImage, plus::gp::GdipDisposeImage> {
public:
    TestBitmap(int width, int height, plus::ARGB colour) {
        plus::CreateNative<Gdiplus::GpBitmap>(*this, [&](Gdiplus::GpBitmap** out) {
            return plus::gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB,
                                                       nullptr, out);
        });
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                plus::gp::GdipBitmapSetPixel(static_cast<Gdiplus::GpBitmap*>(GetHandle()), x, y,
                                             colour);
    }
};

// A top-down 32-bit DIB selected into a memory DC: the surface the skin painters draw on.
class DibSurface {
public:
    DibSurface(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~DibSurface() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;

    HDC Dc() const { return dc_; }
    // 0x00RRGGBB of a pixel (the alpha byte of a DC surface is not meaningful).
    std::uint32_t Rgb(int x, int y) const {
        GdiFlush();
        return static_cast<const std::uint32_t*>(bits_)[y * width_ + x] & 0xFFFFFF;
    }
    std::vector<std::uint32_t> Pixels() const {
        GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits_);
        return std::vector<std::uint32_t>(p, p + width_ * height_);
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

} // namespace plus_tests
