// A composed window as it appears on screen: caption with title and gloss, caption buttons, a
// status bar with a pane text. Saved as compose.bmp in the build folder for a look.
#include "compose_fixture.h"

#include <string>

#include "support/windows.h"

using compose_test::ComposedWindow;
using compose_test::CompositionTest;

TEST_F(CompositionTest, ComposedWindowScreenshot) {
    skin::Engine.AppIcon = CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    {
        ComposedWindow w({.width = 376,
                          .height = 240,
                          .captionHeight = 60,
                          .captionGloss = true,
                          .statusHeight = 20,
                          .title = "Varnel/免更新版"});
        testing_support::PumpMessagesFor(std::chrono::milliseconds(300));
        skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
        ASSERT_TRUE(skin::TheSkin->SetStatusPane(
            w.hwnd(), 1, "Oskimo  http://127.0.0.1:8931/  已使用次数：42 次  "));
        skin::TheSkin->PaintCaptionButton(w.position(), 2, nullptr, false, 180); // hovered
        testing_support::PumpMessagesFor(std::chrono::milliseconds(200));
        const std::string path = std::string(VARNEL_BINARY_DIR) + "/compose.bmp";
        EXPECT_TRUE(testing_support::SaveScreenshot(w.hwnd(), path));
        // The picture on screen is the back buffer's.
        EXPECT_EQ(w.ScreenPixel(200, 100), w.BufferPixel(200, 100));
    }
    DestroyIcon(std::exchange(skin::Engine.AppIcon, nullptr));
}
