// Skinning a real test window the way the application does, for the tests of the window
// procedure and the long runs.
#pragma once
#include "toplevel_fixture.h"

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

} // namespace toplevel_testing
