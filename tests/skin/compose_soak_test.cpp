// Composition leaves nothing behind: after repeated rebuilds, pane updates, button paints and
// title paints the process holds as many GDI objects and live GDI+ wrappers as before.
#include "compose_fixture.h"

#include "support/gdi_count.h"
#include "support/windows.h"

using compose_test::ComposedWindow;
using compose_test::CompositionTest;
using testing_support::GdiObjectCount;

TEST_F(CompositionTest, RepeatedRebuildsPaneUpdatesAndButtonPaintsLeakNothing) {
    skin::Engine.AppIcon = CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    {
        ComposedWindow w(
            {.width = 376,
             .height = 364,
             .captionHeight = 110,
             .captionGloss = true,
             .statusHeight = 20,
             .panes = {
                 {.Width = 120, .Icon = compose_test::MakeBmp(8, 8, [](int, int) { return 0; })},
                 {.Width = -1}}});
        skin::Engine.ThemeImage =
            compose_test::MakeBmp(64, 40, [](int x, int) { return RGB(x * 4, 80, 160); });
        skin::Engine.ThemeImageMode = skin::kImageTiled;
        const int p = w.position();
        // Warm up: the first rebuild and paints create what lives as long as the window (the
        // back buffer, the strips, decoded button pictures).
        skin::TheSkin->RebuildBackground(p, GetDC(w.hwnd()));
        skin::TheSkin->SetStatusPane(w.hwnd(), 1, "warm");
        skin::TheSkin->PaintCaptionButton(p, 1, nullptr, false, 30);
        const int gdiBaseline = GdiObjectCount();
        const int plusBaseline = plus::LiveObjectCount();

        // Two hundred cycles: every pane, button and angle combination (period 90) twice over,
        // both glow states shown. One object kept by any step shows in the count.
        for (int i = 0; i < 200; ++i) {
            if (i % 2) {
                skin::TheSkin->RebuildBackground(p);
            } else {
                skin::TheSkin->RebuildBackground(p, GetDC(w.hwnd()));
            }
            skin::TheSkin->SetStatusPane(w.hwnd(), 1 + i % 2, "已使用次数：" + std::to_string(i));
            const int button = 1 + i % 3;
            skin::TheSkin->PaintCaptionButton(p, button, nullptr, i % 5 == 0, (i * 30) % 270);
            if (i % 10 == 0) skin::TheSkin->PaintTitle(p);
            if (i % 100 == 0) {
                w.record().StatusGlow = !w.record().StatusGlow;
                skin::TheSkin->ShowBackBuffer(p, GetDC(w.hwnd()));
            }
        }
        EXPECT_EQ(GdiObjectCount(), gdiBaseline);
        EXPECT_EQ(plus::LiveObjectCount(), plusBaseline);
    }
    DestroyIcon(std::exchange(skin::Engine.AppIcon, nullptr));
}

TEST_F(CompositionTest, ReleasingTheRecordFreesBuffersAndTooltip) {
    {
        // What the system creates once, on first use, is not counted.
        ComposedWindow warm({.width = 200, .height = 150, .statusHeight = 20});
        skin::TheSkin->RebuildBackground(warm.position());
        skin::TheSkin->PaintCaptionButton(warm.position(), 1);
    }
    const int gdiBefore = GdiObjectCount();
    const int windowsBefore = testing_support::ThreadWindowCount();
    {
        ComposedWindow w({.width = 200, .height = 150, .statusHeight = 20});
        skin::TheSkin->RebuildBackground(w.position());
        skin::TheSkin->PaintCaptionButton(w.position(), 1);
        EXPECT_GT(GdiObjectCount(), gdiBefore);
    }
    EXPECT_EQ(GdiObjectCount(), gdiBefore);
    EXPECT_EQ(testing_support::ThreadWindowCount(), windowsBefore);
}
