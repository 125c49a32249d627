// One line of text drawn from glyph coverage kept between calls.
//
// A software GDI+ rasterises every glyph of a string on every DrawString (about 10 µs a glyph),
// which makes the text the dearest part of a status-pane update: a pane counting up repaints
// the same forty glyphs again and again. GlyphText lays a single line out the way that GDI+
// lays out a near-aligned string in a rectangle and draws it from the glyphs' 65-level coverage,
// each glyph rasterised once:
//   - the GDI font GDI+ selects for the font: the font's logical font at the em size in pixels,
//     made again with the average character width that font reports;
//   - the first glyph's origin at the rectangle's left plus a sixth of the em size, on the
//     baseline the font's ascent below the rectangle's top, rounded to whole pixels;
//   - each next origin one cell increment further;
//   - the coverage of overlapping glyphs added up to at most full, the ink's alpha scaled by it
//     and laid over the pixels.
// Text that needs more of the layout (it does not fit on one line, it holds a control
// character or a surrogate pair, a glyph reaches out of the box, its font is not sized in
// pixels) is left to GDI+. Layout and coverage are those of the software GDI+ the program is
// tested on; a GDI+ with a rasteriser of its own (hinting, ClearType) draws its text a little
// differently from this.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "plus/plus_object.h"
#include "skin/core/gdi_owners.h"

namespace plus {
class PlusFont;
class PlusGraphics;
} // namespace plus

namespace skin {

struct PixelRows; // skin/services/direct_pixels.h

// Declared here because a window record keeps one for its status panes; the code is in
// skin/services/glyph_text.cpp, beside the pixel access it draws with.
class GlyphText {
public:
    // Glyphs kept at most; past this the cache starts again (a window fed endless new
    // characters keeps a bounded cache).
    static constexpr std::size_t kMaxGlyphs = 1024;

    GlyphText() = default;
    // A copy starts empty: the font and glyphs are made again on first use.
    GlyphText(const GlyphText&) {}
    GlyphText& operator=(const GlyphText&) {
        Forget();
        return *this;
    }
    GlyphText(GlyphText&&) noexcept = default;
    GlyphText& operator=(GlyphText&&) noexcept = default;

    // Draws `text` (system ANSI code page) in `ink` over `pixels`, where `graphics` would have
    // drawn it with DrawString(text, font, solid brush, box, near-aligned format); only pixels
    // inside `box` change. False, with nothing drawn, when the text needs GDI+'s own layout;
    // the caller then draws it with GDI+.
    bool Draw(const PixelRows& pixels, const plus::PlusGraphics& graphics,
              const plus::PlusFont& font, const std::string& text, const plus::RectF& box,
              plus::ARGB ink);

    // Glyphs held now.
    std::size_t GlyphCount() const { return glyphs_.size(); }

private:
    struct Glyph {
        GLYPHMETRICS metrics{};
        std::vector<std::uint8_t> coverage; // gmBlackBoxX x gmBlackBoxY, 0..64, no gaps
    };

    void Forget();
    bool UseFont(const plus::PlusGraphics& graphics, const plus::PlusFont& font);
    const Glyph* Find(wchar_t unit);

    LOGFONTW asked_{}; // the logical font GDI+ reported, the key of what is kept
    float emSize_ = 0; // pixels
    gdi::Font font_;   // the GDI font GDI+ draws with
    int ascent_ = 0;
    std::unordered_map<wchar_t, Glyph> glyphs_;
    std::vector<std::uint8_t> mask_; // scratch: the line's summed coverage
};

} // namespace skin
