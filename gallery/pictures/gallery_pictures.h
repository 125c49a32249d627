// The pictures of the gallery's image buttons, PNG data drawn by draw_gallery_pictures.py.
#pragma once

#include <cstdint>
#include <span>

namespace gallery {

extern const std::span<const std::uint8_t> LandscapeImage;    // 32 x 32, framed landscape
extern const std::span<const std::uint8_t> PlayNormalImage;   // 26 x 26, play button
extern const std::span<const std::uint8_t> PlayHotImage;      // lighter
extern const std::span<const std::uint8_t> PlayPressedImage;  // darker, one pixel lower
extern const std::span<const std::uint8_t> PlayDisabledImage; // grey

} // namespace gallery
