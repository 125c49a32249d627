// Real windows for the tests of top-level skinning, background capture and buttons: a plain
// top-level window class (double clicks on), child controls, and a fixture that checks every
// test leaves no window record, captured DC, GDI object or GDI+ wrapper behind.
#pragma once
#include <windows.h>

#include "skin/core/capture.h"
#include "skin/core/skin_engine.h"
#include "skin/core/skin_window.h"
#include "skin/core/window_record.h"
#include "support/gdi_count.h"
#include "support/plus_fixture.h"
#include "support/windows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace toplevel_testing {

inline LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// Registers a test window class of this module (arrow cursor) and answers its name; a class
// function keeps the answer in a static, so the class is registered once.
inline const char* RegisterTestClass(const char* name, WNDPROC procedure, UINT style = 0) {
    WNDCLASSA wc{};
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    return name;
}

inline const char* PlainClass() {
    static const char* name = RegisterTestClass("VarnelToplevelTest", PlainWindowProc, CS_DBLCLKS);
    return name;
}

// A frameless top-level window, so its window rectangle starts at its client origin.
inline HWND CreateTopLevel(int x, int y, int w, int h,
                           DWORD style = WS_POPUP | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                           const char* title = "varnel test") {
    return CreateWindowExA(0, PlainClass(), title, style, x, y, w, h, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

inline HWND CreateChild(HWND parent, const char* cls, const char* text, DWORD style, int x, int y,
                        int w, int h, int id = 0) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

// The back buffer of the skinned window at `position`.
inline HDC BackBufferOf(int position) {
    skin::WindowRecord* record = skin::RecordAt(position);
    return record ? record->BackBufferDC.get() : nullptr;
}

// Fills a rectangle of a DC with one colour.
inline void FillDC(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// `colour` at `alpha` laid over `under`, per channel, as GDI+ blends onto an opaque picture.
inline COLORREF Over(COLORREF colour, int alpha, COLORREF under) {
    auto mix = [&](int c, int u) { return (c * alpha + u * (255 - alpha) + 127) / 255; };
    return RGB(mix(GetRValue(colour), GetRValue(under)), mix(GetGValue(colour), GetGValue(under)),
               mix(GetBValue(colour), GetBValue(under)));
}

// A pixel of the whole window (frame included), in window coordinates.
inline COLORREF WholeWindowPixel(HWND window, int x, int y) {
    HDC dc = GetWindowDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

// Paints the whole window, frame included, in one colour.
inline void FillWholeWindow(HWND window, COLORREF colour) {
    RECT r{};
    GetWindowRect(window, &r);
    HDC dc = GetWindowDC(window);
    FillDC(dc, RECT{0, 0, r.right - r.left, r.bottom - r.top}, colour);
    ReleaseDC(window, dc);
}

// True while the window has an update region waiting for WM_PAINT.
inline bool HasPendingPaint(HWND window) {
    RECT r{};
    return GetUpdateRect(window, &r, FALSE) != FALSE;
}

// Gives `window` a bare record in WindowList, as SkinWindow would, with a back buffer of its
// client size filled with `fill` and no window procedure of the skin. Returns its position.
inline int AdoptWindow(HWND window, COLORREF fill) {
    auto record = std::make_unique<skin::WindowRecord>();
    record->Window = window;
    RECT client{};
    GetClientRect(window, &client);
    record->BackBufferDC = gdi::MemoryDC::Create();
    record->BackBufferDC.Adopt(gdi::CreateArgbBitmap(client.right, client.bottom));
    FillDC(record->BackBufferDC.get(), client, fill);
    const int position = skin::AppendWindowRecord(std::move(record));
    SetPropA(window, "Hw_lbID", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(position)));
    return position;
}

// The pixels of a window's client area as they are on screen, row by row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

inline Picture GrabClient(HWND window) {
    Picture picture;
    RECT r{};
    GetClientRect(window, &r);
    picture.width = r.right;
    picture.height = r.bottom;
    HDC dc = GetDC(window);
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            picture.pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return picture;
}

// One pixel of a window's client area as the window's own surface holds it.
inline COLORREF WindowPixel(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

// The pixels of a memory DC (for faces painted off-screen).
inline Picture GrabDC(HDC dc, int width, int height) {
    Picture picture{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.pixels.push_back(GetPixel(dc, x, y));
    return picture;
}

// Number of pixels whose colours differ by more than `tolerance` in some channel.
inline int CountDifferences(const Picture& a, const Picture& b, int tolerance = 8) {
    if (a.width != b.width || a.height != b.height) return -1;
    int n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        if (!testing_support::ColoursNear(a.pixels[i], b.pixels[i], tolerance)) ++n;
    return n;
}

inline void Pump(int ms = 50) {
    testing_support::PumpMessagesFor(std::chrono::milliseconds(ms));
}

// Base fixture: the skin engine exists, options are at their start values, and after the test
// every window it made is gone and nothing is left behind.
class SkinTest : public testing_support::PlusTest {
protected:
    void SetUp() override {
        testing_support::PlusTest::SetUp();
        if (!skin::TheSkin) skin::CreateTheSkin();
        skin::Engine.ControlSkinsEnabled = 1;
        skin::Engine.TranslucentControls = 0;
        skin::Engine.ControlAlpha = 160;
        skin::Engine.AccentColour = 0x00DDCA22;
        // The engine's own theme, as at its creation: a colour or picture an earlier test set
        // would change what every control is drawn over (pixel counts measured against it).
        skin::Engine.ThemeColour = GetSysColor(COLOR_BTNFACE);
        skin::Engine.ThemeImage.clear();
        skin::Engine.ThemeImageMode = 0;
        skin::Engine.FirstPaint = 1;
        recordsBefore_ = skin::Engine.WindowList.size();
    }
    void TearDown() override {
        // Bare records (AdoptWindow) have no window procedure to release them.
        for (HWND w : windows_)
            if (skin::FindWindowPosition(w) >= 1 && !IsSkinnedProcedure(w))
                skin::RemoveWindowRecord(w);
        for (HWND w : windows_)
            if (IsWindow(w)) DestroyWindow(w);
        windows_.clear();
        Pump(20);
        EXPECT_EQ(skin::Engine.WindowList.size(), recordsBefore_) << "a window record was left";
        EXPECT_EQ(skin::CapturedDCCount(), 0) << "a captured background was not released";
        testing_support::PlusTest::TearDown();
    }

    static bool IsSkinnedProcedure(HWND w) {
        return GetWindowLongPtrA(w, GWLP_WNDPROC) ==
               static_cast<LONG_PTR>(skin::ThunkAddress(skin::TheSkin->WndProcThunk));
    }
    int Adopt(HWND window, COLORREF fill = RGB(255, 255, 255)) { return AdoptWindow(window, fill); }

    HWND Keep(HWND window) {
        windows_.push_back(window);
        return window;
    }
    HWND TopLevel(int x, int y, int w, int h,
                  DWORD style = WS_POPUP | WS_MINIMIZEBOX | WS_MAXIMIZEBOX) {
        return Keep(CreateTopLevel(x, y, w, h, style));
    }

private:
    std::vector<HWND> windows_;
    size_t recordsBefore_ = 0;
};

} // namespace toplevel_testing
