// Small owners for GDI resources: every DC, bitmap, brush, pen, font and region the skin engine
// makes lives in one of these, so a painter reads top to bottom with no cleanup tail and a
// forgotten release cannot happen.
#pragma once
#include <windows.h>

#include <utility>

namespace gdi {

// Owns one GDI object (bitmap, brush, pen, font, region) and deletes it.
template <typename Handle> class Object {
public:
    Object() = default;
    explicit Object(Handle handle) : handle_(handle) {}
    ~Object() { reset(); }
    Object(Object&& other) noexcept : handle_(other.release()) {}
    Object& operator=(Object&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Gives the handle away (for example to SetWindowRgn, after which the system owns it).
    Handle release() { return std::exchange(handle_, nullptr); }
    void reset(Handle handle = nullptr) {
        if (handle_ && handle_ != handle) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using Bitmap = Object<HBITMAP>;
using Brush = Object<HBRUSH>;
using Pen = Object<HPEN>;
using Font = Object<HFONT>;
using Region = Object<HRGN>;

// Selects an object into a DC for the lifetime of the scope, then puts the previous one back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() {
        if (dc_ && previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    HGDIOBJ previous() const { return previous_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A window's DC from GetDC (client area) or GetWindowDC (the whole window, frame included),
// or one handed over by a caller; released with ReleaseDC.
class WindowDC {
public:
    WindowDC() = default;
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    // The DC of the whole window (GetWindowDC): non-client painting, frames.
    static WindowDC Whole(HWND window) { return Adopt(window, GetWindowDC(window)); }
    // Takes over a DC the caller already holds; it is released when this owner goes.
    static WindowDC Adopt(HWND window, HDC dc) {
        WindowDC owner;
        owner.window_ = window;
        owner.dc_ = dc;
        return owner;
    }
    ~WindowDC() { reset(); }
    WindowDC(WindowDC&& other) noexcept
        : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDC& operator=(WindowDC&& other) noexcept {
        if (this != &other) {
            reset();
            window_ = other.window_;
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset() {
        if (dc_) ReleaseDC(window_, std::exchange(dc_, nullptr));
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// BeginPaint ... EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const { return dc_; }
    const PAINTSTRUCT& paint() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

// A memory DC that owns the bitmap selected into it. It remembers the bitmap it was created
// with; selecting a new bitmap deletes the one it owned before, and on destruction the
// original bitmap is put back, the owned bitmap deleted and the DC deleted.
class MemoryDC {
public:
    MemoryDC() = default;
    // A new memory DC compatible with `reference` (null: the screen).
    static MemoryDC Create(HDC reference = nullptr) {
        MemoryDC dc;
        dc.dc_ = CreateCompatibleDC(reference);
        if (dc.dc_) dc.original_ = static_cast<HBITMAP>(GetCurrentObject(dc.dc_, OBJ_BITMAP));
        return dc;
    }
    ~MemoryDC() { reset(); }
    MemoryDC(MemoryDC&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)),
          original_(std::exchange(other.original_, nullptr)), bitmap_(std::move(other.bitmap_)) {}
    MemoryDC& operator=(MemoryDC&& other) noexcept {
        if (this != &other) {
            reset();
            dc_ = std::exchange(other.dc_, nullptr);
            original_ = std::exchange(other.original_, nullptr);
            bitmap_ = std::move(other.bitmap_);
        }
        return *this;
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    // The bitmap that was selected when the DC was created.
    HBITMAP original() const { return original_; }
    // The bitmap this DC owns and has selected (null when none).
    HBITMAP bitmap() const { return bitmap_.get(); }

    // Selects `bitmap` and takes ownership of it; the bitmap owned before is deleted.
    void Adopt(Bitmap bitmap) {
        if (!dc_ || !bitmap) return;
        SelectObject(dc_, bitmap.get());
        bitmap_ = std::move(bitmap);
    }

    void reset() {
        if (!dc_) return;
        if (original_) SelectObject(dc_, original_);
        bitmap_.reset();
        DeleteDC(std::exchange(dc_, nullptr));
        original_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
    HBITMAP original_ = nullptr;
    Bitmap bitmap_;
};

// A top-down 32-bit DIB section of the given size (pixels readable through `bits`).
inline Bitmap CreateArgbBitmap(int width, int height, void** bits = nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (bits) *bits = pixels;
    return bitmap;
}

} // namespace gdi
