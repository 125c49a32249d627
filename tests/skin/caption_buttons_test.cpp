// Caption buttons: layout, hit testing, the press and cursor zones, added buttons, handlers
// and the button paints.
#include "compose_fixture.h"

#include "skin/services/caption_buttons.h"

using compose_test::ComposedWindow;
using compose_test::CompositionTest;
using compose_test::WindowOptions;

namespace {

// What a test window's procedure received of the frame messages BeginFrameDrag sends. The
// system's move and size loops are not entered: the messages are recorded and swallowed.
struct FrameMessages {
    UINT message = 0;
    WPARAM wParam = 0;
    int count = 0;
};
FrameMessages g_frame;

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND || message == WM_NCLBUTTONDOWN) {
        g_frame.message = message;
        g_frame.wParam = wParam;
        ++g_frame.count;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

HCURSOR Cursor(WORD id) {
    return LoadCursorA(nullptr, MAKEINTRESOURCEA(id));
}

} // namespace

TEST_F(CompositionTest, ThreeButtonsLieAtTheirPitch) {
    ComposedWindow w({.width = 580, .height = 200, .systemButtons = false});
    skin::WindowRecord& r = w.record();
    for (int i = 0; i < 3; ++i)
        r.CaptionButtons.push_back(skin::CaptionButton{});
    r.CaptionButtons[1].Kind = skin::kMinimizeButton;
    r.CaptionButtons[2].Kind = skin::kMaximizeButton;
    r.CaptionButtonsWidth = 81;
    skin::TheSkin->LayoutCaptionButtons(w.position());
    EXPECT_EQ(r.ButtonsLeft, 500);
    EXPECT_EQ(r.ButtonsHeight, 22);
    const float xs[] = {502, 529, 556};
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(r.CaptionButtons[i].Rect.x, xs[i]);
        EXPECT_FLOAT_EQ(r.CaptionButtons[i].Rect.y, 1);
        EXPECT_FLOAT_EQ(r.CaptionButtons[i].Rect.width, 26);
        EXPECT_FLOAT_EQ(r.CaptionButtons[i].Rect.height, 18);
    }
    const RECT row = skin::TheSkin->GetCaptionButtonsRect(w.hwnd());
    EXPECT_EQ(row.left, 500);
    EXPECT_EQ(row.right, 581);
    EXPECT_EQ(row.bottom, 22);
    const RECT none = skin::TheSkin->GetCaptionButtonsRect(GetDesktopWindow());
    EXPECT_TRUE(IsRectEmpty(&none));
}

TEST_F(CompositionTest, CloseButtonIsFortyPixelsWide) {
    ComposedWindow w({.width = 300, .height = 200});
    const skin::WindowRecord& r = w.record();
    ASSERT_EQ(r.CaptionButtons.size(), 3u);
    EXPECT_EQ(r.ButtonsLeft, 300 - 90 + 1);
    EXPECT_FLOAT_EQ(r.CaptionButtons[2].Rect.width, 40);
    EXPECT_FLOAT_EQ(r.CaptionButtons[2].Rect.x, 211 + 2 + 54);
    EXPECT_EQ(skin::TheSkin->FindMaximizeButton(w.position()), 2);
}

TEST_F(CompositionTest, HitTestIsStrictAtEveryEdge) {
    ComposedWindow w({.width = 580, .height = 200, .systemButtons = false});
    skin::WindowRecord& r = w.record();
    for (int i = 0; i < 3; ++i)
        r.CaptionButtons.push_back(skin::CaptionButton{});
    r.CaptionButtonsWidth = 81;
    skin::TheSkin->LayoutCaptionButtons(w.position());
    const int p = w.position();
    EXPECT_EQ(skin::TheSkin->HitTestCaptionButton(p, 502, 10), 0); // left edge
    EXPECT_EQ(skin::TheSkin->HitTestCaptionButton(p, 503, 10), 1);
    EXPECT_EQ(skin::TheSkin->HitTestCaptionButton(p, 527, 10), 1);
    EXPECT_EQ(skin::TheSkin->HitTestCaptionButton(p, 528, 10), 0); // right edge
    EXPECT_EQ(skin::TheSkin->HitTestCaptionButton(p, 530, 1), 0);  // top edge
    EXPECT_EQ(skin::TheSkin->HitTestCaptionButton(p, 530, 2), 2);
    EXPECT_EQ(skin::TheSkin->HitTestCaptionButton(p, 530, 19), 0); // bottom edge
    EXPECT_EQ(skin::TheSkin->HitTestCaptionButton(p, 560, 18), 3);
    EXPECT_EQ(skin::TheSkin->HitTestCaptionButton(p, 100, 10), 0);
    EXPECT_EQ(skin::TheSkin->HitTestCaptionButton(99, 503, 10), 0);
    EXPECT_EQ(skin::TheSkin->FindMaximizeButton(p), 0);
}

TEST_F(CompositionTest, PressesResizeFromTheCornerAndDragElsewhere) {
    ComposedWindow w({.width = 300, .height = 200, .procedure = RecordingProcedure});
    const int p = w.position();
    g_frame = {};
    skin::TheSkin->BeginFrameDrag(p, At(5, 5));
    EXPECT_EQ(g_frame.message, static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(g_frame.wParam, 0xF004u);
    EXPECT_EQ(GetCursor(), Cursor(32642)); // IDC_SIZENWSE
    EXPECT_EQ(w.record().BackgroundStale, 1);

    g_frame = {};
    w.record().BackgroundStale = 0;
    skin::TheSkin->BeginFrameDrag(p, At(5, 50)); // x > FrameWidth: not the left edge
    EXPECT_EQ(g_frame.message, static_cast<UINT>(WM_NCLBUTTONDOWN));
    EXPECT_EQ(g_frame.wParam, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(w.record().BackgroundStale, 0);

    // Every zone, in the table's order; then each line where an edge gives way to a 10-pixel
    // corner, from either side (the top right one lies under the caption buttons).
    struct Zone {
        int x, y;
        WPARAM command;
        WORD cursor;
    };
    const Zone zones[] = {
        {2, 100, 0xF001, 32644},   {298, 100, 0xF002, 32644}, {150, 2, 0xF003, 32645},
        {150, 198, 0xF006, 32645}, {8, 8, 0xF004, 32642},     {295, 2, 0xF005, 32643},
        {8, 192, 0xF007, 32643},   {292, 192, 0xF008, 32642}, {2, 10, 0xF004, 32642},
        {2, 11, 0xF001, 32644},    {2, 189, 0xF001, 32644},   {2, 190, 0xF007, 32643},
        {298, 189, 0xF002, 32644}, {298, 190, 0xF008, 32642}, {10, 2, 0xF004, 32642},
        {11, 2, 0xF003, 32645},    {289, 2, 0xF003, 32645},   {290, 2, 0xF005, 32643},
        {10, 198, 0xF007, 32643},  {11, 198, 0xF006, 32645},  {289, 198, 0xF006, 32645},
        {290, 198, 0xF008, 32642},
    };
    for (const Zone& zone : zones) {
        g_frame = {};
        skin::TheSkin->BeginFrameDrag(p, At(zone.x, zone.y));
        EXPECT_EQ(g_frame.wParam, zone.command) << zone.x << "," << zone.y;
        EXPECT_EQ(GetCursor(), Cursor(zone.cursor)) << zone.x << "," << zone.y;
    }
}

TEST_F(CompositionTest, NoDragOnTheButtonRowOrWithoutCaption) {
    ComposedWindow w({.width = 300, .height = 200, .procedure = RecordingProcedure});
    g_frame = {};
    skin::TheSkin->BeginFrameDrag(w.position(), At(250, 10)); // on the row
    EXPECT_EQ(g_frame.count, 0);
    skin::TheSkin->BeginFrameDrag(w.position(), At(250, 2)); // above the row (y < 3): a resize
    EXPECT_EQ(g_frame.wParam, 0xF003u);
    w.record().HasCaption = 0;
    g_frame = {};
    skin::TheSkin->BeginFrameDrag(w.position(), At(100, 100));
    EXPECT_EQ(g_frame.count, 0);

    ComposedWindow fixed(
        {.width = 300, .height = 200, .resizable = false, .procedure = RecordingProcedure});
    g_frame = {};
    skin::TheSkin->BeginFrameDrag(fixed.position(), At(5, 5)); // not resizable: a drag
    EXPECT_EQ(g_frame.message, static_cast<UINT>(WM_NCLBUTTONDOWN));
}

TEST_F(CompositionTest, UpdateFrameCursorOnlySetsTheCursor) {
    ComposedWindow w({.width = 300, .height = 200, .procedure = RecordingProcedure});
    g_frame = {};
    SetCursor(Cursor(32512)); // IDC_ARROW
    skin::TheSkin->UpdateFrameCursor(w.position(), At(298, 100));
    EXPECT_EQ(GetCursor(), Cursor(32644));
    skin::TheSkin->UpdateFrameCursor(w.position(), At(292, 192));
    EXPECT_EQ(GetCursor(), Cursor(32642));
    SetCursor(Cursor(32512));
    skin::TheSkin->UpdateFrameCursor(w.position(), At(150, 100)); // no zone: unchanged
    EXPECT_EQ(GetCursor(), Cursor(32512));
    EXPECT_EQ(g_frame.count, 0);
    EXPECT_EQ(w.record().BackgroundStale, 0);
}

TEST_F(CompositionTest, AddedButtonBecomesButtonOneAndWidensTheRow) {
    ComposedWindow w({.width = 300, .height = 200});
    skin::WindowRecord& r = w.record();
    const int widthBefore = r.CaptionButtonsWidth;
    const HWND tip = r.Tooltip->GetTooltipWindow();
    ASSERT_NE(tip, nullptr);
    const LRESULT toolsBefore = SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0);
    int clicks = 0;
    const skin::ByteSet image =
        compose_test::MakeBmp(26, 18, [](int, int) { return RGB(0, 0, 0); });
    ASSERT_TRUE(skin::TheSkin->AddCaptionButton(w.hwnd(), image, "设置", [&] { ++clicks; }));
    ASSERT_EQ(r.CaptionButtons.size(), 4u);
    EXPECT_EQ(r.CaptionButtonsWidth, widthBefore + 27);
    const skin::CaptionButton& added = r.CaptionButtons[0];
    EXPECT_EQ(added.Kind, skin::kApplicationButton);
    EXPECT_EQ(added.Width, 26);
    EXPECT_EQ(added.Height, 18);
    EXPECT_EQ(added.Tooltip, "设置");
    EXPECT_EQ(added.Image, image);
    EXPECT_EQ(r.ButtonsLeft, 300 - widthBefore - 27 + 1);
    EXPECT_FLOAT_EQ(added.Rect.x, static_cast<float>(r.ButtonsLeft + 2));
    EXPECT_EQ(r.CaptionButtons[3].Kind, skin::kCloseButton); // close stays at the right end
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), toolsBefore + 1);
    added.Action();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(skin::TheSkin->FindMaximizeButton(w.position()), 3);

    // Tool 1 now covers the added button and carries its text.
    char text[32] = {};
    TOOLINFOA info{};
    info.cbSize = sizeof info;
    info.hwnd = w.hwnd();
    info.uId = 1;
    info.lpszText = text;
    SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, "设置");

    EXPECT_FALSE(skin::TheSkin->AddCaptionButton(GetDesktopWindow(), image, "x"));
}

// What the caption tooltip is sent: its tool messages counted, the rest passed on.
struct TooltipTraffic {
    static inline WNDPROC original = nullptr;
    static inline int rects = 0;
    static inline int texts = 0;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == TTM_NEWTOOLRECTA) ++rects;
        if (message == TTM_UPDATETIPTEXTA) ++texts;
        return CallWindowProcA(original, window, message, wParam, lParam);
    }
};

RECT ToolRect(HWND tip, HWND owner, UINT id) {
    TOOLINFOA tool{};
    tool.cbSize = offsetof(TOOLINFOA, lParam);
    tool.hwnd = owner;
    tool.uId = id;
    SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool));
    return tool.rect;
}

// A layout that changes nothing (as the second WM_WINDOWPOSCHANGED a region change brings at
// each step of a live resize runs it) sends the tooltip nothing; a wider window moves every
// tool with its button, and an added button renames the tools after it.
TEST_F(CompositionTest, TheToolsFollowTheButtonsAndAnUnchangedLayoutSendsNothing) {
    ComposedWindow w({.width = 300, .height = 200});
    skin::WindowRecord& r = w.record();
    const HWND tip = r.Tooltip->GetTooltipWindow();
    ASSERT_NE(tip, nullptr);
    TooltipTraffic::original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TooltipTraffic::Procedure)));
    TooltipTraffic::rects = TooltipTraffic::texts = 0;
    skin::TheSkin->LayoutCaptionButtons(w.position());
    EXPECT_EQ(TooltipTraffic::rects, 0);
    EXPECT_EQ(TooltipTraffic::texts, 0);

    const RECT before = ToolRect(tip, w.hwnd(), 3);
    SetWindowPos(w.hwnd(), nullptr, 0, 0, 340, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    skin::TheSkin->LayoutCaptionButtons(w.position());
    skin::TheSkin->LayoutCaptionButtons(w.position());
    const int buttons = static_cast<int>(r.CaptionButtons.size());
    EXPECT_EQ(TooltipTraffic::rects, buttons); // each tool once, though the layout ran twice
    EXPECT_EQ(TooltipTraffic::texts, 0);
    for (int id = 1; id <= buttons; ++id) {
        const plus::RectF& button = r.CaptionButtons[static_cast<std::size_t>(id - 1)].Rect;
        const RECT tool = ToolRect(tip, w.hwnd(), static_cast<UINT>(id));
        EXPECT_EQ(tool.left, static_cast<LONG>(button.x)) << id;
        EXPECT_EQ(tool.right, static_cast<LONG>(button.x) + static_cast<LONG>(button.width)) << id;
    }
    EXPECT_EQ(ToolRect(tip, w.hwnd(), 3).left, before.left + 40);

    TooltipTraffic::rects = TooltipTraffic::texts = 0;
    ASSERT_TRUE(skin::TheSkin->AddCaptionButton(
        w.hwnd(), compose_test::MakeBmp(26, 18, [](int, int) { return RGB(0, 0, 0); }), "设置"));
    // Every old tool now stands for the button before it: each gets its new text once.
    EXPECT_EQ(TooltipTraffic::texts, buttons + 1);
    SetWindowLongPtrA(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TooltipTraffic::original));
}

TEST_F(CompositionTest, HandlersAreStoredOnlyForSkinnedWindows) {
    ComposedWindow w({.width = 300, .height = 200});
    int a = 0;
    int b = 0;
    skin::TheSkin->SetHandlerA(w.hwnd(), [&] { ++a; });
    skin::TheSkin->SetHandlerB(w.hwnd(), [&] { ++b; });
    ASSERT_TRUE(w.record().HandlerA);
    ASSERT_TRUE(w.record().HandlerB);
    w.record().HandlerA();
    w.record().HandlerB();
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 1);
    skin::TheSkin->SetHandlerA(GetDesktopWindow(), [&] { ++a; }); // stores nothing, no crash
}

TEST_F(CompositionTest, ButtonPaintsChangeOnlyTheButtonAndEndWhereTheyStarted) {
    ComposedWindow w({.width = 300, .height = 200, .captionHeight = 30});
    skin::TheSkin->RebuildBackground(w.position(), GetDC(w.hwnd()));
    const std::vector<COLORREF> plain = w.ScreenPixels();
    const int p = w.position();
    const skin::CaptionButton& minimize = w.record().CaptionButtons[0];

    skin::TheSkin->PaintCaptionButton(p, 1, nullptr, false, 240); // hover at full level
    const std::vector<COLORREF> hot = w.ScreenPixels();
    int changed = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) {
            if (plain[y * 300 + x] == hot[y * 300 + x]) continue;
            ++changed;
            EXPECT_GE(x, static_cast<int>(minimize.Rect.x) - 2);
            EXPECT_LE(x, static_cast<int>(minimize.Rect.x) + 24);
            EXPECT_LE(y, 19);
        }
    EXPECT_GT(changed, 50);

    // A whole hover animation in and out ends with the plain picture again.
    for (int step = 1; step <= 8; ++step)
        skin::TheSkin->PaintCaptionButton(p, 1, nullptr, false, step * 30);
    for (int step = 1; step <= 8; ++step)
        skin::TheSkin->PaintCaptionButton(p, 1, nullptr, false, 240 - step * 30);
    EXPECT_EQ(w.ScreenPixels(), plain);

    skin::TheSkin->PaintCaptionButton(p, 3, nullptr, true); // pressed close button: red
    const COLORREF pressed =
        w.ScreenPixel(static_cast<int>(w.record().CaptionButtons[2].Rect.x) + 2, 3);
    EXPECT_GT(GetRValue(pressed), 180);
    EXPECT_LT(GetGValue(pressed), 120);
}

TEST_F(CompositionTest, SystemButtonImagesFollowTheStyle) {
    ComposedWindow w({.width = 300, .height = 200});
    skin::TheSkin->RebuildBackground(w.position());
    const skin::ByteSet a{1}, b{2}, c{3}, d{4};
    EXPECT_EQ(skin::TheSkin->SetSystemButtonImages(w.hwnd(), a, b, c, d), 1);
    const skin::WindowRecord& r = w.record();
    EXPECT_EQ(r.CaptionButtons[0].Image, a);
    EXPECT_EQ(r.CaptionButtons[1].Image, b);
    EXPECT_EQ(r.CaptionButtons[1].AlternateImage, c);
    EXPECT_EQ(r.CaptionButtons[2].Image, d);
    EXPECT_EQ(
        skin::TheSkin->SetSystemButtonImages(w.hwnd(), std::nullopt, std::nullopt, std::nullopt, a),
        1);
    EXPECT_EQ(r.CaptionButtons[0].Image, a); // omitted: kept
    EXPECT_EQ(r.CaptionButtons[2].Image, a);

    ComposedWindow minimizeOnly({.width = 300,
                                 .height = 200,
                                 .systemButtons = false,
                                 .style = WS_POPUP | WS_VISIBLE | WS_MINIMIZEBOX});
    minimizeOnly.record().CaptionButtons.resize(2);
    EXPECT_EQ(skin::TheSkin->SetSystemButtonImages(minimizeOnly.hwnd(), a, b, c, d), 1);
    EXPECT_EQ(minimizeOnly.record().CaptionButtons[0].Image, a);
    EXPECT_EQ(minimizeOnly.record().CaptionButtons[1].Image, d);

    ComposedWindow none({.width = 300, .height = 200, .systemButtons = false});
    EXPECT_EQ(skin::TheSkin->SetSystemButtonImages(none.hwnd(), a), 0);
    EXPECT_EQ(skin::TheSkin->SetSystemButtonImages(GetDesktopWindow(), a), 0);
}
