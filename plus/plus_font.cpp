#include "plus/plus_font.h"

#include "plus/plus_font_family.h"
#include "plus/plus_graphics.h"
#include "plus/plus_internal.h"

namespace plus {
namespace {

using Gdiplus::GpFont;
using Gdiplus::GpStatus;

GpFont* FontOf(const PlusFont& font) {
    return static_cast<GpFont*>(font.Native());
}
Gdiplus::GpGraphics* GraphicsOf(const PlusGraphics& g) {
    return NativeOf<Gdiplus::GpGraphics>(g);
}

// The screen DC for the length of one call.
class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

} // namespace

PlusFont::PlusFont(PlusFont&& other) noexcept {
    MoveFrom(other);
}

PlusFont& PlusFont::operator=(PlusFont&& other) noexcept {
    if (this != &other) {
        DeleteFont();
        MoveFrom(other);
    }
    return *this;
}

PlusFont::~PlusFont() {
    DeleteFont();
}

bool PlusFont::DeleteFont() {
    return ReleaseNative(*this, native_, [&] { return gp::GdipDeleteFont(FontOf(*this)); });
}

bool PlusFont::CreateFont(const PlusFontFamily& family, float emSize, int style, int unit) {
    GpFont* created = nullptr;
    const GpStatus status = gp::GdipCreateFont(NativeOf<Gdiplus::GpFontFamily>(family), emSize,
                                               style, static_cast<Gdiplus::Unit>(unit), &created);
    return TakeNative(status, created);
}

bool PlusFont::CreateFromStockFont() {
    LOGFONTA logFont{};
    if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont) == 0) return false;
    GpFont* created = nullptr;
    GpStatus status;
    {
        ScreenDC screen;
        status = gp::GdipCreateFontFromLogfontA(screen.Get(), &logFont, &created);
    }
    return TakeNative(status, created);
}

bool PlusFont::CreateFromFamilyName(const Text& familyName, float emSize, int style, int unit) {
    return CreateFromFamilyNameW(ToWideText(familyName), emSize, style, unit);
}

bool PlusFont::CreateFromFamilyNameW(const ByteSet& familyName, float emSize, int style, int unit) {
    PlusFontFamily family;
    {
        // An empty collection stands for the installed fonts.
        PlusFontCollection installed;
        family.CreateFromNameW(familyName, &installed);
    }
    GpFont* created = nullptr;
    const GpStatus status = gp::GdipCreateFont(NativeOf<Gdiplus::GpFontFamily>(family), emSize,
                                               style, static_cast<Gdiplus::Unit>(unit), &created);
    const bool ok = TakeNative(status, created);
    // The font keeps what it needs of the family; the family's release status is the last one.
    family.DeleteFontFamily();
    return ok;
}

bool PlusFont::CreateFromDC(HDC hdc) {
    GpFont* created = nullptr;
    const GpStatus status = gp::GdipCreateFontFromDC(hdc, &created);
    return TakeNative(status, created);
}

bool PlusFont::CreateFromDcFont(HDC hdc, HFONT hfont) {
    // Only a font handle describes a font: any other object would be read as a LOGFONTA.
    LOGFONTA logFont{};
    if (hfont && GetObjectType(hfont) == OBJ_FONT &&
        GetObjectA(hfont, sizeof(logFont), &logFont) != 0)
        return CreateFromLogfontA(hdc, &logFont);
    return CreateFromDC(hdc);
}

bool PlusFont::CreateFromLogfontA(HDC hdc, const LOGFONTA* logFont) {
    if (!logFont) return CreateFromDC(hdc);
    GpFont* created = nullptr;
    const GpStatus status = gp::GdipCreateFontFromLogfontA(hdc, logFont, &created);
    return TakeNative(status, created);
}

bool PlusFont::CreateFromLogfontW(HDC hdc, const LOGFONTW* logFont) {
    if (!logFont) return CreateFromDC(hdc);
    GpFont* created = nullptr;
    const GpStatus status = gp::GdipCreateFontFromLogfontW(hdc, logFont, &created);
    return TakeNative(status, created);
}

bool PlusFont::Clone(PlusFont& target) const {
    GpFont* created = nullptr;
    const GpStatus status = gp::GdipCloneFont(FontOf(*this), &created);
    return target.TakeNative(status, created);
}

bool PlusFont::GetLogFontA(const PlusGraphics& graphics, LOGFONTA& logFont) const {
    return Succeeded(gp::GdipGetLogFontA(FontOf(*this), GraphicsOf(graphics), &logFont));
}

bool PlusFont::GetLogFontW(const PlusGraphics& graphics, LOGFONTW& logFont) const {
    return Succeeded(gp::GdipGetLogFontW(FontOf(*this), GraphicsOf(graphics), &logFont));
}

bool PlusFont::GetFamily(PlusFontFamily& target) const {
    Gdiplus::GpFontFamily* created = nullptr;
    const GpStatus status = gp::GdipGetFamily(FontOf(*this), &created);
    return target.TakeNative(status, created);
}

int PlusFont::GetStyle() const {
    INT style = 0;
    Record(gp::GdipGetFontStyle(FontOf(*this), &style));
    return style;
}

float PlusFont::GetSize() const {
    float size = 0;
    Record(gp::GdipGetFontSize(FontOf(*this), &size));
    return size;
}

int PlusFont::GetUnit() const {
    Gdiplus::Unit unit{};
    Record(gp::GdipGetFontUnit(FontOf(*this), &unit));
    return static_cast<int>(unit);
}

float PlusFont::GetHeight(const PlusGraphics& graphics) const {
    float height = 0;
    Record(gp::GdipGetFontHeight(FontOf(*this), GraphicsOf(graphics), &height));
    return height;
}

float PlusFont::GetHeightGivenDPI(float dpi) const {
    float height = 0;
    Record(gp::GdipGetFontHeightGivenDPI(FontOf(*this), dpi, &height));
    return height;
}

} // namespace plus
