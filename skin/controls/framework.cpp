#include "skin/controls/framework.h"

#include "plus/plus_brush.h"
#include "plus/plus_faults.h"
#include "plus/plus_font.h"
#include "plus/plus_font_family.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "plus/plus_pen.h"
#include "skin/core/capture.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/paint_phases.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/core/window_services.h"
#include "skin/images/skin_pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace skin {
namespace {

INT_PTR PropertyOf(HWND window, const char* name) {
    return GetPropValue(window, name);
}

void SetProperty(HWND window, const char* name, INT_PTR value) {
    SetPropValue(window, name, value);
}

// The scroll bar's rectangle in screen coordinates; empty when the control has none of that
// kind (or the system cannot tell).
RECT ScrollBarRect(HWND control, LONG objectId) {
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    if (!GetScrollBarInfo(control, objectId, &info)) return RECT{};
    return info.rcScrollBar;
}

} // namespace

WNDPROC SubclassControl(HWND control, int position, int windowIndex, WNDPROC procedure) {
    SetProperty(control, kPropPosition, position);
    SetProperty(control, kPropOwnerPosition, windowIndex);
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    SetPropValue(control, kPropSavedProc, reinterpret_cast<LONG_PTR>(previous));
    return previous;
}

bool RunsProcedure(HWND control, WNDPROC procedure) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC)) == procedure;
}

LRESULT CallSavedProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto saved = reinterpret_cast<WNDPROC>(GetPropValue(control, kPropSavedProc));
    if (!saved) return DefWindowProcA(control, message, wParam, lParam);
    return CallWindowProcA(saved, control, message, wParam, lParam);
}

LRESULT CallSavedProcedure(WNDPROC saved, HWND control, UINT message, WPARAM wParam,
                           LPARAM lParam) {
    if (!saved) return CallSavedProcedure(control, message, wParam, lParam);
    return CallWindowProcA(saved, control, message, wParam, lParam);
}

WindowRecord* OwnerRecordAt(int windowIndex) {
    return RecordAt(windowIndex);
}

WindowRecord* OwnerRecordOf(HWND control) {
    return RecordAt(static_cast<int>(PropertyOf(control, kPropOwnerPosition)));
}

UINT ControlDpi(HWND control) {
    if (const WindowRecord* owner = OwnerRecordOf(control)) return owner->Dpi;
    return WindowDpi(GetAncestor(control, GA_ROOT));
}

float ControlPx(HWND control, int size) {
    return static_cast<float>(ScaleToDpi(size, ControlDpi(control)));
}

plus::PlusImage* ControlPicture(HWND control, std::span<const std::uint8_t> picture, UINT dpi) {
    WindowRecord* owner = OwnerRecordOf(control);
    return owner ? owner->ControlPictures.Get(SkinPictureForDpi(picture, dpi)) : nullptr;
}

constexpr int kInterpolationHighQualityBicubic = 7;

void DrawSkinPicture(plus::PlusGraphics& graphics, HWND control,
                     std::span<const std::uint8_t> picture, UINT dpi, float x, float y, float width,
                     float height) {
    // Kept by the control's window record; decoded here for a control that has none.
    std::unique_ptr<plus::PlusImage> own;
    plus::PlusImage* image = ControlPicture(control, picture, dpi);
    if (!image && (own = MakePicture(SkinPictureForDpi(picture, dpi)))) image = own.get();
    if (!image) return;
    if (dpi <= kDesignDpi) {
        // Given its own size: drawn without one, GDI+ would scale it by the graphics' DPI,
        // which is the system's, not this window's.
        graphics.DrawImageRect(*image, x, y, static_cast<float>(image->GetWidth()),
                               static_cast<float>(image->GetHeight()));
        return;
    }
    const bool fits = static_cast<float>(image->GetWidth()) == width &&
                      static_cast<float>(image->GetHeight()) == height;
    const int mode = graphics.GetInterpolationMode();
    if (!fits) graphics.SetInterpolationMode(kInterpolationHighQualityBicubic);
    graphics.DrawImageRect(*image, x, y, width, height);
    if (!fits) graphics.SetInterpolationMode(mode);
}

int OwnerIndexOf(HWND control) {
    return static_cast<int>(PropertyOf(control, kPropOwnerPosition));
}

int ListPositionOf(HWND control) {
    return static_cast<int>(PropertyOf(control, kPropPosition));
}

bool TrackHover(HWND control, const HoverRule& rule, bool samePart) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = control;
    TrackMouseEvent(&track);

    WindowRecord* record = OwnerRecordOf(control);
    if (!record) return false;
    const int position = ListPositionOf(control);
    record->PointedControl = position;
    const bool sameFamily = record->HotFamily == rule.family;
    const bool sameControl = record->HotControl == position && sameFamily;
    bool repaint = false;
    switch (rule.match) {
        case HoverMatch::Control: repaint = !sameControl || !samePart; break;
        case HoverMatch::ControlAndParent:
            repaint = !sameControl || record->HotEditParent != GetParent(control);
            break;
        case HoverMatch::PositionedControl:
            repaint = (position >= 1 && record->HotControl != position) || !sameFamily;
            break;
        case HoverMatch::None: break;
    }
    record->HotControl = position;
    record->HotFamily = rule.family;
    if (rule.match == HoverMatch::ControlAndParent) record->HotEditParent = GetParent(control);
    return repaint;
}

void EndHover(HWND control) {
    if (WindowRecord* record = OwnerRecordOf(control)) record->HotControl = 0;
}

bool ControlSkinsOn() {
    return Engine.ControlSkinsEnabled != 0;
}

bool TranslucentMode() {
    return Engine.TranslucentControls != 0;
}

bool TranslucentControlsOn() {
    // System colours leave no room for a wash.
    return Engine.ControlSkinsEnabled != 0 && Engine.TranslucentControls != 0 && !SystemLookOn();
}

ControlFont ReadControlFont(HWND window) {
    ControlFont result;
    auto handle = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    gdi::WindowDC dc(window);
    plus::PlusFont font;
    font.CreateFromDcFont(dc.get(), handle);
    result.size = static_cast<int>(font.GetSize());
    result.style = font.GetStyle();
    plus::PlusFontFamily family;
    if (font.GetFamily(family)) {
        result.family = family.GetFamilyName();
        family.DeleteFontFamily();
    }
    return result;
}

std::string WindowTextOf(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::string WindowTextOf(HWND window, WNDPROC saved) {
    if (!saved) return WindowTextOf(window);
    const auto length = CallWindowProcA(saved, window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const auto copied = CallWindowProcA(saved, window, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? std::min(static_cast<size_t>(copied), text.size()) : 0);
    return text;
}

COLORREF TextColourOf(HWND control) {
    return static_cast<COLORREF>(GetPropValue(control, kPropTextColour));
}

FrameGeometry MeasureFrame(HWND control) {
    FrameGeometry f;
    RECT window{}, client{};
    GetWindowRect(control, &window);
    GetClientRect(control, &client);
    f.w = window.right - window.left;
    f.h = window.bottom - window.top;
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    f.iw = client.right - client.left;
    f.ih = client.bottom - client.top;
    if (style & WS_VSCROLL) {
        const RECT bar = ScrollBarRect(control, OBJID_VSCROLL);
        f.iw += bar.right - bar.left;
    }
    if (style & WS_HSCROLL) {
        const RECT bar = ScrollBarRect(control, OBJID_HSCROLL);
        f.ih += bar.bottom - bar.top;
    }
    f.ox = static_cast<int>(std::floor((f.w - f.iw) / 2.0));
    f.oy = static_cast<int>(std::floor((f.h - f.ih) / 2.0));
    return f;
}

bool HasScrollBars(HWND control) {
    return (GetWindowLongA(control, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) != 0;
}

HRGN ScrollBarRegion(HWND control) {
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    gdi::Region horizontal, vertical;
    if (style & WS_HSCROLL) {
        const RECT r = ScrollBarRect(control, OBJID_HSCROLL);
        horizontal.reset(CreateRectRgnIndirect(&r));
    }
    if (style & WS_VSCROLL) {
        RECT r = ScrollBarRect(control, OBJID_VSCROLL);
        // With both bars the size box below the vertical bar is theirs too.
        if (style & WS_HSCROLL) r.bottom += r.right - r.left;
        vertical.reset(CreateRectRgnIndirect(&r));
    }
    if (horizontal && vertical) {
        gdi::Region both(CreateRectRgn(0, 0, 0, 0));
        CombineRgn(both.get(), horizontal.get(), vertical.get(), RGN_OR);
        return both.release();
    }
    return horizontal ? horizontal.release() : vertical.release();
}

namespace {

// Washes the w x h picture in `dc`, or puts back the washed picture `kept` holds for this
// background and wash.
Look WashLook(int w, int h) {
    Look look;
    look << w << h << Engine.ControlAlpha;
    return look;
}

void WashOrPutBack(KeptPicture* kept, HDC dc, int w, int h) {
    if (!kept) {
        WashPicture(dc, w, h);
        return;
    }
    if (PutKeptPicture(*kept, WashLook(w, h), dc, w, h)) return;
    WashPicture(dc, w, h);
    KeepPicture(*kept, dc, w, h);
}

// The client area's place in the window, as the wash pictures take it.
RECT WashedPartInWindow(HWND control, const RECT& part) {
    const RECT client = ClientRectInWindow(control);
    RECT r = part;
    OffsetRect(&r, client.left, client.top);
    IntersectRect(&r, &r, &client);
    return r;
}

} // namespace

void PaintTranslucentBackground(HWND control, std::optional<HDC> dc, KeptPicture* kept) {
    const PhaseClock clock(PaintPhase::Capture);
    const RECT r = ClientRectInWindow(control);
    // Owner, record, attached entry and offset are looked up once for the whole paint.
    const BackgroundSource source = ResolveBackgroundSource(control);
    CapturedBackground background(control, source, r);
    WashOrPutBack(kept, background.dc(), background.width(), background.height());
    if (dc) {
        BitBlt(*dc, 0, 0, background.width(), background.height(), background.dc(), 0, 0, SRCCOPY);
        return;
    }
    gdi::WindowDC whole = gdi::WindowDC::Whole(control);
    BitBlt(whole.get(), r.left, r.top, background.width(), background.height(), background.dc(), 0,
           0, SRCCOPY);
}

namespace {

// Where each band of the ring lies in the frame (`at`), and in which kept picture (`sides`:
// the left and right bands side by side, else the top and bottom bands one above the other)
// at which place (`kept`).
struct RingBand {
    RECT at;
    bool sides;
    POINT kept;
};
std::array<RingBand, 4> RingBands(const FrameGeometry& f) {
    return {RingBand{{0, 0, f.w, f.oy}, false, {0, 0}},
            RingBand{{0, f.oy + f.ih, f.w, f.h}, false, {0, f.oy}},
            RingBand{{0, f.oy, f.ox, f.oy + f.ih}, true, {0, 0}},
            RingBand{{f.ox + f.iw, f.oy, f.w, f.oy + f.ih}, true, {f.ox, 0}}};
}

bool IsEmptyBand(const RingBand& b) {
    return b.at.right <= b.at.left || b.at.bottom <= b.at.top;
}

// The ring drawn by `draw` on a scratch picture of the frame's size, its bands copied into the
// two kept pictures (each no larger than its bands). False when a picture could not be made.
bool KeepRing(HWND window, const FrameGeometry& f, const std::function<void(HDC)>& draw,
              KeptRing::Entry& kept) {
    const int below = f.h - f.oy - f.ih, right = f.w - f.ox - f.iw;
    gdi::WindowDC screen = gdi::WindowDC::Whole(window);
    gdi::MemoryDC scratch = gdi::MemoryDC::Create(screen.get());
    gdi::MemoryDC target = gdi::MemoryDC::Create(screen.get());
    gdi::Bitmap whole = gdi::CreateArgbBitmap(f.w, f.h);
    kept.Across = gdi::CreateArgbBitmap(f.w, std::max(1, f.oy + below));
    kept.Sides = gdi::CreateArgbBitmap(std::max(1, f.ox + right), std::max(1, f.ih));
    if (!scratch || !target || !whole || !kept.Across || !kept.Sides) return false;
    {
        gdi::Selection wholeIn(scratch.get(), whole.get());
        // A step that failed on the way (a drawing object refused, a clip the system could not
        // make when short of handles) leaves the ring incomplete: it is not kept.
        kept.FailedBefore = plus::CallsFailed();
        draw(scratch.get());
        if (plus::CallsFailed() != kept.FailedBefore || !HandlesToSpare()) return false;
        for (const bool sides : {false, true}) {
            gdi::Selection keptIn(target.get(), sides ? kept.Sides.get() : kept.Across.get());
            for (const RingBand& b : RingBands(f))
                if (b.sides == sides && !IsEmptyBand(b))
                    BitBlt(target.get(), b.kept.x, b.kept.y, b.at.right - b.at.left,
                           b.at.bottom - b.at.top, scratch.get(), b.at.left, b.at.top, SRCCOPY);
        }
    }
    return true;
}

void PutRing(HWND window, const FrameGeometry& f, const KeptRing::Entry& kept) {
    gdi::WindowDC dc = gdi::WindowDC::Whole(window);
    gdi::MemoryDC source = gdi::MemoryDC::Create(dc.get());
    if (!dc || !source) return;
    for (const bool sides : {false, true}) {
        gdi::Selection keptIn(source.get(), sides ? kept.Sides.get() : kept.Across.get());
        for (const RingBand& b : RingBands(f))
            if (b.sides == sides && !IsEmptyBand(b))
                BitBlt(dc.get(), b.at.left, b.at.top, b.at.right - b.at.left,
                       b.at.bottom - b.at.top, source.get(), b.kept.x, b.kept.y, SRCCOPY);
    }
}

} // namespace

void PutKeptRing(HWND control, const FrameGeometry& f, bool hot, bool focused, UINT dpi,
                 KeptRing& kept, const std::function<void(HDC)>& draw) {
    const PhaseClock clock(PaintPhase::Ring);
    const KeptRing::Look look{f.w, f.h, f.ox, f.oy, f.iw, f.ih, hot, focused, Engine.AccentColour,
                              dpi};
    auto entry = std::find_if(kept.Entries.begin(), kept.Entries.end(),
                              [&](const KeptRing::Entry& e) { return e.Shown == look; });
    if (entry == kept.Entries.end()) {
        // Rings of another frame (the control resized, or moved to another DPI) go at once:
        // each holds two pictures.
        std::erase_if(kept.Entries, [&](const KeptRing::Entry& e) {
            const KeptRing::Look& o = e.Shown;
            return o.w != look.w || o.h != look.h || o.ox != look.ox || o.oy != look.oy ||
                   o.iw != look.iw || o.ih != look.ih || o.dpi != look.dpi;
        });
        if (kept.Entries.size() < KeptRing::kLooks) {
            kept.Entries.emplace_back();
            entry = kept.Entries.end() - 1;
        } else {
            entry = std::min_element(
                kept.Entries.begin(), kept.Entries.end(),
                [](const KeptRing::Entry& a, const KeptRing::Entry& b) { return a.Used < b.Used; });
        }
        entry->Across.reset();
    }
    entry->Used = ++kept.Clock;
    if (!entry->Across || !entry->Sides || plus::CallsFailed() != entry->FailedBefore) {
        entry->Shown = look;
        if (!KeepRing(control, f, draw, *entry)) {
            // No pictures to keep (handles or memory short): nothing is put back, and the next
            // paint tries again.
            kept.Entries.erase(entry);
            return;
        }
    }
    PutRing(control, f, *entry);
}

namespace {

// The entry of `kept` that holds a whole picture (`size` pixels) of `look` drawn since the last
// failed wrapper call; null when there is none.
template <typename Kept> auto* WholeKeptEntry(Kept& kept, const Look& look, std::size_t size) {
    const auto entry =
        std::find_if(kept.Entries.begin(), kept.Entries.end(), [&](const KeptPicture::Entry& e) {
            return e.Shown == look.bytes && e.Under.size() == size && e.Picture.size() == size &&
                   plus::CallsFailed() == e.FailedBefore;
        });
    return entry == kept.Entries.end() ? nullptr : &*entry;
}

// True when `entry`'s picture has the key colour nowhere but inside the frame's inner box (or
// nowhere at all): the ring's bands then go to the screen as they are.
bool KeyOnlyInside(const KeptPicture::Entry& entry, const FrameGeometry& f) {
    if (!entry.Keyed) return true;
    return entry.KeyRight > entry.KeyLeft && entry.KeyLeft >= f.ox && entry.KeyTop >= f.oy &&
           entry.KeyRight <= f.ox + f.iw && entry.KeyBottom <= f.oy + f.ih;
}

bool KeyOnlyInside(const KeptPicture& kept, const FrameGeometry& f) {
    if (kept.Current >= kept.Entries.size()) return false;
    const KeptPicture::Entry& entry = kept.Entries[kept.Current];
    return !entry.Shown.empty() && !entry.Picture.empty() && KeyOnlyInside(entry, f);
}

// Puts the ring `kept` holds for `look` on the screen when the background it was drawn over is
// still what the owner's back buffer holds under the control, compared there in place: no
// capture is made (a ring shown again on a focus change or hover costs little else).
bool PutKeptRingInPlace(HWND control, const FrameGeometry& f, KeptPicture& kept, const Look& look,
                        const BackgroundSource& source) {
    const PhaseClock clock(PaintPhase::Kept);
    const std::size_t size = static_cast<std::size_t>(f.w) * static_cast<std::size_t>(f.h);
    KeptPicture::Entry* entry = WholeKeptEntry(kept, look, size);
    if (!entry || !KeyOnlyInside(*entry, f)) return false;
    const BackgroundRows rows = BackgroundInPlace(source, RECT{0, 0, f.w, f.h});
    if (!rows.first) return false;
    for (int y = 0; y < f.h; ++y) {
        const auto at = entry->Under.begin() + static_cast<std::ptrdiff_t>(y) * f.w;
        if (!std::equal(at, at + f.w, rows.Row(y))) return false;
    }
    kept.Current = static_cast<std::size_t>(entry - kept.Entries.data());
    entry->Used = ++kept.Clock;
    const PhaseClock copy(PaintPhase::Copy);
    gdi::WindowDC dc = gdi::WindowDC::Whole(control);
    ExcludeClipRect(dc.get(), f.ox, f.oy, f.ox + f.iw, f.oy + f.ih);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), f.w, -f.h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBitsToDevice(dc.get(), 0, 0, static_cast<DWORD>(f.w), static_cast<DWORD>(f.h), 0, 0, 0,
                      static_cast<UINT>(f.h), entry->Picture.data(), &info, DIB_RGB_COLORS);
    return true;
}

} // namespace

void PutTranslucentRing(HWND control, const FrameGeometry& f, bool hot, bool focused, UINT dpi,
                        KeptPicture* kept, const std::function<void(HDC)>& draw, bool keyed) {
    Look look;
    look << f.w << f.h << f.ox << f.oy << f.iw << f.ih << hot << focused << Engine.AccentColour
         << Engine.ControlAlpha << dpi;
    // Owner, record and offset are looked up once for the whole paint.
    const BackgroundSource source = ResolveBackgroundSource(control);
    if (kept && PutKeptRingInPlace(control, f, *kept, look, source)) return;
    CapturedBackground background(control, source, RECT{0, 0, f.w, f.h});
    if (!background.dc()) return;
    if (!kept) {
        draw(background.dc());
    } else if (!PutKeptPicture(*kept, look, background.dc(), f.w, f.h)) {
        draw(background.dc());
        KeepPicture(*kept, background.dc(), f.w, f.h);
    }
    gdi::WindowDC dc = gdi::WindowDC::Whole(control);
    if (!keyed || (kept && KeyOnlyInside(*kept, f))) {
        // Only the four bands go to the screen: one copy of the whole frame with the inner box
        // clipped out sends this platform's display the pixels of the whole rectangle.
        const PhaseClock clock(PaintPhase::Copy);
        for (const RingBand& b : RingBands(f))
            if (!IsEmptyBand(b))
                BitBlt(dc.get(), b.at.left, b.at.top, b.at.right - b.at.left,
                       b.at.bottom - b.at.top, background.dc(), b.at.left, b.at.top, SRCCOPY);
        return;
    }
    ExcludeClipRect(dc.get(), f.ox, f.oy, f.ox + f.iw, f.oy + f.ih);
    if (keyed) {
        // The inner box is key colour and left out by the clip as well: a kept ring without
        // key pixels elsewhere goes out as a plain copy (the keyed one cost a list's focus
        // change about 0.3 ms per ring).
        if (kept)
            CopyKeptOrKeyed(dc.get(), *kept, background.dc(), f.w, f.h);
        else
            CopyKeyed(dc.get(), background.dc(), f.w, f.h);
        return;
    }
    const PhaseClock clock(PaintPhase::Copy);
    BitBlt(dc.get(), 0, 0, f.w, f.h, background.dc(), 0, 0, SRCCOPY);
}

void CopyKeyed(HDC target, HDC picture, int w, int h) {
    const PhaseClock clock(PaintPhase::Copy);
    TransparentBlt(target, 0, 0, w, h, picture, 0, 0, w, h, kKeyColour);
}

namespace {

// The rows of the 32-bit DIB section selected into `dc`, when it holds one at least w wide and
// exactly h high. GetObject does not tell a top-down section from a bottom-up one here, so the
// rows are taken in memory order: both pictures of LayKeyedOnto come from CreateArgbBitmap.
struct DibRows {
    std::uint8_t* first = nullptr;
    std::ptrdiff_t stride = 0;
    std::uint8_t* Row(int y) const { return first + y * stride; }
};
DibRows DibPixels(HDC dc, int w, int h) {
    DIBSECTION dib{};
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    if (!bitmap || GetObjectA(bitmap, sizeof(dib), &dib) != sizeof(dib)) return {};
    if (dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits || dib.dsBm.bmWidth < w ||
        dib.dsBm.bmHeight != h)
        return {};
    return {static_cast<std::uint8_t*>(dib.dsBm.bmBits), dib.dsBm.bmWidthBytes};
}

} // namespace

void LayKeyedOnto(HDC target, HDC picture, int w, int h) {
    const PhaseClock clock(PaintPhase::Copy);
    const DibRows to = DibPixels(target, w, h), from = DibPixels(picture, w, h);
    if (!to.first || !from.first) {
        CopyKeyed(target, picture, w, h);
        return;
    }
    GdiFlush();
    for (int y = 0; y < h; ++y) {
        std::uint8_t* t = to.Row(y);
        const std::uint8_t* f = from.Row(y);
        for (int x = 0; x < w; ++x, t += 4, f += 4) {
            const int b = f[0], g = f[1], r = f[2];
            const int keyShare = r - g; // (1 - coverage) x 255 for grey ink on the key
            if (keyShare <= 0 || std::abs((b - g) - keyShare) > 2) {
                t[0] = f[0], t[1] = f[1], t[2] = f[2];
                continue;
            }
            const int cover = 255 - keyShare; // the ink's coverage, 0..255
            if (cover == 0) continue;         // the key itself: the target shows
            const int ink = std::min(255, g * 255 / cover);
            for (int c = 0; c < 3; ++c)
                t[c] = static_cast<std::uint8_t>((ink * cover + t[c] * keyShare + 127) / 255);
        }
    }
}

namespace {

// Calls visit(row pointer) for each of the h rows of the w x h DIB section in `dc`; false, with
// nothing visited, when the DC holds none of that size.
template <typename Visit> bool VisitRows(HDC dc, int w, int h, Visit visit) {
    const DibRows rows = DibPixels(dc, w, h);
    if (!rows.first || w <= 0 || h <= 0) return false;
    GdiFlush();
    for (int y = 0; y < h; ++y)
        visit(reinterpret_cast<std::uint32_t*>(rows.Row(y)), static_cast<std::size_t>(y) * w);
    return true;
}

std::vector<std::uint32_t> RowsOf(HDC dc, int w, int h) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(std::max(0, w * h)));
    if (!VisitRows(dc, w, h, [&](const std::uint32_t* row, std::size_t at) {
            std::copy(row, row + w, pixels.begin() + static_cast<std::ptrdiff_t>(at));
        }))
        pixels.clear();
    return pixels;
}

} // namespace

bool HandlesToSpare() {
    // Regions are the cheapest GDI objects to make; 32 of them stand for what a drawing's text
    // and pictures need inside GDI+.
    constexpr int kHeadroom = 32;
    std::array<gdi::Region, kHeadroom> probe;
    for (gdi::Region& r : probe) {
        r.reset(CreateRectRgn(0, 0, 0, 0));
        if (!r) return false;
    }
    return true;
}

bool PutKeptPicture(KeptPicture& kept, const Look& look, HDC captured, int w, int h) {
    const PhaseClock clock(PaintPhase::Kept);
    const std::size_t size = static_cast<std::size_t>(std::max(0, w * h));
    // Pictures of another size are of no more use.
    std::erase_if(kept.Entries,
                  [&](const KeptPicture::Entry& e) { return e.Under.size() != size; });
    // A look is kept once: the entry that holds it is put back, or drawn again over this
    // background.
    auto entry = std::find_if(kept.Entries.begin(), kept.Entries.end(),
                              [&](const KeptPicture::Entry& e) { return e.Shown == look.bytes; });
    if (entry != kept.Entries.end()) {
        bool same = entry->Under.size() == size && entry->Picture.size() == size &&
                    plus::CallsFailed() == entry->FailedBefore;
        if (same) {
            const bool read =
                VisitRows(captured, w, h, [&](const std::uint32_t* row, std::size_t at) {
                    same = same && std::equal(row, row + w, entry->Under.begin() + at);
                });
            same = same && read;
        }
        kept.Current = static_cast<std::size_t>(entry - kept.Entries.begin());
        entry->Used = ++kept.Clock;
        if (same) {
            VisitRows(captured, w, h, [&](std::uint32_t* row, std::size_t at) {
                std::copy_n(entry->Picture.begin() + static_cast<std::ptrdiff_t>(at), w, row);
            });
            return true;
        }
    } else {
        // A large control keeps one look; a small one up to kLooks, the least recent making way.
        const std::size_t most = size > KeptPicture::kManyLooksPixels ? 1 : KeptPicture::kLooks;
        if (kept.Entries.size() > most) kept.Entries.resize(most);
        if (kept.Entries.size() < most) {
            kept.Entries.emplace_back();
            entry = kept.Entries.end() - 1;
        } else {
            // An entry given up (its drawing failed) first, else the least recent.
            entry = std::min_element(kept.Entries.begin(), kept.Entries.end(),
                                     [](const KeptPicture::Entry& a, const KeptPicture::Entry& b) {
                                         return std::pair(!a.Shown.empty(), a.Used) <
                                                std::pair(!b.Shown.empty(), b.Used);
                                     });
        }
        kept.Current = static_cast<std::size_t>(entry - kept.Entries.begin());
        entry->Used = ++kept.Clock;
    }
    entry->Shown = look.bytes;
    entry->Under = RowsOf(captured, w, h);
    entry->Picture.clear();
    entry->FailedBefore = plus::CallsFailed();
    return false;
}

bool PutKeptPart(const KeptPicture& kept, const Look& look, HDC captured, const RECT& part, int w,
                 int h) {
    const PhaseClock clock(PaintPhase::Kept);
    const std::size_t size = static_cast<std::size_t>(std::max(0, w * h));
    const int pw = part.right - part.left, ph = part.bottom - part.top;
    if (part.left < 0 || part.top < 0 || part.right > w || part.bottom > h || pw <= 0 || ph <= 0)
        return false;
    const KeptPicture::Entry* entry = WholeKeptEntry(kept, look, size);
    if (!entry) return false;
    // Where the part's row y starts in the whole picture.
    const auto whole = [&](std::size_t at) {
        return static_cast<std::ptrdiff_t>((static_cast<std::size_t>(part.top) + at / pw) * w +
                                           static_cast<std::size_t>(part.left));
    };
    bool same = true;
    if (!VisitRows(captured, pw, ph, [&](const std::uint32_t* row, std::size_t at) {
            same = same && std::equal(row, row + pw, entry->Under.begin() + whole(at));
        }))
        return false;
    if (!same) return false;
    VisitRows(captured, pw, ph, [&](std::uint32_t* row, std::size_t at) {
        std::copy_n(entry->Picture.begin() + whole(at), pw, row);
    });
    return true;
}

void KeepPicture(KeptPicture& kept, HDC captured, int w, int h) {
    const PhaseClock clock(PaintPhase::Kept);
    if (kept.Current >= kept.Entries.size()) return;
    KeptPicture::Entry& entry = kept.Entries[kept.Current];
    if (plus::CallsFailed() != entry.FailedBefore || entry.Under.empty() || !HandlesToSpare()) {
        entry.Shown.clear();
        return;
    }
    entry.Picture = RowsOf(captured, w, h);
    if (entry.Picture.empty()) entry.Shown.clear();
    // Red and blue are the same either way round, so the key reads the same as ARGB.
    const auto isKey = [](std::uint32_t p) { return (p & 0xFFFFFF) == (kKeyColour & 0xFFFFFF); };
    entry.Keyed = std::any_of(entry.Picture.begin(), entry.Picture.end(), isKey);
    entry.KeyLeft = entry.KeyTop = entry.KeyRight = entry.KeyBottom = 0;
    if (!entry.Keyed) return;
    RECT box{w, h, 0, 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (isKey(entry.Picture[static_cast<std::size_t>(y) * w + x])) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (!isKey(entry.Picture[static_cast<std::size_t>(y) * w + x])) return;
    entry.KeyLeft = box.left, entry.KeyTop = box.top;
    entry.KeyRight = box.right, entry.KeyBottom = box.bottom;
}

void CopyKeptOrKeyed(HDC target, const KeptPicture& kept, HDC picture, int w, int h) {
    const KeptPicture::Entry* entry =
        kept.Current < kept.Entries.size() ? &kept.Entries[kept.Current] : nullptr;
    if (entry && !entry->Shown.empty() && !entry->Picture.empty()) {
        if (!entry->Keyed) {
            const PhaseClock clock(PaintPhase::Copy);
            BitBlt(target, 0, 0, w, h, picture, 0, 0, SRCCOPY);
            return;
        }
        if (entry->KeyRight > entry->KeyLeft) {
            // The key colour fills one rectangle exactly (a drop-down combo's edit field): a
            // plain copy around it leaves out the same pixels.
            const PhaseClock clock(PaintPhase::Copy);
            const int saved = SaveDC(target);
            ExcludeClipRect(target, entry->KeyLeft, entry->KeyTop, entry->KeyRight,
                            entry->KeyBottom);
            BitBlt(target, 0, 0, w, h, picture, 0, 0, SRCCOPY);
            RestoreDC(target, saved);
            return;
        }
    }
    CopyKeyed(target, picture, w, h);
}

WashedClientPicture::WashedClientPicture(HWND control, KeptPicture* kept)
    : background_(control, ClientRectInWindow(control)) {
    const PhaseClock clock(PaintPhase::Capture);
    WashOrPutBack(kept, background_.dc(), background_.width(), background_.height());
}

WashedClientPicture::WashedClientPicture(HWND control, const RECT& part, KeptPicture* kept)
    : background_(control, WashedPartInWindow(control, part)) {
    const PhaseClock clock(PaintPhase::Capture);
    const SIZE whole = ClientWashSize(control);
    const RECT client = ClientRectInWindow(control);
    RECT placed = WashedPartInWindow(control, part);
    OffsetRect(&placed, -client.left, -client.top);
    if (kept && PutKeptPart(*kept, WashLook(whole.cx, whole.cy), background_.dc(), placed, whole.cx,
                            whole.cy))
        return;
    WashPicture(background_.dc(), background_.width(), background_.height());
}

HBRUSH KeptWashedBrush(HWND control, KeptBrush& kept) {
    const PhaseClock clock(PaintPhase::Kept);
    CapturedBackground background(control, ClientRectInWindow(control));
    const int w = background.width(), h = background.height();
    std::vector<std::uint32_t> under = RowsOf(background.dc(), w, h);
    if (kept.Brush && !under.empty() && under == kept.Under && kept.Alpha == Engine.ControlAlpha &&
        plus::CallsFailed() == kept.FailedBefore)
        return kept.Brush.get();
    const int failedBefore = plus::CallsFailed();
    if (background.dc()) WashPicture(background.dc(), w, h);
    gdi::Bitmap picture(background.TakeBitmap());
    gdi::Brush brush(picture ? CreatePatternBrush(picture.get()) : nullptr);
    kept.Brush = std::move(brush);
    kept.Picture = std::move(picture);
    if (!kept.Brush) {
        kept = KeptBrush{};
        return nullptr;
    }
    // A wash whose drawing failed on the way is answered once and made again next time.
    const bool whole = plus::CallsFailed() == failedBefore && HandlesToSpare();
    kept.Under = whole ? std::move(under) : std::vector<std::uint32_t>{};
    kept.Alpha = Engine.ControlAlpha;
    kept.FailedBefore = failedBefore;
    return kept.Brush.get();
}

SIZE ClientWashSize(HWND control) {
    const RECT client = ClientRectInWindow(control);
    return SIZE{client.right - client.left, client.bottom - client.top};
}

gdi::WindowDC ClientDCWithoutChildren(HWND control) {
    gdi::WindowDC dc(control);
    for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT))
            continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc.get(), r.left, r.top, r.right, r.bottom);
    }
    return dc;
}

plus::PlusPath RoundedPath(float x, float y, float w, float h, float d) {
    plus::PlusPath path;
    path.CreatePath();
    AddRoundedRect(path, x, y, w, h, d);
    return path;
}

void FillLinear(plus::PlusGraphics& graphics, const plus::PlusPath& path, plus::PointF from,
                plus::PointF to, plus::ARGB a, plus::ARGB b) {
    plus::PlusLinearBrush brush;
    brush.Create(from, to, a, b);
    graphics.FillPath(brush, path);
}

void StrokePath(plus::PlusGraphics& graphics, const plus::PlusPath& path, plus::ARGB colour,
                float width) {
    plus::PlusPen pen;
    pen.CreatePen(colour, width);
    graphics.DrawPath(pen, path);
}

} // namespace skin
