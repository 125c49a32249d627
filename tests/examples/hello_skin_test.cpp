// examples/hello_skin, built against the installed package, run as a user starts it: its window
// shows the skin, where an unskinned window of the same class would show none of it.
#include "support/process.h"
#include "support/windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace std::chrono_literals;
using testing_support::Process;

namespace {

// What examples/hello_skin/main.cpp sets.
const std::string kTitle = "Hello, skin";
constexpr std::uint32_t kThemeRgb = 0x2E8B57; // RGB(0x2E, 0x8B, 0x57) as 0x00RRGGBB
constexpr int kCaptionHeight = 40;
constexpr int kStatusHeight = 22;
constexpr int kFrame = 3;

int Channel(std::uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}

int Distance(std::uint32_t a, std::uint32_t b) {
    int largest = 0;
    for (int shift : {0, 8, 16})
        largest = std::max(largest, std::abs(Channel(a, shift) - Channel(b, shift)));
    return largest;
}

bool NearWhite(std::uint32_t rgb) {
    return Channel(rgb, 0) >= 0xE0 && Channel(rgb, 8) >= 0xE0 && Channel(rgb, 16) >= 0xE0;
}

} // namespace

TEST(HelloSkinExample, ItsWindowHasTheSkinnedCaptionRegionAndStatusPane) {
    ASSERT_TRUE(std::filesystem::exists(VARNEL_HELLO_SKIN_PROGRAM))
        << VARNEL_HELLO_SKIN_PROGRAM << " is missing: scripts/examples.sh builds it";
    ASSERT_EQ(testing_support::FindTopLevelWindow(kTitle), nullptr) << "another one is open";
    Process hello(VARNEL_HELLO_SKIN_PROGRAM);
    ASSERT_TRUE(hello.Started());
    HWND window = nullptr;
    ASSERT_TRUE(testing_support::PumpMessagesUntil(
        [&] {
            window = testing_support::FindTopLevelWindow(kTitle);
            return window && IsWindowVisible(window);
        },
        20s));
    // On top of whatever other tests show, so the screen holds its pixels; then until it has
    // painted (the theme colour in the caption's middle) or, at the latest, 10 s.
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(window, &client);
    const int w = client.right, h = client.bottom;
    ASSERT_EQ(w, 420);
    ASSERT_EQ(h, 260);
    const RECT captionMiddle{w / 2, kCaptionHeight / 2, w / 2 + 1, kCaptionHeight / 2 + 1};
    testing_support::PumpMessagesUntil(
        [&] {
            const auto middle = testing_support::ScreenPixels(window, captionMiddle);
            return middle.size() == 1 && Distance(middle[0], kThemeRgb) <= 2;
        },
        10s);
    testing_support::PumpMessagesFor(300ms);

    // The engine in the example's process recorded it as its first skinned window.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(window, "Hw_lbID")), 1);

    // The rounded region leaves the corners out.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(window, region), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, w - 1, h - 1));
    EXPECT_TRUE(PtInRegion(region, w / 2, h / 2));
    DeleteObject(region);

    const auto pixels = testing_support::ScreenPixels(window, client);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(w) * h);
    auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * w + x]; };

    // Caption (no gloss) and body in the theme colour, between the title and the buttons.
    for (int y : {kFrame + 5, kCaptionHeight / 2, kCaptionHeight - 4, h / 2})
        EXPECT_LE(Distance(at(w / 2, y), kThemeRgb), 2)
            << "at y " << y << ": " << std::hex << at(w / 2, y);

    // The title: white ink in the caption's left half, none in its middle.
    int titleInk = 0, middleInk = 0;
    for (int y = kFrame; y < kCaptionHeight; ++y) {
        for (int x = kFrame; x < w / 3; ++x)
            titleInk += NearWhite(at(x, y)) ? 1 : 0;
        for (int x = w / 3; x < 2 * w / 3; ++x)
            middleInk += NearWhite(at(x, y)) ? 1 : 0;
    }
    EXPECT_GT(titleInk, 60);
    EXPECT_EQ(middleInk, 0);

    // The pane text: on each row of the status bar, pixels unlike that row's own background
    // (read at the pane's right end, where the short text does not reach) in the left half,
    // and none in the right half.
    int textInk = 0, rightInk = 0;
    for (int y = h - kFrame - kStatusHeight; y < h - kFrame; ++y) {
        const std::uint32_t background = at(w - 20, y);
        for (int x = kFrame + 1; x < w / 2; ++x)
            textInk += Distance(at(x, y), background) > 48 ? 1 : 0;
        for (int x = w / 2; x < w - 20; ++x)
            rightInk += Distance(at(x, y), background) > 48 ? 1 : 0;
    }
    EXPECT_GT(textInk, 150);
    EXPECT_EQ(rightInk, 0);

    testing_support::SaveScreenshot(window, VARNEL_BINARY_DIR "/example-hello-skin.bmp");

    // The close message ends its message loop and the program, with exit code 0.
    PostMessageA(window, WM_CLOSE, 0, 0);
    const auto code = hello.WaitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "the program did not end when its window closed";
    EXPECT_EQ(*code, 0u);
}
