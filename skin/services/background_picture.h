// A window's background picture (the theme image or its own image) decoded once and kept at
// the size the painters can show. A large image (a 20000 x 20000 PNG is a few hundred
// kilobytes) used to be decoded whole on every full repaint; the painters only ever show as
// much of it as fits the window.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "skin/core/skin_types.h"

namespace plus {
class PlusBitmap;
}

namespace skin {

struct BackgroundPicture {
    // What it was made from: the encoded bytes, the placement mode and the largest client
    // size it serves.
    ByteSet source;
    int mode = -1;
    SIZE bound{};
    // The image's own size, and where the kept pixels lie in it.
    int fullWidth = 0;
    int fullHeight = 0;
    int offsetX = 0;
    int offsetY = 0;
    // The kept pixels: 32-bit ARGB, top-down rows of `width`. For the centred and top-right
    // placements the part of the image that can show; for the stretched one the whole image
    // reduced to the bound; otherwise its top-left part.
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool Empty() const { return pixels.empty(); }
};

// The picture of `source` for `mode` and a client of `client` size. The cache is used when it
// holds that picture at a size that serves the client; otherwise the picture is made again,
// from `decoded` when the caller has the source decoded already, else by decoding the source,
// and kept in `cache`. Null when there is no picture (empty source, a mode that draws nothing,
// an image that does not decode).
const BackgroundPicture* CachedPicture(BackgroundPicture& cache, const ByteSet& source, int mode,
                                       SIZE client, plus::PlusBitmap* decoded = nullptr);

// A GDI+ bitmap holding a copy of the picture's pixels. False when it cannot be made.
bool PictureBitmap(const BackgroundPicture& picture, plus::PlusBitmap& bitmap);

// How many times a background picture was decoded from its bytes (for the tests).
int BackgroundDecodeCount();

} // namespace skin
