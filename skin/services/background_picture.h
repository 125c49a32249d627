// A window's background picture (the theme image or its own image) decoded once and kept at
// the size the painters can show. A large image (a 20000 x 20000 PNG is a few hundred
// kilobytes) used to be decoded whole on every full repaint; the painters only ever show as
// much of it as fits the window.
#pragma once
#include <windows.h>

#include "skin/core/composition_types.h"

namespace plus {
class PlusBitmap;
}

namespace skin {

class ImageReader;

// The picture of `source` for `mode` and a client of `client` size; modes 0 and 1 blend the
// image's edge bands into `blendColour` (the colour of the background it lies on). The cache
// is used when it holds that picture at a size that serves the client; otherwise the picture
// is made again, from `decoded` when the caller has the source open already, else by opening
// the source, and kept in `cache`. Null when there is no picture (empty source, a mode that
// draws nothing, an image that does not decode).
const BackgroundPicture* CachedPicture(BackgroundPicture& cache, const ByteSet& source, int mode,
                                       SIZE client, COLORREF blendColour = 0,
                                       ImageReader* decoded = nullptr);

// A GDI+ bitmap holding a copy of the picture's pixels. False when it cannot be made.
bool PictureBitmap(const BackgroundPicture& picture, plus::PlusBitmap& bitmap);

// How many times a background picture was decoded from its bytes (for the tests).
int BackgroundDecodeCount();

} // namespace skin
