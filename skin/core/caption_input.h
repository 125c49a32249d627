// The caption buttons as the system sees them: WM_NCHITTEST answers the system's button codes
// over the minimize, maximize, close and help buttons (so snap layouts and assistive tools that
// hit-test find them there), and the non-client mouse messages those codes bring are handled by
// the skin itself, with the looks and actions of the client-area path; the default procedure,
// which would paint system buttons over the skin, never sees them. A right click on the caption
// opens the window's system menu.
#pragma once
#include <windows.h>

#include <optional>

namespace skin {

class SkinEngine;

// The system hit-test code of the caption button under the client point of the skinned window
// at `position` (HTMINBUTTON, HTMAXBUTTON, HTCLOSE, HTHELP); 0 elsewhere, and over buttons
// that have no such code (the menu button, application buttons).
int CaptionButtonHitCode(SkinEngine& engine, int position, POINT client);

// Answers WM_NCHITTEST, WM_SETCURSOR and the non-client mouse messages over the caption
// buttons, and a right click on the caption; ends the capture a press on a button took at its
// release. nullopt when the window procedure must handle the message as before.
std::optional<LRESULT> AnswerCaptionInput(SkinEngine& engine, int position, HWND window,
                                          UINT message, WPARAM wParam, LPARAM lParam);

// Opens the system menu of the skinned window at `position` at the screen point, restore, move,
// minimize and maximize enabled as the window's buttons and state allow (size is the system's
// to decide), and sends the chosen command.
void ShowSkinnedSystemMenu(int position, POINT screen);

} // namespace skin
