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
#include <string>
#include <vector>

namespace skin {

// A window laid out by its host on every resize: from `TopOffset` down, 2 pixels in from the
// left and right edges.
struct DockedWindow {
    HWND Window = nullptr;
    int TopOffset = 0;
};

// A registered container. Entry 1 of a window's list starts empty and is filled by the first
// registration.
struct ContainerEntry {
    HWND Container = nullptr;
    // Colour (COLORREF) laid over the container's background at `Alpha`; 0 = none, and then
    // SetContainerAlpha leaves the entry alone.
    int FillValue = 0;
    BYTE Alpha = 255; // other than 255: the container repaints itself when it moves
    int Framed = 0;   // a plain container gets the rounded double frame
    WNDPROC PreviousProc = nullptr;
    int Repaint = 1;          // set at registration and on WM_SIZE; cleared by PaintContainer
    int IsGroupBox = 0;       // a "Button" with the group-box style bit
    int TransparentErase = 1; // WM_ERASEBKGND leaves the skin showing through
    std::string FontName;     // the group box's font
    int FontSize = 0;
    int FontStyle = 0;
    std::vector<DockedWindow> Docked;
};

// A skinned common control. Entry 1 of a window's list starts empty.
struct CommonControlEntry {
    HWND Control = nullptr;
    WNDPROC PreviousProc = nullptr;
    COLORREF KeyColour = 0; // the control's own background colour, keyed out over the skin
};

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
