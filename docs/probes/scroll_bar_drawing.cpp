// Built apart from the project, as it was measured:
//   x86_64-w64-mingw32-g++ -O1 -static -o probe.exe docs/probes/scroll_bar_drawing.cpp -lcomctl32 -lgdi32 -luser32
//   bash scripts/with-xvfb.sh bash scripts/wine-run.sh probe.exe
// Experiment: does the system draw a control's scroll bar outside WM_NCPAINT, and which
// WinEvents tell us when the scroll state changes?
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <string>
static int ncpaints = 0;
static WNDPROC saved = nullptr;
static bool paintRed = true;
static std::string events;
static RECT BarRect(HWND w) {
    SCROLLBARINFO sbi{sizeof sbi};
    GetScrollBarInfo(w, OBJID_VSCROLL, &sbi);
    RECT wr; GetWindowRect(w, &wr);
    OffsetRect(&sbi.rcScrollBar, -wr.left, -wr.top);
    return sbi.rcScrollBar;
}
static void Red(HWND w) {
    HDC dc = GetWindowDC(w);
    RECT r = BarRect(w);
    HBRUSH b = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &r, b);
    DeleteObject(b);
    ReleaseDC(w, dc);
}
static LRESULT CALLBACK Sub(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_NCPAINT) {
        ++ncpaints;
        LRESULT r = CallWindowProcW(saved, w, m, wp, lp);
        if (paintRed) Red(w);
        return r;
    }
    return CallWindowProcW(saved, w, m, wp, lp);
}
static void CALLBACK Hook(HWINEVENTHOOK, DWORD ev, HWND, LONG obj, LONG, DWORD, DWORD) {
    if (obj == OBJID_VSCROLL || obj == OBJID_HSCROLL) {
        char b[64];
        snprintf(b, sizeof b, " %s:%lx", obj == OBJID_VSCROLL ? "V" : "H", ev);
        events += b;
    }
}
static void Pump() {
    MSG msg;
    for (int i = 0; i < 5; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) { TranslateMessage(&msg); DispatchMessageW(&msg); }
        Sleep(20);
    }
}
static COLORREF Pixel(HWND w) {
    RECT r = BarRect(w);
    HDC dc = GetWindowDC(w);
    COLORREF c = GetPixel(dc, (r.left + r.right) / 2, (r.top + r.bottom) / 2 + 20);
    ReleaseDC(w, dc);
    return c;
}
static void Report(HWND w, const char* what) {
    Pump();
    std::printf("%-34s ncpaint=%d pixel=%06lx events=%s\n", what, ncpaints, Pixel(w), events.c_str());
    ncpaints = 0; events.clear();
    Red(w);  // back to red before the next step
}
int main() {
    InitCommonControls();
    HWND top = CreateWindowW(L"STATIC", L"t", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 500, 400, nullptr, nullptr, nullptr, nullptr);
    const wchar_t* cls[] = {L"LISTBOX", WC_LISTVIEWW, L"EDIT", WC_TREEVIEWW};
    DWORD sty[] = {WS_VSCROLL | LBS_NOINTEGRALHEIGHT | WS_BORDER, LVS_REPORT | WS_BORDER,
                   WS_VSCROLL | ES_MULTILINE | WS_BORDER, WS_BORDER | TVS_HASLINES};
    SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, Hook, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    for (int k = 0; k < 4; ++k) {
        std::printf("== %ls\n", cls[k]);
        HWND c = CreateWindowW(cls[k], L"", WS_CHILD | WS_VISIBLE | sty[k], 10, 10, 200, 150, top, nullptr, nullptr, nullptr);
        if (k == 1) {
            LVCOLUMNW col{LVCF_WIDTH | LVCF_TEXT}; col.cx = 150; col.pszText = (wchar_t*)L"c";
            SendMessageW(c, LVM_INSERTCOLUMNW, 0, (LPARAM)&col);
        }
        saved = (WNDPROC)SetWindowLongPtrW(c, GWLP_WNDPROC, (LONG_PTR)Sub);
        std::wstring text;
        for (int i = 0; i < 100; ++i) {
            wchar_t b[32]; swprintf(b, 32, L"item %d", i);
            if (k == 0) SendMessageW(c, LB_ADDSTRING, 0, (LPARAM)b);
            if (k == 1) { LVITEMW it{LVIF_TEXT}; it.iItem = i; it.pszText = b; SendMessageW(c, LVM_INSERTITEMW, 0, (LPARAM)&it); }
            if (k == 2) { text += b; text += L"\r\n"; }
            if (k == 3) { TVINSERTSTRUCTW ins{}; ins.hInsertAfter = TVI_LAST; ins.item.mask = TVIF_TEXT; ins.item.pszText = b; SendMessageW(c, TVM_INSERTITEMW, 0, (LPARAM)&ins); }
        }
        if (k == 2) SetWindowTextW(c, text.c_str());
        Report(c, "after filling");
        if (k == 0) SendMessageW(c, LB_SETTOPINDEX, 50, 0);
        if (k == 1) SendMessageW(c, LVM_SCROLL, 0, 200);
        if (k == 2) SendMessageW(c, EM_LINESCROLL, 0, 30);
        if (k == 3) SendMessageW(c, WM_VSCROLL, SB_PAGEDOWN, 0);
        Report(c, "control scrolls itself");
        SendMessageW(c, WM_VSCROLL, SB_LINEDOWN, 0);
        Report(c, "WM_VSCROLL SB_LINEDOWN");
        SendMessageW(c, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(100, 100));
        Report(c, "wheel");
        SendMessageW(c, WM_KEYDOWN, VK_NEXT, 0);
        Report(c, "page down key");
        SCROLLINFO si{sizeof si, SIF_POS}; si.nPos = 3;
        SetScrollInfo(c, SB_VERT, &si, TRUE);
        Report(c, "SetScrollInfo from outside");
        SetScrollInfo(c, SB_VERT, &si, TRUE);
        Report(c, "SetScrollInfo same values");
        SendMessageW(c, WM_SETREDRAW, FALSE, 0); SendMessageW(c, WM_SETREDRAW, TRUE, 0);
        Report(c, "WM_SETREDRAW off/on");
        SendMessageW(c, WM_SIZE, 0, MAKELPARAM(180, 130));
        Report(c, "WM_SIZE same");
        ShowScrollBar(c, SB_VERT, FALSE);
        Report(c, "ShowScrollBar FALSE");
        ShowScrollBar(c, SB_VERT, TRUE);
        Report(c, "ShowScrollBar TRUE");
        EnableScrollBar(c, SB_VERT, ESB_DISABLE_BOTH);
        Report(c, "EnableScrollBar disable");
        InvalidateRect(c, nullptr, TRUE);
        Report(c, "InvalidateRect");
        SetWindowLongPtrW(c, GWLP_WNDPROC, (LONG_PTR)saved);
        DestroyWindow(c);
    }
    return 0;
}
