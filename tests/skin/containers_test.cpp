// Containers (group boxes, panels, tab pages), docked windows, the text-colour setter and the
// skinned common controls, on real skinned windows over a one-colour theme, read back as
// pixels.
#include "skinned_window_fixture.h"

#include "plus/plus_image.h"
#include "skin/controls/buttons.h"
#include "skin/controls/framework.h"
#include "skin/controls/headers.h"
#include "skin/services/containers.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <string>
#include <tuple>

using namespace toplevel_testing;
using skin::Engine;
using skin::TheSkin;

namespace {

constexpr COLORREF kTheme = RGB(40, 90, 160);

class ContainerTest : public SkinnedWindowTest {
protected:
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        INITCOMMONCONTROLSEX icc{sizeof icc,
                                 ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_DATE_CLASSES};
        InitCommonControlsEx(&icc);
        savedTheme_ = Engine.ThemeColour;
        TheSkin->SetTheme({}, {}, kTheme);
    }
    void TearDown() override {
        SkinnedWindowTest::TearDown();
        TheSkin->SetTheme({}, {}, savedTheme_);
    }

    // A skinned frameless window (client = window coordinates) with `build` making its
    // children before it is skinned.
    template <typename Build> HWND Skinned(int w, int h, Build build, int statusHeight = 0) {
        HWND window = TopLevel(30, 30, w, h);
        build(window);
        position_ = SkinAndShow(window, 30, 1, statusHeight);
        return window;
    }
    skin::WindowRecord& Record() const { return *skin::RecordAt(position_); }
    // A skinned 320 x 220 window holding the group box "分组框" at (20, 50), 200 x 100.
    HWND SkinnedGroupBox(HWND& box) {
        return Skinned(320, 220, [&](HWND w) {
            box = CreateChild(w, "BUTTON", "分组框", BS_GROUPBOX, 20, 50, 200, 100);
        });
    }

    // The back buffer's pixel under a child's client point: what the skin paints there.
    COLORREF Behind(HWND child, int x, int y) const {
        POINT pt{x, y};
        MapWindowPoints(child, Record().Window, &pt, 1);
        return GetPixel(BackBufferOf(position_), pt.x, pt.y);
    }
    static void Repaint(HWND window) {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump(60);
    }

    int position_ = 0;

private:
    COLORREF savedTheme_ = 0;
};

int CountColour(HWND control, COLORREF colour) {
    const Picture picture = GrabClient(control);
    return static_cast<int>(std::count(picture.pixels.begin(), picture.pixels.end(), colour));
}

int Sum(COLORREF c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c);
}

// Columns of rows 0..15 of a group box that hold caption ink (far darker than the theme).
std::pair<int, int> InkColumns(HWND box) {
    const Picture p = GrabClient(box);
    int first = -1, last = -1;
    for (int y = 0; y < std::min(16, p.height); ++y)
        for (int x = 0; x < p.width; ++x)
            if (Sum(p.at(x, y)) < Sum(kTheme) - 120) {
                if (first < 0 || x < first) first = x;
                last = std::max(last, x);
            }
    return {first, last};
}

// A child that paints itself in one colour.
constexpr COLORREF kChildInk = RGB(0, 200, 0);

LRESULT CALLBACK SolidChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(window, &paint);
    RECT r{};
    GetClientRect(window, &r);
    FillDC(dc, r, kChildInk);
    EndPaint(window, &paint);
    return 0;
}

const char* SolidChildClass() {
    static const char* name = RegisterTestClass("VarnelSolidChild", SolidChildProc);
    return name;
}

} // namespace

TEST_F(ContainerTest, GroupBoxDrawsItsFrameAndPlacesItsCaptionByItsAlignment) {
    struct Case {
        LONG align;
        const char* name;
    };
    const Case cases[] = {
        {0, "none"}, {BS_LEFT, "left"}, {BS_RIGHT, "right"}, {BS_CENTER, "centre"}};
    HWND boxes[4] = {};
    HWND window = Skinned(460, 300, [&](HWND w) {
        for (int i = 0; i < 4; ++i)
            boxes[i] = CreateChild(w, "BUTTON", "分组框", BS_GROUPBOX | cases[i].align,
                                   20 + (i % 2) * 220, 50 + (i / 2) * 120, 200, 100);
    });
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(TheSkin->SkinContainer(boxes[i]), i + 1) << cases[i].name;
    Repaint(window);

    const int w = 200;
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(cases[i].name);
        const auto [first, last] = InkColumns(boxes[i]);
        ASSERT_GE(first, 0) << "the caption is drawn";
        EXPECT_GT(last - first, 20) << "three characters wide";
        // The caption's text is centred in a box as wide as the text measures, and that box
        // starts 10 in from the left (also with no alignment given), ends 10 in from the right,
        // or is centred.
        const skin::ContainerEntry& e = Record().Containers[static_cast<size_t>(i)];
        const int tw = skin::TextWidth("分组框", e.FontName, e.FontStyle, e.FontSize);
        const int x = cases[i].align == BS_RIGHT    ? w - tw - 10
                      : cases[i].align == BS_CENTER ? (w - tw) / 2
                                                    : 10;
        EXPECT_NEAR((first + last) / 2, x + tw / 2, 3) << "text width " << tw;
        // All of it: the ink spans the width the text measures (its last character too).
        EXPECT_GT((last - first + 1) * 4, tw * 3) << "text width " << tw;
        // The frame: dark outside, light inside, on the left edge; the interior untouched.
        const COLORREF behind = Behind(boxes[i], 100, 60);
        EXPECT_LT(Sum(WindowPixel(boxes[i], 0, 60)), Sum(behind) - 8);
        EXPECT_GT(Sum(WindowPixel(boxes[i], 1, 60)), Sum(behind) + 20);
        EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(boxes[i], 100, 60), behind, 3));
    }

    // Only a button with the group-box style is a group box: not a push button, nor a window of
    // another class with the same style bit.
    EXPECT_TRUE(skin::IsGroupBox(boxes[0]));
    EXPECT_FALSE(skin::IsGroupBox(CreateChild(window, "BUTTON", "", BS_PUSHBUTTON, 0, 0, 9, 9)));
    EXPECT_FALSE(skin::IsGroupBox(CreateChild(window, PlainClass(), "", 0x4, 0, 0, 9, 9)));

    // The caption takes the box's text colour.
    TheSkin->SetControlTextColour(boxes[0], RGB(255, 0, 0));
    Repaint(window);
    const Picture p = GrabClient(boxes[0]);
    int red = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < p.width; ++x)
            if (GetRValue(p.at(x, y)) > 200 && GetGValue(p.at(x, y)) < 80) ++red;
    EXPECT_GT(red, 10);
}

// A group box keeps its last picture and puts it back on a repaint, but only while what it was
// drawn from holds: a new caption, a new background under it and a new size each draw it anew.
TEST_F(ContainerTest, AGroupBoxsKeptPictureGoesWithItsCaptionBackgroundAndSize) {
    HWND box = nullptr;
    HWND window = SkinnedGroupBox(box);
    ASSERT_EQ(TheSkin->SkinContainer(box), 1);
    Repaint(window);
    const Picture first = GrabClient(box);
    const auto [inkFrom, inkTo] = InkColumns(box);
    Repaint(window);
    EXPECT_EQ(GrabClient(box).pixels, first.pixels) << "put back as it was";
    const skin::KeptPicture& kept = Record().Containers[0].Kept;
    ASSERT_FALSE(kept.Entries.empty());
    EXPECT_EQ(kept.Entries[kept.Current].Picture.size(), std::size_t{200 * 100}) << "kept whole";

    SetWindowTextA(box, "分");
    Repaint(window);
    const auto [shortFrom, shortTo] = InkColumns(box);
    EXPECT_LT(shortTo - shortFrom, (inkTo - inkFrom) / 2) << "one character, not three";

    const COLORREF other = RGB(150, 60, 40);
    TheSkin->SetTheme({}, {}, other);
    Repaint(window);
    EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(box, 100, 60), Behind(box, 100, 60), 3));
    EXPECT_GT(GetRValue(WindowPixel(box, 100, 60)), 120) << "the new theme shows inside";

    MoveWindow(box, 20, 50, 260, 100, TRUE);
    Repaint(window);
    const COLORREF behind = Behind(box, 100, 60);
    EXPECT_LT(Sum(WindowPixel(box, 259, 60)), Sum(behind) - 8) << "the frame's right edge moved";
    EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(box, 199, 60), behind, 3));
}

// The caption is kept with the box's entry: whichever way the text changes, the box shows the
// new one, drawn as a box given that text from the start draws it.
TEST_F(ContainerTest, AGroupBoxsCaptionFollowsItsTextHoweverItIsSet) {
    struct Case {
        const char* name;
        const char* text;               // as code page 936 bytes
        bool (*set)(HWND, const char*); // true when the box answers that it took the text
    };
    const Case cases[] = {
        {"SetWindowTextA, shorter", "分",
         [](HWND b, const char* t) { return SetWindowTextA(b, t) != FALSE; }},
        {"WM_SETTEXT sent, longer", "分组框之二",
         [](HWND b, const char* t) {
             return SendMessageA(b, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t)) == TRUE;
         }},
        {"SetWindowTextW", "组框",
         [](HWND b, const char* t) {
             wchar_t wide[32] = L"";
             MultiByteToWideChar(936, 0, t, -1, wide, 32);
             return SetWindowTextW(b, wide) != FALSE;
         }},
        {"emptied", "", [](HWND b, const char* t) { return SetWindowTextA(b, t) != FALSE; }},
    };
    constexpr int kCases = static_cast<int>(std::size(cases));
    HWND changed[kCases] = {}, made[kCases] = {};
    HWND window = Skinned(500, 100 + 70 * kCases, [&](HWND w) {
        for (int i = 0; i < kCases; ++i) {
            changed[i] = CreateChild(w, "BUTTON", "分组框", BS_GROUPBOX, 20, 50 + 70 * i, 200, 60);
            made[i] =
                CreateChild(w, "BUTTON", cases[i].text, BS_GROUPBOX, 260, 50 + 70 * i, 200, 60);
        }
    });
    for (int i = 0; i < kCases; ++i) {
        TheSkin->SkinContainer(changed[i]);
        TheSkin->SkinContainer(made[i]);
    }
    Repaint(window);
    for (int i = 0; i < kCases; ++i) {
        SCOPED_TRACE(cases[i].name);
        const std::pair<int, int> before = InkColumns(changed[i]);
        EXPECT_TRUE(cases[i].set(changed[i], cases[i].text));
        Repaint(window);
        const std::pair<int, int> after = InkColumns(changed[i]);
        EXPECT_NE(after, before) << "the caption changed";
        EXPECT_EQ(after, InkColumns(made[i]));
        // The caption's rows alike, pixel for pixel (the same background under both boxes).
        const Picture a = GrabClient(changed[i]), b = GrabClient(made[i]);
        int differ = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < a.width; ++x)
                differ += !testing_support::ColoursNear(a.at(x, y), b.at(x, y), 3);
        EXPECT_EQ(differ, 0);
    }
    // With no caption the frame's top lines run through where it was.
    const int emptied = kCases - 1;
    EXPECT_EQ(InkColumns(changed[emptied]).first, -1);
    EXPECT_LT(Sum(WindowPixel(changed[emptied], 40, 5)),
              Sum(Behind(changed[emptied], 100, 30)) - 4);
}

// A repaint of the box alone copies its picture around its children where they are now: a
// moved child is left alone at its new place and its old place shows the box again, a hidden
// child's place shows the box. Both ways the box is shown: through a DC of its own (the kept
// picture's repaint) and through the paint DC (the repaint after a change of size).
TEST_F(ContainerTest, ARepaintOfTheBoxAloneLeavesItsChildrenWhereTheyAreNow) {
    struct Case {
        const char* name;
        int repaintFlag;
    };
    const Case cases[] = {{"own DC", 0}, {"paint DC", 1}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        HWND box = nullptr, moved = nullptr, hidden = nullptr;
        HWND window = Skinned(320, 240, [&](HWND w) {
            box = CreateChild(w, "BUTTON", "组", BS_GROUPBOX, 20, 50, 260, 150);
            moved = CreateChild(box, SolidChildClass(), "", 0, 20, 30, 40, 30);
            hidden = CreateChild(box, SolidChildClass(), "", 0, 180, 30, 40, 30);
        });
        ASSERT_EQ(TheSkin->SkinContainer(box), 1);
        Repaint(window);
        ASSERT_EQ(WindowPixel(moved, 20, 15), kChildInk);
        ASSERT_EQ(WindowPixel(hidden, 20, 15), kChildInk);

        MoveWindow(moved, 100, 90, 40, 30, TRUE);
        ShowWindow(hidden, SW_HIDE);
        Pump(60);
        Record().Containers[0].Repaint = k.repaintFlag;
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN | RDW_UPDATENOW);
        EXPECT_FALSE(HasPendingPaint(box));
        EXPECT_EQ(Record().Containers[0].Repaint, 0);
        EXPECT_EQ(WindowPixel(moved, 20, 15), kChildInk) << "the child at its new place";
        EXPECT_EQ(WindowPixel(box, 120, 105), kChildInk);
        for (const POINT at : {POINT{40, 45}, POINT{200, 45}}) {
            EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(box, at.x, at.y),
                                                     Behind(box, at.x, at.y), 3))
                << "the box at " << at.x << "," << at.y;
        }
        DestroyWindow(window);
    }
}

// PaintContainer draws the box at once through a DC of its own, over whatever lay there; for an
// entry that is not there, or a container that is gone, it does nothing.
TEST_F(ContainerTest, PaintContainerDrawsTheBoxAtOnceAndNothingForAMissingEntry) {
    HWND box = nullptr;
    HWND window = SkinnedGroupBox(box);
    ASSERT_EQ(TheSkin->SkinContainer(box), 1);
    Repaint(window);
    const Picture shown = GrabClient(box);
    const auto scribble = [&] {
        HDC dc = GetDC(box);
        FillDC(dc, RECT{0, 0, 200, 100}, RGB(255, 0, 255));
        ReleaseDC(box, dc);
    };
    scribble();
    skin::PaintContainer(position_, 1);
    EXPECT_EQ(CountDifferences(GrabClient(box), shown, 3), 0) << "drawn at once, no WM_PAINT";

    struct Case {
        const char* name;
        int position;
        int entry;
    };
    const Case missing[] = {{"entry 0", position_, 0},
                            {"entry past the list", position_, 2},
                            {"no such window", position_ + 5, 1}};
    for (const Case& k : missing) {
        SCOPED_TRACE(k.name);
        scribble();
        skin::PaintContainer(k.position, k.entry);
        EXPECT_EQ(WindowPixel(box, 100, 60), RGB(255, 0, 255)) << "left alone";
    }
    DestroyWindow(box);
    Record().Containers[0].Repaint = 1;
    skin::PaintContainer(position_, 1);
    EXPECT_EQ(Record().Containers[0].Repaint, 1) << "a container that is gone is not painted";
}

// The container's entry is found when the records before its window's go and the rest move up.
TEST_F(ContainerTest, AContainerOnALaterWindowGoesOnWhenAnEarlierWindowGoes) {
    HWND earlier = TopLevel(400, 30, 200, 150);
    SkinAndShow(earlier);
    HWND box = nullptr;
    HWND window = SkinnedGroupBox(box);
    ASSERT_EQ(TheSkin->SkinContainer(box), 1);
    Repaint(window);
    const auto [inkFrom, inkTo] = InkColumns(box);
    ASSERT_GE(inkFrom, 0);

    const int before = position_;
    DestroyWindow(earlier);
    Pump(30);
    position_ = skin::FindWindowPosition(window);
    ASSERT_EQ(position_, before - 1);
    SetWindowTextA(box, "分组框之二");
    Repaint(window);
    const auto [longFrom, longTo] = InkColumns(box);
    EXPECT_GT(longTo - longFrom, inkTo - inkFrom + 20) << "five characters, not three";
    EXPECT_EQ(Record().Containers[0].Caption, "分组框之二");
}

TEST_F(ContainerTest, RegistrationTakesTheFirstEntryOnceAndSkinsTheControlsInside) {
    HWND box = nullptr, panel = nullptr, check = nullptr, edit = nullptr, outsideEdit = nullptr;
    Skinned(420, 260, [&](HWND w) {
        box = CreateChild(w, "BUTTON", "组", BS_GROUPBOX, 20, 50, 200, 120);
        check = CreateChild(box, "BUTTON", "选", BS_AUTOCHECKBOX, 10, 20, 80, 20);
        edit = CreateChild(box, "EDIT", "", 0, 10, 50, 150, 24);
        // One control of every other family inside the box too.
        CreateChild(box, "LISTBOX", "", 0, 10, 80, 40, 30);
        CreateChild(box, TRACKBAR_CLASSA, "", 0, 60, 80, 40, 30);
        CreateChild(box, PROGRESS_CLASSA, "", 0, 110, 80, 40, 10);
        CreateChild(box, UPDOWN_CLASSA, "", 0, 160, 80, 16, 24);
        CreateChild(box, WC_HEADERA, "", 0, 100, 20, 90, 20);
        panel = CreateChild(w, PlainClass(), "", 0, 240, 50, 150, 100);
        outsideEdit = CreateChild(w, "EDIT", "", 0, 240, 200, 150, 24);
    });
    skin::WindowRecord& r = Record();
    ASSERT_EQ(r.Containers.size(), 1u);
    EXPECT_EQ(r.Containers[0].Container, nullptr) << "the list starts with one empty entry";
    const size_t buttons = r.Buttons.size(), edits = r.Edits.size();
    const size_t families[] = {r.ItemViews.size(), r.TrackBars.size(), r.ProgressBars.size(),
                               r.UpDowns.size(), r.Headers.size()};

    ValidateRect(box, nullptr);
    EXPECT_EQ(TheSkin->SkinContainer(box), 1);
    EXPECT_TRUE(HasPendingPaint(box)) << "drawn over the skin at once";
    EXPECT_EQ(TheSkin->SkinContainer(panel, 0, 0x123456, 300, 1), 2);
    EXPECT_EQ(TheSkin->SkinContainer(box, 0, 5, 5, 1), 1) << "registered already";
    ASSERT_EQ(r.Containers.size(), 2u);
    const skin::ContainerEntry& b = r.Containers[0];
    EXPECT_EQ(b.TransparentErase, 1);
    EXPECT_EQ(b.Alpha, 255);
    EXPECT_EQ(b.FillValue, 0);
    EXPECT_EQ(b.Framed, 0);
    EXPECT_EQ(b.IsGroupBox, 1);
    const skin::ContainerEntry& q = r.Containers[1];
    EXPECT_EQ(q.TransparentErase, 0);
    EXPECT_EQ(q.FillValue, 0x123456);
    EXPECT_EQ(q.Alpha, 300 & 0xFF) << "the low byte of the alpha";
    EXPECT_EQ(q.Framed, 1);
    EXPECT_EQ(q.IsGroupBox, 0);
    EXPECT_EQ(skin::GetPropValue(panel, "Hw_lbID"), 2);
    EXPECT_EQ(skin::GetPropValue(panel, "Hw_FuID"), position_);
    EXPECT_EQ(skin::GetPropValue(panel, "Mb_zpf"), 0);
    EXPECT_EQ(GetWindowLongPtrA(box, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&skin::ContainerProc));

    // The controls inside the group box joined their families, owned by the window.
    EXPECT_EQ(r.Buttons.size(), buttons + 1);
    EXPECT_EQ(r.Edits.size(), edits + 1);
    const size_t after[] = {r.ItemViews.size(), r.TrackBars.size(), r.ProgressBars.size(),
                            r.UpDowns.size(), r.Headers.size()};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(after[i], families[i] + 1) << "family " << i;
    EXPECT_EQ(GetWindowLongPtrA(check, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(&skin::ButtonProc));
    EXPECT_EQ(skin::GetPropValue(edit, "Hw_FuID"), position_);

    // Refused: a window with no skinned window above it, the skinned window itself, and a
    // control the skin has subclassed already.
    HWND loose = Keep(CreateTopLevel(0, 0, 50, 50));
    HWND looseChild = CreateChild(loose, PlainClass(), "", 0, 0, 0, 10, 10);
    EXPECT_EQ(TheSkin->SkinContainer(looseChild), 0);
    EXPECT_EQ(TheSkin->SkinContainer(r.Window), 0);
    EXPECT_EQ(TheSkin->SkinContainer(outsideEdit), 0);
    EXPECT_EQ(r.Containers.size(), 2u);
}

TEST_F(ContainerTest, ControlsInsideAContainerShowTheSameWashAsControlsOutside) {
    Engine.TranslucentControls = 1;
    HWND box = nullptr, inside = nullptr, outside = nullptr;
    HWND window = Skinned(420, 240, [&](HWND w) {
        box = CreateChild(w, "BUTTON", "组", BS_GROUPBOX, 20, 50, 220, 100);
        inside = CreateChild(box, "EDIT", "", 0, 10, 40, 180, 30);
        outside = CreateChild(w, "EDIT", "", 0, 260, 90, 140, 30);
    });
    TheSkin->SkinContainer(box);
    Repaint(window);
    for (HWND edit : {inside, outside}) {
        const COLORREF expected =
            Over(RGB(255, 255, 255), Engine.ControlAlpha, Behind(edit, 120, 20));
        EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(edit, 120, 20), expected, 6))
            << std::hex << WindowPixel(edit, 120, 20) << " expected " << expected;
    }
    EXPECT_NE(WindowPixel(inside, 120, 20), RGB(255, 255, 255));
}

TEST_F(ContainerTest, FillFrameAndContainerAlpha) {
    HWND filled = nullptr, plain = nullptr, framed = nullptr;
    HWND window = Skinned(420, 200, [&](HWND w) {
        filled = CreateChild(w, PlainClass(), "", 0, 20, 50, 100, 80);
        plain = CreateChild(w, PlainClass(), "", 0, 140, 50, 100, 80);
        framed = CreateChild(w, PlainClass(), "", 0, 260, 50, 100, 80);
    });
    TheSkin->SkinContainer(filled, 1, RGB(255, 0, 0), 255);
    TheSkin->SkinContainer(plain);
    TheSkin->SkinContainer(framed, 1, 0, 255, 1);
    Repaint(window);
    EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(filled, 50, 40), RGB(255, 0, 0), 2));
    EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(plain, 50, 40), Behind(plain, 50, 40), 2));
    EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(plain, 0, 40), Behind(plain, 0, 40), 2));
    EXPECT_TRUE(
        testing_support::ColoursNear(WindowPixel(framed, 50, 40), Behind(framed, 50, 40), 2));
    EXPECT_LT(Sum(WindowPixel(framed, 0, 40)), Sum(Behind(framed, 0, 40)) - 8);

    TheSkin->SetContainerAlpha(filled, 64 + 256);
    EXPECT_TRUE(HasPendingPaint(filled));
    Pump(60);
    EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(filled, 50, 40),
                                             Over(RGB(255, 0, 0), 64, Behind(filled, 50, 40)), 3));
    // Without a fill the alpha has nothing to act on: unchanged, and no repaint asked for.
    ValidateRect(plain, nullptr);
    TheSkin->SetContainerAlpha(plain, 64);
    EXPECT_EQ(Record().Containers[1].Alpha, 255);
    EXPECT_FALSE(HasPendingPaint(plain));
    TheSkin->SetContainerAlpha(nullptr, 64); // no container: nothing
}

// A framed panel without a fill is blended again at each size and over each background (a
// docked panel in a live resize): at every size it shows what a panel made at that size shows,
// and a new theme shows through it at once. Neither it nor a container with nothing to draw
// keeps a copy of its picture.
TEST_F(ContainerTest, AFramedPanelFollowsItsSizeAndBackgroundWithNothingKept) {
    HWND framed = nullptr, bare = nullptr;
    HWND window = Skinned(460, 260, [&](HWND w) {
        framed = CreateChild(w, PlainClass(), "", 0, 20, 50, 160, 80);
        bare = CreateChild(w, PlainClass(), "", 0, 300, 50, 120, 80);
    });
    TheSkin->SkinContainer(framed, 1, 0, 255, 1);
    TheSkin->SkinContainer(bare);
    Repaint(window);
    const struct { int w, h; } sizes[] = {{220, 90}, {250, 96}, {120, 60}, {160, 80}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.w << " x " << size.h);
        MoveWindow(framed, 20, 50, size.w, size.h, TRUE);
        Repaint(window);
        HWND fresh = CreateChild(window, PlainClass(), "", 0, 20, 160, size.w, size.h);
        TheSkin->SkinContainer(fresh, 1, 0, 255, 1);
        Repaint(window);
        const Picture shown = GrabClient(framed), made = GrabClient(fresh);
        ASSERT_EQ(shown.width, size.w);
        EXPECT_EQ(CountDifferences(shown, made, 0), 0);
        // The frame at the new edges, the background within.
        EXPECT_LT(Sum(shown.at(size.w - 1, size.h / 2)), Sum(Behind(framed, size.w - 1, 40)) - 8);
        EXPECT_LT(Sum(shown.at(size.w / 2, size.h - 1)), Sum(Behind(framed, 40, size.h - 1)) - 8);
        EXPECT_EQ(shown.at(size.w / 2, size.h / 2), Behind(framed, size.w / 2, size.h / 2));
        DestroyWindow(fresh);
    }
    const COLORREF other = RGB(150, 60, 40);
    TheSkin->SetTheme({}, {}, other);
    Repaint(window);
    EXPECT_EQ(WindowPixel(framed, 80, 40), Behind(framed, 80, 40));
    EXPECT_GT(GetRValue(WindowPixel(framed, 80, 40)), 120) << "the new theme shows inside";
    EXPECT_LT(Sum(WindowPixel(framed, 0, 40)), Sum(Behind(framed, 0, 40)) - 8);
    const Picture bareShown = GrabClient(bare);
    int differing = 0;
    for (int y = 0; y < bareShown.height; ++y)
        for (int x = 0; x < bareShown.width; ++x)
            if (bareShown.at(x, y) != Behind(bare, x, y)) ++differing;
    EXPECT_EQ(differing, 0) << "nothing drawn over the background";
    for (HWND container : {framed, bare})
        for (const skin::ContainerEntry& entry : Record().Containers)
            if (entry.Container == container) {
                EXPECT_TRUE(entry.Kept.Entries.empty());
            }
}

// A framed panel with a fill is drawn through GDI+ and kept: the frame lies over the fill, not
// under it, and the kept picture put back at the same size is the same picture.
TEST_F(ContainerTest, AFramedPanelWithAFillShowsItsFrameOverTheFill) {
    HWND panel = nullptr;
    HWND window = Skinned(
        300, 200, [&](HWND w) { panel = CreateChild(w, PlainClass(), "", 0, 20, 50, 160, 90); });
    TheSkin->SkinContainer(panel, 1, RGB(255, 0, 0), 255, 1);
    Repaint(window);
    const Picture first = GrabClient(panel);
    EXPECT_EQ(first.at(80, 45), RGB(255, 0, 0)) << "the fill within";
    for (const POINT edge : {POINT{0, 45}, POINT{159, 45}, POINT{80, 0}, POINT{80, 89}}) {
        EXPECT_LT(Sum(first.at(edge.x, edge.y)), 255 - 8) << edge.x << ", " << edge.y;
        EXPECT_GT(GetRValue(first.at(edge.x, edge.y)), 150) << "the dark line over red";
    }
    EXPECT_GT(Sum(first.at(1, 45)), 255 + 20) << "the light line inside it";
    Repaint(window);
    EXPECT_EQ(GrabClient(panel).pixels, first.pixels);
    const skin::ContainerEntry& entry = Record().Containers[0];
    ASSERT_EQ(entry.Kept.Entries.size(), 1u);
    EXPECT_EQ(entry.Kept.Entries[0].Picture.size(), std::size_t{160 * 90}) << "kept whole";
}

TEST_F(ContainerTest, DockedWindowsKeepTheirEdgesThroughAHundredResizes) {
    HWND docked = nullptr, holder = nullptr, inner = nullptr;
    HWND window = Skinned(
        400, 300,
        [&](HWND w) {
            docked = CreateChild(w, PlainClass(), "", 0, 0, 0, 10, 10);
            holder = CreateChild(w, PlainClass(), "", 0, 20, 40, 150, 120);
            inner = CreateChild(holder, PlainClass(), "", 0, 0, 0, 5, 5);
        },
        20);
    const auto rectOf = [](HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const auto expectAt = [&](HWND child, int x, int y, int w, int h) {
        const RECT r = rectOf(child);
        EXPECT_EQ(r.left, x);
        EXPECT_EQ(r.top, y);
        EXPECT_EQ(r.right - r.left, w);
        EXPECT_EQ(r.bottom - r.top, h);
    };
    ASSERT_TRUE(TheSkin->DockWindow(window, docked, 30));
    expectAt(docked, 2, 30, 396, 247);
    ASSERT_EQ(TheSkin->SkinContainer(holder), 1);
    ASSERT_TRUE(TheSkin->DockWindow(holder, inner, 10));
    expectAt(inner, 2, 10, 146, 110);
    EXPECT_FALSE(TheSkin->DockWindow(docked, inner, 10)) << "neither skinned nor a container";
    EXPECT_FALSE(TheSkin->DockWindow(window, nullptr, 10));

    for (int i = 1; i <= 100; ++i) {
        const int w = 300 + (i * 37) % 300, h = 200 + (i * 53) % 250;
        SetWindowPos(window, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(holder, nullptr, 0, 0, 100 + i, 60 + i, SWP_NOMOVE | SWP_NOZORDER);
        const RECT r = rectOf(docked);
        const RECT in = rectOf(inner);
        if (r.left != 2 || r.top != 30 || r.right != w - 2 || r.bottom != h - 23 || in.left != 2 ||
            in.top != 10 || in.right != 100 + i - 2 || in.bottom != 60 + i) {
            ADD_FAILURE() << "resize " << i << " to " << w << " x " << h;
            break;
        }
    }
    // Docking again changes the offset instead of adding the window twice.
    ASSERT_TRUE(TheSkin->DockWindow(window, docked, 50));
    EXPECT_EQ(Record().DockedWindows.size(), 1u);
    EXPECT_EQ(rectOf(docked).top, 50);
    TheSkin->LayoutDockedWindows(0); // no window there: nothing
}

TEST_F(ContainerTest, TextColourGoesToTheEditOrTheComboBoxField) {
    HWND edit = nullptr, combo = nullptr, list = nullptr;
    Skinned(400, 200, [&](HWND w) {
        edit = CreateChild(w, "EDIT", "", 0, 20, 50, 100, 24);
        combo = CreateChild(w, "COMBOBOX", "", CBS_DROPDOWN, 140, 50, 100, 120);
        list = CreateChild(w, "COMBOBOX", "", CBS_DROPDOWNLIST, 260, 50, 100, 120);
    });
    HWND field = FindWindowExA(combo, nullptr, "Edit", nullptr);
    ASSERT_NE(field, nullptr);
    TheSkin->SetControlTextColour(edit, RGB(1, 2, 3));
    TheSkin->SetControlTextColour(combo, RGB(4, 5, 6));
    TheSkin->SetControlTextColour(list, RGB(7, 8, 9));
    TheSkin->SetControlTextColour(nullptr, RGB(7, 8, 9));
    EXPECT_EQ(skin::TextColourOf(edit), RGB(1, 2, 3));
    EXPECT_EQ(skin::TextColourOf(field), RGB(4, 5, 6));
    EXPECT_EQ(skin::TextColourOf(combo), 0u) << "the combo box itself keeps none";
    EXPECT_EQ(GetPropA(list, "Kj_Ztys"), nullptr) << "a list-only combo box has no field";
}

TEST_F(ContainerTest, UndecodableOwnPictureIsRefusedAndTheThemeShows) {
    HWND window = TopLevel(30, 30, 300, 200);
    const skin::ByteSet junk = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    TheSkin->SkinWindow(window, 30, 1, 1, 0, 0, 1, 0, 0, std::nullopt, junk, skin::kImageTiled);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    Pump();
    skin::WindowRecord* record = skin::RecordAt(skin::FindWindowPosition(window));
    ASSERT_NE(record, nullptr) << "the window is skinned all the same";
    EXPECT_TRUE(record->OwnImage.empty());
    EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(window, 150, 120), kTheme, 4));

    // A picture that decodes still becomes the window's own.
    plus::PlusBitmap bitmap;
    bitmap.Create(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            bitmap.SetPixel(x, y, 0xFF20C040u);
    HWND other = TopLevel(40, 40, 300, 200);
    TheSkin->SkinWindow(other, 30, 1, 1, 0, 0, 1, 0, 0, std::nullopt,
                        bitmap.SaveToBytes(plus::ImageFormatPNG), skin::kImageTiled);
    ShowWindow(other, SW_SHOWNOACTIVATE);
    UpdateWindow(other);
    Pump();
    EXPECT_FALSE(skin::RecordAt(skin::FindWindowPosition(other))->OwnImage.empty());
    EXPECT_TRUE(
        testing_support::ColoursNear(WindowPixel(other, 150, 120), RGB(0x20, 0xC0, 0x40), 4));
}

namespace {

struct CommonControls {
    HWND tabs, toolbar, status, calendar, richEdit;
};

// A tab control with the tabs "一" and "二" at (20, 50), 200 wide.
HWND TwoTabs(HWND parent, int height) {
    HWND tabs = CreateChild(parent, WC_TABCONTROLA, "", 0, 20, 50, 200, height);
    for (const char* title : {"一", "二"}) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(title);
        SendMessageA(tabs, TCM_INSERTITEMA, 5, reinterpret_cast<LPARAM>(&item));
    }
    return tabs;
}

CommonControls MakeCommonControls(HWND w) {
    static const HMODULE richEdit = LoadLibraryA("riched20.dll");
    (void)richEdit;
    CommonControls c{};
    c.tabs = TwoTabs(w, 110);
    c.toolbar =
        CreateChild(w, TOOLBARCLASSNAMEA, "",
                    TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER,
                    240, 50, 160, 28);
    SendMessageA(c.toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON button{};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = 77;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    button.iString = reinterpret_cast<INT_PTR>("按钮");
    SendMessageA(c.toolbar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    c.status = CreateChild(w, STATUSCLASSNAMEA, "状态", CCS_NOPARENTALIGN | CCS_NORESIZE, 240, 90,
                           160, 22);
    c.calendar = CreateChild(w, MONTHCAL_CLASSA, "", 0, 20, 170, 200, 160);
    c.richEdit =
        CreateChild(w, RICHEDIT_CLASSA, "文字", ES_MULTILINE | WS_VSCROLL, 240, 130, 160, 60);
    return c;
}

} // namespace

TEST_F(ContainerTest, CommonControlsLeaveNoSystemColourOverTheSkin) {
    CommonControls c{};
    HWND window = Skinned(420, 350, [&](HWND w) { c = MakeCommonControls(w); });
    const COLORREF face = GetSysColor(COLOR_BTNFACE), paper = GetSysColor(COLOR_WINDOW);
    struct Case {
        HWND control;
        COLORREF key;
        const char* name;
    };
    const Case cases[] = {{c.tabs, face, "tab"},
                          {c.toolbar, face, "tool bar"},
                          {c.status, face, "status bar"},
                          {c.calendar, paper, "calendar"},
                          {c.richEdit, paper, "rich edit"}};
    // (The tool bar has no background of its own here: it shows its parent's.)
    for (const Case& k : cases) {
        if (k.control != c.toolbar) {
            EXPECT_GT(CountColour(k.control, k.key), 200) << k.name << " before";
        }
    }

    ValidateRect(c.tabs, nullptr);
    EXPECT_EQ(TheSkin->SkinCommonControl(c.tabs), 0);
    EXPECT_TRUE(HasPendingPaint(c.tabs)) << "drawn over the skin at once";
    EXPECT_EQ(TheSkin->SkinCommonControl(c.toolbar, face), 0);
    TheSkin->SkinCommonControl(c.status);
    TheSkin->SkinCommonControl(c.calendar, paper);
    TheSkin->SkinCommonControl(c.richEdit, paper);
    skin::WindowRecord& r = Record();
    ASSERT_EQ(r.CommonControls.size(), 5u) << "the empty first entry was taken, then appended";
    EXPECT_EQ(r.CommonControls[0].Control, c.tabs);
    EXPECT_EQ(r.CommonControls[0].KeyColour, face) << "no key given: the face colour";
    EXPECT_EQ(r.CommonControls[3].KeyColour, paper);
    EXPECT_EQ(skin::GetPropValue(c.toolbar, "Kj_lbID"), 2);
    EXPECT_EQ(skin::GetPropValue(c.toolbar, "Kj_FuID"), position_);
    // Once more: the key changes, nothing is subclassed twice.
    TheSkin->SkinCommonControl(c.tabs, face);
    EXPECT_EQ(r.CommonControls.size(), 5u);
    SendMessageA(c.tabs, WM_NULL, 0, 0); // a pass-on that would recurse if subclassed twice

    Repaint(window);
    for (const Case& k : cases)
        EXPECT_LT(CountColour(k.control, k.key), 5) << k.name << " after";
    // What the controls drew themselves (text, edges) lies over the wash.
    for (HWND control : {c.tabs, c.status}) {
        const Picture shown = GrabClient(control);
        int drawn = 0;
        for (int y = 0; y < shown.height; ++y)
            for (int x = 0; x < shown.width; ++x) {
                const COLORREF wash =
                    Over(RGB(255, 255, 255), Engine.ControlAlpha, Behind(control, x, y));
                if (!testing_support::ColoursNear(shown.at(x, y), wash, 40)) ++drawn;
            }
        EXPECT_GT(drawn, 40) << skin::ClassNameOf(control);
    }
    // Nothing to skin: no window, or no skinned window above it.
    EXPECT_EQ(TheSkin->SkinCommonControl(nullptr), 0);
    HWND loose = Keep(CreateTopLevel(0, 0, 80, 60));
    HWND looseTabs = CreateChild(loose, WC_TABCONTROLA, "", 0, 0, 0, 60, 40);
    EXPECT_EQ(TheSkin->SkinCommonControl(looseTabs), 0);
    EXPECT_EQ(GetPropA(looseTabs, "Kj_hProc"), nullptr);
    EXPECT_EQ(r.CommonControls.size(), 5u);

    // The face of the tab that is not selected shows the washed skin.
    RECT item{};
    SendMessageA(c.tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    const int x = item.left + 4, y = item.top + 5;
    const COLORREF expected = Over(RGB(255, 255, 255), Engine.ControlAlpha, Behind(c.tabs, x, y));
    EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(c.tabs, x, y), expected, 6))
        << std::hex << WindowPixel(c.tabs, x, y) << " expected " << expected;

    // With control skins off at paint time the control paints as its own.
    Engine.ControlSkinsEnabled = 0;
    Repaint(window);
    EXPECT_GT(CountColour(c.tabs, face), 200);
    Engine.ControlSkinsEnabled = 1;
}

TEST_F(ContainerTest, CommonControlMessagesErasingScrollingAndClicks) {
    CommonControls c{};
    Skinned(420, 350, [&](HWND w) { c = MakeCommonControls(w); });
    // What the tab control's own erase leaves in a magenta picture, before it is skinned.
    const auto eraseInto = [&](HWND control) {
        gdi::MemoryDC dc = gdi::MemoryDC::Create();
        dc.Adopt(gdi::CreateArgbBitmap(200, 110));
        FillDC(dc.get(), RECT{0, 0, 200, 110}, RGB(255, 0, 255));
        const LRESULT result =
            SendMessageA(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
        return std::tuple{result, GrabDC(dc.get(), 200, 110), GetBkMode(dc.get())};
    };
    const auto [ownResult, own, ownMode] = eraseInto(c.tabs);
    TheSkin->SkinCommonControl(c.tabs);
    TheSkin->SkinCommonControl(c.richEdit, GetSysColor(COLOR_WINDOW));

    const auto [passedResult, passed, passedMode] = eraseInto(c.tabs);
    EXPECT_EQ(passedResult, ownResult) << "opaque controls: the control's own erase";
    EXPECT_EQ(CountDifferences(passed, own, 0), 0);
    Engine.TranslucentControls = 1;
    const auto [kept, untouched, mode] = eraseInto(c.tabs);
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(untouched.at(100, 60), RGB(255, 0, 255)) << "nothing erased";
    EXPECT_EQ(mode, TRANSPARENT);
    (void)ownMode;
    (void)passedMode;
    Engine.TranslucentControls = 0;

    // A rich edit draws itself again after it scrolls; a tab control does not need to.
    Pump(30);
    for (HWND control : {c.richEdit, c.tabs}) {
        RECT client{};
        GetClientRect(control, &client);
        {
            gdi::WindowDC dc(control);
            FillDC(dc.get(), client, RGB(255, 0, 255));
        }
        ValidateRect(control, nullptr);
        SendMessageA(control, WM_VSCROLL, SB_LINEDOWN, 0);
        Pump(60);
        const int left = CountColour(control, RGB(255, 0, 255));
        if (control == c.richEdit) {
            EXPECT_EQ(left, 0) << "the rich edit drew itself whole again";
        } else {
            EXPECT_EQ(left, client.right * client.bottom) << "the tab control was left alone";
        }
    }

    // Still the controls they were: a click on the second tab selects it, typing reaches the
    // rich edit.
    RECT item{};
    SendMessageA(c.tabs, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(c.tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(c.tabs, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(SendMessageA(c.tabs, TCM_GETCURSEL, 0, 0), 1);
    SendMessageA(c.richEdit, EM_SETSEL, 0, -1);
    for (char ch : std::string("abc"))
        SendMessageA(c.richEdit, WM_CHAR, static_cast<unsigned char>(ch), 1);
    char text[16] = {};
    GetWindowTextA(c.richEdit, text, sizeof text);
    EXPECT_STREQ(text, "abc");

    // Once the window's record is gone the controls' messages go on to their own procedures.
    skin::RemoveWindowRecord(Record().Window);
    EXPECT_EQ(SendMessageA(c.tabs, TCM_GETCURSEL, 0, 0), 1);
    UpdateWindow(c.tabs);
}

namespace {

// A status bar of three parts with text in each, a size grip, and no layout of its own.
HWND ThreePartStatusBar(HWND parent, int x, int y, int w) {
    HWND bar = CreateChild(parent, STATUSCLASSNAMEA, "",
                           SBARS_SIZEGRIP | CCS_NOPARENTALIGN | CCS_NORESIZE, x, y, w, 24);
    const int parts[] = {90, 180, -1};
    SendMessageA(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
    const char* texts[] = {"一栏文字", "二栏", "三栏：伸缩"};
    for (int i = 0; i < 3; ++i)
        SendMessageA(bar, SB_SETTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(texts[i]));
    return bar;
}

} // namespace

// A skinned status bar asked to paint part of itself (as a live resize asks for the strip a
// growth uncovers) shows there what a whole repaint shows, and leaves the rest of its face alone.
TEST_F(ContainerTest, AStatusBarPaintsTheAskedPartAsAWholeRepaintDoes) {
    HWND bar = nullptr;
    HWND window = Skinned(420, 200, [&](HWND w) { bar = ThreePartStatusBar(w, 20, 80, 360); });
    TheSkin->SkinCommonControl(bar);
    Repaint(window);
    const Picture whole = GrabClient(bar);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ASSERT_LT(std::count(whole.pixels.begin(), whole.pixels.end(), face), 5) << "skinned";
    const struct {
        RECT part;
        bool holdsText; // what the bar drew lies in it, not only the wash
        const char* name;
    } cases[] = {
        {{100, 3, 160, 21}, true, "the second part's text, from inside the bar"},
        {{190, 5, 250, 24}, true, "the third part's text, to the bottom edge"},
        {{357, 0, 360, 24}, false, "a strip at the right edge, as a growth uncovers"},
        {{0, 20, 360, 24}, false, "a strip along the bottom"},
        {{300, 6, 356, 24}, false, "the size grip"},
    };
    constexpr COLORREF kMarker = RGB(255, 0, 255);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            gdi::WindowDC dc(bar);
            FillDC(dc.get(), RECT{0, 0, whole.width, whole.height}, kMarker);
        }
        ValidateRect(bar, nullptr);
        RedrawWindow(bar, &c.part, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const Picture shown = GrabClient(bar);
        int inside = 0, drawnInside = 0, wrongInside = 0, touchedOutside = 0;
        for (int y = 0; y < shown.height; ++y)
            for (int x = 0; x < shown.width; ++x) {
                const COLORREF got = shown.at(x, y), want = whole.at(x, y);
                if (x >= c.part.left && x < c.part.right && y >= c.part.top && y < c.part.bottom) {
                    ++inside;
                    if (got != want) ++wrongInside;
                    const COLORREF wash =
                        Over(RGB(255, 255, 255), Engine.ControlAlpha, Behind(bar, x, y));
                    if (!testing_support::ColoursNear(want, wash, 40)) ++drawnInside;
                } else if (got != kMarker) {
                    ++touchedOutside;
                }
            }
        EXPECT_EQ(wrongInside, 0) << "of " << inside;
        EXPECT_EQ(touchedOutside, 0);
        if (c.holdsText) {
            EXPECT_GT(drawnInside, 10) << "the bar's own drawing, not only the wash";
        }
    }
}

// A status bar made wider and then narrower shows, at each width, what a bar made at that width
// shows over the same background, its edges and grip at its new right side.
TEST_F(ContainerTest, AStatusBarResizedWiderThenNarrowerShowsItsNewWidth) {
    HWND bar = nullptr, fresh = nullptr;
    HWND window = Skinned(460, 220, [&](HWND w) { bar = ThreePartStatusBar(w, 20, 60, 300); });
    TheSkin->SkinCommonControl(bar);
    Repaint(window);
    for (const int width : {380, 420, 240, 300}) {
        SCOPED_TRACE(width);
        MoveWindow(bar, 20, 60, width, 24, TRUE);
        Repaint(window);
        fresh = ThreePartStatusBar(window, 20, 120, width);
        TheSkin->SkinCommonControl(fresh);
        Repaint(window);
        const Picture shown = GrabClient(bar), made = GrabClient(fresh);
        ASSERT_EQ(shown.width, width);
        EXPECT_EQ(CountDifferences(shown, made, 0), 0);
        DestroyWindow(fresh);
    }
}

namespace {

struct Holders {
    HWND tabs, pages[2], box, panel, status;
};

// Every kind of container and common control, registered as a program would.
Holders BuildHolders(HWND w) {
    Holders h{};
    h.tabs = TwoTabs(w, 140);
    for (int i = 0; i < 2; ++i) {
        h.pages[i] = CreateChild(h.tabs, PlainClass(), "", 0, 4, 26, 190, 108);
        CreateChild(h.pages[i], "EDIT", "页", 0, 10, 10, 120, 24);
        CreateChild(h.pages[i], "BUTTON", "选", BS_AUTOCHECKBOX, 10, 50, 80, 20);
    }
    ShowWindow(h.pages[1], SW_HIDE);
    h.box = CreateChild(w, "BUTTON", "组", BS_GROUPBOX, 240, 50, 160, 100);
    CreateChild(h.box, "BUTTON", "按", BS_PUSHBUTTON, 10, 30, 60, 26);
    CreateChild(h.box, PROGRESS_CLASSA, "", 0, 10, 66, 130, 14);
    h.panel = CreateChild(w, PlainClass(), "", 0, 0, 0, 10, 10);
    h.status = CreateChild(h.panel, STATUSCLASSNAMEA, "状态", 0, 0, 0, 0, 0);
    return h;
}

void RegisterHolders(const Holders& h, HWND window) {
    TheSkin->SkinCommonControl(h.tabs);
    for (HWND page : h.pages)
        TheSkin->SkinContainer(page, 1, RGB(255, 255, 255), 160);
    TheSkin->SkinContainer(h.box);
    TheSkin->SkinContainer(h.panel, 1, 0, 255, 1);
    TheSkin->SkinCommonControl(h.status);
    TheSkin->DockWindow(window, h.panel, 220);
}

// One tab switch, one resize and one repaint of everything.
void HolderCycle(const Holders& h, HWND window, int i) {
    const int page = i % 2;
    SendMessageA(h.tabs, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
    ShowWindow(h.pages[page], SW_SHOWNA);
    ShowWindow(h.pages[1 - page], SW_HIDE);
    SetWindowPos(window, nullptr, 0, 0, 420 + (i % 7) * 10, 330 + (i % 5) * 8,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

} // namespace

TEST_F(ContainerTest, TabSwitchesResizesAndRepaintsLeaveNothingBehind) {
    // One window through everything first, so what the system makes once is not counted.
    {
        HWND window = TopLevel(20, 20, 420, 330);
        const Holders h = BuildHolders(window);
        SkinAndShow(window, 30, 1, 20);
        RegisterHolders(h, window);
        for (int i = 0; i < 20; ++i)
            HolderCycle(h, window, i);
        WhileAnotherWindowIsActive(window, [&] {
            for (int i = 0; i < 4; ++i)
                HolderCycle(h, window, i);
        });
        DestroyWindow(window);
        Pump(50);
    }
    const Leftovers before;

    HWND window = TopLevel(20, 20, 420, 330);
    const Holders h = BuildHolders(window);
    const int p = SkinAndShow(window, 30, 1, 20);
    RegisterHolders(h, window);
    ASSERT_EQ(skin::RecordAt(p)->Containers.size(), 5u) << "tab, two pages, group box, panel";
    ASSERT_EQ(skin::RecordAt(p)->CommonControls.size(), 2u);
    for (int i = 0; i < 4; ++i)
        HolderCycle(h, window, i);
    Pump(50);
    const int gdiWhileSkinned = testing_support::GdiObjectCount();
    const int wrappersWhileSkinned = plus::LiveObjectCount();
    // Seventy cycles meet every page with every one of the 35 sizes once: a leak on any tab
    // switch, resize or repaint shows in the count.
    constexpr int kCycles = 70;
    for (int i = 0; i < kCycles; ++i)
        HolderCycle(h, window, i);
    Pump(50);
    EXPECT_EQ(testing_support::GdiObjectCount(), gdiWhileSkinned)
        << "nothing piles up while the window lives";
    EXPECT_EQ(plus::LiveObjectCount(), wrappersWhileSkinned);
    EXPECT_EQ(skin::CapturedDCCount(), 0);
    RECT panel{};
    GetWindowRect(h.panel, &panel);
    EXPECT_EQ(panel.right - panel.left, 420 + ((kCycles - 1) % 7) * 10 - 4) << "the panel followed";

    DestroyWindow(window);
    Pump(50);
    before.ExpectBack();
}

TEST_F(ContainerTest, TranslucentControlsInsideAContainerRepaintAfterTheirChangeNotifications) {
    Engine.TranslucentControls = 1;
    HWND box = nullptr, edit = nullptr, list = nullptr, combo = nullptr, label = nullptr;
    HWND see = nullptr;
    Skinned(420, 260, [&](HWND w) {
        box = CreateChild(w, "BUTTON", "组", BS_GROUPBOX, 10, 40, 400, 200);
        edit = CreateChild(box, "EDIT", "", 0, 10, 20, 100, 24);
        list = CreateChild(box, "LISTBOX", "", 0, 10, 50, 100, 60);
        combo = CreateChild(box, "COMBOBOX", "", CBS_DROPDOWNLIST, 120, 20, 100, 100);
        label = CreateChild(box, "STATIC", "字", 0, 120, 60, 60, 20);
        see = CreateChild(box, PlainClass(), "", 0, 250, 20, 60, 60);
        SetWindowLongA(see, GWL_EXSTYLE, WS_EX_TRANSPARENT);
    });
    TheSkin->SkinContainer(box);
    Pump(60);
    struct Case {
        HWND control;
        int code;
        bool repaints;
    };
    const Case cases[] = {
        {edit, EN_CHANGE, true},      {edit, EN_VSCROLL, true},  {edit, EN_SETFOCUS, false},
        {list, LBN_SELCHANGE, true},  {list, LBN_DBLCLK, false}, {combo, CBN_SELCHANGE, true},
        {combo, CBN_DROPDOWN, false}, {label, 1, false},         {label, EN_CHANGE, false},
        {combo, CBN_KILLFOCUS, true},
    };
    const auto notify = [&](const Case& k) {
        ValidateRect(k.control, nullptr);
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(0, k.code), reinterpret_cast<LPARAM>(k.control));
        const bool pending = HasPendingPaint(k.control);
        ValidateRect(k.control, nullptr);
        return pending;
    };
    for (const Case& k : cases)
        EXPECT_EQ(notify(k), k.repaints) << skin::ClassNameOf(k.control) << " " << k.code;
    Engine.TranslucentControls = 0;
    for (const Case& k : cases)
        EXPECT_FALSE(notify(k)) << "opaque: " << skin::ClassNameOf(k.control) << " " << k.code;

    // A repaint of the container after its first one draws the children that let it show
    // through again.
    Pump(60);
    ValidateRect(see, nullptr);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_NOCHILDREN);
    ASSERT_EQ(Record().Containers[0].Repaint, 0);
    SendMessageA(box, WM_PAINT, 0, 0); // (UpdateWindow would paint the child at once)
    EXPECT_TRUE(HasPendingPaint(see));
}

// A group box at its owner's DPI: the program's 12-pixel font (set at 96 dpi) drawn twice as
// large at 192, the caption twice as far from the right edge (10 pixels at 96 dpi), the top
// frame lines at rows 5 and 6 scaled (10 and 12), so rows 5 and 6, dark and light at 96, are
// the skin's at 192.
TEST_F(ContainerTest, AGroupBoxFollowsItsOwnersDpi) {
    const gdi::Font font(
        CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "宋体"));
    HWND box = nullptr;
    HWND window = Skinned(460, 300, [&](HWND w) {
        box = CreateChild(w, "BUTTON", "分组框", BS_GROUPBOX | BS_RIGHT, 20, 50, 300, 200);
        SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    });
    ASSERT_EQ(TheSkin->SkinContainer(box), 1);
    const auto inkRows = [&] {
        const Picture p = GrabClient(box);
        int rows = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < p.width; ++x)
                if (Sum(p.at(x, y)) < Sum(kTheme) - 120) {
                    ++rows;
                    break;
                }
        return rows;
    };
    Repaint(window);
    const auto [first96, last96] = InkColumns(box);
    const int rows96 = inkRows();
    const COLORREF behind = Behind(box, 150, 100);
    ASSERT_GE(first96, 0);
    EXPECT_GT(Sum(WindowPixel(box, 40, 6)), Sum(behind) + 10); // the light inner line
    EXPECT_LT(Sum(WindowPixel(box, 40, 5)), Sum(behind) - 4);  // the dark outer one

    Record().Dpi = 192;
    Repaint(window);
    const auto [first, last] = InkColumns(box);
    EXPECT_NEAR(last - first, 2 * (last96 - first96), 4);
    EXPECT_NEAR(300 - last, 2 * (300 - last96), 4);
    EXPECT_NEAR(inkRows(), 2 * rows96, 3);
    EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(box, 40, 6), behind, 3));
    EXPECT_TRUE(testing_support::ColoursNear(WindowPixel(box, 40, 5), behind, 3));
    EXPECT_GT(Sum(WindowPixel(box, 40, 12)), Sum(behind) + 10);
    EXPECT_LT(Sum(WindowPixel(box, 40, 10)), Sum(behind) - 4);

    // A new font from the program is taken as made for the DPI it comes at.
    const gdi::Font larger(
        CreateFontA(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "宋体"));
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(larger.get()), TRUE);
    const skin::ContainerEntry& entry = Record().Containers[0];
    EXPECT_EQ(entry.FontSize, 30);
    EXPECT_EQ(entry.FontDpi, 192u);
    EXPECT_EQ(entry.Repaint, 1);
    DestroyWindow(window);
}
