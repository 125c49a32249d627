// The page view for systems without an HTML engine: the page is fetched on a worker thread and
// its text is shown in a read-only edit box filling the view's rectangle.
#include "app/http.h"
#include "app/page_view.h"
#include "app/win_handles.h"

#include <algorithm>
#include <cwctype>

namespace varnel {

namespace {

// ---- turning a page into text ----

std::string LowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c < 0x80 ? std::tolower(c) : c);
    });
    return text;
}

UINT DeclaredCodePage(const ByteSet& page) {
    const std::string head = LowerAscii(
        std::string(page.begin(), page.begin() + std::min<std::size_t>(page.size(), 2048)));
    const auto at = head.find("charset=");
    if (at == std::string::npos) return 0;
    std::size_t start = at + 8;
    while (start < head.size() && (head[start] == '"' || head[start] == '\'' || head[start] == ' '))
        ++start;
    const std::string name = head.substr(start, 8);
    if (name.rfind("utf-8", 0) == 0 || name.rfind("utf8", 0) == 0) return CP_UTF8;
    if (name.rfind("gbk", 0) == 0 || name.rfind("gb2312", 0) == 0 || name.rfind("gb18030", 0) == 0)
        return 936;
    return 0;
}

std::wstring Decode(const ByteSet& bytes, UINT codePage, DWORD flags) {
    if (bytes.empty()) return {};
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
    const int length = MultiByteToWideChar(codePage, flags, data, size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, data, size, text.data(), length);
    return text;
}

std::wstring DecodePage(const ByteSet& page) {
    if (const UINT declared = DeclaredCodePage(page)) return Decode(page, declared, 0);
    std::wstring utf8 = Decode(page, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (!utf8.empty()) return utf8;
    return Decode(page, 936, 0);
}

bool StartsWithAt(const std::wstring& text, std::size_t at, const wchar_t* word) {
    for (std::size_t i = 0; word[i]; ++i) {
        if (at + i >= text.size() || std::towlower(text[at + i]) != word[i]) return false;
    }
    return true;
}

// Tags that start a new line of text.
bool IsBlockTag(const std::wstring& name) {
    static const wchar_t* const kBlocks[] = {
        L"br", L"p",     L"div",   L"h1", L"h2", L"h3", L"h4",      L"h5",     L"h6",    L"li",
        L"tr", L"title", L"table", L"ul", L"ol", L"hr", L"section", L"header", L"footer"};
    return std::any_of(std::begin(kBlocks), std::end(kBlocks),
                       [&](const wchar_t* block) { return name == block; });
}

void AppendEntity(const std::wstring& entity, std::wstring& out) {
    if (entity == L"amp")
        out += L'&';
    else if (entity == L"lt")
        out += L'<';
    else if (entity == L"gt")
        out += L'>';
    else if (entity == L"quot")
        out += L'"';
    else if (entity == L"apos")
        out += L'\'';
    else if (entity == L"nbsp")
        out += L' ';
    else if (entity.size() > 1 && entity[0] == L'#') {
        const bool hex = entity[1] == L'x' || entity[1] == L'X';
        const unsigned long code =
            std::wcstoul(entity.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10);
        if (code > 0 && code < 0x10000)
            out += static_cast<wchar_t>(code);
        else if (code >= 0x10000 && code <= 0x10FFFF) {
            out += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    } else {
        out += L'&' + entity + L';';
    }
}

// Collapses blank runs: spaces within a line become one, empty lines at most one.
std::wstring Tidy(const std::wstring& raw) {
    std::wstring out;
    bool pendingSpace = false;
    int pendingBreaks = 0;
    for (wchar_t c : raw) {
        if (c == L'\n') {
            ++pendingBreaks;
            pendingSpace = false;
        } else if (std::iswspace(c)) {
            pendingSpace = true;
        } else {
            if (!out.empty()) {
                if (pendingBreaks > 0)
                    out += pendingBreaks > 1 ? L"\r\n\r\n" : L"\r\n";
                else if (pendingSpace)
                    out += L' ';
            }
            pendingBreaks = 0;
            pendingSpace = false;
            out += c;
        }
    }
    return out;
}

} // namespace

std::wstring PageText(const ByteSet& page) {
    const std::wstring source = DecodePage(page);
    std::wstring raw;
    for (std::size_t i = 0; i < source.size();) {
        const wchar_t c = source[i];
        if (c == L'<') {
            if (StartsWithAt(source, i, L"<!--")) {
                const auto end = source.find(L"-->", i + 4);
                i = end == std::wstring::npos ? source.size() : end + 3;
                continue;
            }
            const auto close = source.find(L'>', i);
            if (close == std::wstring::npos) break;
            std::size_t nameStart = i + 1;
            if (nameStart < close && source[nameStart] == L'/') ++nameStart;
            std::size_t nameEnd = nameStart;
            while (nameEnd < close && std::iswalnum(source[nameEnd]))
                ++nameEnd;
            std::wstring name = source.substr(nameStart, nameEnd - nameStart);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](wchar_t ch) { return static_cast<wchar_t>(std::towlower(ch)); });
            i = close + 1;
            if ((name == L"script" || name == L"style" || name == L"head") &&
                source[nameStart - 1] != L'/') {
                // Skip the element's content (a head keeps only its title).
                const std::wstring endTag = L"</" + name;
                std::size_t end = i;
                while (end < source.size() && !StartsWithAt(source, end, endTag.c_str()))
                    ++end;
                if (name == L"head") {
                    const std::wstring head = source.substr(i, end - i);
                    std::size_t t = 0;
                    while (t < head.size() && !StartsWithAt(head, t, L"<title"))
                        ++t;
                    if (t < head.size()) {
                        const auto open = head.find(L'>', t);
                        std::size_t stop = open;
                        while (stop != std::wstring::npos && stop < head.size() &&
                               !StartsWithAt(head, stop, L"</title"))
                            ++stop;
                        if (open != std::wstring::npos)
                            raw += head.substr(open + 1, std::min(stop, head.size()) - open - 1) +
                                   L"\n\n";
                    }
                }
                const auto endClose = source.find(L'>', end);
                i = endClose == std::wstring::npos ? source.size() : endClose + 1;
                continue;
            }
            if (IsBlockTag(name)) raw += L'\n';
            continue;
        }
        if (c == L'&') {
            const auto semicolon = source.find(L';', i);
            if (semicolon != std::wstring::npos && semicolon - i <= 10) {
                AppendEntity(source.substr(i + 1, semicolon - i - 1), raw);
                i = semicolon + 1;
                continue;
            }
        }
        raw += c == L'\r' ? L'\n' : c;
        ++i;
    }
    return Tidy(raw);
}

namespace {

constexpr wchar_t kViewClass[] = L"VarnelTextPageView";
constexpr UINT kPageFetched = WM_APP + 0x21;

struct FetchJob {
    HWND view;
    unsigned serial;
    Text url;
};

struct FetchResult {
    unsigned serial;
    HttpResponse response;
};

void FetchThread(std::intptr_t parameter) {
    std::unique_ptr<FetchJob> job(reinterpret_cast<FetchJob*>(parameter));
    auto result = std::make_unique<FetchResult>(FetchResult{job->serial, HttpFetch(job->url)});
    if (PostMessageW(job->view, kPageFetched, 0, reinterpret_cast<LPARAM>(result.get())))
        result.release();
}

class TextPageView final : public PageView {
public:
    TextPageView(HWND parent, const RECT& rect) {
        RegisterViewClass(kViewClass, WindowProc);
        window_ =
            CreateWindowExW(0, kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rect.left,
                            rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                            nullptr, GetModuleHandleW(nullptr), this);
        if (!window_) return;
        font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, L"宋体"));
        text_ = CreateWindowExW(0, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                    ES_AUTOVSCROLL,
                                0, 0, rect.right - rect.left, rect.bottom - rect.top, window_,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        if (text_ && font_)
            SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }

    ~TextPageView() override {
        if (window_) DestroyWindow(window_);
    }

    HWND Window() const override { return window_; }

    bool Navigate(const Text& url) override {
        if (!window_) return false;
        // A newer navigation supersedes the one in flight: its answer is dropped on arrival.
        ++serial_;
        auto job = std::make_unique<FetchJob>(FetchJob{window_, serial_, url});
        if (!StartThread(FetchThread, reinterpret_cast<std::intptr_t>(job.get()))) return false;
        job.release();
        return true;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* view = reinterpret_cast<TextPageView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (message) {
            case kPageFetched: {
                std::unique_ptr<FetchResult> result(reinterpret_cast<FetchResult*>(lParam));
                if (view) view->PageFetched(*result);
                return 0;
            }
            case WM_SIZE:
                if (view && view->text_)
                    MoveWindow(view->text_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
                return 0;
            case WM_DESTROY:
                if (view) view->window_ = nullptr;
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    void PageFetched(const FetchResult& result) {
        if (result.serial != serial_) return;
        const DWORD status = result.response.status;
        if (status < 200 || status >= 300) {
            RaiseFailed(static_cast<long>(status));
            return;
        }
        SetWindowTextW(text_, PageText(result.response.body).c_str());
        RaiseNavigated();
    }

    HWND window_ = nullptr;
    HWND text_ = nullptr;
    GdiObject<HFONT> font_;
    unsigned serial_ = 0;
};

} // namespace

std::unique_ptr<PageView> CreateTextPageView(HWND parent, const RECT& rect) {
    auto view = std::make_unique<TextPageView>(parent, rect);
    if (!view->Window()) return nullptr;
    return view;
}

} // namespace varnel
