#include "skin/services/background_picture.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "skin/core/skin_engine.h"

namespace skin {

namespace {

std::atomic<int> decodeCount{0};

constexpr UINT kLockRead = 1; // ImageLockModeRead

// The largest client the picture is made for: the whole desktop, or a client larger still.
SIZE BoundFor(SIZE client) {
    return SIZE{std::max<LONG>(GetSystemMetrics(SM_CXVIRTUALSCREEN), client.cx),
                std::max<LONG>(GetSystemMetrics(SM_CYVIRTUALSCREEN), client.cy)};
}

bool Serves(const BackgroundPicture& cache, const ByteSet& source, int mode, SIZE client) {
    if (cache.Empty() || cache.mode != mode || cache.source != source) return false;
    const bool whole = cache.width == cache.fullWidth && cache.height == cache.fullHeight;
    return whole || (cache.bound.cx >= client.cx && cache.bound.cy >= client.cy);
}

// Fills `picture` from the decoded image: the part that shows, or (stretched) the whole image
// reduced to the bound.
bool Keep(plus::PlusBitmap& image, int mode, SIZE bound, BackgroundPicture& picture) {
    const int fullWidth = static_cast<int>(image.GetWidth());
    const int fullHeight = static_cast<int>(image.GetHeight());
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
        plus::PlusBitmap reduced;
        if (!reduced.CreateFromScan0(width, height, width * 4, plus::Format32bppARGB,
                                     reinterpret_cast<BYTE*>(picture.pixels.data())))
            return false;
        plus::PlusGraphics graphics;
        return graphics.CreateFromImage(reduced) &&
               graphics.DrawImageRect(image, 0, 0, static_cast<float>(width),
                                      static_cast<float>(height));
    }
    picture.offsetX = mode == kImageBlendLeft ? fullWidth - width
                      : mode == kImageCentred ? (fullWidth - width) / 2
                                              : 0;
    picture.offsetY = mode == kImageCentred ? (fullHeight - height) / 2 : 0;
    plus::BitmapData data;
    if (!image.LockBits({picture.offsetX, picture.offsetY, width, height}, kLockRead,
                        plus::Format32bppARGB, data))
        return false;
    for (int row = 0; row < height; ++row)
        std::memcpy(picture.pixels.data() + static_cast<std::size_t>(row) * width,
                    static_cast<const std::uint8_t*>(data.Scan0) +
                        static_cast<std::ptrdiff_t>(row) * data.Stride,
                    static_cast<std::size_t>(width) * 4);
    image.UnlockBits(data);
    return true;
}

} // namespace

const BackgroundPicture* CachedPicture(BackgroundPicture& cache, const ByteSet& source, int mode,
                                       SIZE client, plus::PlusBitmap* decoded) {
    if (source.empty() || mode < kImageBlendRight || mode > kImageTiled) return nullptr;
    if (Serves(cache, source, mode, client)) return &cache;

    cache = BackgroundPicture{};
    plus::PlusBitmap own;
    plus::PlusBitmap* image = decoded;
    if (!image) {
        ++decodeCount;
        if (!own.CreateFromStream(source)) return nullptr;
        image = &own;
    }
    const SIZE bound = BoundFor(client);
    if (!Keep(*image, mode, bound, cache)) {
        cache = BackgroundPicture{};
        return nullptr;
    }
    cache.source = source;
    cache.mode = mode;
    cache.bound = bound;
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
