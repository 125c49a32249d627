// Skinning a real test window the way the application does, for the tests of the window
// procedure and the long runs.
#pragma once
#include "toplevel_fixture.h"

#include "plus/plus_object.h"

#include <utility>
#include <vector>

namespace toplevel_testing {

class SkinnedWindowTest : public SkinTest {
protected:
    // Skins `window` with a caption of `captionHeight`, shows it and lets it paint.
    int SkinAndShow(HWND window, int captionHeight = 30, int resizable = 1, int statusHeight = 0) {
        skin::TheSkin->SkinWindow(window, captionHeight, 1, resizable, 0, 0, 1, 0, statusHeight);
        // Not activated: without a window manager, hiding an active window costs Wine seconds.
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
        Pump();
        return skin::FindWindowPosition(window);
    }
};

// Runs `steps` while another window of this thread is the active one, then gives the activation
// back to `window`. Under the test runner other programs' windows come and go in front of ours,
// and the first time a window loses the activation the system makes objects it keeps for the
// rest of the process (pictures of the inactive look, DCs of its cache): some twenty here. A
// long run's warm-up goes through this so that those are made before anything is counted.
template <typename Steps>
void WhileAnotherWindowIsActive(HWND window, Steps steps) {
    HWND other = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 560, 200,
                                 150, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    Pump(30);
    steps();
    DestroyWindow(other);
    SetForegroundWindow(window);
    Pump(30);
}

// What a long run must leave as it found it: the GDI objects, the thread's windows and the
// GDI+ wrappers, counted when this is made.
struct Leftovers {
    int gdi = testing_support::GdiObjectCount();
    int windows = testing_support::ThreadWindowCount();
    int wrappers = plus::LiveObjectCount();
    std::vector<std::pair<int, int>> handles = testing_support::GdiHandleSnapshot();

    // Expects all three counts back where they were, naming the GDI handles that are new.
    void ExpectBack() const {
        EXPECT_EQ(testing_support::GdiObjectCount(), gdi)
            << "new handles (index:type): "
            << testing_support::NewGdiHandles(handles, testing_support::GdiHandleSnapshot());
        EXPECT_EQ(testing_support::ThreadWindowCount(), windows) << "windows left";
        EXPECT_EQ(plus::LiveObjectCount(), wrappers) << "GDI+ wrappers left";
    }
};

} // namespace toplevel_testing
