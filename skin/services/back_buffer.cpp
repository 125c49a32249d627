// Window background, region and back buffer.
//
// A skinned window is drawn from an off-screen image composed only when its size or theme
// changes. Two clean copies of that image are kept aside: the caption strip (the top
// CaptionHeight rows) and the status strip (the status-bar rectangle), so the title, a single
// status pane or a caption button can be redrawn later by restoring its rectangle from the
// strip, drawing, and copying just that rectangle to the screen.
#include "skin/services/back_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/skin_engine.h"

namespace skin {

namespace {

constexpr plus::ARGB kMagenta = 0xFFFF00FF;
constexpr int kPixelFormat32bppArgb = 0x0026200A;

RECT ClientRectOf(HWND window) {
    RECT rc{};
    GetClientRect(window, &rc);
    return rc;
}

// A memory DC holding a fresh width x height ARGB bitmap with a copy of `source` from (x, y)
// (row by row from `pixels` when the source's pixels are at hand).
gdi::MemoryDC CopyStrip(HDC source, const PixelRows& pixels, int x, int y, int width, int height) {
    gdi::MemoryDC strip = gdi::MemoryDC::Create();
    void* bits = nullptr;
    strip.Adopt(gdi::CreateArgbBitmap(width, height, &bits));
    if (!strip.bitmap()) return strip;
    const PixelRows from = pixels.Part(RECT{x, y, x + width, y + height});
    if (!bits || !from || from.left != x || from.top != y || from.width != width ||
        from.height != height) {
        BitBlt(strip.get(), 0, 0, width, height, source, x, y, SRCCOPY);
        return strip;
    }
    auto* to = static_cast<std::uint8_t*>(bits);
    for (int row = 0; row < height; ++row)
        std::memcpy(to + static_cast<std::ptrdiff_t>(row) * width * 4, from.Row(row),
                    static_cast<std::size_t>(width) * 4);
    return strip;
}

// Whether the graphics smooths edges (GDI+ SmoothingModeHighQuality or AntiAlias); the direct
// fills reproduce only the aliased ones.
bool Antialiased(const plus::PlusGraphics& graphics) {
    const int mode = graphics.GetSmoothingMode();
    return mode == 2 || mode == 4 || mode == 5;
}

// Strokes an AddRoundedRect outline with a 1-pixel pen of `colour` as DrawPath does (no
// anti-aliasing), at a fraction of its cost: a software GDI+ processes the whole bounding box
// of a path, a window-sized one for an outline. The outline is drawn in small pieces instead,
// each corner's arc with a stretch of both its edges and each straight edge, in opaque white
// on a transparent layer, so a pixel two pieces share is marked once, as the whole path sets
// it once; `colour` is then laid over the marked pixels (only near the edges, where the pieces
// lie). False (nothing drawn) for an outline too small to cut up or of an unexpected shape.
bool StrokeOutlineInPieces(const PixelRows& pixels, const plus::PlusPath& outline,
                           plus::ARGB colour) {
    std::vector<plus::PointF> p;
    if (!outline.GetPathPoints(p) || p.size() != 16) return false; // four one-curve arcs
    float minX = p[0].x, minY = p[0].y, maxX = p[0].x, maxY = p[0].y;
    for (const plus::PointF& point : p) {
        minX = std::min(minX, point.x);
        minY = std::min(minY, point.y);
        maxX = std::max(maxX, point.x);
        maxY = std::max(maxY, point.y);
    }
    constexpr float kStretch = 12; // how far a corner piece runs along its edges
    constexpr int kBand = 16;      // every piece lies within this many pixels of the bounds
    if (maxX - minX < 4 * kStretch || maxY - minY < 4 * kStretch) return false;

    const int left = static_cast<int>(std::floor(minX)) - 2;
    const int top = static_cast<int>(std::floor(minY)) - 2;
    const int width = static_cast<int>(std::ceil(maxX)) + 3 - left;
    const int height = static_cast<int>(std::ceil(maxY)) + 3 - top;
    std::vector<std::uint32_t> layer(static_cast<std::size_t>(width) * height, 0);
    {
        plus::PlusBitmap bitmap;
        if (!bitmap.CreateFromScan0(width, height, width * 4, kPixelFormat32bppArgb,
                                    reinterpret_cast<BYTE*>(layer.data())))
            return false;
        plus::PlusGraphics on;
        if (!on.CreateFromImage(bitmap) ||
            !on.TranslateWorldTransform(static_cast<float>(-left), static_cast<float>(-top)))
            return false;
        plus::PlusPen pen;
        pen.CreatePen(0xFFFFFFFF, 1);
        // Corner k's arc is points 4k..4k+3: upper right, lower right, lower left, upper left.
        // `in` runs along the edge that enters the corner, `out` along the one that leaves.
        const plus::PointF in[4] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
        const plus::PointF out[4] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}};
        const plus::ByteSet types{0, 1, 3, 3, 3, 1}; // start, line, Bezier x 3, line
        for (int k = 0; k < 4; ++k) {
            const plus::PointF& a = p[4 * k];
            const plus::PointF& e = p[4 * k + 3];
            const std::vector<plus::PointF> points{
                {a.x - in[k].x * kStretch, a.y - in[k].y * kStretch},
                a,
                p[4 * k + 1],
                p[4 * k + 2],
                e,
                {e.x + out[k].x * kStretch, e.y + out[k].y * kStretch}};
            plus::PlusPath piece;
            if (!piece.CreatePath2(points, types) || !on.DrawPath(pen, piece)) return false;
            const plus::PointF& next = p[(4 * k + 4) % 16];
            if (!on.DrawLine(pen, e.x, e.y, next.x, next.y)) return false;
        }
    }
    const RECT bands[] = {{left, top, left + width, top + kBand},
                          {left, top + height - kBand, left + width, top + height},
                          {left, top + kBand, left + kBand, top + height - kBand},
                          {left + width - kBand, top + kBand, left + width, top + height - kBand}};
    for (const RECT& band : bands)
        BlendLayer(pixels, layer, width, height, left, top, colour, &band);
    return true;
}

} // namespace

BackBufferCanvas::BackBufferCanvas(const WindowRecord& record) {
    const PixelRows pixels = PixelRowsOf(record.BackBufferDC.bitmap());
    if (pixels &&
        bitmap_.CreateFromScan0(pixels.width, pixels.height, pixels.stride, kPixelFormat32bppArgb,
                                pixels.bits) &&
        graphics_.CreateFromImage(bitmap_)) {
        graphics_.pixels = pixels;
    } else {
        graphics_.CreateFromHDC(record.BackBufferDC.get());
    }
}

BackBufferCanvas::BackBufferCanvas(const WindowRecord& record, const RECT& area) {
    const PixelRows pixels = PixelRowsOf(record.BackBufferDC.bitmap()).Part(area);
    if (pixels &&
        bitmap_.CreateFromScan0(pixels.width, pixels.height, pixels.stride, kPixelFormat32bppArgb,
                                pixels.bits) &&
        graphics_.CreateFromImage(bitmap_) &&
        graphics_.TranslateWorldTransform(static_cast<float>(-pixels.left),
                                          static_cast<float>(-pixels.top))) {
        graphics_.pixels = pixels;
    } else {
        graphics_.CreateFromHDC(record.BackBufferDC.get());
        ClipTo(graphics_, area);
    }
}

BackBufferCanvas::~BackBufferCanvas() {
    graphics_.DeleteGraphics();
}

PixelRows DirectPixels(plus::PlusGraphics& graphics) {
    const auto* canvas = dynamic_cast<const BackBufferCanvas::Graphics*>(&graphics);
    return canvas ? canvas->pixels : PixelRows{};
}

void SetRoundRegion(HWND window) {
    RECT rc = ClientRectOf(window);
    gdi::Region region(CreateRoundRectRgn(0, 0, rc.right + 1, rc.bottom + 1, 5, 5));
    // A rebuild at an unchanged size (a theme change, a restored window) keeps the region the
    // window has: setting it again costs a round trip to the display for nothing.
    gdi::Region current(CreateRectRgn(0, 0, 0, 0));
    gdi::Region difference(CreateRectRgn(0, 0, 0, 0));
    if (region && GetWindowRgn(window, current.get()) != ERROR &&
        CombineRgn(difference.get(), current.get(), region.get(), RGN_XOR) == NULLREGION)
        return;
    SetWindowRgn(window, nullptr, TRUE);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
    rc = ClientRectOf(window);
    region.reset(CreateRoundRectRgn(0, 0, rc.right + 1, rc.bottom + 1, 5, 5));
    if (region && SetWindowRgn(window, region.get(), TRUE)) region.release();
}

void ExcludeOpaqueChildren(HWND window, HDC dc) {
    // The system has done it already for a window with WS_CLIPCHILDREN: the DCs it gives out
    // (GetDC, BeginPaint) leave out every visible child that is not WS_EX_TRANSPARENT. Asking
    // for the children costs a round trip to the window server per child, and one more to learn
    // there are none, about as much as the copy itself.
    if (GetWindowLongA(window, GWL_STYLE) & WS_CLIPCHILDREN) return;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT) continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
}

gdi::WindowDC ChildSafeWindowDC(HWND window) {
    gdi::WindowDC dc(window);
    if (dc) ExcludeOpaqueChildren(window, dc.get());
    return dc;
}

void ShowBackBufferRect(const WindowRecord& record, const RECT& rect) {
    if (!record.BackBufferDC) return;
    gdi::WindowDC dc = ChildSafeWindowDC(record.Window);
    if (!dc) return;
    BitBlt(dc.get(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
           record.BackBufferDC.get(), rect.left, rect.top, SRCCOPY);
}

void SkinEngine::RebuildBackground(int position, std::optional<HDC> dc) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    const HWND window = record->Window;
    const RECT rc = ClientRectOf(window);
    SetRoundRegion(window);

    // The DC is made once and keeps its bitmap for the window's life; each rebuild selects a
    // new bitmap of the current size, which deletes the previous one.
    if (!record->BackBufferDC) {
        record->BackBufferDC = gdi::MemoryDC::Create();
        SetPropValue(window, kPropBackBufferOriginalBitmap,
                     reinterpret_cast<LONG_PTR>(record->BackBufferDC.original()));
    }
    record->BackBufferDC.Adopt(gdi::CreateArgbBitmap(rc.right, rc.bottom));
    SetPropValue(window, kPropBackBufferBitmap,
                 reinterpret_cast<LONG_PTR>(record->BackBufferDC.bitmap()));
    const HDC buffer = record->BackBufferDC.get();

    {
        BackBufferCanvas canvas(*record);
        plus::PlusGraphics& graphics = canvas.graphics();
        PaintBackground(position, graphics);

        // Everything after the background is drawn under the rounded clip it sets, which
        // leaves the magenta corners alone. With the pixels at hand the corners are simply
        // made magenta again instead: a clip costs every later GDI+ call a region.
        const PixelRows pixels = DirectPixels(graphics);
        std::vector<RECT> outside;
        if (pixels) outside = OutsideTheOutline(rc.right, rc.bottom, graphics);
        if (!outside.empty()) graphics.ResetClip();

        if (record->HasCaption) PaintBorder(position, graphics);
        graphics.Flush(1); // FlushIntentionSync: the strips are copied with GDI
        FillSpans(pixels, outside, kMagenta);
        if (record->HasCaption) {
            record->CaptionStripDC =
                CopyStrip(buffer, pixels, 0, 0, rc.right, record->CaptionHeight);
        }
        if (record->StatusHeight > 0) {
            const PaneRect& bar = record->StatusRect;
            record->StatusStripDC = CopyStrip(buffer, pixels, bar.x, bar.y, bar.width, bar.height);
        } else {
            record->StatusStripDC.reset();
        }

        if (record->HasCaption) {
            if (record->ShowTitle) PaintTitle(position, &graphics);
            const int buttons = static_cast<int>(record->CaptionButtons.size());
            for (int i = 1; i <= buttons; ++i)
                PaintCaptionButton(position, i, &graphics);
        }
        if (record->StatusHeight > 0) {
            const int panes = static_cast<int>(record->StatusPanes.size());
            for (int i = 1; i <= panes; ++i)
                PaintStatusPane(position, &graphics, i);
        }
        graphics.Flush(1);
        FillSpans(pixels, outside, kMagenta);
    }

    if (!dc) {
        record->BackgroundStale = 0;
        return;
    }
    if (*dc) ReleaseDC(window, *dc);
    {
        gdi::WindowDC screen = ChildSafeWindowDC(window);
        BitBlt(screen.get(), 0, 0, rc.right, rc.bottom, buffer, 0, 0, SRCCOPY);
    }
    record->BackgroundStale = 0;
    if (Engine.FirstPaint == 0) InvalidateSkinnedControls(position);
}

void SkinEngine::PaintBackground(int position, plus::PlusGraphics& graphics) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return;
    const RECT rc = ClientRectOf(record->Window);
    const float width = static_cast<float>(rc.right);
    const float height = static_cast<float>(rc.bottom);

    plus::PlusPath outline;
    outline.CreatePath();
    AddRoundedRect(outline, 0, 0, width, height, 4);
    const bool ownImage = !record->OwnImage.empty();
    const plus::ARGB colour = ToArgb(ownImage ? record->OwnColour : Engine.ThemeColour, 255, 1);

    // On a canvas the clear, the fill and the gloss are written straight into the pixels: the
    // same pixels GDI+ would touch (the spans of the outline's region, which is also the
    // clip), at a small fraction of its cost. GDI+ still draws the image, under the clip.
    const PixelRows pixels = DirectPixels(graphics);
    const bool direct =
        pixels && pixels.width == rc.right && pixels.height == rc.bottom && !Antialiased(graphics);
    gdi::Region region;
    std::vector<RECT> inside;
    if (direct) {
        region = PathRegion(outline, graphics);
        inside = RegionRects(region.get());
    }
    if (!inside.empty()) {
        FillSpans(pixels, {RECT{0, 0, pixels.width, pixels.height}}, kMagenta);
        FillSpans(pixels, inside, colour);
        // The same pixels as a clip: GDI+ turns a path clip into a region on every call that
        // draws under it, which the rest of a rebuild (a dozen calls) would pay each time.
        graphics.SetClipHrgn(region.get(), 0);
    } else {
        inside.clear();
        graphics.Clear(kMagenta);
        graphics.SetClipPath(outline, 0);
        plus::PlusSolidBrush fill;
        fill.Create(colour);
        graphics.FillPath(fill, outline);
    }

    if (!Engine.ThemeImage.empty() || ownImage) {
        const int mode = ownImage ? record->OwnImageMode : Engine.ThemeImageMode;
        if (std::unique_ptr<plus::PlusImage> image = PrepareBackgroundImage(*record, rc)) {
            const float iw = static_cast<float>(image->GetWidth());
            const float ih = static_cast<float>(image->GetHeight());
            switch (mode) {
                case kImageBlendRight:
                case kImageTiled: graphics.DrawImageRect(*image, 0, 0, iw, ih); break;
                case kImageBlendLeft: graphics.DrawImageRect(*image, width - iw, 0, iw, ih); break;
                case kImageCentred:
                    graphics.DrawImageRect(*image, (width - iw) / 2, (height - ih) / 2, iw, ih);
                    break;
                case kImageStretched: graphics.DrawImageRect(*image, 0, 0, width, height); break;
                default: break;
            }
        }
    }

    if (record->CaptionGloss) {
        const float caption = static_cast<float>(record->CaptionHeight);
        const plus::ARGB top = ToArgb(0xFFFFFF, 150, 1);
        const plus::ARGB bottom = ToArgb(0xFFFFFF, 0, 1);
        if (!inside.empty()) {
            BlendVerticalGradient(pixels, RECT{0, 0, rc.right, record->CaptionHeight}, 0, caption,
                                  top, bottom, &inside);
        } else {
            plus::PlusLinearBrush gloss;
            gloss.Create(plus::PointF{0, 0}, plus::PointF{0, caption}, top, bottom);
            graphics.FillRectangle(gloss, 0, 0, width, caption);
        }
    }
}

std::unique_ptr<plus::PlusImage> PrepareBackgroundImage(const WindowRecord& record,
                                                        const RECT& clientRect) {
    const bool ownImage = !record.OwnImage.empty();
    const ByteSet& source = ownImage ? record.OwnImage : Engine.ThemeImage;
    const int mode = ownImage ? record.OwnImageMode : Engine.ThemeImageMode;
    if (source.empty() || mode < kImageBlendRight || mode > kImageTiled) return nullptr;

    auto image = std::make_unique<plus::PlusImage>();
    if (!image->LoadFromStream(source)) return nullptr;
    if (mode != kImageTiled) return image;

    // A strip as wide as the client: the image, then mirrored, then normal again, and so on.
    const int iw = static_cast<int>(image->GetWidth());
    const int ih = static_cast<int>(image->GetHeight());
    if (iw <= 0 || ih <= 0 || clientRect.right <= 0) return nullptr;
    auto strip = std::make_unique<plus::PlusBitmap>();
    if (!strip->Create(clientRect.right, ih)) return nullptr;
    plus::PlusGraphics graphics;
    graphics.CreateFromImage(*strip);
    for (int k = 0; k * iw < clientRect.right; ++k) {
        graphics.DrawImageRect(*image, static_cast<float>(k * iw), 0, static_cast<float>(iw),
                               static_cast<float>(ih));
        image->RotateFlip(4); // RotateNoneFlipX
    }
    return strip;
}

void SkinEngine::PaintBorder(int position, plus::PlusGraphics& graphics) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return;
    const RECT rc = ClientRectOf(record->Window);
    const float w = static_cast<float>(rc.right);
    const float h = static_cast<float>(rc.bottom);

    // On a canvas without a clip the outlines are stroked in pieces (StrokeOutlineInPieces).
    const PixelRows pixels = DirectPixels(graphics);
    const bool direct = pixels && !Antialiased(graphics) && Unclipped(graphics);

    plus::PlusPath outer;
    outer.CreatePath();
    AddRoundedRect(outer, 0, 0, w - 1, h - 1, 7);
    const plus::ARGB dark = ToArgb(0x000000, 180, 1);
    if (!direct || !StrokeOutlineInPieces(pixels, outer, dark)) {
        plus::PlusPen pen;
        pen.CreatePen(dark, 1);
        graphics.DrawPath(pen, outer);
    }

    plus::PlusPath inner;
    inner.CreatePath();
    AddRoundedRect(inner, 1, 1, w - 3, h - 3, 6);
    const plus::ARGB light = ToArgb(0xFFFFFF, 180, 1);
    if (!direct || !StrokeOutlineInPieces(pixels, inner, light)) {
        plus::PlusPen pen;
        pen.CreatePen(light, 1);
        graphics.DrawPath(pen, inner);
    }
}

void SkinEngine::ShowBackBuffer(int position, HDC dc) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return;
    const HWND window = record->Window;
    gdi::WindowDC screen = gdi::WindowDC::Adopt(window, dc);
    if (!screen || !record->BackBufferDC) return;
    RECT r{};
    GetWindowRect(window, &r);
    ExcludeOpaqueChildren(window, dc);
    BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, record->BackBufferDC.get(), 0, 0, SRCCOPY);
}

void SkinEngine::RestoreCaptionRect(int position, const RECT& rect) {
    const WindowRecord* record = RecordAt(position);
    if (!record || !record->BackBufferDC || !record->CaptionStripDC) return;
    BitBlt(record->BackBufferDC.get(), rect.left, rect.top, rect.right - rect.left,
           rect.bottom - rect.top, record->CaptionStripDC.get(), rect.left, rect.top, SRCCOPY);
    GdiFlush(); // GDI+ may draw on these pixels next
}

void SkinEngine::RestoreStatusRect(int position, const RECT& rect) {
    const WindowRecord* record = RecordAt(position);
    if (!record || !record->BackBufferDC || !record->StatusStripDC) return;
    BitBlt(record->BackBufferDC.get(), rect.left, rect.top, rect.right - rect.left,
           rect.bottom - rect.top, record->StatusStripDC.get(), rect.left - record->StatusRect.x,
           rect.top - record->StatusRect.y, SRCCOPY);
    GdiFlush(); // GDI+ may draw on these pixels next
}

std::vector<RECT> OutsideTheOutline(int width, int height, const plus::PlusGraphics& graphics) {
    plus::PlusPath outline;
    outline.CreatePath();
    AddRoundedRect(outline, 0, 0, static_cast<float>(width), static_cast<float>(height), 4);
    const gdi::Region inside = PathRegion(outline, graphics);
    gdi::Region outside(CreateRectRgn(0, 0, width, height));
    if (!inside || !outside ||
        CombineRgn(outside.get(), outside.get(), inside.get(), RGN_DIFF) == ERROR)
        return {};
    return RegionRects(outside.get());
}

void ClipTo(plus::PlusGraphics& graphics, const RECT& area) {
    graphics.SetClipRectI(area.left, area.top, area.right - area.left, area.bottom - area.top,
                          0); // CombineModeReplace
}

void InvalidateWithChildren(HWND window, bool includeChildren) {
    InvalidateRect(window, nullptr, TRUE);
    if (includeChildren) InvalidateChildren(window);
}

void InvalidateSkinnedControls(int position) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return;
    // Every skinned control carries its owner's position in "Hw_FuID"; the ones whose parent
    // is the window are its direct children.
    char className[16];
    for (HWND child = GetWindow(record->Window, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetPropValue(child, kPropOwnerPosition) != position) continue;
        if (GetParent(child) != record->Window) continue;
        const bool button = GetClassNameA(child, className, sizeof className) &&
                            lstrcmpiA(className, "Button") == 0;
        InvalidateWithChildren(child, button);
    }
}

} // namespace skin
