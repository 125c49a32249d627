// PlusStringFormat: text layout for DrawString and MeasureString (alignment, trimming, flags,
// tab stops, measurable character ranges).
#pragma once

#include "plus/plus_object.h"

#include <vector>

namespace plus {

// A run of characters: first index and length (the GDI+ CharacterRange layout).
struct CharacterRange {
    std::int32_t First = 0;
    std::int32_t Length = 0;
};

class PlusStringFormat : public PlusObject {
public:
    PlusStringFormat() = default;
    PlusStringFormat(PlusStringFormat&& other) noexcept;
    PlusStringFormat& operator=(PlusStringFormat&& other) noexcept;
    ~PlusStringFormat() override;

    void AttachNative(NativeHandle h) override { native_ = h; }

    // Releases the format; false without a GDI+ call when none is held.
    bool DeleteStringFormat();
    // formatFlags: GDI+ StringFormatFlags; language: a LANGID (0 neutral).
    bool Create(int formatFlags = 0, int language = 0);
    bool GenericDefault();
    bool GenericTypographic();
    bool Clone(PlusStringFormat& target) const;
    bool SetFlags(int flags);
    int GetFlags() const;
    // align: StringAlignment (0 near, 1 centre, 2 far).
    bool SetAlign(int align);
    int GetAlign() const;
    bool SetLineAlign(int align);
    int GetLineAlign() const;
    // trimming: StringTrimming (0 none ... 5 path ellipsis).
    bool SetTrimming(int trimming);
    int GetTrimming() const;
    // hotkeyPrefix: HotkeyPrefix (0 none, 1 show, 2 hide).
    bool SetHotkeyPrefix(int hotkeyPrefix);
    int GetHotkeyPrefix() const;
    bool SetTabStops(float firstTabOffset, const std::vector<float>& tabStops);
    // Resizes `tabStops` to the tab-stop count, fills it and the first offset; returns the
    // count.
    int GetTabStops(float& firstTabOffset, std::vector<float>& tabStops) const;
    // substitute: StringDigitSubstitute; language: a LANGID.
    bool SetDigitSubstitution(int substitute, int language);
    // Fills both; a failed call leaves them as they were.
    bool GetDigitSubstitution(int& substitute, int& language) const;
    bool SetMeasurableCharacterRanges(const std::vector<CharacterRange>& ranges);
    int GetMeasurableCharacterRangeCount() const;

    NativeHandle Native() const { return native_; }

protected:
    bool ReleaseHeld() override { return DeleteStringFormat(); }

private:
    NativeHandle native_ = nullptr;
};

} // namespace plus
