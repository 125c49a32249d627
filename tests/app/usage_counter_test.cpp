// The usage text taken from the counter page, and the title line.
#include "app/usage_counter.h"
#include "support/http_server.h"
#include "varnel_config.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace varnel;
using testing_support::HttpAnswer;
using testing_support::LoopbackHttpServer;

namespace {
const std::string kCounterTarget = "/count2/count.asp?id=78375&sx=1&ys=9";

// An image address of the configured counter host, as the counter page lists them.
std::string Digit(const std::string& set, const std::string& name) {
    return std::string("<img src=\"http://") + config::kCounterHost + "/img/" + set + "/" + name +
           ".gif\">";
}
} // namespace

TEST(FetchUsageText, AppendsTheDigitsInPageOrder) {
    LoopbackHttpServer server;
    server.Answer(kCounterTarget,
                  HttpAnswer::Page("<p>" + Digit("d1", "4") + Digit("d1", "2") + "</p>"));
    EXPECT_EQ(FetchUsageText(server.Url(kCounterTarget)), "已使用次数：42");
    EXPECT_EQ(server.RequestCount(kCounterTarget), 1u);
}

TEST(FetchUsageText, NothingUsableGivesJustThePrefix) {
    LoopbackHttpServer server;
    server.Answer("/empty", HttpAnswer::Page(""));
    server.Answer("/plain", HttpAnswer::Page("<html>no images here</html>"));
    // Digit images of another host do not count.
    server.Answer("/other", HttpAnswer::Page("<img src=\"http://example.invalid/img/d1/7.gif\">"));
    EXPECT_EQ(FetchUsageText(server.Url("/empty")), "已使用次数：");
    EXPECT_EQ(FetchUsageText(server.Url("/plain")), "已使用次数：");
    EXPECT_EQ(FetchUsageText(server.Url("/other")), "已使用次数：");
    const auto closed = testing_support::ClosedLoopbackPort();
    EXPECT_EQ(FetchUsageText("http://127.0.0.1:" + std::to_string(closed) + kCounterTarget),
              "已使用次数：");
}

TEST(FetchUsageText, MultiCharacterNamesAreAppendedWhole) {
    LoopbackHttpServer server;
    server.Answer("/c", HttpAnswer::Page(Digit("d1", "10") + Digit("x", "3")));
    EXPECT_EQ(FetchUsageText(server.Url("/c")), "已使用次数：103");
}

TEST(FetchUsageText, PageIsReadUpToItsFirstNul) {
    LoopbackHttpServer server;
    server.Answer("/nul",
                  HttpAnswer::Page(Digit("d1", "5") + std::string(1, '\0') + Digit("d1", "6")));
    EXPECT_EQ(FetchUsageText(server.Url("/nul")), "已使用次数：5");
}

TEST(FetchUsageText, HostDotsInThePatternAreNotEscaped) {
    // The host goes into the pattern as it stands, so each of its dots matches any character.
    const std::string host = config::kCounterHost;
    std::string lookalike = host;
    std::replace(lookalike.begin(), lookalike.end(), '.', '-');
    ASSERT_EQ(DigitPattern(), "http://" + host + "/img/(.*?)/(.*?).gif");
    LoopbackHttpServer server;
    server.Answer("/x", HttpAnswer::Page("<img src=\"http://" + lookalike + "/img/d1/8.gif\">"));
    const bool hostHasDots = host.find('.') != std::string::npos;
    EXPECT_EQ(FetchUsageText(server.Url("/x")), hostHasDots ? "已使用次数：8" : "已使用次数：");
}

TEST(FetchUsageText, EmptyAddressSelectsTheDefaultCounterAddress) {
    EXPECT_EQ(std::string(config::kCounterUrl),
              std::string("http://") + config::kCounterHost + kCounterTarget);
}

TEST(TitleLine, HeadUsageAndTail) {
    const std::string head = std::string("Oskimo：") + config::kHomePageUrl + "      ";
    EXPECT_EQ(TitleLine("已使用次数：1234"), head + "已使用次数：1234 次  ");
    EXPECT_EQ(TitleLine("已使用次数："), head + "已使用次数： 次  ");
    // The full-width colon after the brand is code page 936 A3 BA.
    EXPECT_EQ(TitleLine("").substr(6, 2), "\xA3\xBA");
    EXPECT_EQ(std::string(config::kHomePageUrl).back(), '/');
}
