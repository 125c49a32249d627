// The image-button operations on a real skinned window: what they write into the button's
// record, that a button is subclassed once however often it is registered, that the tooltip
// goes with the window, and that each state of an image button shows its own image.
#include "skinned_window_fixture.h"

#include "plus/plus_image.h"
#include "skin/controls/buttons.h"
#include "skin/controls/framework.h"

#include <commctrl.h>

using namespace toplevel_testing;
using testing_support::ColoursNear;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);

// An encoded PNG of one colour.
skin::ByteSet SolidPng(int width, int height, COLORREF colour) {
    plus::PlusBitmap bitmap;
    bitmap.Create(width, height);
    const plus::ARGB argb =
        0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, argb);
    return bitmap.SaveToBytes(plus::ImageFormatPNG);
}

// The area the tip answers for.
RECT TipArea(HWND tooltip, HWND owner) {
    TOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner;
    info.uId = 1;
    SendMessageA(tooltip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info));
    return info.rect;
}

std::string TipText(HWND tooltip, HWND owner) {
    char text[80] = {};
    TOOLINFOA info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner;
    info.uId = 1;
    info.lpszText = text;
    SendMessageA(tooltip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
    return text;
}

class ImageButtonTest : public SkinnedWindowTest {
protected:
    HWND window_ = nullptr;
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        window_ = TopLevel(20, 20, 400, 300);
    }
    HWND Button(const char* text, DWORD style, int x, int y, int w = 60, int h = 40) {
        return CreateChild(window_, "BUTTON", text, style, x, y, w, h);
    }
    static COLORREF Middle(HWND button) { return WindowPixel(button, 12, 12); }
};

} // namespace

TEST_F(ImageButtonTest, RegisteringWritesTheRecordAndSubclassesTheButtonOnce) {
    HWND early = Button("早", BS_PUSHBUTTON, 10, 40);
    const int p = SkinAndShow(window_);
    skin::WindowRecord* rec = skin::RecordAt(p);
    ASSERT_EQ(rec->Buttons.size(), 1u);
    HWND late = Button("late", BS_DEFPUSHBUTTON, 100, 40);
    const skin::ByteSet first = SolidPng(8, 8, kRed), second = SolidPng(9, 9, kGreen);

    ASSERT_TRUE(skin::TheSkin->SkinImageButton(late, first, 1, std::string("提示")));
    ASSERT_EQ(rec->Buttons.size(), 2u);
    skin::ButtonRecord* record = skin::ButtonRecordOf(late);
    ASSERT_EQ(record, rec->Buttons[1].get());
    EXPECT_EQ(record->Kind, skin::kButtonSingleImageFace);
    EXPECT_EQ(record->Images[skin::kImageNormal], first);
    EXPECT_EQ(record->Layout, 1);
    EXPECT_EQ(record->Caption, "late");
    EXPECT_FALSE(record->FontFamily.empty()) << "a button new to the list gets its font read";
    EXPECT_EQ(GetWindowLongA(late, GWL_STYLE) & 0xF, BS_OWNERDRAW) << "from BS_DEFPUSHBUTTON";
    EXPECT_TRUE(skin::RunsProcedure(late, skin::ButtonProc));
    EXPECT_EQ(GetPropA(late, "Hw_lbID"), reinterpret_cast<HANDLE>(2));
    EXPECT_EQ(GetPropA(late, "Hw_FuID"), reinterpret_cast<HANDLE>(static_cast<INT_PTR>(p)));
    const WNDPROC saved = record->SavedProcedure;
    ASSERT_NE(saved, nullptr);
    EXPECT_NE(saved, skin::ButtonProc);
    HWND tip = record->Tooltip->GetTooltipWindow();
    ASSERT_TRUE(IsWindow(tip));
    EXPECT_EQ(TipText(tip, late), "提示");
    const RECT area = TipArea(tip, late), whole{0, 0, 60, 40};
    EXPECT_TRUE(EqualRect(&area, &whole)) << "the whole button: " << area.left << "," << area.top
                                          << "," << area.right << "," << area.bottom;

    // Again, with another image and tip: replaced in place, not subclassed a second time.
    SetWindowTextA(late, "again");
    ASSERT_TRUE(skin::TheSkin->SkinImageButton(late, second, 0, std::string("second")));
    EXPECT_EQ(rec->Buttons.size(), 2u);
    EXPECT_EQ(record->Images[skin::kImageNormal], second);
    EXPECT_EQ(record->Layout, 0);
    EXPECT_EQ(record->Caption, "again");
    EXPECT_EQ(record->SavedProcedure, saved);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetPropA(late, "Hw_hProc")), saved);
    EXPECT_EQ(record->Tooltip->GetTooltipWindow(), tip);
    EXPECT_EQ(TipText(tip, late), "second");
    // Without a tip text the tip stays as it was.
    ASSERT_TRUE(skin::TheSkin->SkinImageButton(late, second, 0));
    EXPECT_EQ(TipText(tip, late), "second");

    // A button already skinned with the standard face keeps its record and procedure; the
    // state strip leaves the fourth image field empty and keeps the disabled image in the fifth.
    const HANDLE earlySaved = GetPropA(early, "Hw_hProc");
    const skin::ByteSet d = SolidPng(4, 4, kYellow);
    ASSERT_TRUE(skin::TheSkin->SkinStateImageButton(early, first, second, first, d));
    EXPECT_EQ(rec->Buttons.size(), 2u);
    skin::ButtonRecord& strip = *rec->Buttons[0];
    EXPECT_EQ(strip.Kind, skin::kButtonStateImageFace);
    EXPECT_EQ(strip.Images[skin::kImageHot], second);
    EXPECT_TRUE(strip.Images[3].empty());
    EXPECT_EQ(strip.Images[4], d);
    EXPECT_EQ(strip.Tooltip->GetTooltipWindow(), nullptr) << "no tip given, none made";
    EXPECT_EQ(GetPropA(early, "Hw_hProc"), earlySaved);

    // The tooltip window goes with the skinned window.
    DestroyWindow(window_);
    Pump();
    EXPECT_FALSE(IsWindow(tip));
}

TEST_F(ImageButtonTest, ButtonsWithoutASkinnedWindowAboveThemAreLeftAlone) {
    HWND plain = TopLevel(40, 40, 200, 100);
    HWND button = CreateChild(plain, "BUTTON", "x", BS_DEFPUSHBUTTON, 5, 5, 60, 30);
    const LONG_PTR procedure = GetWindowLongPtrA(button, GWLP_WNDPROC);
    const skin::ByteSet image = SolidPng(8, 8, kRed);
    EXPECT_FALSE(skin::TheSkin->SkinImageButton(button, image, 0, std::string("tip")));
    EXPECT_FALSE(skin::TheSkin->SkinStateImageButton(button, image, image, image, image));
    EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
    EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC), procedure);
    EXPECT_EQ(GetPropA(button, "Hw_lbID"), nullptr);
    EXPECT_FALSE(skin::TheSkin->SkinImageButton(nullptr, image, 0));
}

// Normal, hot, pressed and disabled each show their own image; without a disabled image the
// normal one is shown on the disabled plate.
TEST_F(ImageButtonTest, StateImageButtonShowsTheImageOfEachState) {
    const int p = SkinAndShow(window_);
    HWND strip = Button("", BS_PUSHBUTTON, 10, 40);
    HWND partial = Button("", BS_PUSHBUTTON, 100, 40);
    ASSERT_TRUE(
        skin::TheSkin->SkinStateImageButton(strip, SolidPng(20, 20, kRed), SolidPng(20, 20, kGreen),
                                            SolidPng(20, 20, kBlue), SolidPng(20, 20, kYellow)));
    ASSERT_TRUE(skin::TheSkin->SkinStateImageButton(partial, SolidPng(20, 20, kRed), {}, {}, {},
                                                    std::string("四态")));
    HWND tip = skin::ButtonRecordOf(partial)->Tooltip->GetTooltipWindow();
    ASSERT_TRUE(IsWindow(tip)) << "the state strip takes its tip too";
    EXPECT_EQ(TipText(tip, partial), "四态");
    Pump();
    EXPECT_TRUE(ColoursNear(Middle(strip), kRed)) << std::hex << Middle(strip);

    SendMessageA(strip, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(ColoursNear(Middle(strip), kGreen)) << std::hex << Middle(strip);
    EXPECT_EQ(skin::RecordAt(p)->HotFamily, skin::kFamilyButtons);
    SendMessageA(strip, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(ColoursNear(Middle(strip), kRed)) << std::hex << Middle(strip);

    SendMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Pump();
    EXPECT_TRUE(ColoursNear(Middle(strip), kBlue)) << std::hex << Middle(strip);
    // Leaving and coming back while held keep the pressed picture, also with a move that
    // reports no button down (as the moves Wine makes up after a capture do).
    for (UINT message : {WM_MOUSELEAVE, WM_MOUSEMOVE}) {
        SendMessageA(strip, message, 0, MAKELPARAM(6, 6));
        EXPECT_TRUE(ColoursNear(Middle(strip), kBlue)) << message << std::hex << Middle(strip);
    }
    SendMessageA(strip, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
    EXPECT_TRUE(ColoursNear(Middle(strip), kRed)) << std::hex << Middle(strip);

    EnableWindow(strip, FALSE);
    EnableWindow(partial, FALSE);
    Pump();
    EXPECT_TRUE(ColoursNear(Middle(strip), kYellow)) << std::hex << Middle(strip);
    EXPECT_TRUE(ColoursNear(Middle(partial), kRed, 60)) << std::hex << Middle(partial);
    EXPECT_FALSE(ColoursNear(WindowPixel(partial, 1, 12), WindowPixel(partial, 40, 12), 4))
        << "the disabled plate's outline";
}

// A button already painted with the standard face shows its pictures at once, without waiting
// for some later repaint.
TEST_F(ImageButtonTest, AButtonAlreadyShownChangesToItsPictureAtOnce) {
    HWND button = Button("", BS_PUSHBUTTON, 10, 40);
    SkinAndShow(window_);
    Pump();
    ASSERT_FALSE(ColoursNear(Middle(button), kBlue)) << std::hex << Middle(button);
    ASSERT_TRUE(skin::TheSkin->SkinStateImageButton(button, SolidPng(20, 20, kBlue), {}, {}, {}));
    Pump();
    EXPECT_TRUE(ColoursNear(Middle(button), kBlue)) << std::hex << Middle(button);
}

// One image, left of an empty caption: centred, and still shown when disabled.
TEST_F(ImageButtonTest, SingleImageButtonShowsItsImage) {
    SkinAndShow(window_);
    HWND button = Button("", BS_PUSHBUTTON, 10, 40, 60, 40);
    ASSERT_TRUE(skin::TheSkin->SkinImageButton(button, SolidPng(16, 16, kBlue), 1));
    Pump();
    // s = floor(40 * 0.8) = 32, at ((60 - 32) / 2, (40 - 32) / 2) = (14, 4).
    EXPECT_TRUE(ColoursNear(WindowPixel(button, 30, 20), kBlue))
        << std::hex << WindowPixel(button, 30, 20);
    EXPECT_TRUE(ColoursNear(WindowPixel(button, 16, 6), kBlue, 40));
    EXPECT_FALSE(ColoursNear(WindowPixel(button, 10, 20), kBlue, 40));
    EnableWindow(button, FALSE);
    Pump();
    EXPECT_TRUE(ColoursNear(WindowPixel(button, 30, 20), kBlue, 40));
}

// A caller's picture is made for 96 dpi: at 144 the 20-pixel picture covers 30 pixels from the
// 3-pixel inset (2 and 20 at 96), filtered rather than left small.
TEST_F(ImageButtonTest, AStatePictureIsScaledToTheOwnersDpi) {
    const int p = SkinAndShow(window_);
    HWND button = Button("", BS_PUSHBUTTON, 10, 40, 60, 40);
    ASSERT_TRUE(skin::TheSkin->SkinStateImageButton(button, SolidPng(20, 20, kRed), {}, {}, {}));
    for (UINT dpi : {96u, 144u}) {
        skin::RecordAt(p)->Dpi = dpi;
        InvalidateRect(button, nullptr, TRUE);
        UpdateWindow(button);
        Pump();
        const int end = skin::ScaleToDpi(2, dpi) + skin::ScaleToDpi(20, dpi); // past the picture
        EXPECT_TRUE(ColoursNear(WindowPixel(button, end - 2, 12), kRed)) << dpi;
        EXPECT_FALSE(ColoursNear(WindowPixel(button, end + 1, 12), kRed)) << dpi;
        EXPECT_TRUE(ColoursNear(WindowPixel(button, skin::ScaleToDpi(3, dpi), 12), kRed)) << dpi;
        // Hot and pressed, with no pictures of their own, show the normal one on a plate.
        for (UINT state : {skin::kStateHot, skin::kStateSelected}) {
            skin::RepaintButton(button, state);
            EXPECT_TRUE(ColoursNear(WindowPixel(button, end - 2, 12), kRed, 40))
                << dpi << " dpi, state " << state;
            EXPECT_FALSE(ColoursNear(WindowPixel(button, end + 2, 12), kRed, 40))
                << dpi << " dpi, state " << state;
        }
    }
}

// The single-image face at the owner's DPI. Left of a caption the picture keeps its 3-pixel
// inset (6 at 192 dpi); above the caption its side is what the caption's font leaves, the font
// being the program's 12 pixels at 96 dpi, so 24 at 192: s = floor((60 - 12 - 2) x 0.8) = 36
// at 96 dpi and floor((60 - 24 - 4) x 0.8) = 25 at 192, centred in the 120-pixel width.
TEST_F(ImageButtonTest, TheSingleImageFaceIsLaidOutAtTheOwnersDpi) {
    const int p = SkinAndShow(window_);
    const gdi::Font font(
        CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "宋体"));
    HWND left = Button("字", BS_PUSHBUTTON, 10, 40, 120, 60);
    HWND above = Button("字", BS_PUSHBUTTON, 140, 40, 120, 60);
    SendMessageA(above, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    ASSERT_TRUE(skin::TheSkin->SkinImageButton(left, SolidPng(16, 16, kBlue), 1));
    ASSERT_TRUE(skin::TheSkin->SkinImageButton(above, SolidPng(16, 16, kBlue), 0));
    struct Probe {
        UINT dpi;
        HWND* button;
        int x, y;
        bool blue;
    };
    const Probe probes[] = {
        {96, &left, 4, 30, true},   // inside the picture from x = 3
        {192, &left, 4, 30, false}, // before it: it starts at 6
        {96, &left, 46, 30, true},  // 48 wide: up to 51 (its edge filtered)
        {192, &left, 49, 30, true}, // up to 54
        {192, &left, 56, 30, false},  {96, &above, 44, 15, true},   // 36 wide from 42
        {192, &above, 44, 15, false},                               // 25 wide from 47.5
        {192, &above, 50, 15, true},  {192, &above, 50, 29, false}, // 25 high from 3
    };
    for (UINT dpi : {96u, 192u}) {
        skin::RecordAt(p)->Dpi = dpi;
        for (HWND button : {left, above}) {
            InvalidateRect(button, nullptr, TRUE);
            UpdateWindow(button);
        }
        Pump();
        for (const Probe& probe : probes) {
            if (probe.dpi != dpi) continue;
            const COLORREF pixel = WindowPixel(*probe.button, probe.x, probe.y);
            EXPECT_EQ(ColoursNear(pixel, kBlue, 60), probe.blue)
                << dpi << " dpi, (" << probe.x << ", " << probe.y << "): " << std::hex << pixel;
        }
    }
    DestroyWindow(left);
    DestroyWindow(above);
}
