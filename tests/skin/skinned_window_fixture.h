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
