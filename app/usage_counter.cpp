#include "app/usage_counter.h"

#include "app/http.h"
#include "app/regex.h"
#include "varnel_config.h"

#include <memory>
#include <utility>

namespace varnel {

namespace {
constexpr char kUsagePrefix[] = "已使用次数：";

// Handle of the newest counter thread. Only the GUI thread writes it (StartUsageCounter runs
// there); the replaced handle is closed since nothing waits on an older thread.
HANDLE counterThread = nullptr;

struct CounterJob {
    std::shared_ptr<UsageLineMailbox> mailbox;
    Text counterUrl;
};

void UsageCounterThread(std::intptr_t parameter) {
    const std::unique_ptr<CounterJob> job(reinterpret_cast<CounterJob*>(parameter));
    ShowUsage(*job->mailbox, job->counterUrl);
}
} // namespace

Text DigitPattern() {
    return ConcatTexts({"http://", config::kCounterHost, "/img/(.*?)/(.*?).gif"});
}

Text CounterPageText(const ByteSet& body) {
    Text page = TextFromBytes(body);
    if (page.size() > kCounterPageLimit) return {};
    // Every digit image ends in "gif": what follows the last one can hold no match, and a page
    // without one needs no search at all.
    const std::size_t last = page.rfind("gif");
    page.resize(last == Text::npos ? 0 : last + 3);
    return page;
}

Text FetchUsageText(const Text& url) {
    Regex digits;
    Text result = kUsagePrefix;
    const Text address = CompareTexts(url, "") == 0 ? Text(config::kCounterUrl) : url;
    const HttpResponse answer = HttpFetch(address);
    // An error page (404, 500 ...) is no count, even when it shows digit images.
    if (!IsSuccessStatus(answer.status)) return result;
    const Text page = CounterPageText(answer.body);
    if (!digits.Compile(DigitPattern(), true)) return result;
    std::vector<Text> names;
    for (const RegexMatch& match : digits.SearchAll(page))
        names.push_back(MatchSubtext(match, page, 2));
    return UsageTextOf(names);
}

Text UsageTextOf(const std::vector<Text>& digitNames) {
    Text digits;
    for (const Text& name : digitNames) {
        digits += name;
        if (digits.size() > kMaxCountDigits) return kUsagePrefix;
    }
    return kUsagePrefix + digits;
}

Text TitleLine(const Text& usageText) {
    return ConcatTexts({"Oskimo", "：", config::kHomePageUrl, "      ", usageText, " 次  "});
}

bool UsageLineMailbox::Deliver(Text line) {
    {
        const std::lock_guard lock(mutex_);
        if (closed_) {
            ++dropped_;
            return false;
        }
        queued_.push_back(std::move(line));
    }
    // A wake-up that cannot be posted loses nothing: the line waits for the next one, or is
    // freed when the window closes the mailbox.
    PostMessageA(target_, message_, 0, 0);
    return true;
}

std::vector<Text> UsageLineMailbox::TakeAll() {
    const std::lock_guard lock(mutex_);
    return std::exchange(queued_, {});
}

void UsageLineMailbox::Close() {
    std::vector<Text> unread;
    const std::lock_guard lock(mutex_);
    closed_ = true;
    dropped_ += queued_.size();
    unread.swap(queued_);
}

std::size_t UsageLineMailbox::DroppedCount() const {
    const std::lock_guard lock(mutex_);
    return dropped_;
}

void ShowUsage(UsageLineMailbox& mailbox, const Text& counterUrl) {
    mailbox.Deliver(TitleLine(FetchUsageText(counterUrl)));
}

bool StartUsageCounter(std::shared_ptr<UsageLineMailbox> mailbox, const Text& counterUrl) {
    if (!mailbox) return false;
    auto job = std::make_unique<CounterJob>(CounterJob{std::move(mailbox), counterUrl});
    HANDLE thread = nullptr;
    if (!StartThread(UsageCounterThread, reinterpret_cast<std::intptr_t>(job.get()), &thread))
        return false;
    job.release(); // the thread owns it now
    if (counterThread) CloseHandle(counterThread);
    counterThread = thread;
    return true;
}

HANDLE CounterThread() {
    return counterThread;
}

} // namespace varnel
