// Caption title and status bar: the two text effects they draw with. The operations
// (SetTitleStyle, PaintTitle, CreateStatusBar, LayoutStatusBar, PaintStatusPane, SetStatusPane,
// SetStatusStyle) are SkinEngine members.
#pragma once
#include <windows.h>

#include <string>

#include "plus/plus_graphics.h"

namespace skin {

// Text with a halo: the text four times in haloColour at alpha 150, moved by +offset and
// -offset horizontally and vertically, then once in textColour. size 0 means 13.
void DrawHaloText(plus::PlusGraphics& graphics, const std::string& text, const plus::RectF& layout,
                  COLORREF textColour, COLORREF haloColour, float offset,
                  const std::string& fontName, bool bold, float size, int alignment,
                  int lineAlignment);

// Text with a soft glow: a blurred copy of the text in glowColour (shrunk by `factor` and
// scaled back up) under the text in textColour. An empty font name means "宋体", size 0
// means 12.
void DrawGlowText(plus::PlusGraphics& graphics, const std::string& text, const plus::RectF& rect,
                  COLORREF textColour, COLORREF glowColour, int factor, const std::string& fontName,
                  float size, int style, int alignment, int lineAlignment);

} // namespace skin
