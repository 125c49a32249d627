// The two page views: the own text view completes navigations, the hosted browser control
// reports failures (under Wine without an HTML engine every navigation fails) and never
// completes one.
#include "app/page_view.h"
#include "app/win_handles.h"
#include "support/http_server.h"
#include "support/windows.h"

#include <gtest/gtest.h>

using namespace varnel;
using namespace std::chrono_literals;
using testing_support::HttpAnswer;
using testing_support::LoopbackHttpServer;
using testing_support::PumpMessagesFor;
using testing_support::PumpMessagesUntil;

namespace {

// A plain top-level window to put a view on.
class ParentWindow {
public:
    ParentWindow() {
        window_ = CreateWindowExA(0, "STATIC", "page view test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  100, 100, 400, 380, nullptr, nullptr, nullptr, nullptr);
    }
    ~ParentWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_;
};

const RECT kRect = {1, 24, 374, 338};

struct Events {
    int completed = 0;
    int failed = 0;
    long lastFailure = 0;
    void Watch(PageView& view) {
        view.OnNavigated([this] { ++completed; });
        view.OnFailed([this](long code) {
            ++failed;
            lastFailure = code;
        });
    }
};

std::wstring WindowTextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(text.size() - 1);
    return text;
}

} // namespace

TEST(PageText, TagsScriptsAndEntities) {
    const std::string html =
        "<html><head><meta charset=\"gbk\"><title>标题</title><style>p{}</style></head>"
        "<body><script>var x = '<p>';</script><p>第一&amp;段</p><p>a &lt;b&gt;&#20320;  c</p>"
        "<!-- hidden --></body></html>";
    EXPECT_EQ(PageText(ByteSet(html.begin(), html.end())),
              L"\u6807\u9898\r\n\r\n\u7B2C\u4E00&\u6BB5\r\n\r\na <b>\u4F60 c");
}

TEST(PageText, DecodesDeclaredAndUndeclaredCharsets) {
    // "中文" in code page 936 and in UTF-8.
    const ByteSet gbk{0xD6, 0xD0, 0xCE, 0xC4};
    const ByteSet utf8{0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87};
    EXPECT_EQ(PageText(gbk), L"\u4E2D\u6587");
    EXPECT_EQ(PageText(utf8), L"\u4E2D\u6587");
    const std::string declared = "<meta charset=gb2312>\xD6\xD0\xCE\xC4";
    const ByteSet page(declared.begin(), declared.end());
    EXPECT_EQ(PageText(page), L"\u4E2D\u6587");
    EXPECT_EQ(PageText({}), L"");
}

TEST(TextPageView, ShowsThePageTextAndCompletesOncePerNavigation) {
    LoopbackHttpServer server;
    server.Answer("/wb/hd.html",
                  HttpAnswer::Page("<html><body><p>\xE6\xB4\xBB\xE5\x8A\xA8</p></body></html>",
                                   "text/html; charset=utf-8"));
    ParentWindow parent;
    auto view = CreateTextPageView(parent.get(), kRect);
    ASSERT_TRUE(view);
    Events events;
    events.Watch(*view);

    RECT rect;
    GetWindowRect(view->Window(), &rect);
    MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, kRect.left);
    EXPECT_EQ(rect.top, kRect.top);
    EXPECT_EQ(rect.right, kRect.right);
    EXPECT_EQ(rect.bottom, kRect.bottom);

    ASSERT_TRUE(view->Navigate(server.Url("/wb/hd.html")));
    ASSERT_TRUE(PumpMessagesUntil([&] { return events.completed == 1; }));
    HWND text = GetWindow(view->Window(), GW_CHILD);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(WindowTextOf(text), L"\u6D3B\u52A8");

    // Every completed navigation is reported again.
    ASSERT_TRUE(view->Navigate(server.Url("/wb/hd.html")));
    ASSERT_TRUE(PumpMessagesUntil([&] { return events.completed == 2; }));
    EXPECT_EQ(events.failed, 0);
    EXPECT_EQ(server.RequestCount("/wb/hd.html"), 2u);
}

TEST(TextPageView, FailedNavigationsNeverComplete) {
    LoopbackHttpServer server;
    ParentWindow parent;
    auto view = CreateTextPageView(parent.get(), kRect);
    ASSERT_TRUE(view);
    Events events;
    events.Watch(*view);

    // An error page from the server.
    ASSERT_TRUE(view->Navigate(server.Url("/missing.html")));
    ASSERT_TRUE(PumpMessagesUntil([&] { return events.failed == 1; }));
    EXPECT_EQ(events.lastFailure, 404);
    // Nothing listening.
    const auto closed = testing_support::ClosedLoopbackPort();
    ASSERT_TRUE(view->Navigate("http://127.0.0.1:" + std::to_string(closed) + "/wb/hd.html"));
    ASSERT_TRUE(PumpMessagesUntil([&] { return events.failed == 2; }));
    EXPECT_EQ(events.lastFailure, 0);
    PumpMessagesFor(200ms);
    EXPECT_EQ(events.completed, 0);
}

TEST(TextPageView, ANewerNavigationSupersedesOneInFlight) {
    LoopbackHttpServer server;
    server.Answer("/slow", HttpAnswer::Page("slow").After(800ms));
    server.Answer("/fast", HttpAnswer::Page("fast"));
    ParentWindow parent;
    auto view = CreateTextPageView(parent.get(), kRect);
    Events events;
    events.Watch(*view);
    ASSERT_TRUE(view->Navigate(server.Url("/slow")));
    ASSERT_TRUE(server.WaitForRequests("/slow", 1));
    ASSERT_TRUE(view->Navigate(server.Url("/fast")));
    ASSERT_TRUE(PumpMessagesUntil([&] { return events.completed == 1; }));
    PumpMessagesFor(1200ms);
    EXPECT_EQ(events.completed, 1);
    EXPECT_EQ(WindowTextOf(GetWindow(view->Window(), GW_CHILD)), L"fast");
}

TEST(TextPageView, ViewDestroyedWhileFetchingIsHarmless) {
    LoopbackHttpServer server;
    server.Answer("/slow", HttpAnswer::Page("slow").After(300ms));
    ParentWindow parent;
    {
        auto view = CreateTextPageView(parent.get(), kRect);
        Events events;
        events.Watch(*view);
        ASSERT_TRUE(view->Navigate(server.Url("/slow")));
        ASSERT_TRUE(server.WaitForRequests("/slow", 1));
    }
    PumpMessagesFor(600ms);
    SUCCEED();
}

class WebBrowserViewTest : public ::testing::Test {
protected:
    OleScope ole;
};

TEST_F(WebBrowserViewTest, ControlIsHostedInTheRectangle) {
    ASSERT_TRUE(ole.ok());
    ParentWindow parent;
    auto view = CreateWebBrowserView(parent.get(), kRect);
    ASSERT_TRUE(view) << "the browser control could not be hosted";
    RECT host;
    GetWindowRect(view->Window(), &host);
    MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&host), 2);
    EXPECT_EQ(host.left, kRect.left);
    EXPECT_EQ(host.top, kRect.top);
    EXPECT_EQ(host.right - host.left, kRect.right - kRect.left);
    EXPECT_EQ(host.bottom - host.top, kRect.bottom - kRect.top);
    // The control's own window sits inside the host and fills it.
    HWND control = GetWindow(view->Window(), GW_CHILD);
    ASSERT_NE(control, nullptr);
    RECT inner;
    GetWindowRect(control, &inner);
    EXPECT_EQ(inner.right - inner.left, kRect.right - kRect.left);
    EXPECT_EQ(inner.bottom - inner.top, kRect.bottom - kRect.top);
}

TEST_F(WebBrowserViewTest, NavigationWithoutAnHtmlEngineFailsAndNeverCompletes) {
    if (HtmlEngineAvailable())
        GTEST_SKIP() << "an HTML engine is installed; navigations complete here";
    LoopbackHttpServer server;
    server.Answer("/wb/hd.html", HttpAnswer::Page("<html><body>hi</body></html>"));
    ParentWindow parent;
    auto view = CreateWebBrowserView(parent.get(), kRect);
    ASSERT_TRUE(view);
    Events events;
    events.Watch(*view);

    // The page is downloaded, then the control reports that it cannot show it.
    ASSERT_TRUE(view->Navigate(server.Url("/wb/hd.html")));
    ASSERT_TRUE(PumpMessagesUntil([&] { return events.failed >= 1; }));
    EXPECT_EQ(server.RequestCount("/wb/hd.html"), 1u);
    EXPECT_LT(events.lastFailure, 0) << "not a failure code";

    // A closed port fails too, with its own code.
    const int failedBefore = events.failed;
    const auto closed = testing_support::ClosedLoopbackPort();
    ASSERT_TRUE(view->Navigate("http://127.0.0.1:" + std::to_string(closed) + "/wb/hd.html"));
    ASSERT_TRUE(PumpMessagesUntil([&] { return events.failed > failedBefore; }));
    EXPECT_LT(events.lastFailure, 0) << "not a failure code";
    PumpMessagesFor(300ms);
    EXPECT_EQ(events.completed, 0);
}

TEST_F(WebBrowserViewTest, ChooserFallsBackToTheTextViewWithoutAnHtmlEngine) {
    if (HtmlEngineAvailable()) GTEST_SKIP() << "an HTML engine is installed";
    ParentWindow parent;
    auto view = CreatePageView(parent.get(), kRect);
    ASSERT_TRUE(view);
    char className[64] = {};
    GetClassNameA(view->Window(), className, sizeof className);
    EXPECT_STREQ(className, "VarnelTextPageView");
}
