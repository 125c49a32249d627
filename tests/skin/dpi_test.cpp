// Sizes at the window's DPI: the one scaling rule, the pictures chosen per DPI, and a skinned
// window that follows WM_DPICHANGED (layout, zones, region, pixels, and nothing left behind).
// The DPI of the prefix these run in is whatever it is; the tests that read it expect the
// window to start there, so they pass at 96 as well as in a prefix set to 144 or 192.
#include "toplevel_fixture.h"

#include "plus/plus_image.h"
#include "skin/controls/buttons.h"
#include "skin/controls/framework.h"
#include "skin/controls/headers.h"
#include "skin/core/dpi.h"
#include "skin/images/skin_pictures.h"
#include "skin/services/back_buffer.h"
#include "skin/services/direct_pixels.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <algorithm>

using toplevel_testing::SkinTest;

namespace {

// --- The rule ---

struct ScaleCase {
    int size;
    UINT dpi;
    int expected;
};

TEST(ScaleToDpi, RoundsEachSizeHalvesAwayFromZero) {
    const ScaleCase cases[] = {
        {25, 96, 25},  {25, 144, 38}, {25, 192, 50},  // caption (37.5 rounds up)
        {26, 144, 39}, {27, 144, 41}, {40, 144, 60},  // button, pitch (40.5), close
        {18, 144, 27}, {22, 144, 33}, {3, 144, 5},    // button height, row, frame (4.5)
        {10, 144, 15}, {5, 144, 8},   {12, 120, 15},  // corner zone, radius (7.5), font
        {1, 144, 2},   {1, 120, 1},   {0, 192, 0},    // 1.5 up, 1.25 down, nothing
        {-3, 144, -5}, {-1, 144, -2}, {7, 0, 7},      // negative alike; 0 dpi is 96
        {13, 168, 23}, {13, 192, 26}, {110, 144, 165} // 22.75; 200 %; the program's caption
    };
    for (const ScaleCase& c : cases)
        EXPECT_EQ(skin::ScaleToDpi(c.size, c.dpi), c.expected)
            << c.size << " at " << c.dpi << " dpi";
}

// A size measured at another DPI (a control's font) scaled by the same rule.
struct BetweenCase {
    int size;
    UINT from, to;
    int expected;
};

TEST(ScaleToDpi, BetweenTwoDpisByTheSameRule) {
    const BetweenCase cases[] = {
        {18, 144, 96, 12}, {18, 144, 192, 24}, {30, 192, 96, 15}, // whole results
        {13, 144, 96, 9},  {14, 144, 96, 9},   {11, 144, 96, 7},  // 8.67 up, 9.33 down, 7.33
        {3, 192, 96, 2},   {5, 192, 96, 3},    {-5, 192, 96, -3}, // halves away from zero
        {7, 97, 97, 7},    {1, 97, 145, 1},    {2, 97, 145, 3},   // odd DPIs: 1.49, 2.99
        {12, 0, 144, 18},  {12, 144, 0, 8},    {12, 96, 96, 12},  // 0 counts as 96
    };
    for (const BetweenCase& c : cases)
        EXPECT_EQ(skin::ScaleBetweenDpi(c.size, c.from, c.to), c.expected)
            << c.size << " from " << c.from << " to " << c.to;
    EXPECT_EQ(skin::ScaleBetweenDpi(30000000, 96, 192), 60000000);
}

TEST(ScaleToDpi, LargeSizesDoNotOverflow) {
    EXPECT_EQ(skin::ScaleToDpi(30000000, 192), 60000000);
    EXPECT_EQ(skin::ScaleToDpi(-30000000, 144), -45000000);
}

// --- Pictures per DPI ---

struct PictureCase {
    UINT dpi;
    std::size_t scale; // index into ScaledSkinPicture::scales
};

TEST(SkinPictureForDpi, TakesTheNearestScaleAtOrAbove) {
    const PictureCase cases[] = {{72, 0},  {96, 0},  {97, 1},  {120, 1},
                                 {144, 1}, {145, 2}, {192, 2}, {288, 2}};
    for (std::size_t p = 0; p < skin::SkinPictures.size(); ++p) {
        const auto& drawn = skin::ScaledSkinPictures[p];
        for (const PictureCase& c : cases) {
            const auto chosen = skin::SkinPictureForDpi(skin::SkinPictures[p].bytes, c.dpi);
            EXPECT_EQ(chosen.data(), drawn.scales[c.scale].data())
                << skin::SkinPictures[p].name << " at " << c.dpi;
        }
    }
}

TEST(SkinPictureForDpi, ACopyIsRecognisedAndOtherBytesStay) {
    const skin::ByteSet copy = skin::ToByteSet(skin::CloseButtonImage);
    EXPECT_EQ(skin::SkinPictureForDpi(copy, 144).data(),
              skin::ScaledSkinPictures[5].scales[1].data());
    const skin::ByteSet other{1, 2, 3};
    EXPECT_EQ(skin::SkinPictureForDpi(other, 192).data(), other.data());
    EXPECT_EQ(skin::SkinPictureForDpi(copy, 96).data(), copy.data());
}

class ScaledPictures : public testing_support::PlusTest {};

// Every drawing is round(size x scale) pixels: a 150 % window gets 20 x 20 boxes, not 13 x 13
// ones stretched.
TEST_F(ScaledPictures, AreDrawnAtTheirScaledSizes) {
    const int percent[] = {100, 150, 200};
    for (std::size_t p = 0; p < skin::SkinPictures.size(); ++p) {
        const skin::SkinPicture& picture = skin::SkinPictures[p];
        for (std::size_t s = 0; s < 3; ++s) {
            plus::PlusImage image;
            ASSERT_TRUE(
                image.LoadFromStream(skin::ToByteSet(skin::ScaledSkinPictures[p].scales[s])));
            const UINT dpi = static_cast<UINT>(96 * percent[s] / 100);
            EXPECT_EQ(static_cast<int>(image.GetWidth()), skin::ScaleToDpi(picture.width, dpi))
                << picture.name << " " << percent[s];
            EXPECT_EQ(static_cast<int>(image.GetHeight()), skin::ScaleToDpi(picture.height, dpi))
                << picture.name << " " << percent[s];
        }
    }
}

// --- A skinned window ---

// The resize command BeginFrameDrag sent (0: none, or a caption drag).
WPARAM g_command = 0;

// Records the frame messages instead of entering the system's move and size loops.
LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND) {
        g_command = wParam;
        return 0;
    }
    if (message == WM_NCLBUTTONDOWN) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// The client pixels of the back buffer (the magenta corners included), row by row.
std::vector<std::uint32_t> BackBuffer(const skin::WindowRecord& record) {
    std::vector<std::uint32_t> pixels;
    const skin::PixelRows rows = skin::BackBufferPixels(record);
    for (int y = 0; y < rows.height; ++y)
        pixels.insert(pixels.end(), rows.Row(y), rows.Row(y) + rows.width);
    return pixels;
}

int Differences(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF)) ++n;
    return n;
}

class DpiWindow : public SkinTest {
protected:
    static constexpr int kWidth = 260; // 96-dpi client size
    static constexpr int kHeight = 180;

    // A window of the 96-dpi size at `dpi`, skinned with a 30-pixel caption, a 20-pixel status
    // bar of a 70-pixel pane and the rest, and the minimize, maximize and close buttons.
    HWND Skinned(UINT dpi, WNDPROC procedure = nullptr) {
        HWND window =
            TopLevel(40, 40, skin::ScaleToDpi(kWidth, dpi), skin::ScaleToDpi(kHeight, dpi));
        if (procedure)
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
        std::vector<skin::StatusPane> panes(2);
        panes[0].Width = 70;
        panes[0].Text = "pane";
        skin::TheSkin->SkinWindow(window, 30, 1, 1, 0, 0, 1, 1, 20, panes);
        // In a session at another DPI the window is brought to the one asked for.
        if (RecordOf(window).Dpi != dpi) ChangeDpi(window, dpi);
        return window;
    }

    // WM_DPICHANGED as the system sends it: the new DPI and the window's rectangle at it.
    static void ChangeDpi(HWND window, UINT dpi) {
        RECT now{};
        GetWindowRect(window, &now);
        RECT suggested{now.left, now.top, now.left + skin::ScaleToDpi(kWidth, dpi),
                       now.top + skin::ScaleToDpi(kHeight, dpi)};
        SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
    }

    static skin::WindowRecord& RecordOf(HWND window) {
        return *skin::RecordAt(skin::FindWindowPosition(window));
    }

    // Everything laid out from the DPI, checked against the 96-dpi design scaled.
    static void ExpectLayoutAt(HWND window, UINT dpi) {
        const auto px = [dpi](int size) { return skin::ScaleToDpi(size, dpi); };
        const skin::WindowRecord& r = RecordOf(window);
        SCOPED_TRACE(testing::Message() << "at " << dpi << " dpi");
        EXPECT_EQ(r.Dpi, dpi);
        EXPECT_EQ(skin::WindowDpi(window), dpi);
        EXPECT_EQ(skin::ScaleForWindow(window, 25), px(25));
        RECT client{};
        GetClientRect(window, &client);
        ASSERT_EQ(client.right, px(kWidth));
        ASSERT_EQ(client.bottom, px(kHeight));
        // The record keeps the 96-dpi sizes the caller gave.
        EXPECT_EQ(r.CaptionHeight, 30);
        EXPECT_EQ(r.StatusHeight, 20);
        // Caption buttons: minimize, maximize (26 x 18), close (40 x 18), pitch 27, row 22.
        ASSERT_EQ(r.CaptionButtons.size(), 3u);
        EXPECT_EQ(r.ButtonsHeight, px(22));
        EXPECT_EQ(r.ButtonsLeft, client.right - px(26 + 26 + 38) + 1);
        const RECT row = skin::TheSkin->GetCaptionButtonsRect(window);
        EXPECT_EQ(row.left, r.ButtonsLeft);
        EXPECT_EQ(row.right - row.left, px(90));
        EXPECT_EQ(row.bottom - row.top, px(22));
        const float widths[] = {26, 26, 40};
        for (int i = 0; i < 3; ++i) {
            const plus::RectF& b = r.CaptionButtons[static_cast<std::size_t>(i)].Rect;
            EXPECT_FLOAT_EQ(b.x, static_cast<float>(r.ButtonsLeft + px(2) + i * px(27)));
            EXPECT_FLOAT_EQ(b.y, static_cast<float>(px(1)));
            EXPECT_FLOAT_EQ(b.width, static_cast<float>(px(static_cast<int>(widths[i]))));
            EXPECT_FLOAT_EQ(b.height, static_cast<float>(px(18)));
        }
        // Status bar: 20 high, 3-pixel frame, panes of 70 and the rest.
        const int frame = px(3);
        EXPECT_EQ(r.StatusRect.x, frame);
        EXPECT_EQ(r.StatusRect.height, px(20));
        EXPECT_EQ(r.StatusRect.y, client.bottom - px(20) - frame - 1);
        EXPECT_EQ(r.StatusRect.width, client.right - 2 * frame);
        ASSERT_EQ(r.StatusPaneRects.size(), 2u);
        EXPECT_EQ(r.StatusPaneRects[0].width, px(70));
        EXPECT_EQ(r.StatusPaneRects[0].height, px(20));
        EXPECT_EQ(r.StatusPaneRects[1].x, frame + px(70));
        EXPECT_EQ(r.StatusPaneRects[1].width, client.right - px(70) - 2 * frame);
        // The smallest size a drag leaves: 200 x 150 scaled.
        MINMAXINFO limits{};
        SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(limits.ptMinTrackSize.x, px(200));
        EXPECT_EQ(limits.ptMinTrackSize.y, px(150));
        // Region: the rounded rectangle with a corner of 5 scaled.
        // (The same area: the system may split it into other bands than CreateRoundRectRgn.)
        const gdi::Region expected(
            CreateRoundRectRgn(0, 0, client.right + 1, client.bottom + 1, px(5), px(5)));
        const gdi::Region actual(CreateRectRgn(0, 0, 0, 0));
        const gdi::Region difference(CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(GetWindowRgn(window, actual.get()), ERROR);
        EXPECT_EQ(CombineRgn(difference.get(), actual.get(), expected.get(), RGN_XOR), NULLREGION);
    }
};

// The DPI the session was started at, when a run asks for one (run_at_dpi.sh sets it).
UINT ExpectedSessionDpi() {
    char value[16] = "";
    return GetEnvironmentVariableA("VARNEL_EXPECTED_DPI", value, sizeof value) > 0
               ? static_cast<UINT>(std::atoi(value))
               : 0;
}

TEST(DpiSession, IsAtTheDpiTheRunAskedFor) {
    const UINT expected = ExpectedSessionDpi();
    if (expected == 0) GTEST_SKIP() << "no DPI asked for";
    EXPECT_EQ(skin::SystemDpi(), expected);
    HWND plain = toplevel_testing::CreateTopLevel(0, 0, 50, 50);
    EXPECT_EQ(skin::SystemDpiOfWindow(plain), expected);
    DestroyWindow(plain);
}

TEST_F(DpiWindow, StartsAtTheSystemDpiWithEverySizeScaled) {
    const UINT dpi = skin::SystemDpi();
    if (ExpectedSessionDpi() != 0) {
        EXPECT_EQ(dpi, ExpectedSessionDpi());
    }
    HWND window = Skinned(dpi, RecordingProcedure);
    ShowWindow(window, SW_SHOWNA);
    toplevel_testing::Pump();
    EXPECT_EQ(RecordOf(window).Dpi, skin::SystemDpiOfWindow(window));
    ExpectLayoutAt(window, dpi);
    // The resize zones at this DPI (the 96-dpi points of ResizeZonesScale, scaled): a press in
    // each is answered with the size command of its zone, inside with none.
    const auto px = [dpi](int size) { return skin::ScaleToDpi(size, dpi); };
    RECT client{};
    GetClientRect(window, &client);
    const struct {
        POINT at;
        WPARAM command;
    } zones[] = {
        {{1, px(60)}, 0xF001},                                   // left edge
        {{px(8), px(8)}, 0xF004},                                // top-left corner
        {{client.right - px(10), 2}, 0xF005},                    // top-right corner
        {{client.right - px(2), client.bottom - px(9)}, 0xF008}, // bottom-right corner
        {{px(40), px(40)}, 0},                                   // inside
    };
    for (const auto& zone : zones) {
        g_command = 0;
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(zone.at.x, zone.at.y));
        EXPECT_EQ(g_command, zone.command) << "(" << zone.at.x << ", " << zone.at.y << ")";
    }
    // The title's ink is as tall as the same title's at 96 dpi scaled (within a pixel of the
    // font's own rounding), not as tall as at 96.
    SetWindowTextA(window, "Hg");
    const int position = skin::FindWindowPosition(window);
    const auto titleInkRows = [&] {
        skin::TheSkin->RebuildBackground(position, std::nullopt);
        const skin::TextLayer& layer = RecordOf(window).TitleLayer;
        int first = -1, last = -1;
        for (int y = 0; y < layer.height; ++y)
            for (int x = 0; x < layer.width; ++x)
                if ((layer.pixels[static_cast<std::size_t>(y * layer.width + x)] >> 24) > 128) {
                    if (first < 0) first = y;
                    last = y;
                    break;
                }
        return first < 0 ? 0 : last - first + 1;
    };
    const int rows = titleInkRows();
    ChangeDpi(window, 96);
    const int rowsAt96 = titleInkRows();
    EXPECT_GT(rowsAt96, 8);
    EXPECT_NEAR(rows, px(rowsAt96), 1) << rowsAt96 << " rows at 96 dpi";
}

TEST_F(DpiWindow, FollowsEachChangeAndKeepsTheDpiTheMessageSent) {
    HWND window = Skinned(96);
    ShowWindow(window, SW_SHOWNA);
    toplevel_testing::Pump();
    for (UINT dpi : {144u, 192u, 120u, 96u}) {
        ChangeDpi(window, dpi);
        ExpectLayoutAt(window, dpi);
    }
    // The tooltip's tools follow the buttons.
    skin::WindowRecord& r = RecordOf(window);
    ChangeDpi(window, 144);
    TOOLINFOA tool{};
    tool.cbSize = offsetof(TOOLINFOA, lParam);
    tool.hwnd = window;
    tool.uId = 3;
    ASSERT_TRUE(SendMessageA(r.Tooltip->GetTooltipWindow(), TTM_GETTOOLINFOA, 0,
                             reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(tool.rect.left, static_cast<LONG>(r.CaptionButtons[2].Rect.x));
    EXPECT_EQ(tool.rect.right - tool.rect.left, 60);
    EXPECT_EQ(tool.rect.bottom - tool.rect.top, 27);
}

// Everything on the window is drawn again at the new DPI, the children too, even those that
// neither moved nor changed size.
TEST_F(DpiWindow, AChangeRepaintsTheWindowAndItsChildren) {
    HWND window = Skinned(96);
    HWND child = toplevel_testing::CreateChild(window, "STATIC", "x", 0, 60, 60, 40, 20);
    ShowWindow(window, SW_SHOWNA);
    toplevel_testing::Pump();
    ValidateRect(window, nullptr);
    ValidateRect(child, nullptr);
    ASSERT_FALSE(toplevel_testing::HasPendingPaint(child));
    ChangeDpi(window, 144);
    EXPECT_TRUE(toplevel_testing::HasPendingPaint(child));
    EXPECT_TRUE(toplevel_testing::HasPendingPaint(window));
}

TEST_F(DpiWindow, AMessageWithoutADpiChangesNothing) {
    HWND window = Skinned(96);
    ShowWindow(window, SW_SHOWNA);
    toplevel_testing::Pump();
    SendMessageA(window, WM_DPICHANGED, 0, 0);
    ExpectLayoutAt(window, 96);
}

// The resize zones: the frame is 3 pixels and the corners 10 at 96 dpi (5 and 15 at 144). A
// press is answered with the size command of its zone (SC_SIZE + 1..8), none elsewhere.
struct ZoneCase {
    POINT at96, at144; // client points; negative: from the right or bottom edge
    WPARAM command96, command144;
};

TEST_F(DpiWindow, ResizeZonesScale) {
    const ZoneCase cases[] = {
        {{1, 60}, {1, 90}, 0xF001, 0xF001},    // left edge
        {{5, 60}, {5, 90}, 0, 0xF001},         // inside at 96, in the wider edge at 144
        {{-1, 60}, {-1, 90}, 0xF002, 0xF002},  // right edge
        {{60, 1}, {90, 1}, 0xF003, 0xF003},    // top edge (left of the buttons)
        {{60, -1}, {90, -1}, 0xF006, 0xF006},  // bottom edge
        {{8, 8}, {12, 12}, 0xF004, 0xF004},    // top-left corner
        {{13, 2}, {13, 2}, 0xF003, 0xF004},    // past the corner at 96, in it at 144
        {{-10, 2}, {-15, 2}, 0xF005, 0xF005},  // top-right corner, on its inner edge
        {{-2, -9}, {-3, -14}, 0xF008, 0xF008}, // bottom-right corner
        {{2, -11}, {2, -15}, 0xF001, 0xF007},  // edge at 96, corner at 144
        {{40, 40}, {60, 60}, 0, 0},            // inside: a caption drag
        {{-5, 3}, {-5, 5}, 0, 0},              // the button row's first line: the buttons'
        {{-5, 2}, {-5, 4}, 0xF005, 0xF005},    // the line above it: the corner's
    };
    for (UINT dpi : {96u, 144u}) {
        HWND window = Skinned(dpi, RecordingProcedure);
        ShowWindow(window, SW_SHOWNA);
        RECT client{};
        GetClientRect(window, &client);
        for (const ZoneCase& c : cases) {
            const POINT p = dpi == 96 ? c.at96 : c.at144;
            const int x = p.x < 0 ? client.right + p.x : p.x;
            const int y = p.y < 0 ? client.bottom + p.y : p.y;
            g_command = 0;
            // The press decides (a release over a caption button would click it: the top-right
            // corner zone reaches into the close button).
            SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            EXPECT_EQ(g_command, dpi == 96 ? c.command96 : c.command144)
                << "(" << x << ", " << y << ") at " << dpi;
        }
    }
}

// A window changed from 96 to 144 dpi shows the same pixels as one that was at 144 before its
// first picture, and back at 96 the same as before the change: nothing sized at the old DPI
// (strips, outline, title layer, fonts, glyphs) survives the change.
TEST_F(DpiWindow, AChangedWindowDrawsAsOneMadeAtTheNewDpi) {
    HWND changed = Skinned(96);
    SetWindowTextA(changed, "Title");
    ShowWindow(changed, SW_SHOWNA);
    toplevel_testing::Pump();
    skin::TheSkin->RebuildBackground(skin::FindWindowPosition(changed), std::nullopt);
    const std::vector<std::uint32_t> before = BackBuffer(RecordOf(changed));
    ASSERT_EQ(before.size(), static_cast<std::size_t>(kWidth * kHeight));

    ChangeDpi(changed, 144);
    skin::TheSkin->RebuildBackground(skin::FindWindowPosition(changed), std::nullopt);
    const std::vector<std::uint32_t> after = BackBuffer(RecordOf(changed));

    HWND fresh = Skinned(144);
    SetWindowTextA(fresh, "Title");
    ShowWindow(fresh, SW_SHOWNA);
    toplevel_testing::Pump();
    skin::TheSkin->RebuildBackground(skin::FindWindowPosition(fresh), std::nullopt);
    const std::vector<std::uint32_t> made = BackBuffer(RecordOf(fresh));
    ASSERT_EQ(after.size(), static_cast<std::size_t>(390 * 270));
    EXPECT_EQ(Differences(after, made), 0);
    // And the change did something: the 144-dpi picture is not the 96-dpi one enlarged pixel
    // for pixel, nor the old one: the caption is 45 rows high, so row 40 is caption gloss.
    const skin::WindowRecord& r = RecordOf(changed);
    EXPECT_EQ(skin::Px(r, r.CaptionHeight), 45);

    ChangeDpi(changed, 96);
    skin::TheSkin->RebuildBackground(skin::FindWindowPosition(changed), std::nullopt);
    EXPECT_EQ(Differences(BackBuffer(RecordOf(changed)), before), 0);
}

// The caption is taller at 144: a pixel 35 rows down is caption (glossed) at 144 and body at 96.
TEST_F(DpiWindow, TheCaptionStripIsScaled) {
    // A dark body, so the gloss shows to its last rows.
    const COLORREF theme = skin::Engine.ThemeColour;
    skin::Engine.ThemeColour = 0x00403020;
    struct Restore {
        COLORREF colour;
        ~Restore() { skin::Engine.ThemeColour = colour; }
    } restore{theme};
    HWND window = Skinned(96);
    ShowWindow(window, SW_SHOWNA);
    toplevel_testing::Pump();
    const int position = skin::FindWindowPosition(window);
    skin::TheSkin->RebuildBackground(position, std::nullopt);
    const std::uint32_t bodyAt96 = skin::BackBufferPixels(RecordOf(window)).Row(35)[130];
    const std::uint32_t captionAt96 = skin::BackBufferPixels(RecordOf(window)).Row(10)[130];
    EXPECT_NE(bodyAt96 & 0xFFFFFF, captionAt96 & 0xFFFFFF);
    ChangeDpi(window, 144);
    skin::TheSkin->RebuildBackground(position, std::nullopt);
    const skin::PixelRows rows = skin::BackBufferPixels(RecordOf(window));
    // Row 52 (35 scaled) is still below the caption; row 35 is now inside it (45), glossed.
    EXPECT_EQ(rows.Row(52)[195] & 0xFFFFFF, bodyAt96 & 0xFFFFFF);
    EXPECT_NE(rows.Row(35)[195] & 0xFFFFFF, bodyAt96 & 0xFFFFFF);
    EXPECT_NE(rows.Row(42)[195] & 0xFFFFFF, bodyAt96 & 0xFFFFFF);
}

// 96 -> 144 -> 192 -> 96, each with its rebuild and paint: what one DPI made is gone two
// changes later (the caches of the DPI before the last change are kept, for a move back), and
// no drawing object is left. The window's destruction takes the rest (the fixture counts).
TEST_F(DpiWindow, ChangesLeaveNothingBehind) {
    HWND window = Skinned(96);
    SetWindowTextA(window, "Leak");
    ShowWindow(window, SW_SHOWNA);
    toplevel_testing::Pump();
    const int position = skin::FindWindowPosition(window);
    skin::TheSkin->RebuildBackground(position, std::nullopt);
    skin::TheSkin->SetStatusPane(window, 1, "one");
    const auto round = [&] {
        for (UINT dpi : {144u, 192u, 96u}) {
            ChangeDpi(window, dpi);
            UpdateWindow(window);
            skin::TheSkin->SetStatusPane(window, 1, "two");
            skin::TheSkin->PaintCaptionButton(position, 1, nullptr, 0, 120);
        }
    };
    // The first round makes what is then kept: the spare caches (of 192 dpi, at 96), fonts at
    // a size seen once. Two more rounds add nothing.
    round();
    toplevel_testing::Pump();
    const int gdiBefore = testing_support::GdiObjectCount();
    const auto handlesBefore = testing_support::GdiHandleSnapshot();
    const int plusBefore = plus::LiveObjectCount();
    round();
    round();
    toplevel_testing::Pump();
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore)
        << testing_support::NewGdiHandles(handlesBefore, testing_support::GdiHandleSnapshot());
    EXPECT_EQ(plus::LiveObjectCount(), plusBefore);
}

// A window moved back to a DPI it was at finds what it made there: the title layer, and the
// back buffer's bitmap, kept though larger than the window needs at 96 until a resize.
TEST_F(DpiWindow, AMoveBackFindsWhatWasMadeForItsDpi) {
    HWND window = Skinned(96);
    SetWindowTextA(window, "Title");
    ShowWindow(window, SW_SHOWNA);
    toplevel_testing::Pump();
    const int position = skin::FindWindowPosition(window);
    skin::WindowRecord& r = RecordOf(window);
    ChangeDpi(window, 144);
    const HBITMAP large = r.BackBufferDC.bitmap();
    const std::uint32_t* title144 = r.TitleLayer.pixels.data();
    ASSERT_NE(title144, nullptr);
    ChangeDpi(window, 96);
    EXPECT_EQ(r.BackBufferDC.bitmap(), large);
    EXPECT_NE(r.TitleLayer.pixels.data(), title144);
    ChangeDpi(window, 144);
    EXPECT_EQ(r.TitleLayer.pixels.data(), title144);
    EXPECT_EQ(r.BackBufferDC.bitmap(), large);
    ChangeDpi(window, 96);
    SetWindowPos(window, nullptr, 0, 0, kWidth + 1, kHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    skin::TheSkin->RebuildBackground(position, std::nullopt);
    EXPECT_NE(r.BackBufferDC.bitmap(), large);
}

// The program sees WM_DPICHANGED after the skin has applied it, to lay out its own controls.
UINT g_seenDpi = 0;
int g_seenWidth = 0;
LRESULT CALLBACK ProgramProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DPICHANGED) {
        g_seenDpi = LOWORD(wParam);
        RECT r{};
        GetClientRect(window, &r);
        g_seenWidth = r.right;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(DpiWindow, TheProgramSeesTheChangeAfterTheSkin) {
    HWND window = Skinned(96, ProgramProcedure);
    g_seenDpi = 0;
    ChangeDpi(window, 192);
    EXPECT_EQ(g_seenDpi, 192u);
    EXPECT_EQ(g_seenWidth, 520); // the window had its new size already
}

// --- What the window holds follows it: controls' fonts, docked windows ---

// Rows of a picture, between columns x0 and x1, that hold dark ink (the caption's text).
int InkRows(const toplevel_testing::Picture& picture, int x0, int x1, int y0, int y1) {
    int rows = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (GetRValue(picture.at(x, y)) + GetGValue(picture.at(x, y)) +
                    GetBValue(picture.at(x, y)) <
                200) {
                ++rows;
                break;
            }
    return rows;
}

gdi::Font PixelFont(int pixels) {
    return gdi::Font(CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                 NONANTIALIASED_QUALITY, 0, "宋体"));
}

// A check box and a push button whose program set a 12-pixel font at 96 dpi: their captions
// grow with the window's DPI until the program gives them another font, which is then taken
// as made for the DPI it was given at. Checked by the size the face uses and by the height of
// the ink it leaves.
TEST_F(DpiWindow, ControlFontsFollowTheDpi) {
    // A light body, so only the captions' ink is dark.
    const COLORREF theme = skin::Engine.ThemeColour;
    skin::Engine.ThemeColour = 0x00E8E8E8;
    struct Restore {
        COLORREF colour;
        ~Restore() { skin::Engine.ThemeColour = colour; }
    } restore{theme};
    HWND window = Skinned(96);
    // Side by side below the caption at every DPI (60 rows at 192), above the status bar.
    HWND check =
        toplevel_testing::CreateChild(window, "BUTTON", "国", BS_AUTOCHECKBOX, 5, 70, 125, 50);
    HWND push =
        toplevel_testing::CreateChild(window, "BUTTON", "国", BS_PUSHBUTTON, 135, 70, 120, 50);
    const gdi::Font twelve = PixelFont(12), thirty = PixelFont(30);
    SendMessageA(check, WM_SETFONT, reinterpret_cast<WPARAM>(twelve.get()), FALSE);
    SendMessageA(push, WM_SETFONT, reinterpret_cast<WPARAM>(twelve.get()), FALSE);
    const int position = skin::FindWindowPosition(window);
    skin::SkinButtonFamily(position, window);
    ShowWindow(window, SW_SHOWNA);
    toplevel_testing::Pump();
    const skin::ButtonRecord* checkRecord = skin::ButtonRecordOf(check);
    const skin::ButtonRecord* pushRecord = skin::ButtonRecordOf(push);
    ASSERT_TRUE(checkRecord && pushRecord);
    EXPECT_EQ(checkRecord->FontSize, 12);
    EXPECT_EQ(checkRecord->FontDpi, 96u);

    // The ink of each caption: the check box's right of its box, the push button's inside
    // its rounded edge.
    const auto ink = [&](HWND button) {
        UpdateWindow(button);
        toplevel_testing::Pump();
        if (button == check) skin::PaintCheckBox(check, 0);
        const toplevel_testing::Picture picture = toplevel_testing::GrabClient(button);
        const int margin = skin::ScaleToDpi(button == check ? 20 : 8, RecordOf(window).Dpi);
        return InkRows(picture, margin, picture.width - 8, 4, picture.height - 4);
    };
    const int checkAt96 = ink(check), pushAt96 = ink(push);
    EXPECT_GE(checkAt96, 9);
    EXPECT_LE(checkAt96, 13);
    EXPECT_GE(pushAt96, 9);
    EXPECT_LE(pushAt96, 13);

    struct Step {
        UINT dpi;
        int pixels;
    };
    for (const Step step : {Step{144, 18}, Step{192, 24}}) {
        SCOPED_TRACE(testing::Message() << step.dpi << " dpi");
        ChangeDpi(window, step.dpi);
        EXPECT_TRUE(toplevel_testing::HasPendingPaint(check));
        EXPECT_EQ(skin::ButtonFontPixels(*checkRecord, skin::ControlDpi(check)), step.pixels);
        EXPECT_EQ(skin::ButtonFontPixels(*pushRecord, skin::ControlDpi(push)), step.pixels);
        // The ink grows by the scale, give or take a row of the font's rounding.
        const int scaledCheck = skin::ScaleToDpi(checkAt96, step.dpi);
        const int scaledPush = skin::ScaleToDpi(pushAt96, step.dpi);
        EXPECT_NEAR(ink(check), scaledCheck, 2);
        EXPECT_NEAR(ink(push), scaledPush, 2);
    }
    // At 192 the program sets a 30-pixel font: back at 96 it is 15.
    SendMessageA(check, WM_SETFONT, reinterpret_cast<WPARAM>(thirty.get()), TRUE);
    EXPECT_TRUE(toplevel_testing::HasPendingPaint(check));
    EXPECT_EQ(checkRecord->FontSize, 30);
    EXPECT_EQ(checkRecord->FontDpi, 192u);
    ChangeDpi(window, 96);
    EXPECT_EQ(skin::ButtonFontPixels(*checkRecord, skin::ControlDpi(check)), 15);
    EXPECT_EQ(skin::ButtonFontPixels(*pushRecord, skin::ControlDpi(push)), 12);
    EXPECT_EQ(ink(push), pushAt96);
    DestroyWindow(window);
}

// Windows docked on the skinned window and in a container keep their 96-dpi offsets and
// margins at the window's DPI after each change, the container's without being resized.
TEST_F(DpiWindow, DockedWindowsFollowTheDpi) {
    HWND window = Skinned(96);
    HWND container =
        toplevel_testing::CreateChild(window, "STATIC", "", SS_NOTIFY, 10, 40, 200, 100);
    ASSERT_GE(skin::TheSkin->SkinContainer(container), 1);
    HWND inContainer = toplevel_testing::CreateChild(container, "STATIC", "", 0, 0, 0, 10, 10);
    HWND onWindow = toplevel_testing::CreateChild(window, "STATIC", "", 0, 0, 0, 10, 10);
    ASSERT_TRUE(skin::TheSkin->DockWindow(container, inContainer, 20));
    ASSERT_TRUE(skin::TheSkin->DockWindow(window, onWindow, 40));
    const auto placeIn = [](HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    for (UINT dpi : {144u, 192u, 96u}) {
        SCOPED_TRACE(testing::Message() << dpi << " dpi");
        ChangeDpi(window, dpi);
        const auto px = [dpi](int size) { return skin::ScaleToDpi(size, dpi); };
        RECT box{}, client{};
        GetClientRect(container, &box);
        GetClientRect(window, &client);
        ASSERT_EQ(box.right, 200); // the program did not resize it
        const RECT inside = placeIn(inContainer);
        EXPECT_EQ(inside.left, px(2));
        EXPECT_EQ(inside.top, px(20));
        EXPECT_EQ(inside.right, px(2) + 200 - px(4));
        EXPECT_EQ(inside.bottom, 100);
        const RECT docked = placeIn(onWindow);
        EXPECT_EQ(docked.left, px(2));
        EXPECT_EQ(docked.top, px(40));
        EXPECT_EQ(docked.right, px(2) + client.right - px(4));
        EXPECT_EQ(docked.bottom, client.bottom - px(20) - px(3));
    }
    // A change that keeps the window's size (no WM_SIZE follows) lays them out as well.
    ChangeDpi(window, 96);
    RECT now{};
    GetWindowRect(window, &now);
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&now));
    EXPECT_EQ(placeIn(onWindow).top, skin::ScaleToDpi(40, 144));
    EXPECT_EQ(placeIn(inContainer).top, skin::ScaleToDpi(20, 144));
    // And the caption buttons and status bar with them.
    const skin::WindowRecord& r = RecordOf(window);
    EXPECT_EQ(r.ButtonsHeight, skin::ScaleToDpi(22, 144));
    EXPECT_FLOAT_EQ(r.CaptionButtons[2].Rect.width, static_cast<float>(skin::ScaleToDpi(40, 144)));
    EXPECT_EQ(r.StatusRect.height, skin::ScaleToDpi(20, 144));
}

// --- Awareness and DPI on systems of every kind (their DPI functions replaced) ---

// One system: which functions it has, what its process starts at, what it accepts. Contexts
// are the DPI_AWARENESS_CONTEXT values: -1 unaware, -2 system, -3 per monitor, -4 v2.
struct FakeSystem {
    int awareness = 0; // 0 unaware, 1 system, 2 per monitor, 3 per monitor v2
    bool knowsV2 = true;
    bool fixed = false;         // a manifest fixed the awareness: every setting call fails
    bool shellGetFails = false; // GetProcessDpiAwareness answers with an error (and a value)
    UINT windowDpi = 0, systemDpi = 0;
    std::vector<std::string> calls;
} g_system;

HANDLE WINAPI FakeThreadContext() {
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1 - g_system.awareness));
}
BOOL WINAPI FakeContextsEqual(HANDLE a, HANDLE b) {
    return a == b;
}
int WINAPI FakeAwarenessOf(HANDLE context) {
    const int awareness = -1 - static_cast<int>(reinterpret_cast<INT_PTR>(context));
    return awareness == 3 ? 2 : awareness > 3 ? -1 : awareness; // v2 is per monitor too
}
BOOL WINAPI FakeSetContext(HANDLE context) {
    const int wanted = -1 - static_cast<int>(reinterpret_cast<INT_PTR>(context));
    g_system.calls.push_back("context " + std::to_string(wanted));
    if (g_system.fixed || (wanted == 3 && !g_system.knowsV2)) return FALSE;
    g_system.awareness = wanted;
    return TRUE;
}
HRESULT WINAPI FakeShellSet(int awareness) {
    g_system.calls.push_back("shell " + std::to_string(awareness));
    if (g_system.fixed) return E_ACCESSDENIED;
    g_system.awareness = awareness;
    return S_OK;
}
HRESULT WINAPI FakeShellGet(HANDLE, int* awareness) {
    *awareness = std::min(g_system.awareness, 2);
    return g_system.shellGetFails ? E_FAIL : S_OK;
}
BOOL WINAPI FakeIsAware() {
    return g_system.awareness >= 1;
}
BOOL WINAPI FakeSetAware() {
    g_system.calls.push_back("aware");
    if (g_system.fixed) return FALSE;
    g_system.awareness = std::max(g_system.awareness, 1);
    return TRUE;
}
UINT WINAPI FakeWindowDpi(HWND) {
    return g_system.windowDpi;
}
UINT WINAPI FakeSystemDpi() {
    return g_system.systemDpi;
}

enum SystemParts { kContexts = 1, kShell = 2, kAwareCall = 4, kDpiCalls = 8 };

// Puts a system of the given parts in place for one test and the real one back after it.
class OtherSystem {
public:
    explicit OtherSystem(int parts) {
        g_system = FakeSystem{};
        skin::DpiFunctions f;
        if (parts & kContexts) {
            f.getThreadContext = FakeThreadContext;
            f.contextsEqual = FakeContextsEqual;
            f.awarenessOfContext = FakeAwarenessOf;
            f.setProcessContext = FakeSetContext;
        }
        if (parts & kShell) {
            f.setProcessAwareness = FakeShellSet;
            f.getProcessAwareness = FakeShellGet;
        }
        if (parts & kAwareCall) {
            f.isProcessAware = FakeIsAware;
            f.setProcessAware = FakeSetAware;
        }
        if (parts & kDpiCalls) {
            f.getDpiForWindow = FakeWindowDpi;
            f.getDpiForSystem = FakeSystemDpi;
        }
        real_ = skin::ReplaceDpiFunctions(f);
    }
    ~OtherSystem() { skin::ReplaceDpiFunctions(real_); }
    OtherSystem(const OtherSystem&) = delete;
    OtherSystem& operator=(const OtherSystem&) = delete;

private:
    skin::DpiFunctions real_;
};

struct AwarenessCase {
    const char* system;
    int parts;
    bool knowsV2;
    int start;
    bool fixed;
    skin::DpiAwareness result;
    std::vector<std::string> calls;
};

TEST(DpiAwareness, EachSystemEndsAsAwareAsItCanBe) {
    using A = skin::DpiAwareness;
    const int all = kContexts | kShell | kAwareCall;
    const AwarenessCase cases[] = {
        {"Windows 10 (1703 on)", all, true, 0, false, A::PerMonitorV2, {"context 3"}},
        {"Windows 10 (1607)", all, false, 0, false, A::PerMonitor, {"context 3", "context 2"}},
        {"Wine 8 (v1 already)", all, false, 2, false, A::PerMonitor, {"context 3"}},
        {"v2 already", all, true, 3, false, A::PerMonitorV2, {}},
        {"Windows 8.1", kShell | kAwareCall, false, 0, false, A::PerMonitor, {"shell 2"}},
        {"Windows 7", kAwareCall, false, 0, false, A::System, {"aware"}},
        {"Windows 7, aware already", kAwareCall, false, 1, false, A::System, {}},
        {"nothing to call", 0, false, 0, false, A::Unaware, {}},
        {"manifest: system aware",
         all,
         true,
         1,
         true,
         A::System,
         {"context 3", "context 2", "shell 2"}},
        {"manifest: unaware",
         all,
         true,
         0,
         true,
         A::Unaware,
         {"context 3", "context 2", "shell 2", "aware"}},
    };
    for (const AwarenessCase& c : cases) {
        SCOPED_TRACE(c.system);
        const OtherSystem system(c.parts);
        g_system.awareness = c.start;
        g_system.knowsV2 = c.knowsV2;
        g_system.fixed = c.fixed;
        EXPECT_EQ(skin::MakeProcessDpiAware(), c.result);
        EXPECT_EQ(g_system.calls, c.calls);
        EXPECT_EQ(skin::CurrentDpiAwareness(), c.result);
        // Asked again, only v2 is tried again where the system lacks it; nothing where the
        // process has what it asked for.
        g_system.calls.clear();
        EXPECT_EQ(skin::MakeProcessDpiAware(), c.result);
        const bool triesV2 = c.result == A::PerMonitor && (c.parts & kContexts);
        if (!c.fixed) {
            EXPECT_EQ(g_system.calls,
                      triesV2 ? std::vector<std::string>{"context 3"} : std::vector<std::string>{});
        }
    }
}

// A context the system does not know (awareness "invalid") is not taken for one: the answer
// comes from the shell, or from IsProcessDPIAware.
TEST(DpiAwareness, AnInvalidContextFallsBackToTheOlderQuestions) {
    {
        const OtherSystem system(kContexts | kShell | kAwareCall);
        g_system.awareness = 5;
        EXPECT_EQ(skin::CurrentDpiAwareness(), skin::DpiAwareness::PerMonitor);
    }
    {
        const OtherSystem system(kContexts | kAwareCall);
        g_system.awareness = 5;
        EXPECT_EQ(skin::CurrentDpiAwareness(), skin::DpiAwareness::System);
    }
    {
        // The shell's answer counts only when its call succeeds, whatever it wrote.
        const OtherSystem system(kShell | kAwareCall);
        g_system.awareness = 2;
        g_system.shellGetFails = true;
        EXPECT_EQ(skin::CurrentDpiAwareness(), skin::DpiAwareness::System);
    }
    {
        const OtherSystem system(kContexts | kAwareCall);
        g_system.awareness = 0;
        EXPECT_EQ(skin::CurrentDpiAwareness(), skin::DpiAwareness::Unaware);
        g_system.awareness = 1;
        EXPECT_EQ(skin::CurrentDpiAwareness(), skin::DpiAwareness::System);
    }
}

// GetDpiForWindow and GetDpiForSystem where the system has them and they answer; the DC's
// LOGPIXELSX where they do not (Windows 7) or answer 0.
TEST(WindowDpi, TheSystemsAnswerElseTheDevicesPixelsPerInch) {
    HWND plain = toplevel_testing::CreateTopLevel(0, 0, 50, 50);
    const UINT device = [] {
        const gdi::WindowDC screen(nullptr);
        return static_cast<UINT>(GetDeviceCaps(screen.get(), LOGPIXELSX));
    }();
    {
        const OtherSystem system(kDpiCalls);
        g_system.windowDpi = 120;
        g_system.systemDpi = 168;
        EXPECT_EQ(skin::SystemDpiOfWindow(plain), 120u);
        EXPECT_EQ(skin::WindowDpi(plain), 120u);
        EXPECT_EQ(skin::ScaleForWindow(plain, 10), 13);
        EXPECT_EQ(skin::SystemDpi(), 168u);
        // No window, or a gone one, is not asked about: 96.
        EXPECT_EQ(skin::SystemDpiOfWindow(nullptr), 96u);
        EXPECT_EQ(skin::SystemDpiOfWindow(reinterpret_cast<HWND>(0x7FFF0)), 96u);
        g_system.windowDpi = 0;
        g_system.systemDpi = 0;
        EXPECT_EQ(skin::SystemDpiOfWindow(plain), device);
        EXPECT_EQ(skin::SystemDpi(), device);
    }
    {
        const OtherSystem system(0);
        EXPECT_EQ(skin::SystemDpiOfWindow(plain), device);
        EXPECT_EQ(skin::SystemDpi(), device);
    }
    DestroyWindow(plain);
    EXPECT_EQ(skin::SystemDpiOfWindow(plain), 96u); // gone
}

TEST(DpiAwareness, TheProcessEndsPerMonitorAware) {
    const skin::DpiAwareness result = skin::MakeProcessDpiAware();
    EXPECT_EQ(result, skin::CurrentDpiAwareness());
    // Wine 8 has no v2 and makes every process per-monitor v1; Windows 10 gives v2.
    EXPECT_GE(static_cast<int>(result), static_cast<int>(skin::DpiAwareness::PerMonitor));
    // Asked again, nothing changes.
    EXPECT_EQ(skin::MakeProcessDpiAware(), result);
}

TEST(WindowDpi, AWindowTheEngineDoesNotKnowHasItsSystemDpi) {
    EXPECT_EQ(skin::WindowDpi(nullptr), 96u);
    EXPECT_EQ(skin::SystemDpiOfWindow(nullptr), 96u);
    HWND plain = toplevel_testing::CreateTopLevel(0, 0, 50, 50);
    EXPECT_EQ(skin::WindowDpi(plain), skin::SystemDpi());
    EXPECT_EQ(skin::ScaleForWindow(plain, 10), skin::ScaleToDpi(10, skin::SystemDpi()));
    DestroyWindow(plain);
}

} // namespace

namespace {

// A family's metric at the owner's DPI: the check box is the 13-pixel box drawn for the scale
// at or above the DPI, its border round(scale) pixels (1 at 100 %, 2 at 150 % and 200 %).
struct BoxCase {
    UINT dpi;
    int side;
    int border;
};

class DpiControls : public SkinTest {};

int Brightness(COLORREF c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c);
}

TEST_F(DpiControls, TheCheckBoxIsItsScaledPictureCrisp) {
    const BoxCase cases[] = {{96, 13, 1}, {144, 20, 2}, {192, 26, 2}};
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi");
        HWND window = TopLevel(20, 20, 420, 320);
        const int height = skin::ScaleToDpi(37, c.dpi); // the box on whole pixels
        HWND check = Keep(toplevel_testing::CreateChild(window, "BUTTON", "", BS_AUTOCHECKBOX, 0, 0,
                                                        160, height));
        const int p = Adopt(window);
        skin::RecordAt(p)->Dpi = c.dpi;
        skin::SkinCheckAndRadioButtons(p, window);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        toplevel_testing::Pump();
        EXPECT_EQ(skin::ControlDpi(check), c.dpi);
        EXPECT_EQ(skin::ControlPx(check, 13), static_cast<float>(c.side));
        skin::PaintCheckBox(check, 0);
        const toplevel_testing::Picture picture = toplevel_testing::GrabClient(check);
        const int row = height / 2;
        const auto dark = [&](int x) { return Brightness(picture.at(x, row)) < 300; };
        int border = 0;
        while (border < 8 && dark(border))
            ++border;
        int right = -1;
        for (int x = 0; x < skin::ScaleToDpi(15, c.dpi); ++x)
            if (dark(x)) right = x;
        EXPECT_EQ(border, c.border);
        EXPECT_EQ(right, c.side - 1);
        // The face inside is light, the pixel past the box is the background's.
        EXPECT_GT(Brightness(picture.at(c.side / 2, row)), 650);
        EXPECT_GT(Brightness(picture.at(c.side, row)), 650);
        DestroyWindow(window);
    }
}

} // namespace

namespace {

// Pixels of a control's client area darker than mid grey: arrows, marks, outlines and text.
int DarkInk(HWND control) {
    const toplevel_testing::Picture picture = toplevel_testing::GrabClient(control);
    int count = 0;
    for (COLORREF c : picture.pixels)
        count += Brightness(c) < 384;
    return count;
}

// Pixels of a control's client area tinted by a red accent.
int RedTint(HWND control) {
    const toplevel_testing::Picture picture = toplevel_testing::GrabClient(control);
    int count = 0;
    for (COLORREF c : picture.pixels)
        count += GetRValue(c) - GetGValue(c) > 60;
    return count;
}

} // namespace

// Each family draws its parts at the owner's DPI: the header's divider zones widen, a button's
// default font grows, and the drawn parts of a drop-down list, an up-down and a track bar (each
// made at the DPI's size, as a program laid out in 96-dpi units makes them) cover the scale's
// square in pixels, where a part drawn at its 96-dpi size would cover the same as at 96.
TEST_F(DpiControls, EachFamilysPartsFollowTheOwnersDpi) {
    const UINT dpis[] = {96, 144, 192};
    int combo[3] = {}, upDown[3] = {}, track[3] = {};
    skin::Engine.AccentColour = RGB(255, 0, 0);
    SetCursorPos(0, 0); // off the windows: a part under the pointer would show its hot look
    for (int i = 0; i < 3; ++i) {
        const UINT dpi = dpis[i];
        SCOPED_TRACE(testing::Message() << dpi << " dpi");
        const auto px = [dpi](int size) { return skin::ScaleToDpi(size, dpi); };
        HWND window = TopLevel(20, 20, 520, 360);
        HWND header =
            Keep(toplevel_testing::CreateChild(window, WC_HEADERA, "", 0, 10, 10, 300, px(24)));
        HDITEMA item{};
        item.mask = HDI_WIDTH | HDI_TEXT;
        item.cxy = 100;
        item.pszText = const_cast<char*>("A");
        for (int k = 0; k < 2; ++k)
            SendMessageA(header, HDM_INSERTITEMA, static_cast<WPARAM>(k),
                         reinterpret_cast<LPARAM>(&item));
        HWND list = Keep(toplevel_testing::CreateChild(
            window, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL, 10, 60, px(120), px(160)));
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("A"));
        SendMessageA(list, CB_SETCURSEL, 0, 0);
        HWND arrows = Keep(
            toplevel_testing::CreateChild(window, UPDOWN_CLASSA, "", 0, 10, 130, px(17), px(34)));
        HWND bar = Keep(toplevel_testing::CreateChild(window, TRACKBAR_CLASSA, "", TBS_NOTICKS, 10,
                                                      200, px(150), px(30)));
        SendMessageA(bar, TBM_SETPOS, TRUE, 50);
        HWND push = Keep(toplevel_testing::CreateChild(window, "BUTTON", "Push", BS_PUSHBUTTON, 330,
                                                       10, 90, 30));
        skin::TheSkin->SkinWindow(window, 30, 1, 0, 0, 0, 1, 0, 0);
        const int p = skin::FindWindowPosition(window);
        skin::RecordAt(p)->Dpi = dpi;
        ShowWindow(window, SW_SHOWNOACTIVATE);
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        toplevel_testing::Pump();
        // Header: 5 pixels either side of a divider hit no item.
        const int zone = px(5);
        EXPECT_EQ(skin::HeaderItemAt(p, 1, MAKELPARAM(100 + zone, 5)), 2);
        EXPECT_EQ(skin::HeaderItemAt(p, 1, MAKELPARAM(100 + zone - 1, 5)), 0);
        EXPECT_EQ(skin::HeaderItemAt(p, 1, MAKELPARAM(100 - zone, 5)), 1);
        EXPECT_EQ(skin::HeaderItemAt(p, 1, MAKELPARAM(100 - zone + 1, 5)), 0);
        // Button: the font read from the control at 96 dpi, scaled.
        ASSERT_NE(skin::ButtonRecordOf(push), nullptr);
        const skin::ButtonRecord& pushRecord = *skin::ButtonRecordOf(push);
        EXPECT_EQ(skin::ButtonFontPixels(pushRecord, dpi),
                  skin::ScaleBetweenDpi(skin::ButtonFontPixels(pushRecord, 96), 96, dpi));
        EXPECT_GT(skin::ButtonFontPixels(pushRecord, 96), 8);
        combo[i] = DarkInk(list);
        upDown[i] = DarkInk(arrows);
        track[i] = RedTint(bar);
        DestroyWindow(window);
    }
    // The drop button and the up-down's arrows are the skin's own, in both directions; the
    // track bar's value bar runs along the system's channel, whose thickness is the system's,
    // so only its length (and the dot's size) follow.
    const struct {
        const char* name;
        const int* ink;
        int atLeastAt144, atLeastAt192; // in tenths of the ink at 96 dpi
    } parts[] = {{"drop-down list", combo, 15, 25},
                 {"up-down", upDown, 15, 25},
                 {"track bar", track, 13, 20}};
    for (const auto& part : parts) {
        SCOPED_TRACE(part.name);
        EXPECT_GT(part.ink[0], 10);
        EXPECT_GE(part.ink[1] * 10, part.ink[0] * part.atLeastAt144) << part.ink[0] << " at 96";
        EXPECT_GE(part.ink[2] * 10, part.ink[0] * part.atLeastAt192) << part.ink[0] << " at 96";
        EXPECT_LE(part.ink[2], part.ink[0] * 6) << part.ink[0] << " at 96 dpi";
    }
}

// The close button pointed at, at 192 dpi: its red face reaches the bottom right of what shows
// of it (it runs on past the window's edge), and the white edge inside it is 2 pixels wide.
TEST_F(DpiWindow, TheCloseButtonsFaceIsScaled) {
    HWND window = Skinned(96);
    ShowWindow(window, SW_SHOWNA);
    toplevel_testing::Pump();
    ChangeDpi(window, 192);
    const int position = skin::FindWindowPosition(window);
    skin::WindowRecord& r = RecordOf(window);
    ASSERT_EQ(r.CaptionButtons.size(), 3u);
    const plus::RectF& close = r.CaptionButtons[2].Rect;
    const int left = static_cast<int>(close.x) - 1, top = static_cast<int>(close.y);
    const int h = static_cast<int>(close.height);
    RECT client{};
    GetClientRect(window, &client);
    const int shown = client.right - left;
    const auto red = [&](int x, int y) {
        const std::uint32_t p = skin::BackBufferPixels(r).Row(top + y)[left + x];
        const int R = (p >> 16) & 0xFF, G = (p >> 8) & 0xFF, B = p & 0xFF;
        return R - std::max(G, B) > 80;
    };
    skin::TheSkin->PaintCaptionButton(position, 3, nullptr, false, 255);
    const int edge = static_cast<int>(close.width * 0.1f) - 1; // the edge's first column
    const int y = h / 2 + 2;
    EXPECT_TRUE(red(edge - 1, y));
    EXPECT_FALSE(red(edge, y));
    EXPECT_FALSE(red(edge + 1, y));
    EXPECT_TRUE(red(edge + 2, y));
    EXPECT_TRUE(red(shown - 2, h - 3));
    EXPECT_TRUE(red(edge - 1, h - 3));
}

// A caller's picture for a caption button, made for 96 dpi, fills its button at 192 dpi too
// (filtered up to twice its size), rather than a quarter of it.
TEST_F(DpiWindow, ACallersCaptionPictureFillsItsButtonAtTheDpi) {
    HWND window = Skinned(96);
    ShowWindow(window, SW_SHOWNA);
    toplevel_testing::Pump();
    ChangeDpi(window, 192);
    plus::PlusBitmap picture;
    picture.Create(26, 18);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 26; ++x)
            picture.SetPixel(x, y, 0xFF00FF00u);
    ASSERT_TRUE(
        skin::TheSkin->AddCaptionButton(window, picture.SaveToBytes(plus::ImageFormatPNG), "tip"));
    const int position = skin::FindWindowPosition(window);
    skin::TheSkin->RebuildBackground(position, std::nullopt);
    skin::WindowRecord& r = RecordOf(window);
    const skin::CaptionButton* added = nullptr;
    for (const skin::CaptionButton& b : r.CaptionButtons)
        if (b.Kind == skin::kApplicationButton) added = &b;
    ASSERT_NE(added, nullptr);
    EXPECT_FLOAT_EQ(added->Rect.width, 52.0f);
    const auto green = [&](float fx, float fy) {
        const int x = static_cast<int>(added->Rect.x + added->Rect.width * fx);
        const int y = static_cast<int>(added->Rect.y + added->Rect.height * fy);
        const std::uint32_t p = skin::BackBufferPixels(r).Row(y)[x];
        return ((p >> 8) & 0xFF) > 200 && ((p >> 16) & 0xFF) < 60;
    };
    EXPECT_TRUE(green(0.25f, 0.25f));
    EXPECT_TRUE(green(0.75f, 0.75f));
}
