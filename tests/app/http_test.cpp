// HttpGet against the loopback server: what goes over the wire and what comes back.
#include "app/http.h"
#include "support/http_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

using namespace varnel;
using testing_support::HeaderValues;
using testing_support::HttpAnswer;
using testing_support::LoopbackHttpServer;
using testing_support::RequestLine;

namespace {
std::string AsString(const ByteSet& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::string Pattern(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        body[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return body;
}
} // namespace

TEST(HttpGet, SendsAnHttp10GetWithTheAgentAndAcceptHeaders) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.Started());
    server.Answer("/count2/count.asp?id=78375&sx=1&ys=9", HttpAnswer::Page("hello"));

    const ByteSet body = HttpGet(server.Url("/count2/count.asp?id=78375&sx=1&ys=9"));
    EXPECT_EQ(AsString(body), "hello");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& request = requests[0];
    EXPECT_EQ(RequestLine(request), "GET /count2/count.asp?id=78375&sx=1&ys=9 HTTP/1.0");
    EXPECT_EQ(HeaderValues(request, "User-Agent"),
              std::vector<std::string>{"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"});
    // The accept-types entry and the additional header ask for the same thing and arrive as one
    // header.
    EXPECT_EQ(HeaderValues(request, "Accept"), std::vector<std::string>{"*/*"}) << request;
    EXPECT_EQ(HeaderValues(request, "Host"),
              std::vector<std::string>{"127.0.0.1:" + std::to_string(server.Port())});
}

TEST(HttpGet, ReadsBodiesWithAndWithoutContentLength) {
    LoopbackHttpServer server;
    server.Answer("/with", HttpAnswer::Page("with length"));
    server.Answer("/without", HttpAnswer::Page("until the end").WithoutLength());
    server.Answer("/empty", HttpAnswer::Page(""));
    EXPECT_EQ(AsString(HttpGet(server.Url("/with"))), "with length");
    EXPECT_EQ(AsString(HttpGet(server.Url("/without"))), "until the end");
    EXPECT_TRUE(HttpGet(server.Url("/empty")).empty());
}

TEST(HttpGet, BodiesLargerThanOneChunkArriveWhole) {
    LoopbackHttpServer server;
    // Without a length the chunk is 10240 bytes; with one it is capped at 102400.
    const std::string medium = Pattern(10240 * 3 + 17);
    const std::string large = Pattern(102400 * 2 + 5);
    server.Answer("/medium", HttpAnswer::Page(medium).WithoutLength());
    server.Answer("/large", HttpAnswer::Page(large));
    server.Answer("/exact", HttpAnswer::Page(Pattern(102399)));
    EXPECT_EQ(AsString(HttpGet(server.Url("/medium"))), medium);
    EXPECT_EQ(AsString(HttpGet(server.Url("/large"))), large);
    EXPECT_EQ(AsString(HttpGet(server.Url("/exact"))), Pattern(102399));
}

TEST(HttpGet, BinaryBodiesAndErrorPagesAreReturnedAsTheyCame) {
    LoopbackHttpServer server;
    const std::string binary("\0\x01\xFF\0z", 5);
    server.Answer("/bin", HttpAnswer::Page(binary, "application/octet-stream"));
    EXPECT_EQ(AsString(HttpGet(server.Url("/bin"))), binary);

    // An error page is still a body; HttpFetch also tells the status.
    const HttpResponse missing = HttpFetch(server.Url("/nowhere"));
    EXPECT_EQ(missing.status, 404u);
    EXPECT_EQ(AsString(missing.body), "not found");
    EXPECT_EQ(HttpFetch(server.Url("/bin")).status, 200u);
}

TEST(HttpGet, FailuresGiveTheEmptyByteSet) {
    const auto closedPort = testing_support::ClosedLoopbackPort();
    ASSERT_NE(closedPort, 0);
    const HttpResponse unreachable =
        HttpFetch("http://127.0.0.1:" + std::to_string(closedPort) + "/wb/hd.html");
    EXPECT_TRUE(unreachable.body.empty());
    EXPECT_EQ(unreachable.status, 0u);

    EXPECT_TRUE(HttpGet("").empty());
    EXPECT_TRUE(HttpGet("not an address").empty());
    EXPECT_TRUE(HttpGet("ftp://127.0.0.1/file").empty());

    // A server that reads the request and hangs up without answering.
    LoopbackHttpServer server;
    server.Answer("/drop", HttpAnswer::Dropped());
    EXPECT_TRUE(HttpGet(server.Url("/drop")).empty());
    EXPECT_EQ(server.RequestCount("/drop"), 1u);
}

TEST(HttpGet, SlowAnswersAreWaitedFor) {
    LoopbackHttpServer server;
    server.Answer("/slow", HttpAnswer::Page("late").After(std::chrono::milliseconds(700)));
    EXPECT_EQ(AsString(HttpGet(server.Url("/slow"))), "late");
}

TEST(HttpGet, ManyThreadsAtOnce) {
    LoopbackHttpServer server;
    server.Answer("/n", HttpAnswer::Page(Pattern(20000)).WithoutLength());
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] {
            if (AsString(HttpGet(server.Url("/n"))) == Pattern(20000)) ++good;
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(good.load(), 8);
    EXPECT_EQ(server.RequestCount("/n"), 8u);
}

// --- Hostile servers: every download ends by its deadline, redirects are counted, and the
// body is exactly its announced length. Short limits keep these tests quick; the program's
// own limits are exercised by the counter's test of 20 threads.

namespace {
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

const HttpLimits kQuick{milliseconds(1000), milliseconds(1000), milliseconds(2500), 5};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}
} // namespace

TEST(HttpGetLimits, ServersThatNeverFinishAreGivenUpAtTheDeadline) {
    struct Case {
        const char* name;
        HttpAnswer answer;
        double atLeast; // seconds the download must have waited before giving up
    };
    HttpAnswer trickledBody = HttpAnswer::Page(std::string(60, 'x'));
    trickledBody.bodyByteInterval = milliseconds(200); // 12 s, each byte well within receive
    HttpAnswer trickledHead = HttpAnswer::Page("late");
    trickledHead.headByteInterval = milliseconds(200);
    // A body without a length whose next byte never comes in time: the receive limit ends it,
    // and what came before is not taken for the whole body.
    HttpAnswer stalled = HttpAnswer::Page("abc").WithoutLength();
    stalled.bodyByteInterval = milliseconds(1800);
    const Case cases[] = {
        {"/silent", HttpAnswer::Silent(), 0.9},
        {"/stalled", stalled, 0.9},
        {"/trickled-body", trickledBody, 2.4},
        {"/trickled-head", trickledHead, 2.4},
    };
    LoopbackHttpServer server;
    for (const Case& c : cases)
        server.Answer(c.name, c.answer);
    for (const Case& c : cases) {
        const auto start = Clock::now();
        const HttpResponse response = HttpFetch(server.Url(c.name), kQuick);
        const double took = SecondsSince(start);
        EXPECT_EQ(response.status, 0u) << c.name;
        EXPECT_TRUE(response.body.empty()) << c.name;
        EXPECT_GE(took, c.atLeast) << c.name;
        EXPECT_LT(took, 2.5 + 1.5) << c.name; // the deadline, and a margin for a busy machine
        EXPECT_EQ(server.RequestCount(c.name), 1u) << c.name;
    }
}

TEST(HttpGetLimits, ASlowAnswerThatKeepsComingWithinTheDeadlineArrives) {
    LoopbackHttpServer server;
    HttpAnswer slow = HttpAnswer::Page("0123456789");
    slow.bodyByteInterval = milliseconds(100); // 1 s in all
    server.Answer("/slow", slow);
    HttpAnswer slowHead = HttpAnswer::Page("head came slowly");
    slowHead.headByteInterval = milliseconds(5);
    server.Answer("/slow-head", slowHead);
    // Each answer takes about a second; the deadline leaves room for a busy machine, and the
    // receive limit (1 s) is never reached between two bytes.
    const HttpLimits roomy{milliseconds(1000), milliseconds(1000), milliseconds(8000), 5};
    const HttpResponse response = HttpFetch(server.Url("/slow"), roomy);
    EXPECT_EQ(response.status, 200u);
    EXPECT_EQ(AsString(response.body), "0123456789");
    EXPECT_EQ(AsString(HttpGet(server.Url("/slow-head"), roomy)), "head came slowly");
}

TEST(HttpGetLimits, RedirectsAreFollowedUpToTheLimit) {
    LoopbackHttpServer server;
    // /hop/N redirects to /hop/N-1; /hop/0 is the page. Relative and absolute locations mix.
    for (int n = 1; n <= 7; ++n) {
        const std::string to = "/hop/" + std::to_string(n - 1);
        server.Answer("/hop/" + std::to_string(n),
                      HttpAnswer::Redirect(n % 2 ? to : server.Url(to)));
    }
    server.Answer("/hop/0", HttpAnswer::Page("arrived"));
    server.Answer("/self", HttpAnswer::Redirect("/self"));
    // A location of the longest address taken (INTERNET_MAX_URL_LENGTH characters) is followed.
    const std::string longest = server.Url("/") + std::string(2083 - server.Url("/").size(), 'a');
    server.Answer("/long", HttpAnswer::Redirect(longest));
    server.Answer(longest.substr(server.Url("").size()), HttpAnswer::Page("far"));

    struct Case {
        const char* start;
        std::string body;
        DWORD status;
        std::size_t selfRequests;
    };
    const Case cases[] = {
        {"/hop/1", "arrived", 200, 0},
        {"/hop/5", "arrived", 200, 0}, // five redirects: the limit, still followed
        {"/hop/6", "", 0, 0},          // a sixth is not
        {"/self", "", 0, 6},           // the request and five repeats, then given up
        {"/long", "far", 200, 0},
    };
    for (const Case& c : cases) {
        const HttpResponse response = HttpFetch(server.Url(c.start), kQuick);
        EXPECT_EQ(AsString(response.body), c.body) << c.start;
        EXPECT_EQ(response.status, c.status) << c.start;
    }
    EXPECT_EQ(server.RequestCount("/self"), 6u);
    EXPECT_EQ(server.RequestCount("/hop/5"), 2u); // once from /hop/5, once from /hop/6
    EXPECT_EQ(server.RequestCount("/hop/0"), 2u); // reached from /hop/1 and /hop/5 only
    EXPECT_EQ(server.RequestCount("/hop/6"), 1u);

    // Each followed request goes out in the same form as the first.
    for (const std::string& request : server.Requests()) {
        const std::string line = RequestLine(request);
        EXPECT_EQ(line.substr(0, 4), "GET ") << line;
        EXPECT_EQ(line.substr(line.size() - 9), " HTTP/1.0") << line;
        EXPECT_EQ(HeaderValues(request, "Accept"), std::vector<std::string>{"*/*"}) << request;
        EXPECT_EQ(HeaderValues(request, "User-Agent"),
                  std::vector<std::string>{"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"});
    }
}

TEST(HttpGetLimits, TheBodyIsExactlyItsAnnouncedLength) {
    LoopbackHttpServer server;
    struct Case {
        const char* target;
        std::string sent;
        std::optional<std::size_t> declared;
        std::string body;
        DWORD status;
    };
    const std::string big = Pattern(102400 + 300);
    const Case cases[] = {
        {"/short", "only half", 18, "", 0}, // ended early: a failure
        {"/short-big", big.substr(0, 50000), big.size(), "", 0},
        {"/long", "helloEXTRA", 5, "hello", 200}, // what follows the length is not read
        {"/long-big", big + "EXTRA", big.size(), big, 200},
        {"/zero", "xyz", 0, "", 200},
        {"/exact", "exact", std::nullopt, "exact", 200},
    };
    for (const Case& c : cases) {
        HttpAnswer answer = HttpAnswer::Page(c.sent);
        answer.declaredLength = c.declared;
        server.Answer(c.target, answer);
    }
    for (const Case& c : cases) {
        const HttpResponse response = HttpFetch(server.Url(c.target), kQuick);
        EXPECT_EQ(response.status, c.status) << c.target;
        EXPECT_EQ(response.body.size(), c.body.size()) << c.target;
        EXPECT_TRUE(AsString(response.body) == c.body) << c.target;
    }
}
