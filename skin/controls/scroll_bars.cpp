#include "skin/controls/scroll_bars.h"

#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "skin/controls/framework.h"
#include "skin/core/capture.h"
#include "skin/core/dpi.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/skin_engine.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace skin {
namespace {

using plus::PointF;

constexpr int kGlyphAlpha = 170;
constexpr int kDisabledGlyphAlpha = 60;
constexpr int kChannelAlpha = 18;
constexpr int kThumbAlpha = 90;
constexpr int kHotAlpha = 150;
constexpr int kPressedAlpha = 215;

ScrollBarLook ReadBar(HWND control, LONG id, LONG style, const RECT& window,
                      const ScrollBarState& state, UINT dpi) {
    ScrollBarLook look;
    const LONG bit = id == OBJID_VSCROLL ? WS_VSCROLL : WS_HSCROLL;
    SCROLLBARINFO info{};
    info.cbSize = sizeof info;
    if (!(style & bit) || !GetScrollBarInfo(control, id, &info)) return look;
    if (info.rgstate[0] & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) return look;
    RECT bar = info.rcScrollBar;
    OffsetRect(&bar, -window.left, -window.top);
    if (IsRectEmpty(&bar)) return look;
    look.Shown = true;
    look.Vertical = id == OBJID_VSCROLL;
    look.Bar = bar;
    look.Dpi = dpi ? dpi : ControlDpi(control);
    // The arrows are the system's arrow size long, or half the bar when it is shorter than two
    // (dxyLineButton is the thumb's length, not an arrow's). The system sizes a bar for the
    // window's DPI where it scales them per window, so the arrow keeps the system's proportion to
    // the bar's thickness: exactly the system's metric whenever the bar has the system's width.
    const int length = look.Vertical ? bar.bottom - bar.top : bar.right - bar.left;
    const int thickness = look.Vertical ? bar.right - bar.left : bar.bottom - bar.top;
    const int systemThickness = GetSystemMetrics(look.Vertical ? SM_CXVSCROLL : SM_CYHSCROLL);
    const int systemArrow = GetSystemMetrics(look.Vertical ? SM_CYVSCROLL : SM_CXHSCROLL);
    const int arrow = systemThickness > 0 && thickness != systemThickness
                          ? MulDiv(systemArrow, thickness, systemThickness)
                          : systemArrow;
    look.Arrow = std::min(arrow, length / 2);
    if (!(info.rgstate[3] & STATE_SYSTEM_INVISIBLE) && info.xyThumbBottom > info.xyThumbTop) {
        look.ThumbStart = info.xyThumbTop;
        look.ThumbEnd = info.xyThumbBottom;
        look.Arrow = std::min(look.Arrow, look.ThumbStart);
    }
    look.Disabled = (info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
    look.BeforeDisabled = look.Disabled || (info.rgstate[1] & STATE_SYSTEM_UNAVAILABLE);
    look.AfterDisabled = look.Disabled || (info.rgstate[5] & STATE_SYSTEM_UNAVAILABLE);
    for (int part = 1; part <= 5; ++part)
        if (info.rgstate[part] & STATE_SYSTEM_PRESSED) look.Pressed = static_cast<ScrollPart>(part);
    if (state.HotBar == id) look.Hot = state.HotPart;
    return look;
}

// The span of a part along the bar (from its start), empty when the bar has no such part.
struct Span {
    int from = 0, to = 0;
};
Span SpanOf(const ScrollBarLook& bar, ScrollPart part) {
    const int length = bar.Vertical ? bar.Bar.bottom - bar.Bar.top : bar.Bar.right - bar.Bar.left;
    const bool thumb = bar.ThumbEnd > bar.ThumbStart;
    switch (part) {
        case ScrollPart::ArrowBefore: return {0, bar.Arrow};
        case ScrollPart::PageBefore: return thumb ? Span{bar.Arrow, bar.ThumbStart} : Span{};
        case ScrollPart::Thumb: return {bar.ThumbStart, bar.ThumbEnd};
        case ScrollPart::PageAfter: return thumb ? Span{bar.ThumbEnd, length - bar.Arrow} : Span{};
        case ScrollPart::ArrowAfter: return {length - bar.Arrow, length};
        case ScrollPart::None: break;
    }
    return {};
}

// A part's rectangle in the bar's own picture (origin at the bar's top left).
plus::RectF PartRect(const ScrollBarLook& bar, ScrollPart part) {
    const Span s = SpanOf(bar, part);
    const float across = static_cast<float>(bar.Vertical ? bar.Bar.right - bar.Bar.left
                                                         : bar.Bar.bottom - bar.Bar.top);
    const float from = static_cast<float>(s.from), along = static_cast<float>(s.to - s.from);
    return bar.Vertical ? plus::RectF{0, from, across, along} : plus::RectF{from, 0, along, across};
}

// A rounded plate filling `r` less `inset` on each side (`insetAlong` at the two ends along the
// bar, when given).
void FillPlate(plus::PlusGraphics& g, const ScrollBarLook& bar, plus::RectF r, float inset,
               plus::ARGB colour, float insetAlong = -1) {
    if (insetAlong < 0) insetAlong = inset;
    const float dx = bar.Vertical ? inset : insetAlong, dy = bar.Vertical ? insetAlong : inset;
    const float w = r.width - 2 * dx, h = r.height - 2 * dy;
    if (w <= 0 || h <= 0) return;
    const float corner = static_cast<float>(ScaleToDpi(8, bar.Dpi));
    plus::PlusPath path = RoundedPath(r.x + dx, r.y + dy, w, h, std::min({w, h, corner}));
    plus::PlusSolidBrush brush;
    brush.Create(colour);
    g.FillPath(brush, path);
}

// The arrow's triangle, pointing away from the bar's middle.
void DrawArrowGlyph(plus::PlusGraphics& g, const ScrollBarLook& bar, ScrollPart part,
                    bool disabled) {
    const plus::RectF r = PartRect(bar, part);
    const float cx = r.x + r.width / 2, cy = r.y + r.height / 2;
    const float half =
        std::max(static_cast<float>(ScaleToDpi(2, bar.Dpi)), std::min(r.width, r.height) / 4);
    const float sign = part == ScrollPart::ArrowBefore ? -1.0f : 1.0f;
    std::vector<PointF> points;
    if (bar.Vertical)
        points = {{cx - half, cy - sign * half / 2},
                  {cx + half, cy - sign * half / 2},
                  {cx, cy + sign * half / 2}};
    else
        points = {{cx - sign * half / 2, cy - half},
                  {cx - sign * half / 2, cy + half},
                  {cx + sign * half / 2, cy}};
    plus::PlusSolidBrush ink;
    ink.Create(ToArgb(kBlack, disabled ? kDisabledGlyphAlpha : kGlyphAlpha));
    g.FillPolygon(ink, points);
}

int StateAlpha(const ScrollBarLook& bar, ScrollPart part, int normal) {
    if (bar.Pressed == part) return kPressedAlpha;
    if (bar.Hot == part) return kHotAlpha;
    return normal;
}

// Draws the bar over what `dc` already holds (white, or the washed background).
void DrawBar(HDC dc, const ScrollBarLook& bar) {
    plus::PlusGraphics g;
    if (!g.CreateFromHDC(dc)) return;
    g.SetSmoothingMode(plus::SmoothingModeAntiAlias);
    const float w = static_cast<float>(bar.Bar.right - bar.Bar.left);
    const float h = static_cast<float>(bar.Bar.bottom - bar.Bar.top);
    // The channel between the arrows.
    const float across = bar.Vertical ? w : h;
    const float arrow = static_cast<float>(bar.Arrow);
    const auto px = [&bar](int size) { return static_cast<float>(ScaleToDpi(size, bar.Dpi)); };
    const plus::RectF channel = bar.Vertical ? plus::RectF{0, arrow, w, h - 2 * arrow}
                                             : plus::RectF{arrow, 0, w - 2 * arrow, h};
    FillPlate(g, bar, channel, std::max(px(1), across / 2 - px(3)), ToArgb(kBlack, kChannelAlpha),
              px(1));
    for (ScrollPart part : {ScrollPart::ArrowBefore, ScrollPart::ArrowAfter}) {
        if (bar.Arrow <= 0) break;
        const bool disabled =
            part == ScrollPart::ArrowBefore ? bar.BeforeDisabled : bar.AfterDisabled;
        if (!disabled && (bar.Hot == part || bar.Pressed == part))
            FillPlate(g, bar, PartRect(bar, part), px(1),
                      ToArgb(Engine.AccentColour, StateAlpha(bar, part, 0)));
        DrawArrowGlyph(g, bar, part, disabled);
    }
    if (bar.Disabled || bar.ThumbEnd <= bar.ThumbStart) return;
    // The thumb keeps its whole length: a short one would shrink to a dot.
    FillPlate(g, bar, PartRect(bar, ScrollPart::Thumb), px(2),
              ToArgb(Engine.AccentColour, StateAlpha(bar, ScrollPart::Thumb, kThumbAlpha)),
              px(1) / 2);
}

// A new picture of the bar: on white, or in translucent mode on the washed background behind
// it.
gdi::Bitmap RenderBar(HWND control, const ScrollBarLook& bar) {
    const int w = bar.Bar.right - bar.Bar.left, h = bar.Bar.bottom - bar.Bar.top;
    if (TranslucentControlsOn()) {
        CapturedBackground background(control, bar.Bar);
        if (!background.dc()) return {};
        WashPicture(background.dc(), w, h);
        DrawBar(background.dc(), bar);
        return gdi::Bitmap(background.TakeBitmap());
    }
    gdi::Bitmap picture = gdi::CreateArgbBitmap(w, h);
    gdi::MemoryDC dc = gdi::MemoryDC::Create();
    if (!picture || !dc) return {};
    {
        gdi::Selection selected(dc.get(), picture.get());
        const RECT all{0, 0, w, h};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawBar(dc.get(), bar);
    }
    return picture;
}

void Put(HDC target, const RECT& at, HBITMAP picture) {
    gdi::MemoryDC dc = gdi::MemoryDC::Create(target);
    if (!dc || !picture) return;
    gdi::Selection selected(dc.get(), picture);
    BitBlt(target, at.left, at.top, at.right - at.left, at.bottom - at.top, dc.get(), 0, 0,
           SRCCOPY);
}

void PaintSizeBox(HWND control, HDC target, const RECT& box) {
    if (IsRectEmpty(&box)) return;
    if (TranslucentControlsOn()) {
        CapturedBackground background(control, box);
        if (!background.dc()) return;
        WashPicture(background.dc(), box.right - box.left, box.bottom - box.top);
        BitBlt(target, box.left, box.top, box.right - box.left, box.bottom - box.top,
               background.dc(), 0, 0, SRCCOPY);
        return;
    }
    FillRect(target, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// The control whose bar the system's tracking loop is running, for the message filter.
thread_local HWND TrackedControl = nullptr;

LRESULT CALLBACK TrackingFilter(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    // The loop draws the bar as it handles this message; the repaint posted here comes after.
    if (code == MSGF_SCROLLBAR && TrackedControl && msg &&
        msg->message != ScrollBarRepaintMessage())
        PostMessageA(TrackedControl, ScrollBarRepaintMessage(), 0, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The message filter for the length of one tracking loop.
class TrackingScope {
public:
    explicit TrackingScope(HWND control)
        : previous_(std::exchange(TrackedControl, control)),
          hook_(SetWindowsHookExA(WH_MSGFILTER, TrackingFilter, nullptr, GetCurrentThreadId())) {}
    ~TrackingScope() {
        if (hook_) UnhookWindowsHookEx(hook_);
        TrackedControl = previous_;
    }
    TrackingScope(const TrackingScope&) = delete;
    TrackingScope& operator=(const TrackingScope&) = delete;

private:
    HWND previous_;
    HHOOK hook_;
};

POINT WindowPointOf(HWND control, LPARAM screen) {
    RECT window{};
    GetWindowRect(control, &window);
    return POINT{static_cast<short>(LOWORD(screen)) - window.left,
                 static_cast<short>(HIWORD(screen)) - window.top};
}

} // namespace

ScrollBarsLook ReadScrollBars(HWND control, const ScrollBarState& state, UINT dpi) {
    ScrollBarsLook look;
    RECT window{};
    if (!GetWindowRect(control, &window)) return look;
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    // Read once for both bars (a property read, a trip to the window server here).
    if (!dpi && (style & (WS_VSCROLL | WS_HSCROLL))) dpi = ControlDpi(control);
    look.Vertical = ReadBar(control, OBJID_VSCROLL, style, window, state, dpi);
    look.Horizontal = ReadBar(control, OBJID_HSCROLL, style, window, state, dpi);
    if (look.Vertical.Shown && look.Horizontal.Shown)
        look.SizeBox = RECT{look.Vertical.Bar.left, look.Horizontal.Bar.top,
                            look.Vertical.Bar.right, look.Horizontal.Bar.bottom};
    return look;
}

ScrollPart ScrollPartAt(const ScrollBarLook& bar, POINT point) {
    if (!bar.Shown || !PtInRect(&bar.Bar, point)) return ScrollPart::None;
    const int along = bar.Vertical ? point.y - bar.Bar.top : point.x - bar.Bar.left;
    for (ScrollPart part : {ScrollPart::ArrowBefore, ScrollPart::ArrowAfter, ScrollPart::Thumb,
                            ScrollPart::PageBefore, ScrollPart::PageAfter}) {
        const Span s = SpanOf(bar, part);
        if (along >= s.from && along < s.to) return part;
    }
    return ScrollPart::None;
}

void PaintScrollBars(HWND control, ScrollBarState& state, bool redraw, UINT dpi) {
    const ScrollBarsLook look = ReadScrollBars(control, state, dpi);
    if (!look.Vertical.Shown && !look.Horizontal.Shown) {
        // Nothing to put back (no window DC asked for); the pictures of bars now hidden go.
        state.VerticalPicture.reset();
        state.HorizontalPicture.reset();
        state.Painted = look;
        return;
    }
    gdi::WindowDC dc = gdi::WindowDC::Whole(control);
    if (!dc) return;
    const auto paint = [&](const ScrollBarLook& bar, const ScrollBarLook& painted,
                           gdi::Bitmap& picture) {
        if (!bar.Shown) {
            picture.reset();
            return;
        }
        if (redraw || !picture || !(bar == painted)) picture = RenderBar(control, bar);
        Put(dc.get(), bar.Bar, picture.get());
    };
    paint(look.Vertical, state.Painted.Vertical, state.VerticalPicture);
    paint(look.Horizontal, state.Painted.Horizontal, state.HorizontalPicture);
    PaintSizeBox(control, dc.get(), look.SizeBox);
    state.Painted = look;
}

bool MayDrawSystemBars(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_NCHITTEST:
        case WM_SETCURSOR:
        case WM_MOUSELEAVE:
        case WM_MOUSEHOVER:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
        case WM_GETFONT:
        case WM_GETDLGCODE:
        case WM_GETOBJECT:
        case WM_NOTIFYFORMAT:
        case WM_QUERYUISTATE:
        case WM_ERASEBKGND:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_NCPAINT:
        // The input method's messages that come with every focus change draw nothing.
        case WM_IME_SETCONTEXT:
        case WM_IME_NOTIFY:
        case WM_DESTROY:
        case WM_NCDESTROY: return false;
        // An edit box scrolls while text is selected with a button held down. (Over the bars
        // themselves, WM_NCMOUSEMOVE and WM_NCMOUSELEAVE, this platform draws its hot parts.)
        case WM_MOUSEMOVE: return (wParam & (MK_LBUTTON | MK_MBUTTON | MK_RBUTTON)) != 0;
        default: return true;
    }
}

UINT ScrollBarRepaintMessage() {
    static const UINT message = RegisterWindowMessageA("VarnelScrollBarsRepaint");
    return message;
}

std::optional<LRESULT> AnswerScrollBarMessage(HWND control, ScrollBarState& state, UINT message,
                                              WPARAM wParam, LPARAM lParam,
                                              PassOnProcedure passOn) {
    if (message == ScrollBarRepaintMessage()) {
        if (HasScrollBars(control)) PaintScrollBars(control, state, false);
        return 0;
    }
    switch (message) {
        case WM_NCMOUSEMOVE: {
            const LONG bar = wParam == HTVSCROLL   ? OBJID_VSCROLL
                             : wParam == HTHSCROLL ? OBJID_HSCROLL
                                                   : 0;
            ScrollPart part = ScrollPart::None;
            if (bar) {
                const ScrollBarsLook look = ReadScrollBars(control, state);
                part = ScrollPartAt(bar == OBJID_VSCROLL ? look.Vertical : look.Horizontal,
                                    WindowPointOf(control, lParam));
            }
            const LONG hotBar = part == ScrollPart::None ? 0 : bar;
            if (hotBar == state.HotBar && part == state.HotPart) break;
            state.HotBar = hotBar;
            state.HotPart = part;
            if (hotBar) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, control, 0};
                TrackMouseEvent(&track);
            }
            PaintScrollBars(control, state, false);
            break;
        }
        case WM_NCMOUSELEAVE:
        case WM_MOUSEMOVE:
            if (!state.HotBar) break;
            state.HotBar = 0;
            state.HotPart = ScrollPart::None;
            PaintScrollBars(control, state, false);
            break;
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK: {
            if (wParam != HTVSCROLL && wParam != HTHSCROLL) break;
            // The system's own loop tracks the press (repeat, thumb track position, snapping
            // back); the filter puts the skin back after each message it handles. `state` may
            // be gone when the loop returns: the family's repaint after the message looks the
            // record up again.
            TrackingScope tracking(control);
            return passOn(control, message, wParam, lParam);
        }
        default: break;
    }
    return std::nullopt;
}

} // namespace skin
