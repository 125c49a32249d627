// Finding windows, reading pixels and taking screenshots in GUI tests.
#pragma once
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// First top-level window whose title equals `title` (code page 936 bytes), or null.
HWND FindTopLevelWindow(const std::string& title);

// Runs the calling thread's message loop until `done()` is true or `timeout` passes.
// Returns done().
bool PumpMessagesUntil(const std::function<bool()>& done,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Pumps pending messages for a short while (painting, timers).
void PumpMessagesFor(std::chrono::milliseconds duration);

// Colour (0x00BBGGRR) of a pixel of a DC, or CLR_INVALID.
COLORREF PixelOf(HDC dc, int x, int y);

// Colour of a pixel of a window as it is on screen (client coordinates when `client` is
// true, else window coordinates). Reads the screen, so the window must be visible and on top.
COLORREF ScreenPixelOf(HWND window, int x, int y, bool client = true);

// True when each of the three channels differs by at most `tolerance`.
bool ColoursNear(COLORREF a, COLORREF b, int tolerance = 8);

// Writes the screen area of `window` (or the whole screen for null) to a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::string& path);

// The pixels (0x00RRGGBB) a rectangle of `window`'s client area shows, row by row: read
// through the window's DC for a window of this process (unaffected by windows on top of it),
// from the screen for another process's window.
std::vector<std::uint32_t> ScreenPixels(HWND window, const RECT& clientArea);

// How many pixels of two equally sized captures differ.
std::size_t CountDifferentPixels(const std::vector<std::uint32_t>& a,
                                 const std::vector<std::uint32_t>& b);

} // namespace testing_support
