#include "skin/core/drawing_helpers.h"

#include <algorithm>

#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"

namespace skin {

plus::ARGB ToArgb(COLORREF colour, int alpha, int useAlpha) {
    const plus::ARGB a = useAlpha != 0 ? static_cast<plus::ARGB>(alpha) & 0xFF : 0xFF;
    return a << 24 | static_cast<plus::ARGB>(GetRValue(colour)) << 16 |
           static_cast<plus::ARGB>(GetGValue(colour)) << 8 | GetBValue(colour);
}

COLORREF ToColorRef(plus::ARGB argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

void AddRoundedRect(plus::PlusPath& path, float x, float y, float w, float h, float d) {
    d = std::clamp(d, 1.0f, 100.0f);
    path.AddArc(x + w - d, y, d, d, 270, 90);
    path.AddArc(x + w - d - 1, y + h - d - 1, d + 1, d + 1, 0, 90);
    path.AddArc(x, y + h - d, d, d, 90, 90);
    path.AddArc(x, y, d, d, 180, 90);
    path.CloseFigure();
}

void DrawGlow(plus::PlusGraphics& graphics, const plus::PlusPath& path, int n, COLORREF colour,
              int alpha, float step) {
    if (n <= 0) return;
    plus::PlusPen pen;
    pen.CreatePen(ToArgb(colour, alpha, 1), step, 0);
    for (int k = 1; k <= n; ++k) {
        pen.SetWidth(static_cast<float>(k) * step);
        graphics.DrawPath(pen, path);
    }
}

} // namespace skin
