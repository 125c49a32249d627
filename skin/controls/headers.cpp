#include "skin/controls/headers.h"

#include "plus/plus_brush.h"
#include "plus/plus_faults.h"
#include "plus/plus_font.h"
#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "plus/plus_path.h"
#include "plus/plus_pen.h"
#include "plus/plus_string_format.h"
#include "skin/controls/framework.h"
#include "skin/core/paint_phases.h"
#include "skin/core/capture.h"
#include "skin/core/drawing_helpers.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/core/window_services.h"

#include <optional>

#include <vector>

namespace skin {

using namespace plus;

namespace {

constexpr int kDividerZone = 5;  // pixels either side of a divider that hit no item
constexpr int kTrimEllipsis = 3; // StringTrimmingEllipsisCharacter
constexpr int kNoWrap = 0x1000;  // StringFormatFlagsNoWrap
constexpr int kAlignCentre = 1;  // StringAlignmentCenter
constexpr int kUnitWorld = 0;
constexpr float kFallbackSize = 12; // pixels, when a header has no font of its own

HeaderRecord* RecordIn(int windowIndex, int position) {
    WindowRecord* owner = RecordAt(windowIndex);
    HeaderRecord* record = owner ? RecordAt(owner->Headers, position) : nullptr;
    return record && record->Window ? record : nullptr;
}

void Install(int windowIndex, FamilyList<HeaderRecord>& list, HWND header,
             const ControlFont* font) {
    // Headers are not looked up; one that runs the procedure already is left alone.
    if (RunsProcedure(header, HeaderProc)) return;
    const int position = TakeRecord(list);
    HeaderRecord& record = *list[static_cast<size_t>(position - 1)];
    record.Window = header;
    record.Buttons = (GetWindowLongA(header, GWL_STYLE) & HDS_BUTTONS) != 0;
    record.SavedProcedure = SubclassControl(header, position, windowIndex, HeaderProc);
    if (font) {
        record.FontFamily = font->family;
        record.FontSize = font->size;
        record.FontDpi = ControlDpi(header);
        record.FontStyle = font->style;
    }
    record.ImageList = reinterpret_cast<HIMAGELIST>(SendMessageA(header, HDM_GETIMAGELIST, 0, 0));
}

int ItemCount(HWND header) {
    return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

RECT ItemRect(HWND header, int index) {
    RECT r{};
    SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
}

// The font the items are drawn in: the list's for a list view's header; a stand-alone header,
// whose record holds none, uses its own.
ControlFont FontOf(const HeaderRecord& record) {
    // The list's font was read at the DPI of that time; it follows a later change.
    if (!record.FontFamily.empty())
        return ControlFont{
            record.FontFamily,
            ScaleBetweenDpi(record.FontSize, record.FontDpi, ControlDpi(record.Window)),
            record.FontStyle};
    ControlFont own = ReadControlFont(record.Window);
    if (own.size <= 0)
        own.size = ScaleToDpi(static_cast<int>(kFallbackSize), ControlDpi(record.Window));
    return own;
}

// The right edge of the list view's client area in the header's coordinates, or the header's
// own right edge when the header does not belong to a list view.
int ListRightEdge(HWND header) {
    HWND list = GetParent(header);
    RECT client{};
    if (ClassNameOf(list) != "SysListView32") {
        // A header of its own: the last item reaches its right edge, as in a list view, rather
        // than leaving the rest unpainted.
        GetClientRect(header, &client);
        return client.right;
    }
    GetClientRect(list, &client);
    POINT corner{client.right, 0};
    MapWindowPoints(list, header, &corner, 1);
    return corner.x;
}

struct Item {
    std::string text;
    int format = 0;
    int image = -1;
};

Item ItemData(HWND header, int index) {
    char buffer[260] = {};
    HDITEMA item{};
    item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM | HDI_BITMAP | HDI_IMAGE;
    item.pszText = buffer;
    item.cchTextMax = sizeof(buffer);
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    Item result;
    // A text given by callback or not at all leaves the buffer as it was: empty.
    if (item.pszText && item.pszText != LPSTR_TEXTCALLBACKA) result.text = item.pszText;
    result.format = item.fmt;
    result.image = item.iImage;
    return result;
}

// Character boundaries of a code page 936 text (a lead byte and its trail byte are one).
std::vector<size_t> CharacterEnds(const std::string& text) {
    std::vector<size_t> ends;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<BYTE>(text[i]);
        i += IsDBCSLeadByteEx(936, byte) && i + 1 < text.size() ? 2 : 1;
        ends.push_back(i);
    }
    return ends;
}

// The text as it fits `width` in the font: whole when it fits, else its longest beginning that
// fits with an ellipsis after it. The string format asks GDI+ for the same trimming, but not
// every GDI+ does it, so the text is trimmed here.
std::string FitWithEllipsis(const std::string& text, const ControlFont& font, int width,
                            TextWidthCache& widths) {
    if (widths.Width(text, font.family, font.style, font.size) <= width) return text;
    static const std::string ellipsis = "…";
    const std::vector<size_t> ends = CharacterEnds(text);
    size_t low = 0, high = ends.size(); // characters kept: low fits, high does not
    while (high - low > 1) {
        const size_t mid = (low + high) / 2;
        const std::string candidate = text.substr(0, ends[mid - 1]) + ellipsis;
        if (widths.Width(candidate, font.family, font.style, font.size) <= width)
            low = mid;
        else
            high = mid;
    }
    return (low ? text.substr(0, ends[low - 1]) : std::string()) + ellipsis;
}

// Owns an icon taken from an image list.
struct Icon {
    HICON handle = nullptr;
    ~Icon() {
        if (handle) DestroyIcon(handle);
    }
};

void FillVertical(PlusGraphics& g, const PlusPath& path, float h, ARGB top, ARGB bottom) {
    PlusLinearBrush gradient;
    gradient.Create(PointF{0, 0}, PointF{0, h}, top, bottom);
    g.FillPath(gradient, path);
}

void PaintItem(const HeaderRecord& record, int i, int count, int margin, const ControlFont& font,
               HDC target) {
    HWND header = record.Window;
    RECT r = ItemRect(header, i - 1);
    if (i == count) {
        const int right = ListRightEdge(header);
        if (right > r.right) r.right = right;
    }
    const int W = r.right - r.left, H = r.bottom - r.top;
    if (W <= 0 || H <= 0) return;
    const Item item = ItemData(header, i - 1);
    Icon icon;
    if ((item.format & HDF_IMAGE) && record.ImageList)
        icon.handle = ImageList_GetIcon(record.ImageList, item.image, ILD_NORMAL);

    CapturedBackground picture(header, r);
    {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(picture.dc());
        PlusPath path;
        path.CreatePath();
        path.AddRectangle(0, 0, static_cast<float>(W), static_cast<float>(H));
        const float fh = static_cast<float>(H);
        const COLORREF accent = Engine.AccentColour;

        PlusSolidBrush base;
        base.Create(TranslucentMode() ? ToArgb(kWhite, Engine.ControlAlpha, 1)
                                      : ToArgb(kWhite, 255, 1));
        g.FillPath(base, path);
        if (record.Buttons)
            FillVertical(g, path, fh, ToArgb(kWhite, 80, 1), ToArgb(accent, 120, 1));
        else
            FillVertical(g, path, fh, ToArgb(accent, 60, 1), ToArgb(accent, 10, 1));
        if (record.Hot && record.Buttons && i == record.HotItem)
            FillVertical(g, path, fh, ToArgb(accent, 60, 1), ToArgb(kBlack, 30, 1));
        if (record.Buttons && i == record.PressedItem)
            FillVertical(g, path, fh, ToArgb(kBlack, 30, 1), ToArgb(kWhite, 120, 1));

        PlusLinearBrush dividerBrush;
        dividerBrush.Create(PointF{0, 0}, PointF{0, fh}, ToArgb(kBlack, 60, 1),
                            ToArgb(kWhite, 50, 1));
        PlusPen divider;
        divider.CreatePenFromBrush(dividerBrush, 1);
        g.DrawLine(divider, static_cast<float>(W - 1), 0, static_cast<float>(W - 1), fh);

        PlusBitmap bitmap;
        int iw = 0, ih = 0;
        if (icon.handle && bitmap.CreateFromHICON(icon.handle)) {
            iw = static_cast<int>(bitmap.GetWidth());
            ih = static_cast<int>(bitmap.GetHeight());
        }
        const int tw = record.Widths.Width(item.text, font.family, font.style, font.size);
        int x0 = margin;
        const bool crowded = iw + margin + tw >= W;
        if (item.format & HDF_RIGHT)
            x0 = crowded ? margin : W - iw - tw;
        else if (item.format & HDF_CENTER)
            x0 = crowded ? margin : (W - iw - margin - tw) / 2;
        if (iw > 0) g.DrawImageRectI(bitmap, x0, (H - ih) / 2, iw, ih);

        const int box = W - iw - 2 * margin;
        if (!item.text.empty() && box > 0) {
            const PlusFont& plusFont = record.DrawingFont.Get(
                font.family, static_cast<float>(font.size), font.style, kUnitWorld);
            const PhaseClock text(PaintPhase::Text);
            PlusStringFormat format;
            format.Create(kNoWrap);
            format.SetTrimming(kTrimEllipsis);
            format.SetLineAlign(kAlignCentre);
            PlusSolidBrush ink;
            ink.Create(ToArgb(kBlack, 255, 1));
            g.DrawString(FitWithEllipsis(item.text, font, box, record.Widths), plusFont, ink,
                         RectF{static_cast<float>(x0 + iw), 0, static_cast<float>(box), fh},
                         &format);
        }
    }
    const PhaseClock clock(PaintPhase::Copy);
    BitBlt(target, r.left, r.top, W, H, picture.dc(), 0, 0, SRCCOPY);
}

} // namespace

HeaderRecord* HeaderRecordOf(HWND window) {
    return FamilyRecordOf(window, &WindowRecord::Headers);
}

void SkinHeaders(int windowIndex, HWND parent) {
    if (!ControlSkinsOn()) return;
    WindowRecord* owner = RecordAt(windowIndex);
    if (!owner) return;
    for (HWND h = FindWindowExA(parent, nullptr, WC_HEADERA, nullptr); h;
         h = FindWindowExA(parent, h, WC_HEADERA, nullptr))
        Install(windowIndex, owner->Headers, h, nullptr);
    for (HWND list = FindWindowExA(parent, nullptr, WC_LISTVIEWA, nullptr); list;
         list = FindWindowExA(parent, list, WC_LISTVIEWA, nullptr)) {
        HWND header = FindWindowExA(list, nullptr, WC_HEADERA, nullptr);
        if (!header) continue;
        const ControlFont font = ReadControlFont(header);
        Install(windowIndex, owner->Headers, header, &font);
    }
}

int HeaderItemAt(int windowIndex, int position, LPARAM mouse) {
    const HeaderRecord* record = RecordIn(windowIndex, position);
    if (!record) return 0;
    const int x = static_cast<short>(LOWORD(mouse));
    const int count = ItemCount(record->Window);
    const int zone = ScaleToDpi(kDividerZone, ControlDpi(record->Window));
    for (int i = 1; i <= count; ++i) {
        const RECT r = ItemRect(record->Window, i - 1);
        if (r.left + zone <= x && x <= r.right - zone) return i;
    }
    return 0;
}

namespace {

// A hover change drawn once: the header's own procedure handles the message first (it
// invalidates the items whose hot look it changes), then the whole header is painted from the
// record and what that procedure invalidated is validated, since the picture just drawn is what
// its paint would draw. Painted before the message instead, the header was drawn twice per
// hover change. While the mouse is captured (a divider dragged) the invalidation is left to
// paint what the drag changed.
LRESULT PaintAfterHandling(HWND window, WNDPROC saved, int owner, int position, UINT message,
                           WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallSavedProcedure(saved, window, message, wParam, lParam);
    // The message may have taken the header's skin away.
    const HeaderRecord* record = RecordIn(owner, position);
    if (!record || record->Window != window) return result;
    PaintHeader(owner, position);
    if (GetCapture() != window) ValidateRect(window, nullptr);
    return result;
}

} // namespace

LRESULT CALLBACK HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto [owner, position, record] = LookUpFamily(window, &WindowRecord::Headers);
    // In system colours the control is the system's to paint.
    if (!record || SystemLookOn()) return CallSavedProcedure(window, message, wParam, lParam);
    const WNDPROC saved = record->SavedProcedure;

    switch (message) {
        case WM_MOVE: PaintHeader(owner, position); break;
        case WM_PAINT: {
            {
                gdi::PaintDC paint(window);
                PaintHeader(owner, position, paint.get());
            }
            return DefWindowProcA(window, WM_PAINT, wParam, lParam);
        }
        case WM_ERASEBKGND: SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT); return 1;
        case WM_MOUSEMOVE: {
            WindowRecord* shared = OwnerRecordOf(window);
            const bool skip = shared && position < 1 && shared->HotFamily == kFamilyHeaders;
            TrackHover(window, kHeaderHover);
            if (skip) break;
            record->Hot = true;
            record->HotItem = HeaderItemAt(owner, position, lParam);
            if (record->HotItem >= 1 && record->HotItem != record->PaintedHotItem &&
                !record->ButtonDown) {
                record->PaintedHotItem = record->HotItem;
            } else if (record->HotItem == 0) {
                record->PaintedHotItem = 0;
                record->Hot = false;
            } else {
                break;
            }
            return PaintAfterHandling(window, saved, owner, position, message, wParam, lParam);
        }
        case WM_LBUTTONDOWN:
            record->ButtonDown = true;
            if (record->HotItem > 0) record->PressedItem = record->HotItem;
            break;
        case WM_LBUTTONUP:
            record->ButtonDown = false;
            record->PressedItem = 0;
            break;
        case WM_MOUSELEAVE:
            EndHover(window);
            record->PaintedHotItem = 0;
            record->HotItem = 0;
            record->Hot = false;
            return PaintAfterHandling(window, saved, owner, position, message, wParam, lParam);
        default: break;
    }
    return CallSavedProcedure(saved, window, message, wParam, lParam);
}

void PaintHeader(int windowIndex, int position, HDC dc) {
    const PhaseClock painter(PaintPhase::Painter);
    const HeaderRecord* record = RecordIn(windowIndex, position);
    if (!record) return;
    HWND header = record->Window;
    gdi::WindowDC own;
    if (!dc) {
        own = gdi::WindowDC(header);
        dc = own.get();
    }
    const int count = ItemCount(header);
    if (count <= 0) return;
    const int margin = static_cast<int>(SendMessageA(header, HDM_GETBITMAPMARGIN, 0, 0));
    const ControlFont font = FontOf(*record);
    for (int i = 1; i <= count; ++i)
        PaintItem(*record, i, count, margin, font, dc);
}

namespace {

// The text's width in the font, or nothing when it could not be measured for want of handles
// or memory (no DC or graphics to measure with, a drawing object refused). A font that does not
// exist measures 0, which holds.
std::optional<int> MeasuredWidth(const std::string& text, const std::string& family, int style,
                                 int size) {
    if (text.empty()) return 0;
    gdi::MemoryDC dc = gdi::MemoryDC::Create();
    PlusGraphics g;
    if (!dc || !g.CreateFromHDC(dc.get())) return std::nullopt;
    const int refusedBefore = plus::CreationsOutOfMemory();
    PlusFont font;
    RectF box{};
    if (font.CreateFromFamilyName(family, static_cast<float>(size), style, kUnitWorld) &&
        g.MeasureString(text, font, RectF{0, 0, 10000, 10000}, nullptr, box))
        return static_cast<int>(box.width);
    if (plus::CreationsOutOfMemory() != refusedBefore) return std::nullopt;
    return 0;
}

} // namespace

int TextWidthCache::Width(const std::string& text, const std::string& family, int style, int size) {
    if (family != family_ || style != style_ || size != size_) {
        family_ = family;
        style_ = style;
        size_ = size;
        widths_.clear();
    }
    if (auto found = widths_.find(text); found != widths_.end()) return found->second;
    const std::optional<int> width = MeasuredWidth(text, family, style, size);
    // A width that could not be measured is not kept: the next paint measures again.
    if (!width) return 0;
    // Texts that change all the time (a counter in a column title) must not pile up.
    constexpr size_t kMostKept = 256;
    if (widths_.size() >= kMostKept) widths_.clear();
    widths_.emplace(text, *width);
    return *width;
}

int TextWidth(const std::string& text, const std::string& family, int style, int size) {
    return MeasuredWidth(text, family, style, size).value_or(0);
}

} // namespace skin
