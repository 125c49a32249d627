// The gallery window driven as a person would: pointing, clicking, typing, dropping a list down
// and switching between opaque and translucent controls, with the pixels of the affected
// controls compared before and after.
#include "skin/toplevel_fixture.h"

#include "gallery/gallery_window.h"
#include "gallery/pictures/gallery_pictures.h"
#include "gallery/theme_picture.h"
#include "plus/plus_image.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <span>

using namespace toplevel_testing;
using gallery::ControlMode;
using gallery::GalleryWindow;
using testing_support::CountDifferentPixels;
using testing_support::GdiObjectCount;
using testing_support::ThreadWindowCount;

namespace {

using Pixels = std::vector<std::uint32_t>;

class GalleryTest : public SkinTest {
protected:
    void TearDown() override {
        gallery_.reset();
        SkinTest::TearDown();
    }

    GalleryWindow& Open(ControlMode mode = ControlMode::Opaque, bool skinned = true) {
        // The screen's pointer is parked left of the window: where the X server leaves it (the
        // screen's centre) lies over a control, whose hover would rewrite the message pane.
        SetCursorPos(0, 0);
        gallery_ = std::make_unique<GalleryWindow>();
        GalleryWindow::Options options;
        options.mode = mode;
        options.skinned = skinned;
        options.endsMessageLoop = false;
        EXPECT_TRUE(gallery_->Create(options));
        Pump(150);
        return *gallery_;
    }

    HWND Control(int id) const { return gallery_->Control(id); }

    // The control's window rectangle in the gallery's client coordinates.
    RECT AreaOf(int id) const {
        RECT r{};
        GetWindowRect(Control(id), &r);
        MapWindowPoints(nullptr, gallery_->Handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // What the gallery shows where the control lies, frame included.
    Pixels Shot(int id) const {
        return testing_support::ScreenPixels(gallery_->Handle(), AreaOf(id));
    }

    // A left click at a point of the control's client area.
    static void Click(HWND control, int x, int y) {
        SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Pump(80);
    }
    static void ClickCentre(HWND control) {
        RECT r{};
        GetClientRect(control, &r);
        Click(control, r.right / 2, r.bottom / 2);
    }
    // Key presses as the keyboard delivers them: key down, the character, key up.
    static void Type(HWND control, const std::string& text) {
        for (char c : text) {
            const SHORT key = VkKeyScanA(c);
            SendMessageA(control, WM_KEYDOWN, LOBYTE(key), 1);
            SendMessageA(control, WM_CHAR, static_cast<unsigned char>(c), 1);
            SendMessageA(control, WM_KEYUP, LOBYTE(key), 0xC0000001);
        }
        Pump(80);
    }
    static void PressKey(HWND control, WPARAM key) {
        SendMessageA(control, WM_KEYDOWN, key, 1);
        SendMessageA(control, WM_KEYUP, key, 0xC0000001);
        Pump(80);
    }
    static std::string TextOf(HWND window) {
        char buffer[1024] = {};
        GetWindowTextA(window, buffer, sizeof buffer);
        return buffer;
    }
    std::string PaneText(int pane) const {
        const skin::WindowRecord* record =
            skin::RecordAt(skin::FindWindowPosition(gallery_->Handle()));
        if (!record || pane < 1 || pane > static_cast<int>(record->StatusPanes.size())) return {};
        return record->StatusPanes[static_cast<std::size_t>(pane - 1)].Text;
    }

    // The columns of row `y` in which two shots of the control `id` differ, left to right.
    std::vector<int> ColumnsThatDiffer(int id, const Pixels& a, const Pixels& b, int y) const {
        const RECT r = AreaOf(id);
        const int w = r.right - r.left;
        std::vector<int> columns;
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * w + x);
            if (a[i] != b[i]) columns.push_back(x);
        }
        return columns;
    }

    std::unique_ptr<GalleryWindow> gallery_;
};

// A picture of the gallery's image buttons, decoded: 0xAARRGGBB, row by row.
struct Decoded {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};
Decoded Decode(std::span<const std::uint8_t> png) {
    plus::PlusBitmap bitmap;
    Decoded d;
    if (!bitmap.CreateFromStream(skin::ByteSet(png.begin(), png.end()))) return d;
    d.width = static_cast<int>(bitmap.GetWidth());
    d.height = static_cast<int>(bitmap.GetHeight());
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            d.pixels.push_back(bitmap.GetPixel(x, y));
    return d;
}

// How many opaque pixels of `picture` a shot `shotWidth` pixels wide does not show at (2, 2),
// where the state faces draw their pictures, within 2 levels per channel.
std::size_t PictureMismatches(const Pixels& shot, int shotWidth, const Decoded& picture) {
    std::size_t wrong = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t p = picture.pixels[static_cast<std::size_t>(y * picture.width + x)];
            if ((p >> 24) != 0xFF) continue;
            const std::uint32_t s = shot[static_cast<std::size_t>((y + 2) * shotWidth + x + 2)];
            const COLORREF shown = RGB((s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF);
            const COLORREF drawn = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            if (!testing_support::ColoursNear(shown, drawn, 2)) ++wrong;
        }
    return wrong;
}

// The tests that hold in both modes run in both.
class GalleryInEachMode : public GalleryTest, public testing::WithParamInterface<ControlMode> {};

std::string ModeName(const testing::TestParamInfo<ControlMode>& info) {
    return info.param == ControlMode::Opaque ? "Opaque" : "Translucent";
}

} // namespace

TEST_P(GalleryInEachMode, TypingChangesTheEditItGoesToAndNotItsNeighbours) {
    const struct {
        int id;
        bool takesText; // a read-only edit keeps its text
        std::vector<int> neighbours;
    } cases[] = {
        {gallery::kEditSingleLine, true, {gallery::kEditMultiLine, gallery::kPushNormal}},
        {gallery::kEditMultiLine, true, {gallery::kEditSingleLine, gallery::kEditReadOnly}},
        {gallery::kEditReadOnly, false, {gallery::kEditMultiLine, gallery::kEditPassword}},
        {gallery::kEditPassword, true, {gallery::kEditReadOnly, gallery::kComboDropDown}},
    };
    Open(GetParam());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        HWND edit = Control(c.id);
        ASSERT_NE(edit, nullptr);
        // Into the edit first, as a person clicks before typing; the pictures are taken with
        // the edit focused, so only the typing differs.
        Click(edit, 8, 8);
        // The pointer's leave is posted by the system at a moment of its choosing; taken now,
        // it cannot change the frame between the two pictures.
        SendMessageA(edit, WM_MOUSELEAVE, 0, 0);
        Pump(20);
        const std::string textBefore = TextOf(edit);
        const Pixels before = Shot(c.id);
        std::vector<Pixels> neighboursBefore;
        for (int n : c.neighbours)
            neighboursBefore.push_back(Shot(n));

        Type(edit, "gallery");

        const Pixels after = Shot(c.id);
        if (c.takesText) {
            EXPECT_EQ(TextOf(edit).size(), textBefore.size() + 7);
            // Seven characters (or seven password marks) drawn: far more than a caret's worth.
            EXPECT_GT(CountDifferentPixels(before, after), 60u);
            EXPECT_EQ(PaneText(GalleryWindow::kMessagePane), gallery_->Message());
            EXPECT_NE(gallery_->Message().find("文本已修改"), std::string::npos)
                << gallery_->Message();
        } else {
            EXPECT_EQ(TextOf(edit), textBefore);
            // At most the caret blinked.
            EXPECT_LE(CountDifferentPixels(before, after), 40u);
        }
        for (std::size_t i = 0; i < c.neighbours.size(); ++i)
            EXPECT_EQ(CountDifferentPixels(neighboursBefore[i], Shot(c.neighbours[i])), 0u)
                << "neighbour " << c.neighbours[i] << " changed";
    }
}

TEST_P(GalleryInEachMode, ClickingACheckBoxTicksItAndClickingAgainRestoresIt) {
    Open(GetParam());
    HWND box = Control(gallery::kCheckUnchecked);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    const Pixels before = Shot(gallery::kCheckUnchecked);
    const Pixels neighbour = Shot(gallery::kCheckChecked);

    ClickCentre(box);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    const Pixels ticked = Shot(gallery::kCheckUnchecked);
    EXPECT_GT(CountDifferentPixels(before, ticked), 10u);
    EXPECT_EQ(gallery_->Message(), "复选框“未选中”：已勾选");
    EXPECT_EQ(PaneText(GalleryWindow::kMessagePane), gallery_->Message());
    EXPECT_EQ(CountDifferentPixels(neighbour, Shot(gallery::kCheckChecked)), 0u);

    ClickCentre(box);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(gallery_->Message(), "复选框“未选中”：已取消勾选");
    EXPECT_LE(CountDifferentPixels(before, Shot(gallery::kCheckUnchecked)), 2u);
}

TEST_P(GalleryInEachMode, ClickingARadioButtonMovesTheDotWithinTheGroup) {
    Open(GetParam());
    HWND first = Control(gallery::kRadioChecked);
    HWND second = Control(gallery::kRadioUnchecked);
    const Pixels firstBefore = Shot(gallery::kRadioChecked);
    const Pixels secondBefore = Shot(gallery::kRadioUnchecked);

    ClickCentre(second);
    EXPECT_EQ(SendMessageA(second, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(first, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_GT(CountDifferentPixels(secondBefore, Shot(gallery::kRadioUnchecked)), 10u);
    EXPECT_GT(CountDifferentPixels(firstBefore, Shot(gallery::kRadioChecked)), 10u);
    EXPECT_EQ(gallery_->Message(), "单选按钮“未选中”：已选择");
}

TEST_P(GalleryInEachMode, HoverDrawsTheHotOutlineAndLeavingRestoresIt) {
    const struct {
        int id;
        int neighbour;
        std::size_t changed; // at least this many pixels of the control change
    } cases[] = {
        // The hot face of a push button: outline and fill.
        {gallery::kPushNormal, gallery::kPushDefault, 100},
        // The 2-pixel accent ring of an edit.
        {gallery::kEditPassword, gallery::kEditReadOnly, 100},
        // A combo box's outline and drop button.
        {gallery::kComboDropDownList, gallery::kComboDropDown, 100},
    };
    Open(GetParam());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        HWND control = Control(c.id);
        const Pixels before = Shot(c.id);
        const Pixels neighbour = Shot(c.neighbour);

        SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
        Pump(80);
        EXPECT_GT(CountDifferentPixels(before, Shot(c.id)), c.changed);
        EXPECT_EQ(CountDifferentPixels(neighbour, Shot(c.neighbour)), 0u);

        SendMessageA(control, WM_MOUSELEAVE, 0, 0);
        Pump(80);
        EXPECT_LE(CountDifferentPixels(before, Shot(c.id)), 2u);
    }
}

TEST_P(GalleryInEachMode, EveryControlIsSkinnedAndComboFieldsOnlyWithTranslucentControls) {
    Open(GetParam());
    // Controls of the families and containers carry "Hw_FuID", common controls "Kj_FuID".
    const auto owner = [](HWND control) {
        const HANDLE value = GetPropA(control, "Hw_FuID");
        return static_cast<int>(
            reinterpret_cast<INT_PTR>(value ? value : GetPropA(control, "Kj_FuID")));
    };
    const int position = skin::FindWindowPosition(gallery_->Handle());
    ASSERT_GE(position, 1);
    for (const gallery::NamedControl& control : gallery_->Controls()) {
        SCOPED_TRACE(control.name);
        EXPECT_EQ(owner(control.window), position);
    }
    // The install decision that makes switching modes a rebuild: a combo box's own edit field
    // is skinned only when the window is skinned with translucent controls.
    const int expected = GetParam() == ControlMode::Translucent ? position : 0;
    for (int id : {gallery::kComboSimple, gallery::kComboDropDown}) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(Control(id), &info));
        EXPECT_EQ(owner(info.hwndItem), expected) << id;
    }
}

TEST_P(GalleryInEachMode, ADroppedListOpensPicksAnItemAndCloses) {
    Open(GetParam());
    HWND combo = Control(gallery::kComboDropDown);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(combo, &info));
    const Pixels before = Shot(gallery::kComboDropDown);
    ASSERT_EQ(TextOf(combo), "北京");

    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    Pump(80);
    EXPECT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_TRUE(IsWindowVisible(info.hwndList));
    EXPECT_EQ(gallery_->Message(), "下拉组合框：列表已展开");

    // Down twice in the open list, then Enter, as the keyboard picks an item.
    PressKey(combo, VK_DOWN);
    PressKey(combo, VK_DOWN);
    PressKey(combo, VK_RETURN);
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_FALSE(IsWindowVisible(info.hwndList));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(TextOf(combo), "广州");
    EXPECT_EQ(gallery_->Message(), "下拉组合框：列表已收起");
    EXPECT_GT(CountDifferentPixels(before, Shot(gallery::kComboDropDown)), 30u);
}

TEST_P(GalleryInEachMode, TheDropDownListFollowsTheArrowKeys) {
    Open(GetParam());
    HWND combo = Control(gallery::kComboDropDownList);
    const Pixels before = Shot(gallery::kComboDropDownList);
    const Pixels neighbour = Shot(gallery::kComboDropDown);

    PressKey(combo, VK_DOWN);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(gallery_->Message(), "下拉列表组合框：选择了“深圳”");
    EXPECT_GT(CountDifferentPixels(before, Shot(gallery::kComboDropDownList)), 30u);
    EXPECT_EQ(CountDifferentPixels(neighbour, Shot(gallery::kComboDropDown)), 0u);
}

// The 37 % bar's fill ends at 37 % of its width and the full one at its end: the columns that
// change when each goes back to 0 are exactly the filled ones. The timer's bar moves on by
// itself.
TEST_P(GalleryInEachMode, ProgressBarsFillTheirShareAndTheTimersBarAdvances) {
    Open(GetParam());
    const struct {
        int id, percent;
    } bars[] = {{gallery::kProgressPart, 37}, {gallery::kProgressFull, 100}};
    for (const auto& bar : bars) {
        SCOPED_TRACE(bar.percent);
        HWND control = Control(bar.id);
        ASSERT_EQ(SendMessageA(control, PBM_GETPOS, 0, 0), bar.percent);
        const RECT r = AreaOf(bar.id);
        const int w = r.right - r.left, h = r.bottom - r.top;
        const Pixels filled = Shot(bar.id);
        const Pixels neighbour = Shot(gallery::kProgressEmpty);
        SendMessageA(control, PBM_SETPOS, 0, 0);
        Pump(50);
        const std::vector<int> columns = ColumnsThatDiffer(bar.id, filled, Shot(bar.id), h / 2);
        ASSERT_FALSE(columns.empty());
        // The bar's outline runs from one pixel in to two short of its length.
        const int length = bar.percent * w / 100;
        EXPECT_LE(columns.front(), 2);
        EXPECT_GE(columns.back(), length - 3);
        EXPECT_LE(columns.back(), length - 1);
        EXPECT_EQ(columns.size(), static_cast<std::size_t>(columns.back() - columns.front() + 1))
            << "filled without gaps";
        EXPECT_EQ(CountDifferentPixels(neighbour, Shot(gallery::kProgressEmpty)), 0u);
    }

    HWND running = Control(gallery::kProgressRunning);
    const LRESULT first = SendMessageA(running, PBM_GETPOS, 0, 0);
    const Pixels before = Shot(gallery::kProgressRunning);
    Pump(500); // about four ticks of the timer
    EXPECT_NE(SendMessageA(running, PBM_GETPOS, 0, 0), first);
    EXPECT_GT(CountDifferentPixels(before, Shot(gallery::kProgressRunning)), 20u);
}

// The four-picture button shows, pixel for pixel where the picture is opaque, its normal picture
// at rest, the hot one under the pointer and the pressed one while pressed; the disabled button
// shows its own grey picture.
TEST_P(GalleryInEachMode, TheFourPictureButtonShowsThePictureOfEachState) {
    Open(GetParam());
    const Decoded normal = Decode(gallery::PlayNormalImage);
    const Decoded hot = Decode(gallery::PlayHotImage);
    const Decoded pressed = Decode(gallery::PlayPressedImage);
    const Decoded disabled = Decode(gallery::PlayDisabledImage);
    ASSERT_EQ(normal.width, 26);
    const int id = gallery::kImageButtonStates;
    HWND button = Control(id);
    const RECT r = AreaOf(id);
    const int w = r.right - r.left;
    auto shows = [&](const Decoded& picture) { return PictureMismatches(Shot(id), w, picture); };
    const std::size_t opaque =
        static_cast<std::size_t>(std::count_if(normal.pixels.begin(), normal.pixels.end(),
                                               [](std::uint32_t p) { return (p >> 24) == 0xFF; }));
    ASSERT_GT(opaque, 300u);

    EXPECT_EQ(shows(normal), 0u);
    EXPECT_GT(shows(hot), opaque / 2);
    // Hover: the picture is taken before the system may post the pointer's leave.
    SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(shows(hot), 0u);
    SendMessageA(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(shows(normal), 0u);
    // The press paints at once (BM_SETSTATE draws the owner-drawn face). Nothing is pumped
    // before the picture: a pointer move the display posts from wherever its real pointer is
    // would rightly raise a captured button whose pointer is outside it.
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    UpdateWindow(button);
    EXPECT_EQ(shows(pressed), 0u);
    EXPECT_GT(shows(normal), opaque / 2);
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageA(button, WM_MOUSELEAVE, 0, 0);
    Pump(30);
    EXPECT_EQ(shows(normal), 0u);

    const int off = gallery::kImageButtonStatesDisabled;
    ASSERT_FALSE(IsWindowEnabled(Control(off)));
    const Pixels grey = Shot(off);
    EXPECT_EQ(PictureMismatches(grey, w, disabled), 0u);
    EXPECT_GT(PictureMismatches(grey, w, normal), opaque / 2);
}

// The one-picture button shows its landscape beside its caption, and a plate under the pointer.
TEST_P(GalleryInEachMode, TheOnePictureButtonShowsItsPictureAndAPlateUnderThePointer) {
    Open(GetParam());
    const int id = gallery::kImageButtonSingle;
    const Pixels shot = Shot(id);
    // The sky of the landscape, (150, 200, 245), fills most of a 26 x 22 box.
    const auto sky = std::count_if(shot.begin(), shot.end(), [](std::uint32_t p) {
        return testing_support::ColoursNear(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF),
                                            RGB(150, 200, 245), 12);
    });
    EXPECT_GT(sky, 180);
    SendMessageA(Control(id), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_GT(CountDifferentPixels(shot, Shot(id)), 100u);
    SendMessageA(Control(id), WM_MOUSELEAVE, 0, 0);
    EXPECT_LE(CountDifferentPixels(shot, Shot(id)), 2u);
}

// The tick bars show a mark under the thumb's centre at each tenth of their range (on the side
// their style names), and the bar without ticks none: clearing the ticks takes away exactly the
// marks between the ends.
TEST_P(GalleryInEachMode, TickBarsMarkEachTenthOnTheirSides) {
    Open(GetParam());
    const struct {
        int id;
        bool vertical;
        int sides;
    } bars[] = {
        {gallery::kTrackTicks, false, 1},        // above
        {gallery::kTrackSelection, false, 1},    // below
        {gallery::kTrackVerticalTicks, true, 2}, // both sides
        {gallery::kTrackVertical, true, 0},      // none
    };
    for (const auto& bar : bars) {
        SCOPED_TRACE(bar.id);
        HWND control = Control(bar.id);
        // Where the thumb's centre lies at 10, 20 ... 90.
        const LRESULT kept = SendMessageA(control, TBM_GETPOS, 0, 0);
        std::vector<int> centres;
        for (int v = 10; v < 100; v += 10) {
            SendMessageA(control, TBM_SETPOS, TRUE, v);
            RECT t{};
            SendMessageA(control, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
            centres.push_back(bar.vertical ? (t.top + t.bottom) / 2 : (t.left + t.right) / 2);
        }
        SendMessageA(control, TBM_SETPOS, TRUE, kept);
        Pump(50);
        const Pixels marked = Shot(bar.id);
        SendMessageA(control, TBM_CLEARTICS, TRUE, 0);
        Pump(50);
        const Pixels cleared = Shot(bar.id);
        // Nine marks of 3 pixels on each side.
        EXPECT_EQ(CountDifferentPixels(marked, cleared), static_cast<std::size_t>(27 * bar.sides));
        if (bar.sides == 0) continue;
        const RECT r = AreaOf(bar.id);
        const int w = r.right - r.left, h = r.bottom - r.top;
        std::vector<int> along; // where the marks lie along the bar
        for (int i = 0; i < w * h; ++i)
            if (marked[static_cast<std::size_t>(i)] != cleared[static_cast<std::size_t>(i)])
                along.push_back(bar.vertical ? i / w : i % w);
        std::sort(along.begin(), along.end());
        along.erase(std::unique(along.begin(), along.end()), along.end());
        EXPECT_EQ(along, centres);
    }
}

// The panel switch draws all four track bars without their panel, and back; nothing else changes.
TEST_P(GalleryInEachMode, ThePanelSwitchChangesTheTrackBarsAndNothingElse) {
    Open(GetParam());
    const int bars[] = {gallery::kTrackTicks, gallery::kTrackSelection, gallery::kTrackVertical,
                        gallery::kTrackVerticalTicks};
    std::vector<Pixels> before;
    for (int id : bars)
        before.push_back(Shot(id));
    const Pixels neighbour = Shot(gallery::kComboDropDownList);
    HWND panelSwitch = Control(gallery::kTrackPanelSwitch);
    ASSERT_EQ(SendMessageA(panelSwitch, BM_GETCHECK, 0, 0), BST_CHECKED);

    ClickCentre(panelSwitch);
    EXPECT_EQ(gallery_->Message(), "滑块：不显示面板");
    for (std::size_t i = 0; i < std::size(bars); ++i) {
        const RECT r = AreaOf(bars[i]);
        const std::size_t area = static_cast<std::size_t>((r.right - r.left) * (r.bottom - r.top));
        // The plate covers the whole control: most of its pixels change.
        EXPECT_GT(CountDifferentPixels(before[i], Shot(bars[i])), area / 2) << bars[i];
    }
    EXPECT_EQ(CountDifferentPixels(neighbour, Shot(gallery::kComboDropDownList)), 0u);

    ClickCentre(panelSwitch);
    EXPECT_EQ(gallery_->Message(), "滑块：显示面板");
    for (std::size_t i = 0; i < std::size(bars); ++i)
        EXPECT_LE(CountDifferentPixels(before[i], Shot(bars[i])), 2u) << bars[i];
}

TEST_P(GalleryInEachMode, ContainersAndCommonControlsRespondAndShowTheSkin) {
    GalleryWindow& g = Open(GetParam());
    HWND tabs = Control(gallery::kTabs);
    HWND calendarPage = GetDlgItem(tabs, gallery::kTabPageCalendar);
    HWND formPage = GetDlgItem(tabs, gallery::kTabPageForm);
    ASSERT_TRUE(tabs && calendarPage && formPage);
    const int position = skin::FindWindowPosition(g.Handle());

    // No system face colour is left in the tab strip, the tool bar or the status bar.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (HWND control : {tabs, Control(gallery::kToolBar), g.Inner(gallery::kStatusBar)}) {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, g.Handle(), reinterpret_cast<POINT*>(&r), 2);
        r.bottom = std::min<LONG>(r.bottom, r.top + 24); // the tab strip, not the pages
        const Pixels shot = testing_support::ScreenPixels(g.Handle(), r);
        const auto faceRgb = static_cast<std::uint32_t>((GetRValue(face) << 16) |
                                                        (GetGValue(face) << 8) | GetBValue(face));
        EXPECT_EQ(std::count(shot.begin(), shot.end(), faceRgb), 0) << skin::ClassNameOf(control);
    }
    // The controls inside the group box and on the pages are skinned for this window.
    for (int id :
         {gallery::kGroupCheck, gallery::kGroupEdit, gallery::kPageButton, gallery::kPageEdit})
        EXPECT_EQ(reinterpret_cast<INT_PTR>(GetPropA(g.Inner(id), "Hw_FuID")), position) << id;

    // A click on the second tab shows its page.
    const Pixels before = Shot(gallery::kTabs);
    RECT item{};
    SendMessageA(tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    Click(tabs, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(IsWindowVisible(formPage));
    EXPECT_FALSE(IsWindowVisible(calendarPage));
    EXPECT_EQ(g.Message(), "选项卡：表单");
    EXPECT_GT(CountDifferentPixels(before, Shot(gallery::kTabs)), 500u);

    // A tool-bar button.
    HWND bar = Control(gallery::kToolBar);
    RECT button{};
    SendMessageA(bar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    Click(bar, (button.left + button.right) / 2, (button.top + button.bottom) / 2);
    EXPECT_EQ(g.Message(), "工具栏：按下了“新建”");

    // A day of the month calendar, back on the first page.
    Click(tabs, 10, (item.top + item.bottom) / 2);
    HWND calendar = g.Inner(gallery::kMonthCalendar);
    RECT area{};
    GetClientRect(calendar, &area);
    POINT day{-1, -1};
    for (int y = area.bottom / 2; y < area.bottom && day.x < 0; y += 4)
        for (int x = 4; x < area.right; x += 4) {
            MCHITTESTINFO hit{};
            hit.cbSize = sizeof hit;
            hit.pt = {x, y};
            if (SendMessageA(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) ==
                static_cast<LRESULT>(MCHT_CALENDARDATE)) {
                day = {x, y};
                break;
            }
        }
    ASSERT_GE(day.x, 0);
    Click(calendar, day.x, day.y);
    EXPECT_EQ(g.Message().rfind("月历：选择了 ", 0), 0u) << g.Message();

    // Typing reaches the rich edit.
    HWND edit = g.Inner(gallery::kRichEdit);
    SendMessageA(edit, EM_SETSEL, 0, 0);
    Type(edit, "xy");
    EXPECT_EQ(TextOf(edit).rfind("xyRTF", 0), 0u) << TextOf(edit);
}

TEST_F(GalleryTest, TheDockedPanelFollowsTheWindowsSizeSkinnedOrNot) {
    for (const bool skinned : {true, false}) {
        SCOPED_TRACE(skinned ? "skinned" : "plain");
        GalleryWindow& g = Open(ControlMode::Opaque, skinned);
        HWND panel = Control(gallery::kDockedPanel);
        HWND status = g.Inner(gallery::kStatusBar);
        const auto client = [](HWND window, HWND child) {
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
            return r;
        };
        for (const SIZE size : {SIZE{1000, 760}, SIZE{900, 700}, SIZE{1010, 764}}) {
            SetWindowPos(g.Handle(), nullptr, 0, 0, size.cx, size.cy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            Pump(80);
            const RECT r = client(g.Handle(), panel);
            EXPECT_EQ(r.left, 2);
            EXPECT_EQ(r.top, GalleryWindow::kPanelTop);
            EXPECT_EQ(r.right, size.cx - 2);
            EXPECT_EQ(r.bottom, size.cy - GalleryWindow::kStatusHeight - 3);
            // The status bar inside keeps to the panel's bottom edge and width.
            const RECT s = client(panel, status);
            EXPECT_EQ(s.bottom, r.bottom - r.top);
            EXPECT_EQ(s.right - s.left, r.right - r.left);
        }
        gallery_.reset();
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, GalleryInEachMode,
                         testing::Values(ControlMode::Opaque, ControlMode::Translucent), ModeName);

TEST_F(GalleryTest, ThePointerPaneNamesTheControlUnderThePointer) {
    Open();
    const HWND window = gallery_->Handle();
    auto pointAt = [&](HWND child) {
        SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(child),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    ASSERT_GE(gallery_->Controls().size(), 17u);
    for (const gallery::NamedControl& control : gallery_->Controls()) {
        pointAt(control.window);
        EXPECT_EQ(gallery_->Message(), "指针位于：" + control.name);
        EXPECT_EQ(PaneText(GalleryWindow::kMessagePane), gallery_->Message());
    }
    // A combo box's field is a window of its own; the pane names the combo box.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(Control(gallery::kComboDropDown), &info));
    pointAt(info.hwndItem);
    EXPECT_EQ(gallery_->Message(), "指针位于：下拉组合框");
    // The bare window names nothing and keeps the last message.
    pointAt(window);
    EXPECT_EQ(gallery_->Message(), "指针位于：下拉组合框");
    EXPECT_EQ(PaneText(GalleryWindow::kModePane), "不透明控件");
}

TEST_F(GalleryTest, TheModeSwitchRebuildsTheWindowWithTranslucentControlsAndBack) {
    Open(ControlMode::Opaque);
    RECT placeBefore{};
    GetWindowRect(gallery_->Handle(), &placeBefore);
    // A point of the single-line edit right of its text.
    const RECT edit = AreaOf(gallery::kEditSingleLine);
    const POINT probe{edit.right - 12, (edit.top + edit.bottom) / 2};
    EXPECT_EQ(WindowPixel(gallery_->Handle(), probe.x, probe.y), RGB(255, 255, 255));

    ClickCentre(Control(gallery::kModeSwitch));
    Pump(200);
    ASSERT_NE(gallery_->Handle(), nullptr);
    EXPECT_EQ(gallery_->Mode(), ControlMode::Translucent);
    EXPECT_EQ(skin::Engine.TranslucentControls, 1);
    EXPECT_EQ(skin::Engine.ControlAlpha, GalleryWindow::kTranslucentAlpha);
    EXPECT_EQ(skin::Engine.WindowList.size(), 1u) << "the old window's record is gone";
    RECT placeAfter{};
    GetWindowRect(gallery_->Handle(), &placeAfter);
    EXPECT_TRUE(EqualRect(&placeBefore, &placeAfter));
    EXPECT_EQ(SendMessageA(Control(gallery::kModeSwitch), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(PaneText(GalleryWindow::kModePane), "半透明控件");
    EXPECT_EQ(gallery_->Message(), "已切换到半透明控件");

    // The edit now shows the window's background under the white wash.
    const HDC back = BackBufferOf(skin::FindWindowPosition(gallery_->Handle()));
    ASSERT_NE(back, nullptr);
    const COLORREF behind = GetPixel(back, probe.x, probe.y);
    const COLORREF shown = WindowPixel(gallery_->Handle(), probe.x, probe.y);
    EXPECT_NE(shown, RGB(255, 255, 255));
    const int a = GalleryWindow::kTranslucentAlpha;
    auto washed = [a](int channel) { return channel + (255 - channel) * a / 255; };
    const COLORREF expected =
        RGB(washed(GetRValue(behind)), washed(GetGValue(behind)), washed(GetBValue(behind)));
    EXPECT_TRUE(testing_support::ColoursNear(shown, expected, 3))
        << std::hex << shown << " expected " << expected << " (behind " << behind << ")";

    // And back.
    ClickCentre(Control(gallery::kModeSwitch));
    Pump(200);
    EXPECT_EQ(gallery_->Mode(), ControlMode::Opaque);
    EXPECT_EQ(skin::Engine.TranslucentControls, 0);
    EXPECT_EQ(PaneText(GalleryWindow::kModePane), "不透明控件");
    EXPECT_EQ(WindowPixel(gallery_->Handle(), probe.x, probe.y), RGB(255, 255, 255));
}

// What a person sees at once, in both modes: a section title's text lies straight on the
// window's picture (no washed bar), the disabled check box and radio button are grey where the
// enabled ones have colour, and the default button carries its accent ring.
TEST_F(GalleryTest, LabelsDisabledMarksAndTheDefaultButtonLookRightInBothModes) {
    auto colourful = [](const Pixels& shot) {
        int most = 0;
        for (std::uint32_t p : shot) {
            const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            most = std::max(most, std::max({r, g, b}) - std::min({r, g, b}));
        }
        return most;
    };
    for (ControlMode mode : {ControlMode::Opaque, ControlMode::Translucent}) {
        SCOPED_TRACE(GalleryWindow::ModeText(mode));
        Open(mode);
        HWND window = gallery_->Handle();
        const HDC back = BackBufferOf(skin::FindWindowPosition(window));
        ASSERT_NE(back, nullptr);

        // The first section's title: right of its two characters the label shows the picture.
        HWND title = GetDlgItem(window, gallery::kLabelId);
        RECT r{};
        GetWindowRect(title, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const POINT probe{r.right - 3, (r.top + r.bottom) / 2};
        const COLORREF behind = GetPixel(back, probe.x, probe.y);
        ASSERT_FALSE(testing_support::ColoursNear(
            behind, Over(RGB(255, 255, 255), skin::Engine.ControlAlpha, behind), 12))
            << "the probe must tell a washed label from an unwashed one";
        EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(window, probe.x, probe.y), behind, 3))
            << std::hex << WindowPixel(window, probe.x, probe.y) << " behind " << behind;
        int ink = 0;
        for (std::uint32_t p : testing_support::ScreenPixels(window, r))
            ink += ((p >> 16) & 0xFF) < 60 && ((p >> 8) & 0xFF) < 60 && (p & 0xFF) < 60;
        EXPECT_GT(ink, 20) << "the title's text is drawn";

        // The marks: a square inside both the 13-pixel box and the radio button's disc (the
        // 24-pixel high controls centre them on row 12).
        auto markOf = [&](int id) {
            const RECT c = AreaOf(id);
            return testing_support::ScreenPixels(
                window, RECT{c.left + 5, c.top + 9, c.left + 11, c.top + 15});
        };
        EXPECT_GT(colourful(markOf(gallery::kCheckChecked)), 60);
        EXPECT_LE(colourful(markOf(gallery::kCheckDisabled)), 3);
        EXPECT_GT(colourful(markOf(gallery::kRadioChecked)), 60);
        EXPECT_LE(colourful(markOf(gallery::kRadioDisabled)), 3);

        // The default button's ring, one pixel inside its top edge: the accent (low in red).
        auto ringOf = [&](int id) {
            const RECT b = AreaOf(id);
            return WindowPixel(window, (b.left + b.right) / 2, b.top + 1);
        };
        EXPECT_LT(GetRValue(ringOf(gallery::kPushDefault)) + 60,
                  GetRValue(ringOf(gallery::kPushNormal)))
            << std::hex << ringOf(gallery::kPushDefault) << " vs " << ringOf(gallery::kPushNormal);
        gallery_.reset();
        Pump(30);
    }
}

TEST_F(GalleryTest, ARebuildKeepsTheMessageLoopAndClosingTheProgramsWindowEndsIt) {
    gallery_ = std::make_unique<GalleryWindow>();
    ASSERT_TRUE(gallery_->Create()); // the program's window: closing it ends the loop
    Pump(100);
    auto quitPosted = [] {
        MSG message;
        return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    };
    ASSERT_TRUE(gallery_->SwitchMode(ControlMode::Translucent));
    Pump(100);
    EXPECT_FALSE(quitPosted());
    // The close caption button.
    SendMessageA(gallery_->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(gallery_->Handle(), nullptr);
    EXPECT_TRUE(quitPosted());
}

// The GDI objects one plain control of a class leaves behind when it is made and destroyed
// (after a first one, which may fill caches): 0 where the control cleans up after itself.
static int PlainControlLeak(const char* cls, DWORD style = 0) {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_INTERNET_CLASSES | ICC_DATE_CLASSES |
                                                      ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&classes);
    LoadLibraryA("riched20.dll");
    auto once = [&] {
        HWND top = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                   nullptr, nullptr);
        HWND control = CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 4, 4, 260, 180,
                                       top, nullptr, nullptr, nullptr);
        static const HFONT font =
            CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_TT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "宋体");
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        UpdateWindow(control);
        DestroyWindow(top);
    };
    once();
    const int before = GdiObjectCount();
    once();
    return GdiObjectCount() - before;
}

TEST_F(GalleryTest, OpeningUsingAndClosingInBothModesLeavesNothingBehind) {
    auto session = [this] {
        GalleryWindow& g = Open(ControlMode::Opaque);
        SendMessageA(g.Control(gallery::kPushNormal), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        Type(g.Control(gallery::kEditSingleLine), "ab");
        SendMessageA(g.Control(gallery::kComboDropDown), CB_SHOWDROPDOWN, TRUE, 0);
        Pump(50);
        SendMessageA(g.Control(gallery::kComboDropDown), CB_SHOWDROPDOWN, FALSE, 0);
        ClickCentre(g.Control(gallery::kModeSwitch)); // rebuilt translucent
        Pump(150);
        Type(g.Control(gallery::kEditMultiLine), "cd");
        SendMessageA(g.Control(gallery::kPushNormal), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        Pump(50);
        gallery_.reset();
        Pump(50);
    };
    // This platform's IP-address control, and its month calendar once given a font, keep a font
    // of their own after they are destroyed, skinned or not; the gallery makes one of each in
    // each of a session's two windows. The other classes are measured the same way.
    int platformLeak = 0;
    for (const char* cls : {WC_IPADDRESSA, MONTHCAL_CLASSA, "RichEdit20A", TOOLBARCLASSNAMEA,
                            WC_TABCONTROLA, STATUSCLASSNAMEA}) {
        platformLeak += 2 * PlainControlLeak(cls);
    }
    // Once first: caches that live for the program (fonts of the status bar, glyphs) fill up.
    session();
    const int gdiBefore = GdiObjectCount();
    const auto handles = testing_support::GdiHandleSnapshot();
    const int windowsBefore = ThreadWindowCount();
    for (int i = 0; i < 2; ++i)
        session();
    EXPECT_EQ(GdiObjectCount(), gdiBefore + 2 * platformLeak)
        << "new handles (index:type): "
        << testing_support::NewGdiHandles(handles, testing_support::GdiHandleSnapshot());
    EXPECT_EQ(ThreadWindowCount(), windowsBefore);
    EXPECT_EQ(skin::Engine.WindowList.size(), 0u);
}

TEST(GalleryThemePicture, DarkUnderTheCaptionLightUnderTheControlsAndTheSameEveryTime) {
    const std::vector<std::uint32_t> pixels = gallery::ThemePicturePixels();
    ASSERT_EQ(pixels.size(),
              static_cast<std::size_t>(gallery::kThemePictureWidth * gallery::kThemePictureHeight));
    auto luminance = [](std::uint32_t argb) {
        return (299 * ((argb >> 16) & 0xFF) + 587 * ((argb >> 8) & 0xFF) + 114 * (argb & 0xFF)) /
               1000;
    };
    // The white caption title needs a dark band; black captions of check boxes a light body.
    for (int x = 0; x < gallery::kThemePictureWidth; ++x)
        EXPECT_LT(luminance(pixels[static_cast<std::size_t>(4 * gallery::kThemePictureWidth + x)]),
                  110u);
    unsigned darkest = 255;
    for (int y = 32; y < gallery::kThemePictureHeight; ++y)
        for (int x = 0; x < gallery::kThemePictureWidth; ++x)
            darkest = std::min(
                darkest,
                luminance(pixels[static_cast<std::size_t>(y * gallery::kThemePictureWidth + x)]));
    EXPECT_GE(darkest, 190u);

    const skin::ByteSet png = gallery::ThemePicturePng();
    ASSERT_FALSE(png.empty());
    EXPECT_EQ(gallery::ThemePicturePng(), png);
    plus::PlusBitmap decoded;
    ASSERT_TRUE(decoded.CreateFromStream(png));
    EXPECT_EQ(decoded.GetWidth(), static_cast<UINT>(gallery::kThemePictureWidth));
    EXPECT_EQ(decoded.GetPixel(100, 200), pixels[200 * gallery::kThemePictureWidth + 100]);
}
