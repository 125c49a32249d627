// Faces of owner-drawn push buttons: the standard translucent plate, the state-image face and
// the single-image face. Each paints the button's captured background off-screen and copies
// the result into dc at (0, 0). dc stays the caller's: the painters never release it.
#pragma once
#include <windows.h>

namespace plus {
class PlusPath;
}

namespace skin {

// Item state bits the faces look at.
constexpr UINT kStateSelected = ODS_SELECTED; // 0x01, pressed
constexpr UINT kStateDisabled = ODS_DISABLED; // 0x04
constexpr UINT kStateFocus = ODS_FOCUS;       // 0x10
constexpr UINT kStateHot = ODS_HOTLIGHT;      // 0x40

void PaintStandardButtonFace(HWND button, HDC dc, UINT state, const RECT& rect);
void PaintStateImageFace(HWND button, HDC dc, UINT state, const RECT& rect);
void PaintSingleImageFace(HWND button, HDC dc, UINT state, const RECT& rect);

// The open outline of a rectangle's upper part with its two upper corners rounded (corner
// ellipse d x d): up the left side, across the top, down the right side.
void AddRoundedTop(plus::PlusPath& path, float x, float y, float w, float h, float d);

} // namespace skin
