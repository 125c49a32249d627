// Choosing the drawing of a skin picture for a DPI.
#include "skin/images/skin_pictures.h"

#include <algorithm>

namespace skin {

std::span<const std::uint8_t> SkinPictureForDpi(std::span<const std::uint8_t> picture,
                                                unsigned dpi) {
    // 96 dpi is 100 %; 150 % and 200 % are 144 and 192 dpi.
    const std::size_t scale = dpi <= 96 ? 0 : dpi <= 144 ? 1 : 2;
    if (scale == 0) return picture;
    for (const ScaledSkinPicture& drawn : ScaledSkinPictures) {
        const std::span<const std::uint8_t> base = drawn.scales[0];
        // The pictures are constant data: the same bytes are the same array, and a caller's
        // copy of a picture (a caption button keeps one) compares equal.
        if (base.data() == picture.data() ||
            (base.size() == picture.size() &&
             std::equal(base.begin(), base.end(), picture.begin())))
            return drawn.scales[scale];
    }
    return picture;
}

const SkinPicturePixels* PixelsOfSkinPicture(std::span<const std::uint8_t> picture) {
    for (const SkinPicturePixels& drawn : SkinPicturesPixels)
        if (drawn.bytes.data() == picture.data() && drawn.bytes.size() == picture.size())
            return &drawn;
    for (const SkinPicturePixels& drawn : SkinPicturesPixels)
        if (drawn.bytes.size() == picture.size() &&
            std::equal(drawn.bytes.begin(), drawn.bytes.end(), picture.begin()))
            return &drawn;
    return nullptr;
}

} // namespace skin
