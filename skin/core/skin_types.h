// Value types shared by the skin engine.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace skin {

// Raw bytes: encoded images, generated code. Empty means "none".
using ByteSet = std::vector<std::uint8_t>;

// COLORREF 0x00BBGGRR value that stands for "follow the theme colour" where an accent is given.
inline constexpr COLORREF kAccentFollowsTheme = 0xFFFFFFFF;

// Start value of the accent colour.
inline constexpr COLORREF kDefaultAccentColour = 0x00DDCA22;

} // namespace skin
