// An HTTP server on 127.0.0.1 inside the test process: it records every request it receives
// and answers from a script (status, body, with or without Content-Length, delays, dropped
// connections). Used to stand in for the event page and the hit-counter service.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

struct HttpAnswer {
    int status = 200;
    std::string reason = "OK";
    std::string contentType = "text/html";
    std::string body;
    // Whether a Content-Length header is sent; without one the body ends when the connection
    // closes.
    bool contentLength = true;
    // Further header lines, without their line ends.
    std::vector<std::string> headers;
    // Wait before answering (ended early when the server stops).
    std::chrono::milliseconds delay{0};
    // Close the connection after reading the request, without answering.
    bool dropConnection = false;
    // Keep the connection open after reading the request and never answer (until the server
    // stops).
    bool silent = false;
    // The Content-Length sent instead of the body's own length.
    std::optional<std::size_t> declaredLength;
    // Pause before each byte of the head (status line and headers) and of the body; zero sends
    // each part at once.
    std::chrono::milliseconds headByteInterval{0};
    std::chrono::milliseconds bodyByteInterval{0};

    // A 200 answer with `body`.
    static HttpAnswer Page(std::string body, std::string contentType = "text/html");
    // A connection closed without an answer.
    static HttpAnswer Dropped();
    // The same answer without a Content-Length header.
    HttpAnswer WithoutLength() const;
    // The same answer, sent after `wait`.
    HttpAnswer After(std::chrono::milliseconds wait) const;
    // A connection kept open without an answer.
    static HttpAnswer Silent();
    // A redirect (302) to `location`.
    static HttpAnswer Redirect(std::string location);
};

class LoopbackHttpServer {
public:
    // Listens on 127.0.0.1:`port`; 0 picks a free port.
    explicit LoopbackHttpServer(std::uint16_t port = 0);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool Started() const { return listener_ != kNoSocket; }
    std::uint16_t Port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by `target`.
    std::string Url(const std::string& target) const;

    // Answer for requests whose target (path and query, as sent) equals `target`.
    void Answer(const std::string& target, HttpAnswer answer);
    // Answers for `target` made per request: `make(n)` for the n-th such request, from 1.
    void AnswerEach(const std::string& target, std::function<HttpAnswer(std::size_t)> make);
    // Answer for every other target (a 404 unless set).
    void AnswerOthers(HttpAnswer answer);

    // Every request received so far, as its raw head (request line and headers).
    std::vector<std::string> Requests() const;
    // Number of requests received for `target`.
    std::size_t RequestCount(const std::string& target) const;
    // Waits until `count` requests for `target` have been received.
    bool WaitForRequests(const std::string& target, std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    static constexpr std::uintptr_t kNoSocket = ~std::uintptr_t{0};
    void AcceptLoop();
    void Serve(std::uintptr_t connection);
    bool Pause(std::chrono::milliseconds delay);
    bool SendSlowly(std::uintptr_t connection, const std::string& data,
                    std::chrono::milliseconds interval);

    std::uintptr_t listener_ = kNoSocket;
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stopping_ = false;
    std::map<std::string, HttpAnswer> answers_;
    std::map<std::string, std::function<HttpAnswer(std::size_t)>> makers_;
    HttpAnswer others_;
    std::vector<std::string> requests_;
    std::vector<std::uintptr_t> open_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// The request line of a raw request head ("GET /path HTTP/1.0").
std::string RequestLine(const std::string& request);
// The values of every header `name` (case-insensitive) in a raw request head, in order.
std::vector<std::string> HeaderValues(const std::string& request, const std::string& name);

// A loopback port with nothing listening on it (bound once, then released).
std::uint16_t ClosedLoopbackPort();

} // namespace testing_support
