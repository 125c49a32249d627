// Small drawing helpers every painter of the skin engine uses: COLORREF to ARGB, the rounded
// rectangle outline most shapes are built from, and the glow around hot and focused shapes.
#pragma once
#include <windows.h>

#include "plus/plus_object.h"

namespace plus {
class PlusGraphics;
class PlusPath;
} // namespace plus

namespace skin {

// Colours the button painters share; the glow colour is the default accent.
inline constexpr COLORREF kWhite = 0x00FFFFFF;
inline constexpr COLORREF kBlack = 0x00000000;
inline constexpr COLORREF kGlowColour = 0x00DDCA22;

// 0x00BBGGRR to 0xAARRGGBB: red and blue swapped, alpha `alpha` when `useAlpha` is non-zero,
// else 255. The COLORREF's top byte is ignored.
plus::ARGB ToArgb(COLORREF colour, int alpha, int useAlpha = 1);

// 0xAARRGGBB back to 0x00BBGGRR (alpha dropped).
COLORREF ToColorRef(plus::ARGB argb);

// Appends a closed rounded rectangle of four 90-degree arcs with a d x d corner ellipse
// (d clamped to 1..100): upper right, lower right (one pixel larger, shifted up-left by one),
// lower left, upper left.
void AddRoundedRect(plus::PlusPath& path, float x, float y, float w, float h, float d);

// Strokes `path` n times with one pen of colour at `alpha`, widths 1, 2, ... n, so the glow is
// densest along the outline and fades outwards. n <= 0 draws nothing. A `step` other than 1
// makes the widths step, 2 step, ... n step: a glow at another DPI is the same n strokes
// widened (the same picture, scaled, at the cost of the 96-dpi one), not more of them.
void DrawGlow(plus::PlusGraphics& graphics, const plus::PlusPath& path, int n, COLORREF colour,
              int alpha, float step = 1.0f);

} // namespace skin
