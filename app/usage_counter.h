// The usage counter: each completed navigation counts one use on the hit-counter service and
// composes the title line from the count it answers with.
#pragma once
#include "app/runtime.h"

#include <memory>
#include <mutex>
#include <vector>

namespace varnel {

// "已使用次数：" followed by the counter digits found in the counter page at `url` (the default
// counter address when `url` is empty), in the order the page lists them. Just the prefix when
// the page cannot be fetched, the answer is not a 2xx, or the page holds no digit images.
Text FetchUsageText(const Text& url);

// The counter page as searched: the body up to its first NUL, and nothing after the last "gif"
// (where no digit image can end). A page longer than kCounterPageLimit bytes is no counter page
// and gives the empty text: searching only its start would show a wrong number, and the lazy
// digit pattern costs time growing with the square of a page full of pattern starts. A counter
// page is a few hundred bytes.
inline constexpr std::size_t kCounterPageLimit = 8192;
Text CounterPageText(const ByteSet& body);

// More digits than any count can have: a page listing more is no counter page either.
inline constexpr std::size_t kMaxCountDigits = 20;

// The usage text for the digit names found in a counter page, in page order: the prefix and
// the digits joined, or the bare prefix when they run past kMaxCountDigits characters.
Text UsageTextOf(const std::vector<Text>& digitNames);

// Pattern of one digit image of the counter page: the counter host taken as it stands (its
// dots are not escaped), then "/img/<set>/<digit>.gif".
Text DigitPattern();

// The brand, the maker's home page and the usage text, as shown in the status bar.
Text TitleLine(const Text& usageText);

// Carries finished title lines from counter threads to the GUI thread that owns the window
// showing them. A counter thread never touches the window's state: it queues its line here and
// wakes the window with `message`; the window takes the queued lines on its own thread, oldest
// first, so the line delivered last is the one left showing. Once the window has closed the
// mailbox, lines are dropped as they arrive. Shared by the window and every counter thread
// still running, so a thread that outlives the window never touches freed state.
class UsageLineMailbox {
public:
    UsageLineMailbox(HWND target, UINT message) : target_(target), message_(message) {}
    UsageLineMailbox(const UsageLineMailbox&) = delete;
    UsageLineMailbox& operator=(const UsageLineMailbox&) = delete;

    // Any thread. Queues `line` and wakes the window; false (the line dropped) once closed.
    bool Deliver(Text line);
    // GUI thread. Every line queued so far, oldest first.
    std::vector<Text> TakeAll();
    // GUI thread, when the window goes: frees what is queued and drops later deliveries.
    void Close();

    // Lines dropped because the mailbox was closed.
    std::size_t DroppedCount() const;

private:
    mutable std::mutex mutex_;
    HWND target_;
    UINT message_;
    bool closed_ = false;
    std::vector<Text> queued_;
    std::size_t dropped_ = 0;
};

// The message a mailbox wakes its window with (no parameters).
constexpr UINT kUsageLineMessage = WM_APP + 0x31;

// One counter run: fetches the usage text from `counterUrl` (empty: the default address),
// composes the title line and delivers it to `mailbox`.
void ShowUsage(UsageLineMailbox& mailbox, const Text& counterUrl = {});

// Starts one counter thread running ShowUsage. The thread's handle goes to CounterThread.
// True when the thread was started.
bool StartUsageCounter(std::shared_ptr<UsageLineMailbox> mailbox, const Text& counterUrl = {});

// Handle of the most recently started counter thread (null before the first).
HANDLE CounterThread();

} // namespace varnel
