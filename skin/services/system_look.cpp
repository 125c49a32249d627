// High contrast and reduced motion (see system_look.h).
#include "skin/services/system_look.h"

#include <algorithm>

#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"

namespace skin {

namespace {

// On a skinned window: what the last WM_NCACTIVATE said of its caption (1 inactive, 2 active).
constexpr char kPropCaptionState[] = "Xt_Active";

HighContrastQuery highContrastQuery = nullptr;
bool highContrast = false;
bool fadesAnimate = true;

// Repaints every skinned window from scratch, frames and controls included: a hidden window
// is rebuilt when it is next painted.
void RepaintAllSkinnedWindows() {
    if (!TheSkin) return;
    for (int position = 1; position <= static_cast<int>(Engine.WindowList.size()); ++position) {
        WindowRecord* record = RecordAt(position);
        if (!record) continue;
        record->BackgroundStale = 1;
        if (!IsWindowVisible(record->Window)) continue;
        TheSkin->RebuildBackground(position);
        RedrawWindow(record->Window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
}

void Fill(HDC dc, const RECT& area, int colourIndex) {
    FillRect(dc, &area, GetSysColorBrush(colourIndex));
}

// A font of the face (code page 936 name) and pixel size.
gdi::Font MakeFont(const std::string& face, int pixels, bool bold) {
    LOGFONTA font{};
    font.lfHeight = -std::max(1, pixels);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
    return gdi::Font(CreateFontIndirectA(&font));
}

void DrawTextIn(HDC dc, const std::string& text, RECT box, COLORREF colour, const gdi::Font& font,
                UINT format) {
    gdi::Selection selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box,
              format | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

// The glyph of a system caption button, drawn with the DC's pen in the middle of `box`: its
// coordinates are 96-dpi offsets from the middle, scaled by `px`, the strokes a scaled pixel wide.
template <typename Px>
void DrawGlyph(HDC dc, int kind, bool maximized, const RECT& box, COLORREF colour, Px px) {
    const int cx = (box.left + box.right) / 2;
    const int cy = (box.top + box.bottom) / 2;
    gdi::Pen pen(CreatePen(PS_SOLID, px(1), colour));
    gdi::Selection withPen(dc, pen.get());
    gdi::Selection noFill(dc, GetStockObject(NULL_BRUSH));
    const auto line = [&](int x0, int y0, int x1, int y1) {
        Line(dc, cx + px(x0), cy + px(y0), cx + px(x1), cy + px(y1));
    };
    switch (kind) {
        case kCloseButton:
            for (int d = 0; d < 2; ++d) {
                line(-4 + d, -4, 5 + d, 5);
                line(4 + d, -4, -5 + d, 5);
            }
            break;
        case kMaximizeButton:
            if (maximized) {
                Rectangle(dc, cx + px(-4), cy + px(-2), cx + px(3), cy + px(5));
                line(-2, -4, 5, -4);
                line(5, -4, 5, 3);
            } else {
                Rectangle(dc, cx + px(-5), cy + px(-4), cx + px(5), cy + px(5));
                line(-5, -3, 5, -3);
            }
            break;
        case kMinimizeButton:
            line(-4, 3, 5, 3);
            line(-4, 4, 5, 4);
            break;
        case kHandlerBButton:
            for (int row = -3; row <= 3; row += 3)
                line(-5, row, 6, row);
            break;
        default: break;
    }
}

} // namespace

void SetHighContrastQuery(HighContrastQuery query) {
    highContrastQuery = query;
}

bool SystemHighContrastOn() {
    HIGHCONTRASTA settings{};
    settings.cbSize = sizeof settings;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof settings, &settings, 0) &&
           (settings.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool SystemClientAreaAnimationOn() {
    BOOL on = TRUE;
    if (!SystemParametersInfoA(SPI_GETCLIENTAREAANIMATION, 0, &on, 0)) return true;
    return on != FALSE;
}

void ReadSystemLook() {
    highContrast = highContrastQuery ? highContrastQuery() : SystemHighContrastOn();
    fadesAnimate = SystemClientAreaAnimationOn();
}

bool SystemLookOn() {
    return highContrast;
}

bool CaptionFadesAnimate() {
    return fadesAnimate;
}

bool CaptionActive(HWND window) {
    const LONG_PTR said = GetPropValue(window, kPropCaptionState);
    if (said != 0) return said == 2;
    return GetActiveWindow() == window;
}

void AnswerSystemLookMessage(int position, UINT message, WPARAM wParam) {
    WindowRecord* record = RecordAt(position);
    if (!record) return;
    switch (message) {
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE: {
            const bool before = highContrast;
            ReadSystemLook();
            if (before != highContrast) {
                RepaintAllSkinnedWindows();
            } else if (highContrast && message == WM_SYSCOLORCHANGE) {
                // Each top-level window receives the change: each repaints itself.
                record->BackgroundStale = 1;
                if (TheSkin && IsWindowVisible(record->Window)) {
                    TheSkin->RebuildBackground(position);
                    RedrawWindow(record->Window, nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
                }
            }
            break;
        }
        case WM_NCACTIVATE: {
            const bool wasActive = CaptionActive(record->Window);
            SetPropValue(record->Window, kPropCaptionState, wParam ? 2 : 1);
            if (highContrast && wasActive != (wParam != 0) && TheSkin && record->BackBufferDC) {
                TheSkin->RebuildBackground(position);
                InvalidateRect(record->Window, nullptr, FALSE);
            }
            break;
        }
        default: break;
    }
}

void PaintSystemBackground(WindowRecord& record, plus::PlusGraphics& graphics) {
    graphics.Flush(1);
    const HDC dc = record.BackBufferDC.get();
    RECT rc{};
    GetClientRect(record.Window, &rc);
    Fill(dc, rc, COLOR_WINDOW);
    if (record.HasCaption)
        Fill(dc, RECT{0, 0, rc.right, std::min<LONG>(rc.bottom, Px(record, record.CaptionHeight))},
             CaptionActive(record.Window) ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    if (record.StatusHeight > 0) {
        const PaneRect& bar = record.StatusRect;
        Fill(dc, RECT{bar.x, bar.y, bar.x + bar.width, bar.y + bar.height}, COLOR_BTNFACE);
    }
    GdiFlush();
}

void PaintSystemBorder(WindowRecord& record, plus::PlusGraphics& graphics) {
    graphics.Flush(1);
    RECT rc{};
    GetClientRect(record.Window, &rc);
    FrameRect(record.BackBufferDC.get(), &rc, GetSysColorBrush(COLOR_WINDOWFRAME));
    GdiFlush();
}

void PaintSystemTitle(WindowRecord& record, plus::PlusGraphics& graphics, const RECT& area,
                      const std::string& title) {
    graphics.Flush(1);
    RECT box = area;
    box.bottom = std::min<LONG>(box.bottom, Px(record, record.CaptionHeight));
    const gdi::Font font =
        MakeFont(record.TitleFontName, Px(record, record.TitleFontSize), record.TitleBold);
    const bool active = CaptionActive(record.Window);
    DrawTextIn(record.BackBufferDC.get(), title, box,
               GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT), font,
               DT_LEFT | DT_TOP);
    GdiFlush();
}

void PaintSystemCaptionButton(WindowRecord& record, plus::PlusGraphics& graphics, int button,
                              const RECT& box, bool hot) {
    if (button < 1 || button > static_cast<int>(record.CaptionButtons.size())) return;
    CaptionButton& face = record.CaptionButtons[static_cast<std::size_t>(button - 1)];
    graphics.Flush(1);
    const HDC dc = record.BackBufferDC.get();
    Fill(dc, box, hot ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
    const COLORREF ink = GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
    {
        gdi::Brush edge(CreateSolidBrush(ink));
        FrameRect(dc, &box, edge.get());
    }
    if (face.Kind == kHandlerAButton) {
        const gdi::Font font = MakeFont("Tahoma", box.bottom - box.top - Px(record, 4), true);
        DrawTextIn(dc, "?", box, ink, font, DT_CENTER | DT_VCENTER);
    } else {
        DrawGlyph(dc, face.Kind, record.IsMaximized != 0, box, ink,
                  [&record](int size) { return Px(record, size); });
    }
    GdiFlush();
    // An application button's own picture is all that tells it apart.
    if (face.Kind == kApplicationButton)
        if (plus::PlusImage* picture = face.Picture.Get(face.Image))
            graphics.DrawImageRect(*picture, static_cast<float>(box.left + 1),
                                   static_cast<float>(box.top + 1),
                                   static_cast<float>(box.right - box.left - 2),
                                   static_cast<float>(box.bottom - box.top - 2));
}

void PaintSystemPane(WindowRecord& record, plus::PlusGraphics& graphics, int pane) {
    if (pane < 1 ||
        pane > static_cast<int>(std::min(record.StatusPanes.size(), record.StatusPaneRects.size())))
        return;
    const std::size_t index = static_cast<std::size_t>(pane - 1);
    const PaneRect& r = record.StatusPaneRects[index];
    RECT area{r.x, r.y, r.x + r.width, r.y + r.height};
    graphics.Flush(1);
    const HDC dc = record.BackBufferDC.get();
    Fill(dc, area, COLOR_BTNFACE);
    DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT);
    const gdi::Font font =
        MakeFont(record.StatusFontName, Px(record, record.StatusFontSize), false);
    RECT text{area.left + Px(record, 3), area.top + 1, area.right - Px(record, 2), area.bottom - 1};
    DrawTextIn(dc, record.StatusPanes[index].Text, text, GetSysColor(COLOR_BTNTEXT), font,
               DT_LEFT | DT_VCENTER);
    GdiFlush();
}

bool PaintSystemButtonItem(const DRAWITEMSTRUCT& item) {
    if (!highContrast || item.CtlType != ODT_BUTTON) return false;
    const HDC dc = item.hDC;
    RECT box = item.rcItem;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    UINT state = DFCS_BUTTONPUSH;
    if (item.itemState & ODS_SELECTED) state |= DFCS_PUSHED;
    if (disabled) state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &box, DFC_BUTTON, state);
    char text[256] = {};
    GetWindowTextA(item.hwndItem, text, sizeof text);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0));
    gdi::Selection selected(dc,
                            font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextA(dc, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
    return true;
}

} // namespace skin
