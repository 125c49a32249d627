#include "app/skin_setup.h"

#include "app/main_window.h"
#include "skin/core/skin_engine.h"

namespace varnel {

namespace {
constexpr COLORREF kThemeColour = 0x00FF8800;
constexpr int kCaptionHeight = 110;
constexpr int kStatusHeight = 20;
} // namespace

void OnMainWindowCreated(MainWindow& window) {
    skin::SkinEngine* engine = skin::TheSkin.get();
    if (!engine) return;
    // The colour alone: no theme image, and the accent goes back to its default. No window is
    // skinned yet, so nothing repaints.
    engine->SetTheme({}, {}, kThemeColour);
    // No pane list: the status bar gets one pane spanning it, empty until the usage line comes.
    engine->SkinWindow(window.Handle(), kCaptionHeight, /*hasCaption=*/1, /*resizable=*/0,
                       /*helpButton=*/0, /*menuButton=*/0, /*showTitle=*/1, /*captionGloss=*/1,
                       kStatusHeight);
    // Translucent controls with no white wash; the track-bar frame stays on.
    engine->SetControlOptions(1, 0);
}

} // namespace varnel
