// Window background, region and back buffer: helpers shared by the composition code. The
// public operations (RebuildBackground, ShowBackBuffer, PaintBackground, PaintBorder,
// RestoreCaptionRect, RestoreStatusRect) are SkinEngine members.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "skin/core/window_record.h"
#include "skin/services/direct_pixels.h"

namespace skin {

// A GDI+ graphics that draws straight into the back buffer's pixels. The back buffer is a
// 32-bit top-down DIB section; a GDI+ bitmap over the same memory lets GDI+ render in place
// instead of through the DC, which makes it blend a copy of every shape's bounds (several
// milliseconds for a window-sized outline). GDI and GDI+ then share the pixels, so GDI calls
// on the back buffer are flushed before GDI+ draws again.
//
// The painters also write some shapes straight into those pixels (see direct_pixels.h); they
// find them through DirectPixels(graphics).
class BackBufferCanvas {
public:
    explicit BackBufferCanvas(const WindowRecord& record);
    // A canvas over `area` of the back buffer only (image coordinates stay those of the whole
    // buffer): nothing lands outside the area, as with a clip, but without a clip's cost (a
    // software GDI+ turns its clip into a region on every call).
    BackBufferCanvas(const WindowRecord& record, const RECT& area);
    ~BackBufferCanvas();
    BackBufferCanvas(const BackBufferCanvas&) = delete;
    BackBufferCanvas& operator=(const BackBufferCanvas&) = delete;

    plus::PlusGraphics& graphics() { return graphics_; }
    // False when no graphics could be made (GDI+ or the system out of memory or handles).
    bool ready() const { return graphics_.GetHandle() != nullptr; }

    // The graphics of a canvas, which knows the pixels it draws on.
    class Graphics : public plus::PlusGraphics {
    public:
        PixelRows pixels;
    };

private:
    plus::PlusBitmap bitmap_;
    Graphics graphics_;
};

// The parts of a frame drag's image that a step from the client size `before` to `size`
// moves (the caption rows, the right edge, the rows from the status bar down), when the
// rest of the image composed at `before` is still right at `size`; empty when the whole image
// is to be composed and shown.
std::vector<RECT> DragStepBands(const WindowRecord& record, SIZE before, SIZE size);

// How many rounded-border corner pieces this thread keeps (each outline's four, once made).
std::size_t KeptCornerLayerCount();

// The back-buffer pixels `graphics` draws on when it is a canvas's graphics drawing straight
// into them; empty for any other graphics (which the painters then draw on with GDI+ alone).
PixelRows DirectPixels(plus::PlusGraphics& graphics);

// Gives the window the rounded region of its client size: CreateRoundRectRgn(0, 0, width + 1,
// height + 1, corner, corner), unless it has that region already. The system owns the region
// afterwards. False when the region could not be made or set (no GDI handles left): the window
// keeps the region it had.
bool SetRoundRegion(HWND window, int corner = 5);
// The same for a skinned window (corner 5 at 96 dpi, scaled to its DPI), which remembers the
// size it was given a region for and asks the system nothing while the size stays. A size whose
// region could not be set is not remembered, so the next rebuild tries again.
void SetRoundRegion(WindowRecord& record);

// The image pixels of the window's back buffer: the top-left BackBufferSize of its bitmap,
// which may be larger (see RebuildBackground); empty before the first rebuild.
PixelRows BackBufferPixels(const WindowRecord& record);

// Keeps a copy of the back buffer from painting over the window's children: excludes from `dc`
// (a DC of the window made with its style: GetDC, BeginPaint) the client rectangle of every
// visible child that is not WS_EX_TRANSPARENT. With WS_CLIPCHILDREN such a DC already leaves
// those children out, and nothing is done.
void ExcludeOpaqueChildren(HWND window, HDC dc);

// The window's DC with its opaque children excluded (see ExcludeOpaqueChildren).
gdi::WindowDC ChildSafeWindowDC(HWND window);

// Copies the rectangle (left, top, right, bottom) of the back buffer to the same place on the
// window, leaving opaque children alone. Used by the partial repaints (title, pane, button).
void ShowBackBufferRect(const WindowRecord& record, const RECT& rect);

// Limits a graphics that repaints one rectangle to that rectangle, so nothing it draws (a
// halo, a glow, a separator) lands outside the area that was restored from the strip.
void ClipTo(plus::PlusGraphics& graphics, const RECT& area);

// The parts of the client rectangle (0, 0, width, height) outside the window's rounded outline
// (AddRoundedRect with corner size 4), as device rectangles of `graphics`.
std::vector<RECT> OutsideTheOutline(int width, int height, const plus::PlusGraphics& graphics);

// The background picture for the window's image mode and where it goes on the client: mode 4
// a strip as wide as the client of tiles alternating normal and mirrored, modes 0 to 3 the
// image (as much of it as can show; stretched: over the client), anything else (or an image
// that does not decode) no image. The decoded picture is kept with the theme or the window
// (BackgroundPicture), so a repaint decodes nothing.
struct PreparedBackground {
    std::unique_ptr<plus::PlusBitmap> image;
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};
PreparedBackground PrepareBackgroundImage(WindowRecord& record, const RECT& clientRect);

// The kept picture the window's background image is drawn from at this client size (the
// window's own image or the theme's), made on first use; null when there is none or it does not
// decode.
const BackgroundPicture* KeptBackgroundPicture(WindowRecord& record, const RECT& clientRect);

// Invalidates the skinned child controls whose parent is the window; for buttons (the first
// family) their visible children too.
void InvalidateSkinnedControls(int position);

// InvalidateRect on the window, then on each visible child when `includeChildren`.
void InvalidateWithChildren(HWND window, bool includeChildren);

} // namespace skin
