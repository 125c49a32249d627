// The skin engine object, its window list and its start-up and exit.
#include <gtest/gtest.h>

#include <algorithm>

#include "skin/core/capture.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"

using namespace skin;

namespace {

// Every test starts from a freshly created engine with start values and ends with none.
class SkinEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        Engine = EngineState{};
        CreateTheSkin();
        SetStartupOptions();
    }
    void TearDown() override {
        for (HWND w : windows_)
            DestroyWindow(w);
        DestroyTheSkin();
        Engine = EngineState{};
    }
    HWND NewWindow() {
        HWND w = CreateWindowExA(0, "STATIC", "skin", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        windows_.push_back(w);
        return w;
    }
    // Registers a window as skinned the way the install does: a record and "Hw_lbID".
    int AddRecord(HWND window) {
        auto record = std::make_unique<WindowRecord>();
        record->Window = window;
        const int position = AppendWindowRecord(std::move(record));
        SetPropValue(window, kPropPosition, position);
        return position;
    }
    std::vector<HWND> windows_;
};

} // namespace

TEST_F(SkinEngineTest, CreationSetsStartValues) {
    ASSERT_TRUE(TheSkin);
    EXPECT_EQ(TheSkin->FrameWidth, 0);
    EXPECT_EQ(TheSkin->HotCaptionButton, 0);
    EXPECT_EQ(Engine.ThemeColour, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(TheSkin->GetThemeColour(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Engine.AccentColour, 0x00DDCA22u);
    EXPECT_TRUE(Engine.ThemeImage.empty());
    EXPECT_EQ(Engine.ThemeImageMode, 0);
    EXPECT_EQ(Engine.ControlSkinsEnabled, 1);
    EXPECT_EQ(Engine.TranslucentControls, 0);
    EXPECT_EQ(Engine.ControlAlpha, 160);
    EXPECT_EQ(Engine.TrackBarFrame, 1);
    EXPECT_EQ(Engine.FirstPaint, 1);
    EXPECT_TRUE(Engine.WindowList.empty());

    // The thunks exist exactly when their operations do; the button thunk's address is the
    // signal that caption clicks may be performed.
    EXPECT_EQ(TheSkin->WndProcThunk.Empty(), SkinEngineOperations[2] == nullptr);
    EXPECT_EQ(TheSkin->ButtonThunk.Empty(), SkinEngineOperations[3] == nullptr);
    EXPECT_EQ(TheSkin->ButtonThunkAddress, ThunkAddress(TheSkin->ButtonThunk));
}

TEST_F(SkinEngineTest, OperationTableHasFortyTwoSlotsWithTheBuiltOnesFilled) {
    EXPECT_EQ(SkinEngineOperations.size(), 42u);
    EXPECT_NE(SkinEngineOperations[0], nullptr);  // destroy
    EXPECT_NE(SkinEngineOperations[1], nullptr);  // copy
    EXPECT_NE(SkinEngineOperations[9], nullptr);  // SetControlOptions
    EXPECT_NE(SkinEngineOperations[40], nullptr); // GetThemeColour
    // A thunk on a built entry calls the operation on this object.
    const MethodThunk thunk = TheSkin->MakeThunk(41, 0);
    ASSERT_FALSE(thunk.Empty());
#if defined(_WIN64)
    Engine.ThemeColour = 0x00123456;
    using Function = COLORREF (*)();
    EXPECT_EQ(reinterpret_cast<Function>(thunk.Address())(), 0x00123456u);
#endif
}

TEST_F(SkinEngineTest, CopyKeepsNumbersAndThunkBytes) {
    TheSkin->FrameWidth = 3;
    TheSkin->HotCaptionButton = 2;
    const auto copy = TheSkin->Copy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->FrameWidth, 3);
    EXPECT_EQ(copy->HotCaptionButton, 2);
    EXPECT_EQ(copy->ButtonThunkAddress, TheSkin->ButtonThunkAddress);
    EXPECT_EQ(&copy->Operations(), &TheSkin->Operations());
    const auto same = [](const MethodThunk& a, const MethodThunk& b) {
        return std::equal(a.Code().begin(), a.Code().end(), b.Code().begin(), b.Code().end());
    };
    EXPECT_TRUE(same(copy->WndProcThunk, TheSkin->WndProcThunk));
    EXPECT_TRUE(same(copy->ButtonThunk, TheSkin->ButtonThunk));
}

TEST_F(SkinEngineTest, DestroyingACopyLeavesTheProgramWideResources) {
    Engine.AppIcon = CopyIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
    ASSERT_NE(Engine.AppIcon, nullptr);
    TheSkin->Copy().reset();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(Engine.AppIcon, &info));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST_F(SkinEngineTest, ExitDestroysTheIconAndFreesRecords) {
    const HICON icon = CopyIcon(LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));
    ASSERT_NE(icon, nullptr);
    Engine.AppIcon = icon;
    AddRecord(NewWindow());
    Engine.ThemeImage = {1, 2, 3};
    // A background DC handed out and never given back.
    const HDC captured = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateCompatibleBitmap(captured, 4, 4);
    RegisterCapturedDC(captured, bitmap, SelectObject(captured, bitmap));
    DestroyTheSkin();
    EXPECT_EQ(CapturedDCCount(), 0);
    EXPECT_EQ(GetObjectType(captured), 0u);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_FALSE(TheSkin);
    EXPECT_EQ(Engine.AppIcon, nullptr);
    EXPECT_TRUE(Engine.WindowList.empty());
    EXPECT_TRUE(Engine.ThemeImage.empty());
    EXPECT_FALSE(DestroyIcon(icon)); // already destroyed
}

TEST_F(SkinEngineTest, FindWindowPositionScansTheList) {
    const HWND first = NewWindow();
    const HWND second = NewWindow();
    EXPECT_EQ(FindWindowPosition(first), 0);
    EXPECT_EQ(FindWindowPosition(nullptr), 0);
    AddRecord(first);
    AddRecord(second);
    EXPECT_EQ(FindWindowPosition(first), 1);
    EXPECT_EQ(FindWindowPosition(second), 2);
    EXPECT_EQ(FindWindowPosition(NewWindow()), 0);
    EXPECT_EQ(RecordAt(2)->Window, second);
    EXPECT_EQ(RecordAt(0), nullptr);
    EXPECT_EQ(RecordAt(3), nullptr);
}

TEST_F(SkinEngineTest, SkinnedPositionIgnoresStaleProperties) {
    const HWND first = NewWindow();
    const HWND second = NewWindow();
    AddRecord(first);
    EXPECT_EQ(SkinnedPosition(first), 1);
    EXPECT_EQ(SkinnedPosition(second), 0);
    // A property naming a position whose record belongs to another window does not count.
    SetPropValue(second, kPropPosition, 1);
    EXPECT_EQ(SkinnedPosition(second), 0);
    SetPropValue(second, kPropPosition, 7);
    EXPECT_EQ(SkinnedPosition(second), 0);
}

TEST_F(SkinEngineTest, HostPropertiesAreNeverSet) {
    const HWND window = NewWindow();
    AddRecord(window);
    for (HWND w : {window, GetDesktopWindow()}) {
        EXPECT_EQ(GetPropValue(w, kPropBackgroundSourceDC), 0);
        EXPECT_EQ(GetPropValue(w, kPropHostWindow), 0);
    }
    EXPECT_STREQ(kPropBackgroundSourceDC, "Wxk_Cj");
    EXPECT_STREQ(kPropHostWindow, "Wxk_Zpf");
}

// The engine's own names are kept in the process and written through to the window; every
// other name is read from the window each time; a destroyed window's kept values go.
TEST_F(SkinEngineTest, EnginePropertiesAreKeptWrittenThroughAndForgottenWithTheWindow) {
    const HWND w = NewWindow();
    const HWND other = NewWindow();
    const std::size_t before = KeptPropertyWindowCount();
    LONG_PTR value = 10;
    for (const char* name : kEngineProperties) {
        SCOPED_TRACE(name);
        // Set on the window before the engine read it: the first read takes it from there.
        SetPropA(other, name, reinterpret_cast<HANDLE>(value + 100));
        EXPECT_EQ(GetPropValue(other, name), value + 100);
        EXPECT_TRUE(SetPropValue(w, name, value));
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetPropA(w, name)), value);
        // Once read or written, the kept value answers (only the engine writes these names).
        SetPropA(w, name, reinterpret_cast<HANDLE>(value + 1));
        EXPECT_EQ(GetPropValue(w, name), value);
        SetPropValue(w, name, value + 2);
        EXPECT_EQ(GetPropValue(w, name), value + 2);
        EXPECT_EQ(RemovePropValue(w, name), value + 2);
        EXPECT_EQ(GetPropA(w, name), nullptr);
        EXPECT_EQ(GetPropValue(w, name), 0);
        SetPropValue(w, name, value);
        ++value;
    }
    EXPECT_EQ(KeptPropertyWindowCount(), before + 2);
    // A name of a program's own is always read from the window.
    SetPropValue(w, kPropTextColour, 5);
    SetPropA(w, kPropTextColour, reinterpret_cast<HANDLE>(7));
    EXPECT_EQ(GetPropValue(w, kPropTextColour), 7);

    DestroyWindow(w);
    windows_.erase(std::find(windows_.begin(), windows_.end(), w));
    EXPECT_EQ(GetPropValue(w, kPropPosition), 0);
    EXPECT_EQ(KeptPropertyWindowCount(), before + 1);
    EXPECT_EQ(GetPropValue(other, kPropSavedProc), 12 + 100);
}

TEST_F(SkinEngineTest, ControlOptionsTellOmittedFromGiven) {
    TheSkin->SetControlOptions(1, 0);
    EXPECT_EQ(Engine.ControlSkinsEnabled, 1);
    EXPECT_EQ(Engine.TranslucentControls, 1);
    EXPECT_EQ(Engine.ControlAlpha, 0);
    EXPECT_EQ(Engine.TrackBarFrame, 1);

    TheSkin->SetControlOptions(1);
    EXPECT_EQ(Engine.TranslucentControls, 0);
    EXPECT_EQ(Engine.ControlAlpha, 160);

    TheSkin->SetControlOptions(0, 300, 0);
    EXPECT_EQ(Engine.ControlSkinsEnabled, 0);
    EXPECT_EQ(Engine.ControlAlpha, 255); // one byte: clamped, not wrapped
    EXPECT_EQ(Engine.TrackBarFrame, 0);
}

TEST(WorkingSet, TrimRunsInProcessAndOnItsOwnThread) {
    EXPECT_TRUE(TrimWorkingSet());
    EXPECT_TRUE(StartWorkingSetTrim());
}
