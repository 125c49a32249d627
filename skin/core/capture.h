// Background capture: the picture that lies behind a child control on a skinned window, so the
// control can paint itself off-screen and look as if it were drawn on the window.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace skin {

struct WindowRecord;

// One entry of the engine-wide list of handed-out background DCs.
struct CapturedDC {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;      // the 32-bit ARGB bitmap selected into dc
    HGDIOBJ savedBitmap = nullptr; // the bitmap dc had when it was created
};

// Where a window's background comes from.
struct BackgroundOwner {
    bool found = false;    // a skinned window's record was found
    int position = 0;      // 1-based record position in WindowList, 0 = none
    int attachedIndex = 0; // 1-based entry in that record's attached-window list, 0 = none
    HWND templateWindow = nullptr;
};

// Where one paint of a control takes its background from, resolved once and handed down: the
// owner found up the control's parent chain, the record whose back buffer is copied (the
// owner's, or for an attached window without a skinned owner the nearest skinned window
// above the control), the control's own entry in that record's attached windows and the
// control's place in the window of that record (OffsetInOwner).
struct BackgroundSource {
    BackgroundOwner owner;
    int position = 0; // 1-based record position, 0 = no back buffer to copy
    const WindowRecord* record = nullptr;
    int attachedIndex = 0; // 1-based, 0 = the control is not attached to that record
    RECT offset{};
};

// The source of `control`'s background now (FindBackgroundOwner with the host templates).
BackgroundSource ResolveBackgroundSource(HWND control);

// The pixels a capture of `rect` (the control's window coordinates) from `source` would copy,
// read in place in the owner's back buffer (a 32-bit top-down DIB section): `first` is the
// rect's top-left pixel and `stride` the pixels from one row to the next. Null when a capture
// would hold anything else: no back buffer to copy, an attached window's fill laid over it, or
// a rect not wholly inside the back buffer's bitmap.
struct BackgroundRows {
    const std::uint32_t* first = nullptr;
    std::ptrdiff_t stride = 0;
    const std::uint32_t* Row(int y) const { return first + y * stride; }
};
BackgroundRows BackgroundInPlace(const BackgroundSource& source, const RECT& rect);

// A (right - left) x (bottom - top) 32-bit memory DC holding the back buffer of the owning
// skinned window at the control's place. rect is in the control's window coordinates. The DC
// stays listed in CapturedDCs until ReleaseBackground (or DcToBitmap) is given it; prefer the
// CapturedBackground owner below, which cannot forget.
HDC CaptureBackground(HWND control, const RECT& rect);
// The same from a source resolved for this paint.
HDC CaptureBackground(HWND control, const BackgroundSource& source, const RECT& rect);

// Selects the saved bitmap back, deletes the capture bitmap and the DC, and drops the entry.
// False (and nothing deleted) for 0 or a DC that is not listed.
bool ReleaseBackground(HDC dc);

// Adds an entry, or updates the bitmaps of the entry that already has dc.
void RegisterCapturedDC(HDC dc, HBITMAP bitmap, HGDIOBJ savedBitmap);

// Releases every DC still handed out (as ReleaseBackground does) and empties the list; run by
// the exit routine.
void ReleaseAllBackgrounds();

// Number of DCs handed out and not yet released (for tests and leak checks).
int CapturedDCCount();

BackgroundOwner FindBackgroundOwner(HWND window, bool checkTemplates);

// Position in WindowList of the nearest window on the parent chain of `window` (itself
// included) that is a skinned window; 0 when the chain ends without one.
int NearestSkinnedAncestor(HWND window);

// Lays the translucent-controls wash (white at ControlAlpha) over a w x h picture.
void WashPicture(HDC picture, int w, int h);

// The control's window rectangle relative to the window rectangle of the skinned (or attached)
// window that owns it; empty for a skinned top-level window itself.
RECT OffsetInOwner(HWND control);

// The control's client area in its own window coordinates (scroll bars assumed 17 wide).
RECT ClientRectInWindow(HWND control);

// A device-compatible copy of a captured DC's picture; releases the captured DC.
HBITMAP DcToBitmap(HDC dc, int width, int height);

// The background behind the control's client area, washed with white at ControlAlpha; the
// caller owns the bitmap.
HBITMAP WashedBackgroundBitmap(HWND control);

// The window's class name (at most 254 bytes).
std::string ClassNameOf(HWND window);

// Owns one captured background for the length of a paint: the DC is released on every path.
class CapturedBackground {
public:
    CapturedBackground(HWND control, const RECT& rect)
        : dc_(CaptureBackground(control, rect)), width_(rect.right - rect.left),
          height_(rect.bottom - rect.top) {}
    CapturedBackground(HWND control, const BackgroundSource& source, const RECT& rect)
        : dc_(CaptureBackground(control, source, rect)), width_(rect.right - rect.left),
          height_(rect.bottom - rect.top) {}
    ~CapturedBackground() { ReleaseBackground(dc_); }
    CapturedBackground(const CapturedBackground&) = delete;
    CapturedBackground& operator=(const CapturedBackground&) = delete;

    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Hands the picture over as a bitmap the caller owns; the DC is released here.
    HBITMAP TakeBitmap() {
        HDC dc = dc_;
        dc_ = nullptr;
        return DcToBitmap(dc, width_, height_);
    }

private:
    HDC dc_;
    int width_;
    int height_;
};

} // namespace skin
