// Helpers for the implementation files of the drawing-object library (not for its users):
// the GDI+ flat declarations, status recording, record and array conversion, text arguments.
// Only the flat functions are called (namespace gp); the SDK's C++ classes are not used.
#pragma once

#include "plus/plus_faults.h"
#include "plus/plus_object.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace plus {

namespace gp = Gdiplus::DllExports;
using GpStatus = Gdiplus::GpStatus;

// Stores the status of a wrapped call in LastStatus and returns it.
int Record(GpStatus status);
int Record(int status);
// Records the status; true when it is Ok.
inline bool Succeeded(GpStatus status) {
    return Record(status) == Ok;
}

// Changes the count of live streams (PlusStream holds no PlusObject handle and counts itself).
void AdjustLiveCount(int delta);
// Takes a released native object out of the live set (TakeNative put it there).
void NoteReleased(NativeHandle native);

// The wrapper's handle as a GDI+ type (wrapper arguments are passed by their handle).
template <class T> T* NativeOf(const PlusObject& wrapper) {
    return static_cast<T*>(wrapper.GetHandle());
}
template <class T> T* NativeOf(const PlusObject* wrapper) {
    return wrapper ? static_cast<T*>(wrapper->GetHandle()) : nullptr;
}

// The release method shared by every class: false without a GDI+ call when nothing is held;
// otherwise delete, record the status, detach every level and report Ok. Once GDI+ has been
// shut down its objects are gone with it: the wrapper only detaches (GdiplusNotInitialized).
template <class Delete> bool ReleaseNative(PlusObject& self, void* native, Delete deleteNative) {
    if (!native) return false;
    const int status = GdiPlusRunning() ? Record(deleteNative()) : Record(GdiplusNotInitialized);
    NoteReleased(native);
    self.SetHandle(nullptr);
    return status == Ok;
}

// A creation or clone call whose new object goes to `target`: `create(T**)` runs the GDI+
// function with a local out-pointer initialised to null, then target.TakeNative attaches it.
// (Calling TakeNative(GdipCreateX(&p), p) directly would read p before the call.)
template <class T, class Create> bool CreateNative(PlusObject& target, Create create) {
    T* created = nullptr;
    const GpStatus status = CreationRefused() ? Gdiplus::OutOfMemory : create(&created);
    return target.TakeNative(status, created);
}

// The move constructor, move assignment and destructor of a wrapper class whose release method
// is `Release` (step 4 in plus_object.h), written once and expanded in the class's .cpp:
// moving takes the other wrapper's native object, assigning releases this one's first, and
// the destructor releases it. (Classes that move more than the native object, or do not own
// it, write theirs out.)
#define PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(Class, Release)                                          \
    Class::Class(Class&& other) noexcept {                                                         \
        MoveFrom(other);                                                                           \
    }                                                                                              \
    Class& Class::operator=(Class&& other) noexcept {                                              \
        if (this != &other) {                                                                      \
            Release();                                                                             \
            MoveFrom(other);                                                                       \
        }                                                                                          \
        return *this;                                                                              \
    }                                                                                              \
    Class::~Class() {                                                                              \
        Release();                                                                                 \
    }

// Same-layout conversion between a library record and its GDI+ counterpart.
template <class To, class From> To As(const From& from) {
    static_assert(sizeof(To) == sizeof(From));
    static_assert(std::is_trivially_copyable_v<From>);
    To to;
    std::memcpy(static_cast<void*>(&to), &from, sizeof(To));
    return to;
}

// A record array packed into one contiguous native buffer for a GDI+ call: null buffer and
// count 0 for an empty array. Built from a non-const array, the buffer is copied back into the
// caller's records when the packing ends, so functions that change points update them.
template <class NativeT, class RecordT> class PackedArray {
    static_assert(sizeof(NativeT) == sizeof(RecordT));

public:
    explicit PackedArray(std::vector<RecordT>& records) : records_(&records) { Pack(records); }
    explicit PackedArray(const std::vector<RecordT>& records) { Pack(records); }
    ~PackedArray() {
        if (records_ && !buffer_.empty())
            std::memcpy(static_cast<void*>(records_->data()), buffer_.data(),
                        buffer_.size() * sizeof(NativeT));
    }
    PackedArray(const PackedArray&) = delete;
    PackedArray& operator=(const PackedArray&) = delete;

    NativeT* Data() { return buffer_.empty() ? nullptr : buffer_.data(); }
    INT Count() const { return static_cast<INT>(buffer_.size()); }

private:
    void Pack(const std::vector<RecordT>& records) {
        buffer_.resize(records.size());
        if (!records.empty())
            std::memcpy(static_cast<void*>(buffer_.data()), records.data(),
                        records.size() * sizeof(NativeT));
    }
    std::vector<RecordT>* records_ = nullptr;
    std::vector<NativeT> buffer_;
};

// A text argument as GDI+ takes it: UTF-16, zero-terminated, with its length in code units.
class WideArg {
public:
    // Plain form: Text in the ANSI code page, converted with ToWideText.
    static WideArg FromText(const Text& text);
    // "W" form: UTF-16LE bytes. Read up to the first zero unit or the end of the bytes, so a
    // byte set without a terminator (or of odd length) never makes GDI+ read past it.
    static WideArg FromBytes(const ByteSet& bytes);

    const WCHAR* Data() const { return text_.c_str(); }
    INT Length() const { return static_cast<INT>(text_.size()); }

private:
    std::wstring text_;
};

} // namespace plus
