// The window record: everything the skin engine keeps about one skinned top-level window.
//
// Fields are grouped by the code that owns them. The record owns what it holds (images,
// lists, GDI objects in RAII owners), so releasing a record frees it all. New groups are added
// as members here; keep each group's fields together and give each its start value.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skin/core/composition_types.h"
#include "skin/core/dpi.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/glyph_text.h"
#include "skin/core/skin_types.h"

namespace skin {

// The record types of the control families (skin/controls/), declared only: the record holds
// them through FamilyList, and its constructor and destructor are defined where the family
// headers are seen (skin/controls/families.cpp).
#define VARNEL_FAMILY(name, record, ...) struct record;
#include "skin/controls/families.def"

// A control family's records, 1-based positions as seen through "Hw_lbID". Records are never
// removed, so a control keeps its position for the life of the window record.
template <typename Record> using FamilyList = std::vector<std::unique_ptr<Record>>;

// A window repainted together with a skinned window, with the fill laid over the background
// copied for it (fill colour 0 = no fill).
struct AttachedWindow {
    HWND Window = nullptr;
    COLORREF FillColour = 0;
    BYTE FillAlpha = 0;
    int Rounded = 0;
};

// Minimum caption height of a skinned window.
inline constexpr int kMinCaptionHeight = 25;

// The rounded outline of a client size, as PaintBackground fills it: the region of its pixels
// (also the clip the background leaves) and the rectangles inside and outside it. Kept with the
// window for the size it was made for, so a rebuild at an unchanged size does not build it again.
struct OutlineSpans {
    SIZE size{-1, -1};
    gdi::Region region;
    std::vector<RECT> inside;
    std::vector<RECT> outside;
};

// A title's text rendered once on a transparent layer (see DrawHaloText), kept for as long as
// the text, its style and its box stay the same.
struct TextLayer {
    // What it was rendered from.
    std::string text;
    std::string font;
    bool bold = false;
    float size = 0;
    plus::ARGB ink = 0;
    int alignment = 0;
    int lineAlignment = 0;
    float layout[4] = {0, 0, 0, 0}; // x, y, width, height
    // Near-aligned text that fits its box on one line is laid out the same in any box at least
    // this wide (the text's own width and its ink's); 0 when only the box's own width will do.
    float fitsFrom = 0;
    // The layer: width x height pixels with its top-left at image point (left, top).
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

struct WindowRecord {
    WindowRecord();
    ~WindowRecord();
    WindowRecord(const WindowRecord&) = delete;
    WindowRecord& operator=(const WindowRecord&) = delete;

    // --- Identity and install options (written by SkinWindow) ---
    HWND Window = nullptr;
    int CaptionHeight = kMinCaptionHeight;
    int HelpButton = 0;
    int MenuButton = 0;
    int MinimizeButton = 0; // the style had WS_MINIMIZEBOX at install
    int MaximizeButton = 0; // the style had WS_MAXIMIZEBOX at install
    int CloseButton = 1;    // always present
    int ShowTitle = 1;
    int CaptionGloss = 0;
    WNDPROC SavedWindowProc = nullptr; // also in the "Hw_hProc" property
    // The DPI the window is drawn at: taken at SkinWindow, then the one the last WM_DPICHANGED
    // sent (the system's answer is not read again after a change). The sizes kept in this
    // record (caption and status heights, font sizes, pane and button widths) stay 96-dpi
    // sizes; Px scales them where they are laid out and drawn.
    UINT Dpi = kDesignDpi;

    // --- Own background (overrides the theme image and colour) ---
    ByteSet OwnImage;             // prepared for OwnImageMode; empty = use the theme
    int OwnImageMode = 0;         // placement, same values as ThemeImageMode
    COLORREF OwnColour = 0;       // average colour of the own image
    BackgroundPicture OwnPicture; // OwnImage decoded for the painters, kept between repaints

    // --- Caption buttons (caption-button code): button list, row geometry, tooltip ---
    std::vector<CaptionButton> CaptionButtons; // left to right
    int CaptionButtonsWidth = 0; // width reserved at the right end of the caption for the row
    int ButtonsLeft = 0;         // top-left corner of the row
    int ButtonsTop = 0;
    int ButtonsHeight = 0;   // 22 after layout
    CaptionTooltip Tooltip;  // tools 1..n, one per button
    CaptionRoutine HandlerA; // run by kind-4 buttons
    CaptionRoutine HandlerB; // run by kind-3 buttons

    // --- Window state ---
    int IsMaximized = 0; // maximized by the skin
    int Resizable = 1;   // the frame can be dragged to resize
    int HasCaption = 1;  // border, caption strip, title and caption buttons are drawn

    // --- Title (caption-title code) ---
    COLORREF TitleTextColour = 0x00FFFFFF;
    COLORREF TitleHaloColour = 0x00808080;
    std::string TitleFontName = "宋体";
    int TitleFontSize = 12;
    int TitleBold = 1;

    // --- Status bar (status-bar code) ---
    int StatusHeight = 0; // 0 = no status bar
    PaneRect StatusRect;  // the bar (x, y, width, height)
    std::vector<StatusPane> StatusPanes;
    std::vector<PaneRect> StatusPaneRects; // parallel to StatusPanes
    int StatusInverseText = 0;             // plain text in the complement of ThemeColour
    int StatusGlow = 0;                    // text drawn with the glow effect
    COLORREF StatusTextColour = 0x00000000;
    COLORREF StatusGlowColour = 0x00FFFFFF;
    std::string StatusFontName = "宋体";
    int StatusFontSize = 12; // pixels
    FontCache StatusFont;    // the panes' font, made once for many updates
    GlyphText StatusGlyphs;  // the panes' glyphs, rasterised once for many updates

    // --- Child-control family lists (control skins), one per row of the family table
    // (skin/controls/families.def), in the order SkinWindow installs them ---
#define VARNEL_FAMILY(name, record, ...) FamilyList<record> name;
#include "skin/controls/families.def"
    // Hover tracking shared by the families: the control that last saw the mouse, the one
    // drawn hot (0 = none) and its family code (FamilyCode).
    int PointedControl = 0;
    int HotControl = 0;
    int HotFamily = 0;
    HWND HotEditParent = nullptr; // parent of the edit box last drawn hot
    // The skin pictures the control painters draw (check boxes, arrows), decoded once.
    SkinPictureCache ControlPictures;

    // --- Window procedure state ---
    struct HoverFade {
        int Button = 0; // caption button fading, 0 = none
        int Step = 0;   // 0..8
    };
    int Minimized = 0;   // minimized through the skin; painting is left to the default
    int HotButton = 0;   // caption button under the mouse, 0 = none
    HoverFade HoverIn;   // button fading in
    HoverFade HoverOut;  // button fading out
    int MouseInside = 0; // WM_MOUSEHOVER seen since the last WM_MOUSELEAVE
    int HoverTimer = 0;  // the 20 ms animation timer runs

    // --- Back buffer (back-buffer code): BackBufferDC, caption and status strips ---
    int BackgroundStale = 0; // rebuild the back buffer before the next paint
    // A rebuild ran short (no handles or memory): the next whole one also has the system lay
    // out the window's children again, whose clipping it may have failed to update meanwhile.
    bool ShortRebuild = false;
    gdi::MemoryDC BackBufferDC;   // the composed window image ("Ck_Ycjdx", "Ck_wtjbdx")
    gdi::MemoryDC CaptionStripDC; // clean copy of the top CaptionHeight rows
    gdi::MemoryDC StatusStripDC;  // clean copy of StatusRect
    // The client size the back buffer holds. Once the window has been resized its bitmaps may be
    // larger (room to grow into, see RebuildBackground); only this top-left part is the image.
    SIZE BackBufferSize{0, 0};
    SIZE RegionSize{-1, -1}; // the client size of the region last given to the window
    OutlineSpans Outline;    // the rounded outline at BackBufferSize
    TextLayer TitleLayer;    // the title's text, rendered once
    // What was made at the DPI before the last WM_DPICHANGED, swapped with the caches above at
    // each change, so a window moved back (dragged between two monitors) finds them made.
    TextLayer SpareTitleLayer;
    FontCache SpareStatusFont;
    GlyphText SpareStatusGlyphs;
    // Set by a DPI change, cleared by a resize: until then the back buffer and the strips keep
    // a bitmap larger than they need (the one made at the other DPI), since fresh memory is
    // what a rebuild at a new size spends most of its time on.
    int KeepLargerBitmaps = 0;
    // Between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE: the person is dragging the window's frame.
    // Each step's rebuild would have every skinned control paint itself again over the new
    // image, which the next step redoes; during the drag that repaint is owed (the controls
    // keep what they show) and paid once when the drag ends.
    bool LiveSizing = false;
    bool ControlsOwed = false;
    // The skin invalidated the whole client (a resize) and no paint has come since: the next
    // paint's DC reaches every pixel of the client, so a rebuild can show itself through it.
    bool WholeClientInvalid = false;
    // The same for a frame drag's step, which invalidated only the parts the step moves (the
    // rest of the screen shows the right pixels already).
    bool StepBandsInvalid = false;
    // During a frame drag the stretched theme picture keeps the layout it had when the drag
    // began (this client size, running on mirrored past it), and the DPI then: each step
    // composes again only what the size moves (the caption, the right and bottom edges and
    // the status bar) over the image of the step before. The drag's end lays it out afresh.
    SIZE DragPictureSize{0, 0};
    UINT DragDpi = 0;
    // The last rebuild composed every pixel of the image (nothing refused on the way).
    bool ImageWhole = false;

    // --- Containers, common controls and docked windows (container code); each list's first
    // entry starts empty and is filled by the first registration ---
    std::vector<ContainerEntry> Containers = std::vector<ContainerEntry>(1);
    std::vector<CommonControlEntry> CommonControls = std::vector<CommonControlEntry>(1);
    std::vector<DockedWindow> DockedWindows; // laid out by LayoutDockedWindows

    // --- Windows repainted with this one ---
    std::vector<AttachedWindow> AttachedWindows;
};

// A 96-dpi size at the record's DPI (see ScaleToDpi).
inline int Px(const WindowRecord& record, int size) {
    return ScaleToDpi(size, record.Dpi);
}
inline float PxF(const WindowRecord& record, int size) {
    return static_cast<float>(ScaleToDpi(size, record.Dpi));
}

} // namespace skin
