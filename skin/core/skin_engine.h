// The skin engine: the single SkinEngine object (TheSkin), its table of operations, and the
// engine-wide state every skinned window shares.
//
// The object itself is small: its operation table, the two thunks that turn operations into
// plain functions, and three numbers. Options, the theme and the list of skinned windows are
// engine-wide state (`Engine`). Everything here belongs to the GUI thread.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/core/composition_types.h"
#include "skin/core/method_thunk.h"
#include "skin/core/skin_types.h"
#include "skin/core/window_properties.h"

namespace plus {
class PlusGraphics;
}

namespace skin {

class SkinEngine;
struct WindowRecord;

inline constexpr std::size_t kOperationCount = 42;
using OperationTable = std::array<OperationEntry, kOperationCount>;

// Placement of a theme image or a window's own image.
enum ImageMode : int {
    kImageBlendRight = 0, // right and bottom bands blended into the colour; at the origin
    kImageBlendLeft = 1,  // left and bottom bands blended; at the top-right corner
    kImageCentred = 2,    // unchanged; centred
    kImageStretched = 3,  // unchanged; stretched over the client area
    kImageTiled = 4,      // unchanged; tiled across, every second tile mirrored (the default)
};

// Engine-wide state with its start values. One set per process.
struct EngineState {
    // Theme (set by SetTheme).
    COLORREF ThemeColour = 0; // taken from COLOR_BTNFACE by the engine's creation
    COLORREF AccentColour = kDefaultAccentColour;
    ByteSet ThemeImage;
    int ThemeImageMode = 0;
    // ThemeImage decoded for the painters, kept between repaints.
    BackgroundPicture ThemePicture;
    // Control options (set by SetControlOptions).
    int ControlSkinsEnabled = 1;
    int TranslucentControls = 0;
    int ControlAlpha = 160;
    int TrackBarFrame = 1;
    // Cleared by the window procedure the first time a skinned window is sized.
    int FirstPaint = 1;
    // The program icon drawn in captions; destroyed by SkinEngine::Destroy.
    HICON AppIcon = nullptr;
    // The application's GDI+ token; SkinEngine::Destroy shuts GDI+ down with it.
    ULONG_PTR PlusToken = 0;
    // Records of the skinned top-level windows; a window's identity is its 1-based position.
    std::vector<std::unique_ptr<WindowRecord>> WindowList;
};

extern EngineState Engine;

// The one skin engine, from start-up to exit (null outside that span).
extern std::unique_ptr<SkinEngine> TheSkin;

class SkinEngine {
public:
    // The creation routine: builds WndProcThunk (entry 3, 4 arguments) and ButtonThunk
    // (entry 4, 2 arguments), and takes ThemeColour from COLOR_BTNFACE.
    SkinEngine();
    // Un-skins the windows still running this object's WndProcThunk and frees its thunks.
    // Program-wide resources are released by Destroy.
    ~SkinEngine();
    SkinEngine(const SkinEngine&) = delete;
    SkinEngine& operator=(const SkinEngine&) = delete;

    const OperationTable& Operations() const { return *operations_; }

    // A thunk for entry `methodNumber` (from 1) of this object's table, bound to this object.
    MethodThunk MakeThunk(int methodNumber, int argumentCount, bool passEcx = false,
                          bool callerCleans = false) const;

    // --- Operations, in slot order ---

    // 0: un-skins the windows still running WndProcThunk (their own procedures back, records
    // released), destroys AppIcon, shuts GDI+ down with the application's token, frees both
    // thunks.
    void Destroy();
    // 1: a new object with the same table, copies of both thunks (which still call this
    // object) and the same three numbers.
    std::unique_ptr<SkinEngine> Copy() const;
    // --- Top-level skinning (skin_window.cpp) ---

    // 2: the window procedure of every skinned top-level window, reached through WndProcThunk.
    // Messages it does not consume, and every message for a window without a record, go to
    // the window's saved procedure ("Hw_hProc").
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // 3: performs a click on caption button `button` (from 1) of the window at `position`:
    // close, maximize/restore and minimize send their system command; handler and application
    // buttons run their routine (no arguments, no system command) when they have one.
    void CaptionButtonAction(int position, int button);
    // 4: skins a top-level window: its record, system caption buttons with tooltips, status bar,
    // child controls, WS_SYSMENU, and WndProcThunk as its procedure. Nothing happens for a
    // window that is already skinned, nor for a handle that is no window (null or destroyed):
    // nothing is recorded, so later operations on that handle answer false. Omitted: caption height
    // 25 (smaller values become 25), caption, resizable, title on; help, menu, gloss off; no status
    // bar; one pane; no own image; the theme's image mode.
    void SkinWindow(
        HWND window, std::optional<int> captionHeight = std::nullopt,
        std::optional<int> hasCaption = std::nullopt, std::optional<int> resizable = std::nullopt,
        std::optional<int> helpButton = std::nullopt, std::optional<int> menuButton = std::nullopt,
        std::optional<int> showTitle = std::nullopt, std::optional<int> captionGloss = std::nullopt,
        std::optional<int> statusHeight = std::nullopt,
        std::optional<std::vector<StatusPane>> statusPanes = std::nullopt,
        const ByteSet& backgroundImage = {}, std::optional<int> imageMode = std::nullopt);

    // --- Caption buttons (caption_buttons.cpp) ---

    // 5: adds an application button (kind 5, 26 x 18) at the front of the caption-button row,
    // widens the row by 27, adds its tooltip tool and lays the row out again. False for a window
    // that is not skinned.
    bool AddCaptionButton(HWND window, const ByteSet& image, const std::string& tooltip,
                          CaptionRoutine action = {});

    // --- Title (title_status.cpp) ---

    // 6: changes the given title fields (omitted ones keep their value) and repaints the title
    // with the window's current text. False, changing nothing, for a window that is not skinned.
    bool SetTitleStyle(HWND window, std::optional<std::string> fontName = std::nullopt,
                       std::optional<int> fontSize = std::nullopt,
                       std::optional<COLORREF> textColour = std::nullopt,
                       std::optional<COLORREF> haloColour = std::nullopt,
                       std::optional<int> bold = std::nullopt);

    // 7: gives a skinned window its own background image; false for a window that is not
    // skinned or for empty bytes. An omitted mode keeps the window's current one.
    bool SetWindowBackground(HWND window, const ByteSet& imageData,
                             std::optional<int> mode = std::nullopt);
    // 8: sets the theme image (a file, else encoded bytes), theme colour and accent colour
    // and repaints the visible skinned windows. An omitted colour is the image's average (or
    // COLOR_BTNFACE); an omitted accent resets it to the default, kAccentFollowsTheme makes it
    // the theme colour; an omitted mode is kImageTiled.
    void SetTheme(const std::string& imageFile = {}, const ByteSet& imageData = {},
                  std::optional<COLORREF> themeColour = std::nullopt,
                  std::optional<COLORREF> accentColour = std::nullopt,
                  std::optional<int> mode = std::nullopt);
    // 9: control skinning switch; a given alpha turns translucent controls on with that wash
    // alpha, an omitted one turns them off (alpha back to 160); track-bar frame defaults to 1.
    void SetControlOptions(int skinControls, std::optional<int> controlAlpha = std::nullopt,
                           std::optional<int> trackBarFrame = std::nullopt);
    // --- Back buffer (back_buffer.cpp) ---

    // 10: recomposes the back buffer and both strips and clears the stale flag. With a DC
    // (a window DC the caller got, released here; null allowed) the result is also shown.
    void RebuildBackground(int position, std::optional<HDC> dc = std::nullopt);
    // The same from a WM_PAINT whose update region is the whole client (`wholeClient`) or a
    // frame drag's step bands: the result is shown through `paintDC` (BeginPaint's, not
    // released here), which spares taking a window DC of its own (after a resize each new DC
    // has its visible region worked out again). A rebuild that turns out whole where only the
    // step's bands were invalidated is shown through a window DC of its own after all.
    void RebuildThroughPaintDC(int position, HDC paintDC, bool wholeClient);
    // 11: copies the back buffer to the window through `dc` (a window DC), then releases it.
    void ShowBackBuffer(int position, HDC dc);
    // 12: magenta outside the rounded outline; colour, background image and caption gloss inside.
    void PaintBackground(int position, plus::PlusGraphics& graphics);
    // 13: the double border (dark outside, light inside).
    void PaintBorder(int position, plus::PlusGraphics& graphics);
    // 14: the separator lines left of a caption button (and left of the next one).
    void PaintCaptionButtonSeparators(int position, int button, plus::PlusGraphics& graphics);
    // 15, 16: copy a rectangle (left, top, right, bottom) from the clean caption or status strip
    // back into the back buffer.
    void RestoreCaptionRect(int position, const RECT& rect);
    void RestoreStatusRect(int position, const RECT& rect);
    // 17: paints a caption button on the back buffer, in the pressed look (highlight) or plain
    // with a hover fill of alpha `level`. Without a graphics the button is also shown.
    void PaintCaptionButton(int position, int button, plus::PlusGraphics* graphics = nullptr,
                            bool highlight = false, int level = 0);
    // 18: the hover fill of a caption button at alpha `level`.
    void PaintCaptionButtonState(plus::PlusGraphics& graphics, int position, int button, int level);
    // 19: places the row at the right end of the caption and every button in it; updates the
    // tooltip tools.
    void LayoutCaptionButtons(int position);
    // 20: the 1-based button strictly inside which the client point lies, or 0.
    int HitTestCaptionButton(int position, int x, int y);
    // 21: the first maximize button, or 0.
    int FindMaximizeButton(int position);
    // 22: a left press at `point` (client coordinates packed as in lParam): resizes from an edge
    // zone of a resizable window, drags anywhere else off the button row.
    void BeginFrameDrag(int position, LPARAM point);
    // 23: sets the resize cursor of the edge zone under `point`.
    void UpdateFrameCursor(int position, LPARAM point);
    // 24, 25: routines run by kind-4 (A) and kind-3 (B) buttons; nothing for an unknown window.
    void SetHandlerA(HWND window, CaptionRoutine routine);
    void SetHandlerB(HWND window, CaptionRoutine routine);

    // --- Title and status bar (title_status.cpp) ---

    // 26: the icon and the title (the given text, else the window's). Without a graphics the
    // title area is restored from the caption strip first and shown afterwards.
    void PaintTitle(int position, plus::PlusGraphics* graphics = nullptr,
                    std::optional<std::string> text = std::nullopt);
    // 27: builds the status bar of `height`; no panes gives one pane spanning the bar.
    void CreateStatusBar(int position, int height, const std::vector<StatusPane>& panes = {});
    // 28: recomputes the bar and the pane rectangles from the client size.
    void LayoutStatusBar(int position);
    // 29: paints one pane (from 1). Without a graphics the pane is restored from the status
    // strip first and shown afterwards.
    void PaintStatusPane(int position, plus::PlusGraphics* graphics = nullptr, int pane = 1);
    // 30: sets a pane's text (icon and colour when given) and repaints it. False for an unknown
    // window or a pane outside 1..count.
    bool SetStatusPane(HWND window, int pane, const std::string& text,
                       std::optional<ByteSet> icon = std::nullopt,
                       std::optional<COLORREF> textColour = std::nullopt);
    // 31: pane text style; omitted: inverse text on, glow off, text colour 0, glow colour
    // white, font name and size unchanged. Does not repaint. False for an unknown window.
    bool SetStatusStyle(HWND window, std::optional<int> inverseText = std::nullopt,
                        std::optional<int> glow = std::nullopt,
                        std::optional<COLORREF> textColour = std::nullopt,
                        std::optional<COLORREF> glowColour = std::nullopt,
                        std::optional<std::string> fontName = std::nullopt,
                        std::optional<int> fontSize = std::nullopt);

    // --- Image buttons (image_buttons.cpp) ---

    // 32: gives push button `button` the single-image face (kind 1): the image above the
    // caption for layout value 0, left of it otherwise. False, changing nothing, when no
    // window up the button's parent chain is skinned. Registering again replaces the image
    // and tooltip text and keeps the subclassing.
    bool SkinImageButton(HWND button, const ByteSet& image, int layoutValue,
                         std::optional<std::string> tooltip = std::nullopt);
    // 33: gives push button `button` the state-image face (kind 3): normal, hot and pressed
    // images, and the disabled image, each drawn in its state. As SkinImageButton otherwise.
    bool SkinStateImageButton(HWND button, const ByteSet& normal, const ByteSet& hot,
                              const ByteSet& pressed, const ByteSet& disabled,
                              std::optional<std::string> tooltip = std::nullopt);

    // --- Containers, common controls, docked windows (containers.cpp, common_controls.cpp) ---

    // 34: registers a window that holds controls (group box, frame, tab page, panel) with the
    // skinned window above it: the controls inside are skinned like the window's own, and the
    // container is drawn over the skin (group boxes with their frame and caption, plain ones
    // with a rounded double frame when `framed`). `fillValue` is a colour laid over the
    // container's background at `alpha` (only the low byte counts); 0 means none. Omitted:
    // transparent erase on, no fill, alpha 255, no frame. Returns the container's entry number
    // (the existing one when it is registered already), 0 when no window above it is skinned.
    int SkinContainer(HWND container, std::optional<int> transparentErase = std::nullopt,
                      std::optional<int> fillValue = std::nullopt,
                      std::optional<int> alpha = std::nullopt,
                      std::optional<int> framed = std::nullopt);
    // 35: a registered container's fill alpha (low byte), and a repaint; nothing for a
    // container that is not registered or has no fill.
    void SetContainerAlpha(HWND container, int alpha);
    // 37: makes a common control (tab control, tool bar, status bar, month calendar, rich
    // edit ...) draw over the skinned window's background: its own background colour
    // `keyColour` (omitted: COLOR_BTNFACE) is keyed out. A control with child windows is also
    // registered as a container with the two options as fill value and alpha. Returns 0, or
    // the container registration's result.
    int SkinCommonControl(HWND control, std::optional<COLORREF> keyColour = std::nullopt,
                          std::optional<int> containerOption1 = std::nullopt,
                          std::optional<int> containerOption2 = std::nullopt);
    // 38: moves every window docked on the skinned window at `position` to (2, its top offset),
    // as wide as the client area less 4 and reaching down to 3 pixels above the status bar.
    void LayoutDockedWindows(int position);
    // 39: the text colour ("Kj_Ztys") of an edit box, or of a combo box's edit field, and a
    // repaint; nothing for a null handle or a combo box without an edit field.
    void SetControlTextColour(HWND control, COLORREF colour);
    // Docks `docked` on `host` (a skinned window or a registered container) at `topOffset`:
    // the host lays it out on every resize, and once now. Docking again changes the offset.
    // False when the host is neither or `docked` is no window.
    bool DockWindow(HWND host, HWND docked, int topOffset);

    // 40: the theme colour.
    COLORREF GetThemeColour() const;
    // 36: (ButtonsLeft, ButtonsTop, ButtonsLeft + CaptionButtonsWidth, ButtonsTop +
    // ButtonsHeight); empty for a window that is not in the list.
    RECT GetCaptionButtonsRect(HWND window);
    // 41: replaces the system buttons' pictures (omitted ones stay) and repaints the buttons.
    // 0 for a window that is not skinned or has no caption buttons, else 1.
    int SetSystemButtonImages(HWND window, std::optional<ByteSet> minimizeImage = std::nullopt,
                              std::optional<ByteSet> maximizeImage = std::nullopt,
                              std::optional<ByteSet> restoreImage = std::nullopt,
                              std::optional<ByteSet> closeImage = std::nullopt);

    // Pushes a theme change to every visible skinned window: its background is recomposed,
    // and the window, its visible children and its attached windows are invalidated.
    void RepaintSkinnedWindows();

    // --- Fields ---
    MethodThunk WndProcThunk; // window procedure of every skinned top-level window
    int FrameWidth = 0;       // skinned frame width; set to 3 by SkinWindow
    int HotCaptionButton = 0; // caption button under the mouse in the last moved-over window
    MethodThunk ButtonThunk;  // plain two-argument function performing a caption-button click
    std::uintptr_t ButtonThunkAddress = 0; // non-zero once built; clicks are performed only then

private:
    void Rebuild(int position, std::optional<HDC> dc, HDC paintDC, bool wholeClient);
    struct CopyTag {};
    SkinEngine(CopyTag, const SkinEngine& source);

    const OperationTable* operations_;
};

// The table of operations in slot order. An entry is null until its operation exists.
extern const OperationTable SkinEngineOperations;

// Makes a table entry from a member function: a plain function (stdcall on x86) that takes the
// object cell first, then the member's arguments, and calls the member on the object.
template <auto Member> struct OperationThunkTarget;
template <typename R, typename... A, R (SkinEngine::*Member)(A...)>
struct OperationThunkTarget<Member> {
    static R WINAPI Call(SkinEngine* const* self, A... arguments) {
        return ((*self)->*Member)(arguments...);
    }
};
template <typename R, typename... A, R (SkinEngine::*Member)(A...) const>
struct OperationThunkTarget<Member> {
    static R WINAPI Call(SkinEngine* const* self, A... arguments) {
        return ((*self)->*Member)(arguments...);
    }
};
template <auto Member> OperationEntry MakeOperationEntry() {
    return reinterpret_cast<OperationEntry>(&OperationThunkTarget<Member>::Call);
}

// --- Window list ---

// Position (from 1) of the record whose window is `window`, scanning from the first; 0 if none.
int FindWindowPosition(HWND window);

// The record at a 1-based position, or null when there is none.
WindowRecord* RecordAt(int position);

// The position a window's "Hw_lbID" property names, when the record there is that window's;
// 0 otherwise (not skinned, or a stale property left after the record was removed).
int SkinnedPosition(HWND window);

// Appends a record and returns its position.
int AppendWindowRecord(std::unique_ptr<WindowRecord> record);

// InvalidateRect(child, NULL, TRUE) for every visible child window of `window`.
void InvalidateChildren(HWND window);

// --- Start-up and exit ---

// Start-up: constructs TheSkin (before GDI+ starts) and empties the engine-wide lists.
void CreateTheSkin();

// Start-up, after GDI+ has started and AppIcon is loaded: the options' start values
// (FirstPaint, ControlSkinsEnabled, ControlAlpha, AccentColour, TrackBarFrame, in this order).
void SetStartupOptions();

// Exit, after the message loop: frees the window records left, the background DCs still handed
// out and the theme image, then destroys TheSkin (AppIcon, GDI+ shutdown with PlusToken, thunks).
void DestroyTheSkin();

// --- Working set ---

// Empties the process's working set in the calling thread. True on success.
bool TrimWorkingSet();

// Runs TrimWorkingSet on a new thread, as the window procedure does whenever the application is
// deactivated; it touches no skin state. True when the thread was started.
bool StartWorkingSetTrim();

} // namespace skin
