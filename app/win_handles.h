// Small owners for the Windows resources the application holds.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <utility>

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

// Holds one reference to a COM interface.
template <typename Interface> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) {
        if (pointer_) pointer_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    Interface** put() {
        reset();
        return &pointer_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (pointer_) std::exchange(pointer_, nullptr)->Release();
    }
    // Takes over a reference the caller already owns.
    void attach(Interface* pointer) {
        reset();
        pointer_ = pointer;
    }

private:
    Interface* pointer_ = nullptr;
};

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
