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

PLUS_WRAPPER_MOVES_AND_DESTRUCTOR(PlusFont, DeleteFont)

bool PlusFont::DeleteFont() {
    return ReleaseNative(*this, native_, [&] { return gp::GdipDeleteFont(FontOf(*this)); });
}

bool PlusFont::CreateFont(const PlusFontFamily& family, float emSize, int style, int unit) {
    return CreateNative<GpFont>(*this, [&](GpFont** out) {
        return gp::GdipCreateFont(NativeOf<Gdiplus::GpFontFamily>(family), emSize, style,
                                  static_cast<Gdiplus::Unit>(unit), out);
    });
}

bool PlusFont::CreateFromStockFont() {
    LOGFONTA logFont{};
    if (GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont) == 0) return false;
    return CreateNative<GpFont>(*this, [&](GpFont** out) {
        ScreenDC screen;
        return gp::GdipCreateFontFromLogfontA(screen.Get(), &logFont, out);
    });
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
    const bool ok = CreateNative<GpFont>(*this, [&](GpFont** out) {
        return gp::GdipCreateFont(NativeOf<Gdiplus::GpFontFamily>(family), emSize, style,
                                  static_cast<Gdiplus::Unit>(unit), out);
    });
    // The font keeps what it needs of the family; the family's release status is the last one.
    family.DeleteFontFamily();
    return ok;
}

bool PlusFont::CreateFromDC(HDC hdc) {
    return CreateNative<GpFont>(*this,
                                [&](GpFont** out) { return gp::GdipCreateFontFromDC(hdc, out); });
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
    return CreateNative<GpFont>(
        *this, [&](GpFont** out) { return gp::GdipCreateFontFromLogfontA(hdc, logFont, out); });
}

bool PlusFont::CreateFromLogfontW(HDC hdc, const LOGFONTW* logFont) {
    if (!logFont) return CreateFromDC(hdc);
    return CreateNative<GpFont>(
        *this, [&](GpFont** out) { return gp::GdipCreateFontFromLogfontW(hdc, logFont, out); });
}

bool PlusFont::Clone(PlusFont& target) const {
    return CreateNative<GpFont>(
        target, [&](GpFont** out) { return gp::GdipCloneFont(FontOf(*this), out); });
}

bool PlusFont::GetLogFontA(const PlusGraphics& graphics, LOGFONTA& logFont) const {
    return Succeeded(gp::GdipGetLogFontA(FontOf(*this), GraphicsOf(graphics), &logFont));
}

bool PlusFont::GetLogFontW(const PlusGraphics& graphics, LOGFONTW& logFont) const {
    return Succeeded(gp::GdipGetLogFontW(FontOf(*this), GraphicsOf(graphics), &logFont));
}

bool PlusFont::GetFamily(PlusFontFamily& target) const {
    return CreateNative<Gdiplus::GpFontFamily>(
        target, [&](Gdiplus::GpFontFamily** out) { return gp::GdipGetFamily(FontOf(*this), out); });
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
