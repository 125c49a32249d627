// The main window as the program makes it: skinned by its creation event, with the usage line
// from the counter threads in its status bar.
#include "app/http.h"
#include "app/main_window.h"
#include "app/usage_counter.h"
#include "plus/plus_object.h"
#include "skin/accessibility_probe.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "support/gdi_count.h"
#include "support/http_server.h"
#include "support/windows.h"
#include "varnel_config.h"
#include "counter_page.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <set>
#include <thread>

using namespace varnel;
using counter_testing::CounterPage;
using counter_testing::kCounterTarget;
using namespace std::chrono_literals;
using testing_support::HttpAnswer;
using testing_support::LoopbackHttpServer;
using testing_support::PumpMessagesUntil;

namespace {

// What the status bar shows for a count (digits as the page lists them).
std::string ExpectedLine(const std::string& digits) {
    return std::string("Oskimo：") + config::kHomePageUrl + "      " + "已使用次数：" + digits +
           " 次  ";
}

RECT AsRect(const skin::PaneRect& r) {
    return RECT{r.x, r.y, r.x + r.width, r.y + r.height};
}

BOOL CALLBACK CountDialogsOfThisProcess(HWND window, LPARAM data) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (process == GetCurrentProcessId() && std::string(name) == "#32770")
        ++*reinterpret_cast<int*>(data);
    return TRUE;
}

int MessageBoxCount() {
    int count = 0;
    EnumWindows(CountDialogsOfThisProcess, reinterpret_cast<LPARAM>(&count));
    return count;
}

// The program's start-up around each test: the skin engine, GDI+ and the engine's options.
class ProgramWindow : public testing::Test {
protected:
    void SetUp() override {
        skin::CreateTheSkin();
        skin::Engine.PlusToken = plus::StartupGdiPlus();
        ASSERT_NE(skin::Engine.PlusToken, 0u);
        skin::SetStartupOptions();
        server.Answer("/wb/hd.html", HttpAnswer::Page("<html><body>event</body></html>",
                                                      "text/html; charset=utf-8"));
    }
    void TearDown() override { skin::DestroyTheSkin(); }

    MainWindow::Settings Settings() const {
        return {server.Url("/wb/hd.html"), server.Url(kCounterTarget), false};
    }
    static skin::WindowRecord* RecordOf(const MainWindow& window) {
        return skin::RecordAt(skin::FindWindowPosition(window.Handle()));
    }
    // The page view loads on this thread, so the wait pumps messages.
    bool CounterAsked(std::size_t times) const {
        return PumpMessagesUntil([&] { return server.RequestCount(kCounterTarget) >= times; }, 20s);
    }
    static bool WaitForUpdates(const MainWindow& window, std::size_t count) {
        return PumpMessagesUntil([&] { return window.UsageUpdateCount() >= count; }, 30s);
    }

    LoopbackHttpServer server;
};

} // namespace

TEST_F(ProgramWindow, CreationSkinsTheWindowWithAFixedFrameAndOneStatusPane) {
    MainWindow window;
    ASSERT_TRUE(window.Load(Settings()));
    const skin::WindowRecord* record = RecordOf(window);
    ASSERT_NE(record, nullptr);

    EXPECT_EQ(skin::Engine.ThemeColour, 0x00FF8800u);
    EXPECT_EQ(skin::Engine.AccentColour, skin::kDefaultAccentColour);
    EXPECT_TRUE(skin::Engine.ThemeImage.empty());
    EXPECT_EQ(skin::Engine.ControlSkinsEnabled, 1);
    EXPECT_EQ(skin::Engine.ControlAlpha, 0);
    EXPECT_EQ(skin::Engine.TranslucentControls, 1);
    EXPECT_EQ(skin::Engine.TrackBarFrame, 1);

    EXPECT_EQ(record->CaptionHeight, 110);
    EXPECT_EQ(record->HasCaption, 1);
    EXPECT_EQ(record->ShowTitle, 1);
    EXPECT_EQ(record->CaptionGloss, 1);
    EXPECT_EQ(record->StatusHeight, 20);

    // Not resizable: the frame's corner and edges are plain client area, with no size cursor.
    EXPECT_EQ(record->Resizable, 0);
    EXPECT_EQ(GetWindowLongA(window.Handle(), GWL_STYLE) & WS_THICKFRAME, 0);
    const HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    SetCursor(arrow);
    skin::TheSkin->UpdateFrameCursor(skin::FindWindowPosition(window.Handle()),
                                     MAKELPARAM(375, 363));
    EXPECT_EQ(GetCursor(), arrow);

    // Minimize and close only: no help, menu or maximize button.
    std::vector<int> kinds;
    for (const skin::CaptionButton& button : record->CaptionButtons)
        kinds.push_back(button.Kind);
    EXPECT_EQ(kinds, (std::vector<int>{skin::kMinimizeButton, skin::kCloseButton}));

    // One pane spanning the whole strip, empty until a usage line arrives.
    ASSERT_EQ(record->StatusPanes.size(), 1u);
    ASSERT_EQ(record->StatusPaneRects.size(), 1u);
    const skin::PaneRect& pane = record->StatusPaneRects[0];
    EXPECT_EQ(pane.x, record->StatusRect.x);
    EXPECT_EQ(pane.y, record->StatusRect.y);
    EXPECT_EQ(pane.width, record->StatusRect.width);
    EXPECT_EQ(pane.height, record->StatusRect.height);
    EXPECT_EQ(record->StatusRect.height, 20);
    RECT client{};
    GetClientRect(window.Handle(), &client);
    // The strip lies inside the skinned frame, along the bottom.
    const int frame = skin::TheSkin->FrameWidth;
    EXPECT_EQ(record->StatusRect.x, frame);
    EXPECT_EQ(record->StatusRect.width, client.right - 2 * frame);
    EXPECT_EQ(record->StatusRect.y + record->StatusRect.height, client.bottom - frame - 1);
}

TEST_F(ProgramWindow, CountFromTheCounterPageIsShownInThePane) {
    // Answered late, so the pane can be seen empty first.
    server.Answer(kCounterTarget, HttpAnswer::Page(CounterPage("42")).After(1500ms));
    MainWindow window;
    ASSERT_TRUE(window.Load(Settings()));
    ASSERT_TRUE(CounterAsked(1));
    testing_support::PumpMessagesFor(300ms);
    const skin::WindowRecord* record = RecordOf(window);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->StatusPanes[0].Text, "");
    const skin::PaneRect pane = record->StatusPaneRects[0];
    const auto before = testing_support::ScreenPixels(window.Handle(), AsRect(pane));

    ASSERT_TRUE(WaitForUpdates(window, 1));
    testing_support::PumpMessagesFor(200ms);
    EXPECT_EQ(record->StatusPanes[0].Text, ExpectedLine("42"));
    EXPECT_EQ(window.LastTitleLine(), ExpectedLine("42"));
    const auto after = testing_support::ScreenPixels(window.Handle(), AsRect(pane));
    // The text is drawn: a good share of the strip changed (a 12-pixel line of 40 characters).
    EXPECT_GT(testing_support::CountDifferentPixels(before, after), 200u);
    EXPECT_EQ(window.UsageUpdateCount(), 1u);
    testing_support::SaveScreenshot(window.Handle(), VARNEL_BINARY_DIR "/program-window.bmp");
}

TEST_F(ProgramWindow, NoDigitsOrNoServerShowTheBareUsageTextWithoutAMessage) {
    server.Answer(kCounterTarget, HttpAnswer::Page(""));
    {
        MainWindow window;
        ASSERT_TRUE(window.Load(Settings()));
        ASSERT_TRUE(WaitForUpdates(window, 1));
        EXPECT_EQ(RecordOf(window)->StatusPanes[0].Text, ExpectedLine(""));
    }
    {
        MainWindow::Settings settings = Settings();
        settings.counterUrl =
            "http://127.0.0.1:" + std::to_string(testing_support::ClosedLoopbackPort()) +
            kCounterTarget;
        MainWindow window;
        ASSERT_TRUE(window.Load(settings));
        ASSERT_TRUE(WaitForUpdates(window, 1));
        EXPECT_EQ(RecordOf(window)->StatusPanes[0].Text, ExpectedLine(""));
        testing_support::PumpMessagesFor(300ms);
        EXPECT_EQ(MessageBoxCount(), 0);
    }
}

TEST_F(ProgramWindow, LinesAreShownInTheOrderTheyWereDelivered) {
    server.Answer(kCounterTarget, HttpAnswer::Page(CounterPage("1")));
    MainWindow window;
    ASSERT_TRUE(window.Load(Settings()));
    ASSERT_TRUE(WaitForUpdates(window, 1));
    const auto mailbox = window.UsageLines();
    // Two deliveries from other threads before the window gets to read either.
    bool delivered[2] = {};
    std::thread([&] { delivered[0] = mailbox->Deliver("first"); }).join();
    std::thread([&] { delivered[1] = mailbox->Deliver("second"); }).join();
    EXPECT_TRUE(delivered[0] && delivered[1]);
    ASSERT_TRUE(WaitForUpdates(window, 3));
    EXPECT_EQ(RecordOf(window)->StatusPanes[0].Text, "second");
    EXPECT_EQ(window.UsageUpdateCount(), 3u);
}

TEST_F(ProgramWindow, FiftyCounterThreadsAtOnceEndInFiftyUpdates) {
    // Each request answers a different count, slowly, so the threads overlap.
    server.AnswerEach(kCounterTarget, [](std::size_t n) {
        return HttpAnswer::Page(CounterPage(std::to_string(n))).After(400ms);
    });
    MainWindow window;
    ASSERT_TRUE(window.Load(Settings()));
    ASSERT_TRUE(WaitForUpdates(window, 1));
    testing_support::PumpMessagesFor(300ms);
    const int gdiBefore = testing_support::GdiObjectCount();

    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(StartUsageCounter(window.UsageLines(), server.Url(kCounterTarget)));
    ASSERT_TRUE(WaitForUpdates(window, 51));
    ASSERT_EQ(WaitForSingleObject(CounterThread(), 10000), WAIT_OBJECT_0);
    testing_support::PumpMessagesFor(300ms);

    EXPECT_EQ(window.UsageUpdateCount(), 51u);
    EXPECT_EQ(server.RequestCount(kCounterTarget), 51u);
    // The pane keeps the line shown last, which is one of the fifty counts.
    const std::string shown = RecordOf(window)->StatusPanes[0].Text;
    EXPECT_EQ(shown, window.LastTitleLine());
    std::set<std::string> possible;
    for (int n = 2; n <= 51; ++n)
        possible.insert(ExpectedLine(std::to_string(n)));
    EXPECT_EQ(possible.count(shown), 1u) << shown;
    EXPECT_EQ(window.UsageLines()->DroppedCount(), 0u);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiBefore);
}

TEST_F(ProgramWindow, LinesArrivingAfterTheWindowClosedAreDropped) {
    server.Answer(kCounterTarget, HttpAnswer::Page(CounterPage("7")).After(1500ms));
    std::shared_ptr<UsageLineMailbox> mailbox;
    {
        MainWindow window;
        ASSERT_TRUE(window.Load(Settings()));
        ASSERT_TRUE(CounterAsked(1));
        for (int i = 0; i < 4; ++i)
            ASSERT_TRUE(StartUsageCounter(window.UsageLines(), server.Url(kCounterTarget)));
        mailbox = window.UsageLines();
        EXPECT_EQ(window.UsageUpdateCount(), 0u);
    }
    // Every thread lets go of the mailbox when it ends; ours is the last reference.
    ASSERT_TRUE(PumpMessagesUntil([&] { return mailbox.use_count() == 1; }, 20s));
    EXPECT_EQ(mailbox->DroppedCount(), 5u);
    EXPECT_FALSE(mailbox->Deliver("late"));
    EXPECT_TRUE(mailbox->TakeAll().empty());
}

TEST_F(ProgramWindow, TwentyCounterThreadsAgainstASilentServerEndByTheDeadline) {
    // The counter service accepts and never answers. Every completed navigation starts a
    // counter thread; each must give up at the download deadline with the bare usage line,
    // while the window goes on answering messages.
    server.Answer(kCounterTarget, HttpAnswer::Silent());
    MainWindow window;
    ASSERT_TRUE(window.Load(Settings()));
    ASSERT_TRUE(CounterAsked(1));
    const auto mailbox = window.UsageLines();

    const auto start = std::chrono::steady_clock::now();
    for (std::size_t n = 2; n <= 21; ++n) {
        ASSERT_TRUE(window.Browser()->Navigate(server.Url("/wb/hd.html")));
        ASSERT_TRUE(CounterAsked(n));
    }
    const auto lastStarted = std::chrono::steady_clock::now();

    // Another thread keeps asking the window to answer while the counter threads wait.
    std::atomic<bool> stop{false};
    std::atomic<int> answered{0}, missed{0};
    std::atomic<bool> proberDone{false};
    std::thread prober([&] {
        while (!stop) {
            DWORD_PTR result = 0;
            // A window blocked by a download would miss for the receive limit (5 s) or more;
            // 3 s leaves room for a machine busy with other work.
            if (SendMessageTimeoutA(window.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 3000, &result))
                ++answered;
            else
                ++missed;
            std::this_thread::sleep_for(50ms);
        }
        proberDone = true;
    });
    const bool allEnded = WaitForUpdates(window, 21);
    const auto ended = std::chrono::steady_clock::now();
    stop = true;
    // Go on answering until the prober has stopped: a probe in flight needs this thread.
    PumpMessagesUntil([&] { return proberDone.load(); }, 10s);
    prober.join();
    ASSERT_TRUE(allEnded);

    const HttpLimits limits;
    // The last thread started after all the others: it waited out the receive limit (the
    // server sends nothing at all), and none outlived the deadline.
    EXPECT_GE(ended - lastStarted, limits.receive - 500ms);
    EXPECT_LT(ended - lastStarted, limits.deadline + 3s);
    EXPECT_LT(ended - start, limits.deadline + 10s);
    // Every thread let go of the mailbox when it ended: only the window and we hold it.
    ASSERT_TRUE(PumpMessagesUntil([&] { return mailbox.use_count() == 2; }, 5s));
    EXPECT_EQ(window.UsageUpdateCount(), 21u);
    EXPECT_EQ(RecordOf(window)->StatusPanes[0].Text, ExpectedLine(""));
    EXPECT_EQ(server.RequestCount(kCounterTarget), 21u); // one request each, none repeated
    EXPECT_EQ(missed.load(), 0);
    EXPECT_GT(answered.load(), 20);
    std::printf("20 counter threads against a silent server: %.2f s from the first navigation, "
                "%.2f s after the last\n",
                std::chrono::duration<double>(ended - start).count(),
                std::chrono::duration<double>(ended - lastStarted).count());
}

// The program's one job, the usage line, read by another process through the main window's
// accessible object, as a screen reader reads it.
TEST_F(ProgramWindow, TheUsageLineIsReadableFromAnotherProcess) {
    server.Answer(kCounterTarget, HttpAnswer::Page(CounterPage("1234")));
    MainWindow window;
    ASSERT_TRUE(window.Load(Settings()));
    ASSERT_TRUE(PumpMessagesUntil([&] { return window.UsageUpdateCount() >= 1; }, 30s));

    probe_testing::Probe probe({"children", probe_testing::HandleText(window.Handle())});
    ASSERT_TRUE(probe.Finish());
    const std::vector<std::string> lines = probe.Lines();
    // Title, minimize, close, the one pane, then the child windows (label, page view).
    ASSERT_GE(lines.size(), 5u);
    using probe_testing::ParseChild;
    using probe_testing::Utf8FromCp936;
    EXPECT_EQ(ParseChild(lines[1]).name, Utf8FromCp936(MainWindow::kTitle));
    EXPECT_EQ(ParseChild(lines[2]).name, Utf8FromCp936("最小化"));
    EXPECT_EQ(ParseChild(lines[3]).name, Utf8FromCp936("关闭"));
    const probe_testing::ProbeChild pane = ParseChild(lines[4]);
    EXPECT_EQ(pane.id, 4);
    EXPECT_EQ(pane.role, ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(pane.name, Utf8FromCp936(ExpectedLine("1234")));
    // Where the pane is painted.
    const skin::WindowRecord* record = RecordOf(window);
    ASSERT_NE(record, nullptr);
    RECT painted = AsRect(record->StatusPaneRects[0]);
    MapWindowPoints(window.Handle(), nullptr, reinterpret_cast<POINT*>(&painted), 2);
    EXPECT_TRUE(EqualRect(&pane.location, &painted));
}
