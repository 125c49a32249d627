// Skinned up-down controls on a real window: the half under the mouse, the look of each half
// hot and pressed in both orientations, the arrows, the repaint rules, and the buddy's value
// still changing on a click.
#include "toplevel_fixture.h"

#include "skin/controls/framework.h"
#include "skin/controls/updowns.h"
#include "skin/core/skin_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

using namespace toplevel_testing;
using testing_support::ColoursNear;

namespace {

constexpr COLORREF kAccent = RGB(255, 0, 0);
constexpr COLORREF kMarker = RGB(0, 255, 0);

// How red a pixel is against its green: the accent shows as a large value.
int Redness(COLORREF c) {
    return GetRValue(c) - GetGValue(c);
}

// Near the far end of a half the accent is at alpha 150 when the half is hot, 100 when plain.
bool HotAtFarEnd(COLORREF c) {
    return Redness(c) > 112;
}

class UpDownTest : public SkinTest {
protected:
    HWND window_ = nullptr;
    int position_ = 0;

    void SetUp() override {
        SkinTest::SetUp();
        skin::Engine.AccentColour = kAccent;
        window_ = TopLevel(20, 20, 400, 300);
    }
    HWND Make(DWORD style, int x, int y, int w, int h, HWND buddy = nullptr) {
        HWND c = Keep(CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | style, x, y, w,
                                      h, window_, nullptr, GetModuleHandleA(nullptr), nullptr));
        if (buddy) SendMessageA(c, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
        return c;
    }
    void Install() {
        position_ = Adopt(window_, RGB(255, 255, 255));
        skin::SkinUpDowns(position_, window_);
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
        Pump();
    }
};

} // namespace

TEST_F(UpDownTest, InstallTakesEachOnceWithItsOrientation) {
    HWND vertical = Make(0, 10, 10, 20, 40);
    HWND horizontal = Make(UDS_HORZ, 50, 10, 40, 20);
    Install();
    auto& list = skin::RecordAt(position_)->UpDowns;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(skin::UpDownRecordOf(vertical), list[0].get());
    EXPECT_FALSE(list[0]->Horizontal);
    EXPECT_EQ(skin::UpDownRecordOf(horizontal), list[1].get());
    EXPECT_TRUE(list[1]->Horizontal);
    const HANDLE saved = GetPropA(vertical, "Hw_hProc");
    skin::SkinUpDowns(position_, window_);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(GetPropA(vertical, "Hw_hProc"), saved);

    HWND other = TopLevel(40, 40, 200, 100);
    HWND spin = Keep(CreateChild(other, UPDOWN_CLASSA, "", 0, 5, 5, 20, 40));
    skin::Engine.ControlSkinsEnabled = 0;
    const int q = Adopt(other);
    skin::SkinUpDowns(q, other);
    EXPECT_TRUE(skin::RecordAt(q)->UpDowns.empty());
    EXPECT_EQ(GetPropA(spin, "Hw_hProc"), nullptr);
}

TEST_F(UpDownTest, HalfIsPastTheMiddleAlongTheControlsAxis) {
    Make(0, 10, 10, 20, 41);        // vertical, middle 20
    Make(UDS_HORZ, 50, 10, 41, 20); // horizontal, middle 20
    Install();
    struct Case {
        int position, x, y, half;
    } cases[] = {
        {1, 5, 0, 0}, {1, 5, 20, 0}, {1, 5, 21, 1}, {1, 19, 40, 1}, {1, 19, 5, 0},
        {2, 0, 5, 0}, {2, 20, 5, 0}, {2, 21, 5, 1}, {2, 40, 19, 1}, {2, 5, 19, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(skin::UpDownHalf(position_, c.position, MAKELPARAM(c.x, c.y)), c.half)
            << c.position << " at " << c.x << "," << c.y;
    EXPECT_EQ(skin::UpDownHalf(position_, 3, MAKELPARAM(30, 30)), 0) << "no such control";
}

// Each half of each orientation, hot and pressed: the active half carries the accent (deepest
// at its far end, or at its near end while pressed), the other half stays plain; each half
// shows its arrow in black at its centre.
TEST_F(UpDownTest, HotHalfIsAccentedAndPressingReversesItsGradient) {
    Make(0, 10, 10, 24, 48);
    Make(UDS_HORZ, 60, 10, 48, 24);
    Install();
    struct Case {
        const char* name;
        int position;
        bool horizontal;
    } controls[] = {{"vertical", 1, false}, {"horizontal", 2, true}};
    for (const auto& c : controls) {
        HWND spin = skin::RecordAt(position_)->UpDowns[static_cast<size_t>(c.position - 1)]->Window;
        // Sample points along the axis of each half: near its start and near its end, off the
        // arrow.
        auto at = [&](int half, int along) {
            const int offset = half * 24 + along;
            return c.horizontal ? WholeWindowPixel(spin, offset, 4)
                                : WholeWindowPixel(spin, 4, offset);
        };
        // The second round puts back the pictures the first kept: the same looks.
        for (int round = 0; round < 2; ++round)
            for (int half = 0; half <= 1; ++half) {
                const LPARAM mouse =
                    c.horizontal ? MAKELPARAM(half ? 36 : 8, 12) : MAKELPARAM(12, half ? 36 : 8);
                for (int pressed = 0; pressed <= 1; ++pressed) {
                    skin::PaintUpDown(position_, c.position, true, pressed == 1, mouse);
                    const int other = 1 - half;
                    const std::string what = std::string(c.name) + " half " + std::to_string(half) +
                                             (pressed ? " pressed" : " hot");
                    // The accent runs from white alpha 100 to accent alpha 150 (reversed pressed).
                    const int nearEnd = Redness(at(half, 3)), farEnd = Redness(at(half, 20));
                    if (pressed)
                        EXPECT_GT(nearEnd, farEnd + 40) << what;
                    else
                        EXPECT_GT(farEnd, nearEnd + 40) << what;
                    EXPECT_GE(std::max(nearEnd, farEnd), 80) << what;
                    EXPECT_LT(Redness(at(other, 3)), std::max(nearEnd, farEnd) - 30) << what;
                }
            }
        const skin::KeptPicture& kept = skin::UpDownRecordOf(spin)->Kept;
        EXPECT_EQ(kept.Entries.size(), 4u) << c.name;
        // A kept picture follows the accent.
        skin::Engine.AccentColour = RGB(0, 0, 255);
        skin::PaintUpDown(position_, c.position, true, false,
                          c.horizontal ? MAKELPARAM(8, 12) : MAKELPARAM(12, 8));
        EXPECT_LT(Redness(at(0, 20)), 20) << c.name;
        EXPECT_GT(GetBValue(at(0, 20)), GetRValue(at(0, 20)) + 60) << c.name;
        skin::Engine.AccentColour = kAccent;
        // Not hot: neither half is active, even with the button down.
        skin::PaintUpDown(position_, c.position, false, true, MAKELPARAM(8, 8));
        EXPECT_LT(Redness(at(0, 3)), 60) << c.name;
        EXPECT_LT(Redness(at(1, 3)), 60) << c.name;
        // The arrows: black on the middle line of each half's picture (7 x 4 or 4 x 7), which
        // every row (or column) of the arrow crosses.
        for (int half = 0; half <= 1; ++half) {
            // The control may narrow itself; the arrow is centred in whatever it keeps.
            RECT r{};
            GetWindowRect(spin, &r);
            const int w = r.right - r.left, h = r.bottom - r.top;
            const COLORREF centre =
                c.horizontal
                    ? WholeWindowPixel(spin, half * (w / 2) + (w / 2 - 4) / 2 + 1, h / 2 - 1)
                    : WholeWindowPixel(spin, (w - 7) / 2 + 3, half * (h / 2) + (h / 2 - 4) / 2 + 1);
            EXPECT_TRUE(ColoursNear(centre, RGB(0, 0, 0), 60))
                << c.name << " arrow " << half << std::hex << " " << centre;
        }
    }
}

// The arrows point the right way: in the up half the arrow's widest row is its lowest, in the
// down half its highest; left and right likewise along x.
TEST_F(UpDownTest, ArrowsPointAwayFromTheMiddle) {
    HWND vertical = Make(0, 10, 10, 24, 48);
    HWND horizontal = Make(UDS_HORZ, 60, 10, 48, 24);
    Install();
    skin::PaintUpDown(position_, 1, false);
    skin::PaintUpDown(position_, 2, false);
    auto dark = [](HWND w, int x, int y) { return GetRValue(WholeWindowPixel(w, x, y)) < 100; };
    // The 7 x 4 arrow is centred in each half of whatever width the control keeps.
    RECT vr{};
    GetWindowRect(vertical, &vr);
    const int left = (vr.right - vr.left - 7) / 2;
    auto rowInk = [&](int half, int row) {
        int n = 0;
        for (int x = left; x < left + 7; ++x)
            n += dark(vertical, x, half * 24 + 10 + row);
        return n;
    };
    EXPECT_GT(rowInk(0, 3), rowInk(0, 0)) << "up arrow widens downwards";
    EXPECT_GT(rowInk(1, 0), rowInk(1, 3)) << "down arrow widens upwards";
    auto columnInk = [&](int half, int column) {
        int n = 0;
        for (int y = 8; y < 15; ++y)
            n += dark(horizontal, half * 24 + 10 + column, y);
        return n;
    };
    EXPECT_GT(columnInk(0, 3), columnInk(0, 0)) << "left arrow widens rightwards";
    EXPECT_GT(columnInk(1, 0), columnInk(1, 3)) << "right arrow widens leftwards";
}

// Moving within one half paints nothing new; crossing to the other half repaints; leaving
// repaints the control plain. The control's own painting never shows.
TEST_F(UpDownTest, MovesRepaintOnlyWhenTheHotHalfChanges) {
    HWND spin = Make(0, 10, 10, 24, 48);
    Install();
    skin::WindowRecord* rec = skin::RecordAt(position_);
    skin::UpDownRecord* record = skin::UpDownRecordOf(spin);

    SendMessageA(spin, WM_MOUSEMOVE, 0, MAKELPARAM(12, 5));
    EXPECT_TRUE(record->Hot);
    EXPECT_EQ(record->HotHalf, 0);
    EXPECT_EQ(rec->HotFamily, skin::kFamilyUpDowns);
    EXPECT_TRUE(HotAtFarEnd(WholeWindowPixel(spin, 4, 20))) << "upper half hot";
    FillWholeWindow(spin, kMarker);
    SendMessageA(spin, WM_MOUSEMOVE, 0, MAKELPARAM(12, 10));
    EXPECT_EQ(WholeWindowPixel(spin, 4, 20), kMarker) << "same half: no repaint";
    SendMessageA(spin, WM_MOUSEMOVE, 0, MAKELPARAM(12, 40));
    EXPECT_EQ(record->HotHalf, 1);
    EXPECT_TRUE(HotAtFarEnd(WholeWindowPixel(spin, 4, 44))) << "lower half hot";
    EXPECT_FALSE(HotAtFarEnd(WholeWindowPixel(spin, 4, 20))) << "upper half plain again";

    // A repaint with nothing given keeps the half the mouse is over.
    RedrawWindow(spin, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_TRUE(HotAtFarEnd(WholeWindowPixel(spin, 4, 44)));
    EXPECT_FALSE(HotAtFarEnd(WholeWindowPixel(spin, 4, 20)));

    SendMessageA(spin, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(record->Hot);
    EXPECT_EQ(rec->HotControl, 0);
    EXPECT_FALSE(HotAtFarEnd(WholeWindowPixel(spin, 4, 44)));

    // WM_NCPAINT and WM_ERASEBKGND are answered without the control drawing anything.
    FillWholeWindow(spin, kMarker);
    EXPECT_EQ(SendMessageA(spin, WM_NCPAINT, 1, 0), 1);
    HDC dc = GetDC(spin);
    EXPECT_EQ(SendMessageA(spin, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    ReleaseDC(spin, dc);
    EXPECT_EQ(WholeWindowPixel(spin, 4, 20), kMarker);
    // A paint is entirely the skin's: the same pixels as its own painter.
    skin::PaintUpDown(position_, 1);
    Picture skinPainted = GrabClient(spin);
    InvalidateRect(spin, nullptr, TRUE);
    UpdateWindow(spin);
    EXPECT_EQ(CountDifferences(GrabClient(spin), skinPainted, 2), 0);
}

// Pressing and releasing on a half is the control's own business: the buddy's value changes, and
// the skin only notes the button and where it went down.
TEST_F(UpDownTest, ClickingAHalfChangesTheBuddysValue) {
    struct Case {
        DWORD style;
        LPARAM first, second; // points in the first and the second half
        const char* name;
    } cases[] = {
        {0, MAKELPARAM(8, 5), MAKELPARAM(8, 40), "vertical"},
        {UDS_HORZ, MAKELPARAM(5, 8), MAKELPARAM(40, 8), "horizontal"},
    };
    int y = 10;
    for (const Case& c : cases) {
        HWND edit =
            Keep(CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "5", WS_CHILD | WS_VISIBLE, 10, y, 80,
                                 24, window_, nullptr, GetModuleHandleA(nullptr), nullptr));
        HWND spin = c.style ? Make(UDS_SETBUDDYINT | c.style, 100, y, 48, 20, edit)
                            : Make(UDS_SETBUDDYINT, 100, y, 20, 48, edit);
        SendMessageA(spin, UDM_SETRANGE32, 0, 100);
        SendMessageA(spin, UDM_SETPOS32, 0, 5);
        y += 60;
        (void)c;
    }
    Install();
    int index = 0;
    for (const Case& c : cases) {
        HWND spin = skin::RecordAt(position_)->UpDowns[static_cast<size_t>(index++)]->Window;
        HWND edit = reinterpret_cast<HWND>(SendMessageA(spin, UDM_GETBUDDY, 0, 0));
        const LRESULT start = SendMessageA(spin, UDM_GETPOS32, 0, 0);
        // A vertical control counts up in its upper half, a horizontal one in its right half.
        const LPARAM up = c.style ? c.second : c.first;
        const LPARAM down = c.style ? c.first : c.second;
        SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, up);
        EXPECT_TRUE(skin::UpDownRecordOf(spin)->ButtonDown) << c.name;
        EXPECT_EQ(skin::UpDownRecordOf(spin)->LastButtonPosition, up) << c.name;
        SendMessageA(spin, WM_LBUTTONUP, 0, up);
        EXPECT_FALSE(skin::UpDownRecordOf(spin)->ButtonDown) << c.name;
        EXPECT_EQ(SendMessageA(spin, UDM_GETPOS32, 0, 0), start + 1) << c.name;
        EXPECT_EQ(skin::WindowTextOf(edit), std::to_string(start + 1)) << c.name;
        SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, down);
        SendMessageA(spin, WM_LBUTTONUP, 0, down);
        SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, down);
        SendMessageA(spin, WM_LBUTTONUP, 0, down);
        EXPECT_EQ(skin::WindowTextOf(edit), std::to_string(start - 1)) << c.name;
        ReleaseCapture();
    }
}
