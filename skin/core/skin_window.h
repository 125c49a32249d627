// Top-level window skinning. SkinWindow, WindowProc and CaptionButtonAction are operations of
// SkinEngine (skin_engine.h); this header adds what lives beside them.
#pragma once
#include <windows.h>

#include <cstdint>

namespace skin {

// Releases the record of a window that is being destroyed (its controls' colour brushes, back
// buffer, strips, caption buttons, panes and family lists) and renumbers the records after it:
// "Hw_lbID" on their windows, "Hw_FuID" and "Kj_FuID" on their controls.
void RemoveWindowRecord(HWND window);

// Un-skins every window whose procedure is `windowProcedure` (the address of an engine's
// WndProcThunk, about to be freed): the window and each control skinned on it get back the
// procedure they had before, the skin's properties on them go, and the window's record is
// released. A window left running freed thunk code would crash at its next message.
void UnskinWindowsRunning(std::uintptr_t windowProcedure);

// Deletes the brush ("Kj_dxjb") or the brush's bitmap ("Kj_wtjb") answered to a control's
// WM_CTLCOLOR* message, and clears the property.
void ReleaseColourBrush(HWND control);
void ReleaseColourBrushBitmap(HWND control);
// The brush and its bitmap together.
void ReleaseColourBrushes(HWND control);

// Both of the above for every descendant of `window`. A destroyed window's children are gone
// by its WM_NCDESTROY, so the window procedure does this at WM_DESTROY.
void ReleaseChildColourBrushes(HWND window);

} // namespace skin
