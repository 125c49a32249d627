// Every entry of the skin engine's table of operations reaches its routine when called the way
// another program calls it: through a thunk made for that entry, on a skinned window, with an
// effect read back for each.
#include "skinned_window_fixture.h"

#include "plus/plus_graphics.h"
#include "plus/plus_image.h"
#include "skin/controls/framework.h"

#include <commctrl.h>

#include <utility>

using namespace toplevel_testing;
using skin::Engine;
using skin::SkinEngine;
using skin::TheSkin;

#if defined(_WIN64)
namespace {

template <typename F> struct PlainFunction;
template <typename R, typename... A> struct PlainFunction<R(WINAPI*)(SkinEngine* const*, A...)> {
    using Type = R (*)(A...);
    static constexpr int kArguments = sizeof...(A);
};

// A callable that calls entry `slot` of `engine`'s table through a thunk made for it, with the
// operation's own parameter types.
template <auto Member> auto Via(int slot, const SkinEngine& engine = *TheSkin) {
    using Target = PlainFunction<decltype(&skin::OperationThunkTarget<Member>::Call)>;
    EXPECT_EQ(reinterpret_cast<skin::OperationEntry>(&skin::OperationThunkTarget<Member>::Call),
              skin::SkinEngineOperations[static_cast<size_t>(slot)])
        << "slot " << slot << " holds another routine";
    auto thunk =
        std::make_shared<skin::MethodThunk>(engine.MakeThunk(slot + 1, Target::kArguments));
    EXPECT_FALSE(thunk->Empty()) << "slot " << slot;
    return [thunk](auto&&... arguments) {
        return reinterpret_cast<typename Target::Type>(thunk->Address())(
            std::forward<decltype(arguments)>(arguments)...);
    };
}

skin::ByteSet Png(plus::ARGB colour, int size = 12) {
    plus::PlusBitmap bitmap;
    bitmap.Create(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            bitmap.SetPixel(x, y, colour);
    return bitmap.SaveToBytes(plus::ImageFormatPNG);
}

// A picture to paint on, and a graphics over it.
struct Canvas {
    gdi::MemoryDC dc = gdi::MemoryDC::Create();
    plus::PlusGraphics g;
    Canvas(int w, int h) {
        dc.Adopt(gdi::CreateArgbBitmap(w, h));
        FillDC(dc.get(), RECT{0, 0, w, h}, RGB(255, 0, 255));
        g.CreateFromHDC(dc.get());
    }
    Picture Shot(int w, int h) {
        g.Flush();
        return GrabDC(dc.get(), w, h);
    }
};

} // namespace

TEST_F(SkinnedWindowTest, EveryOperationSlotReachesItsRoutineThroughAThunk) {
    const COLORREF savedTheme = Engine.ThemeColour;
    HWND window = TopLevel(20, 20, 400, 300);
    HWND edit = CreateChild(window, "EDIT", "", 0, 20, 60, 120, 24);
    HWND button = CreateChild(window, "BUTTON", "一", BS_PUSHBUTTON, 20, 100, 60, 30);
    HWND strip = CreateChild(window, "BUTTON", "", BS_PUSHBUTTON, 100, 100, 30, 30);
    HWND panel = CreateChild(window, PlainClass(), "", 0, 160, 60, 100, 60);
    HWND tabs = CreateChild(window, WC_TABCONTROLA, "", 0, 280, 60, 100, 60);

    // 4 SkinWindow, 2 WindowProc
    Via<&SkinEngine::SkinWindow>(4)(window, 30, 1, 1, 0, 0, 1, 0, 20, std::nullopt, skin::ByteSet{},
                                    std::nullopt);
    const int p = skin::FindWindowPosition(window);
    ASSERT_GE(p, 1);
    skin::WindowRecord& r = *skin::RecordAt(p);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    Pump();
    EXPECT_EQ(Via<&SkinEngine::WindowProc>(2)(window, WM_GETTEXTLENGTH, 0, 0), 11);

    // 8 SetTheme, 40 GetThemeColour, 9 SetControlOptions
    Via<&SkinEngine::SetTheme>(8)(std::string(), skin::ByteSet{}, RGB(10, 20, 30), std::nullopt,
                                  std::nullopt);
    EXPECT_EQ(Via<&SkinEngine::GetThemeColour>(40)(), RGB(10, 20, 30));
    Via<&SkinEngine::SetControlOptions>(9)(1, 99, 0);
    EXPECT_EQ(Engine.TranslucentControls, 1);
    EXPECT_EQ(Engine.ControlAlpha, 99);
    EXPECT_EQ(Engine.TrackBarFrame, 0);
    Via<&SkinEngine::SetControlOptions>(9)(1, std::nullopt, 1);
    EXPECT_EQ(Engine.TranslucentControls, 0);

    // 5 AddCaptionButton, 3 CaptionButtonAction, 24/25 handlers, 21 FindMaximizeButton,
    // 20 HitTestCaptionButton, 19 LayoutCaptionButtons, 36 GetCaptionButtonsRect
    int clicks = 0;
    EXPECT_TRUE(Via<&SkinEngine::AddCaptionButton>(5)(window, Png(0xFF00FF00u), std::string("加"),
                                                      skin::CaptionRoutine([&] { ++clicks; })));
    Via<&SkinEngine::CaptionButtonAction>(3)(p, 1);
    EXPECT_EQ(clicks, 1);
    Via<&SkinEngine::SetHandlerA>(24)(window, skin::CaptionRoutine([&] { clicks += 10; }));
    Via<&SkinEngine::SetHandlerB>(25)(window, skin::CaptionRoutine([&] { clicks += 100; }));
    r.HandlerA();
    r.HandlerB();
    EXPECT_EQ(clicks, 111);
    const int maximize = Via<&SkinEngine::FindMaximizeButton>(21)(p);
    ASSERT_GE(maximize, 1);
    EXPECT_EQ(r.CaptionButtons[static_cast<size_t>(maximize - 1)].Kind, skin::kMaximizeButton);
    const plus::RectF b = r.CaptionButtons[0].Rect;
    const auto hit = Via<&SkinEngine::HitTestCaptionButton>(20);
    EXPECT_EQ(hit(p, static_cast<int>(b.x + b.width / 2), static_cast<int>(b.y + b.height / 2)), 1);
    EXPECT_EQ(hit(p, 5, 150), 0);
    const int left = r.ButtonsLeft;
    r.ButtonsLeft = 0;
    Via<&SkinEngine::LayoutCaptionButtons>(19)(p);
    EXPECT_EQ(r.ButtonsLeft, left);
    // A rectangle comes back through a hidden pointer, which a thunk would put in the wrong
    // place; this entry is called as it stands.
    using RectEntry = RECT(WINAPI*)(SkinEngine* const*, HWND);
    const auto rectEntry = reinterpret_cast<RectEntry>(skin::SkinEngineOperations[36]);
    SkinEngine* self = TheSkin.get();
    const RECT row = rectEntry(&self, window);
    EXPECT_EQ(row.left, r.ButtonsLeft);
    EXPECT_EQ(row.right, r.ButtonsLeft + r.CaptionButtonsWidth);

    // 23 UpdateFrameCursor (the left edge), 22 BeginFrameDrag (on the button row: nothing)
    Via<&SkinEngine::UpdateFrameCursor>(23)(p, MAKELPARAM(1, 150));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZEWE)));
    Via<&SkinEngine::BeginFrameDrag>(22)(
        p, MAKELPARAM(static_cast<int>(b.x) + 2, static_cast<int>(b.y) + 2));
    EXPECT_EQ(r.BackgroundStale, 0);

    // 10 RebuildBackground, 11 ShowBackBuffer, 15/16 restoring the strips
    r.BackgroundStale = 1;
    Via<&SkinEngine::RebuildBackground>(10)(p, std::nullopt);
    EXPECT_EQ(r.BackgroundStale, 0);
    EXPECT_EQ(GetPixel(BackBufferOf(p), 200, 200), RGB(10, 20, 30));
    FillWholeWindow(window, RGB(255, 0, 255));
    Via<&SkinEngine::ShowBackBuffer>(11)(p, GetDC(window));
    EXPECT_EQ(WindowPixel(window, 200, 200), RGB(10, 20, 30));
    const RECT captionPart{100, 5, 140, 20}, statusPart{100, 285, 140, 295};
    FillDC(BackBufferOf(p), captionPart, RGB(255, 0, 255));
    FillDC(BackBufferOf(p), statusPart, RGB(255, 0, 255));
    Via<&SkinEngine::RestoreCaptionRect>(15)(p, captionPart);
    Via<&SkinEngine::RestoreStatusRect>(16)(p, statusPart);
    EXPECT_NE(GetPixel(BackBufferOf(p), 120, 10), RGB(255, 0, 255));
    EXPECT_NE(GetPixel(BackBufferOf(p), 120, 290), RGB(255, 0, 255));

    // 12-14, 17, 18, 26, 29: painters on a picture of their own
    {
        Canvas c(400, 300);
        Via<&SkinEngine::PaintBackground>(12)(p, c.g);
        Via<&SkinEngine::PaintBorder>(13)(p, c.g);
        const Picture painted = c.Shot(400, 300);
        EXPECT_EQ(painted.at(200, 200), RGB(10, 20, 30));
        EXPECT_NE(painted.at(0, 150), RGB(10, 20, 30)) << "the border";
        Via<&SkinEngine::PaintCaptionButtonSeparators>(14)(p, 1, c.g);
        Via<&SkinEngine::PaintCaptionButtonState>(18)(c.g, p, 1, 240);
        Via<&SkinEngine::PaintCaptionButton>(17)(p, 2, &c.g, true, 0);
        Via<&SkinEngine::PaintTitle>(26)(p, &c.g, std::string("标题"));
        Via<&SkinEngine::PaintStatusPane>(29)(p, &c.g, 1);
        EXPECT_GT(CountDifferences(c.Shot(400, 300), painted), 200);
    }

    // 27 CreateStatusBar, 28 LayoutStatusBar, 30 SetStatusPane, 31 SetStatusStyle, 6 SetTitleStyle
    Via<&SkinEngine::CreateStatusBar>(27)(p, 24, std::vector<skin::StatusPane>(2));
    EXPECT_EQ(r.StatusHeight, 24);
    EXPECT_EQ(r.StatusPanes.size(), 2u);
    r.StatusRect = {};
    Via<&SkinEngine::LayoutStatusBar>(28)(p);
    EXPECT_EQ(r.StatusRect.height, 24);
    EXPECT_TRUE(Via<&SkinEngine::SetStatusPane>(30)(window, 2, std::string("第二"), std::nullopt,
                                                    std::nullopt));
    EXPECT_EQ(r.StatusPanes[1].Text, "第二");
    EXPECT_TRUE(Via<&SkinEngine::SetStatusStyle>(31)(window, 0, 1, RGB(1, 2, 3), std::nullopt,
                                                     std::nullopt, 14));
    EXPECT_EQ(r.StatusGlow, 1);
    EXPECT_EQ(r.StatusFontSize, 14);
    EXPECT_TRUE(Via<&SkinEngine::SetTitleStyle>(6)(window, std::nullopt, 16, std::nullopt,
                                                   std::nullopt, 0));
    EXPECT_EQ(r.TitleFontSize, 16);
    EXPECT_EQ(r.TitleBold, 0);

    // 7 SetWindowBackground, 41 SetSystemButtonImages, 32/33 image buttons
    EXPECT_TRUE(Via<&SkinEngine::SetWindowBackground>(7)(window, Png(0xFF204060u), std::nullopt));
    EXPECT_EQ(r.OwnColour & 0x00FFFFFF, RGB(0x20, 0x40, 0x60));
    EXPECT_EQ(Via<&SkinEngine::SetSystemButtonImages>(41)(window, Png(0xFFFF0000u), std::nullopt,
                                                          std::nullopt, std::nullopt),
              1);
    EXPECT_TRUE(
        Via<&SkinEngine::SkinImageButton>(32)(button, Png(0xFF0000FFu), 1, std::string("图")));
    EXPECT_TRUE(Via<&SkinEngine::SkinStateImageButton>(33)(strip, Png(1), Png(2), Png(3), Png(4),
                                                           std::nullopt));

    // 34 SkinContainer, 35 SetContainerAlpha, 37 SkinCommonControl, 38 LayoutDockedWindows,
    // 39 SetControlTextColour
    EXPECT_EQ(Via<&SkinEngine::SkinContainer>(34)(panel, 1, RGB(255, 0, 0), 255, 0), 1);
    Via<&SkinEngine::SetContainerAlpha>(35)(panel, 77);
    EXPECT_EQ(r.Containers[0].Alpha, 77);
    EXPECT_EQ(
        Via<&SkinEngine::SkinCommonControl>(37)(tabs, std::nullopt, std::nullopt, std::nullopt), 0);
    EXPECT_EQ(r.CommonControls[0].Control, tabs);
    r.DockedWindows.push_back({panel, 40});
    Via<&SkinEngine::LayoutDockedWindows>(38)(p);
    RECT docked{};
    GetWindowRect(panel, &docked);
    EXPECT_EQ(docked.right - docked.left, 396);
    Via<&SkinEngine::SetControlTextColour>(39)(edit, RGB(9, 8, 7));
    EXPECT_EQ(skin::TextColourOf(edit), RGB(9, 8, 7));

    // 1 copy: a new object returned by value, called as the entry stands (as slot 36).
    using CopyEntry = std::unique_ptr<SkinEngine>(WINAPI*)(SkinEngine* const*);
    const auto copy = reinterpret_cast<CopyEntry>(skin::SkinEngineOperations[1])(&self);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->FrameWidth, TheSkin->FrameWidth);

    // 0 destroy, on an engine of its own (GDI+ is left running: no token).
    {
        auto other = std::make_unique<SkinEngine>();
        const ULONG_PTR token = std::exchange(Engine.PlusToken, 0);
        Engine.AppIcon = CopyIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
        Via<&SkinEngine::Destroy>(0, *other)();
        Engine.PlusToken = token;
        EXPECT_EQ(Engine.AppIcon, nullptr);
        EXPECT_TRUE(other->WndProcThunk.Empty());
    }
    TheSkin->SetTheme({}, {}, savedTheme);
}
#endif
