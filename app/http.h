// HTTP download over WinINet.
#pragma once
#include "app/runtime.h"

namespace varnel {

// What one GET brought back: the HTTP status (0 when no answer arrived) and the body.
struct HttpResponse {
    DWORD status = 0;
    ByteSet body;
};

// GET of `url` (http or https) as HTTP/1.0, bypassing every cache. Any failure yields what was
// read so far, usually nothing; nothing is ever reported to the user.
ByteSet HttpGet(const Text& url);

// The same request, also telling whether and how the server answered (the page view needs to
// tell a loaded page from a failed navigation).
HttpResponse HttpFetch(const Text& url);

} // namespace varnel
