// The gallery window: one skinned window that holds every control the skin engine skins, each
// in a state worth looking at, under a caption with caption buttons, over a theme image, with a
// status bar that names the control under the pointer and the last thing done.
//
// Opaque or translucent controls are chosen per window: some install decisions depend on the
// mode (a combo box's edit field is skinned only in translucent mode), so switching rebuilds the
// window in the other mode at the same place instead of repainting it.
#pragma once
#include <windows.h>

#include "gallery/sections.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_types.h"

#include <map>
#include <string>
#include <vector>

namespace gallery {

enum class ControlMode { Opaque, Translucent };

struct GalleryOptions {
    ControlMode mode = ControlMode::Opaque;
    // Top-left corner of the window on the screen.
    POINT origin = {12, 4};
    // Whether closing the window ends the thread's message loop (the program's window does; a
    // window made by a test does not). A rebuild never ends it.
    bool endsMessageLoop = true;
    // Whether the skin engine takes the window. Left plain only to compare the two (the
    // benchmark's live resize): the same window, controls and layout, drawn by the system.
    bool skinned = true;
};

class GalleryWindow {
public:
    static constexpr char kTitle[] = "Varnel 控件画廊";
    // The window has no system frame: its client area is the whole window.
    static constexpr int kWidth = 1000;
    static constexpr int kHeight = 760;
    static constexpr int kCaptionHeight = 40;
    static constexpr int kStatusHeight = 22;
    // The panel docked along the bottom, above the status bar: it follows the window's size.
    static constexpr int kPanelHeight = 92;
    static constexpr int kPanelTop = kHeight - kStatusHeight - 3 - kPanelHeight;
    // Pane 1 names the mode; pane 2, taking the rest of the bar, what the pointer is over or
    // the last action.
    static constexpr int kModePane = 1;
    static constexpr int kMessagePane = 2;
    static constexpr int kModePaneWidth = 110;
    // Alpha of the white wash over translucent controls.
    static constexpr int kTranslucentAlpha = 128;
    static constexpr char kOpaqueText[] = "不透明控件";
    static constexpr char kTranslucentText[] = "半透明控件";
    static constexpr char kHintText[] = "将指针移到控件上，或操作控件";

    using Options = GalleryOptions;

    GalleryWindow() = default;
    ~GalleryWindow();
    GalleryWindow(const GalleryWindow&) = delete;
    GalleryWindow& operator=(const GalleryWindow&) = delete;

    // Creates the window and its controls, hands it to the skin engine (theme image, control
    // options, SkinWindow) and shows it. False when the window cannot be created or exists.
    bool Create(const Options& options = {});
    // Rebuilds the window with controls in `mode` where it stands now. Called from the mode
    // switch's click through a posted message, never inside the click itself.
    bool SwitchMode(ControlMode mode);

    HWND Handle() const { return window_; }
    HWND Control(int id) const { return window_ ? GetDlgItem(window_, id) : nullptr; }
    // A control inside a container of the window (a tab page, the group box, the panel).
    HWND Inner(int id) const;
    ControlMode Mode() const { return options_.mode; }
    // What the message pane shows.
    const std::string& Message() const { return message_; }
    const std::vector<NamedControl>& Controls() const { return controls_; }
    static const char* ModeText(ControlMode mode);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The gallery's fonts at `dpi` (12 pixels at 96 dpi); the controls using the old ones get
    // the new ones.
    void CreateFonts(UINT dpi);
    void CreateSections();
    // The layout is made in 96-dpi units: each placed window's rectangle is remembered as made
    // and scaled to the window's DPI (at creation and on WM_DPICHANGED).
    void RememberDesign();
    void ApplyDpi(UINT dpi);
    static BOOL CALLBACK RememberPlace(HWND child, LPARAM self);
    void HandToSkinEngine();
    // Gives the image buttons their pictures (the window must be skinned first).
    void GiveImageButtonsPictures();
    // The panel docked along the bottom: a rich edit with formatted text and a status bar.
    void CreateDockedPanel();
    // Unskinned, the window lays its docked panel out along the bottom itself, as the skin does.
    void LayOutDockedPanel(int width, int height);
    // Registers the containers and common controls with the skin engine, and docks the panel
    // (the window must be skinned first).
    void SkinContainersAndCommonControls();
    // Shows the tab control's page `index` (0-based) and hides the other.
    void ShowTabPage(int index);
    void OnNotify(const NMHDR& header);
    // One step of the running progress bar, wrapping to 0 after 100.
    void AdvanceProgress();
    // Shows the track bars with or without their panel.
    void ShowTrackBarPanels(bool on);
    void OnCommand(HWND control, int id, int code);
    void OnPointerOver(HWND child);
    void ShowMessage(std::string text);
    const NamedControl* Find(HWND control) const;
    bool IsLabel(HWND control) const;
    LRESULT LabelColour(HWND label, HDC dc);
    void OnDestroy();

    Options options_;
    HWND window_ = nullptr;
    gdi::Font font_;
    gdi::Font titleFont_;
    UINT fontDpi_ = 0; // the DPI font_ and titleFont_ are made for
    UINT dpi_ = 96;    // the DPI the controls are laid out at
    struct DesignPlace {
        HWND window;
        RECT rect;                // in its parent's client coordinates, at 96 dpi
        std::vector<int> columns; // a header's item widths or a list view's column widths
        bool header = false;      // the columns are a header's items
    };
    std::vector<DesignPlace> design_;
    skin::ByteSet themePicture_; // drawn once, reused by every rebuild
    std::vector<NamedControl> controls_;
    std::vector<HWND> labels_;
    // Opaque mode: each label's brush, cut from the background behind it.
    std::map<HWND, gdi::Brush> labelBrushes_;
    HWND pointed_ = nullptr; // the control the message pane names
    std::string message_;
    bool ready_ = false;      // controls made and skinned: notifications are the person's
    bool rebuilding_ = false; // the window goes away only to come back in the other mode
};

} // namespace gallery
