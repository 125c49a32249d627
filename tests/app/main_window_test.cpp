// MainWindow: its attributes, and what a completed navigation sets off.
#include "app/main_window.h"
#include "app/startup.h"
#include "app/usage_counter.h"
#include "support/http_server.h"
#include "support/windows.h"
#include "varnel_config.h"
#include "counter_page.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace varnel;
using counter_testing::CounterPage;
using counter_testing::kCounterTarget;
using namespace std::chrono_literals;
using testing_support::HttpAnswer;
using testing_support::LoopbackHttpServer;
using testing_support::PumpMessagesFor;
using testing_support::PumpMessagesUntil;

namespace {

// The event page and the counter on one loopback server.
struct Fixture {
    LoopbackHttpServer server;
    Fixture() {
        server.Answer("/wb/hd.html", HttpAnswer::Page("<html><body>event</body></html>",
                                                      "text/html; charset=utf-8"));
        server.Answer(kCounterTarget, HttpAnswer::Page(CounterPage("42")));
    }
    MainWindow::Settings Settings() const {
        return {server.Url("/wb/hd.html"), server.Url(kCounterTarget), false};
    }
};

RECT ClientRectOf(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A Windows path for a file of the build tree (the tree's paths are Unix paths).
std::string BuildFile(const std::string& name) {
    std::string path = std::string(VARNEL_BINARY_DIR) + "/" + name;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    return path;
}
} // namespace

TEST(MainWindow, TitleGeometryAndLoadingLabel) {
    Fixture fixture;
    MainWindow window;
    ASSERT_TRUE(window.Load(fixture.Settings()));
    HWND handle = window.Handle();
    ASSERT_TRUE(IsWindow(handle));

    char title[64] = {};
    GetWindowTextA(handle, title, sizeof title);
    EXPECT_STREQ(title, "Varnel/免更新版");
    EXPECT_EQ(testing_support::FindTopLevelWindow("Varnel/免更新版"), handle);
    RECT outer;
    GetWindowRect(handle, &outer);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 50);
    EXPECT_EQ(outer.right - outer.left, 376);
    EXPECT_EQ(outer.bottom - outer.top, 364);
    EXPECT_TRUE(IsWindowVisible(handle));

    HWND label = window.LoadingLabel();
    ASSERT_TRUE(IsWindow(label));
    EXPECT_EQ(GetParent(label), handle);
    char text[64] = {};
    GetWindowTextA(label, text, sizeof text);
    EXPECT_STREQ(text, "请稍等,正在玩命的加载....");
    const RECT labelRect = ClientRectOf(label);
    EXPECT_EQ(labelRect.left, 56);
    EXPECT_EQ(labelRect.top, 128);
    EXPECT_EQ(labelRect.right - labelRect.left, 256);
    EXPECT_EQ(labelRect.bottom - labelRect.top, 80);

    auto font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA logFont{};
    ASSERT_EQ(GetObjectA(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
    EXPECT_STREQ(logFont.lfFaceName, "宋体");
    EXPECT_EQ(logFont.lfHeight, -21);
    EXPECT_EQ(logFont.lfWeight, 400);
    EXPECT_FALSE(logFont.lfItalic);
    EXPECT_FALSE(logFont.lfUnderline);
    EXPECT_FALSE(logFont.lfStrikeOut);
    EXPECT_EQ(logFont.lfCharSet, 134);
    EXPECT_EQ(logFont.lfOutPrecision, 3);
    EXPECT_EQ(logFont.lfClipPrecision, 2);
    EXPECT_EQ(logFont.lfQuality, 1);
    EXPECT_EQ(logFont.lfPitchAndFamily, 2);

    ASSERT_NE(window.Browser(), nullptr);
    const RECT browserRect = ClientRectOf(window.Browser()->Window());
    EXPECT_EQ(browserRect.left, 1);
    EXPECT_EQ(browserRect.top, 24);
    EXPECT_EQ(browserRect.right - browserRect.left, 373);
    EXPECT_EQ(browserRect.bottom - browserRect.top, 314);
}

TEST(MainWindow, CompletedNavigationHidesTheLabelAndCountsOneUse) {
    Fixture fixture;
    MainWindow window;
    ASSERT_TRUE(window.Load(fixture.Settings()));
    EXPECT_TRUE(IsWindowVisible(window.LoadingLabel()));

    ASSERT_TRUE(
        PumpMessagesUntil([&] { return fixture.server.RequestCount(kCounterTarget) == 1; }));
    EXPECT_EQ(fixture.server.RequestCount("/wb/hd.html"), 1u);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !window.LastTitleLine().empty(); }));
    EXPECT_FALSE(IsWindowVisible(window.LoadingLabel()));
    EXPECT_EQ(window.LastTitleLine(), TitleLine("已使用次数：42"));
    // The page was requested before the counter.
    const auto requests = fixture.server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(testing_support::RequestLine(requests[0]), "GET /wb/hd.html HTTP/1.0");
}

TEST(MainWindow, EveryCompletedNavigationStartsAnotherCounterThread) {
    Fixture fixture;
    MainWindow window;
    ASSERT_TRUE(window.Load(fixture.Settings()));
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return fixture.server.RequestCount(kCounterTarget) == 1; }));
    const HANDLE first = CounterThread();
    const DWORD firstId = GetThreadId(first);
    ASSERT_NE(firstId, 0u);

    fixture.server.Answer(kCounterTarget, HttpAnswer::Page(CounterPage("43")));
    ASSERT_TRUE(window.Browser()->Navigate(fixture.server.Url("/wb/hd.html")));
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return fixture.server.RequestCount(kCounterTarget) == 2; }));
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return window.LastTitleLine() == TitleLine("已使用次数：43"); }));
    EXPECT_NE(GetThreadId(CounterThread()), firstId);
    // The replaced handle was closed: it no longer names the first thread (GetProcessHandleCount
    // is 0 under Wine, so the handle itself is asked).
    EXPECT_NE(GetThreadId(first), firstId);
    EXPECT_EQ(WaitForSingleObject(CounterThread(), 5000), WAIT_OBJECT_0);
    EXPECT_FALSE(IsWindowVisible(window.LoadingLabel()));
}

TEST(MainWindow, NavigationThatNeverCompletesKeepsTheLabelAndStartsNoCounter) {
    Fixture fixture;
    MainWindow::Settings settings = fixture.Settings();
    settings.eventPageUrl =
        "http://127.0.0.1:" + std::to_string(testing_support::ClosedLoopbackPort()) + "/wb/hd.html";
    const HANDLE before = CounterThread();
    MainWindow window;
    ASSERT_TRUE(window.Load(settings));
    PumpMessagesFor(1500ms);
    EXPECT_TRUE(IsWindowVisible(window.LoadingLabel()));
    // Without a mailbox no counter starts either.
    EXPECT_FALSE(StartUsageCounter(nullptr, fixture.server.Url(kCounterTarget)));
    EXPECT_EQ(CounterThread(), before);
    EXPECT_EQ(fixture.server.RequestCount(kCounterTarget), 0u);
}

TEST(MainWindow, CreationHandlerRunsBeforeTheWindowIsShown) {
    Fixture fixture;
    MainWindow window;
    bool visibleDuringHandler = true;
    HWND seen = nullptr;
    ASSERT_TRUE(window.Load(fixture.Settings(), [&](MainWindow& created) {
        seen = created.Handle();
        visibleDuringHandler = IsWindowVisible(created.Handle()) != FALSE;
    }));
    EXPECT_EQ(seen, window.Handle());
    EXPECT_FALSE(visibleDuringHandler);
    // A window loads once: a second Load fails and keeps the first window.
    EXPECT_FALSE(window.Load(fixture.Settings()));
    EXPECT_EQ(window.Handle(), seen);
}

TEST(MainWindow, ClosingTheProgramWindowEndsTheMessageLoop) {
    Fixture fixture;
    MainWindow window;
    MainWindow::Settings settings = fixture.Settings();
    settings.endsMessageLoop = true;
    ASSERT_TRUE(window.Load(settings));
    PostMessageA(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_EQ(window.Handle(), nullptr);
}

TEST(StartUp, ProgramIconHasItsNineImages) {
    // Without either icon resource there is no icon, and no failure.
    EXPECT_EQ(LoadAppIcon(GetModuleHandleA(nullptr)), nullptr);

    HMODULE program = LoadLibraryExA(BuildFile("Varnel.exe").c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr) << BuildFile("Varnel.exe");
    EXPECT_NE(LoadAppIcon(program), nullptr);

    HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(129), MAKEINTRESOURCEA(14));
    ASSERT_NE(group, nullptr);
    const auto* directory =
        static_cast<const std::uint8_t*>(LockResource(LoadResource(program, group)));
    ASSERT_NE(directory, nullptr);
    std::uint16_t count = 0;
    std::memcpy(&count, directory + 4, 2);
    ASSERT_EQ(count, 9);
    const int sizes[9] = {48, 32, 16, 256, 128, 64, 48, 32, 16};
    const int depths[9] = {8, 8, 8, 32, 32, 32, 32, 32, 32};
    for (int i = 0; i < 9; ++i) {
        const std::uint8_t* entry = directory + 6 + 14 * i;
        const int width = entry[0] == 0 ? 256 : entry[0];
        std::uint16_t bits = 0, id = 0;
        std::memcpy(&bits, entry + 6, 2);
        std::memcpy(&id, entry + 12, 2);
        EXPECT_EQ(width, sizes[i]) << "image " << i + 1;
        EXPECT_EQ(bits, depths[i]) << "image " << i + 1;
        HRSRC image = FindResourceA(program, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));
        ASSERT_NE(image, nullptr);
        const auto* data =
            static_cast<const std::uint8_t*>(LockResource(LoadResource(program, image)));
        // The 256-pixel image is stored as PNG, every other one as a DIB.
        if (sizes[i] == 256)
            EXPECT_EQ(std::memcmp(data, "\x89PNG", 4), 0);
        else
            EXPECT_EQ(data[0], 40) << "image " << i + 1; // BITMAPINFOHEADER size
    }
    FreeLibrary(program);
}
