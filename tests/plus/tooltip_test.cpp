// PlusTooltip: window styles, tools, texts and colours, read back through tooltip messages.
#include "plus/plus_tooltip.h"

#include "support/gdi_count.h"
#include "support/windows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Destroys a window when the test ends: the helper itself never destroys its tooltip.
struct ScopedWindow {
    HWND hwnd;
    explicit ScopedWindow(HWND h) : hwnd(h) {}
    ~ScopedWindow() {
        if (hwnd) DestroyWindow(hwnd);
    }
    ScopedWindow(const ScopedWindow&) = delete;
    ScopedWindow& operator=(const ScopedWindow&) = delete;
};

int dispInfoRequests = 0;

// Owner window procedure: answers the tooltip's requests for the text of callback tools.
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == TTN_GETDISPINFOA) {
            ++dispInfoRequests;
            static char text[] = "回调文字";
            reinterpret_cast<NMTTDISPINFOA*>(lParam)->lpszText = text;
            return 0;
        }
        if (header->code == TTN_GETDISPINFOW) {
            ++dispInfoRequests;
            static wchar_t text[] = L"回调文字";
            reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = text;
            return 0;
        }
    }
    if (message == WM_NOTIFYFORMAT && lParam == NF_QUERY) return NFR_ANSI;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

ATOM OwnerClass() {
    static const ATOM ownerClass = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PlusTooltipTestOwner";
        return RegisterClassA(&wc);
    }();
    return ownerClass;
}

HWND MakeOwner() {
    return CreateWindowExA(0, MAKEINTATOM(OwnerClass()), "owner", WS_OVERLAPPEDWINDOW, 10, 10, 300,
                           200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TOOLINFOA ToolQuery(HWND owner, UINT id, char* text) {
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.hwnd = owner;
    info.uId = id;
    info.lpszText = text;
    return info;
}

std::string ToolText(HWND tooltip, HWND owner, UINT id) {
    char buffer[256] = "";
    TOOLINFOA info = ToolQuery(owner, id, buffer);
    SendMessageA(tooltip, TTM_GETTEXTA, sizeof(buffer), reinterpret_cast<LPARAM>(&info));
    return buffer;
}

int ToolCount(HWND tooltip) {
    return static_cast<int>(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
}

class TooltipTest : public ::testing::Test {
protected:
    void SetUp() override { windowsBefore = testing_support::ThreadWindowCount(); }
    void TearDown() override {
        EXPECT_EQ(testing_support::ThreadWindowCount(), windowsBefore) << "window left behind";
    }
    int windowsBefore = 0;
};

TEST_F(TooltipTest, PlainAndBalloonStyles) {
    ScopedWindow owner(MakeOwner());
    ASSERT_TRUE(owner.hwnd);

    PlusTooltip plain;
    EXPECT_EQ(plain.GetTooltipWindow(), nullptr);
    ScopedWindow plainWindow(plain.Create(owner.hwnd));
    ASSERT_TRUE(plainWindow.hwnd);
    EXPECT_EQ(plain.GetTooltipWindow(), plainWindow.hwnd);
    char className[64] = "";
    GetClassNameA(plainWindow.hwnd, className, sizeof(className));
    EXPECT_STREQ(className, "tooltips_class32") << "class names compare case-insensitively";
    const LONG plainStyle = GetWindowLongA(plainWindow.hwnd, GWL_STYLE);
    EXPECT_EQ(plainStyle & (TTS_ALWAYSTIP | TTS_BALLOON), TTS_ALWAYSTIP);
    EXPECT_EQ(GetParent(plainWindow.hwnd), nullptr);

    PlusTooltip balloon;
    ScopedWindow balloonWindow(balloon.Create(owner.hwnd, true));
    ASSERT_TRUE(balloonWindow.hwnd);
    const LONG balloonStyle = GetWindowLongA(balloonWindow.hwnd, GWL_STYLE);
    EXPECT_EQ(balloonStyle & (TTS_ALWAYSTIP | TTS_BALLOON), TTS_ALWAYSTIP | TTS_BALLOON);
}

TEST_F(TooltipTest, ToolIsAddedRetitledAndMoved) {
    ScopedWindow owner(MakeOwner());
    PlusTooltip tip;
    ScopedWindow tipWindow(tip.Create(owner.hwnd));
    ASSERT_TRUE(tipWindow.hwnd);

    EXPECT_NE(tip.AddTool(RECT{10, 20, 60, 40}, "关闭", 7), 0);
    EXPECT_EQ(ToolCount(tipWindow.hwnd), 1);
    EXPECT_EQ(ToolText(tipWindow.hwnd, owner.hwnd, 7), "关闭");

    TOOLINFOA info = ToolQuery(owner.hwnd, 7, nullptr);
    ASSERT_TRUE(SendMessageA(tipWindow.hwnd, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.uFlags & TTF_SUBCLASS, static_cast<UINT>(TTF_SUBCLASS));
    EXPECT_EQ(info.rect.left, 10);
    EXPECT_EQ(info.rect.bottom, 40);

    tip.UpdateTipText(7, "最小化");
    EXPECT_EQ(ToolText(tipWindow.hwnd, owner.hwnd, 7), "最小化");

    tip.SetToolRect(7, RECT{100, 5, 130, 25});
    info = ToolQuery(owner.hwnd, 7, nullptr);
    ASSERT_TRUE(SendMessageA(tipWindow.hwnd, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.rect.left, 100);
    EXPECT_EQ(info.rect.top, 5);
    EXPECT_EQ(info.rect.right, 130);
    EXPECT_EQ(info.rect.bottom, 25);
    EXPECT_EQ(ToolText(tipWindow.hwnd, owner.hwnd, 7), "最小化") << "moving keeps the text";
}

TEST_F(TooltipTest, UnknownIdChangesNothing) {
    ScopedWindow owner(MakeOwner());
    PlusTooltip tip;
    ScopedWindow tipWindow(tip.Create(owner.hwnd));
    ASSERT_TRUE(tipWindow.hwnd);
    ASSERT_NE(tip.AddTool(RECT{0, 0, 20, 20}, "帮助", 7), 0);

    tip.UpdateTipText(8, "别的");
    tip.SetToolRect(8, RECT{50, 50, 60, 60});
    EXPECT_EQ(ToolCount(tipWindow.hwnd), 1);
    EXPECT_EQ(ToolText(tipWindow.hwnd, owner.hwnd, 7), "帮助");
    EXPECT_EQ(ToolText(tipWindow.hwnd, owner.hwnd, 8), "");
}

TEST_F(TooltipTest, CallbackToolColoursAndWidth) {
    ScopedWindow owner(MakeOwner());
    PlusTooltip tip;
    ScopedWindow tipWindow(tip.Create(owner.hwnd));
    ASSERT_TRUE(tipWindow.hwnd);

    EXPECT_NE(tip.AddCallbackTool(RECT{0, 0, 30, 30}, 3), 0);
    // The text of a callback tool comes from the owner each time it is asked for.
    dispInfoRequests = 0;
    EXPECT_EQ(ToolText(tipWindow.hwnd, owner.hwnd, 3), "回调文字");
    EXPECT_GE(dispInfoRequests, 1);

    tip.SetTipBkColor(RGB(0x12, 0x34, 0x56));
    tip.SetTipTextColor(RGB(0xAB, 0xCD, 0xEF));
    EXPECT_EQ(SendMessageA(tipWindow.hwnd, TTM_GETTIPBKCOLOR, 0, 0), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(SendMessageA(tipWindow.hwnd, TTM_GETTIPTEXTCOLOR, 0, 0), RGB(0xAB, 0xCD, 0xEF));

    tip.SetMaxTipWidth(200);
    EXPECT_EQ(tip.SetMaxTipWidth(300), 200) << "answers the previous maximum";
    EXPECT_EQ(SendMessageA(tipWindow.hwnd, TTM_GETMAXTIPWIDTH, 0, 0), 300);
}

// Shows the tip of a tool covering the whole owner by moving the mouse over it, and returns
// the size of the shown tooltip window (0 x 0 when it did not show).
SIZE ShownTipSize(HWND owner, int maxWidth) {
    PlusTooltip tip;
    ScopedWindow tipWindow(tip.Create(owner));
    tip.AddTool(RECT{0, 0, 300, 200},
                "这是一段很长的提示文字，用来检查提示窗口是否在给定的最大宽度处换行显示", 1);
    if (maxWidth > 0) tip.SetMaxTipWidth(maxWidth);
    SendMessageA(tipWindow.hwnd, TTM_SETDELAYTIME, TTDT_INITIAL, 10);
    RECT ownerRect{};
    GetWindowRect(owner, &ownerRect);
    SetCursorPos(ownerRect.left + 150, ownerRect.top + 100);
    // The tooltip watches the owner's mouse messages itself (it subclassed the owner).
    SendMessageA(owner, WM_MOUSEMOVE, 0, MAKELPARAM(150, 100));
    testing_support::PumpMessagesUntil([&] { return IsWindowVisible(tipWindow.hwnd) != FALSE; },
                                       std::chrono::seconds(3));
    RECT rect{};
    if (IsWindowVisible(tipWindow.hwnd)) GetWindowRect(tipWindow.hwnd, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

TEST_F(TooltipTest, MaxTipWidthWrapsLongTips) {
    ScopedWindow owner(CreateWindowExA(WS_EX_TOPMOST, MAKEINTATOM(OwnerClass()), "owner",
                                       WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(owner.hwnd);
    testing_support::PumpMessagesFor(std::chrono::milliseconds(100));

    const SIZE oneLine = ShownTipSize(owner.hwnd, 0);
    const SIZE wrapped = ShownTipSize(owner.hwnd, 200);
    ASSERT_GT(oneLine.cx, 0) << "the tip did not show";
    EXPECT_GT(oneLine.cx, 300) << "without a maximum the tip is one long line";
    EXPECT_LE(wrapped.cx, 200 + 8);
    EXPECT_GT(wrapped.cy, 2 * oneLine.cy - 4) << "wrapped onto several lines";
}

TEST_F(TooltipTest, WithoutWindowMessagesAnswerZero) {
    PlusTooltip tip;
    EXPECT_EQ(tip.AddTool(RECT{0, 0, 10, 10}, "x", 1), 0);
    EXPECT_EQ(tip.UpdateTipText(1, "y"), 0);
    EXPECT_EQ(tip.SetMaxTipWidth(100), 0);
    PlusTooltip copy = tip.Copy();
    EXPECT_EQ(copy.GetTooltipWindow(), nullptr);
}

} // namespace

// Relayed, the tools do not subclass the owner (its procedure stays its own) and RelayEvent
// hands the tooltip exactly the owner's mouse messages; by default the tooltip watches the
// owner itself and RelayEvent sends nothing.
namespace {
int relayed = 0;
UINT lastRelayed = 0;
WNDPROC tooltipProc = nullptr;
LRESULT CALLBACK CountRelays(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TTM_RELAYEVENT) {
        ++relayed;
        lastRelayed = reinterpret_cast<const MSG*>(lParam)->message;
    }
    return CallWindowProcA(tooltipProc, window, message, wParam, lParam);
}
} // namespace

TEST_F(TooltipTest, ARelayedTooltipLeavesTheOwnerAloneAndIsHandedItsMouseMessages) {
    for (const bool relay : {true, false}) {
        SCOPED_TRACE(relay);
        ScopedWindow owner(MakeOwner());
        const LONG_PTR ownerProc = GetWindowLongPtrA(owner.hwnd, GWLP_WNDPROC);
        PlusTooltip tip;
        ScopedWindow tooltip(tip.Create(owner.hwnd, false, relay));
        ASSERT_EQ(tip.AddTool(RECT{0, 0, 50, 20}, "提示", 1), TRUE);
        char text[64] = "";
        TOOLINFOA info = ToolQuery(owner.hwnd, 1, text);
        ASSERT_TRUE(
            SendMessageA(tooltip.hwnd, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)));
        EXPECT_EQ((info.uFlags & TTF_SUBCLASS) != 0, !relay);
        if (relay) {
            EXPECT_EQ(GetWindowLongPtrA(owner.hwnd, GWLP_WNDPROC), ownerProc);
        }
        tooltipProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            tooltip.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountRelays)));
        relayed = 0;
        for (const UINT message :
             {UINT{WM_MOUSEMOVE}, UINT{WM_LBUTTONDOWN}, UINT{WM_LBUTTONUP}, UINT{WM_RBUTTONDOWN},
              UINT{WM_RBUTTONUP}, UINT{WM_MBUTTONDOWN}, UINT{WM_MBUTTONUP}, UINT{WM_NCMOUSEMOVE}}) {
            lastRelayed = 0;
            tip.RelayEvent(message, 0, MAKELPARAM(10, 10));
            if (relay) {
                EXPECT_EQ(lastRelayed, message);
            }
        }
        for (const UINT message :
             {UINT{WM_PAINT}, UINT{WM_SIZE}, UINT{WM_KEYDOWN}, UINT{WM_MOUSEWHEEL}})
            tip.RelayEvent(message, 0, 0);
        EXPECT_EQ(relayed, relay ? 8 : 0);
    }
}
