// The gallery's theme image, drawn at run time so it needs no file and is the same on every run:
// a dark band where the caption lies, fading into a light body with soft rounded spots and faint
// diagonal lines, so that translucent controls visibly let it through.
#pragma once
#include <cstdint>
#include <vector>

#include "skin/core/skin_types.h"

namespace gallery {

// Size of the picture; the window stretches it over its client area.
inline constexpr int kThemePictureWidth = 360;
inline constexpr int kThemePictureHeight = 256;

// The picture's pixels as 0xAARRGGBB, row by row from the top, all opaque.
std::vector<std::uint32_t> ThemePicturePixels();

// The picture encoded as PNG (empty when GDI+ cannot encode it). GDI+ must be running.
skin::ByteSet ThemePicturePng();

} // namespace gallery
