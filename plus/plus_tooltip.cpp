#include "plus/plus_tooltip.h"

#include <cstddef>

namespace {

// The first-version record, without the trailing lParam: understood by every comctl32 version.
// It is 40 bytes on 32-bit Windows; on x64 the pointer-sized fields make the same layout larger.
constexpr UINT ToolInfoSize = offsetof(TOOLINFOA, lParam);
#ifndef _WIN64
static_assert(ToolInfoSize == 40, "first-version TOOLINFOA is 40 bytes on x86");
#endif

} // namespace

HWND PlusTooltip::Create(HWND owner, bool balloon, bool relayed) {
    // The tooltip class lives in comctl32; make sure it is registered before the first use.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    OwnerWindow = owner;
    Relayed = relayed;
    const DWORD style = balloon ? (TTS_ALWAYSTIP | TTS_BALLOON) : TTS_ALWAYSTIP;
    // No parent: the tools tie the tooltip to the owner window.
    TooltipWindow =
        CreateWindowExA(0, TOOLTIPS_CLASSA, "", style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return TooltipWindow;
}

TOOLINFOA PlusTooltip::MakeToolInfo(std::uint32_t id, const RECT& rect, LPSTR text) const {
    TOOLINFOA info{};
    info.cbSize = ToolInfoSize;
    // The tooltip subclasses the owner and watches its mouse messages itself, or is handed them.
    info.uFlags = Relayed ? 0 : TTF_SUBCLASS;
    info.hwnd = OwnerWindow;
    info.uId = id;
    info.rect = rect;
    info.hinst = nullptr;
    info.lpszText = text;
    return info;
}

void PlusTooltip::RelayEvent(UINT message, WPARAM wParam, LPARAM lParam) const {
    if (!Relayed || !TooltipWindow) return;
    switch (message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: {
            MSG msg{};
            msg.hwnd = OwnerWindow;
            msg.message = message;
            msg.wParam = wParam;
            msg.lParam = lParam;
            msg.time = static_cast<DWORD>(GetMessageTime());
            const DWORD at = GetMessagePos();
            msg.pt = POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
            Send(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
            break;
        }
        default: break;
    }
}

LRESULT PlusTooltip::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(TooltipWindow, message, wParam, lParam);
}

LRESULT PlusTooltip::AddTool(const RECT& rect, const std::string& text, std::uint32_t id) {
    // The tooltip copies the text during the call.
    TOOLINFOA info = MakeToolInfo(id, rect, const_cast<LPSTR>(text.c_str()));
    return Send(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT PlusTooltip::AddCallbackTool(const RECT& rect, std::uint32_t id) {
    TOOLINFOA info = MakeToolInfo(id, rect, LPSTR_TEXTCALLBACKA);
    return Send(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT PlusTooltip::SetTipBkColor(COLORREF colour) {
    return Send(TTM_SETTIPBKCOLOR, colour, 0);
}

LRESULT PlusTooltip::SetTipTextColor(COLORREF colour) {
    return Send(TTM_SETTIPTEXTCOLOR, colour, 0);
}

LRESULT PlusTooltip::SetMaxTipWidth(int width) {
    return Send(TTM_SETMAXTIPWIDTH, 0, width);
}

LRESULT PlusTooltip::SetToolRect(std::uint32_t id, const RECT& rect) {
    TOOLINFOA info = MakeToolInfo(id, rect, nullptr);
    return Send(TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT PlusTooltip::UpdateTipText(std::uint32_t id, const std::string& text) {
    TOOLINFOA info = MakeToolInfo(id, RECT{}, const_cast<LPSTR>(text.c_str()));
    return Send(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}
