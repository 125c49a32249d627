// Skinned common controls: a control that fills its background in a system colour draws
// itself into a picture, and the picture is laid over the skinned window's background with
// that colour keyed out.
#include "skin/controls/framework.h"
#include "skin/core/capture.h"
#include "skin/core/gdi_owners.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/services/containers.h"
#include "skin/services/direct_pixels.h"
#include "skin/core/window_services.h"

#include <optional>
#include <string>

namespace skin {
namespace {

// Classes that draw themselves whole into the device context WM_PAINT hands them.
bool PaintsIntoGivenDC(const std::string& cls) {
    return cls == "SysMonthCal32" || cls == "SysTabControl32" || cls == "ToolbarWindow32" ||
           cls == "msctls_statusbar32" || cls == "Button" || cls == "msctls_trackbar32";
}

CommonControlEntry* EntryOf(HWND control) {
    WindowRecord* record =
        RecordAt(static_cast<int>(GetPropValue(control, kPropCommonOwnerPosition)));
    const auto number = GetPropValue(control, kPropCommonPosition);
    if (!record || number < 1 || number > static_cast<LONG_PTR>(record->CommonControls.size()))
        return nullptr;
    CommonControlEntry& entry = record->CommonControls[static_cast<size_t>(number - 1)];
    return entry.Control == control ? &entry : nullptr;
}

LRESULT PassOn(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto saved = reinterpret_cast<WNDPROC>(GetPropValue(control, kPropCommonSavedProc));
    if (!saved) return DefWindowProcA(control, message, wParam, lParam);
    return CallWindowProcA(saved, control, message, wParam, lParam);
}

// Lays the part `box` of the picture in `drawn` over `target` (the box's size, at (0, 0))
// leaving out the pixels of `key`. The colour alone is compared, whatever GDI left in a pixel's
// top byte: the two are 32-bit pictures, and a blit that also compared that byte would let
// some of the key through.
void KeyOnto(HDC target, HDC drawn, const RECT& box, COLORREF key) {
    const int w = box.right - box.left, h = box.bottom - box.top;
    const PixelRows to = PixelRowsOf(static_cast<HBITMAP>(GetCurrentObject(target, OBJ_BITMAP)));
    const PixelRows from = PixelRowsOf(static_cast<HBITMAP>(GetCurrentObject(drawn, OBJ_BITMAP)));
    if (!to || !from || to.width < w || to.height < h || from.width < box.right ||
        from.height < box.bottom) {
        TransparentBlt(target, 0, 0, w, h, drawn, box.left, box.top, w, h, key);
        return;
    }
    const std::uint32_t keyed =
        (GetRValue(key) << 16) | (GetGValue(key) << 8) | static_cast<std::uint32_t>(GetBValue(key));
    for (int y = 0; y < h; ++y) {
        std::uint32_t* out = to.Row(y);
        const std::uint32_t* in = from.Row(box.top + y) + box.left;
        for (int x = 0; x < w; ++x)
            if ((in[x] & 0x00FFFFFFu) != keyed) out[x] = in[x] | 0xFF000000u;
    }
}

// The control draws into a copy of the background behind it; everything it drew except its
// own background colour goes over the washed background, and that onto the screen. Only the
// part of the client the paint updates reaches the screen, so only that part is washed and
// keyed, and the control's drawing is clipped to it: a status bar growing by a few pixels at
// each step of a live resize is asked for a strip that wide.
LRESULT PaintOverWash(HWND control, const CommonControlEntry& entry, LPARAM lParam) {
    RECT client{};
    GetClientRect(control, &client);
    CapturedBackground drawn(control, ClientRectInWindow(control));
    gdi::PaintDC paint(control);
    RECT box{};
    IntersectRect(&box, &paint.paint().rcPaint, &client);
    const int w = box.right - box.left, h = box.bottom - box.top;
    // The washed picture is made from the same background, copied before the control draws
    // over it: one capture for the two.
    gdi::MemoryDC wash;
    if (w > 0 && h > 0 && drawn.dc()) {
        wash = gdi::MemoryDC::Create();
        wash.Adopt(gdi::CreateArgbBitmap(w, h));
        if (wash.bitmap()) {
            BitBlt(wash.get(), 0, 0, w, h, drawn.dc(), box.left, box.top, SRCCOPY);
            WashPicture(wash.get(), w, h);
        }
    }
    if (drawn.dc()) IntersectClipRect(drawn.dc(), box.left, box.top, box.right, box.bottom);
    const LRESULT result =
        CallWindowProcA(reinterpret_cast<WNDPROC>(GetPropValue(control, kPropCommonSavedProc)),
                        control, WM_PAINT, reinterpret_cast<WPARAM>(drawn.dc()), lParam);
    if (wash.bitmap()) {
        KeyOnto(wash.get(), drawn.dc(), box, entry.KeyColour);
        BitBlt(paint.get(), box.left, box.top, w, h, wash.get(), 0, 0, SRCCOPY);
    }
    return result;
}

// A control that paints on the screen whatever DC it is given (a rich edit): its pixels in
// the update rectangle, less its background colour, are laid over the background copy there.
LRESULT PaintThenKey(HWND control, const CommonControlEntry& entry, LPARAM lParam) {
    gdi::WindowDC dc(control);
    RECT r{};
    GetUpdateRect(control, &r, FALSE);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const RECT inner = ClientRectInWindow(control);
    const RECT behind{inner.left + r.left, inner.top + r.top, inner.left + r.right,
                      inner.top + r.bottom};
    CapturedBackground background(control, behind);
    const LRESULT result =
        CallWindowProcA(reinterpret_cast<WNDPROC>(GetPropValue(control, kPropCommonSavedProc)),
                        control, WM_PAINT, reinterpret_cast<WPARAM>(background.dc()), lParam);
    if (w > 0 && h > 0 && background.dc()) {
        TransparentBlt(background.dc(), 0, 0, w, h, dc.get(), r.left, r.top, w, h, entry.KeyColour);
        BitBlt(dc.get(), r.left, r.top, w, h, background.dc(), 0, 0, SRCCOPY);
    }
    InvalidateChildren(control);
    return result;
}

LRESULT CommonControlMessage(HWND control, const CommonControlEntry* entry, UINT message,
                             WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOVE:
            if (Engine.TranslucentControls) InvalidateRect(control, nullptr, FALSE);
            break;
        case WM_ERASEBKGND:
            if (!Engine.TranslucentControls) break;
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return 1;
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (ClassNameOf(control) == "RichEdit20A") InvalidateRect(control, nullptr, FALSE);
            break;
        case WM_PAINT:
            if (!Engine.ControlSkinsEnabled) break;
            return PaintsIntoGivenDC(ClassNameOf(control)) ? PaintOverWash(control, *entry, lParam)
                                                           : PaintThenKey(control, *entry, lParam);
        case WM_NCPAINT: {
            // The frame is the system's; the scroll bars (a rich edit's) are the skin's.
            const LRESULT result = PassOn(control, message, wParam, lParam);
            if (CommonControlEntry* still = EntryOf(control); still && HasScrollBars(control))
                PaintScrollBars(control, still->ScrollBars, true);
            return result;
        }
        default: break;
    }
    return PassOn(control, message, wParam, lParam);
}

} // namespace

LRESULT CALLBACK CommonControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    CommonControlEntry* entry = EntryOf(control);
    if (!entry || SystemLookOn()) return PassOn(control, message, wParam, lParam);
    if (!HasScrollBars(control))
        return CommonControlMessage(control, entry, message, wParam, lParam);
    const std::optional<LRESULT> answered =
        AnswerScrollBarMessage(control, entry->ScrollBars, message, wParam, lParam, PassOn);
    const LRESULT result =
        answered ? *answered : CommonControlMessage(control, entry, message, wParam, lParam);
    // The entry may have gone (or moved, as the list grew) while the message was handled.
    if (MayDrawSystemBars(message, wParam) && IsWindow(control) && HasScrollBars(control))
        if (CommonControlEntry* still = EntryOf(control))
            PaintScrollBars(control, still->ScrollBars, false);
    return result;
}

int SkinEngine::SkinCommonControl(HWND control, std::optional<COLORREF> keyColour,
                                  std::optional<int> containerOption1,
                                  std::optional<int> containerOption2) {
    if (!IsWindow(control)) return 0;
    const int position = NearestSkinnedAncestor(GetParent(control));
    WindowRecord* record = RecordAt(position);
    if (!record) return 0;

    auto& list = record->CommonControls;
    int number = 0;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].Control == control) number = static_cast<int>(i) + 1;
    const COLORREF key = keyColour.value_or(GetSysColor(COLOR_BTNFACE));
    if (number) {
        // Skinned already: only the key colour changes. Subclassing again would store this
        // procedure as its own saved one.
        list[static_cast<size_t>(number - 1)].KeyColour = key;
    } else {
        if (!(list.size() == 1 && list[0].Control == nullptr)) list.emplace_back();
        number = static_cast<int>(list.size());
        CommonControlEntry& entry = list.back();
        entry.Control = control;
        entry.KeyColour = key;
        entry.PreviousProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CommonControlProc)));
        SetPropValue(control, kPropCommonPosition, number);
        SetPropValue(control, kPropCommonOwnerPosition, position);
        SetPropValue(control, kPropCommonSavedProc, reinterpret_cast<LONG_PTR>(entry.PreviousProc));
        InvalidateRect(control, nullptr, TRUE);
    }
    if (!FindWindowExA(control, nullptr, nullptr, nullptr)) return 0;
    return SkinContainer(control, 0, containerOption1, containerOption2, 0);
}

} // namespace skin
