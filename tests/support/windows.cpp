#include "support/windows.h"

#include "skin/core/gdi_owners.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace testing_support {

HWND FindTopLevelWindow(const std::string& title) {
    return FindWindowA(nullptr, title.c_str());
}

bool PumpMessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return done();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpMessagesFor(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    PumpMessagesUntil([&] { return std::chrono::steady_clock::now() >= deadline; },
                      duration + std::chrono::milliseconds(100));
}

COLORREF PixelOf(HDC dc, int x, int y) {
    return GetPixel(dc, x, y);
}

COLORREF ScreenPixelOf(HWND window, int x, int y, bool client) {
    POINT p{x, y};
    if (client) {
        ClientToScreen(window, &p);
    } else {
        RECT r{};
        GetWindowRect(window, &r);
        p.x += r.left;
        p.y += r.top;
    }
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

bool ColoursNear(COLORREF a, COLORREF b, int tolerance) {
    auto close = [tolerance](int u, int v) { return std::abs(u - v) <= tolerance; };
    return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) &&
           close(GetBValue(a), GetBValue(b));
}

bool SaveScreenshot(HWND window, const std::string& path) {
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window) GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    const gdi::WindowDC screen(nullptr);
    gdi::MemoryDC mem = gdi::MemoryDC::Create(screen.get());
    mem.Adopt(gdi::Bitmap(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0)));
    if (!mem.bitmap()) return false;
    BitBlt(mem.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
    GdiFlush();

    const DWORD stride = ((w * 3 + 3) / 4) * 4;
    const DWORD size = stride * h;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + size;
    bool ok = false;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        ok = std::fwrite(&fh, sizeof(fh), 1, f) == 1 &&
             std::fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f) == 1 &&
             std::fwrite(bits, 1, size, f) == size;
        std::fclose(f);
    }
    return ok;
}

std::vector<std::uint32_t> ScreenPixels(HWND window, const RECT& area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return {};
    // A window of this process is read through its own DC, which holds what the window shows
    // even where another test's window lies on top of it; another process's window only from
    // the screen.
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    const bool own = owner == GetCurrentProcessId();
    POINT origin{area.left, area.top};
    if (!own) ClientToScreen(window, &origin);
    void* bits = nullptr;
    const gdi::WindowDC source(own ? window : nullptr);
    gdi::MemoryDC mem = gdi::MemoryDC::Create(source.get());
    mem.Adopt(gdi::CreateArgbBitmap(w, h, &bits));
    if (!mem.bitmap()) return {};
    BitBlt(mem.get(), 0, 0, w, h, source.get(), origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    std::vector<std::uint32_t> pixels(first, first + static_cast<std::size_t>(w) * h);
    for (std::uint32_t& pixel : pixels)
        pixel &= 0xFFFFFF;
    return pixels;
}

std::size_t CountDifferentPixels(const std::vector<std::uint32_t>& a,
                                 const std::vector<std::uint32_t>& b) {
    std::size_t n = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += a[i] != b[i] ? 1 : 0;
    return n;
}

} // namespace testing_support
