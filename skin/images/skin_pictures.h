// The skin pictures: PNG files (8-bit RGBA) held as constant data, each with its pixels beside
// it, so a built-in picture is made without the PNG decoder (whose first use costs a start-up
// some milliseconds); a caller's own picture is decoded with PlusImage.
//
// They are drawn by skin/images/draw_skin_pictures.py, which writes the PNG files in
// skin/images/png/ and the byte and pixel arrays in skin_pictures_data.cpp; both are checked
// in, so the build needs no script. To change a picture, edit the script and run it again.
#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "skin/core/skin_types.h"

namespace skin {

extern const std::span<const std::uint8_t> HelpButtonImage;     // 26 x 18, speech bubble
extern const std::span<const std::uint8_t> MenuButtonImage;     // 26 x 18, window and pointer
extern const std::span<const std::uint8_t> MinimizeButtonImage; // 26 x 18, bar
extern const std::span<const std::uint8_t> MaximizeButtonImage; // 26 x 18, window frame
extern const std::span<const std::uint8_t> RestoreButtonImage;  // 26 x 18, two frames
extern const std::span<const std::uint8_t> CloseButtonImage;    // 38 x 18, cross
extern const std::span<const std::uint8_t> CheckBoxImage;       // 13 x 13, empty box
extern const std::span<const std::uint8_t> CheckedBoxImage;     // 13 x 13, box with tick
extern const std::span<const std::uint8_t> ArrowDownImage;      // 7 x 4
extern const std::span<const std::uint8_t> ArrowUpImage;        // 7 x 4
extern const std::span<const std::uint8_t> ArrowLeftImage;      // 4 x 7
extern const std::span<const std::uint8_t> ArrowRightImage;     // 4 x 7

// The inventory, for code that walks every picture.
struct SkinPicture {
    const char* name;
    std::span<const std::uint8_t> bytes;
    int width;
    int height;
};
extern const std::array<SkinPicture, 12> SkinPictures;

// Each picture as drawn for 100 %, 150 % and 200 % (scales[0] is the picture above), in the
// order of SkinPictures.
struct ScaledSkinPicture {
    std::span<const std::uint8_t> scales[3];
};
extern const std::array<ScaledSkinPicture, 12> ScaledSkinPictures;

// The drawing of `picture` made for `dpi`: the one for the nearest scale of 100, 150 and 200 %
// at or above dpi / 96 (200 % above that), so it is only ever reduced, never stretched. Bytes
// that are not one of the pictures above come back as they are.
std::span<const std::uint8_t> SkinPictureForDpi(std::span<const std::uint8_t> picture,
                                                unsigned dpi);

// Every picture at every scale with its pixels: 0xAARRGGBB values (straight alpha, as a
// Format32bppARGB bitmap holds them), row by row from the top, width x height of them.
struct SkinPicturePixels {
    std::span<const std::uint8_t> bytes;
    std::span<const std::uint32_t> pixels;
    int width;
    int height;
};
extern const std::array<SkinPicturePixels, 36> SkinPicturesPixels;

// The pixels of the skin picture whose PNG bytes are `picture` (the constant data itself or a
// copy of it); null for any other bytes.
const SkinPicturePixels* PixelsOfSkinPicture(std::span<const std::uint8_t> picture);

// A picture's bytes as an owned byte set (caption buttons keep their own copies).
inline ByteSet ToByteSet(std::span<const std::uint8_t> picture) {
    return ByteSet(picture.begin(), picture.end());
}

} // namespace skin
