#include "app/http.h"

#include <wininet.h>

#include <algorithm>
#include <memory>

namespace varnel {

namespace {

struct InternetHandleCloser {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr DWORD kLargestChunk = 102400;
constexpr DWORD kChunkWithoutLength = 10240;

// Size of each read: the announced body length plus one (so the read that follows the whole
// body sees the end), capped; a fixed size when no positive length is announced.
DWORD ChunkSize(HINTERNET request) {
    DWORD length = 0;
    DWORD size = sizeof length;
    if (HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                       nullptr) &&
        length > 0 && length < kLargestChunk)
        return length + 1;
    if (length >= kLargestChunk) return kLargestChunk;
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

} // namespace

HttpResponse HttpFetch(const Text& url) {
    HttpResponse response;

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
        return response;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return response;
    const std::string path =
        parts.dwUrlPathLength ? std::string(pathBuffer.data(), parts.dwUrlPathLength) : "/";

    InternetHandle session(
        InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return response;
    InternetHandle connection(
        InternetConnectA(session.get(), host, parts.nPort, user[0] ? user : nullptr,
                         password[0] ? password : nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return response;

    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    const char* acceptTypes[] = {"Accept: */* \r\n", nullptr};
    InternetHandle request(HttpOpenRequestA(connection.get(), "GET", path.c_str(), "HTTP/1.0",
                                            nullptr, acceptTypes, flags, 0));
    if (!request) return response;
    static const char kHeaders[] = "Accept: */*\r\n\r\n";
    if (!HttpSendRequestA(request.get(), kHeaders, static_cast<DWORD>(sizeof kHeaders - 1), nullptr,
                          0))
        return response;

    response.status = StatusCode(request.get());
    const DWORD chunk = ChunkSize(request.get());
    std::vector<std::uint8_t> buffer(chunk);
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request.get(), buffer.data(), chunk, &read) || read == 0) break;
        response.body.insert(response.body.end(), buffer.begin(), buffer.begin() + read);
    }
    return response;
}

ByteSet HttpGet(const Text& url) {
    return HttpFetch(url).body;
}

} // namespace varnel
