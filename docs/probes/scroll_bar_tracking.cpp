// Built apart from the project, as it was measured:
//   x86_64-w64-mingw32-g++ -O1 -static -o probe.exe docs/probes/scroll_bar_tracking.cpp -lcomctl32 -lgdi32 -luser32
//   bash scripts/with-xvfb.sh bash scripts/wine-run.sh probe.exe
// Experiment 2: thumb-track position source, message filter during tracking, pressed state, cost.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
static HWND list;
static int filterCalls = 0, filterScroll = 0, vscrolls = 0;
static DWORD pressedSeen = 0;
static WNDPROC saved;
static LRESULT CALLBACK Sub(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_VSCROLL) ++vscrolls;
    return CallWindowProcW(saved, w, m, wp, lp);
}
static LRESULT CALLBACK Filter(int code, WPARAM wp, LPARAM lp) {
    ++filterCalls;
    if (code == MSGF_SCROLLBAR) {
        ++filterScroll;
        SCROLLBARINFO sbi{sizeof sbi};
        GetScrollBarInfo(list, OBJID_VSCROLL, &sbi);
        for (int i = 0; i < 6; ++i) if (sbi.rgstate[i] & STATE_SYSTEM_PRESSED) pressedSeen |= 1u << i;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
static void Click(int x, int y, DWORD holdMs) {
    SetCursorPos(x, y);
    INPUT in{INPUT_MOUSE}; in.mi.dwFlags = MOUSEEVENTF_LEFTDOWN; SendInput(1, &in, sizeof in);
    CreateThread(nullptr, 0, [](LPVOID p) -> DWORD { Sleep((DWORD)(UINT_PTR)p); INPUT up{INPUT_MOUSE}; up.mi.dwFlags = MOUSEEVENTF_LEFTUP; SendInput(1, &up, sizeof up); return 0; }, (LPVOID)(UINT_PTR)holdMs, 0, nullptr);
    DWORD end = GetTickCount() + holdMs + 400; MSG msg;
    while (GetTickCount() < end) { while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg); Sleep(5); }
}
int main() {
    InitCommonControls();
    HWND top = CreateWindowW(L"STATIC", L"t", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 500, 400, nullptr, nullptr, nullptr, nullptr);
    list = CreateWindowW(WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | WS_BORDER, 10, 10, 200, 150, top, nullptr, nullptr, nullptr);
    LVCOLUMNW col{LVCF_WIDTH | LVCF_TEXT}; col.cx = 150; col.pszText = (wchar_t*)L"c";
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
    for (int i = 0; i < 1000; ++i) { wchar_t b[32]; swprintf(b, 32, L"item %d", i); LVITEMW it{LVIF_TEXT}; it.iItem = i; it.pszText = b; SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&it); }
    saved = (WNDPROC)SetWindowLongPtrW(list, GWLP_WNDPROC, (LONG_PTR)Sub);
    UpdateWindow(top);
    // 1. Thumb track sent by hand: which position does the control take?
    SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 50), 0);
    std::printf("hand SB_THUMBTRACK 50: top=%ld pos=%d\n", (long)SendMessageW(list, LVM_GETTOPINDEX, 0, 0), GetScrollPos(list, SB_VERT));
    SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 60), 0);
    std::printf("hand SB_THUMBPOSITION 60: top=%ld pos=%d\n", (long)SendMessageW(list, LVM_GETTOPINDEX, 0, 0), GetScrollPos(list, SB_VERT));
    HWND tree = CreateWindowW(WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 250, 10, 200, 150, top, nullptr, nullptr, nullptr);
    for (int i = 0; i < 100; ++i) { wchar_t b[32]; swprintf(b, 32, L"n %d", i); TVINSERTSTRUCTW ins{}; ins.hInsertAfter = TVI_LAST; ins.item.mask = TVIF_TEXT; ins.item.pszText = b; SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&ins); }
    SendMessageW(tree, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40), 0);
    std::printf("tree hand SB_THUMBPOSITION 40: pos=%d\n", GetScrollPos(tree, SB_VERT));
    HWND edit = CreateWindowW(L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE, 250, 200, 200, 150, top, nullptr, nullptr, nullptr);
    wchar_t text[4000] = L""; for (int i = 0; i < 100; ++i) { wchar_t b[16]; swprintf(b, 16, L"l%d\r\n", i); wcscat(text, b); }
    SetWindowTextW(edit, text);
    SendMessageW(edit, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40), 0);
    std::printf("edit hand SB_THUMBPOSITION 40: first=%ld pos=%d\n", (long)SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), GetScrollPos(edit, SB_VERT));
    SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE);
    // 2. Cost of reading both bars' state.
    LARGE_INTEGER f, a, b; QueryPerformanceFrequency(&f); QueryPerformanceCounter(&a);
    for (int i = 0; i < 10000; ++i) { SCROLLINFO si{sizeof si, SIF_ALL}; GetScrollInfo(list, SB_VERT, &si); GetScrollInfo(list, SB_HORZ, &si); }
    QueryPerformanceCounter(&b);
    std::printf("GetScrollInfo x2: %.2f us\n", (b.QuadPart - a.QuadPart) * 1e6 / f.QuadPart / 10000);
    QueryPerformanceCounter(&a);
    for (int i = 0; i < 10000; ++i) { SCROLLBARINFO sbi{sizeof sbi}; GetScrollBarInfo(list, OBJID_VSCROLL, &sbi); }
    QueryPerformanceCounter(&b);
    std::printf("GetScrollBarInfo: %.2f us\n", (b.QuadPart - a.QuadPart) * 1e6 / f.QuadPart / 10000);
    // 3. A real press on the down arrow, held 600 ms: message filter, pressed state, repeats.
    SetForegroundWindow(top);
    SetWindowsHookExW(WH_MSGFILTER, Filter, nullptr, GetCurrentThreadId());
    SCROLLBARINFO sbi{sizeof sbi}; GetScrollBarInfo(list, OBJID_VSCROLL, &sbi);
    int x = (sbi.rcScrollBar.left + sbi.rcScrollBar.right) / 2, y = sbi.rcScrollBar.bottom - 5;
    Click(x, y, 600);
    std::printf("arrow held 600 ms: vscrolls=%d filterCalls=%d msgf_scrollbar=%d pressedParts=%lx top=%ld\n", vscrolls, filterCalls, filterScroll, pressedSeen, (long)SendMessageW(list, LVM_GETTOPINDEX, 0, 0));
    return 0;
}
