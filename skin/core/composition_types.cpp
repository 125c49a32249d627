#include "skin/core/composition_types.h"

#include "plus/plus_faults.h"
#include "skin/images/skin_pictures.h"

#include <cstring>

namespace skin {

std::unique_ptr<plus::PlusImage> MakePicture(std::span<const std::uint8_t> bytes) {
    if (const SkinPicturePixels* drawn = PixelsOfSkinPicture(bytes)) {
        auto bitmap = std::make_unique<plus::PlusBitmap>();
        constexpr UINT kLockWrite = 2; // ImageLockModeWrite
        plus::BitmapData data;
        if (!bitmap->Create(drawn->width, drawn->height, plus::Format32bppARGB) ||
            !bitmap->LockBits({0, 0, drawn->width, drawn->height}, kLockWrite,
                              plus::Format32bppARGB, data))
            return nullptr;
        const std::size_t row = static_cast<std::size_t>(drawn->width);
        for (int y = 0; y < drawn->height; ++y)
            std::memcpy(static_cast<std::uint8_t*>(data.Scan0) +
                            static_cast<std::ptrdiff_t>(y) * data.Stride,
                        drawn->pixels.data() + static_cast<std::size_t>(y) * row, row * 4);
        if (!bitmap->UnlockBits(data)) return nullptr;
        return bitmap;
    }
    auto image = std::make_unique<plus::PlusImage>();
    if (!image->LoadFromStream(ByteSet(bytes.begin(), bytes.end()))) return nullptr;
    return image;
}

plus::PlusImage* PictureCache::Get(const ByteSet& bytes) {
    if (bytes.empty()) return nullptr;
    if (bytes != source_ || !decoded_) {
        source_ = bytes;
        const int refusedBefore = plus::CreationsOutOfMemory();
        image_ = MakePicture(source_);
        decoded_ = image_ || plus::CreationsOutOfMemory() == refusedBefore;
    }
    return image_.get();
}

plus::PlusImage* SkinPictureCache::Get(std::span<const std::uint8_t> bytes) {
    for (Entry& e : entries_)
        if (e.data == bytes.data() && e.size == bytes.size()) return e.image.get();
    std::unique_ptr<plus::PlusImage> image = MakePicture(bytes);
    if (!image) return nullptr;
    entries_.push_back(Entry{bytes.data(), bytes.size(), std::move(image)});
    return entries_.back().image.get();
}

const plus::PlusFont& FontCache::Get(const std::string& family, float size, int style, int unit) {
    if (!made_ || family != family_ || size != size_ || style != style_ || unit != unit_) {
        family_ = family;
        size_ = size;
        style_ = style;
        unit_ = unit;
        const int refusedBefore = plus::CreationsOutOfMemory();
        font_.DeleteFont(); // a failed creation would leave the last font in place
        font_.CreateFromFamilyName(family, size, style, unit);
        made_ = font_.GetHandle() || plus::CreationsOutOfMemory() == refusedBefore;
    }
    return font_;
}

} // namespace skin
