#include "skin/core/glyph_text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string_view>

#include "plus/plus_font.h"
#include "plus/plus_graphics.h"
#include "skin/services/direct_pixels.h"

namespace skin {

namespace {

constexpr int kFullCoverage = 64; // GGO_GRAY8_BITMAP levels run 0..64
constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

// Rounds as GDI+ rounds coordinates to pixels: halves go up.
int RoundToPixel(float value) {
    return static_cast<int>(std::floor(value + 0.5f));
}

bool SameLogFont(const LOGFONTW& a, const LOGFONTW& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Line breaks, tabs and other controls, and the halves of surrogate pairs, go through GDI+'s
// full layout.
bool NeedsFullLayout(wchar_t unit) {
    return unit < 0x20 || unit == 0x7F || (unit >= 0xD800 && unit <= 0xDFFF);
}

} // namespace

void GlyphText::Forget() {
    asked_ = LOGFONTW{};
    emSize_ = 0;
    font_.reset();
    ascent_ = 0;
    glyphs_.clear();
}

bool GlyphText::UseFont(const plus::PlusGraphics& graphics, const plus::PlusFont& font) {
    if (!font.GetHandle() || font.GetUnit() != plus::UnitPixel) return false;
    const float emSize = font.GetSize();
    LOGFONTW asked{};
    if (!(emSize > 0) || !font.GetLogFontW(graphics, asked)) return false;
    if (font_ && emSize == emSize_ && SameLogFont(asked, asked_)) return true;

    Forget();
    // The font at the em size, then again with the average width that font has: the GDI font
    // GDI+ selects to draw with.
    LOGFONTW logFont = asked;
    logFont.lfHeight = -RoundToPixel(emSize);
    logFont.lfWidth = 0;
    gdi::MemoryDC dc = gdi::MemoryDC::Create();
    if (!dc) return false;
    TEXTMETRICW metrics{};
    {
        gdi::Font unscaled(CreateFontIndirectW(&logFont));
        if (!unscaled) return false;
        gdi::Selection selected(dc.get(), unscaled.get());
        if (!GetTextMetricsW(dc.get(), &metrics)) return false;
    }
    logFont.lfWidth = metrics.tmAveCharWidth;
    gdi::Font drawn(CreateFontIndirectW(&logFont));
    if (!drawn) return false;
    {
        gdi::Selection selected(dc.get(), drawn.get());
        if (!GetTextMetricsW(dc.get(), &metrics)) return false;
    }
    asked_ = asked;
    emSize_ = emSize;
    font_ = std::move(drawn);
    ascent_ = metrics.tmAscent;
    return true;
}

const GlyphText::Glyph* GlyphText::Find(wchar_t unit) {
    if (const auto found = glyphs_.find(unit); found != glyphs_.end()) return &found->second;

    gdi::MemoryDC dc = gdi::MemoryDC::Create();
    if (!dc) return nullptr;
    gdi::Selection selected(dc.get(), font_.get());
    Glyph glyph;
    const DWORD size =
        GetGlyphOutlineW(dc.get(), unit, GGO_GRAY8_BITMAP, &glyph.metrics, 0, nullptr, &kIdentity);
    if (size == GDI_ERROR) return nullptr;
    if (size != 0) {
        // Rows come padded to four bytes; the glyph keeps them packed.
        std::vector<std::uint8_t> rows(size);
        if (GetGlyphOutlineW(dc.get(), unit, GGO_GRAY8_BITMAP, &glyph.metrics, size, rows.data(),
                             &kIdentity) == GDI_ERROR)
            return nullptr;
        const std::size_t width = glyph.metrics.gmBlackBoxX;
        const std::size_t height = glyph.metrics.gmBlackBoxY;
        const std::size_t stride = (width + 3) & ~std::size_t{3};
        if (stride * height > rows.size()) return nullptr;
        glyph.coverage.resize(width * height);
        for (std::size_t y = 0; y < height; ++y)
            std::copy_n(rows.data() + y * stride, width, glyph.coverage.data() + y * width);
    }
    return &glyphs_.emplace(unit, std::move(glyph)).first->second;
}

bool GlyphText::Draw(const PixelRows& pixels, const plus::PlusGraphics& graphics,
                     const plus::PlusFont& font, const std::string& text, const plus::RectF& box,
                     plus::ARGB ink) {
    if (!pixels || !UseFont(graphics, font)) return false;
    // The same UTF-16 units DrawString is given.
    const plus::ByteSet units = plus::ToWideText(text);
    const std::wstring_view wide(reinterpret_cast<const wchar_t*>(units.data()),
                                 units.size() / sizeof(wchar_t) - 1);
    if (wide.size() > 4096) return false; // far wider than any box
    if (std::any_of(wide.begin(), wide.end(), NeedsFullLayout)) return false;

    // A sixth of the em size kept clear at each side of the line.
    const float margin = emSize_ / 6;
    const float room = box.width - 2 * margin;
    if (!(room >= 1) || !(box.height > 0)) return false;

    // Pointers to kept glyphs stay valid while glyphs are added, so the cache is only ever
    // emptied here, before the line's glyphs are looked up.
    if (glyphs_.size() + wide.size() > kMaxGlyphs) glyphs_.clear();

    // Each glyph's origin is one cell increment past the one before; where its coverage lands
    // is kept for the glyphs that have any.
    struct Placed {
        const Glyph* glyph;
        int left;
        int top;
    };
    std::vector<Placed> placed;
    placed.reserve(wide.size());
    const int originY = RoundToPixel(box.y + static_cast<float>(ascent_));
    const int originX = RoundToPixel(box.x + margin);
    long long x = originX;
    for (const wchar_t unit : wide) {
        const Glyph* glyph = Find(unit);
        if (!glyph) return false;
        const GLYPHMETRICS& m = glyph->metrics;
        if (!glyph->coverage.empty())
            placed.push_back(
                {glyph, static_cast<int>(x) + m.gmptGlyphOrigin.x, originY - m.gmptGlyphOrigin.y});
        x += m.gmCellIncX;
    }
    // One pixel short of the room, so that a line GDI+ might break at the very edge is
    // always left to GDI+.
    if (x - originX + 1 > static_cast<long long>(room)) return false;
    if (placed.empty()) return true; // nothing but blanks

    RECT covered{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (const Placed& p : placed) {
        covered.left = std::min<LONG>(covered.left, p.left);
        covered.top = std::min<LONG>(covered.top, p.top);
        covered.right =
            std::max<LONG>(covered.right, p.left + static_cast<LONG>(p.glyph->metrics.gmBlackBoxX));
        covered.bottom =
            std::max<LONG>(covered.bottom, p.top + static_cast<LONG>(p.glyph->metrics.gmBlackBoxY));
    }
    // Glyphs reaching out of the box are left to GDI+, which decides whether to cut them.
    if (static_cast<float>(covered.left) < box.x || static_cast<float>(covered.top) < box.y ||
        static_cast<float>(covered.right) > box.x + box.width ||
        static_cast<float>(covered.bottom) > box.y + box.height)
        return false;

    // The line's coverage: overlapping glyphs add up, to full coverage at most.
    const int maskWidth = covered.right - covered.left;
    const int maskHeight = covered.bottom - covered.top;
    mask_.assign(static_cast<std::size_t>(maskWidth) * maskHeight, 0);
    for (const Placed& p : placed) {
        const int width = static_cast<int>(p.glyph->metrics.gmBlackBoxX);
        const int height = static_cast<int>(p.glyph->metrics.gmBlackBoxY);
        for (int row = 0; row < height; ++row) {
            const std::uint8_t* from = p.glyph->coverage.data() + row * width;
            std::uint8_t* to = mask_.data() +
                               static_cast<std::size_t>(p.top - covered.top + row) * maskWidth +
                               (p.left - covered.left);
            for (int column = 0; column < width; ++column)
                to[column] =
                    static_cast<std::uint8_t>(std::min(kFullCoverage, to[column] + from[column]));
        }
    }

    const PixelRows part = pixels.Part(covered);
    if (!part) return true;

    const std::uint32_t inkAlpha = ink >> 24;
    const plus::ARGB colour = ink & 0x00FFFFFF;
    for (int row = 0; row < part.height; ++row) {
        std::uint32_t* out = part.Row(row);
        const std::uint8_t* coverage =
            mask_.data() + static_cast<std::size_t>(part.top + row - covered.top) * maskWidth +
            (part.left - covered.left);
        for (int column = 0; column < part.width; ++column) {
            const std::uint32_t alpha = inkAlpha * coverage[column] / kFullCoverage;
            if (alpha == 0) continue;
            out[column] = BlendOver(out[column], alpha << 24 | colour);
        }
    }
    return true;
}

} // namespace skin
