#include "skin/services/glyph_text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "plus/plus_font.h"
#include "plus/plus_graphics.h"

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

std::wstring Widen(const std::string& text) {
    const int units =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(units, 0)), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            units);
    return wide;
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
    const std::wstring wide = Widen(text);
    if (wide.size() > 4096) return false; // far wider than any box
    if (std::any_of(wide.begin(), wide.end(), NeedsFullLayout)) return false;

    // A sixth of the em size kept clear at each side of the line.
    const float margin = emSize_ / 6;
    const float room = box.width - 2 * margin;
    if (!(room >= 1) || !(box.height > 0)) return false;

    // Pointers to kept glyphs stay valid while glyphs are added, so the cache is only ever
    // emptied here, before the line's glyphs are looked up.
    if (glyphs_.size() + wide.size() > kMaxGlyphs) glyphs_.clear();
    std::vector<const Glyph*> line;
    line.reserve(wide.size());
    long long advance = 0;
    for (const wchar_t unit : wide) {
        const Glyph* glyph = Find(unit);
        if (!glyph) return false;
        line.push_back(glyph);
        advance += glyph->metrics.gmCellIncX;
    }
    // One pixel short of the room, so that a line GDI+ might break at the very edge is
    // always left to GDI+.
    if (advance + 1 > static_cast<long long>(room)) return false;

    // Where each glyph's coverage lands, and the rectangle they cover together.
    const int originX = RoundToPixel(box.x + margin);
    const int originY = RoundToPixel(box.y + static_cast<float>(ascent_));
    int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
    {
        int x = originX;
        for (const Glyph* glyph : line) {
            const GLYPHMETRICS& m = glyph->metrics;
            if (!glyph->coverage.empty()) {
                const int left = x + m.gmptGlyphOrigin.x;
                const int top = originY - m.gmptGlyphOrigin.y;
                minX = std::min(minX, left);
                minY = std::min(minY, top);
                maxX = std::max(maxX, left + static_cast<int>(m.gmBlackBoxX));
                maxY = std::max(maxY, top + static_cast<int>(m.gmBlackBoxY));
            }
            x += m.gmCellIncX;
        }
    }
    if (minX >= maxX || minY >= maxY) return true; // nothing but blanks

    // Glyphs reaching out of the box are left to GDI+, which decides whether to cut them.
    const RECT covered{minX, minY, maxX, maxY};
    if (static_cast<float>(covered.left) < box.x || static_cast<float>(covered.top) < box.y ||
        static_cast<float>(covered.right) > box.x + box.width ||
        static_cast<float>(covered.bottom) > box.y + box.height)
        return false;

    const int maskWidth = maxX - minX;
    const int maskHeight = maxY - minY;
    mask_.assign(static_cast<std::size_t>(maskWidth) * maskHeight, 0);
    {
        int x = originX;
        for (const Glyph* glyph : line) {
            const GLYPHMETRICS& m = glyph->metrics;
            const int width = static_cast<int>(m.gmBlackBoxX);
            const int left = x + m.gmptGlyphOrigin.x - minX;
            const int top = originY - m.gmptGlyphOrigin.y - minY;
            for (int row = 0; row < static_cast<int>(m.gmBlackBoxY) && !glyph->coverage.empty();
                 ++row) {
                const std::uint8_t* from = glyph->coverage.data() + row * width;
                std::uint8_t* to =
                    mask_.data() + static_cast<std::size_t>(top + row) * maskWidth + left;
                for (int column = 0; column < width; ++column)
                    to[column] = static_cast<std::uint8_t>(
                        std::min(kFullCoverage, to[column] + from[column]));
            }
            x += m.gmCellIncX;
        }
    }

    const PixelRows part = pixels.Part(covered);
    if (!part) return true;

    const std::uint32_t inkAlpha = ink >> 24;
    const plus::ARGB colour = ink & 0x00FFFFFF;
    for (int row = 0; row < part.height; ++row) {
        std::uint32_t* out = part.Row(row);
        const std::uint8_t* coverage = mask_.data() +
                                       static_cast<std::size_t>(part.top + row - minY) * maskWidth +
                                       (part.left - minX);
        for (int column = 0; column < part.width; ++column) {
            const std::uint32_t alpha = inkAlpha * coverage[column] / kFullCoverage;
            if (alpha == 0) continue;
            out[column] = BlendOver(out[column], alpha << 24 | colour);
        }
    }
    return true;
}

} // namespace skin
