#include "app/http.h"

#include <wininet.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <memory>
#include <system_error>
#include <thread>

namespace varnel {

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr DWORD kLargestChunk = 102400;
constexpr DWORD kChunkWithoutLength = 10240;

struct InternetHandleCloser {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

// What the caller of a download and the thread doing it share. The caller waits until the
// deadline and then gives up: a WinINet call may block past any limit of its own (a server
// sending its head a byte at a time keeps HttpSendRequest reading), so the work runs on a
// thread of its own, which notices at its next step that nobody waits any more and stops.
class DownloadState {
public:
    void Finish(HttpResponse response) {
        {
            const std::lock_guard lock(mutex_);
            result_ = std::move(response);
            finished_ = true;
        }
        changed_.notify_all();
    }
    // The result, or nothing when it has not come by `deadline` (the download is then given up).
    std::optional<HttpResponse> WaitUntil(Clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_until(lock, deadline, [this] { return finished_; })) {
            abandoned_ = true;
            return std::nullopt;
        }
        return std::move(result_);
    }
    bool Abandoned() const {
        const std::lock_guard lock(mutex_);
        return abandoned_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool finished_ = false;
    bool abandoned_ = false;
    HttpResponse result_;
};

// Whether a download must stop: its deadline has passed or its caller has given up.
struct StopCheck {
    const DownloadState& state;
    Clock::time_point deadline;
    bool operator()() const { return Clock::now() >= deadline || state.Abandoned(); }
};

DWORD Milliseconds(std::chrono::milliseconds duration) {
    return static_cast<DWORD>(
        std::clamp<std::chrono::milliseconds::rep>(duration.count(), 1, 0x7FFFFFFF));
}

void SetTimeouts(HINTERNET handle, const HttpLimits& limits) {
    DWORD connect = Milliseconds(limits.connect);
    DWORD receive = Milliseconds(limits.receive);
    InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof receive);
    InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

// The announced body length, when the answer has one.
std::optional<DWORD> ContentLength(HINTERNET request) {
    DWORD length = 0;
    DWORD size = sizeof length;
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                        nullptr))
        return std::nullopt;
    return length;
}

// Size of each read: the announced body length plus one (so the read that follows the whole
// body sees the end), capped; a fixed size when no positive length is announced.
DWORD ChunkSize(std::optional<DWORD> length) {
    if (length && *length > 0 && *length < kLargestChunk) return *length + 1;
    if (length && *length >= kLargestChunk) return kLargestChunk;
    return kChunkWithoutLength;
}

DWORD StatusCode(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr))
        return 0;
    return status;
}

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The address a redirect answer points to, resolved against the address asked for; empty when
// the answer names none.
Text RedirectTarget(HINTERNET request, const Text& base) {
    std::vector<char> location(INTERNET_MAX_URL_LENGTH + 1);
    DWORD size = static_cast<DWORD>(location.size());
    if (!HttpQueryInfoA(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr) || size == 0)
        return {};
    std::vector<char> combined(INTERNET_MAX_URL_LENGTH + 1);
    DWORD length = static_cast<DWORD>(combined.size());
    if (!InternetCombineUrlA(base.c_str(), location.data(), combined.data(), &length,
                             ICU_NO_ENCODE))
        return {};
    return Text(combined.data(), length);
}

// One request's outcome: a complete answer, a redirect to follow, or a failure.
struct Exchange {
    bool complete = false;
    HttpResponse response;
    Text redirectTo;
};

// Reads the body: until the end of the data, or exactly the announced length. Each read takes
// only what has arrived, so a slow server cannot hold one read past the receive limit, and the
// deadline is checked between reads.
bool ReadBody(HINTERNET request, const StopCheck& stop, ByteSet& body) {
    const std::optional<DWORD> length = ContentLength(request);
    const DWORD chunk = ChunkSize(length);
    std::vector<std::uint8_t> buffer(chunk);
    for (;;) {
        if (length && body.size() >= *length) return true;
        if (stop()) return false;
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0)) return false;
        if (available == 0) break;
        DWORD wanted = std::min(available, chunk);
        if (length) wanted = std::min<DWORD>(wanted, *length - static_cast<DWORD>(body.size()));
        DWORD read = 0;
        if (!InternetReadFile(request, buffer.data(), wanted, &read)) return false;
        if (read == 0) break;
        body.insert(body.end(), buffer.begin(), buffer.begin() + read);
    }
    // The connection ended: a body shorter than its announced length is not the whole answer.
    return !length || body.size() == *length;
}

Exchange RequestOnce(HINTERNET session, const Text& url, const HttpLimits& limits,
                     const StopCheck& stop) {
    Exchange exchange;
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    char user[INTERNET_MAX_USER_NAME_LENGTH + 1] = {};
    char password[INTERNET_MAX_PASSWORD_LENGTH + 1] = {};
    std::vector<char> pathBuffer(INTERNET_MAX_URL_LENGTH + 1);
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUserName = user;
    parts.dwUserNameLength = sizeof user;
    parts.lpszPassword = password;
    parts.dwPasswordLength = sizeof password;
    parts.lpszUrlPath = pathBuffer.data();
    parts.dwUrlPathLength = static_cast<DWORD>(pathBuffer.size());
    if (url.empty() || url.size() > INTERNET_MAX_URL_LENGTH ||
        !InternetCrackUrlA(url.c_str(), 0, 0, &parts))
        return exchange;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return exchange;
    const std::string path =
        parts.dwUrlPathLength ? std::string(pathBuffer.data(), parts.dwUrlPathLength) : "/";

    InternetHandle connection(InternetConnectA(session, host, parts.nPort, user[0] ? user : nullptr,
                                               password[0] ? password : nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return exchange;

    // Redirects are followed here, not by WinINet, so that they can be counted.
    DWORD flags =
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    const char* acceptTypes[] = {"Accept: */* \r\n", nullptr};
    InternetHandle request(HttpOpenRequestA(connection.get(), "GET", path.c_str(), "HTTP/1.0",
                                            nullptr, acceptTypes, flags, 0));
    if (!request) return exchange;
    // Set again on the request: WinINet may keep the session's receive limit to itself.
    SetTimeouts(request.get(), limits);
    static const char kHeaders[] = "Accept: */*\r\n\r\n";
    if (!HttpSendRequestA(request.get(), kHeaders, static_cast<DWORD>(sizeof kHeaders - 1), nullptr,
                          0))
        return exchange;

    const DWORD status = StatusCode(request.get());
    if (IsRedirect(status)) {
        exchange.redirectTo = RedirectTarget(request.get(), url);
        if (!exchange.redirectTo.empty()) return exchange;
    }
    if (stop() || !ReadBody(request.get(), stop, exchange.response.body)) return exchange;
    exchange.response.status = status;
    exchange.complete = true;
    return exchange;
}

// The download itself, on the thread HttpFetch starts.
HttpResponse Download(const Text& url, const HttpLimits& limits, const StopCheck& stop) {
    InternetHandle session(
        InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return {};
    SetTimeouts(session.get(), limits);
    Text address = url;
    for (int redirects = 0;; ++redirects) {
        Exchange exchange = RequestOnce(session.get(), address, limits, stop);
        if (exchange.complete) return std::move(exchange.response);
        if (exchange.redirectTo.empty() || redirects >= limits.maxRedirects || stop()) return {};
        address = std::move(exchange.redirectTo);
    }
}

} // namespace

HttpResponse HttpFetch(const Text& url, const HttpLimits& limits) {
    const Clock::time_point deadline = Clock::now() + limits.deadline;
    auto state = std::make_shared<DownloadState>();
    std::thread worker;
    try {
        worker = std::thread([state, url, limits, deadline] {
            state->Finish(Download(url, limits, StopCheck{*state, deadline}));
        });
    } catch (const std::system_error&) {
        return {};
    }
    std::optional<HttpResponse> result = state->WaitUntil(deadline);
    if (!result) {
        // Given up: the thread ends by itself at its next step and frees what it holds.
        worker.detach();
        return {};
    }
    worker.join();
    return std::move(*result);
}

ByteSet HttpGet(const Text& url, const HttpLimits& limits) {
    return HttpFetch(url, limits).body;
}

} // namespace varnel
