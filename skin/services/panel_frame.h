// The frame of a framed panel (a container registered with a frame): a dark outline and a light
// line inside it, both with rounded corners.
#pragma once

#include <windows.h>

namespace plus {
class PlusGraphics;
}

namespace skin {

// Draws the frame over the w x h picture selected in `picture` (a 32-bit DIB section) for a
// window at `dpi`. The corners and a slice of each edge are drawn once per DPI and kept; each
// picture is then made of them, so a panel that changes size at every step of a live resize
// does not stroke its whole outline again. False, with nothing drawn, when the picture is not
// a 32-bit DIB section or is smaller than the corners: the caller strokes the frame itself.
bool BlendPanelFrame(HDC picture, int w, int h, UINT dpi);

// Strokes the same frame with GDI+ on `graphics` (anti-aliased), as BlendPanelFrame lays it.
void StrokePanelFrame(plus::PlusGraphics& graphics, int w, int h, UINT dpi);

} // namespace skin
