// Painting straight into a back buffer's pixels.
//
// Under a software GDI+ every fill costs a fixed set-up plus tens of nanoseconds per pixel of
// its bounding box, which makes a window-sized solid fill or gradient cost milliseconds. The
// shapes a composition fills most are simple: opaque colours over the spans of a path, and
// vertical two-colour gradients that are the same along each row. These helpers draw exactly
// those shapes on the 32-bit top-down pixels of a DIB section, computing each row's colour once.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "plus/plus_object.h"
#include "skin/core/gdi_owners.h"

namespace plus {
class PlusGraphics;
class PlusPath;
} // namespace plus

namespace skin {

// A block of the pixels of a 32-bit top-down DIB section: `height` rows of `width` pixels
// 0xAARRGGBB, `stride` bytes apart, the first at `bits`. The block's top-left pixel is pixel
// (left, top) of the whole image; the helpers below take image coordinates and touch only the
// block's pixels.
struct PixelRows {
    std::uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int left = 0;
    int top = 0;

    explicit operator bool() const { return bits != nullptr; }
    // Row `row` of the block (0 is its top row), from the block's left edge.
    std::uint32_t* Row(int row) const {
        return reinterpret_cast<std::uint32_t*>(bits + static_cast<std::ptrdiff_t>(row) * stride);
    }
    // The part of the block inside `area` (image coordinates), as a block of its own; empty
    // when they do not meet.
    PixelRows Part(const RECT& area) const;
};

// The pixels of `bitmap` when it is a 32-bit DIB section, read as top-down rows (the order
// gdi::CreateArgbBitmap makes; GetObject does not tell the order); empty otherwise.
PixelRows PixelRowsOf(HBITMAP bitmap);

// The device pixels GDI+ covers when it fills `path` on `graphics` without anti-aliasing (and
// clips to when `path` is the clip): the path's region in device space.
gdi::Region PathRegion(const plus::PlusPath& path, const plus::PlusGraphics& graphics);

// The rectangles of a GDI region (banded, top to bottom); empty for a null region.
std::vector<RECT> RegionRects(HRGN region);

// `src` laid over `dst` (both non-premultiplied 0xAARRGGBB), as GDI+ blends a source pixel.
plus::ARGB BlendOver(plus::ARGB dst, plus::ARGB src);

// The colour of a two-colour linear gradient at fraction t (0: `from`, 1: `to`): alpha
// interpolated, colour channels interpolated weighted by alpha, each truncated.
plus::ARGB GradientColour(plus::ARGB from, plus::ARGB to, float t);

// Writes the opaque `colour` to every pixel of `spans` (clipped to the pixels).
void FillSpans(const PixelRows& pixels, const std::vector<RECT>& spans, plus::ARGB colour);

// A vertical gradient from `from` at y = top to `to` at y = bottom laid over the pixels of
// `area` (the colour of row y is the one at t = (y - top) / (bottom - top)). With `spans`, only
// the pixels that also lie in them are touched.
void BlendVerticalGradient(const PixelRows& pixels, const RECT& area, float top, float bottom,
                           plus::ARGB from, plus::ARGB to,
                           const std::vector<RECT>* spans = nullptr);

// `colour` laid over every pixel of `spans` (clipped to the pixels).
void BlendSpans(const PixelRows& pixels, const std::vector<RECT>& spans, plus::ARGB colour);

// A layer of width x height pixels (0xAARRGGBB rows, no gaps) laid over the pixels with its
// top-left at image point (x, y). With a `tint`, each layer pixel counts as the tint's colour
// at the tint's alpha scaled by the pixel's alpha (a shadow or halo of what the layer holds).
// With `within`, only the layer pixels inside that image rectangle are laid.
void BlendLayer(const PixelRows& pixels, const std::vector<std::uint32_t>& layer, int width,
                int height, int x, int y, std::optional<plus::ARGB> tint = std::nullopt,
                const RECT* within = nullptr);

// A picture of sourceWidth x sourceHeight pixels (0xAARRGGBB rows, no gaps) stretched over the
// image rectangle (0, 0, width, height) and laid over the pixels of `spans` there. Each pixel
// is the bilinear mean of the four picture pixels around the point its centre falls on (edges
// repeat the picture's outer pixels), in 1/256 steps. With a `reach` beyond (width, height) the
// pixels up to it are covered too: past the stretched picture's right and bottom edges it is
// laid again mirrored (then straight, and so on), so it runs on without a seam.
void StretchOver(const PixelRows& pixels, const std::uint32_t* source, int sourceWidth,
                 int sourceHeight, int width, int height, const std::vector<RECT>& spans,
                 std::optional<SIZE> reach = std::nullopt);

// Whether `graphics` draws without a clip (its clip is infinite).
bool Unclipped(const plus::PlusGraphics& graphics);

} // namespace skin
