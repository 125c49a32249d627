#include "skin/core/capture.h"

#include "plus/plus_image.h"
#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/skin_engine.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/paint_phases.h"
#include "skin/core/window_record.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace skin {

using namespace plus;

namespace {

constexpr int kScrollBarThickness = 17;

RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// 1-based position of the record whose window is `window`, 0 when none.
int RecordPositionOf(HWND window) {
    return window ? FindWindowPosition(window) : 0;
}

// The attached-window entry (1-based) of `record` whose window is `window`.
int AttachedIndexIn(const WindowRecord& record, HWND window) {
    if (!window) return 0;
    for (size_t i = 0; i < record.AttachedWindows.size(); ++i)
        if (record.AttachedWindows[i].Window == window) return static_cast<int>(i) + 1;
    return 0;
}

// The record's window, or an attached window of that record, met first walking up from
// `control`; null when neither lies on the chain.
HWND OwnerWindowOnChain(HWND control, const WindowRecord& record) {
    for (HWND c = control; c; c = GetParent(c)) {
        if (c == record.Window) return c;
        if (AttachedIndexIn(record, c)) return c;
    }
    return nullptr;
}

// The control's window rectangle relative to that of its owner on the chain in `record` (the
// record of the nearest skinned window above it); empty when there is none.
RECT OffsetIn(HWND control, const WindowRecord& record) {
    HWND owner = OwnerWindowOnChain(control, record);
    if (!owner) return RECT{0, 0, 0, 0};
    const RECT mine = WindowRectOf(control);
    const RECT theirs = WindowRectOf(owner);
    return RECT{mine.left - theirs.left, mine.top - theirs.top, mine.right - theirs.left,
                mine.bottom - theirs.top};
}

// Lays the attached window's fill over a fresh capture.
void FillAttachedEntry(HDC dc, const WindowRecord& record, int attachedIndex, int w, int h) {
    if (attachedIndex < 1 || attachedIndex > static_cast<int>(record.AttachedWindows.size()))
        return;
    const AttachedWindow& entry = record.AttachedWindows[attachedIndex - 1];
    if (entry.FillColour == 0) return;
    PlusGraphics g;
    g.CreateFromHDC(dc);
    PlusSolidBrush brush;
    brush.Create(ToArgb(entry.FillColour, entry.FillAlpha, 1));
    if (entry.Rounded) {
        PlusPath path;
        path.CreatePath();
        AddRoundedRect(path, 0, 5, static_cast<float>(w), static_cast<float>(h - 6), 5);
        g.FillPath(brush, path);
    } else {
        g.FillRectangle(brush, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h));
    }
}

void CopyFromBackBuffer(HDC dc, const WindowRecord& record, const RECT& offset, const RECT& rect) {
    if (!record.BackBufferDC) return;
    BitBlt(dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top, record.BackBufferDC.get(),
           offset.left + rect.left, offset.top + rect.top, SRCCOPY);
}

// The 32-bit DIB section selected in `dc` (its size and bits), or nothing for any other bitmap.
std::optional<BITMAP> Dib32In(HDC dc) {
    DIBSECTION dib{};
    const HGDIOBJ bitmap = dc ? GetCurrentObject(dc, OBJ_BITMAP) : nullptr;
    if (!bitmap || GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib ||
        dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits)
        return std::nullopt;
    return dib.dsBm;
}

} // namespace

int NearestSkinnedAncestor(HWND window) {
    for (HWND c = window; c; c = GetParent(c))
        if (int p = RecordPositionOf(c)) return p;
    return 0;
}

std::vector<CapturedDC>& CapturedDCs() {
    static std::vector<CapturedDC> list;
    return list;
}

void RegisterCapturedDC(HDC dc, HBITMAP bitmap, HGDIOBJ savedBitmap) {
    auto& list = CapturedDCs();
    for (auto& entry : list) {
        if (entry.dc == dc) {
            entry.bitmap = bitmap;
            entry.savedBitmap = savedBitmap;
            return;
        }
    }
    list.push_back({dc, bitmap, savedBitmap});
}

int CapturedDCCount() {
    return static_cast<int>(CapturedDCs().size());
}

bool ReleaseBackground(HDC dc) {
    const PhaseClock clock(PaintPhase::Capture);
    if (!dc) return false;
    auto& list = CapturedDCs();
    auto it =
        std::find_if(list.begin(), list.end(), [dc](const CapturedDC& e) { return e.dc == dc; });
    if (it == list.end()) return false;
    const CapturedDC entry = *it;
    list.erase(it);
    // Only a capture bitmap that really was selected is deleted; a DC whose bitmap could not
    // be made still holds its own default bitmap, which is not ours.
    HGDIOBJ selected = entry.savedBitmap ? SelectObject(dc, entry.savedBitmap) : nullptr;
    if (entry.bitmap && selected == entry.bitmap) DeleteObject(entry.bitmap);
    DeleteDC(dc);
    return true;
}

void ReleaseAllBackgrounds() {
    auto& list = CapturedDCs();
    while (!list.empty())
        ReleaseBackground(list.back().dc);
}

BackgroundSource ResolveBackgroundSource(HWND control) {
    BackgroundSource source;
    source.owner = FindBackgroundOwner(control, true);
    if (source.owner.found) {
        source.position = source.owner.position;
    } else if (!source.owner.templateWindow && source.owner.attachedIndex) {
        // An attached window without a skinned ancestor of its own takes the picture of the
        // nearest skinned window above the control, if any.
        source.position = NearestSkinnedAncestor(control);
    }
    source.record = RecordAt(source.position);
    if (source.record) {
        source.attachedIndex = AttachedIndexIn(*source.record, control);
        // The record is that of the nearest skinned window above the control (no attached
        // window lies between them when the owner was found), as OffsetInOwner finds it.
        if (source.record->Window != control) source.offset = OffsetIn(control, *source.record);
    }
    return source;
}

BackgroundRows BackgroundInPlace(const BackgroundSource& source, const RECT& rect) {
    const WindowRecord* record = source.record;
    if (!record || !record->BackBufferDC || source.attachedIndex) return {};
    const std::optional<BITMAP> dib = Dib32In(record->BackBufferDC.get());
    if (!dib) return {};
    const LONG x = source.offset.left + rect.left, y = source.offset.top + rect.top;
    const LONG w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w <= 0 || h <= 0 || x < 0 || y < 0 || x + w > dib->bmWidth || y + h > dib->bmHeight)
        return {};
    // Drawing still batched for the back buffer lands first.
    GdiFlush();
    const std::ptrdiff_t stride = dib->bmWidthBytes / 4;
    return {static_cast<const std::uint32_t*>(dib->bmBits) + y * stride + x, stride};
}

HDC CaptureBackground(HWND control, const RECT& rect) {
    return CaptureBackground(control, ResolveBackgroundSource(control), rect);
}

HDC CaptureBackground(HWND control, const BackgroundSource& source, const RECT& rect) {
    const PhaseClock clock(PaintPhase::Capture);
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;

    // A cleared 32-bit DIB section: what the owner's picture does not cover stays transparent
    // black.
    void* bits = nullptr;
    HBITMAP bitmap = w > 0 && h > 0 ? gdi::CreateArgbBitmap(w, h, &bits).release() : nullptr;
    // Without its bitmap (no GDI handles or memory left) a capture would hand out the DC's
    // 1 x 1 stock bitmap, and the control would be shown black: no capture at all leaves the
    // control's last picture on the screen instead.
    if (w > 0 && h > 0 && !bitmap) {
        // The owner's next paint composes again and has the system lay out its children anew
        // (see RebuildBackground), which it may have failed to clip right while short too.
        if (WindowRecord* owner = RecordAt(source.position)) {
            owner->ShortRebuild = true;
            owner->BackgroundStale = 1;
        }
        return nullptr;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    HGDIOBJ saved = bitmap ? SelectObject(dc, bitmap) : nullptr;
    RegisterCapturedDC(dc, bitmap, saved);

    if (source.record) {
        // Row by row straight from the back buffer's pixels where the place lies wholly in
        // it (a blit costs several times as much for the same bytes).
        const BackgroundRows rows = bits ? BackgroundInPlace(source, rect) : BackgroundRows{};
        if (rows.first) {
            auto* out = static_cast<std::uint32_t*>(bits);
            for (int y = 0; y < h; ++y)
                std::memcpy(out + static_cast<std::ptrdiff_t>(y) * w, rows.Row(y),
                            static_cast<std::size_t>(w) * 4);
        } else {
            CopyFromBackBuffer(dc, *source.record, source.offset, rect);
        }
        FillAttachedEntry(dc, *source.record, source.attachedIndex, w, h);
        return dc;
    }
    if (source.owner.templateWindow) {
        // A host window names, through "Wxk_Cj", the DC its backgrounds come from. Nothing in
        // this program sets it, so normally nothing is copied and the picture stays clear.
        HDC from =
            reinterpret_cast<HDC>(GetPropA(source.owner.templateWindow, kPropBackgroundSourceDC));
        if (from) {
            const RECT mine = WindowRectOf(control);
            const RECT host = WindowRectOf(source.owner.templateWindow);
            BitBlt(dc, 0, 0, w, h, from, mine.left - host.left + rect.left,
                   mine.top - host.top + rect.top, SRCCOPY);
        }
    }
    return dc;
}

BackgroundOwner FindBackgroundOwner(HWND window, bool checkTemplates) {
    BackgroundOwner result;
    for (HWND c = window; c; c = GetParent(c)) {
        if (checkTemplates && reinterpret_cast<INT_PTR>(GetPropA(c, kPropHostWindow)) == 1) {
            result.templateWindow = c;
            return result;
        }
        if (int p = RecordPositionOf(c)) {
            result.position = p;
            result.found = true;
            return result;
        }
        if (c == window) continue;
        for (int f = 1; f <= static_cast<int>(Engine.WindowList.size()); ++f) {
            const WindowRecord* record = RecordAt(f);
            const int l = record ? AttachedIndexIn(*record, c) : 0;
            if (!l) continue;
            HANDLE host = GetPropA(c, kPropContainerHost);
            if (checkTemplates && host) {
                result.templateWindow = static_cast<HWND>(host);
            } else {
                result.position = f;
                result.attachedIndex = l;
            }
            return result;
        }
    }
    return result;
}

RECT OffsetInOwner(HWND control) {
    if (RecordPositionOf(control)) return RECT{0, 0, 0, 0};
    const WindowRecord* record = RecordAt(NearestSkinnedAncestor(control));
    return record ? OffsetIn(control, *record) : RECT{0, 0, 0, 0};
}

RECT ClientRectInWindow(HWND control) {
    const RECT wr = WindowRectOf(control);
    RECT cr{};
    GetClientRect(control, &cr);
    const int W = wr.right - wr.left, H = wr.bottom - wr.top;
    const int cw = cr.right - cr.left, ch = cr.bottom - cr.top;
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const int spareX = W - cw - ((style & WS_VSCROLL) ? kScrollBarThickness : 0);
    const int spareY = H - ch - ((style & WS_HSCROLL) ? kScrollBarThickness : 0);
    const int x = static_cast<int>(std::floor(spareX / 2.0));
    const int y = static_cast<int>(std::floor(spareY / 2.0));
    return RECT{x, y, x + cw, y + ch};
}

HBITMAP DcToBitmap(HDC dc, int width, int height) {
    if (!dc) return nullptr; // no capture (see CaptureBackground): no picture
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    {
        gdi::MemoryDC mem = gdi::MemoryDC::Create(dc);
        gdi::Selection select(mem.get(), bitmap);
        BitBlt(mem.get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    }
    ReleaseBackground(dc);
    return bitmap;
}

HBITMAP WashedBackgroundBitmap(HWND control) {
    const RECT r = ClientRectInWindow(control);
    CapturedBackground background(control, r);
    WashPicture(background.dc(), background.width(), background.height());
    return background.TakeBitmap();
}

void WashPicture(HDC picture, int w, int h) {
    const int alpha = std::clamp(Engine.ControlAlpha, 0, 255);
    // A picture that is a whole 32-bit DIB section is washed in its pixels: GDI+ sets up a
    // region and a brush for every fill, most of a small picture's cost. Each byte, the top one
    // too, goes as GDI+ lays white at that alpha over a DIB: white weighted by the alpha plus
    // the byte weighted by the rest, rounded.
    const std::optional<BITMAP> dib = w > 0 && h > 0 ? Dib32In(picture) : std::nullopt;
    if (dib && dib->bmWidth == w && dib->bmHeight == h) {
        if (alpha == 0) return;
        std::array<std::uint8_t, 256> washed{};
        for (int v = 0; v < 256; ++v)
            washed[static_cast<std::size_t>(v)] =
                static_cast<std::uint8_t>((255 * alpha + v * (255 - alpha) + 127) / 255);
        GdiFlush();
        auto* bytes = static_cast<std::uint8_t*>(dib->bmBits);
        const std::size_t count = static_cast<std::size_t>(dib->bmWidthBytes) * h;
        for (std::size_t i = 0; i < count; ++i)
            bytes[i] = washed[bytes[i]];
        return;
    }
    PlusGraphics g;
    g.CreateFromHDC(picture);
    PlusSolidBrush wash;
    wash.Create(ToArgb(kWhite, alpha, 1));
    g.FillRectangle(wash, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h));
}

std::string ClassNameOf(HWND window) {
    char buffer[255] = {};
    const int n = GetClassNameA(window, buffer, sizeof(buffer));
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

} // namespace skin
