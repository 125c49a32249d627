// PlusFont: a GDI+ font, made from a family and size, from a family name, from a GDI font or
// device context, or from the stock GUI font.
#pragma once

#include "plus/plus_object.h"

namespace plus {

class PlusFontFamily;
class PlusGraphics;

class PlusFont : public PlusObject {
public:
    PlusFont() = default;
    PlusFont(PlusFont&& other) noexcept;
    PlusFont& operator=(PlusFont&& other) noexcept;
    ~PlusFont() override;

    void AttachNative(NativeHandle h) override { native_ = h; }

    // Releases the font; false without a GDI+ call when none is held.
    bool DeleteFont();
    // style: GDI+ FontStyle bits; unit: GDI+ Unit (0 world).
    bool CreateFont(const PlusFontFamily& family, float emSize, int style = 0, int unit = 0);
    // The system's default GUI font as the screen renders it. False without touching
    // LastStatus() when the stock font cannot be read.
    bool CreateFromStockFont();
    // Looks the family up among the installed fonts (name in code page 936), makes the font
    // and lets the family go again. A name that is not installed fails (InvalidParameter).
    bool CreateFromFamilyName(const Text& familyName, float emSize, int style = 0, int unit = 0);
    // As CreateFromFamilyName with a UTF-16LE name.
    bool CreateFromFamilyNameW(const ByteSet& familyName, float emSize, int style = 0,
                               int unit = 0);
    // The font selected into `hdc`.
    bool CreateFromDC(HDC hdc);
    // The GDI font `hfont` rendered on `hdc`; without a font handle (or when it is not a font
    // or cannot be read) the font selected into `hdc`.
    bool CreateFromDcFont(HDC hdc, HFONT hfont = nullptr);
    // The described font, or without a description the font selected into `hdc`.
    bool CreateFromLogfontA(HDC hdc, const LOGFONTA* logFont = nullptr);
    bool CreateFromLogfontW(HDC hdc, const LOGFONTW* logFont = nullptr);
    bool Clone(PlusFont& target) const;
    bool GetLogFontA(const PlusGraphics& graphics, LOGFONTA& logFont) const;
    bool GetLogFontW(const PlusGraphics& graphics, LOGFONTW& logFont) const;
    // Gives `target` the font's family (a new family the caller deletes with DeleteFontFamily).
    bool GetFamily(PlusFontFamily& target) const;
    int GetStyle() const;
    float GetSize() const;
    int GetUnit() const;
    float GetHeight(const PlusGraphics& graphics) const;
    float GetHeightGivenDPI(float dpi) const;

    NativeHandle Native() const { return native_; }

protected:
    bool ReleaseHeld() override { return DeleteFont(); }

private:
    NativeHandle native_ = nullptr;
};

} // namespace plus
