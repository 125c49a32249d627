// Image helpers of the theme options: the average colour of an image and the edge blending
// that lets a background picture fade into the theme colour.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "skin/core/skin_types.h"

namespace plus {
class PlusGraphics;
}

namespace skin {

// An image given as a file path or as encoded bytes; the file is used when it is named.
struct ImageSource {
    std::string file;
    std::span<const std::uint8_t> bytes;

    static ImageSource File(std::string path) { return {std::move(path), {}}; }
    static ImageSource Bytes(std::span<const std::uint8_t> data) { return {{}, data}; }
};

// PNG image-format identifier: the encoder a re-encoded or blended image is saved with.
inline constexpr char kPngFormat[] = "{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}";

// The average of `sampleCount` pseudo-random pixels, as a COLORREF with 0xFF in the top byte.
// Samples are taken from the whole image, or from the right `marginX` columns and the bottom
// `marginY` rows when those are at least 1; every sample lies inside the image. The generator
// is seeded from the local date, so the samples are the same for one image on one day.
// An image that cannot be decoded (or a count below 1) gives 0xFF000000.
COLORREF AverageImageColour(const ImageSource& image, int sampleCount, int marginX, int marginY);

// AverageImageColour(image, 2000, 0, 0) as the engine takes it; none when the image cannot be
// decoded (which AverageImageColour cannot tell from a black image).
std::optional<COLORREF> EngineAverageColour(const ImageSource& image);

enum class EdgeVariant { Left, Right };

// The image as PNG with a band of floor(0.3 x width) blended into `colour`: at the left or
// right edge, and along the bottom. Empty when the image cannot be decoded.
ByteSet BlendImageEdges(const ImageSource& image, COLORREF colour, EdgeVariant variant);

// Fills the two blended bands of a `width` x `height` image drawn at (0, 0) on `graphics`.
// With `within` (a rectangle of the image) only the parts of the bands inside it are filled;
// the gradients stay those of the whole image.
void FillEdgeBands(plus::PlusGraphics& graphics, int width, int height, COLORREF colour,
                   EdgeVariant variant, const RECT* within = nullptr);

// True when the image decodes (it is opened, not decoded whole where the decoder can avoid it).
bool ImageDecodes(const ImageSource& image);

} // namespace skin
