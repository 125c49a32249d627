// HttpGet against the loopback server: what goes over the wire and what comes back.
#include "app/http.h"
#include "support/http_server.h"

#include <gtest/gtest.h>

#include <atomic>
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
