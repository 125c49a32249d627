// The page view of the main window: shows a web page inside a rectangle of a parent window and
// reports every navigation that completes.
//
// Two implementations share this interface: the system web-browser control, hosted in place,
// where an HTML engine is installed; and a view of our own that fetches the page over HTTP and
// shows its text, for systems without one. Both raise the navigated event after every
// completed navigation and never for a failed one.
#pragma once
#include "app/runtime.h"

#include <functional>
#include <memory>

namespace varnel {

class PageView {
public:
    using NavigatedHandler = std::function<void()>;
    // Why a navigation failed: an HRESULT of the browser control, or for the own view the HTTP
    // status (0 when no answer arrived).
    using FailedHandler = std::function<void(long code)>;

    virtual ~PageView() = default;
    PageView(const PageView&) = delete;
    PageView& operator=(const PageView&) = delete;

    // The window that occupies the view's rectangle.
    virtual HWND Window() const = 0;
    // Starts a navigation to `url`; false when it could not even be started.
    virtual bool Navigate(const Text& url) = 0;

    // Both handlers run on the thread that owns the view.
    void OnNavigated(NavigatedHandler handler) { navigated_ = std::move(handler); }
    void OnFailed(FailedHandler handler) { failed_ = std::move(handler); }

protected:
    PageView() = default;
    void RaiseNavigated() const {
        if (navigated_) navigated_();
    }
    void RaiseFailed(long code) const {
        if (failed_) failed_(code);
    }

private:
    NavigatedHandler navigated_;
    FailedHandler failed_;
};

// Registers, once per process, the class of a page view's own window: `procedure`, the arrow
// cursor and the window colour as background.
void RegisterViewClass(const wchar_t* name, WNDPROC procedure);

// True when the system can render HTML (its HTML document object can be created). Needs COM
// on the calling thread.
bool HtmlEngineAvailable();

// The browser control hosted in `rect` (client coordinates of `parent`); null when it cannot be
// created or activated. Needs OLE on the calling thread.
std::unique_ptr<PageView> CreateWebBrowserView(HWND parent, const RECT& rect);

// The fetch-and-show text view in `rect`.
std::unique_ptr<PageView> CreateTextPageView(HWND parent, const RECT& rect);

// The browser control when an HTML engine exists and the control can be hosted, else the
// text view.
std::unique_ptr<PageView> CreatePageView(HWND parent, const RECT& rect);

// The readable text of an HTML page (or of plain text): tags dropped, scripts and styles
// skipped, entities decoded, blank runs collapsed; lines end in "\r\n". The page's bytes are
// decoded as its declared charset, else UTF-8 when valid, else code page 936.
std::wstring PageText(const ByteSet& page);

} // namespace varnel
