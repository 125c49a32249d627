// The status panes draw their line from kept glyph coverage instead of asking GDI+ to rasterise
// every glyph again. The line must come out as GDI+'s DrawString draws it: each case is drawn
// once from the glyph cache and once by GDI+ over the same starting pixels, and the two
// pictures must agree pixel for pixel. Whatever needs more than a single near-aligned line is
// refused untouched, so the caller's GDI+ drawing takes over.
#include <windows.h>

#include <cstdint>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plus/plus_brush.h"
#include "plus/plus_font.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "plus/plus_string_format.h"
#include "skin/core/glyph_text.h"
#include "skin/services/direct_pixels.h"
#include "support/gdi_count.h"
#include "support/plus_fixture.h"

namespace {

constexpr int kPixelFormat32bppArgb = 0x0026200A;
constexpr int kUnitPoint = 3;
constexpr int kBold = 1;

using Picture = std::vector<std::uint32_t>;

// A block of pixels with a picture under the text: a colour ramp, opaque or half transparent.
struct Canvas {
    int width = 400;
    int height = 40;
    Picture pixels;

    explicit Canvas(std::uint32_t alpha = 0xFF) : pixels(static_cast<std::size_t>(400) * 40) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[static_cast<std::size_t>(y) * width + x] =
                    alpha << 24 | (x * 5 % 256) << 16 | (y * 6) << 8 | 0x90;
    }
    skin::PixelRows Rows() {
        return skin::PixelRows{reinterpret_cast<std::uint8_t*>(pixels.data()), width, height,
                               width * 4};
    }
};

// Runs `draw` with a GDI+ graphics over the canvas's pixels.
template <typename Draw> void WithGraphics(Canvas& canvas, const Draw& draw) {
    plus::PlusBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateFromScan0(canvas.width, canvas.height, canvas.width * 4,
                                       kPixelFormat32bppArgb,
                                       reinterpret_cast<BYTE*>(canvas.pixels.data())));
    plus::PlusGraphics graphics;
    ASSERT_TRUE(graphics.CreateFromImage(bitmap));
    draw(graphics);
}

void DrawWithGdiPlus(Canvas& canvas, const plus::PlusFont& font, const std::string& text,
                     const plus::RectF& box, plus::ARGB ink) {
    WithGraphics(canvas, [&](plus::PlusGraphics& graphics) {
        plus::PlusSolidBrush brush;
        brush.Create(ink);
        plus::PlusStringFormat format;
        format.Create();
        format.SetAlign(0);
        EXPECT_TRUE(graphics.DrawString(text, font, brush, box, &format));
    });
}

bool DrawFromGlyphs(skin::GlyphText& glyphs, Canvas& canvas, const plus::PlusFont& font,
                    const std::string& text, const plus::RectF& box, plus::ARGB ink) {
    bool drawn = false;
    WithGraphics(canvas, [&](plus::PlusGraphics& graphics) {
        drawn = glyphs.Draw(canvas.Rows(), graphics, font, text, box, ink);
    });
    return drawn;
}

// Empty when the pictures are equal; otherwise how many pixels differ and the first of them.
std::string Differences(const Picture& mine, const Picture& reference, int width) {
    int count = 0;
    std::ostringstream first;
    for (std::size_t i = 0; i < mine.size(); ++i) {
        if (mine[i] == reference[i]) continue;
        if (count++ == 0)
            first << "(" << i % width << ", " << i / width << ") glyphs " << std::hex << mine[i]
                  << " GDI+ " << reference[i];
    }
    return count ? std::to_string(count) + " pixels differ, first at " + first.str() : "";
}

struct FontCase {
    const char* family;
    float size;
    int style;
};

} // namespace

class GlyphTextTest : public testing_support::PlusTest {};

TEST_F(GlyphTextTest, LinesMatchGdiPlusDrawStringPixelForPixel) {
    const FontCase fonts[] = {{"宋体", 12, 0}, {"Tahoma", 11, kBold}, {"宋体", 17, 0}};
    const std::string texts[] = {
        "Oskimo：http://127.0.0.1:8931/      已使用次数：1234 次  ",
        "已使用次数：42 次",
        "Wavy jig, fox; AV Ty ff",
        "  leading and trailing blanks  ",
        "x",
        "",
    };
    const plus::RectF boxes[] = {{3, 4, 370, 16}, {10.5f, 2.25f, 380, 30}, {0, 0, 400, 40}};
    const plus::ARGB inks[] = {0xFF000000, 0xFFFFFFFF, 0x80FF2040};
    // One cache for every case, as a window keeps one: a change of font must not reuse the
    // glyphs of the one before.
    skin::GlyphText glyphs;
    int drawn = 0, refused = 0;
    for (const FontCase& f : fonts) {
        plus::PlusFont font;
        ASSERT_TRUE(font.CreateFromFamilyName(f.family, f.size, f.style, plus::UnitPixel));
        for (std::size_t t = 0; t < std::size(texts); ++t) {
            for (const plus::RectF& box : boxes) {
                for (const plus::ARGB ink : inks) {
                    for (const std::uint32_t alpha : {0xFFu, 0x80u}) {
                        SCOPED_TRACE("font size " + std::to_string(f.size) + " text " +
                                     std::to_string(t) + " box x " + std::to_string(box.x) +
                                     " ink " + std::to_string(ink) + " under alpha " +
                                     std::to_string(alpha));
                        Canvas mine(alpha), reference(alpha);
                        const Picture before = mine.pixels;
                        DrawWithGdiPlus(reference, font, texts[t], box, ink);
                        if (DrawFromGlyphs(glyphs, mine, font, texts[t], box, ink)) {
                            ++drawn;
                            EXPECT_EQ(Differences(mine.pixels, reference.pixels, mine.width), "");
                            continue;
                        }
                        // Refused only when the line needs more room than the box has.
                        ++refused;
                        EXPECT_EQ(mine.pixels, before);
                        plus::RectF measured{};
                        WithGraphics(mine, [&](plus::PlusGraphics& graphics) {
                            graphics.MeasureString(texts[t], font, plus::RectF{0, 0, 2000, 100},
                                                   nullptr, measured);
                        });
                        EXPECT_TRUE(measured.width + 1 > box.width || measured.height > box.height)
                            << "a line that fits was refused";
                    }
                }
            }
        }
    }
    // Of the 324 cases the long line in the two larger fonts (36) is wider than its boxes;
    // everything else is drawn from the cache.
    EXPECT_EQ(drawn, 288);
    EXPECT_EQ(refused, 36);
}

TEST_F(GlyphTextTest, TextNeedingMoreThanOneLineIsLeftToGdiPlusUntouched) {
    plus::PlusFont font;
    ASSERT_TRUE(font.CreateFromFamilyName("宋体", 12, 0, plus::UnitPixel));
    plus::PlusFont points;
    ASSERT_TRUE(points.CreateFromFamilyName("宋体", 9, 0, kUnitPoint));
    plus::PlusFont none;
    std::string wide;
    for (int i = 0; i < 12; ++i)
        wide += "已使用次数";
    struct Refused {
        const char* why;
        const plus::PlusFont& font;
        std::string text;
        plus::RectF box;
    };
    const Refused cases[] = {
        {"wider than the box", font, wide, {3, 4, 200, 16}},
        {"as wide as the box", font, "MMMMMMMMMM", {3, 4, 10 * 6 + 4, 16}},
        {"line break", font, "已使用\n次数", {3, 4, 370, 30}},
        {"carriage return", font, "a\rb", {3, 4, 370, 30}},
        {"tab", font, "a\tb", {3, 4, 370, 16}},
        {"box narrower than its margins", font, "x", {3, 4, 4, 16}},
        {"zero-height box", font, "x", {3, 4, 370, 0}},
        {"font sized in points", points, "x", {3, 4, 370, 16}},
        {"no font", none, "x", {3, 4, 370, 16}},
    };
    skin::GlyphText glyphs;
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.why);
        Canvas canvas;
        const Picture before = canvas.pixels;
        EXPECT_FALSE(DrawFromGlyphs(glyphs, canvas, c.font, c.text, c.box, 0xFF000000));
        EXPECT_EQ(canvas.pixels, before);
    }
    // A string GDI+ may end at the box's edge is refused: the line must fit one pixel short.
    Canvas probe;
    plus::RectF measured{};
    WithGraphics(probe, [&](plus::PlusGraphics& graphics) {
        EXPECT_TRUE(graphics.MeasureString("MMMMMMMMMM", font, plus::RectF{0, 0, 1000, 100},
                                           nullptr, measured));
    });
    EXPECT_GT(measured.width, 10 * 6 + 4) << "the 'as wide as the box' case needs a wider box";
}

TEST_F(GlyphTextTest, CacheStaysBoundedAndHoldsOnlyItsFont) {
    plus::PlusFont font;
    ASSERT_TRUE(font.CreateFromFamilyName("宋体", 12, 0, plus::UnitPixel));
    skin::GlyphText glyphs;
    Canvas canvas;
    ASSERT_TRUE(DrawFromGlyphs(glyphs, canvas, font, "warm", {3, 4, 370, 16}, 0xFF000000));
    const int gdiBaseline = testing_support::GdiObjectCount();
    const int plusBaseline = plus::LiveObjectCount();

    // 3,000 different CJK ideographs, ten to a line: far more glyphs than the cache keeps.
    const auto ideograph = [](int i) {
        const wchar_t unit = static_cast<wchar_t>(0x4E00 + i);
        char bytes[8] = {};
        const int length =
            WideCharToMultiByte(CP_ACP, 0, &unit, 1, bytes, sizeof bytes, nullptr, nullptr);
        return std::string(bytes, static_cast<std::size_t>(length > 0 ? length : 0));
    };
    std::size_t most = 0;
    for (int line = 0; line < 300; ++line) {
        std::string text;
        for (int i = 0; i < 10; ++i)
            text += ideograph(line * 10 + i);
        EXPECT_TRUE(DrawFromGlyphs(glyphs, canvas, font, text, {3, 4, 370, 16}, 0xFF000000));
        most = std::max(most, glyphs.GlyphCount());
    }
    EXPECT_LE(most, skin::GlyphText::kMaxGlyphs);
    EXPECT_GT(most, skin::GlyphText::kMaxGlyphs / 2);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBaseline);
    EXPECT_EQ(plus::LiveObjectCount(), plusBaseline);

    // A copy starts empty and the original keeps working.
    skin::GlyphText copy = glyphs;
    EXPECT_EQ(copy.GlyphCount(), 0u);
    EXPECT_TRUE(DrawFromGlyphs(glyphs, canvas, font, "again", {3, 4, 370, 16}, 0xFF000000));
}
