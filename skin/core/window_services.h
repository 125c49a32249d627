// Where the window procedure and the control families hand over to the skin services that make
// a skinned window usable by assistive technology and by users who asked for system colours or
// less motion, and that keep a drag of its frame cheap. Each function is defined beside the
// service it serves (skin/services/accessibility.cpp, skin/services/system_look.cpp,
// skin/services/back_buffer.cpp), so core code needs no service header.
#pragma once
#include <windows.h>

#include <optional>

namespace skin {

// --- Accessibility (accessibility.cpp) ---

// Messages of a skinned window that concern its accessible object: WM_GETOBJECT for the client
// object is answered here; WM_SIZE announces a maximize button renamed by the window's state;
// WM_SETTEXT announces the title's new name; WM_NCDESTROY disconnects every object handed out
// for the window. nullopt when the message must still go its usual way.
std::optional<LRESULT> AnswerAccessibilityMessage(int position, HWND window, UINT message,
                                                  WPARAM wParam, LPARAM lParam);

// --- Back buffer (back_buffer.cpp) ---

// WM_ENTERSIZEMOVE starts a drag of the frame (or of the window), WM_EXITSIZEMOVE ends it:
// meanwhile a rebuild leaves the skinned controls as they are, and the end repaints them once
// when some rebuild owed them that.
void AnswerSizeMoveMessage(int position, UINT message);

// WM_SIZE of kind `kind` to the client size `size`: invalidates what the next paint shows
// anew, the whole client, or for a frame drag's step only what the step moves (the rest of
// the screen stays as it is, and the system keeps it across the size change).
void InvalidateResized(int position, WPARAM kind, SIZE size);

// --- System colours and motion (system_look.cpp) ---

// Reads high contrast and client-area animation from the system (SkinWindow's first step).
void ReadSystemLook();

// WM_SETTINGCHANGE and WM_SYSCOLORCHANGE read the settings again and repaint what changed;
// WM_NCACTIVATE notes whether the caption is active and, in system colours, repaints it.
void AnswerSystemLookMessage(int position, UINT message, WPARAM wParam);

// Whether skinned windows and controls are painted in system colours (high contrast on).
bool SystemLookOn();

// Whether caption-button fades run (client-area animation on); otherwise they jump to their end.
bool CaptionFadesAnimate();

// In system colours an owner-drawn push button of the skin is drawn as the system draws a push
// button; true when it was drawn so.
bool PaintSystemButtonItem(const DRAWITEMSTRUCT& item);

} // namespace skin
