// High contrast and reduced motion.
//
// While the system's high-contrast mode is on, a skinned window is painted in system colours:
// the caption in the active or inactive caption colour with the title in the caption text
// colour, the client area in the window colour, the border in the window-frame colour, caption
// buttons and status panes in the button-face colours (the highlight colour under the pointer
// or pressed), with no theme image, gloss, glow or translucency; the skinned controls are left
// to the system, which paints them in the same colours. When it goes off, the skin comes back.
// With client-area animation off, caption-button fades jump to their end.
#pragma once
#include <windows.h>

#include <string>

#include "skin/core/window_services.h"

namespace plus {
class PlusGraphics;
}

namespace skin {

struct WindowRecord;

// The one place the engine asks whether high contrast is on. The system cannot switch it on
// everywhere the engine runs (the test machines cannot), so a test replaces the question;
// null puts the system's answer (SPI_GETHIGHCONTRAST, HCF_HIGHCONTRASTON) back. The answer is
// read at SkinWindow, WM_SETTINGCHANGE and WM_SYSCOLORCHANGE, never while painting.
using HighContrastQuery = bool (*)();
void SetHighContrastQuery(HighContrastQuery query);

// The system's own answers.
bool SystemHighContrastOn();
bool SystemClientAreaAnimationOn();

// Whether the caption of `window` is drawn active: the last WM_NCACTIVATE said so, or, before
// any, the window is the active one.
bool CaptionActive(HWND window);

// The painters in system colours, each on the record's back buffer (GDI, after the graphics has
// been flushed). The area painters leave the rest of the back buffer as it is.
void PaintSystemBackground(WindowRecord& record, plus::PlusGraphics& graphics);
void PaintSystemBorder(WindowRecord& record, plus::PlusGraphics& graphics);
void PaintSystemTitle(WindowRecord& record, plus::PlusGraphics& graphics, const RECT& area,
                      const std::string& title);
// `hot`: under the pointer or pressed (a fade's level above 0, or the pressed look).
void PaintSystemCaptionButton(WindowRecord& record, plus::PlusGraphics& graphics, int button,
                              const RECT& box, bool hot);
void PaintSystemPane(WindowRecord& record, plus::PlusGraphics& graphics, int pane);

} // namespace skin
