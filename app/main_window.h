// MainWindow: the program's only window, with its loading label and the page view.
#pragma once
#include "app/page_view.h"
#include "app/runtime.h"
#include "app/skin_setup.h"
#include "app/usage_counter.h"
#include "app/win_handles.h"

#include <functional>
#include <memory>

namespace varnel {

class MainWindow {
public:
    static constexpr char kTitle[] = "Varnel/免更新版";
    static constexpr char kLoadingText[] = "请稍等,正在玩命的加载....";
    // The window's and its units' places at 96 dpi; they are scaled to the window's DPI.
    static constexpr RECT kOuterRect = {50, 50, 50 + 376, 50 + 364};
    static constexpr RECT kLabelRect = {56, 128, 56 + 256, 128 + 80};
    static constexpr RECT kBrowserRect = {1, 24, 1 + 373, 24 + 314};
    // Resource number of the program icon.
    static constexpr int kIconResource = 129;

    struct Settings {
        // Start address of the page view.
        Text eventPageUrl;
        // Address the usage counter asks; empty selects the default counter address.
        Text counterUrl;
        // Whether closing the window ends the thread's message loop (the program's window
        // does; a window made by a test does not).
        bool endsMessageLoop = true;
    };
    static Settings DefaultSettings();

    // The creation event: runs once the window and its units exist, before the window is
    // shown. The program's window hands itself to the skin engine there.
    using CreatedHandler = std::function<void(MainWindow&)>;

    MainWindow() = default;
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window and its units, runs `onCreated`, shows the window and starts the
    // page view on the event page. False when the window cannot be created.
    bool Load(const Settings& settings = DefaultSettings(),
              CreatedHandler onCreated = OnMainWindowCreated);

    HWND Handle() const { return window_; }
    HWND LoadingLabel() const { return label_; }
    PageView* Browser() const { return browser_.get(); }
    // The title line shown last (empty before the first counter thread delivers one), and how
    // many lines have been shown: one per finished counter thread.
    const Text& LastTitleLine() const { return titleLine_; }
    std::size_t UsageUpdateCount() const { return usageUpdates_; }
    // Where counter threads deliver their lines; closed once the window is gone.
    std::shared_ptr<UsageLineMailbox> UsageLines() const { return usageLines_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateUnits();
    // Places the units and sets the label's font for `dpi` (at creation and on WM_DPICHANGED).
    void LayoutUnits(UINT dpi);
    void OnBrowserNavigated();
    void ShowUsageLines();
    void OnDestroy();

    Settings settings_;
    HWND window_ = nullptr;
    HWND label_ = nullptr;
    GdiObject<HFONT> labelFont_;
    std::unique_ptr<PageView> browser_;
    std::shared_ptr<UsageLineMailbox> usageLines_;
    Text titleLine_;
    std::size_t usageUpdates_ = 0;
};

// Runs the calling thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

} // namespace varnel
