// The answers a parent window gives about its skinned children (see child_messages.h).
#include "skin/core/child_messages.h"

#include "skin/controls/framework.h"
#include "skin/core/capture.h"
#include "skin/core/paint_phases.h"
#include "skin/core/skin_engine.h"
#include "skin/core/skin_window.h"
#include "skin/core/window_services.h"

#include <commctrl.h>

#include <string>

namespace skin {
namespace {

constexpr int kTreeItemExpanded = -406;  // TVN_ITEMEXPANDEDA
constexpr int kTreeItemExpanding = -405; // TVN_ITEMEXPANDINGA

LRESULT HollowBrush(HWND control, HDC dc) {
    const PhaseClock clock(PaintPhase::ColourAnswers);
    SetTextColor(dc, TextColourOf(control));
    SetBkMode(dc, TRANSPARENT);
    ReleaseColourBrush(control);
    HGDIOBJ brush = GetStockObject(NULL_BRUSH);
    SetPropA(control, kPropColourBrush, brush);
    return reinterpret_cast<LRESULT>(brush);
}

// A translucent control whose picture changes with this notification is drawn again.
void RepaintAfterNotification(WPARAM wParam, LPARAM lParam) {
    if (!TranslucentControlsOn()) return;
    const int n = HIWORD(wParam);
    auto control = reinterpret_cast<HWND>(lParam);
    const std::string cls = ClassNameOf(control);
    const bool repaint = (cls == "Edit" && (n == EN_VSCROLL || n == EN_HSCROLL || n == EN_CHANGE ||
                                            n == EN_UPDATE)) ||
                         (cls == "ListBox" && (n == LBN_SELCHANGE || n == LBN_SELCANCEL)) ||
                         (cls == "ComboBox" && (n == CBN_KILLFOCUS || n == CBN_SELCHANGE));
    if (repaint) InvalidateRect(control, nullptr, TRUE);
}

// A tree view that expands or collapses an item is drawn again whole. The header is read
// without trusting the pointer: a notification from another program's window may carry one
// that means nothing here.
void RepaintAfterTreeChange(LPARAM lParam) {
    NMHDR header{};
    SIZE_T read = 0;
    if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(lParam), &header,
                           sizeof header, &read) ||
        read != sizeof header)
        return;
    const int code = static_cast<int>(header.code);
    if (code == kTreeItemExpanded || code == kTreeItemExpanding)
        InvalidateRect(header.hwndFrom, nullptr, TRUE);
}

// A pattern brush of the window's picture behind the control's client area, washed or as it
// is, kept with its bitmap on the control until the next answer or its destruction.
LRESULT BackgroundBrush(HWND control, HDC dc, bool washed) {
    const PhaseClock clock(PaintPhase::ColourAnswers);
    SetTextColor(dc, TextColourOf(control));
    SetBkMode(dc, TRANSPARENT);
    ReleaseColourBrushes(control);
    HBITMAP bitmap = nullptr;
    if (washed) {
        bitmap = WashedBackgroundBitmap(control);
    } else {
        CapturedBackground background(control, ClientRectInWindow(control));
        bitmap = background.TakeBitmap();
    }
    HBRUSH brush = CreatePatternBrush(bitmap);
    SetPropA(control, kPropColourBrush, brush);
    SetPropA(control, kPropColourBrushBitmap, bitmap);
    return reinterpret_cast<LRESULT>(brush);
}

bool IsLabel(HWND control) {
    return lstrcmpiA(ClassNameOf(control).c_str(), "Static") == 0;
}

} // namespace

LRESULT TranslucentBrush(HWND control, HDC dc, KeptBrush* kept) {
    if (!kept) return BackgroundBrush(control, dc, true);
    SetTextColor(dc, TextColourOf(control));
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(KeptWashedBrush(control, *kept));
}

LRESULT LabelBrush(HWND label, HDC dc) {
    return BackgroundBrush(label, dc, false);
}

std::optional<LRESULT> AnswerChildMessage(int position, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    auto control = reinterpret_cast<HWND>(lParam);
    auto dc = reinterpret_cast<HDC>(wParam);
    RunParentHooks(position, message, wParam, lParam);
    switch (message) {
        case WM_NOTIFY: RepaintAfterTreeChange(lParam); break;
        case WM_COMMAND: RepaintAfterNotification(wParam, lParam); break;
        case WM_CTLCOLOREDIT:
            // A combo box's field is coloured by the combo box's own skin.
            if (ClassNameOf(GetParent(control)) != "ComboBox" && TranslucentControlsOn())
                return TranslucentBrush(control, dc);
            break;
        case WM_CTLCOLORSTATIC:
            // A label has no face to wash: its text lies on the window's picture as it is.
            if (TranslucentControlsOn())
                return IsLabel(control) ? LabelBrush(control, dc) : TranslucentBrush(control, dc);
            break;
        case WM_CTLCOLORLISTBOX: {
            const LONG style = GetWindowLongA(control, GWL_STYLE);
            if (TranslucentControlsOn() && ClassNameOf(control) == "ListBox" &&
                !(style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)))
                return HollowBrush(control, dc);
            break;
        }
        case WM_CTLCOLORBTN:
            if (TranslucentControlsOn()) return HollowBrush(control, dc);
            break;
        default: break;
    }
    return std::nullopt;
}

} // namespace skin
