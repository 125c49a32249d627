#include "plus/plus_string_format.h"

#include "plus/plus_internal.h"

namespace plus {
namespace {

using Gdiplus::GpStatus;
using Gdiplus::GpStringFormat;

GpStringFormat* FormatOf(const PlusStringFormat& f) {
    return static_cast<GpStringFormat*>(f.Native());
}

template <class T, class Get> int ReadEnum(Get get) {
    T value{};
    Record(get(&value));
    return static_cast<int>(value);
}

} // namespace

PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(PlusStringFormat, DeleteStringFormat)

bool PlusStringFormat::DeleteStringFormat() {
    return ReleaseNative(*this, native_,
                         [&] { return gp::GdipDeleteStringFormat(FormatOf(*this)); });
}

bool PlusStringFormat::Create(int formatFlags, int language) {
    return CreateNative<GpStringFormat>(*this, [&](GpStringFormat** out) {
        return gp::GdipCreateStringFormat(formatFlags, static_cast<LANGID>(language), out);
    });
}

bool PlusStringFormat::GenericDefault() {
    return CreateNative<GpStringFormat>(
        *this, [&](GpStringFormat** out) { return gp::GdipStringFormatGetGenericDefault(out); });
}

bool PlusStringFormat::GenericTypographic() {
    return CreateNative<GpStringFormat>(*this, [&](GpStringFormat** out) {
        return gp::GdipStringFormatGetGenericTypographic(out);
    });
}

bool PlusStringFormat::Clone(PlusStringFormat& target) const {
    return CreateNative<GpStringFormat>(target, [&](GpStringFormat** out) {
        return gp::GdipCloneStringFormat(FormatOf(*this), out);
    });
}

bool PlusStringFormat::SetFlags(int flags) {
    return Succeeded(gp::GdipSetStringFormatFlags(FormatOf(*this), flags));
}

int PlusStringFormat::GetFlags() const {
    return ReadEnum<INT>([&](INT* v) { return gp::GdipGetStringFormatFlags(FormatOf(*this), v); });
}

bool PlusStringFormat::SetAlign(int align) {
    return Succeeded(gp::GdipSetStringFormatAlign(FormatOf(*this),
                                                  static_cast<Gdiplus::StringAlignment>(align)));
}

int PlusStringFormat::GetAlign() const {
    return ReadEnum<Gdiplus::StringAlignment>([&](Gdiplus::StringAlignment* v) {
        return gp::GdipGetStringFormatAlign(FormatOf(*this), v);
    });
}

bool PlusStringFormat::SetLineAlign(int align) {
    return Succeeded(gp::GdipSetStringFormatLineAlign(
        FormatOf(*this), static_cast<Gdiplus::StringAlignment>(align)));
}

int PlusStringFormat::GetLineAlign() const {
    return ReadEnum<Gdiplus::StringAlignment>([&](Gdiplus::StringAlignment* v) {
        return gp::GdipGetStringFormatLineAlign(FormatOf(*this), v);
    });
}

bool PlusStringFormat::SetTrimming(int trimming) {
    return Succeeded(gp::GdipSetStringFormatTrimming(
        FormatOf(*this), static_cast<Gdiplus::StringTrimming>(trimming)));
}

int PlusStringFormat::GetTrimming() const {
    return ReadEnum<Gdiplus::StringTrimming>([&](Gdiplus::StringTrimming* v) {
        return gp::GdipGetStringFormatTrimming(FormatOf(*this), v);
    });
}

bool PlusStringFormat::SetHotkeyPrefix(int hotkeyPrefix) {
    return Succeeded(gp::GdipSetStringFormatHotkeyPrefix(FormatOf(*this), hotkeyPrefix));
}

int PlusStringFormat::GetHotkeyPrefix() const {
    return ReadEnum<INT>(
        [&](INT* v) { return gp::GdipGetStringFormatHotkeyPrefix(FormatOf(*this), v); });
}

bool PlusStringFormat::SetTabStops(float firstTabOffset, const std::vector<float>& tabStops) {
    return Succeeded(gp::GdipSetStringFormatTabStops(FormatOf(*this), firstTabOffset,
                                                     static_cast<INT>(tabStops.size()),
                                                     tabStops.empty() ? nullptr : tabStops.data()));
}

int PlusStringFormat::GetTabStops(float& firstTabOffset, std::vector<float>& tabStops) const {
    INT count = 0;
    if (Record(gp::GdipGetStringFormatTabStopCount(FormatOf(*this), &count)) != Ok || count < 0)
        return 0;
    tabStops.assign(static_cast<std::size_t>(count), 0.0f);
    float first = 0;
    Record(gp::GdipGetStringFormatTabStops(FormatOf(*this), count, &first,
                                           tabStops.empty() ? nullptr : tabStops.data()));
    firstTabOffset = first;
    return count;
}

bool PlusStringFormat::SetDigitSubstitution(int substitute, int language) {
    // GDI+ takes the language first.
    return Succeeded(gp::GdipSetStringFormatDigitSubstitution(
        FormatOf(*this), static_cast<LANGID>(language),
        static_cast<Gdiplus::StringDigitSubstitute>(substitute)));
}

bool PlusStringFormat::GetDigitSubstitution(int& substitute, int& language) const {
    LANGID lang = 0;
    Gdiplus::StringDigitSubstitute sub{};
    const bool ok =
        Succeeded(gp::GdipGetStringFormatDigitSubstitution(FormatOf(*this), &lang, &sub));
    if (ok) {
        language = lang;
        substitute = static_cast<int>(sub);
    }
    return ok;
}

bool PlusStringFormat::SetMeasurableCharacterRanges(const std::vector<CharacterRange>& ranges) {
    PackedArray<Gdiplus::CharacterRange, CharacterRange> packed(ranges);
    return Succeeded(gp::GdipSetStringFormatMeasurableCharacterRanges(
        FormatOf(*this), packed.Count(), packed.Data()));
}

int PlusStringFormat::GetMeasurableCharacterRangeCount() const {
    return ReadEnum<INT>([&](INT* v) {
        return gp::GdipGetStringFormatMeasurableCharacterRangeCount(FormatOf(*this), v);
    });
}

} // namespace plus
