// HTTP download over WinINet.
#pragma once
#include "app/runtime.h"

#include <chrono>

namespace varnel {

// What one GET brought back: the HTTP status (0 when no complete answer arrived) and the body.
struct HttpResponse {
    DWORD status = 0;
    ByteSet body;
};

// How long a download may take and how far it follows redirects. A server that accepts and
// never answers, answers a byte at a time, or redirects in a circle must not hold a thread (and
// the counter's use) for longer than the deadline.
struct HttpLimits {
    // Connecting to the host, and each wait for the server to accept or send more bytes.
    std::chrono::milliseconds connect{5000};
    std::chrono::milliseconds receive{5000};
    // The whole download, redirects included; a slower answer is given up.
    std::chrono::milliseconds deadline{10000};
    // Redirect answers followed before the download gives up.
    int maxRedirects = 5;
};

// GET of `url` (http or https) as HTTP/1.0, bypassing every cache. Any failure yields the empty
// byte set; nothing is ever reported to the user. Failures include a body shorter than its
// Content-Length (never more than that length is used), a read that fails, too many redirects
// and the deadline passing.
ByteSet HttpGet(const Text& url, const HttpLimits& limits = {});

// The same request, also telling whether and how the server answered (the page view needs to
// tell a loaded page from a failed navigation). A failure gives status 0 and no body.
HttpResponse HttpFetch(const Text& url, const HttpLimits& limits = {});

// True for a 2xx status: the answer is the page asked for, not an error page.
inline bool IsSuccessStatus(DWORD status) {
    return status >= 200 && status < 300;
}

} // namespace varnel
