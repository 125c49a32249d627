// A real window with a skin record built directly (as the install builds it) for the tests of
// the composition code: back buffer, title, status bar and caption buttons.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "support/gdi_count.h"
#include "support/plus_fixture.h"

// The tests describe windows with designated initializers and leave the other fields at their
// defaults on purpose; GCC 12 warns about every field left out.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace compose_test {

// Options of the test window's record.
struct WindowOptions {
    int width = 300; // client size (the window is a borderless popup)
    int height = 200;
    int captionHeight = 30;
    bool hasCaption = true;
    bool resizable = true;
    bool showTitle = true;
    bool captionGloss = false;
    bool systemButtons = true; // minimize, maximize, close as the install adds them
    int statusHeight = 0;
    std::vector<skin::StatusPane> panes;
    DWORD style = WS_POPUP | WS_VISIBLE | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    std::string title = "Composition";
    WNDPROC procedure = nullptr; // DefWindowProcA when null
};

class ComposedWindow {
public:
    explicit ComposedWindow(const WindowOptions& options = {});
    ~ComposedWindow();
    ComposedWindow(const ComposedWindow&) = delete;
    ComposedWindow& operator=(const ComposedWindow&) = delete;

    HWND hwnd() const { return window_; }
    int position() const { return skin::FindWindowPosition(window_); }
    skin::WindowRecord& record() const { return *skin::RecordAt(position()); }

    // Colour of a back-buffer pixel (CLR_INVALID when there is no back buffer).
    COLORREF BufferPixel(int x, int y) const;
    // A client pixel as the window shows it (read through the window's DC).
    COLORREF ScreenPixel(int x, int y) const;
    // The window's client pixels as it shows them, row by row.
    std::vector<COLORREF> ScreenPixels() const;

private:
    HWND window_ = nullptr;
};

// A 24-bit BMP file of the given size whose pixel (x, y) is colour(x, y); GDI+ decodes it.
skin::ByteSet MakeBmp(int width, int height, const std::function<COLORREF(int, int)>& colour);

// Brightness (sum of the three channels) of a COLORREF.
int Brightness(COLORREF colour);

// Fixture: GDI+ running, TheSkin present, engine options at their start values; each test's
// live wrapper count is back at its baseline at the end.
class CompositionTest : public testing_support::PlusTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

} // namespace compose_test
