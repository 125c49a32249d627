// Value types of a skinned window's composition that its record holds: caption buttons, status
// panes and their rectangles, the decoded background picture, and the entries of its
// containers, common controls and docked windows. Plain types only: the code that makes and
// paints them lives in skin/services/.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "plus/plus_font.h"
#include "plus/plus_image.h"
#include "plus/plus_object.h"
#include "plus/plus_tooltip.h"
#include "skin/core/kept_picture.h"
#include "skin/core/scroll_bar_types.h"
#include "skin/core/skin_types.h"

namespace skin {

// A routine a caption button runs when clicked (a kind-5 button's own action, HandlerA and
// HandlerB). Empty = none.
using CaptionRoutine = std::function<void()>;

// What a caption button does when clicked.
enum CaptionButtonKind : int {
    kCloseButton = 0,       // SC_CLOSE; 40 pixels wide at layout, belongs at the right end
    kMaximizeButton = 1,    // SC_MAXIMIZE / SC_RESTORE
    kMinimizeButton = 2,    // SC_MINIMIZE
    kHandlerBButton = 3,    // runs HandlerB (the menu button)
    kHandlerAButton = 4,    // runs HandlerA (the help button)
    kApplicationButton = 5, // runs the button's own action
};

// The picture of some image bytes: a built-in skin picture made from its kept pixels, anything
// else decoded; null when the bytes do not decode (or the picture cannot be made).
std::unique_ptr<plus::PlusImage> MakePicture(std::span<const std::uint8_t> bytes);

// The decoded picture of some image bytes, kept so that a hover animation does not decode the
// same picture on every frame. It follows the bytes it is asked for; a copy starts empty.
class PictureCache {
public:
    PictureCache() = default;
    PictureCache(const PictureCache&) {}
    PictureCache& operator=(const PictureCache&) {
        source_.clear();
        image_.reset();
        return *this;
    }
    PictureCache(PictureCache&&) noexcept = default;
    PictureCache& operator=(PictureCache&&) noexcept = default;

    // The picture of `bytes`, decoded when they differ from the last bytes asked for; null for
    // empty bytes or bytes that do not decode. A decode refused for want of memory is not the
    // answer for those bytes: the next request tries again.
    plus::PlusImage* Get(const ByteSet& bytes);

private:
    ByteSet source_;
    std::unique_ptr<plus::PlusImage> image_;
    bool decoded_ = false;
};

// The built-in skin pictures the control painters draw (check boxes, arrows), each decoded the
// first time it is drawn and kept by the window record, so a repaint decodes no PNG. Keyed by
// the constant data, which lives as long as the program; a copy starts empty.
class SkinPictureCache {
public:
    SkinPictureCache() = default;
    SkinPictureCache(const SkinPictureCache&) {}
    SkinPictureCache& operator=(const SkinPictureCache&) {
        entries_.clear();
        return *this;
    }
    SkinPictureCache(SkinPictureCache&&) noexcept = default;
    SkinPictureCache& operator=(SkinPictureCache&&) noexcept = default;

    // The decoded picture of `bytes`; null when they do not decode (asked again next time).
    plus::PlusImage* Get(std::span<const std::uint8_t> bytes);
    size_t size() const { return entries_.size(); }

private:
    struct Entry {
        const std::uint8_t* data;
        size_t size;
        std::unique_ptr<plus::PlusImage> image;
    };
    std::vector<Entry> entries_;
};

// The GDI+ font of a family, size, style and unit, kept so that a text repainted again and
// again (a status pane counting up) does not look its family up every time. It follows the
// last font asked for; a copy starts empty.
class FontCache {
public:
    FontCache() = default;
    FontCache(const FontCache&) {}
    FontCache& operator=(const FontCache&) {
        font_.DeleteFont();
        made_ = false;
        return *this;
    }
    FontCache(FontCache&&) noexcept = default;
    FontCache& operator=(FontCache&&) noexcept = default;

    // The font, made when the request differs from the last one; a font holding nothing when
    // it cannot be made (text drawn with it draws nothing). One refused for want of memory is
    // asked for again next time.
    const plus::PlusFont& Get(const std::string& family, float size, int style, int unit);

private:
    std::string family_;
    float size_ = 0;
    int style_ = 0;
    int unit_ = 0;
    plus::PlusFont font_;
    bool made_ = false;
};

struct CaptionButton {
    int Width = 26;
    int Height = 18;
    ByteSet Image;          // encoded picture drawn in the button
    ByteSet AlternateImage; // maximize button: drawn while the window is maximized
    ByteSet ThirdImage;
    int Kind = kApplicationButton;
    std::string Tooltip;
    CaptionRoutine Action;     // kind 5
    plus::RectF Rect;          // set by LayoutCaptionButtons
    PictureCache Picture;      // the last picture drawn, decoded
    PictureCache SparePicture; // the one drawn at the DPI before the last change
};

// One pane of the status bar, also the definition a caller hands to CreateStatusBar.
struct StatusPane {
    int Width = -1;   // -1: all the width left after the panes before it
    std::string Text; // code page 936
    ByteSet Icon;     // encoded picture at the pane's left; empty = none
    COLORREF TextColour = 0;
};

// A rectangle as (x, y, width, height).
using PaneRect = plus::Rect;

// The tooltip control of a window's caption buttons. The tooltip window has no parent, so it
// would outlive the skinned window; it is destroyed together with the record that owns it.
class CaptionTooltip {
public:
    CaptionTooltip() = default;
    ~CaptionTooltip() { reset(); }
    CaptionTooltip(CaptionTooltip&& other) noexcept
        : tooltip_(std::exchange(other.tooltip_, PlusTooltip())),
          placed_(std::exchange(other.placed_, {})) {}
    CaptionTooltip& operator=(CaptionTooltip&& other) noexcept {
        if (this != &other) {
            reset();
            tooltip_ = std::exchange(other.tooltip_, PlusTooltip());
            placed_ = std::exchange(other.placed_, {});
        }
        return *this;
    }
    CaptionTooltip(const CaptionTooltip&) = delete;
    CaptionTooltip& operator=(const CaptionTooltip&) = delete;

    // Creates the tooltip window for the tools of `owner` (any earlier one is destroyed). With
    // `relayed` the owner's procedure hands over its mouse messages (Relay) instead of the
    // tooltip subclassing the owner, whose subclass looks up its data (three window-property
    // reads) on every message the owner gets.
    HWND Create(HWND owner, bool relayed = false) {
        reset();
        return tooltip_.Create(owner, false, relayed);
    }
    void Relay(UINT message, WPARAM wParam, LPARAM lParam) const {
        tooltip_.RelayEvent(message, wParam, lParam);
    }
    PlusTooltip& get() { return tooltip_; }
    PlusTooltip* operator->() { return &tooltip_; }
    // Gives tool `id` (1-based) its rectangle and text, sending the tooltip window only what
    // differs from what it was last given here: a layout runs at every step of a live resize,
    // where the buttons' places and texts mostly stay as they were.
    void Place(std::uint32_t id, const RECT& rect, const std::string& text) {
        if (id == 0 || !tooltip_.GetTooltipWindow()) return;
        if (placed_.size() < id) placed_.resize(id);
        Placed& last = placed_[id - 1];
        if (!last.known || !EqualRect(&last.rect, &rect)) tooltip_.SetToolRect(id, rect);
        if (!last.known || last.text != text) tooltip_.UpdateTipText(id, text);
        last = {true, rect, text};
    }
    void reset() {
        if (HWND window = tooltip_.GetTooltipWindow(); window && IsWindow(window))
            DestroyWindow(window);
        tooltip_ = PlusTooltip();
        placed_.clear();
    }

private:
    struct Placed {
        bool known = false;
        RECT rect{};
        std::string text;
    };
    PlusTooltip tooltip_;
    std::vector<Placed> placed_;
};

// A window's background picture (the theme image or its own image) decoded once and kept at
// the size the painters can show; made and read by skin/services/background_picture.h.
struct BackgroundPicture {
    // What it was made from: the encoded bytes, the placement mode, the colour the edge bands
    // of modes 0 and 1 blend into and the largest client size it serves.
    ByteSet source;
    int mode = -1;
    COLORREF blendColour = 0;
    SIZE bound{};
    // The image's own size, and where the kept pixels lie in it.
    int fullWidth = 0;
    int fullHeight = 0;
    int offsetX = 0;
    int offsetY = 0;
    // The kept pixels: 32-bit ARGB, top-down rows of `width`. For the centred and top-right
    // placements the part of the image that can show; for the stretched one the whole image
    // reduced to the bound; otherwise its top-left part. The edge-blended modes keep that part
    // with the image's bands already blended into `blendColour`.
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    // Every kept pixel fully opaque: stretched over the window, nothing below it shows.
    bool opaque = false;

    bool Empty() const { return pixels.empty(); }
};

// A window laid out by its host on every resize: from `TopOffset` down, 2 pixels in from the
// left and right edges.
struct DockedWindow {
    HWND Window = nullptr;
    int TopOffset = 0;
};

// A registered container. Entry 1 of a window's list starts empty and is filled by the first
// registration.
struct ContainerEntry {
    HWND Container = nullptr;
    // Colour (COLORREF) laid over the container's background at `Alpha`; 0 = none, and then
    // SetContainerAlpha leaves the entry alone.
    int FillValue = 0;
    BYTE Alpha = 255; // other than 255: the container repaints itself when it moves
    int Framed = 0;   // a plain container gets the rounded double frame
    WNDPROC PreviousProc = nullptr;
    int Repaint = 1;          // set at registration and on WM_SIZE; cleared by PaintContainer
    int IsGroupBox = 0;       // a "Button" with the group-box style bit
    int TransparentErase = 1; // WM_ERASEBKGND leaves the skin showing through
    std::string FontName;     // the group box's font
    int FontSize = 0;         // pixels at FontDpi
    UINT FontDpi = 96;        // the container's DPI when its font was read (96 for the default)
    int FontStyle = 0;
    std::string Caption; // the group box's text, renewed on WM_SETTEXT
    std::vector<DockedWindow> Docked;
    KeptPicture Kept; // the last pictures painted, with the look and background of each
};

// A skinned common control. Entry 1 of a window's list starts empty.
struct CommonControlEntry {
    HWND Control = nullptr;
    WNDPROC PreviousProc = nullptr;
    COLORREF KeyColour = 0;    // the control's own background colour, keyed out over the skin
    ScrollBarState ScrollBars; // a rich edit's
};

} // namespace skin
