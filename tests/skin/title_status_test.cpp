// Caption title and status bar: pane geometry, the style setters' defaults and failures, and
// what a pane or title update changes on screen.
#include "compose_fixture.h"

#include "plus/plus_object.h"
#include "skin/services/title_status.h"

#include <climits>

using compose_test::ComposedWindow;
using compose_test::CompositionTest;
using compose_test::WindowOptions;

namespace {

// The bounding box of the pixels that differ between two captures of a client area.
struct Changes {
    int count = 0;
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
};
// The pixels that differ, in columns from `fromX` on.
Changes Compare(const std::vector<COLORREF>& before, const std::vector<COLORREF>& after, int width,
                int fromX = 0) {
    Changes changes;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
        if (before[i] == after[i]) continue;
        const int x = static_cast<int>(i) % width;
        const int y = static_cast<int>(i) / width;
        if (x < fromX) continue;
        ++changes.count;
        changes.box.left = std::min<int>(changes.box.left, x);
        changes.box.top = std::min<int>(changes.box.top, y);
        changes.box.right = std::max<int>(changes.box.right, x + 1);
        changes.box.bottom = std::max<int>(changes.box.bottom, y + 1);
    }
    return changes;
}

} // namespace

TEST_F(CompositionTest, StatusBarWithoutPanesHasOnePaneSpanningTheBar) {
    ComposedWindow w({.width = 300, .height = 200, .statusHeight = 20});
    const skin::WindowRecord& r = w.record();
    ASSERT_EQ(r.StatusPanes.size(), 1u);
    ASSERT_EQ(r.StatusPaneRects.size(), 1u);
    EXPECT_EQ(r.StatusPanes[0].Width, -1);
    EXPECT_TRUE(r.StatusPanes[0].Text.empty());
    // FrameWidth 3: y = 200 - 3 - 20 - 1.
    const skin::PaneRect expected{3, 176, 294, 20};
    for (const skin::PaneRect& rect : {r.StatusRect, r.StatusPaneRects[0]}) {
        EXPECT_EQ(rect.x, expected.x);
        EXPECT_EQ(rect.y, expected.y);
        EXPECT_EQ(rect.width, expected.width);
        EXPECT_EQ(rect.height, expected.height);
    }
}

TEST_F(CompositionTest, RemainderPaneTakesTheRestAndFollowsResizes) {
    ComposedWindow w({.width = 300,
                      .height = 200,
                      .statusHeight = 20,
                      .panes = {{.Width = 100, .Text = "一"}, {.Width = -1, .Text = "二"}}});
    const skin::WindowRecord& r = w.record();
    ASSERT_EQ(r.StatusPaneRects.size(), 2u);
    EXPECT_EQ(r.StatusPaneRects[0].x, 3);
    EXPECT_EQ(r.StatusPaneRects[0].width, 100);
    EXPECT_EQ(r.StatusPaneRects[1].x, 103);
    EXPECT_EQ(r.StatusPaneRects[1].width, 300 - 3 - 103);
    EXPECT_EQ(r.StatusPanes[1].Width, -1); // the definition is kept as given

    SetWindowPos(w.hwnd(), nullptr, 0, 0, 400, 260, SWP_NOMOVE | SWP_NOZORDER);
    skin::TheSkin->LayoutStatusBar(w.position());
    EXPECT_EQ(r.StatusRect.y, 260 - 20 - 3 - 1);
    EXPECT_EQ(r.StatusRect.width, 400 - 6);
    EXPECT_EQ(r.StatusPaneRects[0].width, 100);
    EXPECT_EQ(r.StatusPaneRects[1].x, 103);
    EXPECT_EQ(r.StatusPaneRects[1].width, 400 - 100 - 6);
    EXPECT_EQ(r.StatusPaneRects[1].y, 236);
}

TEST_F(CompositionTest, SetStatusPaneRejectsUnknownPanesAndWindows) {
    ComposedWindow w({.width = 300,
                      .height = 200,
                      .statusHeight = 20,
                      .panes = {{.Width = 100}, {.Width = -1}}});
    skin::TheSkin->RebuildBackground(w.position());
    EXPECT_FALSE(skin::TheSkin->SetStatusPane(w.hwnd(), 0, "x"));
    EXPECT_FALSE(skin::TheSkin->SetStatusPane(w.hwnd(), 3, "x"));
    EXPECT_FALSE(skin::TheSkin->SetStatusPane(GetDesktopWindow(), 1, "x"));
    EXPECT_TRUE(w.record().StatusPanes[0].Text.empty());
    EXPECT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 2, "第二", std::nullopt, RGB(1, 2, 3)));
    EXPECT_EQ(w.record().StatusPanes[1].Text, "第二");
    EXPECT_EQ(w.record().StatusPanes[1].TextColour, RGB(1, 2, 3));
    // Omitted icon and colour keep their values.
    EXPECT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 2, "again"));
    EXPECT_EQ(w.record().StatusPanes[1].TextColour, RGB(1, 2, 3));
}

TEST_F(CompositionTest, SetStatusStyleDefaultsAndFailure) {
    ComposedWindow w({.width = 300, .height = 200, .statusHeight = 20});
    skin::WindowRecord& r = w.record();
    r.StatusGlow = 1;
    r.StatusFontName = "Tahoma";
    r.StatusFontSize = 14;
    ASSERT_TRUE(skin::TheSkin->SetStatusStyle(w.hwnd()));
    EXPECT_EQ(r.StatusInverseText, 1);
    EXPECT_EQ(r.StatusGlow, 0);
    EXPECT_EQ(r.StatusTextColour, 0u);
    EXPECT_EQ(r.StatusGlowColour, 0x00FFFFFFu);
    EXPECT_EQ(r.StatusFontName, "Tahoma"); // omitted: kept
    EXPECT_EQ(r.StatusFontSize, 14);
    ASSERT_TRUE(
        skin::TheSkin->SetStatusStyle(w.hwnd(), 0, 1, RGB(9, 9, 9), RGB(1, 1, 1), "宋体", 12));
    EXPECT_EQ(r.StatusInverseText, 0);
    EXPECT_EQ(r.StatusGlow, 1);
    EXPECT_EQ(r.StatusGlowColour, RGB(1, 1, 1));
    EXPECT_EQ(r.StatusFontSize, 12);

    HWND stranger = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
    EXPECT_FALSE(skin::TheSkin->SetStatusStyle(stranger));
    EXPECT_FALSE(skin::TheSkin->SetTitleStyle(stranger, "Tahoma"));
    DestroyWindow(stranger);
    EXPECT_EQ(r.StatusInverseText, 0);
}

TEST_F(CompositionTest, PaneTextStartsThreePixelsInAndOnlyThePaneChanges) {
    ComposedWindow w(
        {.width = 300, .height = 200, .statusHeight = 20, .panes = {{.Width = 80}, {.Width = -1}}});
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    const std::vector<COLORREF> before = w.ScreenPixels();
    ASSERT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 2, "已使用次数：42"));
    const std::vector<COLORREF> after = w.ScreenPixels();

    const skin::PaneRect pane = w.record().StatusPaneRects[1];
    const Changes changes = Compare(before, after, 300);
    ASSERT_GT(changes.count, 20) << "the text did not reach the screen";
    // The layout box starts 3 pixels in; the glyph's own side bearing and the string format's
    // leading padding add a few more.
    EXPECT_GE(changes.box.left, pane.x + 3);
    EXPECT_LE(changes.box.left, pane.x + 8);
    EXPECT_GE(changes.box.top, pane.y + (pane.height - 12) / 2);
    EXPECT_LE(changes.box.right, pane.x + pane.width);
    EXPECT_LE(changes.box.bottom, pane.y + pane.height);

    // The back buffer holds the same picture, and a rebuild repaints the stored text.
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    EXPECT_EQ(Compare(after, w.ScreenPixels(), 300).count, 0);
}

TEST_F(CompositionTest, RepeatedPaneUpdatesDoNotAccumulate) {
    ComposedWindow w({.width = 300, .height = 200, .statusHeight = 20});
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    skin::TheSkin->SetStatusPane(w.hwnd(), 1, "状态");
    const std::vector<COLORREF> once = w.ScreenPixels();
    for (int i = 0; i < 5; ++i)
        skin::TheSkin->SetStatusPane(w.hwnd(), 1, "状态");
    EXPECT_EQ(Compare(once, w.ScreenPixels(), 300).count, 0);
}

TEST_F(CompositionTest, InverseAndGlowTextAreDrawn) {
    ComposedWindow w({.width = 300, .height = 200, .statusHeight = 24});
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    const std::vector<COLORREF> clean = w.ScreenPixels();
    ASSERT_TRUE(skin::TheSkin->SetStatusStyle(w.hwnd(), 0, 1, RGB(0, 0, 0), RGB(255, 255, 255)));
    skin::TheSkin->SetStatusPane(w.hwnd(), 1, "发光的文字");
    const Changes glow = Compare(clean, w.ScreenPixels(), 300);
    EXPECT_GT(glow.count, 20);
    const skin::PaneRect pane = w.record().StatusPaneRects[0];
    EXPECT_GE(glow.box.left, pane.x);
    EXPECT_LE(glow.box.bottom, pane.y + pane.height);

    ASSERT_TRUE(skin::TheSkin->SetStatusStyle(w.hwnd())); // inverse on, glow off
    skin::TheSkin->SetStatusPane(w.hwnd(), 1, "反色");
    // The complement of the theme colour 0xFF8800 is 0x0077FF: some pixel turns reddish.
    const std::vector<COLORREF> inverse = w.ScreenPixels();
    bool reddish = false;
    for (int y = pane.y; y < pane.y + pane.height; ++y)
        for (int x = pane.x; x < pane.x + 40; ++x) {
            const COLORREF c = inverse[static_cast<std::size_t>(y) * 300 + x];
            if (GetRValue(c) > 200 && GetBValue(c) < 120) reddish = true;
        }
    EXPECT_TRUE(reddish);
}

TEST_F(CompositionTest, AnEmptyPaneMakesNoFontUntilItsFirstText) {
    ComposedWindow w({.width = 300, .height = 200, .statusHeight = 20});
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    const std::vector<COLORREF> empty = w.ScreenPixels();
    const int objects = plus::LiveObjectCount();
    // A repaint of the empty pane (and another rebuild) makes nothing and changes nothing.
    ASSERT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 1, ""));
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    EXPECT_EQ(plus::LiveObjectCount(), objects);
    EXPECT_EQ(Compare(empty, w.ScreenPixels(), 300).count, 0);

    // The first text makes the pane's font, which the pane keeps; the next text uses it.
    ASSERT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 1, "已使用次数：1"));
    EXPECT_EQ(plus::LiveObjectCount(), objects + 1);
    const std::vector<COLORREF> first = w.ScreenPixels();
    EXPECT_GT(Compare(empty, first, 300).count, 20);
    ASSERT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 1, "已使用次数：2"));
    EXPECT_EQ(plus::LiveObjectCount(), objects + 1);
    EXPECT_GT(Compare(first, w.ScreenPixels(), 300).count, 0);

    // Empty again: the text goes, as a fresh empty pane shows.
    ASSERT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 1, ""));
    EXPECT_EQ(Compare(empty, w.ScreenPixels(), 300).count, 0);
}

TEST_F(CompositionTest, PaneIconShiftsTheText) {
    const skin::ByteSet icon = compose_test::MakeBmp(10, 10, [](int, int) { return RGB(0, 0, 0); });
    ComposedWindow w({.width = 300, .height = 200, .statusHeight = 20});
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    const std::vector<COLORREF> clean = w.ScreenPixels();
    ASSERT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 1, "", icon));
    const skin::PaneRect pane = w.record().StatusPaneRects[0];
    const Changes changes = Compare(clean, w.ScreenPixels(), 300);
    EXPECT_EQ(changes.box.left, pane.x + 2); // icon at x + 2
    EXPECT_EQ(changes.box.top, pane.y + 5);  // (20 - 10) / 2
    EXPECT_EQ(changes.box.right, pane.x + 12);
    // The text moves right by exactly the icon's width.
    ASSERT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 1, "文字", skin::ByteSet{}));
    const int plainLeft = Compare(clean, w.ScreenPixels(), 300).box.left;
    ASSERT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 1, "文字", icon));
    EXPECT_EQ(Compare(clean, w.ScreenPixels(), 300, pane.x + 12).box.left, plainLeft + 10);
    // An icon that does not decode: the text is still drawn.
    ASSERT_TRUE(skin::TheSkin->SetStatusPane(w.hwnd(), 1, "文字", skin::ByteSet{1, 2, 3}));
    EXPECT_GT(Compare(clean, w.ScreenPixels(), 300).count, 20);
}

TEST_F(CompositionTest, TitleIsPaintedAndRepaintedInPlace) {
    skin::Engine.AppIcon = CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    ComposedWindow w({.width = 300, .height = 200, .captionHeight = 40, .title = "标题"});
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    const std::vector<COLORREF> first = w.ScreenPixels();
    // The icon at (FrameWidth + 6, FrameWidth + 2), the text 20 pixels further right.
    skin::TheSkin->PaintTitle(w.position());
    EXPECT_EQ(Compare(first, w.ScreenPixels(), 300).count, 0) << "a repaint must not pile up";

    SetWindowTextA(w.hwnd(), "一个更长的标题");
    ASSERT_TRUE(skin::TheSkin->SetTitleStyle(w.hwnd(), std::nullopt, 14, RGB(255, 255, 0)));
    EXPECT_EQ(w.record().TitleFontSize, 14);
    EXPECT_EQ(w.record().TitleTextColour, RGB(255, 255, 0));
    EXPECT_EQ(w.record().TitleFontName, "宋体");
    const Changes changes = Compare(first, w.ScreenPixels(), 300);
    EXPECT_GT(changes.count, 20);
    EXPECT_GE(changes.box.left, 3 + 6 + 20 - 1); // the halo reaches one pixel left
    EXPECT_LE(changes.box.bottom, 3 + 5 + 32);
    EXPECT_LE(changes.box.right, 300 - w.record().CaptionButtonsWidth);

    // The halo lies one pixel around the ink: against a caption without a title, the leftmost
    // column the title changes is one left of the ink layer's leftmost column.
    SetWindowTextA(w.hwnd(), "");
    skin::TheSkin->PaintTitle(w.position());
    const std::vector<COLORREF> untitled = w.ScreenPixels();
    SetWindowTextA(w.hwnd(), "一个更长的标题");
    skin::TheSkin->PaintTitle(w.position());
    const skin::TextLayer& layer = w.record().TitleLayer;
    int inkLeft = INT_MAX;
    for (int y = 0; y < layer.height; ++y)
        for (int x = 0; x < layer.width; ++x)
            if (layer.pixels[static_cast<std::size_t>(y * layer.width + x)] >> 24)
                inkLeft = std::min(inkLeft, layer.left + x);
    ASSERT_NE(inkLeft, INT_MAX) << "the title was drawn through its kept layer";
    EXPECT_EQ(Compare(untitled, w.ScreenPixels(), 300).box.left, inkLeft - 1);
    DestroyIcon(std::exchange(skin::Engine.AppIcon, nullptr));
}
