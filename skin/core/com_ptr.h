// An owner of one COM interface reference, for the code of this project that talks to COM
// objects (image decoders, the browser control).
#pragma once
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace skin {

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

} // namespace skin
