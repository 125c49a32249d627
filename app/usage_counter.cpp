#include "app/usage_counter.h"

#include "app/http.h"
#include "app/regex.h"
#include "varnel_config.h"

#include <memory>

namespace varnel {

namespace {
constexpr char kUsagePrefix[] = "已使用次数：";

// Handle of the newest counter thread. Only the GUI thread writes it (StartUsageCounter runs
// there); the replaced handle is closed since nothing waits on an older thread.
HANDLE counterThread = nullptr;

struct CounterJob {
    HWND lineTarget;
    Text counterUrl;
};

void UsageCounterThread(std::intptr_t parameter) {
    std::unique_ptr<CounterJob> job(reinterpret_cast<CounterJob*>(parameter));
    auto line = std::make_unique<Text>(TitleLine(FetchUsageText(job->counterUrl)));
    // The window owns what is shown; it takes the line on its own thread. When the window is
    // gone the post fails and the line is dropped here.
    if (PostMessageA(job->lineTarget, kTitleLineMessage, 0, reinterpret_cast<LPARAM>(line.get())))
        line.release();
}
} // namespace

Text DigitPattern() {
    return ConcatTexts({"http://", config::kCounterHost, "/img/(.*?)/(.*?).gif"});
}

Text FetchUsageText(const Text& url) {
    Regex digits;
    Text result = kUsagePrefix;
    const Text address = CompareTexts(url, "") == 0 ? Text(config::kCounterUrl) : url;
    const Text page = TextFromBytes(HttpGet(address));
    if (!digits.Compile(DigitPattern(), true)) return result;
    for (const RegexMatch& match : digits.SearchAll(page))
        result += MatchSubtext(match, page, 2);
    return result;
}

Text TitleLine(const Text& usageText) {
    return ConcatTexts({"Oskimo", "：", config::kHomePageUrl, "      ", usageText, " 次  "});
}

Text TakePostedTitleLine(LPARAM lParam) {
    std::unique_ptr<Text> line(reinterpret_cast<Text*>(lParam));
    return line ? std::move(*line) : Text();
}

bool StartUsageCounter(HWND lineTarget, const Text& counterUrl) {
    auto job = std::make_unique<CounterJob>(CounterJob{lineTarget, counterUrl});
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
