#include "skin/core/composition_types.h"

#include "plus/plus_faults.h"

namespace skin {

plus::PlusImage* PictureCache::Get(const ByteSet& bytes) {
    if (bytes.empty()) return nullptr;
    if (bytes != source_ || !decoded_) {
        source_ = bytes;
        image_ = std::make_unique<plus::PlusImage>();
        const int refusedBefore = plus::CreationsOutOfMemory();
        if (!image_->LoadFromStream(source_)) image_.reset();
        decoded_ = image_ || plus::CreationsOutOfMemory() == refusedBefore;
    }
    return image_.get();
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
