// High contrast (through the engine's query, which the tests replace) and reduced motion.
#include "skinned_window_fixture.h"

#include "compose_fixture.h"
#include "skin/services/system_look.h"
#include "skin/services/back_buffer.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using namespace toplevel_testing;

namespace {

bool highContrast = false;
bool AskedHighContrast() {
    return highContrast;
}

constexpr COLORREF kThemeColour = RGB(200, 30, 150);

// The system colours the tests change, with values no skin pixel has.
const int kChangedIndices[] = {COLOR_WINDOW, COLOR_BTNFACE, COLOR_INACTIVECAPTION,
                               COLOR_ACTIVECAPTION};
const COLORREF kChangedColours[] = {RGB(10, 20, 30), RGB(40, 50, 60), RGB(70, 80, 90),
                                    RGB(100, 110, 120)};

class SystemLook : public SkinnedWindowTest {
protected:
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        skin::SetHighContrastQuery(AskedHighContrast);
        highContrast = false;
        skin::ReadSystemLook();
        for (int index : kChangedIndices)
            savedColours.push_back(GetSysColor(index));
        savedTheme = skin::Engine.ThemeColour;
        savedAccent = skin::Engine.AccentColour;
        skin::TheSkin->SetTheme({}, {}, kThemeColour);
    }
    void TearDown() override {
        highContrast = false;
        skin::SetHighContrastQuery(nullptr);
        skin::ReadSystemLook();
        if (coloursChanged)
            SetSysColors(static_cast<int>(std::size(kChangedIndices)), kChangedIndices,
                         savedColours.data());
        skin::Engine.ThemeColour = savedTheme;
        skin::Engine.AccentColour = savedAccent;
        SkinnedWindowTest::TearDown();
    }
    HWND Skinned(int x = 80, int helpButton = 0) {
        HWND w = TopLevel(x, 80, 300, 200);
        SetWindowTextA(w, "系统颜色");
        std::vector<skin::StatusPane> panes{{100, "一", {}, 0}, {-1, "二", {}, 0}};
        skin::TheSkin->SkinWindow(w, 30, 1, 1, helpButton, 0, 1, 1, 22, panes);
        ShowWindow(w, SW_SHOWNOACTIVATE);
        UpdateWindow(w);
        Pump();
        return w;
    }
    static void Announce(HWND w, UINT message = WM_SETTINGCHANGE) {
        SendMessageA(w, message, message == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0, 0);
        Pump();
    }
    void ChangeSystemColours() {
        coloursChanged = true;
        SetSysColors(static_cast<int>(std::size(kChangedIndices)), kChangedIndices,
                     kChangedColours);
        Pump(200);
    }

    std::vector<COLORREF> savedColours;
    COLORREF savedTheme = 0;
    COLORREF savedAccent = 0;
    bool coloursChanged = false;
};

bool Contains(const Picture& picture, COLORREF colour) {
    for (COLORREF c : picture.pixels)
        if (testing_support::ColoursNear(c, colour, 12)) return true;
    return false;
}

} // namespace

TEST_F(SystemLook, HighContrastPaintsTheWindowInSystemColoursAndOffBringsTheSkinBack) {
    HWND w = Skinned();
    const int position = skin::FindWindowPosition(w);
    skin::WindowRecord& record = *skin::RecordAt(position);
    const Picture skinned = GrabClient(w);
    ASSERT_TRUE(Contains(skinned, kThemeColour));

    highContrast = true;
    Announce(w);
    EXPECT_TRUE(skin::SystemLookOn());
    const Picture contrast = GrabClient(w);
    struct Point {
        const char* what;
        int x, y;
        int colour;
    };
    const skin::CaptionButton& close = record.CaptionButtons[2];
    const skin::PaneRect& pane = record.StatusPaneRects[1];
    const Point points[] = {
        {"caption", 150, 4, COLOR_INACTIVECAPTION},
        {"background", 150, 100, COLOR_WINDOW},
        {"frame", 0, 100, COLOR_WINDOWFRAME},
        {"close button", static_cast<int>(close.Rect.x) + 3, static_cast<int>(close.Rect.y) + 3,
         COLOR_BTNFACE},
        {"pane", pane.x + pane.width - 10, pane.y + pane.height / 2, COLOR_BTNFACE},
    };
    for (const Point& p : points)
        EXPECT_EQ(contrast.at(p.x, p.y), GetSysColor(p.colour)) << p.what;
    // No theme colour or gloss is left anywhere.
    EXPECT_FALSE(Contains(contrast, kThemeColour));
    testing_support::SaveScreenshot(w, VARNEL_BINARY_DIR "/system-look.bmp");

    // The title is drawn in the caption text colour, the pane text in the button text colour.
    int titleInk = 0;
    for (int x = 30; x < 150; ++x)
        for (int y = 5; y < 25; ++y)
            titleInk += contrast.at(x, y) == GetSysColor(COLOR_INACTIVECAPTIONTEXT);
    EXPECT_GT(titleInk, 10);

    // Pointed at, a button takes the highlight colour.
    SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(close.Rect.x + 20, close.Rect.y + 9));
    Pump(300);
    EXPECT_EQ(
        WindowPixel(w, static_cast<int>(close.Rect.x) + 3, static_cast<int>(close.Rect.y) + 3),
        GetSysColor(COLOR_HIGHLIGHT));
    SendMessageA(w, WM_MOUSELEAVE, 0, 0);
    Pump(300);

    // Active: the active caption colours.
    SendMessageA(w, WM_NCACTIVATE, TRUE, 0);
    Pump();
    EXPECT_EQ(WindowPixel(w, 150, 4), GetSysColor(COLOR_ACTIVECAPTION));
    SendMessageA(w, WM_NCACTIVATE, FALSE, 0);
    Pump();
    EXPECT_EQ(WindowPixel(w, 150, 4), GetSysColor(COLOR_INACTIVECAPTION));

    highContrast = false;
    Announce(w, WM_SYSCOLORCHANGE);
    EXPECT_FALSE(skin::SystemLookOn());
    const Picture back = GrabClient(w);
    // Exactly a freshly skinned window's pixels.
    HWND fresh = Skinned(420);
    EXPECT_EQ(CountDifferences(back, GrabClient(fresh), 0), 0);
    EXPECT_EQ(CountDifferences(back, skinned, 0), 0);
}

TEST_F(SystemLook, SystemColourChangesShowOnlyInHighContrast) {
    HWND w = Skinned();
    const Picture before = GrabClient(w);
    // High contrast off: the skin does not change with the system's colours.
    ChangeSystemColours();
    EXPECT_EQ(CountDifferences(before, GrabClient(w), 0), 0);

    highContrast = true;
    Announce(w);
    EXPECT_EQ(WindowPixel(w, 150, 100), kChangedColours[0]);
    EXPECT_EQ(WindowPixel(w, 150, 4), kChangedColours[2]);

    // While on, a colour change shows at once (SetSysColors announces it to every window).
    const COLORREF window = RGB(240, 230, 5);
    const int index = COLOR_WINDOW;
    SetSysColors(1, &index, &window);
    Pump(200);
    EXPECT_EQ(WindowPixel(w, 150, 100), window);
}

TEST_F(SystemLook, ControlsAreLeftToTheSystemInHighContrast) {
    HWND w = TopLevel(80, 80, 300, 200);
    HWND button = CreateChild(w, "BUTTON", "按钮", BS_PUSHBUTTON, 40, 60, 100, 30, 5);
    skin::Engine.TranslucentControls = 1;
    skin::TheSkin->SkinWindow(w, 30, 1, 1, 0, 0, 1, 0, 0);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    UpdateWindow(w);
    Pump();
    const COLORREF skinnedFace = WindowPixel(w, 90, 64);

    highContrast = true;
    Announce(w);
    Pump(100);
    // The push button is drawn as the system draws one: its face in the button-face colour.
    EXPECT_EQ(WindowPixel(w, 90, 64), GetSysColor(COLOR_BTNFACE));
    EXPECT_NE(skinnedFace, GetSysColor(COLOR_BTNFACE));
    // No wash: a static's colour request is the system's own answer.
    HWND label = CreateChild(w, "STATIC", "标签", 0, 160, 60, 80, 20);
    HDC dc = GetDC(label);
    const LRESULT brush = SendMessageA(w, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(label));
    ReleaseDC(label, dc);
    EXPECT_EQ(GetPropA(label, "Kj_dxjb"), nullptr);
    EXPECT_NE(brush, 0);
    skin::Engine.TranslucentControls = 0;
    (void)button;
}

TEST_F(SystemLook, ReducedMotionShowsTheHotFaceAtOnceWithoutATimer) {
    BOOL animation = TRUE;
    SystemParametersInfoA(SPI_GETCLIENTAREAANIMATION, 0, &animation, 0);

    // The face a finished fade leaves, with animation on.
    HWND animated = Skinned();
    skin::WindowRecord& a = *skin::RecordAt(skin::FindWindowPosition(animated));
    const skin::CaptionButton& aClose = a.CaptionButtons[2];
    const LPARAM aPoint = MAKELPARAM(aClose.Rect.x + 20, aClose.Rect.y + 9);
    SendMessageA(animated, WM_MOUSEHOVER, 0, aPoint);
    SendMessageA(animated, WM_MOUSEMOVE, 0, aPoint);
    EXPECT_EQ(a.HoverTimer, 1);
    EXPECT_EQ(a.HoverIn.Step, 0);
    Pump(400);
    EXPECT_EQ(a.HoverIn.Step, 8);
    const RECT area{static_cast<LONG>(aClose.Rect.x) - 1, static_cast<LONG>(aClose.Rect.y),
                    static_cast<LONG>(aClose.Rect.x + aClose.Rect.width),
                    static_cast<LONG>(aClose.Rect.y + aClose.Rect.height)};
    const auto finished = testing_support::ScreenPixels(animated, area);
    SendMessageA(animated, WM_MOUSELEAVE, 0, 0);
    Pump(400);
    EXPECT_EQ(a.HoverOut.Step, 0); // the fade-out ran to its end and was cleared
    const auto faded = testing_support::ScreenPixels(animated, area);

    SystemParametersInfoA(SPI_SETCLIENTAREAANIMATION, 0, reinterpret_cast<void*>(FALSE), 0);
    HWND w = Skinned(420);
    EXPECT_FALSE(skin::CaptionFadesAnimate());
    skin::WindowRecord& r = *skin::RecordAt(skin::FindWindowPosition(w));
    const skin::CaptionButton& close = r.CaptionButtons[2];
    const LPARAM point = MAKELPARAM(close.Rect.x + 20, close.Rect.y + 9);
    SendMessageA(w, WM_MOUSEHOVER, 0, point);
    SendMessageA(w, WM_MOUSEMOVE, 0, point);
    // No timer: there is none to kill; the face is the finished one without any pumping.
    EXPECT_EQ(r.HoverTimer, 0);
    EXPECT_FALSE(KillTimer(w, reinterpret_cast<UINT_PTR>(w)));
    EXPECT_EQ(r.HoverIn.Step, 8);
    EXPECT_EQ(testing_support::ScreenPixels(w, area), finished);
    // Leaving: at once what the fade-out ends with.
    SendMessageA(w, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(testing_support::ScreenPixels(w, area), faded);
    EXPECT_EQ(r.HoverOut.Button, 0);
    EXPECT_EQ(r.HotButton, 0);

    SystemParametersInfoA(SPI_SETCLIENTAREAANIMATION, 0,
                          reinterpret_cast<void*>(static_cast<INT_PTR>(animation)), 0);
    SendMessageA(w, WM_SETTINGCHANGE, SPI_SETCLIENTAREAANIMATION, 0);
    EXPECT_EQ(skin::CaptionFadesAnimate(), animation != FALSE);
}

TEST_F(SystemLook, RepaintsInSystemColoursLeaveNothingBehind) {
    HWND w = Skinned();
    const int position = skin::FindWindowPosition(w);
    highContrast = true;
    Announce(w);
    const auto repaint = [&](int i) {
        skin::TheSkin->SetStatusPane(w, 1, "第" + std::to_string(i) + "次");
        SetWindowTextA(w, i % 2 ? "标题一" : "标题二");
        skin::TheSkin->PaintCaptionButton(position, 3, nullptr, true);
        skin::TheSkin->PaintCaptionButton(position, 3, nullptr, false, 120);
        SendMessageA(w, WM_NCACTIVATE, i % 2, 0);
        HDC dc = GetDC(w);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.hwndItem = w;
        item.hDC = dc;
        item.rcItem = RECT{40, 60, 140, 90};
        item.itemState = i % 2 ? ODS_SELECTED | ODS_FOCUS : ODS_DISABLED;
        EXPECT_TRUE(skin::PaintSystemButtonItem(item));
        ReleaseDC(w, dc);
    };
    // The system makes its brush of each system colour once, at its first use: active and
    // inactive captions are both drawn before counting.
    repaint(0);
    repaint(1);
    Pump();
    const Leftovers before;
    for (int i = 2; i <= 21; ++i)
        repaint(i);
    Pump();
    before.ExpectBack();
    // Off again, an owner-drawn face is the skin's once more.
    highContrast = false;
    Announce(w);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    EXPECT_FALSE(skin::PaintSystemButtonItem(item));
}

TEST_F(SystemLook, HiddenWindowsWaitAndBadPartNumbersAreRefused) {
    // The system's own answer under test: high contrast is off here.
    skin::SetHighContrastQuery(nullptr);
    EXPECT_FALSE(skin::SystemHighContrastOn());
    skin::ReadSystemLook();
    EXPECT_FALSE(skin::SystemLookOn());
    skin::SetHighContrastQuery(AskedHighContrast);

    HWND w = Skinned();
    skin::WindowRecord& record = *skin::RecordAt(skin::FindWindowPosition(w));
    highContrast = true;
    Announce(w);
    // A hidden window marks its background stale and rebuilds when shown, not before.
    ShowWindow(w, SW_HIDE);
    Announce(w, WM_SYSCOLORCHANGE);
    EXPECT_EQ(record.BackgroundStale, 1);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    UpdateWindow(w);
    Pump();
    EXPECT_EQ(record.BackgroundStale, 0);
    EXPECT_EQ(WindowPixel(w, 150, 100), GetSysColor(COLOR_WINDOW));

    // Pane and button numbers outside 1..count paint nothing.
    const Picture before = GrabClient(w);
    {
        skin::BackBufferCanvas canvas(record, RECT{0, 0, 300, 200});
        for (int pane : {0, -1, 3, 1000})
            skin::PaintSystemPane(record, canvas.graphics(), pane);
        for (int button : {0, -1, 4, 1000})
            skin::PaintSystemCaptionButton(record, canvas.graphics(), button,
                                           RECT{100, 40, 200, 80}, true);
    }
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
    EXPECT_EQ(CountDifferences(before, GrabClient(w), 0), 0);
}

TEST_F(SystemLook, AnApplicationButtonKeepsItsPictureInsideItsFrame) {
    HWND w = Skinned();
    skin::WindowRecord& record = *skin::RecordAt(skin::FindWindowPosition(w));
    constexpr COLORREF kPicture = RGB(0, 200, 0);
    ASSERT_TRUE(skin::TheSkin->AddCaptionButton(
        w, compose_test::MakeBmp(26, 18, [](int, int) { return kPicture; }), "设置"));
    highContrast = true;
    Announce(w);
    const skin::CaptionButton& added = record.CaptionButtons[0];
    const int left = static_cast<int>(std::lround(added.Rect.x)) - 1;
    const int top = static_cast<int>(std::lround(added.Rect.y));
    const int right = left + static_cast<int>(std::lround(added.Rect.width));
    const int bottom = top + static_cast<int>(std::lround(added.Rect.height));
    const int midX = (left + right) / 2, midY = (top + bottom) / 2;
    const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
    // The picture fills the frame's inside; its first column is blended by the scaling.
    const struct {
        int x, y;
        COLORREF colour;
    } points[] = {{left + 2, midY, kPicture}, {right - 2, midY, kPicture},
                  {midX, top + 1, kPicture},  {midX, bottom - 2, kPicture},
                  {left, midY, ink},          {right - 1, midY, ink},
                  {midX, bottom - 1, ink},    {midX, top, ink}};
    for (const auto& p : points)
        EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(w, p.x, p.y), p.colour, 8))
            << p.x << "," << p.y;
}

// The glyphs are 96-dpi drawings scaled to the window's DPI: at 192 dpi the minimize bars are
// twice as long and twice as thick, and the close cross covers four times the pixels or more
// (a pen wider than one pixel has round ends).
TEST_F(SystemLook, CaptionGlyphsFollowTheWindowsDpi) {
    struct Ink {
        int width = 0, rows = 0, count = 0;
    };
    const auto inkOf = [](const Picture& picture, const skin::CaptionButton& button) {
        const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
        // The face stands one pixel left of the button's rectangle.
        const int x0 = static_cast<int>(button.Rect.x) - 1, y0 = static_cast<int>(button.Rect.y);
        const int w = static_cast<int>(button.Rect.width), h = static_cast<int>(button.Rect.height);
        Ink found;
        int left = w, right = -1, top = h, bottom = -1;
        // Inside the button's one-pixel frame, which is drawn in the same colour.
        for (int y = 1; y < h - 1; ++y)
            for (int x = 1; x < w - 1; ++x)
                if (picture.at(x0 + x, y0 + y) == ink) {
                    ++found.count;
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        found.width = right - left + 1;
        found.rows = bottom - top + 1;
        return found;
    };
    Ink minimize[2], close[2], help[2];
    const UINT dpis[] = {96, 192};
    highContrast = true;
    for (int i = 0; i < 2; ++i) {
        HWND w = Skinned(80 + 320 * i, 1);
        skin::WindowRecord& record = *skin::RecordAt(skin::FindWindowPosition(w));
        RECT at{};
        GetWindowRect(w, &at);
        SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(dpis[i], dpis[i]), reinterpret_cast<LPARAM>(&at));
        Pump();
        ASSERT_TRUE(skin::SystemLookOn());
        ASSERT_EQ(record.Dpi, dpis[i]);
        const Picture picture = GrabClient(w);
        const auto face = [&](int kind) -> const skin::CaptionButton& {
            for (const skin::CaptionButton& b : record.CaptionButtons)
                if (b.Kind == kind) return b;
            ADD_FAILURE() << "no button of kind " << kind;
            return record.CaptionButtons.front();
        };
        ASSERT_EQ(record.CaptionButtons.size(), 4u);
        minimize[i] = inkOf(picture, face(skin::kMinimizeButton));
        close[i] = inkOf(picture, face(skin::kCloseButton));
        help[i] = inkOf(picture, face(skin::kHandlerAButton));
    }
    EXPECT_EQ(minimize[0].width, 9);
    EXPECT_EQ(minimize[0].rows, 2);
    EXPECT_EQ(minimize[1].width, 20); // 18, and the 2-pixel pen's round ends

    EXPECT_EQ(minimize[1].rows, 4);
    EXPECT_GT(close[0].count, 10);
    // The help button's "?" is set in a font 4 pixels (at 96 dpi) short of the button.
    EXPECT_GE(help[0].rows, 8);
    EXPECT_LE(help[0].rows, 12);
    EXPECT_GE(help[1].rows, 2 * help[0].rows - 2);
    EXPECT_LE(help[1].rows, 2 * help[0].rows + 2);
    EXPECT_GE(close[1].count, 4 * close[0].count);
    EXPECT_LE(close[1].count, 7 * close[0].count);
}
