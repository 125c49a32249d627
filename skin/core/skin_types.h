// Value types shared by the skin engine.
#pragma once
#include <windows.h>

#include "plus/plus_object.h"

namespace skin {

// Raw bytes (encoded images); empty means "none". The same type the drawing library takes.
using ByteSet = plus::ByteSet;

// COLORREF 0x00BBGGRR value that stands for "follow the theme colour" where an accent is given.
inline constexpr COLORREF kAccentFollowsTheme = 0xFFFFFFFF;

// Start value of the accent colour.
inline constexpr COLORREF kDefaultAccentColour = 0x00DDCA22;

} // namespace skin
