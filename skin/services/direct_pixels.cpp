#include "skin/services/direct_pixels.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "plus/plus_region.h"
#include "skin/core/gdi_owners.h"

namespace skin {

namespace {

std::uint32_t Channel(plus::ARGB colour, int shift) {
    return (colour >> shift) & 0xFF;
}

// `rect` cut to the block, in block coordinates; false when nothing is left.
bool ClipToPixels(const PixelRows& pixels, RECT& rect) {
    rect.left = std::max<LONG>(rect.left - pixels.left, 0);
    rect.top = std::max<LONG>(rect.top - pixels.top, 0);
    rect.right = std::min<LONG>(rect.right - pixels.left, pixels.width);
    rect.bottom = std::min<LONG>(rect.bottom - pixels.top, pixels.height);
    return rect.left < rect.right && rect.top < rect.bottom;
}

// Lays `colour` over pixels [left, right) of one row. Opaque colours are written, transparent
// ones leave the row alone, and over an opaque row (the usual case: every composition starts
// with an opaque clear) the blend is done without a division by the result's alpha.
void BlendRow(std::uint32_t* row, LONG left, LONG right, plus::ARGB colour) {
    const std::uint32_t a = colour >> 24;
    if (a == 0) return;
    if (a == 0xFF) {
        std::fill(row + left, row + right, colour);
        return;
    }
    const std::uint32_t r = Channel(colour, 16) * a;
    const std::uint32_t g = Channel(colour, 8) * a;
    const std::uint32_t b = Channel(colour, 0) * a;
    const std::uint32_t rest = 0xFF - a;
    LONG x = left;
#if defined(__SSE2__)
    // Four opaque pixels at a time: each channel (c * a + d * (255 - a)) / 255 in a 16-bit lane
    // (at most 65025), divided exactly as (v + 1 + (v >> 8)) >> 8. A group holding any pixel
    // that is not opaque is left to the loop below.
    const __m128i zero = _mm_setzero_si128();
    const __m128i ink =
        _mm_set_epi16(0, static_cast<short>(r), static_cast<short>(g), static_cast<short>(b), 0,
                      static_cast<short>(r), static_cast<short>(g), static_cast<short>(b));
    const __m128i keep = _mm_set1_epi16(static_cast<short>(rest));
    const __m128i one = _mm_set1_epi16(1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const auto over = [&](__m128i d) {
        const __m128i v = _mm_add_epi16(ink, _mm_mullo_epi16(d, keep));
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(v, one), _mm_srli_epi16(v, 8)), 8);
    };
    for (; x + 4 <= right; x += 4) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(d, opaque), opaque)) != 0xFFFF) break;
        const __m128i mixed =
            _mm_packus_epi16(over(_mm_unpacklo_epi8(d, zero)), over(_mm_unpackhi_epi8(d, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), _mm_or_si128(mixed, opaque));
    }
#endif
    for (; x < right; ++x) {
        const std::uint32_t dst = row[x];
        if (dst >> 24 != 0xFF) {
            row[x] = BlendOver(dst, colour);
            continue;
        }
        row[x] = 0xFF000000u | (r + Channel(dst, 16) * rest) / 0xFF << 16 |
                 (g + Channel(dst, 8) * rest) / 0xFF << 8 | (b + Channel(dst, 0) * rest) / 0xFF;
    }
}

} // namespace

PixelRows PixelRows::Part(const RECT& area) const {
    RECT part = area;
    if (!bits || !ClipToPixels(*this, part)) return {};
    return PixelRows{bits + static_cast<std::ptrdiff_t>(part.top) * stride + part.left * 4,
                     static_cast<int>(part.right - part.left),
                     static_cast<int>(part.bottom - part.top),
                     stride,
                     left + static_cast<int>(part.left),
                     top + static_cast<int>(part.top)};
}

PixelRows PixelRowsOf(HBITMAP bitmap) {
    DIBSECTION section{};
    if (!bitmap || GetObjectA(bitmap, sizeof section, &section) != sizeof section) return {};
    if (!section.dsBm.bmBits || section.dsBm.bmBitsPixel != 32) return {};
    GdiFlush(); // pending GDI drawing lands before the pixels are touched
    return PixelRows{static_cast<std::uint8_t*>(section.dsBm.bmBits), section.dsBm.bmWidth,
                     section.dsBm.bmHeight, section.dsBm.bmWidthBytes};
}

gdi::Region PathRegion(const plus::PlusPath& path, const plus::PlusGraphics& graphics) {
    plus::PlusRegion region;
    if (!region.CreateFromPath(path)) return gdi::Region();
    return gdi::Region(region.GetHRGN(graphics));
}

std::vector<RECT> RegionRects(HRGN region) {
    if (!region) return {};
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) return {};
    std::vector<std::uint8_t> data(size);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    if (GetRegionData(region, size, header) != size) return {};
    const RECT* rects = reinterpret_cast<const RECT*>(header->Buffer);
    return std::vector<RECT>(rects, rects + header->rdh.nCount);
}

plus::ARGB BlendOver(plus::ARGB dst, plus::ARGB src) {
    const std::uint32_t a = src >> 24;
    if (a == 0xFF) return src;
    if (a == 0) return dst;
    if (dst >> 24 == 0xFF) { // an opaque destination stays opaque: no division by the alpha
        const auto over = [&](int shift) {
            return (Channel(src, shift) * a + Channel(dst, shift) * (0xFF - a)) / 0xFF;
        };
        return 0xFF000000u | over(16) << 16 | over(8) << 8 | over(0);
    }
    const std::uint32_t below = (dst >> 24) * (0xFF - a) / 0xFF;
    const std::uint32_t total = a + below;
    if (total == 0) return 0;
    const auto mix = [&](int shift) {
        return (Channel(src, shift) * a + Channel(dst, shift) * below) / total;
    };
    return total << 24 | mix(16) << 16 | mix(8) << 8 | mix(0);
}

plus::ARGB GradientColour(plus::ARGB from, plus::ARGB to, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    // The colours mix weighted by their alphas (premultiplied), as GDI+ mixes them: a
    // transparent end does not tint the other end's colour.
    const float fromWeight = static_cast<float>(from >> 24) * (1 - t);
    const float toWeight = static_cast<float>(to >> 24) * t;
    const float alpha = fromWeight + toWeight;
    if (alpha <= 0) return 0;
    plus::ARGB colour = static_cast<std::uint32_t>(alpha) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const float mixed = (static_cast<float>(Channel(from, shift)) * fromWeight +
                             static_cast<float>(Channel(to, shift)) * toWeight) /
                            alpha;
        colour |= std::min(static_cast<std::uint32_t>(mixed), 0xFFu) << shift;
    }
    return colour;
}

void FillSpans(const PixelRows& pixels, const std::vector<RECT>& spans, plus::ARGB colour) {
    for (RECT span : spans) {
        if (!ClipToPixels(pixels, span)) continue;
        for (LONG y = span.top; y < span.bottom; ++y)
            std::fill(pixels.Row(y) + span.left, pixels.Row(y) + span.right, colour);
    }
}

void BlendVerticalGradient(const PixelRows& pixels, const RECT& area, float top, float bottom,
                           plus::ARGB from, plus::ARGB to, const std::vector<RECT>* spans) {
    const float length = bottom - top;
    const auto paint = [&](RECT part) {
        if (!ClipToPixels(pixels, part)) return;
        for (LONG y = part.top; y < part.bottom; ++y) {
            const float imageY = static_cast<float>(y + pixels.top);
            const float t = length != 0 ? (imageY - top) / length : 0.0f;
            BlendRow(pixels.Row(y), part.left, part.right, GradientColour(from, to, t));
        }
    };
    if (!spans) {
        paint(area);
        return;
    }
    for (const RECT& span : *spans) {
        RECT part{};
        if (IntersectRect(&part, &span, &area)) paint(part);
    }
}

namespace {

// Where each of `count` destination pixels samples a line of `sourceCount` picture pixels:
// the two neighbours and the weight (0..256) of the second.
struct Taps {
    std::vector<int> first, second, weight;
};

Taps TapsFor(int count, int sourceCount, int reach) {
    Taps taps;
    taps.first.resize(static_cast<std::size_t>(count));
    taps.second.resize(static_cast<std::size_t>(count));
    taps.weight.resize(static_cast<std::size_t>(count));
    const double scale = static_cast<double>(sourceCount) / count;
    for (int i = 0; i < count; ++i) {
        const double at = std::clamp((i + 0.5) * scale - 0.5, 0.0, sourceCount - 1.0);
        const int first = static_cast<int>(at);
        const auto k = static_cast<std::size_t>(i);
        taps.first[k] = first;
        taps.second[k] = std::min(first + 1, sourceCount - 1);
        taps.weight[k] = static_cast<int>((at - first) * 256 + 0.5);
    }
    // Past `count` the picture is laid again mirrored, then straight, and so on.
    for (int i = count; i < reach; ++i) {
        const int turn = i % (2 * count);
        const auto from = static_cast<std::size_t>(turn < count ? turn : 2 * count - 1 - turn);
        taps.first.push_back(taps.first[from]);
        taps.second.push_back(taps.second[from]);
        taps.weight.push_back(taps.weight[from]);
    }
    return taps;
}

// a and b mixed, b weighted w of 256, channels two at a time (red and blue, alpha and green),
// rounded.
std::uint32_t MixPairs(std::uint32_t a, std::uint32_t b, std::uint32_t w) {
    const std::uint32_t rb =
        (((a & 0xFF00FF) * (256 - w) + (b & 0xFF00FF) * w + 0x800080) >> 8) & 0xFF00FF;
    const std::uint32_t ag =
        ((((a >> 8) & 0xFF00FF) * (256 - w) + ((b >> 8) & 0xFF00FF) * w + 0x800080) >> 8) &
        0xFF00FF;
    return rb | (ag << 8);
}

// A picture row stretched across: each pixel the weighted mean of its two taps. True when
// every pixel of it is opaque.
bool StretchRow(const std::uint32_t* source, const Taps& columns, std::uint32_t* out,
                std::size_t from, std::size_t count) {
    std::uint32_t alphas = 0xFF000000u;
    std::size_t i = from;
#if defined(__SSE2__)
    // Four pixels at a time, each with its own taps and weight: the same sums as MixPairs, in
    // 16-bit lanes (a * (256 - w) + b * w + 128 stays under 65536).
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i full = _mm_set1_epi16(256);
    __m128i together = _mm_set1_epi32(-1);
    const int* first = columns.first.data();
    const int* second = columns.second.data();
    const int* weight = columns.weight.data();
    const auto mix = [&](__m128i a, __m128i b, __m128i w) {
        const __m128i sum = _mm_add_epi16(
            _mm_add_epi16(_mm_mullo_epi16(a, _mm_sub_epi16(full, w)), _mm_mullo_epi16(b, w)), half);
        return _mm_srli_epi16(sum, 8);
    };
    for (; i + 4 <= count; i += 4) {
        const __m128i a = _mm_set_epi32(
            static_cast<int>(source[first[i + 3]]), static_cast<int>(source[first[i + 2]]),
            static_cast<int>(source[first[i + 1]]), static_cast<int>(source[first[i]]));
        const __m128i b = _mm_set_epi32(
            static_cast<int>(source[second[i + 3]]), static_cast<int>(source[second[i + 2]]),
            static_cast<int>(source[second[i + 1]]), static_cast<int>(source[second[i]]));
        const auto lanes = [](int w0, int w1) {
            return _mm_set_epi16(static_cast<short>(w1), static_cast<short>(w1),
                                 static_cast<short>(w1), static_cast<short>(w1),
                                 static_cast<short>(w0), static_cast<short>(w0),
                                 static_cast<short>(w0), static_cast<short>(w0));
        };
        const __m128i low = mix(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero),
                                lanes(weight[i], weight[i + 1]));
        const __m128i high = mix(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero),
                                 lanes(weight[i + 2], weight[i + 3]));
        const __m128i mixed = _mm_packus_epi16(low, high);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), mixed);
        together = _mm_and_si128(together, mixed);
    }
    alphas &= static_cast<std::uint32_t>(_mm_cvtsi128_si32(together)) &
              static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(together, 4))) &
              static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(together, 8))) &
              static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(together, 12)));
#endif
    for (; i < count; ++i) {
        out[i] = MixPairs(source[columns.first[i]], source[columns.second[i]],
                          static_cast<std::uint32_t>(columns.weight[i]));
        alphas &= out[i];
    }
    return alphas == 0xFF000000u;
}

// Pixels [from, to) of two opaque stretched rows mixed into `out`, the lower one weighted w of
// 256: what MixPairs gives, four pixels at a time where the processor has SSE2.
void MixOpaqueRows(const std::uint32_t* upper, const std::uint32_t* lower, std::uint32_t w,
                   std::uint32_t* out, LONG from, LONG to) {
    if (w == 0) {
        std::memcpy(out + from, upper + from, static_cast<std::size_t>(to - from) * 4);
        return;
    }
    LONG x = from;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i lowerWeight = _mm_set1_epi16(static_cast<short>(w));
    const __m128i upperWeight = _mm_set1_epi16(static_cast<short>(256 - w));
    const __m128i half = _mm_set1_epi16(0x80);
    // Each channel as a 16-bit lane: a * (256 - w) + b * w + 128 stays under 65536.
    const auto mix = [&](__m128i a, __m128i b) {
        const __m128i sum = _mm_add_epi16(
            _mm_add_epi16(_mm_mullo_epi16(a, upperWeight), _mm_mullo_epi16(b, lowerWeight)), half);
        return _mm_srli_epi16(sum, 8);
    };
    for (; x + 4 <= to; x += 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + x));
        const __m128i low = mix(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
        const __m128i high = mix(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(low, high));
    }
#endif
    for (; x < to; ++x)
        out[x] = MixPairs(upper[x], lower[x], w);
}

} // namespace

void StretchOver(const PixelRows& pixels, const std::uint32_t* source, int sourceWidth,
                 int sourceHeight, int width, int height, const std::vector<RECT>& spans,
                 std::optional<SIZE> reach) {
    if (!source || sourceWidth < 1 || sourceHeight < 1 || width < 1 || height < 1) return;
    const SIZE extent = reach.value_or(SIZE{width, height});
    if (extent.cx < 1 || extent.cy < 1) return;
    const Taps columns = TapsFor(width, sourceWidth, extent.cx);
    const Taps rows = TapsFor(height, sourceHeight, extent.cy);
    // Only the columns of the block are stretched (a strip down the side needs a few of each
    // row).
    const auto from = static_cast<std::size_t>(std::clamp<LONG>(pixels.left, 0, extent.cx));
    const auto to =
        static_cast<std::size_t>(std::clamp<LONG>(pixels.left + pixels.width, 0, extent.cx));
    // The picture rows stretched across, kept while the rows below draw from them: two of them
    // serve every row between two picture rows.
    std::vector<std::uint32_t> upper(static_cast<std::size_t>(extent.cx));
    std::vector<std::uint32_t> lower(static_cast<std::size_t>(extent.cx));
    int upperRow = -1;
    int lowerRow = -1;
    bool upperOpaque = false;
    bool lowerOpaque = false;
    const auto stretched = [&](int row, std::vector<std::uint32_t>& into, int& held, bool& opaque) {
        if (held != row) {
            opaque = StretchRow(source + static_cast<std::size_t>(row) * sourceWidth, columns,
                                into.data(), from, to);
            held = row;
        }
        return into.data();
    };
    const RECT picture{0, 0, extent.cx, extent.cy};
    for (const RECT& span : spans) {
        RECT part{};
        if (!IntersectRect(&part, &span, &picture) || !ClipToPixels(pixels, part)) continue;
        for (LONG y = part.top; y < part.bottom; ++y) {
            const auto row = static_cast<std::size_t>(y + pixels.top);
            if (rows.first[row] == lowerRow) {
                std::swap(upper, lower);
                std::swap(upperRow, lowerRow);
                std::swap(upperOpaque, lowerOpaque);
            }
            const std::uint32_t* top = stretched(rows.first[row], upper, upperRow, upperOpaque);
            const std::uint32_t* bottom = stretched(rows.second[row], lower, lowerRow, lowerOpaque);
            const auto w = static_cast<std::uint32_t>(rows.weight[row]);
            // The pixels are columns x + pixels.left of the stretched rows.
            std::uint32_t* out = pixels.Row(y);
            if (upperOpaque && lowerOpaque) {
                MixOpaqueRows(top + pixels.left, bottom + pixels.left, w, out, part.left,
                              part.right);
                continue;
            }
            for (LONG x = part.left; x < part.right; ++x) {
                const auto column = static_cast<std::size_t>(x + pixels.left);
                const std::uint32_t colour = MixPairs(top[column], bottom[column], w);
                out[x] = colour >> 24 == 0xFF ? colour : BlendOver(out[x], colour);
            }
        }
    }
}

void BlendSpans(const PixelRows& pixels, const std::vector<RECT>& spans, plus::ARGB colour) {
    for (RECT span : spans) {
        if (!ClipToPixels(pixels, span)) continue;
        for (LONG y = span.top; y < span.bottom; ++y)
            BlendRow(pixels.Row(y), span.left, span.right, colour);
    }
}

void BlendLayer(const PixelRows& pixels, const std::vector<std::uint32_t>& layer, int width,
                int height, int x, int y, std::optional<plus::ARGB> tint, const RECT* within) {
    if (width <= 0 || height <= 0 || layer.size() < static_cast<std::size_t>(width) * height)
        return;
    RECT part{x, y, x + width, y + height};
    if (within && !IntersectRect(&part, &part, within)) return;
    if (!ClipToPixels(pixels, part)) return;
    const std::uint32_t tintAlpha = tint ? *tint >> 24 : 0;
    const std::uint32_t tintColour = tint ? *tint & 0x00FFFFFF : 0;
    for (LONG row = part.top; row < part.bottom; ++row) {
        std::uint32_t* target = pixels.Row(row);
        const std::uint32_t* source = layer.data() +
                                      static_cast<std::size_t>(row + pixels.top - y) * width +
                                      (pixels.left - x);
        for (LONG column = part.left; column < part.right; ++column) {
            std::uint32_t colour = source[column];
            if (colour >> 24 == 0) continue;
            if (tint) colour = tintColour | (tintAlpha * (colour >> 24) / 0xFF) << 24;
            target[column] = BlendOver(target[column], colour);
        }
    }
}

bool Unclipped(const plus::PlusGraphics& graphics) {
    plus::PlusRegion clip;
    return clip.Create() && graphics.GetClip(clip) && clip.IsInfinite(graphics);
}

} // namespace skin
