// PlusFontFamily and PlusFontCollection: font families by name, the generic families, and a
// collection as a source of families.
#pragma once

#include "plus/plus_object.h"

#include <vector>

namespace plus {

class PlusFontCollection;

// A font family is released only by an explicit DeleteFontFamily: families handed out by a
// collection belong to the collection, so letting the wrapper go leaves the family alone.
class PlusFontFamily : public PlusObject {
public:
    PlusFontFamily() = default;
    PlusFontFamily(PlusFontFamily&& other) noexcept;
    PlusFontFamily& operator=(PlusFontFamily&& other) noexcept;
    ~PlusFontFamily() override = default;

    void AttachNative(NativeHandle h) override { native_ = h; }

    // Releases the family; false without a GDI+ call when none is held.
    bool DeleteFontFamily();
    // `name` in code page 936; without a collection the installed fonts are searched.
    bool CreateFromName(const Text& name, const PlusFontCollection* collection = nullptr);
    // As CreateFromName with a UTF-16LE name.
    bool CreateFromNameW(const ByteSet& name, const PlusFontCollection* collection = nullptr);
    bool GenericSansSerif();
    bool GenericSerif();
    bool GenericMonospace();
    bool Clone(PlusFontFamily& target) const;
    // The family's name (language neutral) in code page 936; empty on failure.
    Text GetFamilyName() const;
    // The name as GDI+ writes it: 64 bytes, 32 UTF-16 units, zero-padded.
    ByteSet GetFamilyNameW() const;
    // style: GDI+ FontStyle bits.
    bool IsStyleAvailable(int style) const;
    // Metrics in design units.
    int GetEmHeight(int style) const;
    int GetCellAscent(int style) const;
    int GetCellDescent(int style) const;
    int GetLineSpacing(int style) const;

    NativeHandle Native() const { return native_; }

protected:
    // Letting go of a family releases nothing (see the class comment).
    bool ReleaseHeld() override { return false; }

private:
    NativeHandle native_ = nullptr;
};

// Receives a native collection only through SetHandle and never releases it (the installed
// collection belongs to GDI+).
class PlusFontCollection : public PlusObject {
public:
    PlusFontCollection() = default;
    PlusFontCollection(PlusFontCollection&& other) noexcept;
    PlusFontCollection& operator=(PlusFontCollection&& other) noexcept;
    ~PlusFontCollection() override = default;

    void AttachNative(NativeHandle h) override;
    // The next level's copy; nothing at this level.
    virtual void OnAttach(NativeHandle h);

    int GetFamilyCount() const;
    // Refills `families` with `count` new wrappers and attaches the first families of the
    // collection to them; returns how many were found. A count below 1 is refused
    // (InvalidParameter, result 0) and leaves `families` as it was.
    int GetFamilies(int count, std::vector<PlusFontFamily>& families) const;

    NativeHandle Native() const { return native_; }

protected:
    bool ReleaseHeld() override { return false; }

private:
    NativeHandle native_ = nullptr;
};

} // namespace plus
