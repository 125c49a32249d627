#include "skin/controls/buttons.h"

#include "plus/plus_brush.h"
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
#include "skin/core/skin_engine.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/window_record.h"
#include "skin/images/skin_pictures.h"
#include "skin/core/window_services.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace skin {

using namespace plus;

namespace {

constexpr COLORREF kDotColour = 0x00808000;
constexpr COLORREF kGreyText = 0x00808080; // a disabled caption
constexpr const char* kDefaultFontFamily = "宋体";

ARGB Argb(COLORREF colour, int alpha) {
    return ToArgb(colour, alpha, 1);
}

FamilyList<ButtonRecord>* ButtonListAt(int windowIndex) {
    WindowRecord* record = RecordAt(windowIndex);
    return record ? &record->Buttons : nullptr;
}

// The client box the radio-button and check-box painters lay out in.
struct SmallButtonBox {
    explicit SmallButtonBox(HWND window) {
        GetClientRect(window, &client);
        left = static_cast<float>(client.left);
        top = static_cast<float>(client.top);
        width = client.right - client.left;
        height = client.bottom - client.top;
    }
    RECT client{};
    float left = 0, top = 0;
    int width = 0, height = 0;
};

bool IsChecked(HWND window) {
    return SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A check box or radio button is drawn disabled when its window is, or when asked to be.
bool DrawnDisabled(HWND window, UINT state) {
    return (state & ODS_DISABLED) || !IsWindowEnabled(window);
}

// Calls visit(pixel, index) for each pixel of `box` in the 32-bit DIB section selected into
// `dc`, row by row (index counts from the box's top-left); nothing when the DC holds none.
template <typename Visit> void VisitPixels(HDC dc, RECT box, Visit visit) {
    DIBSECTION dib{};
    if (GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof dib, &dib) != sizeof dib ||
        dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits)
        return;
    GdiFlush();
    const int h = std::abs(dib.dsBmih.biHeight);
    const RECT whole{0, 0, dib.dsBm.bmWidth, h};
    if (!IntersectRect(&box, &box, &whole)) return;
    auto* bits = static_cast<std::uint8_t*>(dib.dsBm.bmBits);
    size_t index = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        const int row = dib.dsBmih.biHeight < 0 ? y : h - 1 - y;
        auto* line = reinterpret_cast<std::uint32_t*>(bits + static_cast<size_t>(row) *
                                                                 dib.dsBm.bmWidthBytes);
        for (int x = box.left; x < box.right; ++x)
            visit(line[x], index++);
    }
}

std::vector<std::uint32_t> PixelsOf(HDC dc, RECT box) {
    std::vector<std::uint32_t> pixels;
    VisitPixels(dc, box, [&](std::uint32_t p, size_t) { pixels.push_back(p); });
    return pixels;
}

// Greys what was drawn over `box` since its pixels were `before`: each changed pixel becomes
// its brightness lifted halfway to white, so a disabled mark reads grey whatever its colours,
// and the background around it stays as it was.
void GreyOut(HDC dc, RECT box, const std::vector<std::uint32_t>& before) {
    VisitPixels(dc, box, [&](std::uint32_t& p, size_t i) {
        if (i < before.size() && p == before[i]) return;
        const std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        const std::uint32_t grey = 128 + ((r * 77 + g * 150 + b * 29) >> 8) / 2;
        p = (p & 0xFF000000) | (grey << 16) | (grey << 8) | grey;
    });
}

// Caption step shared by the check-box and radio painters.
void DrawCaption(PlusGraphics& g, HWND window, const ButtonRecord& record, RectF layout,
                 bool disabled) {
    const PhaseClock clock(PaintPhase::Text);
    PlusSolidBrush ink;
    ink.Create(Argb(disabled ? kGreyText : TextColourOf(window), 255));
    const PlusFont& font = ButtonCaptionFont(record, ControlDpi(window));
    PlusStringFormat format;
    format.Create();
    format.SetAlign(0);
    format.SetLineAlign(1);
    g.DrawString(record.Caption, font, ink, layout, &format);
}

void FillHotGradient(PlusGraphics& g, PlusPath& path, PointF from, PointF to, UINT dpi) {
    PlusLinearBrush brush;
    brush.Create(from, to, Argb(Engine.AccentColour, 100), Argb(kBlack, 0));
    g.FillPath(brush, path);
    DrawGlow(g, path, 2, kGlowColour, 30, static_cast<float>(ScaleToDpi(2, dpi)) / 2);
}

// The whole pixels a size x size mark at (x, y) touches.
RECT MarkBox(float x, float y, int size) {
    const int left = static_cast<int>(std::floor(x)), top = static_cast<int>(std::floor(y));
    return RECT{left, top, left + size + 1, top + size + 1};
}

void CopyToWindow(HWND window, HDC picture, int w, int h) {
    const PhaseClock clock(PaintPhase::Copy);
    gdi::WindowDC dc(window);
    BitBlt(dc.get(), 0, 0, w, h, picture, 0, 0, SRCCOPY);
}

// Everything a check box's or radio button's picture is drawn from besides its background.
// The check state is asked of the system's own procedure: through the window it would pass the
// skin's procedure too, whose record lookup costs two trips to the window server here.
Look LookOf(HWND window, const ButtonRecord& record, UINT state, bool disabled, int w, int h,
            UINT dpi) {
    const bool checked = record.SavedProcedure ? CallWindowProcA(record.SavedProcedure, window,
                                                                 BM_GETCHECK, 0, 0) == BST_CHECKED
                                               : IsChecked(window);
    Look look;
    look << record.Kind << w << h << checked << disabled << ((state & ODS_HOTLIGHT) != 0)
         << record.Caption << record.FontFamily << record.FontSize << record.FontStyle
         << TextColourOf(window) << Engine.AccentColour << dpi << record.FontDpi;
    return look;
}

// The ButtonProc cases that paint after the button's own handling (a press, a check change).
LRESULT PassOnThenPaint(HWND window, const ButtonRecord& record, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    if (record.Kind == kButtonRadio) {
        CallSavedProcedure(window, message, wParam, lParam);
        PaintRadioButton(window, ODS_SELECTED);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    if (record.Kind == kButtonCheckBox) {
        CallSavedProcedure(window, message, wParam, lParam);
        PaintCheckBox(window, 0);
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return CallSavedProcedure(window, message, wParam, lParam);
}

// ODS_SELECTED while the button is held down. Hover repaints keep the pressed face: the moves
// a captured button receives need not report the mouse button (Wine makes some up after a
// capture), and only BM_SETSTATE ends the press.
UINT HeldState(HWND window) {
    return (SendMessageA(window, BM_GETSTATE, 0, 0) & BST_PUSHED) ? ODS_SELECTED : 0;
}

} // namespace

bool IsPushButtonStyle(LONG style) {
    return !(style & 0x2) && !((style & 0x1) && (style & 0x8)) && !(style & 0x4);
}
bool IsCheckBoxStyle(LONG style) {
    return (style & 0x2) && !(style & 0x4);
}
bool IsAutoRadioStyle(LONG style) {
    return !(style & 0x2) && !(style & 0x4) && (style & 0x1) && (style & 0x8);
}
bool IsOwnerDrawnStyle(LONG style) {
    return (style | BS_OWNERDRAW) == style;
}

const PlusFont& ButtonCaptionFont(const ButtonRecord& record, UINT dpi) {
    return record.Font.Get(record.FontFamily, static_cast<float>(ButtonFontPixels(record, dpi)),
                           record.FontStyle, plus::UnitPixel);
}

bool IsDefaultPushButton(HWND button) {
    const ButtonRecord* record = ButtonRecordOf(button);
    if (!record || record->Kind == kButtonRadio || record->Kind == kButtonCheckBox) return false;
    // Only a dialog is asked: elsewhere DM_GETDEFID (WM_USER) may mean something else.
    HWND parent = GetParent(button);
    if (parent && ClassNameOf(parent) == "#32770") {
        const LRESULT answer = SendMessageA(parent, DM_GETDEFID, 0, 0);
        if (HIWORD(answer) == DC_HASDEFID) return LOWORD(answer) == GetDlgCtrlID(button);
    }
    return record->DefaultButton;
}

void StoreButtonFont(ButtonRecord& record, HWND window) {
    ControlFont font = ReadControlFont(window);
    record.FontFamily = font.family.empty() ? kDefaultFontFamily : font.family;
    // The default is a 96-dpi size like the skin's own; a font read from the control is in the
    // pixels of the DPI the control is at now.
    record.FontSize = font.size == 0 ? 12 : font.size;
    record.FontDpi = font.size == 0 ? kDesignDpi : ControlDpi(window);
    record.FontStyle = font.style;
}

int ButtonFontPixels(const ButtonRecord& record, UINT dpi) {
    return ScaleBetweenDpi(record.FontSize, record.FontDpi, dpi);
}

ButtonRecord* ButtonRecordOf(HWND window) {
    return FamilyRecordOf(window, &WindowRecord::Buttons);
}

void SkinButtons(int windowIndex, HWND parent) {
    if (!ControlSkinsOn()) return;
    FamilyList<ButtonRecord>* list = ButtonListAt(windowIndex);
    if (!list) return;
    for (HWND b = FindWindowExA(parent, nullptr, "BUTTON", nullptr); b;
         b = FindWindowExA(parent, b, "BUTTON", nullptr)) {
        const LONG style = GetWindowLongA(b, GWL_STYLE);
        if (IsOwnerDrawnStyle(style) || !IsPushButtonStyle(style)) continue;
        if (FindRecord(*list, b)) continue;

        const int position = TakeRecord(*list);
        ButtonRecord& record = *(*list)[position - 1];
        record.Window = b;
        record.Kind = kButtonStandardFace;
        record.Caption = WindowTextOf(b);
        record.DefaultButton = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        record.SavedProcedure = SubclassControl(b, position, windowIndex, ButtonProc);
        SetWindowLongA(b, GWL_STYLE, style | BS_OWNERDRAW);
        StoreButtonFont(record, b);
    }
}

void SkinCheckAndRadioButtons(int windowIndex, HWND parent) {
    if (!ControlSkinsOn()) return;
    FamilyList<ButtonRecord>* list = ButtonListAt(windowIndex);
    if (!list) return;
    for (HWND b = FindWindowExA(parent, nullptr, "BUTTON", nullptr); b;
         b = FindWindowExA(parent, b, "BUTTON", nullptr)) {
        const LONG style = GetWindowLongA(b, GWL_STYLE);
        const bool checkBox = IsCheckBoxStyle(style);
        if (!checkBox && !IsAutoRadioStyle(style)) continue;
        const bool checked = SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (IsOwnerDrawnStyle(style)) continue;
        // This family adds records without looking first; a control that already runs the
        // button procedure was skinned by an earlier install and is left as it is.
        if (RunsProcedure(b, ButtonProc)) continue;

        const int position = TakeRecord(*list);
        ButtonRecord& record = *(*list)[position - 1];
        record.Window = b;
        record.Caption = WindowTextOf(b);
        record.CheckedAtInstall = checked;
        record.Parent = parent;
        record.Kind = checkBox ? kButtonCheckBox : kButtonRadio;
        record.SavedProcedure = SubclassControl(b, position, windowIndex, ButtonProc);
        StoreButtonFont(record, b);
    }
}

LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ButtonRecord* record = ButtonRecordOf(window);
    // A button whose window record is gone gets its messages passed on untouched.
    // In system colours the control is the system's to paint.
    if (!record || SystemLookOn()) return CallSavedProcedure(window, message, wParam, lParam);
    const WNDPROC saved = record->SavedProcedure;

    switch (message) {
        case WM_MOVE: InvalidateRect(window, nullptr, TRUE); break;
        case WM_SETFOCUS: record->Focused = true; break;
        case WM_KILLFOCUS: record->Focused = false; break;
        case WM_SETTEXT:
            record->Caption = lParam ? reinterpret_cast<const char*>(lParam) : "";
            break;
        case WM_SETFONT: {
            // A program that follows a DPI change gives its controls new fonts: the face uses
            // the new one from then on.
            const LRESULT result = CallSavedProcedure(window, message, wParam, lParam);
            if (ButtonRecord* current = ButtonRecordOf(window)) StoreButtonFont(*current, window);
            if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
            return result;
        }
        case kDpiChangedAfterParent:
            // The owner's DPI changed: metrics and the font follow it at the next paint.
            InvalidateRect(window, nullptr, TRUE);
            break;
        case WM_PAINT:
            if (record->Kind == kButtonCheckBox || record->Kind == kButtonRadio) {
                {
                    gdi::PaintDC paint(window);
                    if (record->Kind == kButtonCheckBox)
                        PaintCheckBox(window, 0);
                    else
                        PaintRadioButton(window, 0);
                }
                return DefWindowProcA(window, message, wParam, lParam);
            }
            break;
        case WM_ERASEBKGND: {
            auto dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, TRANSPARENT);
            return static_cast<LRESULT>(SetTextColor(dc, TextColourOf(window)));
        }
        case WM_NCPAINT: return 1;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE)
                return PassOnThenPaint(window, *record, message, wParam, lParam);
            break;
        case BM_SETCHECK:
        case WM_LBUTTONDOWN: return PassOnThenPaint(window, *record, message, wParam, lParam);
        case WM_MOUSEMOVE:
            if (TrackHover(window, kButtonHover))
                RepaintButton(window, ODS_HOTLIGHT | HeldState(window));
            break;
        case WM_LBUTTONUP:
            if (WindowRecord* owner = OwnerRecordOf(window)) owner->HotControl = 0;
            break;
        case WM_LBUTTONDBLCLK: return 0;
        case WM_ENABLE:
            // The control draws its own look when enabled or disabled; the skin's replaces it.
            return PassOnThenPaint(window, *record, message, wParam, lParam);
        case BM_SETSTYLE:
            if (record->Kind != kButtonRadio && record->Kind != kButtonCheckBox) {
                // The default look moves with the style, and the button stays owner-drawn.
                record->DefaultButton = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
                wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
            }
            break;
        case WM_MOUSELEAVE:
            EndHover(window);
            RepaintButton(window, (record->Focused ? ODS_FOCUS : 0) | HeldState(window));
            break;
        default: break;
    }
    return CallSavedProcedure(saved, window, message, wParam, lParam);
}

void RepaintButton(HWND window, UINT state) {
    const ButtonRecord* record = ButtonRecordOf(window);
    if (!record) return;
    gdi::WindowDC dc(window);
    RECT client{};
    GetClientRect(window, &client);
    switch (record->Kind) {
        case kButtonStandardFace: PaintStandardButtonFace(window, dc.get(), state, client); break;
        case kButtonSingleImageFace: PaintSingleImageFace(window, dc.get(), state, client); break;
        case kButtonStateImageFace: PaintStateImageFace(window, dc.get(), state, client); break;
        case kButtonRadio: PaintRadioButton(window, state); break;
        case kButtonCheckBox: PaintCheckBox(window, state); break;
        default: break;
    }
}

void PaintRadioButton(HWND window, UINT state) {
    const PhaseClock painter(PaintPhase::Painter);
    ButtonRecord* record = ButtonRecordOf(window);
    if (!record) return;
    const SmallButtonBox area(window);
    const float left = area.left, top = area.top;
    const int W = area.width, H = area.height;
    const UINT dpi = ControlDpi(window);
    const auto px = [dpi](int size) { return static_cast<float>(ScaleToDpi(size, dpi)); };
    const float cy = top + (static_cast<float>(H) - px(12)) / 2;
    const bool disabled = DrawnDisabled(window, state);

    CapturedBackground background(window, area.client);
    if (PutKeptPicture(record->Kept, LookOf(window, *record, state, disabled, W, H, dpi),
                       background.dc(), W, H)) {
        CopyToWindow(window, background.dc(), W, H);
        return;
    }
    const RECT mark = MarkBox(left + px(1), cy - px(1), ScaleToDpi(14, dpi));
    const std::vector<std::uint32_t> unmarked =
        disabled ? PixelsOf(background.dc(), mark) : std::vector<std::uint32_t>();
    {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(background.dc());
        g.SetSmoothingMode(4);

        PlusPath ring;
        ring.CreatePath();
        ring.AddEllipse(left + px(2), cy, px(12), px(12));
        PlusPen ringPen;
        ringPen.CreatePen(Argb(kBlack, 200), 1);
        g.DrawPath(ringPen, ring);

        PlusPath disc;
        disc.CreatePath();
        disc.AddEllipse(left + px(3), top + (static_cast<float>(H) - px(11)) / 2 + px(1), px(9),
                        px(9));
        PlusPen discPen;
        discPen.CreatePen(Argb(kWhite, 255), 1);
        g.DrawPath(discPen, disc);
        PlusSolidBrush white;
        white.Create(Argb(kWhite, 255));
        g.FillPath(white, disc);

        PlusLinearBrush shade;
        shade.Create(PointF{left + px(3), cy + px(1)}, PointF{left + px(10), cy + px(11)},
                     Argb(kBlack, 100), Argb(kBlack, 0));
        g.FillPath(shade, disc);

        if ((state & ODS_HOTLIGHT) && !disabled)
            FillHotGradient(g, disc, PointF{left + px(3), cy + px(1)},
                            PointF{left + px(11), cy + px(12)}, dpi);

        if (IsChecked(window)) {
            PlusPath dot;
            dot.CreatePath();
            dot.AddEllipse(left + px(5), cy + px(3), px(6), px(6));
            PlusPathBrush glow;
            glow.CreateFromPath(dot);
            glow.SetCenterColor(Argb(kWhite, 100));
            std::vector<ARGB> surround{Argb(kDotColour, 255)};
            glow.SetSurroundColors(surround);
            PlusPen dotPen;
            dotPen.CreatePen(Argb(kBlack, 200), 1);
            g.DrawPath(dotPen, dot);
            g.FillPath(glow, dot);
        }
        if (disabled) {
            g.Flush(0);
            GreyOut(background.dc(), mark, unmarked);
        }

        DrawCaption(g, window, *record,
                    RectF{left + px(18), px(2), static_cast<float>(W), static_cast<float>(H)},
                    disabled);
    }
    KeepPicture(record->Kept, background.dc(), W, H);
    CopyToWindow(window, background.dc(), W, H);
}

void PaintCheckBox(HWND window, UINT state) {
    const PhaseClock painter(PaintPhase::Painter);
    ButtonRecord* record = ButtonRecordOf(window);
    if (!record) return;
    const SmallButtonBox area(window);
    const float left = area.left, top = area.top;
    const int W = area.width, H = area.height;
    const UINT dpi = ControlDpi(window);
    const auto px = [dpi](int size) { return static_cast<float>(ScaleToDpi(size, dpi)); };
    const float side = px(13);
    const float cy = top + (static_cast<float>(H) - side) / 2;
    const bool disabled = DrawnDisabled(window, state);

    CapturedBackground background(window, area.client);
    if (PutKeptPicture(record->Kept, LookOf(window, *record, state, disabled, W, H, dpi),
                       background.dc(), W, H)) {
        CopyToWindow(window, background.dc(), W, H);
        return;
    }
    const RECT mark = MarkBox(left, cy, ScaleToDpi(13, dpi));
    const std::vector<std::uint32_t> unmarked =
        disabled ? PixelsOf(background.dc(), mark) : std::vector<std::uint32_t>();
    {
        const PhaseClock clock(PaintPhase::Shapes);
        PlusGraphics g;
        g.CreateFromHDC(background.dc());

        // The pictures are drawn at the box's size for the DPI, from the one made for the
        // nearest scale at or above it, decoded once per window.
        DrawSkinPicture(g, window, CheckBoxImage, dpi, left, cy, side, side);
        if (IsChecked(window))
            DrawSkinPicture(g, window, CheckedBoxImage, dpi, left, cy, side, side);

        if ((state & ODS_HOTLIGHT) && !disabled) {
            PlusPath square;
            square.CreatePath();
            square.AddRectangle(left, cy, side, side);
            const float y0 = top + (static_cast<float>(H) - px(12)) / 2 + px(1);
            FillHotGradient(g, square, PointF{left + px(3), y0}, PointF{left + px(11), y0 + px(11)},
                            dpi);
        }
        if (disabled) {
            g.Flush(0);
            GreyOut(background.dc(), mark, unmarked);
        }

        DrawCaption(
            g, window, *record,
            RectF{left + px(17), px(2), static_cast<float>(W) - px(19), static_cast<float>(H)},
            disabled);
    }
    KeepPicture(record->Kept, background.dc(), W, H);
    CopyToWindow(window, background.dc(), W, H);
}

void SkinButtonFamily(int windowIndex, HWND parent) {
    SkinButtons(windowIndex, parent);
    SkinCheckAndRadioButtons(windowIndex, parent);
}

void AnswerButtonParentMessage(int windowIndex, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_DRAWITEM || !lParam) return;
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    // In high contrast the system-colour painter draws the face.
    if (!PaintSystemButtonItem(item)) DrawButtonItem(windowIndex, item);
}

bool DrawButtonItem(int windowIndex, const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) return false;
    FamilyList<ButtonRecord>* list = ButtonListAt(windowIndex);
    if (!list) return false;
    const int position = FindRecord(*list, item.hwndItem);
    if (!position) return false;
    const ButtonRecord& record = *(*list)[position - 1];
    switch (record.Kind) {
        case kButtonStandardFace:
            PaintStandardButtonFace(item.hwndItem, item.hDC, item.itemState, item.rcItem);
            return true;
        case kButtonSingleImageFace:
            PaintSingleImageFace(item.hwndItem, item.hDC, item.itemState, item.rcItem);
            return true;
        case kButtonStateImageFace:
            PaintStateImageFace(item.hwndItem, item.hDC, item.itemState, item.rcItem);
            return true;
        default: return false;
    }
}

} // namespace skin
