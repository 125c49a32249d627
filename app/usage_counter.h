// The usage counter: each completed navigation counts one use on the hit-counter service and
// composes the title line from the count it answers with.
#pragma once
#include "app/runtime.h"

namespace varnel {

// "已使用次数：" followed by the counter digits found in the counter page at `url` (the default
// counter address when `url` is empty), in the order the page lists them. Just the prefix when
// the page cannot be fetched or holds no digit images.
Text FetchUsageText(const Text& url);

// Pattern of one digit image of the counter page: the counter host taken as it stands (its
// dots are not escaped), then "/img/<set>/<digit>.gif".
Text DigitPattern();

// The brand, the maker's home page and the usage text, as shown in the status bar.
Text TitleLine(const Text& usageText);

// Posted to the window given to StartUsageCounter when the title line is ready; lParam is a
// Text* the receiver takes ownership of (see TakePostedTitleLine).
constexpr UINT kTitleLineMessage = WM_APP + 0x31;
Text TakePostedTitleLine(LPARAM lParam);

// Starts one counter thread: it fetches the usage text from `counterUrl` (empty: the default
// address), composes the title line and posts it to `lineTarget`. The thread's handle goes to
// CounterThread. True when the thread was started.
bool StartUsageCounter(HWND lineTarget, const Text& counterUrl = {});

// Handle of the most recently started counter thread (null before the first).
HANDLE CounterThread();

} // namespace varnel
