// The page view on the system web-browser control, hosted in place in a child window of ours.
#include "app/page_view.h"
#include "app/win_handles.h"

#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <ocidl.h>
#include <oleidl.h>

#include <atomic>

namespace varnel {

namespace {

constexpr wchar_t kHostClass[] = L"VarnelBrowserHost";
// NavigateError is missing from older SDK headers.
constexpr DISPID kNavigateError = 271;
// The HTML document object; its class id is not in the import libraries.
constexpr CLSID kHtmlDocumentClass = {
    0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

class WebBrowserView;

// The container side of the control: client site, in-place site and frame, and the sink for
// the control's events. One COM object serves all of them; it lives as long as anyone holds a
// reference, and forwards events to its view only while the view exists.
class BrowserSite final : public IOleClientSite,
                          public IOleInPlaceSite,
                          public IOleInPlaceFrame,
                          public IDispatch {
public:
    BrowserSite(WebBrowserView* view, HWND host) : view_(view), host_(host) {}

    void Detach() { view_ = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *out = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
            *out = static_cast<IDispatch*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container) *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place site and the frame)
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = host_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO info) override {
        if (frame) {
            *frame = this;
            AddRef();
        }
        if (document) *document = nullptr;
        RECT client{};
        GetClientRect(host_, &client);
        if (position) *position = client;
        if (clip) *clip = client;
        if (info) {
            info->fMDIApp = FALSE;
            info->hwndFrame = GetAncestor(host_, GA_ROOT);
            info->haccel = nullptr;
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow / IOleInPlaceFrame: no tool space, menus or accelerators of ours.
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDispatch: the DWebBrowserEvents2 sink.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override;

private:
    ~BrowserSite() = default;

    std::atomic<ULONG> references_{1};
    WebBrowserView* view_;
    HWND host_;
};

class WebBrowserView final : public PageView {
public:
    WebBrowserView(HWND parent, const RECT& rect) {
        RegisterViewClass(kHostClass, DefWindowProcW);
        host_ = CreateWindowExW(0, kHostClass, L"",
                                WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                                parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!host_) return;
        site_.attach(new BrowserSite(this, host_));
        if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    object_.put_void())))
            return;
        if (FAILED(object_->SetClientSite(site_.get()))) return;
        RECT client{};
        GetClientRect(host_, &client);
        if (FAILED(
                object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.get(), 0, host_, &client)))
            return;
        if (FAILED(object_->QueryInterface(IID_IWebBrowser2, browser_.put_void()))) return;
        // The page may show its own dialogs; it is browsed online.
        browser_->put_Silent(VARIANT_FALSE);
        browser_->put_Offline(VARIANT_FALSE);

        ComPtr<IConnectionPointContainer> container;
        if (FAILED(browser_->QueryInterface(IID_IConnectionPointContainer, container.put_void())) ||
            FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, events_.put())) ||
            FAILED(events_->Advise(static_cast<IDispatch*>(site_.get()), &cookie_))) {
            events_.reset();
            browser_.reset();
            return;
        }
        ready_ = true;
    }

    ~WebBrowserView() override {
        if (site_) site_->Detach();
        if (events_ && cookie_) events_->Unadvise(cookie_);
        events_.reset();
        browser_.reset();
        if (object_) {
            object_->Close(OLECLOSE_NOSAVE);
            object_->SetClientSite(nullptr);
        }
        object_.reset();
        if (host_ && IsWindow(host_)) DestroyWindow(host_);
    }

    bool Ready() const { return ready_; }
    HWND Window() const override { return host_; }

    bool Navigate(const Text& url) override {
        if (!ready_) return false;
        const int length = MultiByteToWideChar(CP_ACP, 0, url.c_str(), -1, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
        MultiByteToWideChar(CP_ACP, 0, url.c_str(), -1, wide.data(), length);
        BSTR address = SysAllocString(wide.c_str());
        if (!address) return false;
        VARIANT empty;
        VariantInit(&empty);
        const HRESULT hr = browser_->Navigate(address, &empty, &empty, &empty, &empty);
        SysFreeString(address);
        return SUCCEEDED(hr);
    }

    void Completed() const { RaiseNavigated(); }
    void Failed(long code) const { RaiseFailed(code); }

private:
    HWND host_ = nullptr;
    ComPtr<BrowserSite> site_;
    ComPtr<IOleObject> object_;
    ComPtr<IWebBrowser2> browser_;
    ComPtr<IConnectionPoint> events_;
    DWORD cookie_ = 0;
    bool ready_ = false;
};

STDMETHODIMP BrowserSite::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                 EXCEPINFO*, UINT*) {
    if (!view_) return S_OK;
    switch (id) {
        case DISPID_NAVIGATECOMPLETE2: view_->Completed(); break;
        case kNavigateError: {
            // Arguments arrive last first: Cancel, StatusCode, TargetFrameName, URL, pDisp.
            long code = 0;
            if (params && params->cArgs >= 2) {
                const VARIANT& status = params->rgvarg[1];
                const VARIANT* value =
                    status.vt == (VT_BYREF | VT_VARIANT) ? status.pvarVal : &status;
                if (value && value->vt == VT_I4) code = value->lVal;
            }
            view_->Failed(code);
            break;
        }
        default: break;
    }
    return S_OK;
}

} // namespace

void RegisterViewClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &cls)) return;
    cls.lpfnWndProc = procedure;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    cls.lpszClassName = name;
    RegisterClassExW(&cls);
}

bool HtmlEngineAvailable() {
    ComPtr<IHTMLDocument2> document;
    return SUCCEEDED(CoCreateInstance(kHtmlDocumentClass, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IHTMLDocument2, document.put_void()));
}

std::unique_ptr<PageView> CreateWebBrowserView(HWND parent, const RECT& rect) {
    auto view = std::make_unique<WebBrowserView>(parent, rect);
    if (!view->Ready()) return nullptr;
    return view;
}

std::unique_ptr<PageView> CreatePageView(HWND parent, const RECT& rect) {
    if (HtmlEngineAvailable()) {
        if (auto view = CreateWebBrowserView(parent, rect)) return view;
    }
    return CreateTextPageView(parent, rect);
}

} // namespace varnel
