// The usage text taken from the counter page, and the title line.
#include "app/usage_counter.h"
#include "support/http_server.h"
#include "varnel_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

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

TEST(FetchUsageText, ErrorAnswersCountAsNoNetwork) {
    // Error pages that show digit images all the same: only a 2xx answer is a count.
    struct Case {
        int status;
        const char* reason;
        const char* usage;
    };
    const Case cases[] = {
        {200, "OK", "已使用次数：42"},
        {203, "Non-Authoritative Information", "已使用次数：42"},
        {404, "Not Found", "已使用次数："},
        {500, "Internal Server Error", "已使用次数："},
        {503, "Service Unavailable", "已使用次数："},
        {403, "Forbidden", "已使用次数："},
        {304, "Not Modified", "已使用次数："},
    };
    LoopbackHttpServer server;
    for (const Case& c : cases) {
        HttpAnswer answer = HttpAnswer::Page(Digit("d1", "4") + Digit("d1", "2"));
        answer.status = c.status;
        answer.reason = c.reason;
        const std::string target = "/status/" + std::to_string(c.status);
        server.Answer(target, answer);
        EXPECT_EQ(FetchUsageText(server.Url(target)), c.usage) << c.status;
        EXPECT_EQ(server.RequestCount(target), 1u) << c.status;
    }
}

TEST(FetchUsageText, ShortBodiesAndRedirectLoopsGiveJustThePrefix) {
    LoopbackHttpServer server;
    HttpAnswer cut = HttpAnswer::Page(Digit("d1", "4") + Digit("d1", "2"));
    cut.declaredLength = cut.body.size() + 40; // the connection ends before the body does
    server.Answer("/cut", cut);
    server.Answer("/loop", HttpAnswer::Redirect("/loop"));
    EXPECT_EQ(FetchUsageText(server.Url("/cut")), "已使用次数：");
    EXPECT_EQ(FetchUsageText(server.Url("/loop")), "已使用次数：");
    // The loop costs the request and five repeats, not thousands.
    EXPECT_EQ(server.RequestCount("/loop"), 6u);
}

TEST(CounterPageText, SearchesOnlyWhereADigitImageCanBe) {
    const auto bytes = [](const std::string& text) { return ByteSet(text.begin(), text.end()); };
    const std::string page = "<p>" + Digit("d1", "4") + Digit("d1", "2") + "</p>";
    const std::string tail = page.substr(0, page.rfind("gif") + 3);
    struct Case {
        std::string body;
        std::string searched;
    };
    const Case cases[] = {
        {page, tail},                   // nothing after the last image
        {"<html>no images</html>", ""}, // nothing to search at all
        // At the limit the page is searched; one byte more and it is no counter page at all,
        // even where the part within the limit holds digit images.
        {std::string(kCounterPageLimit - 4, ' ') + "gif!",
         std::string(kCounterPageLimit - 4, ' ') + "gif"},
        {std::string(kCounterPageLimit - 3, ' ') + "gif",
         std::string(kCounterPageLimit - 3, ' ') + "gif"},
        {std::string(kCounterPageLimit - 3, ' ') + "gif!", ""},
        {std::string(kCounterPageLimit - 2, ' ') + "gif", ""},
        {page + std::string(kCounterPageLimit, ' '), ""},
        {"a.gif" + std::string(1, '\0') + "b.gif", "a.gif"}, // up to the first NUL
        // What follows the first NUL does not make the page too long.
        {page + std::string(1, '\0') + std::string(kCounterPageLimit, ' '), tail},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CounterPageText(bytes(c.body)), c.searched) << c.body.substr(0, 40);
}

TEST(FetchUsageText, AHostilePageOfPatternStartsCostsLittle) {
    // 4 MB of digit-image beginnings that never end in ".gif". Searched whole, 256 KB of them
    // already took about two seconds; bounded, the search has nothing left to do.
    const std::string start = std::string("http://") + config::kCounterHost + "/img/a/";
    std::string hostile;
    while (hostile.size() < (4u << 20))
        hostile += start;
    LoopbackHttpServer server;
    server.Answer("/hostile", HttpAnswer::Page(hostile));
    // A real counter page well inside the bound still counts in full.
    server.Answer("/real", HttpAnswer::Page(std::string(6000, ' ') + Digit("d1", "9") +
                                            Digit("d1", "0") + hostile.substr(0, 1000)));
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(FetchUsageText(server.Url("/hostile")), "已使用次数：");
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(3));
    EXPECT_EQ(FetchUsageText(server.Url("/real")), "已使用次数：90");
}

TEST(FetchUsageText, APageOverTheLimitShowsNoNumber) {
    // Searching the start of such a page showed the digits found there: a wrong number.
    const std::string digits = Digit("d1", "9") + Digit("d1", "8");
    std::string twentyThousand;
    for (int i = 0; i < 20000; ++i)
        twentyThousand += Digit("d1", std::to_string(i % 10));
    struct Case {
        const char* target;
        std::string body;
        const char* usage;
    };
    const Case cases[] = {
        {"/big", std::string(kCounterPageLimit - 200, ' ') + digits + std::string(10 << 20, ' '),
         "已使用次数："},
        {"/many", twentyThousand, "已使用次数："},
        // The same digits on a page just inside the limit do count.
        {"/inside", std::string(kCounterPageLimit - digits.size(), ' ') + digits, "已使用次数：98"},
        {"/over", std::string(kCounterPageLimit - digits.size() + 1, ' ') + digits, "已使用次数："},
    };
    LoopbackHttpServer server;
    for (const Case& c : cases) {
        server.Answer(c.target, HttpAnswer::Page(c.body));
        EXPECT_EQ(FetchUsageText(server.Url(c.target)), c.usage) << c.target;
    }
}

TEST(UsageTextOf, MoreDigitsThanACountCanHaveShowNoNumber) {
    struct Case {
        std::vector<Text> names;
        const char* usage;
    };
    const std::string twenty(kMaxCountDigits, '7');
    const Case cases[] = {
        {{}, "已使用次数："},
        {{"4", "2"}, "已使用次数：42"},
        {{twenty}, "已使用次数：77777777777777777777"},
        {{twenty.substr(1), "10"}, "已使用次数："}, // names of two characters count as two
        {{twenty, "1"}, "已使用次数："},
        {{twenty + "1"}, "已使用次数："},
        {{twenty.substr(2), "10"}, "已使用次数：77777777777777777710"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UsageTextOf(c.names), c.usage) << c.names.size();
}

TEST(FetchUsageText, TwentyDigitsCountTwentyOneDoNot) {
    std::string twenty, twentyOne;
    for (std::size_t i = 0; i < kMaxCountDigits; ++i)
        twenty += Digit("d1", std::to_string(i % 10));
    twentyOne = twenty + Digit("d1", "5");
    LoopbackHttpServer server;
    server.Answer("/20", HttpAnswer::Page(twenty));
    server.Answer("/21", HttpAnswer::Page(twentyOne));
    EXPECT_EQ(FetchUsageText(server.Url("/20")), "已使用次数：01234567890123456789");
    EXPECT_EQ(FetchUsageText(server.Url("/21")), "已使用次数：");
}
