#include "app/main_window.h"

#include "app/startup_probe.h"
#include "skin/core/dpi.h"
#include "skin/core/skin_engine.h"
#include "varnel_config.h"

namespace varnel {

namespace {
constexpr char kWindowClass[] = "VarnelMainWindow";
// A fixed-size window with a system menu and a minimize button. It has no system caption or
// frame: the skin engine draws the caption, the border and the status bar inside the window.
constexpr DWORD kWindowStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

void RegisterWindowClass() {
    WNDCLASSEXA cls{};
    cls.cbSize = sizeof cls;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoExA(instance, kWindowClass, &cls)) return;
    cls.lpfnWndProc = DefWindowProcA;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kWindowClass;
    // The icon resource carries every size; the system picks the large and small ones.
    cls.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(MainWindow::kIconResource),
                                              IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                              GetSystemMetrics(SM_CYICON), LR_SHARED));
    cls.hIconSm = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(MainWindow::kIconResource), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    RegisterClassExA(&cls);
}
// A 96-dpi rectangle at `dpi`, each edge scaled on its own (as the skin scales its sizes).
RECT ScaledRect(const RECT& rect, UINT dpi) {
    return RECT{skin::ScaleToDpi(rect.left, dpi), skin::ScaleToDpi(rect.top, dpi),
                skin::ScaleToDpi(rect.right, dpi), skin::ScaleToDpi(rect.bottom, dpi)};
}
} // namespace

MainWindow::Settings MainWindow::DefaultSettings() {
    return Settings{config::kEventPageUrl, {}, true};
}

MainWindow::~MainWindow() {
    if (window_) DestroyWindow(window_);
}

bool MainWindow::Load(const Settings& settings, CreatedHandler onCreated) {
    if (window_) return false;
    settings_ = settings;
    RegisterWindowClass();
    // A new window starts at the system DPI; WM_DPICHANGED moves it on from there.
    const RECT outer = ScaledRect(kOuterRect, skin::SystemDpi());
    // The window procedure is installed after creation so that `this` is known before the
    // first message we handle.
    window_ = CreateWindowExA(0, kWindowClass, kTitle, kWindowStyle, outer.left, outer.top,
                              outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (!window_) return false;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    usageLines_ = std::make_shared<UsageLineMailbox>(window_, kUsageLineMessage);
    startup_probe::Mark("window_ms");
    CreateUnits();
    startup_probe::Mark("units_ms");
    if (onCreated) onCreated(*this);
    startup_probe::Mark("skinned_ms");
    ShowWindow(window_, SW_SHOWNORMAL);
    startup_probe::Mark("shown_ms");
    UpdateWindow(window_);
    startup_probe::NoteFirstPaint(window_);
    if (browser_) browser_->Navigate(settings_.eventPageUrl);
    return true;
}

void MainWindow::CreateUnits() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const UINT dpi = skin::SystemDpiOfWindow(window_);
    const RECT b = ScaledRect(kBrowserRect, dpi);
    browser_ = CreatePageView(window_, b);
    if (browser_) browser_->OnNavigated([this] { OnBrowserNavigated(); });

    // Created after the page view so that it lies above it.
    const RECT l = ScaledRect(kLabelRect, dpi);
    label_ =
        CreateWindowExA(0, "STATIC", kLoadingText, WS_CHILD | WS_VISIBLE | SS_LEFT, l.left, l.top,
                        l.right - l.left, l.bottom - l.top, window_, nullptr, instance, nullptr);
    LayoutUnits(dpi);
    if (label_)
        SetWindowPos(label_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::LayoutUnits(UINT dpi) {
    const RECT b = ScaledRect(kBrowserRect, dpi);
    if (browser_ && browser_->Window())
        MoveWindow(browser_->Window(), b.left, b.top, b.right - b.left, b.bottom - b.top, TRUE);
    const RECT l = ScaledRect(kLabelRect, dpi);
    if (!label_) return;
    MoveWindow(label_, l.left, l.top, l.right - l.left, l.bottom - l.top, TRUE);
    // The label takes the new font before the old one goes.
    GdiObject<HFONT> font(CreateFontA(-skin::ScaleToDpi(21, dpi), 0, 0, 0, 400, FALSE, FALSE, FALSE,
                                      134, 3, 2, 1, 2, "宋体"));
    if (!font) return;
    SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    labelFont_ = std::move(font);
}

void MainWindow::OnBrowserNavigated() {
    if (label_) ShowWindow(label_, SW_HIDE);
    StartUsageCounter(usageLines_, settings_.counterUrl);
}

void MainWindow::ShowUsageLines() {
    // One pane update per finished counter thread, in the order they finished, so the line
    // delivered last stays. A window that is not skinned (or no longer) shows nothing.
    for (Text& line : usageLines_->TakeAll()) {
        if (skin::TheSkin) skin::TheSkin->SetStatusPane(window_, 1, line);
        titleLine_ = std::move(line);
        ++usageUpdates_;
        startup_probe::NoteUsageLineShown(window_, *usageLines_);
    }
}

void MainWindow::OnDestroy() {
    // The browser control must let go of its site while the windows still exist.
    browser_.reset();
    // Counter threads still running drop their lines from now on.
    usageLines_->Close();
    label_ = nullptr;
    window_ = nullptr;
    if (settings_.endsMessageLoop) PostQuitMessage(0);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case kUsageLineMessage:
            if (self) self->ShowUsageLines();
            return 0;
        case WM_DPICHANGED:
            // The skin has moved the window to the suggested rectangle already.
            if (self) self->LayoutUnits(LOWORD(wParam));
            return 0;
        case WM_DESTROY:
            if (self) self->OnDestroy();
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace varnel
