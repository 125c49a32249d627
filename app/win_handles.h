// Small owners for the Windows resources the application holds.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <utility>

#include "skin/core/com_ptr.h"

namespace varnel {

// Owns one GDI object (font, brush, bitmap, ...) and deletes it.
template <typename Handle> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

// Owns an icon made by LoadIcon/CreateIcon and destroys it.
class IconHandle {
public:
    IconHandle() = default;
    explicit IconHandle(HICON icon) : icon_(icon) {}
    ~IconHandle() {
        if (icon_) DestroyIcon(icon_);
    }
    IconHandle(const IconHandle&) = delete;
    IconHandle& operator=(const IconHandle&) = delete;
    HICON get() const { return icon_; }

private:
    HICON icon_ = nullptr;
};

// One reference to a COM interface (shared with the skin engine's image reading).
using skin::ComPtr;

// OLE on the calling thread for the lifetime of the object (the browser control needs it).
class OleScope {
public:
    OleScope() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleScope() {
        if (ok_) OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_;
};

} // namespace varnel
