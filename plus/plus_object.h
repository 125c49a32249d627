// Drawing-object library: GDI+ start-up and shut-down, the library-wide status, the shared
// records and PlusObject, the base of every wrapper of a GDI+ object.
//
// Naming. Everything lives in namespace `plus`. The classes are PlusObject, PlusGraphics,
// PlusImage, PlusBitmap, PlusStream, PlusPen, PlusBrush, ... and their methods carry the names
// of the library's method tables, declared in table order (the order is part of the interface).
// Arguments follow the GDI+ flat function after its object pointer, in the same order; an
// argument a caller may leave out is a default argument (std::optional where leaving it out
// differs from every given value).
//
// Results. No method throws or shows anything. A wrapped GDI+ call stores its status in the one
// library-wide LastStatus(); actions and setters return true when that status is Ok; getters
// return the value (0 when the call failed) and leave the status in LastStatus() only.
//
// Ownership. A wrapper holds at most one native object and is move-only: copying would make two
// wrappers release one native object. The destructor runs the class's release method. A creation
// method on a wrapper that still holds an object releases that object once the new one exists
// (nothing leaks when a painter creates twice); a failed creation or clone leaves the wrapper
// holding what it held. LiveObjectCount() counts the native objects created through wrappers and
// not yet released (and the live global-memory streams), so a test can prove a painter leaves
// nothing behind, also one that drops or replaces a native object without releasing it.
//
// Writing a wrapper class on this base (PlusGraphics is the worked example):
//  1. Derive from PlusObject (or from an intermediate level such as PlusBrush or PlusImage) and
//     keep the class's own copy of the native pointer as `void* native_` (GDI+ types stay out of
//     the public headers; the .cpp casts with NativeOf<T>() from plus/plus_internal.h).
//  2. Override AttachNative(h): store h in native_; a class with a further level then calls its
//     virtual OnAttach(h), which the next level overrides to store its own copy. SetHandle(h)
//     stores the base Handle and calls AttachNative, so after it every level holds h.
//  3. Write the release method (DeleteGraphics, DeletePen, DisposeImage, ...) with
//     ReleaseNative() from plus/plus_internal.h, and override ReleaseHeld() to call it.
//  4. Destructor, move constructor and move assignment: declare them and define them with
//     PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(Class, ReleaseMethod) (plus/plus_internal.h): the
//     destructor calls the release method, the move constructor default-constructs every base
//     and then MoveFrom(other), the move assignment releases and then MoveFrom(other). (Only
//     the most derived class moves, so AttachNative reaches every level.)
//  5. Creation methods: `return CreateNative<GpX>(*this, [&](GpX** out) { return GdipCreateX(
//     ..., out); });` (plus/plus_internal.h), which ends in TakeNative. Clones and getters that
//     yield a new object pass the target wrapper instead of *this.
//  6. Other methods: `return Succeeded(GdipXxx(native, ...));` for actions, a local initialised
//     to 0 plus Record(status) for getters, PackedArray for record arrays, WideArg for text.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plus {

// Text in the system ANSI code page (936 bytes); the empty string is the empty text.
using Text = std::string;
// Raw bytes (image data, UTF-16LE text of the "W" methods); empty is the empty byte set.
using ByteSet = std::vector<std::uint8_t>;
// GDI+ colour 0xAARRGGBB; passed through unchanged, never converted to COLORREF here.
using ARGB = std::uint32_t;
// A native GDI+ object as the base sees it.
using NativeHandle = void*;

// GDI+ status values (the library-wide LastStatus() holds one of these).
enum Status : int {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
};

// Records laid out exactly as the GDI+ types of the same name.
struct PointF {
    float x = 0;
    float y = 0;
};
struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};
struct RectF {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};
struct Rect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};
struct SizeF {
    float width = 0;
    float height = 0;
};

// Starts GDI+ (version 1 unless one is given), keeps the token as GdiPlusToken() and returns it;
// 0 when GDI+ refused to start.
ULONG_PTR StartupGdiPlus(std::optional<std::uint32_t> version = std::nullopt);
// Without a token: shuts down the token kept by StartupGdiPlus and forgets it, so a second call
// does nothing. With a token: shuts that token down. Only tokens handed out by StartupGdiPlus
// and not yet shut down reach GDI+, so no token is ever shut down twice.
void ShutdownGdiPlus(std::optional<ULONG_PTR> token = std::nullopt);
// The token of the last StartupGdiPlus, 0 when none or after the shut-down.
ULONG_PTR GdiPlusToken();
// True between a StartupGdiPlus and the shut-down of its token.
bool GdiPlusRunning();

// Status of the most recent wrapped GDI+ call, library-wide (not per object).
int LastStatus();
// Native objects created through wrappers and not yet released, plus live streams.
int LiveObjectCount();

// Text (system ANSI code page) to UTF-16LE bytes ending in a zero unit; the empty text gives
// one zero unit.
ByteSet ToWideText(const Text& text);
// UTF-16 text to the bytes the "W" methods take (ending in a zero unit).
ByteSet ToWideBytes(const std::wstring& text);

class PlusObject {
public:
    PlusObject(const PlusObject&) = delete;
    PlusObject& operator=(const PlusObject&) = delete;
    virtual ~PlusObject();

    // The native object as the base sees it (null when none).
    NativeHandle GetHandle() const { return handle_; }
    // Stores h as the base handle, then in every level's copy (AttachNative).
    void SetHandle(NativeHandle h);
    // Stores h in the class's own copy; levels below pass it on through OnAttach.
    virtual void AttachNative(NativeHandle h) = 0;
    // Memory from the GDI+ allocator (GdipAlloc / GdipFree).
    void* Alloc(std::size_t size) const;
    void Free(void* p) const;

    // Takes a native object that a GDI+ creation or clone call produced: when `created` is not
    // null, releases the object held so far and attaches `created` (null leaves the wrapper as
    // it was); records `status` and returns true when it is Ok.
    bool TakeNative(int status, NativeHandle created);

protected:
    PlusObject() = default;
    // Runs the class's release method (DeleteGraphics, DisposeImage, ...).
    virtual bool ReleaseHeld() = 0;
    // Moves other's native object into this wrapper (other is left empty).
    void MoveFrom(PlusObject& other) noexcept;

private:
    NativeHandle handle_ = nullptr;
};

} // namespace plus
