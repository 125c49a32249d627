// Theme-image measurement: how long SetTheme with a large image takes, and a full repaint of a
// skinned window drawn over it afterwards. Prints one line per placement mode.
//
//   theme_image_bench.exe IMAGE.png [repaints [modes]]
//
// `modes` is a string of mode digits to measure, in order (default "4023").
// The window is skinned as the application's main window (376 x 364, 110-pixel glossy caption,
// one-pane status bar). Each SetTheme is timed once (it is the slow step being measured), each
// full repaint (RebuildBackground, as WM_PAINT does for a stale window) as the median of
// `repaints` runs (default 3).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "plus/plus_object.h"
#include "skin/core/skin_engine.h"

namespace {

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

LRESULT CALLBACK QuietProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: theme_image_bench IMAGE.png [repaints]\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const skin::ByteSet image((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    if (image.empty()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const int repaints = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    skin::CreateTheSkin();
    skin::Engine.PlusToken = plus::StartupGdiPlus();
    skin::SetStartupOptions();
    WNDCLASSA wc{};
    wc.lpfnWndProc = QuietProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VarnelThemeBench";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "VarnelThemeBench", "Varnel/免更新版",
                                  WS_POPUP | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0, 0, 376, 364,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    skin::TheSkin->SetTheme({}, {}, 0x00FF8800);
    skin::TheSkin->SkinWindow(window, 110, 1, 0, 0, 0, 1, 1, 20);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    const int position = skin::FindWindowPosition(window);
    skin::Engine.FirstPaint = 0;

    std::printf("Theme image %s (%zu bytes), window 376 x 364, x64 under this machine's Wine\n",
                argv[1], image.size());
    const int modes[] = {skin::kImageTiled, skin::kImageBlendRight, skin::kImageCentred,
                         skin::kImageStretched};
    const char* names[] = {"tiled (4, the default)", "blended right (0)", "centred (2)",
                           "stretched (3)"};
    const std::string wanted = argc > 3 ? argv[3] : "4023";
    for (std::size_t i = 0; i < std::size(modes); ++i) {
        if (wanted.find(static_cast<char>('0' + modes[i])) == std::string::npos) continue;
        const double start = NowMs();
        skin::TheSkin->SetTheme({}, image, 0x00FF8800, std::nullopt, modes[i]);
        const double set = NowMs() - start;
        std::vector<double> times;
        for (int r = 0; r < repaints; ++r) {
            const double t = NowMs();
            skin::TheSkin->RebuildBackground(position);
            GdiFlush();
            times.push_back(NowMs() - t);
        }
        std::sort(times.begin(), times.end());
        std::printf("  %-24s SetTheme %9.1f ms   full repaint (median of %d) %9.1f ms\n", names[i],
                    set, repaints, times[times.size() / 2]);
        std::fflush(stdout);
    }
    // With no colour given the theme colour is the image's average: the sampling pass.
    const double start = NowMs();
    skin::TheSkin->SetTheme({}, image);
    std::printf("  %-24s SetTheme %9.1f ms   (average colour %06lX)\n", "tiled, colour sampled",
                NowMs() - start, skin::Engine.ThemeColour & 0xFFFFFF);
    DestroyWindow(window);
    skin::DestroyTheSkin();
    return 0;
}
