// The program's one job, the usage line, read by another process through the main window's
// accessible object, as a screen reader reads it.
#include "app/main_window.h"
#include "plus/plus_object.h"
#include "skin/accessibility_probe.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "support/http_server.h"
#include "support/windows.h"
#include "varnel_config.h"
#include "counter_page.h"

#include <objbase.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using namespace std::chrono_literals;
using counter_testing::CounterPage;
using counter_testing::kCounterTarget;
using testing_support::HttpAnswer;
using testing_support::LoopbackHttpServer;

namespace {

class AccessibleProgramWindow : public testing::Test {
protected:
    void SetUp() override {
        skin::CreateTheSkin();
        skin::Engine.PlusToken = plus::StartupGdiPlus();
        ASSERT_NE(skin::Engine.PlusToken, 0u);
        skin::SetStartupOptions();
        server.Answer("/wb/hd.html", HttpAnswer::Page("<html><body>event</body></html>",
                                                      "text/html; charset=utf-8"));
        server.Answer(kCounterTarget, HttpAnswer::Page(CounterPage("1234")));
    }
    void TearDown() override { skin::DestroyTheSkin(); }

    LoopbackHttpServer server;
};

} // namespace

TEST_F(AccessibleProgramWindow, TheUsageLineIsReadableFromAnotherProcess) {
    varnel::MainWindow window;
    ASSERT_TRUE(window.Load({server.Url("/wb/hd.html"), server.Url(kCounterTarget), false}));
    ASSERT_TRUE(
        testing_support::PumpMessagesUntil([&] { return window.UsageUpdateCount() >= 1; }, 30s));
    const std::string line =
        std::string("Oskimo：") + varnel::config::kHomePageUrl + "      " + "已使用次数：1234 次  ";

    probe_testing::Probe probe({"children", probe_testing::HandleText(window.Handle())});
    ASSERT_TRUE(probe.Finish());
    const std::vector<std::string> lines = probe.Lines();
    // Title, minimize, close, the one pane, then the child windows (label, page view).
    ASSERT_GE(lines.size(), 5u);
    const probe_testing::ProbeChild title = probe_testing::ParseChild(lines[1]);
    EXPECT_EQ(title.name, probe_testing::Utf8FromCp936(varnel::MainWindow::kTitle));
    EXPECT_EQ(probe_testing::ParseChild(lines[2]).name, probe_testing::Utf8FromCp936("最小化"));
    EXPECT_EQ(probe_testing::ParseChild(lines[3]).name, probe_testing::Utf8FromCp936("关闭"));
    const probe_testing::ProbeChild pane = probe_testing::ParseChild(lines[4]);
    EXPECT_EQ(pane.id, 4);
    EXPECT_EQ(pane.role, ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(pane.name, probe_testing::Utf8FromCp936(line));
    // Where the pane is painted.
    const skin::WindowRecord* record = skin::RecordAt(skin::FindWindowPosition(window.Handle()));
    ASSERT_NE(record, nullptr);
    RECT painted{record->StatusPaneRects[0].x, record->StatusPaneRects[0].y,
                 record->StatusPaneRects[0].x + record->StatusPaneRects[0].width,
                 record->StatusPaneRects[0].y + record->StatusPaneRects[0].height};
    MapWindowPoints(window.Handle(), nullptr, reinterpret_cast<POINT*>(&painted), 2);
    EXPECT_TRUE(EqualRect(&pane.location, &painted));
}
