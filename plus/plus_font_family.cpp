#include "plus/plus_font_family.h"

#include "plus/plus_internal.h"
#include "plus/plus_wrapper_helpers.h"

namespace plus {
namespace {

using Gdiplus::GpFontCollection;
using Gdiplus::GpFontFamily;
using Gdiplus::GpStatus;

GpFontFamily* FamilyOf(const PlusFontFamily& family) {
    return static_cast<GpFontFamily*>(family.Native());
}
GpFontCollection* CollectionOf(const PlusFontCollection* collection) {
    return collection ? static_cast<GpFontCollection*>(collection->Native()) : nullptr;
}

// One of the UINT16 design-unit metrics.
template <class Get> int Metric(Get get) {
    UINT16 value = 0;
    Record(get(&value));
    return value;
}

// 32 UTF-16 units (LF_FACESIZE), zero-filled, as GdipGetFamilyName writes them.
constexpr std::size_t NameUnits = LF_FACESIZE;

} // namespace

// ---- PlusFontFamily ----

PlusFontFamily::PlusFontFamily(PlusFontFamily&& other) noexcept {
    MoveFrom(other);
}

PlusFontFamily& PlusFontFamily::operator=(PlusFontFamily&& other) noexcept {
    if (this != &other) {
        SetHandle(nullptr);
        MoveFrom(other);
    }
    return *this;
}

bool PlusFontFamily::DeleteFontFamily() {
    return ReleaseNative(*this, native_, [&] { return gp::GdipDeleteFontFamily(FamilyOf(*this)); });
}

bool PlusFontFamily::CreateFromName(const Text& name, const PlusFontCollection* collection) {
    return CreateFromNameW(ToWideText(name), collection);
}

bool PlusFontFamily::CreateFromNameW(const ByteSet& name, const PlusFontCollection* collection) {
    const WideArg wide = WideArg::FromBytes(name);
    return CreateNative<GpFontFamily>(*this, [&](GpFontFamily** out) {
        return gp::GdipCreateFontFamilyFromName(wide.Data(), CollectionOf(collection), out);
    });
}

bool PlusFontFamily::GenericSansSerif() {
    return CreateNative<GpFontFamily>(
        *this, [&](GpFontFamily** out) { return gp::GdipGetGenericFontFamilySansSerif(out); });
}

bool PlusFontFamily::GenericSerif() {
    return CreateNative<GpFontFamily>(
        *this, [&](GpFontFamily** out) { return gp::GdipGetGenericFontFamilySerif(out); });
}

bool PlusFontFamily::GenericMonospace() {
    return CreateNative<GpFontFamily>(
        *this, [&](GpFontFamily** out) { return gp::GdipGetGenericFontFamilyMonospace(out); });
}

bool PlusFontFamily::Clone(PlusFontFamily& target) const {
    return CreateNative<GpFontFamily>(
        target, [&](GpFontFamily** out) { return gp::GdipCloneFontFamily(FamilyOf(*this), out); });
}

ByteSet PlusFontFamily::GetFamilyNameW() const {
    WCHAR name[NameUnits] = {};
    Record(gp::GdipGetFamilyName(FamilyOf(*this), name, 0));
    name[NameUnits - 1] = 0;
    ByteSet bytes(sizeof(name), 0);
    std::memcpy(bytes.data(), name, sizeof(name));
    return bytes;
}

Text PlusFontFamily::GetFamilyName() const {
    WCHAR name[NameUnits] = {};
    Record(gp::GdipGetFamilyName(FamilyOf(*this), name, 0));
    name[NameUnits - 1] = 0;
    // Text is in the ANSI code page, the one CreateFromName converts from.
    const int bytes = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return Text();
    Text text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, name, -1, text.data(), bytes, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(bytes - 1));
    return text;
}

bool PlusFontFamily::IsStyleAvailable(int style) const {
    BOOL available = FALSE;
    Record(gp::GdipIsStyleAvailable(FamilyOf(*this), style, &available));
    return available != FALSE;
}

int PlusFontFamily::GetEmHeight(int style) const {
    return Metric([&](UINT16* v) { return gp::GdipGetEmHeight(FamilyOf(*this), style, v); });
}

int PlusFontFamily::GetCellAscent(int style) const {
    return Metric([&](UINT16* v) { return gp::GdipGetCellAscent(FamilyOf(*this), style, v); });
}

int PlusFontFamily::GetCellDescent(int style) const {
    return Metric([&](UINT16* v) { return gp::GdipGetCellDescent(FamilyOf(*this), style, v); });
}

int PlusFontFamily::GetLineSpacing(int style) const {
    return Metric([&](UINT16* v) { return gp::GdipGetLineSpacing(FamilyOf(*this), style, v); });
}

// ---- PlusFontCollection ----

PlusFontCollection::PlusFontCollection(PlusFontCollection&& other) noexcept {
    MoveFrom(other);
}

PlusFontCollection& PlusFontCollection::operator=(PlusFontCollection&& other) noexcept {
    if (this != &other) {
        SetHandle(nullptr);
        MoveFrom(other);
    }
    return *this;
}

void PlusFontCollection::AttachNative(NativeHandle h) {
    native_ = h;
    OnAttach(h);
}

void PlusFontCollection::OnAttach(NativeHandle) {}

int PlusFontCollection::GetFamilyCount() const {
    INT count = 0;
    Record(gp::GdipGetFontCollectionFamilyCount(CollectionOf(this), &count));
    return count;
}

int PlusFontCollection::GetFamilies(int count, std::vector<PlusFontFamily>& families) const {
    if (count < 1) {
        Record(InvalidParameter);
        return 0;
    }
    std::vector<GpFontFamily*> found;
    if (!Allocated([&] {
            found.assign(static_cast<std::size_t>(count), nullptr);
            std::vector<PlusFontFamily> fresh(static_cast<std::size_t>(count));
            families.swap(fresh);
        }))
        return 0;
    INT numFound = 0;
    if (Record(gp::GdipGetFontCollectionFamilyList(CollectionOf(this), count, found.data(),
                                                   &numFound)) != Ok)
        return 0;
    for (INT i = 0; i < numFound && i < count; ++i)
        families[static_cast<std::size_t>(i)].SetHandle(found[static_cast<std::size_t>(i)]);
    return numFound;
}

} // namespace plus
