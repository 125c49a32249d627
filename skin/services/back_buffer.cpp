// Window background, region and back buffer.
//
// A skinned window is drawn from an off-screen image composed only when its size or theme
// changes. Two clean copies of that image are kept aside: the caption strip (the top
// CaptionHeight rows) and the status strip (the status-bar rectangle), so the title, a single
// status pane or a caption button can be redrawn later by restoring its rectangle from the
// strip, drawing, and copying just that rectangle to the screen.
#include "skin/services/back_buffer.h"
#include "skin/services/background_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "plus/plus_brush.h"
#include "plus/plus_faults.h"
#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/paint_phases.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_services.h"
#include "skin/services/system_look.h"

namespace skin {

namespace {

constexpr plus::ARGB kMagenta = 0xFFFF00FF;
// RegionSize while a frame drag has taken the window's region away.
constexpr LONG kSquareWhileSizing = -2;

RECT ClientRectOf(HWND window) {
    RECT rc{};
    GetClientRect(window, &rc);
    return rc;
}

// The parts of the rectangle (0, 0, width, height) outside `region`, as rectangles; empty
// when `region` is null.
std::vector<RECT> RectsOutside(HRGN region, int width, int height) {
    gdi::Region outside(CreateRectRgn(0, 0, width, height));
    if (!region || !outside || CombineRgn(outside.get(), outside.get(), region, RGN_DIFF) == ERROR)
        return {};
    return RegionRects(outside.get());
}

// A bitmap of `held` size keeps serving a window of `size` while it holds it without wasting
// more than half of it.
bool Serves(SIZE held, SIZE size) {
    return held.cx >= size.cx && held.cy >= size.cy &&
           static_cast<long long>(held.cx) * held.cy <=
               2 * std::max<long long>(static_cast<long long>(size.cx) * size.cy, 64 * 64);
}

// Fresh memory is costly to touch the first time here (tens of microseconds a page under this
// Wine: some 35 ms for a 1280 x 800 image), far more than composing into it. So a bitmap that
// is replaced because its window was resized is made with room to grow, and is kept while the
// window's new size fits it without wasting more than half of it. The room never goes past the
// screen, nor past what Serves keeps (a long thin window, 16000 x 60, would otherwise get a
// bitmap that the next rebuild at the same size throws away).
SIZE RoomToGrow(SIZE size) {
    const auto grow = [](LONG length, int screen) {
        return std::max(length, std::min<LONG>(length + std::max<LONG>(64, length / 4), screen));
    };
    const SIZE grown{grow(size.cx, GetSystemMetrics(SM_CXVIRTUALSCREEN)),
                     grow(size.cy, GetSystemMetrics(SM_CYVIRTUALSCREEN))};
    return Serves(grown, size) ? grown : size;
}

bool Holds(const PixelRows& held, SIZE size, bool keepLarger) {
    return held && (keepLarger ? held.width >= size.cx && held.height >= size.cy
                               : Serves(SIZE{held.width, held.height}, size));
}

// Makes `dc` hold a bitmap of at least `size` (a new one, with room to grow when `roomToGrow`,
// unless the one it holds will do; with `keepLarger` however much larger it is); true when
// the bitmap is new.
bool HoldAtLeast(gdi::MemoryDC& dc, SIZE size, bool roomToGrow, bool keepLarger = false) {
    if (!dc) dc = gdi::MemoryDC::Create();
    if (Holds(PixelRowsOf(dc.bitmap()), size, keepLarger)) return false;
    const SIZE made = roomToGrow ? RoomToGrow(size) : size;
    dc.Adopt(gdi::CreateArgbBitmap(made.cx, made.cy));
    return true;
}

// Keeps in `strip` a clean copy of the width x height rectangle of the back buffer at (x, y)
// (`source`, whose image pixels are `pixels` when at hand), at the strip's top left. The strip's
// bitmap is kept when it is large enough.
void KeepStrip(gdi::MemoryDC& strip, HDC source, const PixelRows& pixels, int x, int y, int width,
               int height, bool keepLarger) {
    const bool resized = static_cast<bool>(strip);
    HoldAtLeast(strip, SIZE{width, height}, resized, keepLarger);
    if (!strip.bitmap()) return;
    const PixelRows to = PixelRowsOf(strip.bitmap());
    const PixelRows from = pixels.Part(RECT{x, y, x + width, y + height});
    if (!to || !from || from.left != x || from.top != y || from.width != width ||
        from.height != height || to.width < width || to.height < height) {
        BitBlt(strip.get(), 0, 0, width, height, source, x, y, SRCCOPY);
        GdiFlush();
        return;
    }
    for (int row = 0; row < height; ++row)
        std::memcpy(to.Row(row), from.Row(row), static_cast<std::size_t>(width) * 4);
}

// The outline's spans for a width x height client on a canvas over the whole back buffer (no
// transform), made again only when the size changed.
const OutlineSpans& OutlineFor(WindowRecord& record, int width, int height,
                               const plus::PlusGraphics& graphics) {
    OutlineSpans& kept = record.Outline;
    if (kept.size.cx == width && kept.size.cy == height && kept.region) return kept;
    plus::PlusPath outline;
    outline.CreatePath();
    AddRoundedRect(outline, 0, 0, static_cast<float>(width), static_cast<float>(height),
                   PxF(record, 4));
    kept.region = PathRegion(outline, graphics);
    kept.inside = RegionRects(kept.region.get());
    kept.outside =
        kept.inside.empty() ? std::vector<RECT>{} : RectsOutside(kept.region.get(), width, height);
    kept.size = SIZE{width, height};
    return kept;
}

// Whether the graphics smooths edges (GDI+ SmoothingModeHighQuality or AntiAlias); the direct
// fills reproduce only the aliased ones.
bool Antialiased(const plus::PlusGraphics& graphics) {
    const int mode = graphics.GetSmoothingMode();
    return mode == 2 || mode == 4 || mode == 5;
}

// Strokes an AddRoundedRect outline with a 1-pixel pen of `colour` as DrawPath does (no
// anti-aliasing), at a fraction of its cost: a software GDI+ processes the whole bounding box
// of a path, a window-sized one for an outline. Here GDI+ draws only the corners, each on a
// small transparent layer: the arc with a stretch of both its edges, in opaque white, so a
// pixel the arc and an edge share is marked once, as the whole path sets it once; `colour` is
// laid over the marked pixels. Between the corners the edges are straight lines on whole pixel
// rows and columns, laid directly. False (nothing drawn) for an outline too small to cut up or
// of another shape.
// A corner piece's layer (see StrokeOutlineInPieces): corner k, its arc's four points
// relative to the layer's top left, and the opaque white marks GDI+ made there.
struct CornerLayer {
    int k = 0;
    std::array<plus::PointF, 4> arc{};
    std::vector<std::uint32_t> layer;
};

std::vector<CornerLayer>& CornerLayers() {
    // A few outlines (two per window and DPI) in use at once; a handful of layers each.
    thread_local std::vector<CornerLayer> kept;
    return kept;
}

const CornerLayer* KeptCorner(const CornerLayer& key) {
    for (const CornerLayer& kept : CornerLayers())
        if (kept.k == key.k && std::equal(kept.arc.begin(), kept.arc.end(), key.arc.begin(),
                                          [](const plus::PointF& a, const plus::PointF& b) {
                                              return a.x == b.x && a.y == b.y;
                                          }))
            return &kept;
    return nullptr;
}

void KeepCorner(CornerLayer corner) {
    constexpr std::size_t kMostKept = 64;
    std::vector<CornerLayer>& kept = CornerLayers();
    if (kept.size() >= kMostKept) kept.erase(kept.begin());
    kept.push_back(std::move(corner));
}

bool StrokeOutlineInPieces(const PixelRows& pixels, const plus::PlusPath& outline,
                           plus::ARGB colour) {
    std::vector<plus::PointF> p;
    if (!outline.GetPathPoints(p) || p.size() != 16) return false; // four one-curve arcs
    // Corner k's arc is points 4k..4k+3: upper right, lower right, lower left, upper left. The
    // edges join them on whole pixel lines: top y, right x, bottom y, left x.
    const float topY = p[0].y, rightX = p[3].x, bottomY = p[7].y, leftX = p[11].x;
    const auto whole = [](float v) { return v == std::floor(v); };
    if (p[15].y != topY || p[4].x != rightX || p[8].y != bottomY || p[12].x != leftX ||
        !whole(topY) || !whole(rightX) || !whole(bottomY) || !whole(leftX))
        return false;
    constexpr float kStretch = 12; // how far a corner piece runs along its edges
    constexpr int kMargin = 3;     // a corner's layer: the arc's bounds and this much around
    if (rightX - leftX < 4 * kStretch || bottomY - topY < 4 * kStretch) return false;

    RECT box[4];
    const plus::PointF in[4] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};  // along the entering edge
    const plus::PointF out[4] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}}; // along the leaving edge
    const plus::ByteSet types{0, 1, 3, 3, 3, 1};                    // start, line, Bezier, line
    for (int k = 0; k < 4; ++k) {
        const plus::PointF* arc = &p[static_cast<std::size_t>(4 * k)];
        float minX = arc[0].x, minY = arc[0].y, maxX = arc[0].x, maxY = arc[0].y;
        for (int i = 1; i < 4; ++i) {
            minX = std::min(minX, arc[i].x);
            minY = std::min(minY, arc[i].y);
            maxX = std::max(maxX, arc[i].x);
            maxY = std::max(maxY, arc[i].y);
        }
        box[k] = RECT{static_cast<LONG>(std::floor(minX)) - kMargin,
                      static_cast<LONG>(std::floor(minY)) - kMargin,
                      static_cast<LONG>(std::ceil(maxX)) + kMargin + 1,
                      static_cast<LONG>(std::ceil(maxY)) + kMargin + 1};
        // A corner outside the pixels at hand (a drag step's band) would be laid nowhere.
        const RECT block{pixels.left, pixels.top, pixels.left + pixels.width,
                         pixels.top + pixels.height};
        RECT meet{};
        if (!IntersectRect(&meet, &box[k], &block)) continue;
        const int width = static_cast<int>(box[k].right - box[k].left);
        const int height = static_cast<int>(box[k].bottom - box[k].top);
        // The same corner comes back at every size of a window (and every step of a drag):
        // its layer is kept, found by the arc's points relative to its box.
        CornerLayer key{k, {}, {}};
        for (int i = 0; i < 4; ++i)
            key.arc[static_cast<std::size_t>(i)] = {arc[i].x - static_cast<float>(box[k].left),
                                                    arc[i].y - static_cast<float>(box[k].top)};
        if (const CornerLayer* kept = KeptCorner(key)) {
            BlendLayer(pixels, kept->layer, width, height, box[k].left, box[k].top, colour);
            continue;
        }
        std::vector<std::uint32_t> layer(static_cast<std::size_t>(width) * height, 0);
        {
            plus::PlusBitmap bitmap;
            plus::PlusGraphics on;
            plus::PlusPen pen;
            plus::PlusPath piece;
            const std::vector<plus::PointF> points{
                {arc[0].x - in[k].x * kStretch, arc[0].y - in[k].y * kStretch},
                arc[0],
                arc[1],
                arc[2],
                arc[3],
                {arc[3].x + out[k].x * kStretch, arc[3].y + out[k].y * kStretch}};
            if (!bitmap.CreateFromScan0(width, height, width * 4, plus::Format32bppARGB,
                                        reinterpret_cast<BYTE*>(layer.data())) ||
                !on.CreateFromImage(bitmap) ||
                !on.TranslateWorldTransform(static_cast<float>(-box[k].left),
                                            static_cast<float>(-box[k].top)) ||
                !pen.CreatePen(0xFFFFFFFF, 1) || !piece.CreatePath2(points, types) ||
                !on.DrawPath(pen, piece))
                return false;
        }
        BlendLayer(pixels, layer, width, height, box[k].left, box[k].top, colour);
        key.layer = std::move(layer);
        KeepCorner(std::move(key));
    }
    const LONG top = static_cast<LONG>(topY), right = static_cast<LONG>(rightX);
    const LONG bottom = static_cast<LONG>(bottomY), left = static_cast<LONG>(leftX);
    BlendSpans(pixels,
               {RECT{box[3].right, top, box[0].left, top + 1},
                RECT{right, box[0].bottom, right + 1, box[1].top},
                RECT{box[2].right, bottom, box[1].left, bottom + 1},
                RECT{left, box[3].bottom, left + 1, box[2].top}},
               colour);
    return true;
}

// Shows what a rebuild that could not get its back buffer leaves: the last good image where
// it still fits, and the system's face colour (a stock brush, no new handle) around it. The
// DC given to the rebuild is released as the rebuild would.
void ShowLastGoodImage(const WindowRecord& record, std::optional<HDC> dc) {
    if (!dc) return;
    const HWND window = record.Window;
    if (*dc) ReleaseDC(window, *dc);
    gdi::WindowDC screen = ChildSafeWindowDC(window);
    if (!screen) return;
    const RECT rc = ClientRectOf(window);
    const PixelRows held = BackBufferPixels(record);
    const LONG width = held ? std::min<LONG>(held.width, rc.right) : 0;
    const LONG height = held ? std::min<LONG>(held.height, rc.bottom) : 0;
    if (width > 0 && height > 0)
        BitBlt(screen.get(), 0, 0, width, height, record.BackBufferDC.get(), 0, 0, SRCCOPY);
    const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    const RECT right{width, 0, rc.right, rc.bottom};
    const RECT below{0, height, width, rc.bottom};
    if (right.left < right.right) FillRect(screen.get(), &right, face);
    if (below.top < below.bottom) FillRect(screen.get(), &below, face);
}

} // namespace

BackBufferCanvas::BackBufferCanvas(const WindowRecord& record) {
    const PhaseClock clock(PaintPhase::BackBuffer);
    const PixelRows pixels = BackBufferPixels(record);
    if (pixels &&
        bitmap_.CreateFromScan0(pixels.width, pixels.height, pixels.stride, plus::Format32bppARGB,
                                pixels.bits) &&
        graphics_.CreateFromImage(bitmap_)) {
        graphics_.pixels = pixels;
    } else {
        graphics_.CreateFromHDC(record.BackBufferDC.get());
    }
}

BackBufferCanvas::BackBufferCanvas(const WindowRecord& record, const RECT& area) {
    const PhaseClock clock(PaintPhase::BackBuffer);
    const PixelRows pixels = BackBufferPixels(record).Part(area);
    if (pixels &&
        bitmap_.CreateFromScan0(pixels.width, pixels.height, pixels.stride, plus::Format32bppARGB,
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

PixelRows BackBufferPixels(const WindowRecord& record) {
    const PixelRows held = PixelRowsOf(record.BackBufferDC.bitmap());
    const SIZE size = record.BackBufferSize;
    if (size.cx <= 0 || size.cy <= 0) return held;
    return held.Part(RECT{0, 0, size.cx, size.cy});
}

std::size_t KeptCornerLayerCount() {
    return CornerLayers().size();
}

PixelRows DirectPixels(plus::PlusGraphics& graphics) {
    const auto* canvas = dynamic_cast<const BackBufferCanvas::Graphics*>(&graphics);
    return canvas ? canvas->pixels : PixelRows{};
}

bool SetRoundRegion(HWND window, int corner) {
    const RECT rc = ClientRectOf(window);
    gdi::Region region(CreateRoundRectRgn(0, 0, rc.right + 1, rc.bottom + 1, corner, corner));
    if (!region) return false;
    // A rebuild at an unchanged size (a theme change, a restored window) keeps the region the
    // window has: setting it again costs a round trip to the display for nothing.
    gdi::Region current(CreateRectRgn(0, 0, 0, 0));
    gdi::Region difference(CreateRectRgn(0, 0, 0, 0));
    if (current && difference && GetWindowRgn(window, current.get()) != ERROR &&
        CombineRgn(difference.get(), current.get(), region.get(), RGN_XOR) == NULLREGION)
        return true;
    // The window has no frame of its own, so its client rectangle does not depend on the
    // region: the new region replaces the old one in one step. It is set without a redraw: the
    // rebuild that sets it shows the whole window (or its caller invalidates it), and a redraw
    // would invalidate the window and every control once more, a second paint of all of them at
    // each step of a live resize.
    if (!SetWindowRgn(window, region.get(), FALSE)) return false;
    region.release();
    return true;
}

void SetRoundRegion(WindowRecord& record) {
    if (record.LiveSizing) {
        // While the frame is dragged the window is square: a region follows every step of the
        // drag, and setting one is the costliest part of a step (the system moves the frame
        // once more and the display shapes the window again). The drag's end rounds it.
        if (record.RegionSize.cx == kSquareWhileSizing) return;
        if (SetWindowRgn(record.Window, nullptr, FALSE))
            record.RegionSize = SIZE{kSquareWhileSizing, kSquareWhileSizing};
        return;
    }
    const RECT rc = ClientRectOf(record.Window);
    if (record.RegionSize.cx == rc.right && record.RegionSize.cy == rc.bottom) return;
    record.RegionSize =
        SetRoundRegion(record.Window, Px(record, 5)) ? SIZE{rc.right, rc.bottom} : SIZE{-1, -1};
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

// The parts of a drag step's image that the step from `before` to `size` moves, when the
// rest of the image composed at `before` is still right at `size`: the caption rows, the
// right edge and the rows from the status bar (or the bottom edge) down, each reaching
// inside the smaller of the two sizes by the border and its rounded corners. Empty when
// the whole image is to be composed: outside a frame drag, when the last image is not whole,
// at an unchanged size (something other than the size changed), after a DPI change, and
// for a picture laid out by the size other than the stretched one the drag keeps.
std::vector<RECT> DragStepBands(const WindowRecord& record, SIZE before, SIZE size) {
    if (!record.LiveSizing || !record.ImageWhole || record.DragDpi != record.Dpi) return {};
    if (record.DragPictureSize.cx <= 0 || record.DragPictureSize.cy <= 0) return {};
    if (before.cx <= 0 || before.cy <= 0 || (before.cx == size.cx && before.cy == size.cy))
        return {};
    if (SystemLookOn()) return {};
    const bool ownImage = !record.OwnImage.empty();
    const bool hasImage = ownImage || !Engine.ThemeImage.empty();
    const int mode = ownImage ? record.OwnImageMode : Engine.ThemeImageMode;
    if (hasImage && mode != kImageStretched) return {};
    const LONG edge = Px(record, 12);
    const LONG caption = record.HasCaption ? Px(record, record.CaptionHeight) : 0;
    const LONG top = std::min(size.cy, std::max(edge, caption));
    // The status bar's rows from the bottom: its height, the frame under it (as wide as the
    // frame beside it) and a row, whether or not it has been laid out for this size yet.
    const LONG statusRows =
        record.StatusHeight > 0 ? record.StatusRect.height + record.StatusRect.x + 1 : 0;
    const LONG bottom =
        std::max(top, std::min(before.cy, size.cy) - std::max(edge, statusRows + 1));
    const LONG right = std::max<LONG>(0, std::min(before.cx, size.cx) - edge);
    std::vector<RECT> bands;
    for (const RECT& band : {RECT{0, 0, size.cx, top}, RECT{right, top, size.cx, bottom},
                             RECT{0, bottom, size.cx, size.cy}})
        if (band.left < band.right && band.top < band.bottom) bands.push_back(band);
    return bands;
}

void SkinEngine::RebuildBackground(int position, std::optional<HDC> dc) {
    Rebuild(position, dc, nullptr, false);
}

void SkinEngine::RebuildThroughPaintDC(int position, HDC paintDC, bool wholeClient) {
    Rebuild(position, paintDC ? std::optional<HDC>(HDC{}) : std::nullopt, paintDC, wholeClient);
}

void SkinEngine::Rebuild(int position, std::optional<HDC> dc, HDC paintDC, bool wholeClient) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    const HWND window = record->Window;
    const RECT rc = ClientRectOf(window);
    if (rc.right <= 0 || rc.bottom <= 0 || IsIconic(window)) {
        // Nothing to show (no client, or minimized): the image, its bitmap and the region stay
        // those of the last size, right at once when the window is restored, and the window
        // stays stale until it has a size to compose for.
        if (dc && *dc) ReleaseDC(window, *dc);
        record->BackgroundStale = 1;
        return;
    }
    {
        const PhaseClock clock(PaintPhase::Region);
        SetRoundRegion(*record);
    }
    std::optional<PhaseClock> bufferClock(std::in_place, PaintPhase::BackBuffer);

    // The DC is made once and keeps its bitmap for the window's life, and the bitmap is kept
    // while the client fits it (every pixel of the image is composed again below). A bitmap
    // replaced on a resize gets room to grow, so a drag does not make one at every step.
    const bool first = !record->BackBufferDC;
    if (first) {
        record->BackBufferDC = gdi::MemoryDC::Create();
        SetPropValue(window, kPropBackBufferOriginalBitmap,
                     reinterpret_cast<LONG_PTR>(record->BackBufferDC.original()));
    }
    const SIZE size{rc.right, rc.bottom};
    const bool keepLarger = record->KeepLargerBitmaps != 0;
    const bool newBitmap = HoldAtLeast(record->BackBufferDC, size,
                                       !first && record->BackBufferDC.bitmap(), keepLarger);
    if (newBitmap)
        SetPropValue(window, kPropBackBufferBitmap,
                     reinterpret_cast<LONG_PTR>(record->BackBufferDC.bitmap()));
    const PixelRows held = PixelRowsOf(record->BackBufferDC.bitmap());
    const bool fits = held && held.width >= size.cx && held.height >= size.cy;
    if (!fits && size.cx > 0 && size.cy > 0) {
        // No bitmap of the new size could be made (the process is out of GDI handles or
        // memory): the last good image stays as it is and the window stays stale, so the next
        // paint tries again.
        ShowLastGoodImage(*record, dc);
        record->BackgroundStale = 1;
        record->ShortRebuild = true;
        record->ImageWhole = false;
        return;
    }
    bufferClock.reset();
    // A drag step composes only what the new size moves; the rest of the last image stays.
    const std::vector<RECT> bands =
        newBitmap ? std::vector<RECT>{} : DragStepBands(*record, record->BackBufferSize, size);
    record->BackBufferSize = size;
    const HDC buffer = record->BackBufferDC.get();
    // A drawing object refused on the way leaves the image incomplete: it is shown, and the
    // window stays stale, so the next paint composes it again.
    const int refusedBefore = plus::CreationsOutOfMemory();
    bool whole = true;

    {
        // One canvas over the whole image, or one per band of a drag step. Each composes the
        // background and the border first, then (after the clean strips are kept) what lies on
        // them, so the strips hold the bands' new pixels.
        std::vector<std::unique_ptr<BackBufferCanvas>> canvases;
        std::vector<RECT> areas = bands;
        if (bands.empty()) {
            canvases.push_back(std::make_unique<BackBufferCanvas>(*record));
            areas.push_back(RECT{0, 0, size.cx, size.cy});
        } else {
            // The outline's spans are worked out on a canvas without a transform.
            BackBufferCanvas wholeCanvas(*record);
            if (DirectPixels(wholeCanvas.graphics()))
                OutlineFor(*record, rc.right, rc.bottom, wholeCanvas.graphics());
            for (const RECT& band : bands)
                canvases.push_back(std::make_unique<BackBufferCanvas>(*record, band));
        }
        std::vector<RECT> outside;
        for (auto& canvas : canvases) {
            if (!canvas->ready()) {
                // Nothing can be composed: a plain face rather than whatever the bitmap held.
                const RECT all{0, 0, size.cx, size.cy};
                FillRect(buffer, &all, GetSysColorBrush(COLOR_BTNFACE));
                whole = false;
            }
            plus::PlusGraphics& graphics = canvas->graphics();
            PaintBackground(position, graphics);

            // Everything after the background is drawn under the rounded clip it sets, which
            // leaves the magenta corners alone. With the pixels at hand the corners are simply
            // made magenta again instead: a clip costs every later GDI+ call a region.
            const PixelRows pixels = DirectPixels(graphics);
            if (pixels) outside = OutlineFor(*record, rc.right, rc.bottom, graphics).outside;
            if (pixels && !outside.empty()) graphics.ResetClip();
            if (record->HasCaption) PaintBorder(position, graphics);
        }
        const PixelRows image = BackBufferPixels(*record);
        // The corners outside the outline: cut away by the region, or while the window is
        // square (a frame drag) the colour of its outer edge halfway down the left side.
        plus::ARGB corners = kMagenta;
        {
            const PhaseClock clock(PaintPhase::Strips);
            for (auto& canvas : canvases)
                canvas->graphics().Flush(1); // FlushIntentionSync: the strips are copied with GDI
            if (record->RegionSize.cx == kSquareWhileSizing && image && image.height > 0)
                corners = image.Row(image.height / 2)[0] | 0xFF000000u;
            for (auto& canvas : canvases)
                FillSpans(DirectPixels(canvas->graphics()), outside, corners);
            if (record->HasCaption)
                KeepStrip(record->CaptionStripDC, buffer, image, 0, 0, rc.right,
                          Px(*record, record->CaptionHeight), keepLarger);
            if (record->StatusHeight > 0) {
                const PaneRect& bar = record->StatusRect;
                KeepStrip(record->StatusStripDC, buffer, image, bar.x, bar.y, bar.width, bar.height,
                          keepLarger);
            } else {
                record->StatusStripDC.reset();
            }
        }

        const RECT captionRows{0, 0, size.cx, Px(*record, record->CaptionHeight)};
        const PaneRect& bar = record->StatusRect;
        const RECT statusRows{0, bar.y, size.cx, bar.y + bar.height};
        for (std::size_t k = 0; k < canvases.size(); ++k) {
            plus::PlusGraphics& graphics = canvases[k]->graphics();
            RECT meet{};
            if (record->HasCaption &&
                (bands.empty() || IntersectRect(&meet, &areas[k], &captionRows))) {
                if (record->ShowTitle) PaintTitle(position, &graphics);
                const int buttons = static_cast<int>(record->CaptionButtons.size());
                for (int i = 1; i <= buttons; ++i)
                    PaintCaptionButton(position, i, &graphics);
            }
            if (record->StatusHeight > 0 &&
                (bands.empty() || IntersectRect(&meet, &areas[k], &statusRows))) {
                const int panes = static_cast<int>(record->StatusPanes.size());
                for (int i = 1; i <= panes; ++i)
                    PaintStatusPane(position, &graphics, i);
            }
            graphics.Flush(1);
            FillSpans(DirectPixels(graphics), outside, corners);
        }
    }
    const bool square = record->RegionSize.cx == kSquareWhileSizing;
    if (!square && (record->RegionSize.cx != rc.right || record->RegionSize.cy != rc.bottom))
        whole = false;
    if (record->HasCaption && !record->CaptionStripDC.bitmap()) whole = false;
    if (record->StatusHeight > 0 && !record->StatusStripDC.bitmap()) whole = false;
    if (plus::CreationsOutOfMemory() != refusedBefore) whole = false;
    record->ImageWhole = whole;
    const int stale = whole ? 0 : 1;
    if (!whole) {
        record->ShortRebuild = true;
    } else if (record->ShortRebuild) {
        // While the handles were short the system may have left the children clipped to the
        // sizes the window had then (Wine does): a frame change makes it lay them out again.
        record->ShortRebuild = false;
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    if (!dc) {
        record->BackgroundStale = stale;
        return;
    }
    if (*dc) ReleaseDC(window, *dc);
    {
        const PhaseClock clock(PaintPhase::ToScreen);
        // The paint's DC reaches what changed: the whole client, or the step's bands when
        // the rebuild composed just those (whatever made it compose more may have changed
        // any pixel).
        if (paintDC && (wholeClient || !bands.empty())) {
            ExcludeOpaqueChildren(window, paintDC);
            BitBlt(paintDC, 0, 0, rc.right, rc.bottom, buffer, 0, 0, SRCCOPY);
        } else {
            gdi::WindowDC screen = ChildSafeWindowDC(window);
            BitBlt(screen.get(), 0, 0, rc.right, rc.bottom, buffer, 0, 0, SRCCOPY);
        }
    }
    record->BackgroundStale = stale;
    if (Engine.FirstPaint != 0) return;
    if (record->LiveSizing)
        record->ControlsOwed = true;
    else
        InvalidateSkinnedControls(position);
}

void SkinEngine::PaintBackground(int position, plus::PlusGraphics& graphics) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    const PhaseClock clock(PaintPhase::Fill);
    if (SystemLookOn()) return PaintSystemBackground(*record, graphics);
    const RECT rc = ClientRectOf(record->Window);
    const float width = static_cast<float>(rc.right);
    const float height = static_cast<float>(rc.bottom);

    plus::PlusPath outline;
    outline.CreatePath();
    AddRoundedRect(outline, 0, 0, width, height, PxF(*record, 4));
    const bool ownImage = !record->OwnImage.empty();
    const plus::ARGB colour = ToArgb(ownImage ? record->OwnColour : Engine.ThemeColour, 255, 1);

    // On a canvas the clear, the fill and the gloss are written straight into the pixels: the
    // same pixels GDI+ would touch (the spans of the outline's region, which is also the
    // clip), at a small fraction of its cost. GDI+ still draws the image, under the clip.
    // A canvas over part of the image (a drag step's band) draws straight into its pixels once
    // the outline's spans for this size are kept: they are worked out without a transform.
    const PixelRows pixels = DirectPixels(graphics);
    const bool wholeImage = pixels && pixels.left == 0 && pixels.top == 0 &&
                            pixels.width == rc.right && pixels.height == rc.bottom;
    const bool outlineKept = record->Outline.region && record->Outline.size.cx == rc.right &&
                             record->Outline.size.cy == rc.bottom;
    const bool direct = pixels && (wholeImage || outlineKept) && !Antialiased(graphics);
    static const std::vector<RECT> none;
    const OutlineSpans* spans =
        direct ? &OutlineFor(*record, rc.right, rc.bottom, graphics) : nullptr;
    const std::vector<RECT>& inside = spans ? spans->inside : none;
    const int imageMode = ownImage ? record->OwnImageMode : Engine.ThemeImageMode;
    const bool hasImage = !Engine.ThemeImage.empty() || ownImage;
    // During a frame drag the picture keeps the layout of the drag's start.
    const SIZE laidOut =
        record->LiveSizing && record->DragPictureSize.cx > 0 && record->DragPictureSize.cy > 0
            ? record->DragPictureSize
            : SIZE{rc.right, rc.bottom};
    const BackgroundPicture* stretched =
        !inside.empty() && imageMode == kImageStretched && hasImage
            ? KeptBackgroundPicture(*record, RECT{0, 0, laidOut.cx, laidOut.cy})
            : nullptr;
    if (!inside.empty()) {
        FillSpans(pixels, spans->outside, kMagenta);
        // An opaque picture stretched over every inside pixel leaves nothing of the colour.
        if (!stretched || !stretched->opaque) FillSpans(pixels, inside, colour);
        // The same pixels as a clip: GDI+ turns a path clip into a region on every call that
        // draws under it, which the rest of a rebuild (a dozen calls) would pay each time.
        graphics.SetClipHrgn(spans->region.get(), 0);
    } else {
        graphics.Clear(kMagenta);
        graphics.SetClipPath(outline, 0);
        plus::PlusSolidBrush fill;
        fill.Create(colour);
        graphics.FillPath(fill, outline);
    }

    if (!inside.empty() && imageMode == kImageStretched && hasImage) {
        // Stretched straight into the pixels: GDI+ resamples through a general transform, many
        // times slower, and a live resize stretches the picture again at every step.
        if (stretched)
            StretchOver(pixels, stretched->pixels.data(), stretched->width, stretched->height,
                        laidOut.cx, laidOut.cy, inside, SIZE{rc.right, rc.bottom});
    } else if (hasImage) {
        const PreparedBackground picture = PrepareBackgroundImage(*record, rc);
        if (picture.image)
            graphics.DrawImageRect(*picture.image, picture.x, picture.y, picture.width,
                                   picture.height);
    }

    if (record->CaptionGloss) {
        const int captionRows = Px(*record, record->CaptionHeight);
        const float caption = static_cast<float>(captionRows);
        const plus::ARGB top = ToArgb(0xFFFFFF, 150, 1);
        const plus::ARGB bottom = ToArgb(0xFFFFFF, 0, 1);
        if (!inside.empty()) {
            BlendVerticalGradient(pixels, RECT{0, 0, rc.right, captionRows}, 0, caption, top,
                                  bottom, &inside);
        } else {
            plus::PlusLinearBrush gloss;
            gloss.Create(plus::PointF{0, 0}, plus::PointF{0, caption}, top, bottom);
            graphics.FillRectangle(gloss, 0, 0, width, caption);
        }
    }
}

const BackgroundPicture* KeptBackgroundPicture(WindowRecord& record, const RECT& clientRect) {
    const bool ownImage = !record.OwnImage.empty();
    const ByteSet& source = ownImage ? record.OwnImage : Engine.ThemeImage;
    const int mode = ownImage ? record.OwnImageMode : Engine.ThemeImageMode;
    BackgroundPicture& cache = ownImage ? record.OwnPicture : Engine.ThemePicture;
    // The edge-blended modes blend into the colour the picture lies on.
    const COLORREF blendColour = ownImage ? record.OwnColour : Engine.ThemeColour;
    return CachedPicture(cache, source, mode, SIZE{clientRect.right, clientRect.bottom},
                         blendColour);
}

PreparedBackground PrepareBackgroundImage(WindowRecord& record, const RECT& clientRect) {
    PreparedBackground prepared;
    const bool ownImage = !record.OwnImage.empty();
    const int mode = ownImage ? record.OwnImageMode : Engine.ThemeImageMode;
    const BackgroundPicture* picture = KeptBackgroundPicture(record, clientRect);
    if (!picture) return prepared;

    auto image = std::make_unique<plus::PlusBitmap>();
    if (!PictureBitmap(*picture, *image)) return prepared;
    const float width = static_cast<float>(clientRect.right);
    const float height = static_cast<float>(clientRect.bottom);
    const float fullWidth = static_cast<float>(picture->fullWidth);
    const float fullHeight = static_cast<float>(picture->fullHeight);
    prepared.width = static_cast<float>(picture->width);
    prepared.height = static_cast<float>(picture->height);
    switch (mode) {
        case kImageBlendLeft: prepared.x = width - fullWidth + picture->offsetX; break;
        case kImageCentred:
            prepared.x = (width - fullWidth) / 2 + picture->offsetX;
            prepared.y = (height - fullHeight) / 2 + picture->offsetY;
            break;
        case kImageStretched:
            prepared.width = width;
            prepared.height = height;
            break;
        default: break;
    }
    if (mode != kImageTiled) {
        prepared.image = std::move(image);
        return prepared;
    }

    // A strip as wide as the client: the image, then mirrored, then normal again, and so on.
    // (Tiles lie a whole image width apart; where less of the image was kept, the next tile
    // starts beyond any client the picture serves.)
    const int tile = picture->fullWidth;
    if (clientRect.right <= 0) return prepared;
    auto strip = std::make_unique<plus::PlusBitmap>();
    if (!strip->Create(clientRect.right, picture->height)) return prepared;
    {
        plus::PlusGraphics graphics;
        graphics.CreateFromImage(*strip);
        for (int k = 0; k * tile < clientRect.right; ++k) {
            graphics.DrawImageRect(*image, static_cast<float>(k * tile), 0, prepared.width,
                                   prepared.height);
            image->RotateFlip(4); // RotateNoneFlipX
        }
    }
    prepared.width = static_cast<float>(clientRect.right);
    prepared.image = std::move(strip);
    return prepared;
}

void SkinEngine::PaintBorder(int position, plus::PlusGraphics& graphics) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    const PhaseClock clock(PaintPhase::Border);
    if (SystemLookOn()) return PaintSystemBorder(*record, graphics);
    const RECT rc = ClientRectOf(record->Window);
    const float w = static_cast<float>(rc.right);
    const float h = static_cast<float>(rc.bottom);

    // On a canvas without a clip the outlines are stroked in pieces (StrokeOutlineInPieces).
    const PixelRows pixels = DirectPixels(graphics);
    const bool direct = pixels && !Antialiased(graphics) && Unclipped(graphics);

    const auto stroke = [&](float x, float y, float width, float height, float corner,
                            plus::ARGB colour) {
        plus::PlusPath outline;
        outline.CreatePath();
        AddRoundedRect(outline, x, y, width, height, corner);
        if (direct && StrokeOutlineInPieces(pixels, outline, colour)) return;
        plus::PlusPen pen;
        pen.CreatePen(colour, 1);
        graphics.DrawPath(pen, outline);
    };
    stroke(0, 0, w - 1, h - 1, PxF(*record, 7), ToArgb(0x000000, 180, 1)); // outer, dark
    stroke(1, 1, w - 3, h - 3, PxF(*record, 6), ToArgb(0xFFFFFF, 180, 1)); // inner, light
}

void SkinEngine::ShowBackBuffer(int position, HDC dc) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return;
    const HWND window = record->Window;
    gdi::WindowDC screen = gdi::WindowDC::Adopt(window, dc);
    if (!screen || !record->BackBufferDC) return;
    const PhaseClock clock(PaintPhase::ToScreen);
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
    return RectsOutside(PathRegion(outline, graphics).get(), width, height);
}

void ClipTo(plus::PlusGraphics& graphics, const RECT& area) {
    graphics.SetClipRectI(area.left, area.top, area.right - area.left, area.bottom - area.top,
                          0); // CombineModeReplace
}

void InvalidateWithChildren(HWND window, bool includeChildren) {
    InvalidateRect(window, nullptr, TRUE);
    if (includeChildren) InvalidateChildren(window);
}

void AnswerSizeMoveMessage(int position, UINT message) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    if (message == WM_ENTERSIZEMOVE) {
        record->LiveSizing = true;
        record->DragPictureSize = record->BackBufferSize;
        record->DragDpi = record->Dpi;
    } else if (message == WM_EXITSIZEMOVE) {
        record->LiveSizing = false;
        const SIZE laidOut = std::exchange(record->DragPictureSize, SIZE{0, 0});
        const bool moved = laidOut.cx > 0 && (laidOut.cx != record->BackBufferSize.cx ||
                                              laidOut.cy != record->BackBufferSize.cy);
        if (record->RegionSize.cx == kSquareWhileSizing || moved) {
            // Square for the drag, or the picture laid out for the drag's start: the next
            // paint composes it with its rounded corners and the picture laid out afresh.
            record->BackgroundStale = 1;
            if (RedrawWindow(record->Window, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN))
                record->WholeClientInvalid = true;
        }
        if (record->ControlsOwed) {
            record->ControlsOwed = false;
            InvalidateSkinnedControls(position);
        }
    }
}

void InvalidateResized(int position, WPARAM kind, SIZE size) {
    WindowRecord* record = RecordAt(position);
    if (!record || kind == SIZE_MINIMIZED) return;
    const std::vector<RECT> bands = kind == SIZE_RESTORED
                                        ? DragStepBands(*record, record->BackBufferSize, size)
                                        : std::vector<RECT>{};
    for (const RECT& band : bands)
        InvalidateRect(record->Window, &band, FALSE);
    record->StepBandsInvalid = !bands.empty();
    if (bands.empty() &&
        RedrawWindow(record->Window, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN))
        record->WholeClientInvalid = true;
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
