#include "skin/services/background_picture.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "skin/core/skin_engine.h"
#include "skin/services/image_reader.h"
#include "skin/services/theme_images.h"

namespace skin {

namespace {

std::atomic<int> decodeCount{0};

constexpr UINT kLockRead = 1; // ImageLockModeRead

// The largest client the picture is made for: the whole desktop, or a client larger still.
SIZE BoundFor(SIZE client) {
    return SIZE{std::max<LONG>(GetSystemMetrics(SM_CXVIRTUALSCREEN), client.cx),
                std::max<LONG>(GetSystemMetrics(SM_CYVIRTUALSCREEN), client.cy)};
}

bool Blended(int mode) {
    return mode == kImageBlendRight || mode == kImageBlendLeft;
}

bool Serves(const BackgroundPicture& cache, const ByteSet& source, int mode, COLORREF blendColour,
            SIZE client) {
    if (cache.Empty() || cache.mode != mode || cache.source != source) return false;
    if (Blended(mode) && (cache.blendColour & 0xFFFFFF) != (blendColour & 0xFFFFFF)) return false;
    const bool whole = cache.width == cache.fullWidth && cache.height == cache.fullHeight;
    return whole || (cache.bound.cx >= client.cx && cache.bound.cy >= client.cy);
}

// The whole image reduced to the picture's size: each kept pixel is the mean of its box of
// the image, read from at most four rows of the box (a row at a time, so the image is never
// held whole).
bool Reduce(ImageReader& image, BackgroundPicture& picture) {
    const int fullWidth = picture.fullWidth;
    const int fullHeight = picture.fullHeight;
    const int width = picture.width;
    const int height = picture.height;
    constexpr int kRowsPerBox = 4;
    std::vector<int> columnStart(static_cast<std::size_t>(width) + 1);
    for (int x = 0; x <= width; ++x)
        columnStart[static_cast<std::size_t>(x)] =
            static_cast<int>(static_cast<std::int64_t>(x) * fullWidth / width);
    std::vector<std::uint32_t> row(static_cast<std::size_t>(fullWidth));
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 4);
    for (int y = 0; y < height; ++y) {
        const int top = static_cast<int>(static_cast<std::int64_t>(y) * fullHeight / height);
        const int bottom = static_cast<int>(static_cast<std::int64_t>(y + 1) * fullHeight / height);
        const int rows = std::min(kRowsPerBox, bottom - top);
        std::fill(sums.begin(), sums.end(), 0);
        for (int r = 0; r < rows; ++r) {
            const int source = top + (2 * r + 1) * (bottom - top) / (2 * rows);
            if (!image.Copy(0, source, fullWidth, 1, row.data(), fullWidth)) return false;
            for (int x = 0; x < width; ++x)
                for (int column = columnStart[static_cast<std::size_t>(x)];
                     column < columnStart[static_cast<std::size_t>(x) + 1]; ++column) {
                    const std::uint32_t pixel = row[static_cast<std::size_t>(column)];
                    for (int channel = 0; channel < 4; ++channel)
                        sums[static_cast<std::size_t>(x) * 4 + channel] +=
                            (pixel >> (8 * channel)) & 0xFF;
                }
        }
        for (int x = 0; x < width; ++x) {
            const std::uint64_t count =
                static_cast<std::uint64_t>(rows) *
                static_cast<std::uint64_t>(columnStart[x + 1] - columnStart[x]);
            std::uint32_t pixel = 0;
            for (int channel = 0; channel < 4; ++channel)
                pixel |= static_cast<std::uint32_t>(
                             (sums[static_cast<std::size_t>(x) * 4 + channel] + count / 2) / count)
                         << (8 * channel);
            picture.pixels[static_cast<std::size_t>(y) * width + x] = pixel;
        }
    }
    return true;
}

// Blends the image's edge bands into the kept part, as BlendImageEdges does to the whole
// image: the kept pixels drawn into a fresh bitmap and the bands filled over them, in the
// image's own coordinates. A picture that is the whole image gets exactly the calls of
// BlendImageEdges; of a larger image only the bands' parts that lie in the kept part are
// filled.
bool BlendKept(BackgroundPicture& picture, COLORREF colour, EdgeVariant variant) {
    const int width = picture.width;
    const int height = picture.height;
    const bool whole = width == picture.fullWidth && height == picture.fullHeight;
    const RECT kept{picture.offsetX, picture.offsetY, picture.offsetX + width,
                    picture.offsetY + height};
    plus::PlusBitmap blended;
    if (!blended.Create(width, height, plus::Format32bppARGB)) return false;
    {
        plus::PlusBitmap source;
        if (!source.CreateFromScan0(width, height, width * 4, plus::Format32bppARGB,
                                    reinterpret_cast<BYTE*>(picture.pixels.data())))
            return false;
        plus::PlusGraphics graphics;
        if (!graphics.CreateFromImage(blended)) return false;
        if (!whole)
            graphics.TranslateWorldTransform(static_cast<float>(-kept.left),
                                             static_cast<float>(-kept.top));
        graphics.DrawImageRect(source, static_cast<float>(kept.left), static_cast<float>(kept.top),
                               static_cast<float>(width), static_cast<float>(height));
        FillEdgeBands(graphics, picture.fullWidth, picture.fullHeight, colour, variant,
                      whole ? nullptr : &kept);
    }
    plus::BitmapData data;
    if (!blended.LockBits({0, 0, width, height}, kLockRead, plus::Format32bppARGB, data))
        return false;
    for (int row = 0; row < height; ++row)
        std::memcpy(picture.pixels.data() + static_cast<std::size_t>(row) * width,
                    static_cast<const std::uint8_t*>(data.Scan0) +
                        static_cast<std::ptrdiff_t>(row) * data.Stride,
                    static_cast<std::size_t>(width) * 4);
    return blended.UnlockBits(data);
}

// Fills `picture` from the open image: the part that shows, or (stretched) the whole image
// reduced to the bound; the blended modes then blend their bands into that part.
bool Keep(ImageReader& image, int mode, SIZE bound, COLORREF blendColour,
          BackgroundPicture& picture) {
    const int fullWidth = image.Width();
    const int fullHeight = image.Height();
    if (fullWidth < 1 || fullHeight < 1) return false;
    const int width = std::min<int>(fullWidth, bound.cx);
    const int height = std::min<int>(fullHeight, bound.cy);
    picture.fullWidth = fullWidth;
    picture.fullHeight = fullHeight;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);

    if (mode == kImageStretched && (width < fullWidth || height < fullHeight)) {
        picture.offsetX = picture.offsetY = 0;
        return Reduce(image, picture);
    }
    picture.offsetX = mode == kImageBlendLeft ? fullWidth - width
                      : mode == kImageCentred ? (fullWidth - width) / 2
                                              : 0;
    picture.offsetY = mode == kImageCentred ? (fullHeight - height) / 2 : 0;
    if (!image.Copy(picture.offsetX, picture.offsetY, width, height, picture.pixels.data(), width))
        return false;
    if (!Blended(mode)) return true;
    return BlendKept(picture, blendColour,
                     mode == kImageBlendLeft ? EdgeVariant::Left : EdgeVariant::Right);
}

} // namespace

const BackgroundPicture* CachedPicture(BackgroundPicture& cache, const ByteSet& source, int mode,
                                       SIZE client, COLORREF blendColour, ImageReader* decoded) {
    if (source.empty() || mode < kImageBlendRight || mode > kImageTiled) return nullptr;
    if (Serves(cache, source, mode, blendColour, client)) return &cache;

    cache = BackgroundPicture{};
    ImageReader own;
    ImageReader* image = decoded;
    if (!image || !image->IsOpen()) {
        ++decodeCount;
        if (!own.Open(source)) return nullptr;
        image = &own;
    }
    const SIZE bound = BoundFor(client);
    if (!Keep(*image, mode, bound, blendColour, cache)) {
        cache = BackgroundPicture{};
        return nullptr;
    }
    cache.source = source;
    cache.mode = mode;
    cache.blendColour = blendColour;
    cache.bound = bound;
    cache.opaque =
        !cache.pixels.empty() && std::all_of(cache.pixels.begin(), cache.pixels.end(),
                                             [](std::uint32_t p) { return p >> 24 == 0xFF; });
    return &cache;
}

bool PictureBitmap(const BackgroundPicture& picture, plus::PlusBitmap& bitmap) {
    if (picture.Empty() || !bitmap.Create(picture.width, picture.height)) return false;
    plus::BitmapData data;
    constexpr UINT kLockWrite = 2; // ImageLockModeWrite
    if (!bitmap.LockBits({0, 0, picture.width, picture.height}, kLockWrite, plus::Format32bppARGB,
                         data))
        return false;
    for (int row = 0; row < picture.height; ++row)
        std::memcpy(static_cast<std::uint8_t*>(data.Scan0) +
                        static_cast<std::ptrdiff_t>(row) * data.Stride,
                    picture.pixels.data() + static_cast<std::size_t>(row) * picture.width,
                    static_cast<std::size_t>(picture.width) * 4);
    return bitmap.UnlockBits(data);
}

int BackgroundDecodeCount() {
    return decodeCount;
}

} // namespace skin
