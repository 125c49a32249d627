// The gallery window driven as a person would: pointing, clicking, typing, dropping a list down
// and switching between opaque and translucent controls, with the pixels of the affected
// controls compared before and after.
#include "skin/toplevel_fixture.h"

#include "gallery/gallery_window.h"
#include "gallery/theme_picture.h"
#include "plus/plus_image.h"

#include <memory>

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

    GalleryWindow& Open(ControlMode mode = ControlMode::Opaque) {
        gallery_ = std::make_unique<GalleryWindow>();
        GalleryWindow::Options options;
        options.mode = mode;
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

    std::unique_ptr<GalleryWindow> gallery_;
};

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
    const auto owner = [](HWND control) {
        return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(control, "Hw_FuID")));
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

// The GDI objects one plain IP-address control leaves behind when it is made and destroyed
// (after a first one, which may fill caches): 0 where the control cleans up after itself.
static int PlainIpAddressLeak() {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&classes);
    auto once = [] {
        HWND top = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 60, nullptr, nullptr,
                                   nullptr, nullptr);
        CreateWindowExA(0, WC_IPADDRESSA, "", WS_CHILD | WS_VISIBLE, 4, 4, 160, 24, top, nullptr,
                        nullptr, nullptr);
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
    // This platform's IP-address control keeps a font of its own after it is destroyed, skinned
    // or not; the gallery makes one in each of a session's two windows.
    const int platformLeak = 2 * PlainIpAddressLeak();
    // Once first: caches that live for the program (fonts of the status bar, glyphs) fill up.
    session();
    const int gdiBefore = GdiObjectCount();
    const int windowsBefore = ThreadWindowCount();
    for (int i = 0; i < 2; ++i)
        session();
    EXPECT_EQ(GdiObjectCount(), gdiBefore + 2 * platformLeak);
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
