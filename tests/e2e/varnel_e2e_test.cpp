// The program as a user starts it: its own process under Wine, talking to loopback servers.
#include "support/http_server.h"
#include "support/process.h"
#include "support/windows.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using testing_support::FindTopLevelWindow;
using testing_support::HttpAnswer;
using testing_support::LoopbackHttpServer;
using testing_support::Process;
using testing_support::PumpMessagesUntil;

namespace {

const std::string kCounterTarget = "/count2/count.asp?id=78375&sx=1&ys=9";
const std::string kTitle = "Varnel/免更新版";

struct ChildSearch {
    std::string className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (_stricmp(name, search->className.c_str()) == 0) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& className) {
    ChildSearch search{className, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Asked with WM_GETTEXT: GetWindowText does not ask a window of another process for its text.
std::string TextOf(HWND window) {
    char text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

HWND LoadingLabelOf(HWND window) {
    for (HWND candidate : ChildrenOfClass(window, "Static"))
        if (TextOf(candidate) == "请稍等,正在玩命的加载....") return candidate;
    return nullptr;
}

// The longest static text of a message box.
std::string MessageOf(HWND box) {
    std::string text;
    for (HWND part : ChildrenOfClass(box, "Static"))
        if (TextOf(part).size() > text.size()) text = TextOf(part);
    return text;
}

struct BoxSearch {
    DWORD process;
    HWND box = nullptr;
};

BOOL CALLBACK FindDialogOfProcess(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<BoxSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner == search->process && std::string(name) == "#32770") {
        search->box = window;
        return FALSE;
    }
    return TRUE;
}

HWND MessageBoxOf(DWORD process) {
    BoxSearch search{process};
    EnumWindows(FindDialogOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.box;
}

} // namespace

TEST(EndToEnd, ProgramShowsItsWindowLoadsThePageAndCountsOneUse) {
    LoopbackHttpServer server(VARNEL_E2E_PORT);
    ASSERT_TRUE(server.Started()) << "port " << VARNEL_E2E_PORT << " is taken";
    server.Answer("/wb/hd.html", HttpAnswer::Page("<html><head><meta charset=\"gbk\"></head>"
                                                  "<body><h1>本周活动</h1></body></html>",
                                                  "text/html; charset=gbk"));
    const std::string host = "127.0.0.1:" + std::to_string(VARNEL_E2E_PORT);
    server.Answer(kCounterTarget, HttpAnswer::Page("<img src=\"http://" + host +
                                                   "/img/d1/7.gif\">"
                                                   "<img src=\"http://" +
                                                   host + "/img/d1/0.gif\">")
                                      .After(1500ms));

    ASSERT_EQ(FindTopLevelWindow(kTitle), nullptr) << "another Varnel window is open";
    Process varnel(VARNEL_E2E_PROGRAM);
    ASSERT_TRUE(varnel.Started()) << VARNEL_E2E_PROGRAM;

    HWND window = nullptr;
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return (window = FindTopLevelWindow(kTitle)) != nullptr; }, 20s));
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 50);
    EXPECT_EQ(outer.right - outer.left, 376);
    EXPECT_EQ(outer.bottom - outer.top, 364);

    // The units appear just after the window itself.
    HWND label = nullptr;
    ASSERT_TRUE(PumpMessagesUntil([&] { return (label = LoadingLabelOf(window)) != nullptr; }));

    // The page, then the counter: one use counted.
    ASSERT_TRUE(server.WaitForRequests(kCounterTarget, 1, 20s));
    const auto requests = server.Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(testing_support::RequestLine(requests[0]), "GET /wb/hd.html HTTP/1.0");
    EXPECT_EQ(testing_support::RequestLine(requests[1]), "GET " + kCounterTarget + " HTTP/1.0");
    using testing_support::HeaderValues;
    EXPECT_EQ(HeaderValues(requests[1], "User-Agent"),
              std::vector<std::string>{"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"});
    EXPECT_EQ(HeaderValues(requests[1], "Accept"), std::vector<std::string>{"*/*"});
    EXPECT_EQ(HeaderValues(requests[1], "Host"), std::vector<std::string>{host});
    EXPECT_TRUE(PumpMessagesUntil([&] { return !IsWindowVisible(label); }, 5s));

    // The count arrives late: the status bar is seen without it, then with it.
    const RECT statusBar{3, 340, 373, 360};
    const auto withoutCount = testing_support::ScreenPixels(window, statusBar);
    testing_support::PumpMessagesFor(3s);
    const auto withCount = testing_support::ScreenPixels(window, statusBar);
    EXPECT_GT(testing_support::CountDifferentPixels(withoutCount, withCount), 200u);

    // The page's text is shown in the page view.
    bool pageShown = false;
    for (HWND edit : ChildrenOfClass(window, "Edit"))
        pageShown = pageShown || TextOf(edit).find("本周活动") != std::string::npos;
    EXPECT_TRUE(pageShown);

    testing_support::SaveScreenshot(window, VARNEL_BINARY_DIR "/e2e-varnel.bmp");

    PostMessageA(window, WM_CLOSE, 0, 0);
    const auto code = varnel.WaitForExit(10s);
    ASSERT_TRUE(code.has_value()) << "the program did not end when its window closed";
    EXPECT_EQ(*code, 0u);
    EXPECT_EQ(server.RequestCount(kCounterTarget), 1u);
}

TEST(EndToEnd, WithoutTheEventPageTheLabelStaysAndNothingIsCounted) {
    // Nothing listens on the event-page port: the navigation fails and the counter is not asked.
    ASSERT_EQ(FindTopLevelWindow(kTitle), nullptr) << "another Varnel window is open";
    Process varnel(VARNEL_E2E_PROGRAM);
    ASSERT_TRUE(varnel.Started());
    HWND window = nullptr;
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return (window = FindTopLevelWindow(kTitle)) != nullptr; }, 20s));
    // The window is found as soon as it exists; its children come a little later on a loaded
    // machine. The failed navigation then has two seconds to take the label away, as it must not.
    HWND label = nullptr;
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return (label = LoadingLabelOf(window)) != nullptr; }, 20s));
    testing_support::PumpMessagesFor(2s);
    EXPECT_EQ(LoadingLabelOf(window), label);
    EXPECT_TRUE(IsWindowVisible(label));
    PostMessageA(window, WM_CLOSE, 0, 0);
    const auto code = varnel.WaitForExit(10s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0u);
}

TEST(EndToEnd, AllocationFailureShowsTheFatalReportAndExitsWithMinusOne) {
    Process program(VARNEL_ALLOC_FAILURE_PROGRAM);
    ASSERT_TRUE(program.Started());
    HWND box = nullptr;
    ASSERT_TRUE(
        PumpMessagesUntil([&] { return (box = MessageBoxOf(program.Id())) != nullptr; }, 20s));
    std::string text;
    EXPECT_TRUE(PumpMessagesUntil([&] { return !(text = MessageOf(box)).empty(); }));
    EXPECT_EQ(text, "运行时出错!\r\n\r\n错误信息：分配 " +
                        std::to_string(std::numeric_limits<std::size_t>::max() - 65535) +
                        " 字节内存失败!\r\n");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    const auto code = program.WaitForExit(10s);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0xFFFFFFFFu);
}
