#include "skin/controls/item_views.h"

#include "plus/plus_brush.h"
#include "plus/plus_graphics.h"
#include "plus/plus_pen.h"
#include "skin/controls/framework.h"
#include "skin/core/dpi.h"
#include "skin/core/paint_phases.h"
#include "skin/core/capture.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/core/window_services.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include <string>
#include <utility>

namespace skin {

using namespace plus;

namespace {

constexpr int kOutlineAlpha = 90;
constexpr int kAccentAlpha = 200;
constexpr LONG kOwnerDrawnStyles = 0x10 | 0x20; // LBS_OWNERDRAWFIXED, LBS_OWNERDRAWVARIABLE
constexpr LONG kSkipStyle = 0x10;               // combo lists and list views with it are left
// See the edit boxes: not a region, so the default procedure paints no border.
const WPARAM kNoRegion = static_cast<WPARAM>(static_cast<INT_PTR>(-1));

// How a member lands on the wash in translucent mode.
enum class Kind { ListBox, ComboList, ListView, TreeView, Other };

Kind KindOf(HWND window) {
    const std::string cls = ClassNameOf(window);
    if (cls == "ListBox") return Kind::ListBox;
    if (cls == "ComboLBox") return Kind::ComboList;
    if (cls == "SysListView32") return Kind::ListView;
    if (cls == "SysTreeView32") return Kind::TreeView;
    return Kind::Other;
}

bool IsOwnerDrawnListBox(HWND window, Kind kind) {
    return kind == Kind::ListBox && (GetWindowLongA(window, GWL_STYLE) & kOwnerDrawnStyles);
}

bool HasBorder(HWND window) {
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG ex = GetWindowLongA(window, GWL_EXSTYLE);
    return (style & WS_BORDER) ||
           (ex & (WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME)) != 0;
}

void Install(int windowIndex, FamilyList<ItemViewRecord>& list, HWND control) {
    // Item views are not looked up; one that runs the procedure already is left alone.
    if (RunsProcedure(control, ItemViewProc)) return;
    const int position = TakeRecord(list);
    ItemViewRecord& record = *list[static_cast<size_t>(position - 1)];
    record.Window = control;
    record.SavedProcedure = SubclassControl(control, position, windowIndex, ItemViewProc);
}

template <typename Each> void ForEachChild(HWND parent, const char* cls, Each each) {
    for (HWND c = FindWindowExA(parent, nullptr, cls, nullptr); c;
         c = FindWindowExA(parent, c, cls, nullptr))
        each(c);
}

// What a message's handling reads of the control once: where its record lies and the record.
using Found = FamilyLookup<ItemViewRecord>;

void PaintFrameOf(const Found& found, std::optional<bool> hot = std::nullopt) {
    PaintItemViewFrame(found.owner, found.position, hot);
}

LRESULT OnNcPaint(HWND window, const Found& found, LPARAM lParam) {
    PaintFrameOf(found);
    if (!HasScrollBars(window)) return DefWindowProcA(window, WM_NCPAINT, kNoRegion, lParam);
    // The bars are the skin's: the system is not asked to paint them.
    PaintScrollBars(window, found.record->ScrollBars, true, OwnerRecordAt(found.owner)->Dpi);
    return 0;
}

LRESULT OnEraseBackground(HWND window, ItemViewRecord& record, HDC dc, WPARAM wParam,
                          LPARAM lParam) {
    const Kind kind = KindOf(window);
    if (kind == Kind::ComboList || IsOwnerDrawnListBox(window, kind))
        return CallSavedProcedure(record.SavedProcedure, window, WM_ERASEBKGND, wParam, lParam);
    SetBkMode(dc, TRANSPARENT);
    // These paint their wash in WM_PAINT, over the whole client.
    if (kind != Kind::Other) return 1;
    PaintTranslucentBackground(window, dc, &record.KeptWash);
    SetTextColor(dc, TextColourOf(window));
    // The background is erased whatever colour the text had before.
    return 1;
}

// The control draws itself on a picture of the key colour (its background colour, too, so the
// rows this platform's list box fills opaque with it are keyed out as well); what is not key
// colour is laid on `wash`, the key colour in smoothed text edges included. `wash` holds the
// part of the client area at `at` (client coordinates), w x h.
void DrawKeyedOnto(HWND window, WNDPROC saved, HDC wash, POINT at, int w, int h) {
    gdi::MemoryDC keyed = gdi::MemoryDC::Create(wash);
    keyed.Adopt(gdi::CreateArgbBitmap(w, h));
    gdi::Brush key(CreateSolidBrush(kKeyColour));
    const RECT all{0, 0, w, h};
    FillRect(keyed.get(), &all, key.get());
    SetBkColor(keyed.get(), kKeyColour);
    SetViewportOrgEx(keyed.get(), -at.x, -at.y, nullptr);
    CallSavedProcedure(saved, window, WM_PAINT, reinterpret_cast<WPARAM>(keyed.get()), 0);
    SetViewportOrgEx(keyed.get(), 0, 0, nullptr);
    LayKeyedOnto(wash, keyed.get(), w, h);
}

// The tree draws itself on its key-coloured background; what is not key colour is laid on the
// wash, and the result copied around the tree's children.
LRESULT PaintTreeOnWash(HWND window, ItemViewRecord& record, LPARAM lParam) {
    RECT client{};
    GetClientRect(window, &client);
    if (client.right > 0 && client.bottom > 0) {
        WashedClientPicture wash(window, &record.KeptWash);
        DrawKeyedOnto(window, record.SavedProcedure, wash.dc(), POINT{0, 0}, client.right,
                      client.bottom);
        const PhaseClock clock(PaintPhase::Copy);
        gdi::WindowDC dc = ClientDCWithoutChildren(window);
        BitBlt(dc.get(), 0, 0, client.right, client.bottom, wash.dc(), 0, 0, SRCCOPY);
    }
    // Validates what the tree was asked to paint.
    return DefWindowProcA(window, WM_PAINT, 0, lParam);
}

// Invalidates the visible children of `window` whose rectangles meet `part` (client
// coordinates): a copy over that part may have covered them.
void InvalidateChildrenIn(HWND window, const RECT& part) {
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        RECT r{}, meet{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        if (IntersectRect(&meet, &r, &part)) InvalidateRect(child, nullptr, TRUE);
    }
}

// The list draws its items onto the washed picture (a list view straight, its text having no
// background; a list box through the key colour), which then goes to the screen in one copy;
// the children (a list view's header) repaint themselves over it. Only the part of the client
// the paint was asked for is drawn (a focus or selection change asks for a row or two): over
// the kept wash there, with the list's drawing placed so that its pixels are those a drawing
// of the whole client has at that place.
LRESULT PaintListOnWash(HWND window, ItemViewRecord& record, LPARAM lParam, bool keyed) {
    RECT part{};
    {
        gdi::PaintDC paint(window);
        const SIZE whole = ClientWashSize(window);
        const RECT client{0, 0, whole.cx, whole.cy};
        IntersectRect(&part, &paint.paint().rcPaint, &client);
        if (EqualRect(&part, &client) || IsRectEmpty(&part)) part = client;
        if (IsRectEmpty(&part)) return DefWindowProcA(window, WM_PAINT, 0, lParam);
        const bool partly = !EqualRect(&part, &client);
        const WashedClientPicture wash = partly
                                             ? WashedClientPicture(window, part, &record.KeptWash)
                                             : WashedClientPicture(window, &record.KeptWash);
        const POINT at{part.left, part.top};
        if (keyed) {
            DrawKeyedOnto(window, record.SavedProcedure, wash.dc(), at, wash.width(),
                          wash.height());
        } else {
            SetViewportOrgEx(wash.dc(), -at.x, -at.y, nullptr);
            CallSavedProcedure(record.SavedProcedure, window, WM_PAINT,
                               reinterpret_cast<WPARAM>(wash.dc()), 0);
            SetViewportOrgEx(wash.dc(), 0, 0, nullptr);
        }
        const PhaseClock clock(PaintPhase::Copy);
        BitBlt(paint.get(), at.x, at.y, wash.width(), wash.height(), wash.dc(), 0, 0, SRCCOPY);
    }
    InvalidateChildrenIn(window, part);
    return DefWindowProcA(window, WM_PAINT, 0, lParam);
}

LRESULT OnPaint(HWND window, const Found& found, WPARAM wParam, LPARAM lParam) {
    ItemViewRecord& record = *found.record;
    // Validates what was asked for; the scroll's end invalidates the whole control again.
    if (!wParam && TranslucentMode() && record.Scrolling)
        return DefWindowProcA(window, WM_PAINT, 0, lParam);
    PaintFrameOf(found);
    // A DC handed in (WM_PRINTCLIENT-style painting) is the caller's; it gets the control's own
    // painting.
    if (!TranslucentMode() || wParam)
        return CallSavedProcedure(record.SavedProcedure, window, WM_PAINT, wParam, lParam);
    switch (KindOf(window)) {
        case Kind::TreeView: return PaintTreeOnWash(window, record, lParam);
        case Kind::ListView: return PaintListOnWash(window, record, lParam, false);
        case Kind::ListBox:
        case Kind::ComboList: return PaintListOnWash(window, record, lParam, true);
        case Kind::Other: break;
    }
    return CallSavedProcedure(record.SavedProcedure, window, WM_PAINT, wParam, lParam);
}

// Where the first visible row and column are, so a scroll of any origin (keyboard, selection,
// a program's own scroll message) can be noticed.
struct ScrollOrigin {
    int vertical, horizontal;
    bool operator==(const ScrollOrigin&) const = default;
};
ScrollOrigin OriginOf(HWND window) {
    return ScrollOrigin{GetScrollPos(window, SB_VERT), GetScrollPos(window, SB_HORZ)};
}

} // namespace

ItemViewRecord* ItemViewRecordOf(HWND window) {
    return FamilyRecordOf(window, &WindowRecord::ItemViews);
}

void SkinItemViews(int windowIndex, HWND parent) {
    if (!ControlSkinsOn()) return;
    WindowRecord* owner = RecordAt(windowIndex);
    if (!owner) return;
    FamilyList<ItemViewRecord>& list = owner->ItemViews;
    ForEachChild(parent, "ListBox", [&](HWND c) { Install(windowIndex, list, c); });
    ForEachChild(parent, "ComboBox", [&](HWND combo) {
        HWND lbox = FindWindowExA(combo, nullptr, "ComboLBox", nullptr);
        if (lbox && !(GetWindowLongA(lbox, GWL_STYLE) & kSkipStyle))
            Install(windowIndex, list, lbox);
    });
    ForEachChild(parent, "SysListView32", [&](HWND c) {
        if (GetWindowLongA(c, GWL_STYLE) & kSkipStyle) return;
        if (TranslucentMode()) SendMessageA(c, LVM_SETTEXTBKCOLOR, 0, CLR_NONE);
        Install(windowIndex, list, c);
    });
    ForEachChild(parent, "SysTreeView32", [&](HWND c) {
        if (TranslucentMode()) SendMessageA(c, TVM_SETBKCOLOR, 0, kKeyColour);
        Install(windowIndex, list, c);
    });
    ForEachChild(parent, "SysIPAddress32", [&](HWND c) { Install(windowIndex, list, c); });
    ForEachChild(parent, "SysDateTimePick32", [&](HWND c) { Install(windowIndex, list, c); });
}

namespace {

LRESULT ItemViewMessage(HWND window, const Found& found, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    const bool translucent = TranslucentMode();
    ItemViewRecord* record = found.record;
    const WNDPROC saved = record->SavedProcedure;

    switch (message) {
        case WM_MOVE:
            if (translucent) InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            record->Focused = message == WM_SETFOCUS;
            PaintFrameOf(found);
            break;
        case WM_PAINT: return OnPaint(window, found, wParam, lParam);
        case WM_ERASEBKGND:
            if (!translucent) break;
            return OnEraseBackground(window, *record, reinterpret_cast<HDC>(wParam), wParam,
                                     lParam);
        case WM_NCPAINT: return OnNcPaint(window, found, lParam);
        case WM_KEYDOWN:
            if (wParam >= VK_LEFT && wParam <= VK_DOWN) record->ArrowKeyDown = true;
            break;
        case WM_KEYUP:
            ReleaseCapture();
            record->ArrowKeyDown = false;
            break;
        case WM_MOUSEMOVE:
            if (TrackHover(window, kItemViewHover)) {
                record->Hot = true;
                PaintFrameOf(found, true);
            }
            break;
        case WM_MOUSELEAVE:
            EndHover(window);
            if (found.position >= 1) {
                record->Hot = false;
                PaintFrameOf(found, false);
            }
            break;
        case kItemViewRewash:
            if (OwnerRecordAt(found.owner) && translucent && record->ArrowKeyDown)
                InvalidateRect(window, nullptr, FALSE);
            break;
        default: break;
    }
    if (!translucent) return CallSavedProcedure(saved, window, message, wParam, lParam);

    // In translucent mode the wash must be drawn again wherever the content moved: the control
    // scrolls by copying its pixels, wash included, which would smear the window behind it. A
    // scroll message repaints the whole control afterwards anyway, so what the control paints
    // while handling it (the strip it exposed) is put off rather than drawn twice.
    const bool scrollMessage =
        message == WM_HSCROLL || message == WM_VSCROLL || message == WM_MOUSEWHEEL;
    const ScrollOrigin before = OriginOf(window);
    const bool wasScrolling = std::exchange(record->Scrolling, record->Scrolling || scrollMessage);
    const LRESULT result = CallSavedProcedure(saved, window, message, wParam, lParam);
    if (!IsWindow(window)) return result;
    // The record may have gone with the control's skin while the message was handled.
    if (ItemViewRecord* still = RecordStillAt(window, &WindowRecord::ItemViews, found))
        still->Scrolling = wasScrolling;
    if (scrollMessage || !(OriginOf(window) == before)) InvalidateRect(window, nullptr, TRUE);
    return result;
}

} // namespace

LRESULT CALLBACK ItemViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const Found found = LookUpFamilyFromLast(window, &WindowRecord::ItemViews);
    // In system colours the control is the system's to paint.
    if (!found.record || SystemLookOn()) return CallSavedProcedure(window, message, wParam, lParam);
    return WithScrollBars(window, found, message, wParam, lParam, &WindowRecord::ItemViews,
                          [&] { return ItemViewMessage(window, found, message, wParam, lParam); });
}

namespace {

// The ring around the inner box on `dc` (the frame's size; the inner box gets the key colour).
void DrawRing(HDC dc, const FrameGeometry& f, bool isHot, bool isFocused, UINT dpi) {
    const PhaseClock clock(PaintPhase::Shapes);
    PlusGraphics g;
    g.CreateFromHDC(dc);
    // The ring as four bands (top, bottom, left, right): filling the whole picture under an
    // exclusive clip costs this platform's GDI+ far more.
    const RECT bands[] = {{0, 0, f.w, f.oy},
                          {0, f.oy + f.ih, f.w, f.h},
                          {0, f.oy, f.ox, f.oy + f.ih},
                          {f.ox + f.iw, f.oy, f.w, f.oy + f.ih}};
    PlusSolidBrush wash;
    wash.Create(TranslucentMode() ? ToArgb(kWhite, Engine.ControlAlpha, 1)
                                  : ToArgb(kWhite, 255, 1));
    for (const RECT& b : bands)
        if (b.right > b.left && b.bottom > b.top)
            g.FillRectangle(wash, static_cast<float>(b.left), static_cast<float>(b.top),
                            static_cast<float>(b.right - b.left),
                            static_cast<float>(b.bottom - b.top));
    g.SetClipRectI(f.ox, f.oy, f.iw, f.ih, 0);
    g.Clear(ToArgb(kKeyColour, 255, 1));
    g.ResetClip();

    const float w = static_cast<float>(f.w), h = static_cast<float>(f.h);
    // A 2-pixel accent ring when hot, else a 1-pixel line on the outermost pixels, both 96-dpi
    // widths; what falls past the border is clipped by the bands it is shown through.
    PlusPen pen;
    if (isHot) {
        const float width = static_cast<float>(ScaleToDpi(2, dpi));
        pen.CreatePen(ToArgb(Engine.AccentColour, kAccentAlpha, 1), width);
        g.DrawRectangle(pen, width / 2, width / 2, w - width, h - width);
    } else {
        const float width = static_cast<float>(ScaleToDpi(1, dpi));
        pen.CreatePen(isFocused ? ToArgb(Engine.AccentColour, kAccentAlpha, 1)
                                : ToArgb(kBlack, kOutlineAlpha, 1),
                      width);
        g.DrawRectangle(pen, (width - 1) / 2, (width - 1) / 2, w - width, h - width);
    }
}

} // namespace

void PaintItemViewFrame(int windowIndex, int position, std::optional<bool> hot,
                        std::optional<bool> focused) {
    const PhaseClock painter(PaintPhase::Painter);
    WindowRecord* owner = RecordAt(windowIndex);
    ItemViewRecord* record = owner ? RecordAt(owner->ItemViews, position) : nullptr;
    if (!record || !record->Window) return;
    HWND window = record->Window;
    // Nothing of the skin shows on a control without a border or on a combo box's list.
    if (KindOf(window) == Kind::ComboList || !HasBorder(window)) return;
    const bool isHot = hot.value_or(record->Hot);
    const bool isFocused = focused.value_or(record->Focused);
    const FrameGeometry f = MeasureFrame(window);
    if (f.w <= 0 || f.h <= 0) return;
    // The owner's DPI is the control's (ControlDpi), read without a property lookup.
    const UINT dpi = owner->Dpi;

    if (!TranslucentMode()) {
        PutKeptRing(window, f, isHot, isFocused, dpi, record->Ring,
                    [&](HDC dc) { DrawRing(dc, f, isHot, isFocused, dpi); });
        return;
    }
    PutTranslucentRing(
        window, f, isHot, isFocused, dpi, &record->TranslucentRing,
        [&](HDC dc) { DrawRing(dc, f, isHot, isFocused, dpi); }, true);
}

} // namespace skin
