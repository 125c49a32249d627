// Skinned containers, docked windows and the text colour of edit and combo boxes.
#include "skin/services/containers.h"

#include "plus/plus_brush.h"
#include "plus/plus_font.h"
#include "plus/plus_graphics.h"
#include "plus/plus_path.h"
#include "plus/plus_string_format.h"
#include "skin/controls/framework.h"
#include "skin/controls/headers.h"
#include "skin/core/capture.h"
#include "skin/core/child_messages.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/paint_phases.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/services/panel_frame.h"

#include <algorithm>

namespace skin {
namespace {

using plus::PlusGraphics;

constexpr int kCombineExclude = 4;    // GDI+ CombineModeExclude
constexpr int kNoWrapNoClip = 0x5000; // StringFormatFlagsNoWrap | StringFormatFlagsNoClip
constexpr int kAlignCentre = 1;       // StringAlignmentCenter
constexpr int kUnitWorld = 0;
constexpr int kCaptionMargin = 10; // between a group box's edge and its caption

// The container and its entry.
struct ContainerRef {
    int position = 0;
    int entry = 0;
    ContainerEntry* record = nullptr;
};

ContainerEntry* EntryAt(WindowRecord* record, int entry) {
    if (!record || entry < 1 || entry > static_cast<int>(record->Containers.size())) return nullptr;
    return &record->Containers[static_cast<size_t>(entry - 1)];
}

// The entry number of a registered container in the window record, 0 when it is not there.
int EntryNumberOf(const WindowRecord& record, HWND container) {
    for (size_t i = 0; i < record.Containers.size(); ++i)
        if (record.Containers[i].Container == container) return static_cast<int>(i) + 1;
    return 0;
}

// The container's entry, looked up in the records rather than through the container's
// properties: each property read is a round trip to the window server here, and the container's
// procedure looks its entry up for every message it gets (several per repaint). A container is
// registered on one window only (SkinContainer refuses a window subclassed already), and its
// entry goes with that window's record, so the two lookups agree.
ContainerRef FindContainer(HWND container) {
    if (!container) return {};
    for (int position = 1; position <= static_cast<int>(Engine.WindowList.size()); ++position) {
        WindowRecord* record = RecordAt(position);
        if (const int entry = EntryNumberOf(*record, container))
            return {position, entry, EntryAt(record, entry)};
    }
    return {};
}

// The skinned window above `window` (its parent chain, the window itself left out).
int SkinnedOwnerOf(HWND window) {
    if (!IsWindow(window)) return 0;
    return NearestSkinnedAncestor(GetParent(window));
}

// The nearest ancestor marked as a host window ("Wxk_Zpf" = 1), or null.
HWND HostWindowAbove(HWND window) {
    for (HWND w = GetParent(window); w; w = GetParent(w))
        if (GetPropValue(w, kPropHostWindow) == 1) return w;
    return nullptr;
}

// Adds `docked` to a docked list, or changes its offset when it is there already.
DockedWindow& DockInList(std::vector<DockedWindow>& list, HWND docked, int topOffset) {
    for (DockedWindow& d : list)
        if (d.Window == docked) {
            d.TopOffset = topOffset;
            return d;
        }
    list.push_back(DockedWindow{docked, topOffset});
    return list.back();
}

// A container's docked windows: each from its offset to the bottom of the client area, the
// offset and margins being 96-dpi sizes at the owner's DPI.
void LayOutContainerDocked(HWND container, const ContainerEntry& entry) {
    RECT client{};
    GetClientRect(container, &client);
    const UINT dpi = ControlDpi(container);
    for (const DockedWindow& d : entry.Docked) {
        if (!d.Window || !IsWindow(d.Window)) continue;
        const int top = ScaleToDpi(d.TopOffset, dpi);
        MoveWindow(d.Window, ScaleToDpi(2, dpi), top, client.right - ScaleToDpi(4, dpi),
                   client.bottom - top, TRUE);
    }
}

// Reads a group box's font into its entry, with the DPI it belongs to.
void StoreGroupBoxFont(HWND box, ContainerEntry& entry) {
    const ControlFont font = ReadControlFont(box);
    entry.FontName = font.family.empty() ? "宋体" : font.family;
    entry.FontSize = font.size == 0 ? 12 : font.size;
    entry.FontDpi = font.size == 0 ? kDesignDpi : ControlDpi(box);
    entry.FontStyle = font.style;
}

// The group box's caption starts here: centred, at the left (also when no alignment is
// given, as a group box draws it), or at the right.
int CaptionLeft(LONG style, int width, int textWidth, int margin) {
    switch (style & (BS_LEFT | BS_RIGHT)) {
        case BS_CENTER: return (width - textWidth) / 2;
        case BS_RIGHT: return width - textWidth - margin;
        default: return margin;
    }
}

void PaintGroupBox(PlusGraphics& g, HWND box, const ContainerEntry& entry, UINT dpi, int w, int h) {
    const auto px = [dpi](int size) { return static_cast<float>(ScaleToDpi(size, dpi)); };
    const int fontPixels = ScaleBetweenDpi(entry.FontSize, entry.FontDpi, dpi);
    const std::string& text = entry.Caption;
    const int tw = TextWidth(text, entry.FontName, entry.FontStyle, fontPixels);
    const int x =
        CaptionLeft(GetWindowLongA(box, GWL_STYLE), w, tw, ScaleToDpi(kCaptionMargin, dpi));
    const float textHeight = static_cast<float>(fontPixels) + px(3);
    // The frame lines stop at the caption: the background shows behind its text.
    if (tw > 0)
        g.SetClipRect(static_cast<float>(x), px(1), static_cast<float>(tw), textHeight + px(1),
                      kCombineExclude);
    const auto wf = static_cast<float>(w), hf = static_cast<float>(h);
    StrokePath(g, RoundedPath(0, px(5), wf - 1, hf - px(6), px(5)), ToArgb(kBlack, 40));
    StrokePath(g, RoundedPath(px(1), px(6), wf - px(3), hf - px(8), px(3)), ToArgb(kWhite, 90));
    g.ResetClip();
    if (tw <= 0) return;

    const PhaseClock clock(PaintPhase::Text);
    plus::PlusFont font;
    font.CreateFromFamilyName(entry.FontName, static_cast<float>(fontPixels), entry.FontStyle,
                              kUnitWorld);
    plus::PlusStringFormat format;
    format.Create(kNoWrapNoClip);
    format.SetAlign(kAlignCentre);
    plus::PlusSolidBrush ink;
    ink.Create(ToArgb(TextColourOf(box), 255));
    // Centred in a box wider than the text by a character's size each side: in a box exactly
    // as wide as the text measures, GDI+ may leave out the last character for want of a pixel.
    const auto margin = static_cast<float>(fontPixels);
    g.DrawString(text, font, ink,
                 plus::RectF{static_cast<float>(x) - margin, px(1),
                             static_cast<float>(tw) + 2 * margin, textHeight},
                 &format);
}

// The container's visible children as its picture is shown: where the opaque ones lie (the
// picture leaves them alone) and which ones are transparent (the picture goes under them, and
// they draw themselves over it again). Read in one walk of the child list, each step of which
// is a round trip to the window server.
struct ShownChildren {
    bool walked = false;
    std::vector<RECT> opaque; // in the container's client coordinates
    std::vector<HWND> transparent;
};

ShownChildren ShownChildrenOf(HWND container) {
    ShownChildren children;
    children.walked = true;
    for (HWND child = GetWindow(container, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT) {
            children.transparent.push_back(child);
            continue;
        }
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&r), 2);
        children.opaque.push_back(r);
    }
    return children;
}

// Copies a w x h picture to (0, 0) of `dc`, leaving the opaque children alone.
void CopyAroundChildren(HDC dc, const ShownChildren& children, HDC picture, int w, int h) {
    const int saved = SaveDC(dc);
    for (const RECT& r : children.opaque)
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    BitBlt(dc, 0, 0, w, h, picture, 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

void InvalidateTransparentChildren(HWND container) {
    for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT))
            InvalidateRect(child, nullptr, FALSE);
}

// PaintContainer, answering the children it walked to show the picture (none walked when it
// showed nothing).
ShownChildren ComposeContainer(int position, int entryNumber, std::optional<HDC> dc);

LRESULT OnContainerPaint(HWND container, const ContainerRef& ref) {
    gdi::PaintDC paint(container);
    if (ref.record->Repaint) {
        ComposeContainer(ref.position, ref.entry, paint.get());
        return 0;
    }
    // Shown through a DC of its own: the transparent children draw themselves over it again.
    const ShownChildren children = ComposeContainer(ref.position, ref.entry, std::nullopt);
    if (!children.walked) {
        InvalidateTransparentChildren(container);
        return 0;
    }
    for (HWND child : children.transparent)
        InvalidateRect(child, nullptr, FALSE);
    // The update region was validated by BeginPaint above: the default handling of WM_PAINT
    // (another BeginPaint and EndPaint) would find nothing left to do.
    return 0;
}

// The container's caption as the painter shows it: read at registration and on every
// WM_SETTEXT (the only way its text changes), through the saved procedure so that no message
// comes back here.
void StoreCaption(HWND container, ContainerEntry& entry) {
    entry.Caption = entry.IsGroupBox ? WindowTextOf(container, entry.PreviousProc) : std::string();
}

} // namespace

bool IsGroupBox(HWND window) {
    return ClassNameOf(window) == "Button" && (GetWindowLongA(window, GWL_STYLE) & 0x4);
}

void PaintContainer(int position, int entryNumber, std::optional<HDC> dc) {
    ComposeContainer(position, entryNumber, dc);
}

namespace {

// A container with no fill and no caption shows the background as it is, or with the framed
// panel's frame blended over it: that costs less than comparing a kept picture's background
// and putting the picture back, so nothing is kept, and no GDI+ graphics are made for it (a
// docked panel is drawn at every step of a live resize, at a new size each time). False, with
// nothing drawn, for any other container, and for a frame too small to be blended.
bool DrawnWithoutGraphics(const ContainerEntry& entry, HDC picture, int w, int h, UINT dpi) {
    if (entry.FillValue != 0 || entry.IsGroupBox) return false;
    if (!entry.Framed) return true;
    const PhaseClock shapes(PaintPhase::Shapes);
    return BlendPanelFrame(picture, w, h, dpi);
}

// The fill, the frame and the group box's caption drawn over the background in `picture`, which
// is kept with what it was drawn from.
void DrawContainer(ContainerEntry& entry, HWND container, HDC picture, int w, int h, UINT dpi) {
    const PhaseClock shapes(PaintPhase::Shapes);
    PlusGraphics g;
    g.CreateFromHDC(picture);
    g.SetSmoothingMode(plus::SmoothingModeAntiAlias);
    if (entry.FillValue != 0) {
        plus::PlusSolidBrush fill;
        fill.Create(ToArgb(static_cast<COLORREF>(entry.FillValue), entry.Alpha));
        g.FillRectangle(fill, 0, 0, static_cast<float>(w), static_cast<float>(h));
    }
    if (entry.IsGroupBox) {
        PaintGroupBox(g, container, entry, dpi, w, h);
    } else if (entry.Framed) {
        g.Flush(1); // the fill lands before the frame is laid over its pixels
        if (!BlendPanelFrame(picture, w, h, dpi)) StrokePanelFrame(g, w, h, dpi);
    }
    g.DeleteGraphics(); // the drawing lands in the picture before it is kept
    KeepPicture(entry.Kept, picture, w, h);
}

ShownChildren ComposeContainer(int position, int entryNumber, std::optional<HDC> dc) {
    const PhaseClock painter(PaintPhase::Painter);
    ShownChildren children;
    WindowRecord* owner = RecordAt(position);
    ContainerEntry* entry = EntryAt(owner, entryNumber);
    if (!entry || !IsWindow(entry->Container)) return children;
    HWND container = entry->Container;
    RECT client{};
    GetClientRect(container, &client);
    const int w = client.right, h = client.bottom;
    if (w > 0 && h > 0) {
        CapturedBackground picture(container, ClientRectInWindow(container));
        if (!picture.dc()) return children;
        const UINT dpi = owner->Dpi; // ControlDpi, without its property read
        if (!DrawnWithoutGraphics(*entry, picture.dc(), w, h, dpi)) {
            // Everything the frame and the caption are drawn from besides the background: a
            // repaint over the same background puts the kept picture back.
            Look look;
            look << w << h << dpi << entry->FillValue << entry->Alpha << entry->IsGroupBox
                 << entry->Framed;
            if (entry->IsGroupBox)
                look << entry->Caption << GetWindowLongA(container, GWL_STYLE)
                     << static_cast<std::int64_t>(TextColourOf(container)) << entry->FontName
                     << entry->FontSize << entry->FontDpi << entry->FontStyle;
            if (!PutKeptPicture(entry->Kept, look, picture.dc(), w, h))
                DrawContainer(*entry, container, picture.dc(), w, h, dpi);
        }
        const PhaseClock copy(PaintPhase::Copy);
        children = ShownChildrenOf(container);
        if (dc) {
            CopyAroundChildren(*dc, children, picture.dc(), w, h);
        } else {
            gdi::WindowDC out(container);
            CopyAroundChildren(out.get(), children, picture.dc(), w, h);
        }
    }
    entry->Repaint = 0;
    return children;
}

} // namespace

LRESULT CALLBACK ContainerProc(HWND container, UINT message, WPARAM wParam, LPARAM lParam) {
    const ContainerRef ref = FindContainer(container);
    if (!ref.record) return CallSavedProcedure(container, message, wParam, lParam);
    ContainerEntry& entry = *ref.record;
    // The procedure the entry saved is the one the property holds: no property read.
    const WNDPROC saved = entry.PreviousProc;
    // The children's colours, owner-drawn faces and notifications, as on the skinned window.
    if (const auto answer = AnswerChildMessage(ref.position, message, wParam, lParam))
        return *answer;
    switch (message) {
        case WM_SHOWWINDOW: PaintContainer(ref.position, ref.entry); break;
        case WM_MOVE:
            if (entry.TransparentErase && entry.Alpha != 255)
                InvalidateRect(container, nullptr, FALSE);
            break;
        case WM_PAINT:
            if (!entry.TransparentErase) break;
            return OnContainerPaint(container, ref);
        case WM_ERASEBKGND:
            if (!entry.TransparentErase) break;
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return 1;
        case WM_SIZE:
            entry.Repaint = 1;
            LayOutContainerDocked(container, entry);
            break;
        case WM_SETFONT: {
            // A group box given a new font (a program following a DPI change) shows it.
            const LRESULT result = CallSavedProcedure(saved, container, message, wParam, lParam);
            const ContainerRef now = FindContainer(container);
            if (now.record && now.record->IsGroupBox) StoreGroupBoxFont(container, *now.record);
            if (now.record) now.record->Repaint = 1;
            return result;
        }
        case WM_SETTEXT: {
            // The caption the painter shows follows the text (the saved procedure has the box
            // painted again).
            const LRESULT result = CallSavedProcedure(saved, container, message, wParam, lParam);
            if (const ContainerRef now = FindContainer(container); now.record)
                StoreCaption(container, *now.record);
            return result;
        }
        case kDpiChangedAfterParent:
            // The owner's DPI changed: the frame, the caption and the docked windows follow.
            entry.Repaint = 1;
            LayOutContainerDocked(container, entry);
            InvalidateRect(container, nullptr, TRUE);
            break;
        default: break;
    }
    return CallSavedProcedure(saved, container, message, wParam, lParam);
}

int SkinEngine::SkinContainer(HWND container, std::optional<int> transparentErase,
                              std::optional<int> fillValue, std::optional<int> alpha,
                              std::optional<int> framed) {
    const int position = SkinnedOwnerOf(container);
    WindowRecord* record = RecordAt(position);
    if (!record) return 0;
    if (const int existing = EntryNumberOf(*record, container)) return existing;
    // A window already subclassed by the skin (a skinned control, or a skinned window) keeps
    // its one saved procedure: a second one stored over it would make the procedures call
    // each other for ever.
    if (GetPropValue(container, kPropSavedProc)) return 0;

    auto& list = record->Containers;
    if (!(list.size() == 1 && list[0].Container == nullptr)) list.emplace_back();
    const int entryNumber = static_cast<int>(list.size());
    ContainerEntry& entry = list.back();
    entry = ContainerEntry{};
    entry.Container = container;
    entry.TransparentErase = transparentErase.value_or(1);
    entry.FillValue = fillValue.value_or(0);
    entry.Alpha = static_cast<BYTE>(alpha.value_or(255) & 0xFF);
    entry.Framed = framed.value_or(0);
    if (IsGroupBox(container)) {
        entry.IsGroupBox = 1;
        StoreGroupBoxFont(container, entry);
    }
    StoreCaption(container, entry);

    SkinChildControls(position, container);

    // The installs above may have grown the window list's records but not this list.
    ContainerEntry& placed = RecordAt(position)->Containers[static_cast<size_t>(entryNumber - 1)];
    placed.PreviousProc = SubclassControl(container, entryNumber, position, ContainerProc);
    SetPropValue(container, kPropContainerHost,
                 reinterpret_cast<LONG_PTR>(HostWindowAbove(container)));
    InvalidateRect(container, nullptr, TRUE);
    return entryNumber;
}

void SkinEngine::SetContainerAlpha(HWND container, int alpha) {
    WindowRecord* record = RecordAt(SkinnedOwnerOf(container));
    if (!record) return;
    ContainerEntry* entry = EntryAt(record, EntryNumberOf(*record, container));
    if (!entry || entry->FillValue == 0) return;
    entry->Alpha = static_cast<BYTE>(alpha & 0xFF);
    InvalidateRect(container, nullptr, FALSE);
}

void SkinEngine::LayoutDockedWindows(int position) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    RECT client{};
    GetClientRect(record->Window, &client);
    // The offset given is a 96-dpi size, as the window's own sizes are.
    for (const DockedWindow& d : record->DockedWindows) {
        if (!d.Window || !IsWindow(d.Window)) continue;
        const int top = Px(*record, d.TopOffset);
        MoveWindow(d.Window, Px(*record, 2), top, client.right - Px(*record, 4),
                   client.bottom - top - Px(*record, record->StatusHeight) - Px(*record, 3), TRUE);
    }
}

bool SkinEngine::DockWindow(HWND host, HWND docked, int topOffset) {
    if (!IsWindow(docked)) return false;
    if (const int position = SkinnedPosition(host)) {
        DockInList(RecordAt(position)->DockedWindows, docked, topOffset);
        LayoutDockedWindows(position);
        return true;
    }
    const ContainerRef ref = FindContainer(host);
    if (!ref.record) return false;
    DockInList(ref.record->Docked, docked, topOffset);
    LayOutContainerDocked(host, *ref.record);
    return true;
}

void SkinEngine::SetControlTextColour(HWND control, COLORREF colour) {
    if (!control || !IsWindow(control)) return;
    HWND target = control;
    if (ClassNameOf(control) == "ComboBox") {
        target = FindWindowExA(control, nullptr, "Edit", nullptr);
        if (!target) return;
    }
    SetPropValue(target, kPropTextColour, static_cast<LONG_PTR>(colour));
    InvalidateRect(target, nullptr, TRUE);
}

} // namespace skin
