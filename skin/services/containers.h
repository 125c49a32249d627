// Skinned containers (group boxes, frames, tab pages, panels that hold controls), the windows
// docked in a skinned window or a container, and the skinned common controls (tab controls,
// tool bars, status bars, month calendars, rich edits) that draw over the window's background.
//
// The operations themselves (SkinContainer, SetContainerAlpha, SkinCommonControl,
// LayoutDockedWindows, SetControlTextColour, DockWindow) are members of SkinEngine; this header
// holds the records they keep in the window record and the procedures they install.
#pragma once
#include <windows.h>

#include <optional>

#include "skin/core/composition_types.h"

namespace skin {

// The container's window procedure: children's colour requests and owner-drawn faces answered
// as on the skinned window, the container drawn over the skin, docked windows laid out.
LRESULT CALLBACK ContainerProc(HWND container, UINT message, WPARAM wParam, LPARAM lParam);

// Composes the container over the skin (the background behind it, its fill, the group box's
// frame and caption or the plain container's frame) and copies it to `dc`, or without one to
// the container's window DC; the container's visible children are left alone either way.
// Clears the entry's repaint flag. `entry` is 1-based in the container list of the window at
// `position`; nothing happens when either is missing.
void PaintContainer(int position, int entry, std::optional<HDC> dc = std::nullopt);

// The common control's window procedure: the control draws itself into a picture whose own
// background colour is then keyed out over the skinned window's background.
LRESULT CALLBACK CommonControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// Whether a window counts as a group box: class "Button" with style bit 0x4.
bool IsGroupBox(HWND window);

} // namespace skin
