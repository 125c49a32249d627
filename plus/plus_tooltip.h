// PlusTooltip: one common-controls tooltip window and the rectangular tools of one owner window.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

// Not a GDI+ wrapper: it owns no native object. The tooltip window is created without a parent
// and is deliberately left alone when the object goes away (it dies with its thread or is
// destroyed by whoever owns the window record), so objects of this class copy freely.
class PlusTooltip {
public:
    PlusTooltip() = default;

    // Does nothing: the tooltip window outlives the helper object.
    void Destroy() {}
    // Copies the two window handles.
    PlusTooltip Copy() const { return *this; }

    // Creates the tooltip window (style TTS_ALWAYSTIP, plus TTS_BALLOON when `balloon`) for the
    // tools of `owner`. Returns the tooltip window, null when creation failed. The tooltip
    // subclasses the owner to watch its mouse, unless `relayed`: then the owner's procedure
    // hands its mouse messages over through RelayEvent, and no subclass sits before it on
    // every message.
    HWND Create(HWND owner, bool balloon = false, bool relayed = false);
    // Adds tool `id` covering `rect` (owner client coordinates) with `text` (code page 936).
    // Returns the message result: nonzero when the tool was added.
    LRESULT AddTool(const RECT& rect, const std::string& text, std::uint32_t id);
    // Adds tool `id` whose text the tooltip asks the owner for (TTN_GETDISPINFO) each time.
    LRESULT AddCallbackTool(const RECT& rect, std::uint32_t id);
    // Background and text colours as COLORREF values.
    LRESULT SetTipBkColor(COLORREF colour);
    LRESULT SetTipTextColor(COLORREF colour);
    // Maximum tip width in pixels (longer tips wrap); returns the previous maximum.
    LRESULT SetMaxTipWidth(int width);
    // Moves tool `id` to `rect`.
    LRESULT SetToolRect(std::uint32_t id, const RECT& rect);
    // Changes the text of tool `id`; an id never added changes nothing.
    LRESULT UpdateTipText(std::uint32_t id, const std::string& text);
    HWND GetTooltipWindow() const { return TooltipWindow; }
    // Hands a mouse message of the owner to a tooltip created `relayed` (TTM_RELAYEVENT); other
    // messages, and a tooltip that watches the owner itself, are left alone.
    void RelayEvent(UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    TOOLINFOA MakeToolInfo(std::uint32_t id, const RECT& rect, LPSTR text) const;
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const;

    HWND TooltipWindow = nullptr;
    HWND OwnerWindow = nullptr;
    bool Relayed = false;
};
