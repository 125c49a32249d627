// Owner-drawn push-button faces, painted off-screen over a known background and read back at
// the points that tell each state's look apart.
#include "toplevel_fixture.h"

#include "skin/controls/buttons.h"
#include "plus/plus_image.h"
#include "plus/plus_path.h"
#include "skin/images/skin_pictures.h"

using namespace toplevel_testing;
using testing_support::ColoursNear;

namespace {

constexpr int kW = 120;
constexpr int kH = 40;
constexpr COLORREF kRed = RGB(255, 0, 0);

class FacesTest : public SkinTest {
protected:
    HWND window_ = nullptr;
    HWND button_ = nullptr;
    int position_ = 0;

    void SetUp() override {
        SkinTest::SetUp();
        // A red accent tells the hot outline apart from the fixed teal of the focus glow.
        skin::Engine.AccentColour = kRed;
        window_ = TopLevel(10, 10, 300, 200);
        button_ = Keep(CreateChild(window_, "BUTTON", "", BS_PUSHBUTTON, 40, 60, kW, kH));
        position_ = Adopt(window_, RGB(255, 255, 255));
        skin::SkinButtons(position_, window_);
    }

    Picture Face(UINT state,
                 void (*painter)(HWND, HDC, UINT, const RECT&) = skin::PaintStandardButtonFace) {
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, kW, kH);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(mem, bmp);
        painter(button_, mem, state, RECT{0, 0, kW, kH});
        Picture picture = GrabDC(mem, kW, kH);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        return picture;
    }
};

// An encoded PNG of one colour, to see where and how large a face draws a picture.
skin::ByteSet SolidPng(int width, int height, plus::ARGB colour) {
    plus::PlusBitmap bitmap;
    bitmap.Create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, colour);
    return bitmap.SaveToBytes(plus::ImageFormatPNG);
}

bool Reddish(COLORREF c) {
    return GetRValue(c) > GetGValue(c) + 20 && GetRValue(c) > GetBValue(c) + 20;
}
bool Tealish(COLORREF c) {
    return GetGValue(c) > GetRValue(c) + 20 && GetBValue(c) > GetRValue(c) + 20;
}

} // namespace

TEST_F(FacesTest, DisabledShowsTheSilverPlateWithoutGlossWhateverElse) {
    for (UINT extra : {0u, static_cast<UINT>(ODS_HOTLIGHT | ODS_FOCUS | ODS_SELECTED)}) {
        const Picture face = Face(ODS_DISABLED | extra);
        // Silver under a faint white / black / white wash: grey, and no accent anywhere.
        const COLORREF middle = face.at(kW / 2, kH / 2);
        EXPECT_TRUE(ColoursNear(middle, RGB(192, 192, 192), 30)) << std::hex << middle;
        EXPECT_FALSE(Reddish(face.at(kW / 2, 0)));
        // No gloss: the upper half is not lighter than the same distance from the bottom.
        const int upper = GetRValue(face.at(kW / 2, 8));
        const int lower = GetRValue(face.at(kW / 2, kH - 9));
        EXPECT_LE(std::abs(upper - lower), 12) << upper << " vs " << lower;
        // The outline is black at alpha 80 over the plate: darker than the middle.
        EXPECT_LT(GetRValue(face.at(kW / 2, 0)), GetRValue(middle));
    }
}

TEST_F(FacesTest, HotAndFocusedShowsTheAccentOutlineAndNoGlow) {
    const Picture hot = Face(ODS_HOTLIGHT | ODS_FOCUS);
    EXPECT_TRUE(ColoursNear(hot.at(kW / 2, 0), kRed, 40)) << std::hex << hot.at(kW / 2, 0);
    EXPECT_FALSE(Tealish(hot.at(kW / 2, 1))) << std::hex << hot.at(kW / 2, 1);

    const Picture focused = Face(ODS_FOCUS);
    EXPECT_TRUE(Tealish(focused.at(kW / 2, 1))) << std::hex << focused.at(kW / 2, 1);
    EXPECT_FALSE(Reddish(focused.at(kW / 2, 0)));
}

TEST_F(FacesTest, PressedKeepsTheOutlineAndAddsTheInsetAccentPlate) {
    const Picture normal = Face(0);
    const Picture pressed = Face(ODS_SELECTED);
    // Outline (black at alpha 120) unchanged.
    EXPECT_TRUE(ColoursNear(normal.at(kW / 2, 0), pressed.at(kW / 2, 0), 6));
    EXPECT_LT(GetRValue(pressed.at(kW / 2, 0)), 180);
    // Inside the 2-pixel inset, near its top, the accent shows; outside the inset it does not.
    const COLORREF inset = pressed.at(kW / 2, 4);
    EXPECT_GT(GetRValue(inset), GetGValue(inset) + 15) << std::hex << inset;
    EXPECT_TRUE(ColoursNear(normal.at(kW / 2, 1), pressed.at(kW / 2, 1), 10));
    // Normal: the gloss makes the upper half lighter than the lower.
    EXPECT_GT(GetRValue(normal.at(kW / 2, 8)) + GetGValue(normal.at(kW / 2, 8)),
              GetRValue(normal.at(kW / 2, kH - 9)) + GetGValue(normal.at(kW / 2, kH - 9)));
}

TEST_F(FacesTest, OverADarkSkinThePlateReachesTheOutlineAndTheGlossLightensTheTop) {
    // (Over white, both white layers vanish.)
    FillDC(BackBufferOf(position_), RECT{0, 0, 300, 200}, RGB(0, 0, 0));
    const Picture face = Face(0);
    for (POINT pt : {POINT{1, kH / 2}, POINT{kW - 2, kH / 2}, POINT{kW / 2, kH - 2}})
        EXPECT_GT(int{GetRValue(face.at(pt.x, pt.y))}, 90) << pt.x << ", " << pt.y;
    EXPECT_GT(int{GetRValue(face.at(kW / 2, 8))}, GetRValue(face.at(kW / 2, kH - 9)) + 10);
}

TEST_F(FacesTest, CaptionWithoutTextColourIsOpaqueBlack) {
    skin::ButtonRecordOf(button_)->Caption = "■■■■";
    const Picture face = Face(0);
    int black = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 30; x < 90; ++x)
            if (ColoursNear(face.at(x, y), RGB(0, 0, 0), 30)) ++black;
    EXPECT_GT(black, 40);

    SetPropA(button_, "Kj_Ztys", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(RGB(0, 0, 255))));
    const Picture blue = Face(0);
    int blueish = 0;
    for (int y = 10; y < 30; ++y)
        for (int x = 30; x < 90; ++x)
            if (ColoursNear(blue.at(x, y), RGB(0, 0, 255), 30)) ++blueish;
    EXPECT_GT(blueish, 40);
    RemovePropA(button_, "Kj_Ztys");
}

TEST_F(FacesTest, RoundedTopIsAnOpenOutlineInTheGivenOrder) {
    plus::PlusPath path;
    path.CreatePath();
    skin::AddRoundedTop(path, 10, 20, 100, 30, 8);
    const int points = path.GetPointCount();
    ASSERT_GT(points, 4);
    std::vector<plus::PointF> pts(static_cast<size_t>(points));
    path.GetPathPoints(pts);
    EXPECT_FLOAT_EQ(pts.front().x, 10);
    EXPECT_FLOAT_EQ(pts.front().y, 50);
    EXPECT_FLOAT_EQ(pts.back().x, 110);
    EXPECT_FLOAT_EQ(pts.back().y, 50);
    // The top edge runs at y = 20 between the two arcs.
    bool top = false;
    for (const auto& p : pts)
        if (std::abs(p.y - 20) < 0.01f && p.x > 17 && p.x < 103) top = true;
    EXPECT_TRUE(top);
}

TEST_F(FacesTest, StateImageFaceWithoutHotImageDrawsTheAccentPlate) {
    skin::ButtonRecord* record = skin::ButtonRecordOf(button_);
    record->Kind = skin::kButtonStateImageFace;
    record->Images[skin::kImageNormal] = skin::ToByteSet(skin::CloseButtonImage); // 38 x 18
    const Picture hot = Face(ODS_HOTLIGHT, skin::PaintStateImageFace);
    // The plate is the image size plus 3: its right edge at x = 41 is the accent.
    EXPECT_TRUE(Reddish(hot.at(41, 10))) << std::hex << hot.at(41, 10);
    EXPECT_EQ(hot.at(60, 30), RGB(255, 255, 255)) << "nothing drawn outside the plate";
    const Picture normal = Face(0, skin::PaintStateImageFace);
    EXPECT_FALSE(Reddish(normal.at(41, 10)));
}

TEST_F(FacesTest, StateImageFacePressedUnderThePointerShowsThePressedImage) {
    skin::ButtonRecord* record = skin::ButtonRecordOf(button_);
    record->Kind = skin::kButtonStateImageFace;
    record->Images[skin::kImageNormal] = SolidPng(8, 8, 0xFFFF0000);
    record->Images[skin::kImageHot] = SolidPng(8, 8, 0xFF00FF00);
    record->Images[skin::kImagePressed] = SolidPng(8, 8, 0xFF0000FF);
    const struct {
        UINT state;
        COLORREF shown;
    } cases[] = {{0, RGB(255, 0, 0)},
                 {ODS_HOTLIGHT, RGB(0, 255, 0)},
                 {ODS_SELECTED, RGB(0, 0, 255)},
                 {ODS_SELECTED | ODS_HOTLIGHT, RGB(0, 0, 255)}};
    for (const auto& c : cases)
        EXPECT_TRUE(ColoursNear(Face(c.state, skin::PaintStateImageFace).at(5, 5), c.shown, 8))
            << c.state;
}

TEST_F(FacesTest, SingleImageFaceAboveCaptionIsSizedFromTheHeight) {
    skin::ButtonRecord* record = skin::ButtonRecordOf(button_);
    record->Kind = skin::kButtonSingleImageFace;
    record->Layout = 0;
    record->FontSize = 12;
    // A solid black 8 x 8 picture shows where and how large the face draws its image.
    record->Images[skin::kImageNormal] = SolidPng(8, 8, 0xFF000000);
    const Picture face = Face(0, skin::PaintSingleImageFace);
    // s = floor((40 - 12 - 2) * 0.8) = 20, at ((120 - 20) / 2, 40 * 0.05) = (50, 2).
    // (Scaling softens the outermost pixel on each side.)
    EXPECT_TRUE(ColoursNear(face.at(52, 3), RGB(0, 0, 0), 40));
    EXPECT_TRUE(ColoursNear(face.at(67, 19), RGB(0, 0, 0), 40));
    EXPECT_FALSE(ColoursNear(face.at(48, 10), RGB(0, 0, 0), 40));
    EXPECT_FALSE(ColoursNear(face.at(72, 10), RGB(0, 0, 0), 40));
    EXPECT_FALSE(ColoursNear(face.at(60, 0), RGB(0, 0, 0), 40));
    EXPECT_FALSE(ColoursNear(face.at(60, 23), RGB(0, 0, 0), 40));
}

// The default button's own look: an accent ring one pixel inside its outline in every enabled
// state (normal, hot, pressed, focused), and an accent outline where a normal button has its
// black one, without the hot button's accent tint over the face; in both control modes. A
// disabled default button looks like any disabled one.
TEST_F(FacesTest, TheDefaultButtonHasAnAccentRingInEveryStateInBothModes) {
    auto ringPixel = [](const Picture& p) { return p.at(kW / 2, 1); };
    for (int translucent : {0, 1}) {
        SCOPED_TRACE(translucent ? "translucent" : "opaque");
        skin::Engine.TranslucentControls = translucent;
        for (UINT state :
             {0u, static_cast<UINT>(ODS_HOTLIGHT), static_cast<UINT>(ODS_SELECTED),
              static_cast<UINT>(ODS_FOCUS), static_cast<UINT>(ODS_HOTLIGHT | ODS_SELECTED)}) {
            SCOPED_TRACE(state);
            SendMessageA(button_, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
            const Picture plain = Face(state);
            SendMessageA(button_, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
            const Picture chosen = Face(state);
            // Red at alpha 220 over the face: green and blue fall to a fifth of the face's.
            EXPECT_LT(GetGValue(ringPixel(chosen)), 110) << std::hex << ringPixel(chosen);
            EXPECT_GT(GetRValue(ringPixel(chosen)), 180) << std::hex << ringPixel(chosen);
            EXPECT_GT(GetGValue(ringPixel(plain)), 130) << std::hex << ringPixel(plain);
            // Only the rim changes: the caption area is the same face.
            EXPECT_TRUE(ColoursNear(chosen.at(6, kH / 2), plain.at(6, kH / 2), 4));
        }
        SendMessageA(button_, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
        const Picture normal = Face(0), hot = Face(ODS_HOTLIGHT);
        SendMessageA(button_, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
        const Picture chosen = Face(0);
        EXPECT_TRUE(ColoursNear(chosen.at(kW / 2, 0), kRed, 40))
            << std::hex << chosen.at(kW / 2, 0);
        EXPECT_FALSE(Reddish(normal.at(kW / 2, 0)));
        // Not the hot look: the face below the ring keeps the normal button's colour.
        EXPECT_TRUE(ColoursNear(chosen.at(kW / 2, kH / 2 + 6), normal.at(kW / 2, kH / 2 + 6), 4));
        EXPECT_FALSE(ColoursNear(hot.at(kW / 2, kH / 2 + 6), normal.at(kW / 2, kH / 2 + 6), 4));

        const Picture disabledDefault = Face(ODS_DISABLED);
        SendMessageA(button_, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
        EXPECT_EQ(CountDifferences(disabledDefault, Face(ODS_DISABLED), 2), 0);
    }
}

// The plates' exact edges at 96 dpi: the pressed accent plate starts two pixels in and follows
// the 5-pixel corner, the disabled wash reaches the column inside the right outline, and the
// outline's corner leaves the top row's fourth pixel from the right to the plate.
TEST_F(FacesTest, PressedAndDisabledPlatesMeetTheirOutlineWhereTheyShould) {
    const auto accented = [](COLORREF c) { return GetRValue(c) > GetBValue(c) + 30; };
    const Picture pressed = Face(ODS_SELECTED);
    EXPECT_TRUE(accented(pressed.at(5, 2))) << std::hex << pressed.at(5, 2);
    EXPECT_FALSE(accented(pressed.at(4, 2))) << std::hex << pressed.at(4, 2);
    EXPECT_TRUE(accented(pressed.at(kW - 4, 2))) << std::hex << pressed.at(kW - 4, 2);
    EXPECT_FALSE(accented(pressed.at(kW - 3, 2))) << std::hex << pressed.at(kW - 3, 2);
    const Picture disabled = Face(ODS_DISABLED);
    EXPECT_GT(GetRValue(disabled.at(kW - 2, 4)), 0xC4) << std::hex << disabled.at(kW - 2, 4);
    EXPECT_GT(GetRValue(disabled.at(kW - 4, 0)), 0x88) << std::hex << disabled.at(kW - 4, 0);
    EXPECT_LT(GetRValue(disabled.at(kW - 3, 0)), 0x88) << std::hex << disabled.at(kW - 3, 0);
}
