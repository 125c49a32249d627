// Composition benchmark: how long a skinned window's back buffer takes to compose, to show and
// to update in part. Prints medians over many runs; an optional first argument scales the
// number of runs (default 1).
//
//   full rebuild           RebuildBackground of a 376 x 364 and of a 1280 x 800 client, next
//                          to the sum of its drawing steps each timed alone, as a ratio;
//                          target within 1.3x
//   live resize            the gallery window with all its controls dragged through 100 sizes
//                          a pass (SetWindowPos, then UpdateWindow as the drag's loop paints),
//                          skinned against the same window unskinned beside it, step by step
//                          the median and the worst step as ratios; targets within 1.5x and 2x
//   ordinary paint         ShowBackBuffer next to a bare BitBlt of the same size (both through
//                          GetDC/ReleaseDC), as a ratio; target within 1.5x
//   pane update            SetStatusPane next to a full rebuild, as a ratio; target under 10 %
//   hover frame            one PaintCaptionButton frame of the hover animation
//   control repaints       an edit box's frame (WM_NCPAINT) and a whole combo box repaint,
//                          skinned next to the same control unskinned, as a ratio; the
//                          1,000-row list view's repaint after a one-page scroll (opaque and
//                          translucent) and after a one-line step (the scroll bar drawn again
//                          with it), a header's and an up-down's repaint; targets for the
//                          page scroll within 3x, for the line step within 2x
//   every family           a control of each family skinned, next to the same control left
//                          to the system on the same window, opaque and translucent: its
//                          repaint, the pointer coming and going, focus coming and going;
//                          targets within 3x
//   theme image            SetTheme with a large PNG (timed once per placement mode: it is the
//                          slow step) and the full rebuild over it afterwards. Runs when the
//                          environment names the image in VARNEL_BENCH_THEME_IMAGE (scripts/
//                          bench.sh writes a 20000 x 20000 PNG for it at run time)
//   DPI                    a full rebuild of the 376 x 364 window at 144 and 192 dpi (its size
//                          scaled), per pixel against the same at 96 dpi; target within 1.2x.
//                          One WM_DPICHANGED from 96 to that DPI (layout, region, rebuild)
//                          against one full rebuild at the new size; target within 3x
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "plus/plus_faults.h"
#include "plus/plus_object.h"
#include "gallery/gallery_window.h"
#include "skin/core/child_messages.h"
#include "skin/core/dpi.h"
#include "skin/core/paint_phases.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/controls/buttons.h"
#include "skin/controls/edits.h"
#include "skin/controls/framework.h"
#include "skin/controls/headers.h"
#include "skin/controls/item_views.h"
#include "skin/controls/progress_bars.h"
#include "skin/controls/trackbars.h"
#include "skin/controls/updowns.h"
#include "skin/services/back_buffer.h"
#include "skin/images/skin_pictures.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Median time in milliseconds of `runs` calls, after a few warm-up calls.
double MedianMs(int runs, const std::function<void()>& work) {
    for (int i = 0; i < 3; ++i)
        work();
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        work();
        GdiFlush();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The medians of two pieces of work timed in turn, one run of each after the other: a spell of
// load from elsewhere on the machine then slows both alike rather than the one that happened to
// run through it, so their ratio holds.
std::pair<double, double> PairedMedianMs(int runs, const std::function<void()>& first,
                                         const std::function<void()>& second) {
    for (int i = 0; i < 3; ++i) {
        first();
        second();
    }
    std::vector<double> times[2];
    for (auto& t : times)
        t.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        for (int k = 0; k < 2; ++k) {
            const double start = Now();
            (k ? second : first)();
            GdiFlush();
            times[k].push_back(Now() - start);
        }
    }
    for (auto& t : times)
        std::sort(t.begin(), t.end());
    return {times[0][times[0].size() / 2], times[1][times[1].size() / 2]};
}

LRESULT CALLBACK QuietProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window with a record as the install builds it for the application's main window: a tall
// glossy caption with title, minimize, maximize and close buttons and a one-pane status bar.
// Like the main window it clips its children (WS_CLIPCHILDREN).
struct BenchWindow {
    HWND window = nullptr;
    int position = 0;

    BenchWindow(int width, int height) {
        window =
            CreateWindowExA(WS_EX_TOPMOST, "VarnelBench", "Varnel/免更新版",
                            WS_POPUP | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN, 0, 0,
                            width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        auto record = std::make_unique<skin::WindowRecord>();
        record->Window = window;
        record->CaptionHeight = 110;
        record->CaptionGloss = 1;
        record->Resizable = 0;
        const auto button = [](int w, int kind, skin::ByteSet image, const char* tip) {
            skin::CaptionButton b;
            b.Width = w;
            b.Kind = kind;
            b.Image = std::move(image);
            b.Tooltip = tip;
            return b;
        };
        record->CaptionButtons.push_back(button(
            26, skin::kMinimizeButton, skin::ToByteSet(skin::MinimizeButtonImage), "最小化"));
        record->CaptionButtons.push_back(button(
            26, skin::kMaximizeButton, skin::ToByteSet(skin::MaximizeButtonImage), "最大化"));
        record->CaptionButtons.back().AlternateImage = skin::ToByteSet(skin::RestoreButtonImage);
        record->CaptionButtons.push_back(
            button(38, skin::kCloseButton, skin::ToByteSet(skin::CloseButtonImage), "关闭"));
        record->CaptionButtonsWidth = 26 + 26 + 38;
        position = skin::AppendWindowRecord(std::move(record));
        skin::SetPropValue(window, skin::kPropPosition, position);
        skin::TheSkin->LayoutCaptionButtons(position);
        skin::TheSkin->CreateStatusBar(position, 20);
        skin::TheSkin->LayoutStatusBar(position);
        skin::TheSkin->RebuildBackground(position, GetDC(window));
        skin::TheSkin->SetStatusPane(window, 1, "Oskimo  已使用次数：42 次  ");
    }
    ~BenchWindow() {
        skin::Engine.WindowList.erase(skin::Engine.WindowList.begin() + (position - 1));
        DestroyWindow(window);
    }
};

void Row(const char* what, double ms) {
    std::printf("  %-44s %9.3f ms\n", what, ms);
}

HWND Control(HWND parent, const char* cls, DWORD style, DWORD exStyle, int y) {
    HWND control = CreateWindowExA(exStyle, cls, "", WS_CHILD | WS_VISIBLE | style, 20, y, 160,
                                   cls[0] == 'C' ? 160 : 24, parent, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
    for (const char* item : {"北京", "上海", "广州"})
        SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(control, CB_SETCURSEL, 1, 0);
    SetWindowTextA(control, "已使用次数：42");
    return control;
}

// Set by "detail" on the command line: each skinned repaint is followed by where its time went.
bool detailed = false;

const char* Verdict(double ratio, double target) {
    return ratio <= target ? "met" : "not met";
}

// Where the skinned control's repaint spends its time: the mean of `runs` repaints split into
// the painters' phases, the rest being the system's own handling and the family's other steps.
void PrintBreakdown(int runs, const std::function<void()>& repaint) {
    skin::CountPaintPhases(true);
    const double start = Now();
    for (int i = 0; i < runs; ++i)
        repaint();
    GdiFlush();
    const double total = Now() - start;
    const skin::PaintPhaseTimes times = skin::CountedPaintPhases();
    skin::CountPaintPhases(false);
    double phases = 0;
    std::printf("      where it goes (mean of %d):", runs);
    for (std::size_t i = 0; i < skin::kControlPhaseCount; ++i) {
        phases += times.ms[i];
        std::printf(" %s %.3f,", skin::kPaintPhaseNames[i], times.ms[i] / runs);
    }
    std::printf(" the rest %.3f ms\n", (total - phases) / runs);
}

// The skinned control's repaint next to the same control left to the system, and the ratio
// beside its target (0: none).
double CompareRepaints(const char* what, int runs, HWND skinned, HWND plain,
                       const std::function<void(HWND)>& repaint, double target = 3) {
    const double mine = MedianMs(runs, [&] { repaint(skinned); });
    const double theirs = MedianMs(runs, [&] { repaint(plain); });
    const double ratio = mine / theirs;
    std::printf("  %-44s %9.3f ms   unskinned %7.3f ms   %5.2f x", what, mine, theirs, ratio);
    if (target > 0)
        std::printf("   (target <= %g x: %s)\n", target, Verdict(ratio, target));
    else
        std::printf("\n");
    if (detailed) PrintBreakdown(runs, [&] { repaint(skinned); });
    return ratio;
}

// A report-view list of 1,000 rows in two columns.
HWND ThousandRows(HWND parent, int x) {
    HWND list =
        CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, x,
                        130, 260, 220, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 110;
        column.pszText = const_cast<char*>(i ? "次数" : "名称");
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    SendMessageA(list, LVM_SETITEMCOUNT, 1000, 0);
    for (int i = 0; i < 1000; ++i) {
        const std::string text = "第 " + std::to_string(i) + " 行";
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(text.c_str());
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    return list;
}

HWND ThreeColumnHeader(HWND parent, int x) {
    HWND header = CreateWindowExA(0, WC_HEADERA, "", WS_CHILD | WS_VISIBLE | HDS_BUTTONS, x, 370,
                                  260, 24, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    for (const char* text : {"名称", "大小", "修改日期"}) {
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.fmt = HDF_STRING | HDF_LEFT;
        item.cxy = 80;
        item.pszText = const_cast<char*>(text);
        SendMessageA(header, HDM_INSERTITEMA, 100, reinterpret_cast<LPARAM>(&item));
    }
    return header;
}

HWND Spinner(HWND parent, int x) {
    return CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE, x, 410, 18, 40, parent,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

// One page down or up (alternately), then the repaint that scroll asks for.
void ScrollOnePage(HWND list) {
    static int turn = 0;
    SendMessageA(list, WM_VSCROLL, (turn++ % 2) ? SB_PAGEUP : SB_PAGEDOWN, 0);
    UpdateWindow(list);
}

// One step of an arrow held down: a line each way in turn, the scroll bar drawn again with it.
void ScrollOneLine(HWND list) {
    static int turn = 0;
    SendMessageA(list, WM_VSCROLL, (turn++ % 2) ? SB_LINEUP : SB_LINEDOWN, 0);
    UpdateWindow(list);
}

void RedrawWhole(HWND control) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

// One control of each family the skin draws, made twice on the same window: once before the
// install (skinned) and once after it (left to the system).
struct FamilySample {
    const char* name;
    const char* cls;
    DWORD style;
    DWORD exStyle;
    int width;
    int height;
    void (*fill)(HWND);
};

void FillRows(HWND c) {
    for (int i = 0; i < 30; ++i) {
        const std::string text = "第 " + std::to_string(i) + " 行";
        SendMessageA(c, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(c, LB_SETCURSEL, 2, 0);
}
void FillCombo(HWND c) {
    for (const char* item : {"北京", "上海", "广州"})
        SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(c, CB_SETCURSEL, 1, 0);
}
void FillTree(HWND c) {
    for (int i = 0; i < 20; ++i) {
        const std::string text = "节点 " + std::to_string(i);
        TVINSERTSTRUCTA item{};
        item.hParent = TVI_ROOT;
        item.hInsertAfter = TVI_LAST;
        item.item.mask = TVIF_TEXT;
        item.item.pszText = const_cast<char*>(text.c_str());
        SendMessageA(c, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}
void FillList(HWND c) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 120;
    column.pszText = const_cast<char*>("名称");
    SendMessageA(c, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < 30; ++i) {
        const std::string text = "第 " + std::to_string(i) + " 行";
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(text.c_str());
        SendMessageA(c, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}
void FillHeader(HWND c) {
    for (const char* text : {"名称", "大小", "修改日期"}) {
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.fmt = HDF_STRING | HDF_LEFT;
        item.cxy = 60;
        item.pszText = const_cast<char*>(text);
        SendMessageA(c, HDM_INSERTITEMA, 100, reinterpret_cast<LPARAM>(&item));
    }
}
void FillTabs(HWND c) {
    for (const char* text : {"日历", "表单", "更多"}) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(text);
        SendMessageA(c, TCM_INSERTITEMA, 99, reinterpret_cast<LPARAM>(&item));
    }
}
void FillToolBar(HWND c) {
    SendMessageA(c, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON buttons[3]{};
    const char* texts[] = {"新建", "打开", "保存"};
    for (int i = 0; i < 3; ++i) {
        buttons[i].iBitmap = I_IMAGENONE;
        buttons[i].idCommand = 100 + i;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        buttons[i].iString = reinterpret_cast<INT_PTR>(texts[i]);
    }
    SendMessageA(c, TB_ADDBUTTONSA, 3, reinterpret_cast<LPARAM>(buttons));
}
void FillStatus(HWND c) {
    int edges[] = {90, -1};
    SendMessageA(c, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    SendMessageA(c, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("就绪"));
    SendMessageA(c, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("第 3 行"));
}
void FillRichEdit(HWND c) {
    SetWindowTextA(c, "格式文本：第一行\r\n第二行");
}
void Check(HWND c) {
    SendMessageA(c, BM_SETCHECK, BST_CHECKED, 0);
}
void HalfWay(HWND c) {
    SendMessageA(c, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageA(c, TBM_SETPOS, TRUE, 50);
    SendMessageA(c, PBM_SETPOS, 50, 0);
}

constexpr FamilySample kFamilySamples[] = {
    {"push button", "BUTTON", BS_PUSHBUTTON, 0, 100, 26, nullptr},
    {"default push button", "BUTTON", BS_DEFPUSHBUTTON, 0, 100, 26, nullptr},
    {"check box", "BUTTON", BS_AUTOCHECKBOX, 0, 150, 24, Check},
    {"radio button", "BUTTON", BS_AUTORADIOBUTTON, 0, 150, 24, Check},
    {"edit box", "Edit", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 160, 24, nullptr},
    {"combo box, drop-down list", "ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL, 0, 160, 160,
     FillCombo},
    {"combo box, drop-down", "ComboBox", CBS_DROPDOWN | WS_VSCROLL, 0, 160, 160, FillCombo},
    {"list box", "ListBox", WS_VSCROLL | LBS_NOTIFY, WS_EX_CLIENTEDGE, 160, 90, FillRows},
    {"tree view", WC_TREEVIEWA, TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT, WS_EX_CLIENTEDGE,
     160, 90, FillTree},
    {"list view", WC_LISTVIEWA, LVS_REPORT, WS_EX_CLIENTEDGE, 160, 90, FillList},
    {"track bar", TRACKBAR_CLASSA, TBS_BOTH, 0, 160, 36, HalfWay},
    {"progress bar", PROGRESS_CLASSA, 0, 0, 160, 18, HalfWay},
    {"up-down", UPDOWN_CLASSA, 0, 0, 18, 40, nullptr},
    {"header", WC_HEADERA, HDS_BUTTONS, 0, 180, 24, FillHeader},
    // Skinned as common controls (drawn by the system into a picture keyed over the window's
    // background) and as a container.
    {"tab control", WC_TABCONTROLA, 0, 0, 200, 60, FillTabs},
    {"tool bar", TOOLBARCLASSNAMEA,
     CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_FLAT | TBSTYLE_LIST, 0, 200, 28,
     FillToolBar},
    {"status bar", STATUSCLASSNAMEA, CCS_NORESIZE | CCS_NOPARENTALIGN, 0, 200, 22, FillStatus},
    {"month calendar", MONTHCAL_CLASSA, 0, 0, 230, 160, nullptr},
    {"rich edit", "RichEdit20A", ES_MULTILINE, WS_EX_CLIENTEDGE, 200, 60, FillRichEdit},
    {"group box", "BUTTON", BS_GROUPBOX, 0, 200, 60, nullptr},
};

// How the skin takes a sample on: the families above the common controls are found by
// SkinChildControls; these are skinned on their own, as a program skins them.
void SkinSampleOnItsOwn(HWND c) {
    char cls[64] = "";
    GetClassNameA(c, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") == 0) {
        if ((GetWindowLongA(c, GWL_STYLE) & 0xF) == BS_GROUPBOX) skin::TheSkin->SkinContainer(c);
        return;
    }
    for (const char* common : {WC_TABCONTROLA, TOOLBARCLASSNAMEA, STATUSCLASSNAMEA})
        if (lstrcmpiA(cls, common) == 0) skin::TheSkin->SkinCommonControl(c);
    // These fill their background white, the key the gallery gives them too.
    for (const char* common : {MONTHCAL_CLASSA, "RichEdit20A"})
        if (lstrcmpiA(cls, common) == 0)
            skin::TheSkin->SkinCommonControl(c, GetSysColor(COLOR_WINDOW));
}

HWND MakeSample(HWND parent, const FamilySample& sample, int x, int y) {
    HWND c = CreateWindowExA(sample.exStyle, sample.cls, sample.name[0] == 'e' ? "" : "已选中",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | sample.style, x, y, sample.width,
                             sample.height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (sample.fill) sample.fill(c);
    if (sample.name[0] == 'e') SetWindowTextA(c, "已使用次数：42");
    return c;
}

// The pointer coming onto the control and leaving it again, as the system reports them.
void HoverInAndOut(HWND c) {
    RECT r{};
    GetClientRect(c, &r);
    SendMessageA(c, WM_MOUSEMOVE, 0, MAKELPARAM(r.right / 2, r.bottom / 2));
    UpdateWindow(c);
    SendMessageA(c, WM_MOUSELEAVE, 0, 0);
    UpdateWindow(c);
}

// Focus coming to the control and going back to its window.
void FocusInAndOut(HWND c) {
    SetFocus(c);
    UpdateWindow(c);
    SetFocus(GetParent(c));
    UpdateWindow(c);
}

// What the window system's calls a painter makes cost here, one call each (a round trip to
// the window server under this platform's Wine for most of them).
void CallTimes(int scale) {
    BenchWindow w(376, 364);
    HWND combo = Control(w.window, "ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL, 0, 180);
    SetPropA(combo, "VarnelBenchProp", reinterpret_cast<HANDLE>(1));
    char text[64];
    RECT r{};
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"GetPropA", [&] { GetPropA(combo, "VarnelBenchProp"); }},
        {"GetWindowRect", [&] { GetWindowRect(combo, &r); }},
        {"GetClientRect", [&] { GetClientRect(combo, &r); }},
        {"GetWindowLongA (style)", [&] { GetWindowLongA(combo, GWL_STYLE); }},
        {"GetWindowTextA", [&] { GetWindowTextA(combo, text, sizeof text); }},
        {"GetClassNameA", [&] { GetClassNameA(combo, text, sizeof text); }},
        {"FindWindowExA (children)", [&] { FindWindowExA(combo, nullptr, nullptr, nullptr); }},
        {"GetUpdateRect", [&] { GetUpdateRect(combo, &r, FALSE); }},
        {"the control's DPI (ControlDpi)", [&] { skin::ControlDpi(combo); }},
        {"GetWindowDC + ReleaseDC", [&] { ReleaseDC(combo, GetWindowDC(combo)); }},
        {"CreateCompatibleDC + DeleteDC", [&] { DeleteDC(CreateCompatibleDC(nullptr)); }},
        {"32-bit DIB section 160 x 24, made and deleted",
         [&] {
             BITMAPINFO info{};
             info.bmiHeader = {sizeof(BITMAPINFOHEADER), 160, -24, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
             void* bits = nullptr;
             DeleteObject(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
         }},
    };
    std::printf("  window-system calls (one call each):\n");
    for (const auto& [name, call] : calls)
        std::printf("    %-48s %7.1f us\n", name, 1000.0 * MedianMs(2000 * scale, call));
}

// Every family's repaint, hover change and focus change, skinned against the same control
// unskinned, in both modes. Where the system draws nothing for a hover change its figure is
// the bare message; the ratio is then taken against two of the system's repaints of the
// control, which is what showing a hot look and taking it away would cost it.
void FamilyTimes(int scale) {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&classes);
    static const HMODULE richEdit = LoadLibraryA("riched20.dll");
    (void)richEdit;
    std::printf("  every family, skinned against unskinned (repaint, hover in and out, focus in "
                "and out; targets <= 3 x):\n");
    for (int translucent = 0; translucent <= 1; ++translucent) {
        skin::Engine.TranslucentControls = translucent;
        // The skinned samples in the left three columns, the unskinned ones in the right three,
        // each sample clear of the others.
        constexpr int kColumn = 250;
        BenchWindow w(6 * kColumn + 40, 700);
        SetActiveWindow(w.window);
        std::vector<HWND> mine;
        std::vector<HWND> theirs;
        const auto place = [&](std::vector<HWND>& into, int firstColumn) {
            int column = firstColumn;
            int y = 130;
            for (const FamilySample& sample : kFamilySamples) {
                // A combo box's height includes its list, which stays shut.
                const int shown = lstrcmpiA(sample.cls, "ComboBox") == 0 ? 30 : sample.height;
                if (y + shown > 690) {
                    ++column;
                    y = 130;
                }
                into.push_back(MakeSample(w.window, sample, 20 + column * kColumn, y));
                y += shown + 6;
            }
        };
        place(mine, 0);
        skin::SkinChildControls(w.position, w.window);
        for (HWND c : mine)
            SkinSampleOnItsOwn(c);
        place(theirs, 3);
        UpdateWindow(w.window);
        std::printf("  %s:\n", translucent ? "translucent" : "opaque");
        std::printf("    %-28s %21s %21s %21s\n", "", "repaint", "hover", "focus");
        int missed = 0;
        // VARNEL_BENCH_FAMILY, when set, names the one family to time (part of its name).
        const char* onlyFamily = std::getenv("VARNEL_BENCH_FAMILY");
        for (std::size_t i = 0; i < std::size(kFamilySamples); ++i) {
            if (onlyFamily && !std::strstr(kFamilySamples[i].name, onlyFamily)) continue;
            const int runs = 200 * scale;
            // Skinned and unskinned in turn, so that load from elsewhere meets both alike.
            const auto [repaintMine, repaintTheirs] = PairedMedianMs(
                runs, [&] { RedrawWhole(mine[i]); }, [&] { RedrawWhole(theirs[i]); });
            const auto [hoverMine, hoverTheirs] = PairedMedianMs(
                runs, [&] { HoverInAndOut(mine[i]); }, [&] { HoverInAndOut(theirs[i]); });
            const auto [focusMine, focusTheirs] = PairedMedianMs(
                runs, [&] { FocusInAndOut(mine[i]); }, [&] { FocusInAndOut(theirs[i]); });
            const double repaint[2] = {repaintMine, repaintTheirs};
            const double hover[2] = {hoverMine, hoverTheirs};
            const double focus[2] = {focusMine, focusTheirs};
            // A hover change the system answers without drawing is set against two of its
            // repaints: what showing a hot look and taking it away again would cost it.
            const bool systemDrawsHover = hover[1] >= repaint[1] / 2;
            const double ratios[3] = {repaint[0] / repaint[1],
                                      hover[0] / (systemDrawsHover ? hover[1] : 2 * repaint[1]),
                                      focus[0] / focus[1]};
            std::printf("    %-28s", kFamilySamples[i].name);
            const double* pairs[3] = {repaint, hover, focus};
            for (int k = 0; k < 3; ++k) {
                std::printf(" %6.3f/%6.3f %5.2fx%s", pairs[k][0], pairs[k][1], ratios[k],
                            ratios[k] <= 3 ? " " : "!");
                missed += ratios[k] > 3;
            }
            std::printf("%s\n", systemDrawsHover ? "" : "  (hover against two repaints)");
            if (detailed) {
                PrintBreakdown(runs, [&] { RedrawWhole(mine[i]); });
                PrintBreakdown(runs, [&] { HoverInAndOut(mine[i]); });
                PrintBreakdown(runs, [&] { FocusInAndOut(mine[i]); });
            }
        }
        std::printf("    (ms skinned/unskinned, ratio; '!' marks a ratio above 3 x)\n");
        std::printf("    %-44s %d of %zu: %s\n", "ratios above their target", missed,
                    3 * std::size(kFamilySamples), missed ? "not met" : "met");
        for (HWND c : mine)
            DestroyWindow(c);
        for (HWND c : theirs)
            DestroyWindow(c);
    }
    skin::Engine.TranslucentControls = 0;
}

// A full rebuild next to its drawing steps, each timed alone on the finished back buffer (each
// on a canvas of its own, whose cost is counted once in the sum).
struct RebuildFigures {
    double rebuild = 0;
    double steps = 0;
};

// A rebuild's drawing steps, in its order. `inOrder`: the steps run one after another on one
// canvas, so the background drops its clip afterwards as the rebuild does.
using PaintStep = std::pair<const char*, std::function<void(plus::PlusGraphics&)>>;
std::vector<PaintStep> RebuildSteps(int position, bool inOrder) {
    return {
        {inOrder ? "background (the rebuild then drops the clip)" : "background",
         [position, inOrder](plus::PlusGraphics& g) {
             skin::TheSkin->PaintBackground(position, g);
             if (inOrder && skin::DirectPixels(g)) g.ResetClip();
         }},
        {"border", [position](plus::PlusGraphics& g) { skin::TheSkin->PaintBorder(position, g); }},
        {"title", [position](plus::PlusGraphics& g) { skin::TheSkin->PaintTitle(position, &g); }},
        {"three caption buttons",
         [position](plus::PlusGraphics& g) {
             for (int i = 1; i <= 3; ++i)
                 skin::TheSkin->PaintCaptionButton(position, i, &g);
         }},
        {"status pane",
         [position](plus::PlusGraphics& g) { skin::TheSkin->PaintStatusPane(position, &g, 1); }},
    };
}

RebuildFigures RebuildAndSteps(const BenchWindow& w, int runs, const char* size) {
    RebuildFigures figures;
    figures.rebuild = MedianMs(runs, [&] { skin::TheSkin->RebuildBackground(w.position); });
    std::printf("  %-44s %9.3f ms\n", (std::string("full rebuild, ") + size).c_str(),
                figures.rebuild);
    std::printf("  rebuild steps, each alone:\n");
    skin::WindowRecord& record = *skin::RecordAt(w.position);
    const auto step = [&](const std::function<void(plus::PlusGraphics&)>& f) {
        return MedianMs(runs, [&] {
            skin::BackBufferCanvas canvas(record);
            f(canvas.graphics());
        });
    };
    const double canvas = step([](plus::PlusGraphics&) {});
    std::printf("    %-42s %9.3f ms\n", "canvas only", canvas);
    const std::vector<PaintStep> steps = RebuildSteps(w.position, false);
    figures.steps = canvas;
    for (const auto& [what, f] : steps) {
        const double ms = step(f);
        std::printf("    %-42s %9.3f ms\n", what, ms);
        figures.steps += std::max(0.0, ms - canvas);
    }
    std::printf("    %-42s %9.3f ms\n", "sum (one canvas, then what each step adds)",
                figures.steps);
    std::printf("  %-44s %9.2f x   (target <= 1.3 x)\n", "full rebuild / sum of its steps",
                figures.rebuild / figures.steps);
    return figures;
}

// A window skinned the way the program skins its main window, but resizable, taken through
// `steps` sizes by SetWindowPos as a drag of its corner does, each step painted at once.
// Where one DPI change spends its time: the steps the window procedure takes, each timed
// alone (median of its runs), the window put back at 96 dpi between runs as above.
void DpiChangeSteps(BenchWindow& back, UINT dpi, RECT at96, RECT atDpi, int scale,
                    bool stepsFirst) {
    skin::WindowRecord& record = *skin::RecordAt(back.position);
    const int runs = 20 * scale;
    std::vector<double> move, layout, children, region, rebuild, again, redraw;
    std::vector<std::vector<double>> stepTimes;
    const auto timed = [](std::vector<double>& into, const std::function<void()>& step) {
        const double start = Now();
        step();
        GdiFlush();
        into.push_back(Now() - start);
    };
    const auto place = [&](const RECT& r) {
        SetWindowPos(back.window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    };
    for (int i = 0; i < runs; ++i) {
        // As the window procedure does it (skin_window.cpp, OnDpiChanged).
        record.Dpi = dpi;
        std::swap(record.TitleLayer, record.SpareTitleLayer);
        std::swap(record.StatusFont, record.SpareStatusFont);
        std::swap(record.StatusGlyphs, record.SpareStatusGlyphs);
        for (skin::CaptionButton& button : record.CaptionButtons)
            std::swap(button.Picture, button.SparePicture);
        record.Outline.size = SIZE{-1, -1};
        record.RegionSize = SIZE{-1, -1};
        timed(move, [&] { place(atDpi); });
        record.KeepLargerBitmaps = 1;
        timed(layout, [&] {
            skin::TheSkin->LayoutCaptionButtons(back.position);
            skin::TheSkin->LayoutStatusBar(back.position);
            skin::TheSkin->LayoutDockedWindows(back.position);
        });
        timed(children, [&] {
            for (HWND c = GetWindow(back.window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                SendMessageA(c, WM_NULL, 0, 0);
        });
        timed(region, [&] { skin::SetRoundRegion(record); });
        if (stepsFirst) {
            const std::vector<PaintStep> paint = RebuildSteps(back.position, true);
            stepTimes.resize(paint.size() + 1);
            skin::BackBufferCanvas canvas(record);
            timed(stepTimes[0], [] {});
            for (std::size_t k = 0; k < paint.size(); ++k)
                timed(stepTimes[k + 1], [&] { paint[k].second(canvas.graphics()); });
        }
        timed(rebuild, [&] { skin::TheSkin->RebuildBackground(back.position); });
        timed(again, [&] { skin::TheSkin->RebuildBackground(back.position); });
        timed(redraw, [&] {
            RedrawWindow(back.window, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        });
        skin::TheSkin->WindowProc(back.window, WM_DPICHANGED, MAKEWPARAM(96, 96),
                                  reinterpret_cast<LPARAM>(&at96));
    }
    const auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("      of which: move %.3f, layout %.3f, children %.3f, region %.3f, rebuild at"
                " the new DPI %.3f (a second one %.3f), redraw %.3f ms\n",
                median(move), median(layout), median(children), median(region), median(rebuild),
                median(again), median(redraw));
    if (stepsFirst) {
        std::printf("      the painting steps first, each once after the change:");
        const std::vector<PaintStep> paint = RebuildSteps(back.position, true);
        for (std::size_t k = 0; k < paint.size(); ++k)
            std::printf(" %s %.3f,", paint[k].first, median(stepTimes[k + 1]));
        std::printf(" then the rebuild %.3f ms\n", median(rebuild));
    }
}

// What a rebuild costs with one of its caches dropped, as after a DPI change: the region, the
// outline's spans, the title layer, the status font and glyphs; each less the warm rebuild.
void ColdRebuildSteps(int position, double warm, int scale) {
    skin::WindowRecord& record = *skin::RecordAt(position);
    const auto cold = [&](const std::function<void()>& drop) {
        return MedianMs(20 * scale,
                        [&] {
                            drop();
                            skin::TheSkin->RebuildBackground(position);
                        }) -
               warm;
    };
    const double region = cold([&] { record.RegionSize = SIZE{-1, -1}; });
    const double outline = cold([&] { record.Outline.size = SIZE{-1, -1}; });
    const double title = cold([&] { record.TitleLayer = skin::TextLayer{}; });
    const double status = cold([&] {
        record.StatusFont = skin::FontCache{};
        record.StatusGlyphs = skin::GlyphText{};
    });
    std::printf(
        "      a rebuild adds, with its cache dropped: region %.3f, outline %.3f, title %.3f,"
        " status font and glyphs %.3f ms\n",
        region, outline, title, status);
}

// Rebuilds per pixel at 144 and 192 dpi against 96, and the cost of one DPI change.
void DpiTimes(int scale) {
    std::printf("  DPI (the 376 x 364 window at each DPI):\n");
    double perPixelAt96 = 0;
    for (UINT dpi : {96u, 144u, 192u}) {
        const int width = skin::ScaleToDpi(376, dpi), height = skin::ScaleToDpi(364, dpi);
        {
            BenchWindow w(width, height);
            skin::RecordAt(w.position)->Dpi = dpi;
            skin::TheSkin->LayoutCaptionButtons(w.position);
            skin::TheSkin->LayoutStatusBar(w.position);
            const double rebuild =
                MedianMs(100 * scale, [&] { skin::TheSkin->RebuildBackground(w.position); });
            const double perPixel = rebuild / (static_cast<double>(width) * height);
            if (dpi == 96) perPixelAt96 = perPixel;
            std::printf("    rebuild at %3u dpi (%4d x %4d)     %9.3f ms   per pixel %.2f x 96 dpi"
                        " (<= 1.2 x)\n",
                        dpi, width, height, rebuild, perPixel / perPixelAt96);
            if (dpi == 96) continue;
            ColdRebuildSteps(w.position, rebuild, scale);
            // One change from 96, timed alone: the window is put back at 96 between runs.
            BenchWindow back(376, 364);
            RECT at96{}, atDpi{};
            GetWindowRect(back.window, &at96);
            atDpi = RECT{at96.left, at96.top, at96.left + width, at96.top + height};
            std::vector<double> times;
            for (int i = 0; i < 20 * scale; ++i) {
                const double start = Now();
                skin::TheSkin->WindowProc(back.window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                          reinterpret_cast<LPARAM>(&atDpi));
                GdiFlush();
                times.push_back(Now() - start);
                skin::TheSkin->WindowProc(back.window, WM_DPICHANGED, MAKEWPARAM(96, 96),
                                          reinterpret_cast<LPARAM>(&at96));
            }
            std::sort(times.begin(), times.end());
            const double change = times[times.size() / 2];
            std::printf("    WM_DPICHANGED 96 -> %3u dpi           %9.3f ms   %.2f x a rebuild"
                        " (<= 3 x)\n",
                        dpi, change, change / rebuild);
            // The same window resized to the same rectangle at an unchanged DPI, with the
            // rebuild that follows: the move and the new region are the system's round trips
            // any change of size pays, with or without a new DPI.
            std::vector<double> resizes;
            const auto place = [&](const RECT& r) {
                SetWindowPos(back.window, nullptr, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
                skin::TheSkin->RebuildBackground(back.position);
            };
            // And the first rebuild at the new size alone, the window already there: the
            // region it gives the window is new.
            std::vector<double> firsts;
            for (int i = 0; i < 20 * scale; ++i) {
                const double start = Now();
                place(atDpi);
                GdiFlush();
                resizes.push_back(Now() - start);
                place(at96);
                SetWindowPos(back.window, nullptr, atDpi.left, atDpi.top, atDpi.right - atDpi.left,
                             atDpi.bottom - atDpi.top,
                             SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
                const double first = Now();
                skin::TheSkin->RebuildBackground(back.position);
                GdiFlush();
                firsts.push_back(Now() - first);
                place(at96);
            }
            std::sort(resizes.begin(), resizes.end());
            std::sort(firsts.begin(), firsts.end());
            const double resize = resizes[resizes.size() / 2];
            const double firstRebuild = firsts[firsts.size() / 2];
            std::printf("    first rebuild at the new size (new region) %4.3f ms   the change is"
                        " %.2f x it (<= 3 x)\n",
                        firstRebuild, change / firstRebuild);
            std::printf("    a resize to that size and its rebuild %9.3f ms   the change is %.2f x"
                        " it\n",
                        resize, change / resize);
            DpiChangeSteps(back, dpi, at96, atDpi, scale, false);
            DpiChangeSteps(back, dpi, at96, atDpi, scale, true);
        }
    }
}

// Handles what is waiting (timers, posted paints) so that neither window carries work into the
// other's steps.
void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Where the time of the messages a window and its children are sent goes, per window class and
// message: the time inside each window procedure less the time of the messages it sent on
// (exclusive), counted through the thread's call hooks while `active`.
class MessageProfile {
public:
    struct Cell {
        double exclusive = 0;
        int count = 0;
    };
    void Start() {
        active_ = this;
        before_ = SetWindowsHookExA(WH_CALLWNDPROC, Before, nullptr, GetCurrentThreadId());
        after_ = SetWindowsHookExA(WH_CALLWNDPROCRET, After, nullptr, GetCurrentThreadId());
    }
    void Stop() {
        if (before_) UnhookWindowsHookEx(before_);
        if (after_) UnhookWindowsHookEx(after_);
        before_ = after_ = nullptr;
        active_ = nullptr;
        open_.clear();
    }
    // The heaviest rows, per step of `steps`, and the share no window procedure accounts for.
    void Print(const char* title, double total, double steps, std::size_t rows) const {
        std::vector<std::pair<double, std::string>> sorted;
        double inside = 0;
        for (const auto& [key, cell] : cells_) {
            inside += cell.exclusive;
            char line[160];
            std::snprintf(line, sizeof line, "%-22s %-5s %6.3f ms %6.1f sent", key.first.c_str(),
                          MessageName(key.second).c_str(), cell.exclusive / steps,
                          cell.count / steps);
            sorted.emplace_back(cell.exclusive, line);
        }
        std::sort(sorted.rbegin(), sorted.rend());
        std::printf("      %s: %.3f ms a step, %.3f of it in window procedures; the heaviest:\n",
                    title, total / steps, inside / steps);
        for (std::size_t i = 0; i < std::min(rows, sorted.size()); ++i)
            std::printf("        %s\n", sorted[i].second.c_str());
    }

private:
    using Key = std::pair<std::string, UINT>;
    struct Open {
        Key key;
        double start = 0;
        double children = 0;
    };
    static std::string MessageName(UINT message) {
        static const std::map<UINT, const char*> names{{WM_PAINT, "PAINT"},
                                                       {WM_NCPAINT, "NCPNT"},
                                                       {WM_ERASEBKGND, "ERASE"},
                                                       {WM_SIZE, "SIZE"},
                                                       {WM_MOVE, "MOVE"},
                                                       {WM_NCCALCSIZE, "CALC"},
                                                       {WM_WINDOWPOSCHANGING, "POSING"},
                                                       {WM_WINDOWPOSCHANGED, "POSED"},
                                                       {WM_CTLCOLORSTATIC, "CCST"},
                                                       {WM_CTLCOLOREDIT, "CCED"},
                                                       {WM_CTLCOLORBTN, "CCBTN"},
                                                       {WM_CTLCOLORLISTBOX, "CCLB"},
                                                       {WM_NOTIFY, "NOTFY"},
                                                       {WM_GETTEXT, "GTEXT"},
                                                       {WM_GETTEXTLENGTH, "GTLEN"},
                                                       {WM_SETREDRAW, "REDRW"},
                                                       {WM_GETFONT, "GFONT"},
                                                       {WM_GETMINMAXINFO, "MINMX"},
                                                       {WM_PRINTCLIENT, "PRTCL"},
                                                       {WM_NCHITTEST, "HIT"}};
        const auto found = names.find(message);
        if (found != names.end()) return found->second;
        char code[16];
        std::snprintf(code, sizeof code, "%04X", message);
        return code;
    }
    static LRESULT CALLBACK Before(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION && active_) {
            const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
            char name[64] = "";
            GetClassNameA(sent->hwnd, name, sizeof name);
            active_->open_.push_back({{name, sent->message}, Now(), 0});
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK After(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION && active_ && !active_->open_.empty()) {
            const Open done = active_->open_.back();
            active_->open_.pop_back();
            const double spent = Now() - done.start;
            Cell& cell = active_->cells_[done.key];
            cell.exclusive += spent - done.children;
            ++cell.count;
            if (!active_->open_.empty()) active_->open_.back().children += spent;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline MessageProfile* active_ = nullptr;
    HHOOK before_ = nullptr;
    HHOOK after_ = nullptr;
    std::vector<Open> open_;
    std::map<Key, Cell> cells_;
};

// A window dragged by its bottom-right corner, and what its steps cost.
struct DragSide {
    explicit DragSide(HWND dragged) : window(dragged) {}
    HWND window = nullptr;
    std::vector<double> steps;  // each step: SetWindowPos with what it sends, and the paint
    std::vector<double> sizing; // the SetWindowPos share of each step
    std::vector<double> ends;   // each drag's end: WM_EXITSIZEMOVE and the paint after it
};

// The size of step k (1..100) of a pass: out by 3 x 2 pixels a step for 25 steps, in through
// the starting size to 25 steps under it, and back.
SIZE DragSize(SIZE start, int k) {
    const int d = k <= 25 ? k : k <= 75 ? 50 - k : k - 100;
    return {start.cx + 3 * d, start.cy + 2 * d};
}

// One step of a drag, as the system's sizing loop takes it: a SetWindowPos with what it sends,
// then UpdateWindow, which paints the window and its children before the next pointer move.
void DragStep(DragSide& side, SIZE size) {
    const double begin = Now();
    SetWindowPos(side.window, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const double moved = Now();
    UpdateWindow(side.window);
    GdiFlush();
    side.steps.push_back(Now() - begin);
    side.sizing.push_back(moved - begin);
}

void EndDrag(DragSide& side) {
    const double begin = Now();
    SendMessageA(side.window, WM_EXITSIZEMOVE, 0, 0);
    UpdateWindow(side.window);
    GdiFlush();
    side.ends.push_back(Now() - begin);
}

// One pass of a live drag (100 steps) of each window in `sides` at once: step k of one, then
// step k of the next, the first of them changing from step to step, so a change in the
// machine's load falls on all of them alike. WM_ENTERSIZEMOVE comes first and WM_EXITSIZEMOVE
// last, as in the system's sizing loop. With `phases`, the skin's painters' phases of the steps
// are added to it (only skinned controls have any).
void DragPass(const std::vector<DragSide*>& sides, SIZE start,
              skin::PaintPhaseTimes* phases = nullptr) {
    if (phases) skin::CountPaintPhases(true);
    for (DragSide* side : sides)
        SendMessageA(side->window, WM_ENTERSIZEMOVE, 0, 0);
    for (int k = 1; k <= 100; ++k)
        for (std::size_t i = 0; i < sides.size(); ++i)
            DragStep(*sides[(i + static_cast<std::size_t>(k)) % sides.size()], DragSize(start, k));
    if (phases) {
        const skin::PaintPhaseTimes counted = skin::CountedPaintPhases();
        skin::CountPaintPhases(false);
        for (std::size_t i = 0; i < phases->ms.size(); ++i)
            phases->ms[i] += counted.ms[i];
    }
    for (DragSide* side : sides)
        EndDrag(*side);
}

struct StepFigures {
    double median = 0;
    double p95 = 0;
    double worst = 0;
};

StepFigures Figures(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 95 / 100], times.back()};
}

// Live resize as a user feels it: the gallery window (every control the engine skins) dragged
// skinned, against the same window left plain, in the same run. The two stand side by side,
// neither covering the other, and take their steps in turn.
void LiveResize(int scale) {
    // The gallery sets its own theme and control options; the groups after this one get the
    // benchmark's back.
    const COLORREF themeColour = skin::Engine.ThemeColour;
    const int skinControls = skin::Engine.ControlSkinsEnabled;
    const int translucent = skin::Engine.TranslucentControls;
    const int alpha = skin::Engine.ControlAlpha;
    const int trackBarFrame = skin::Engine.TrackBarFrame;
    gallery::GalleryOptions options;
    options.origin = {0, 0};
    options.endsMessageLoop = false;
    gallery::GalleryWindow skinned;
    gallery::GalleryWindow plain;
    if (!skinned.Create(options)) return;
    RECT r{};
    GetWindowRect(skinned.Handle(), &r);
    const SIZE start{r.right - r.left, r.bottom - r.top};
    // The plain window starts right of the widest the skinned one grows to.
    options.origin = {start.cx + 3 * 25 + 8, 0};
    options.skinned = false;
    if (!plain.Create(options)) return;
    if (skin::FindWindowPosition(plain.Handle()) != 0 ||
        skin::FindWindowPosition(skinned.Handle()) == 0) {
        std::printf("  live resize: the plain gallery window was skinned, or the other not\n");
        return;
    }
    for (HWND window : {skinned.Handle(), plain.Handle()}) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
    }
    PumpMessages();
    const int position = skin::SkinnedPosition(skinned.Handle());

    // Two passes at scale 1: 200 steps a window, enough for a stable median and for the steps
    // that grow past a kept bitmap to show among the worst.
    DragSide mine(skinned.Handle()), theirs(plain.Handle());
    skin::PaintPhaseTimes phases{};
    for (int pass = 0; pass < 2 * scale; ++pass) {
        DragPass({&mine, &theirs}, start, detailed ? &phases : nullptr);
        PumpMessages();
    }
    // In detailed mode one more pass of each alone, profiled by message; the hooks slow it, so
    // it counts in none of the figures.
    MessageProfile myMessages, theirMessages;
    DragSide myProfiled(skinned.Handle()), theirProfiled(plain.Handle());
    if (detailed) {
        myMessages.Start();
        DragPass({&myProfiled}, start);
        myMessages.Stop();
        theirMessages.Start();
        DragPass({&theirProfiled}, start);
        theirMessages.Stop();
    }
    // The skin's own share of a step: the window's composition alone, at the starting size.
    const double rebuild =
        MedianMs(20 * scale, [&] { skin::TheSkin->RebuildBackground(position); });

    const StepFigures s = Figures(mine.steps);
    const StepFigures p = Figures(theirs.steps);
    std::printf("  live resize of the gallery window (%ld x %ld, every control), %zu steps each"
                " of a drag, skinned against the same window unskinned:\n",
                start.cx, start.cy, mine.steps.size());
    const auto row = [](const char* what, double a, double b, double target) {
        std::printf("    %-26s %9.3f ms   unskinned %8.3f ms   %5.2f x", what, a, b, a / b);
        if (target > 0)
            std::printf("   (target <= %g x: %s)\n", target, Verdict(a / b, target));
        else
            std::printf("\n");
    };
    row("median step", s.median, p.median, 1.5);
    row("95th percentile step", s.p95, p.p95, 0);
    row("worst step", s.worst, p.worst, 2);
    // Once per drag, when the frame is let go: the controls' repaint the drag left owed.
    row("the drag's end (median)", Figures(mine.ends).median, Figures(theirs.ends).median, 0);
    std::printf("    %-26s %9.3f ms   (the window's composition alone, %.0f %% of a median"
                " step)\n",
                "one full rebuild", rebuild, 100.0 * rebuild / s.median);
    if (detailed) {
        const auto sum = [](const std::vector<double>& v) {
            return std::accumulate(v.begin(), v.end(), 0.0);
        };
        const double steps = static_cast<double>(mine.steps.size());
        std::printf("      where a skinned step goes (mean):");
        double painters = 0;
        for (std::size_t i = 0; i < skin::kControlPhaseCount; ++i) {
            painters += phases.ms[i];
            std::printf(" %s %.3f,", skin::kPaintPhaseNames[i], phases.ms[i] / steps);
        }
        std::printf(" the controls' painters %.3f of a mean step of %.3f ms\n", painters / steps,
                    sum(mine.steps) / steps);
        std::printf("      the window's composition in a step (mean):");
        for (std::size_t i = skin::kControlPhaseCount; i < phases.ms.size(); ++i)
            std::printf(" %s %.3f,", skin::kPaintPhaseNames[i], phases.ms[i] / steps);
        std::printf("\n");
        row("the resize alone (median)", Figures(mine.sizing).median, Figures(theirs.sizing).median,
            0);
        myMessages.Print("skinned, by window class and message (a pass alone, hooked)",
                         sum(myProfiled.steps), 100, 18);
        theirMessages.Print("unskinned, the same", sum(theirProfiled.steps), 100, 12);
    }
    DestroyWindow(skinned.Handle());
    DestroyWindow(plain.Handle());
    skin::TheSkin->SetTheme({}, {}, themeColour);
    skin::TheSkin->SetControlOptions(
        skinControls, translucent ? std::optional<int>(alpha) : std::nullopt, trackBarFrame);
}

// SetTheme with a large image in each placement mode, and the full rebuild over it.
void ThemeImageTimes(const char* path, int scale) {
    std::ifstream file(path, std::ios::binary);
    const skin::ByteSet image((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    if (image.empty()) {
        std::printf("  theme image: cannot read %s\n", path);
        return;
    }
    std::printf("  theme image %s (%zu bytes), window 376 x 364:\n", path, image.size());
    BenchWindow w(376, 364);
    const struct {
        int mode;
        const char* name;
    } modes[] = {{skin::kImageTiled, "tiled (4, the default)"},
                 {skin::kImageBlendRight, "blended right (0)"},
                 {skin::kImageBlendLeft, "blended left (1)"},
                 {skin::kImageCentred, "centred (2)"},
                 {skin::kImageStretched, "stretched (3)"}};
    for (const auto& m : modes) {
        const double start = Now();
        skin::TheSkin->SetTheme({}, image, 0x00FF8800, std::nullopt, m.mode);
        const double set = Now() - start;
        const double repaint =
            MedianMs(5 * scale, [&] { skin::TheSkin->RebuildBackground(w.position); });
        std::printf("    %-24s SetTheme %9.1f ms   full rebuild %7.2f ms\n", m.name, set, repaint);
        std::fflush(stdout);
    }
    // No colour given: the theme colour is the image's average (2000 single-pixel reads).
    const double start = Now();
    skin::TheSkin->SetTheme({}, image);
    std::printf("    %-24s SetTheme %9.1f ms   (average colour %06lX)\n", "tiled, colour sampled",
                Now() - start, skin::Engine.ThemeColour & 0xFFFFFF);
    skin::TheSkin->SetTheme({}, {}, 0x00FF8800);
}

} // namespace

int main(int argc, char** argv) {
    const int scale = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    // A second argument runs one group alone: "window", "items", "families", "calls", "large",
    // "resize", "dpi" or
    // "theme" ("all" runs every group); "detail" after it adds where each control repaint's
    // time goes.
    const std::string only = argc > 2 && std::string(argv[2]) != "all" ? argv[2] : "";
    detailed = argc > 3 && std::string(argv[3]) == "detail";
    auto runs = [&only](const char* group) { return only.empty() || only == group; };
    const ULONG_PTR token = plus::StartupGdiPlus();
    if (!token) {
        std::fprintf(stderr, "GDI+ did not start\n");
        return 1;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = QuietProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VarnelBench";
    RegisterClassA(&wc);

    skin::CreateTheSkin();
    skin::TheSkin->FrameWidth = 3;
    skin::Engine.ThemeColour = 0x00FF8800;
    skin::Engine.AppIcon = CopyIcon(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    skin::Engine.FirstPaint = 0;

    std::printf("Composition benchmark (medians, x64 under this machine's Wine)\n");
    double small = 0;
    double pane = 0;
    if (runs("window")) {
        BenchWindow w(376, 364);
        small = RebuildAndSteps(w, 200 * scale, "376 x 364").rebuild;

        const double paint = MedianMs(
            1000 * scale, [&] { skin::TheSkin->ShowBackBuffer(w.position, GetDC(w.window)); });
        const HDC buffer = skin::RecordAt(w.position)->BackBufferDC.get();
        const double bare = MedianMs(1000 * scale, [&] {
            const HDC dc = GetDC(w.window);
            BitBlt(dc, 0, 0, 376, 364, buffer, 0, 0, SRCCOPY);
            ReleaseDC(w.window, dc);
        });
        Row("ordinary paint (ShowBackBuffer), 376 x 364", paint);
        Row("bare BitBlt of the same size", bare);
        std::printf("  %-44s %9.2f x   (target <= 1.5 x)\n", "paint / bare BitBlt", paint / bare);
        // Without WS_CLIPCHILDREN the paint asks the window server for the children itself.
        const LONG style = GetWindowLongA(w.window, GWL_STYLE);
        SetWindowLongA(w.window, GWL_STYLE, style & ~WS_CLIPCHILDREN);
        const double unclipped = MedianMs(
            1000 * scale, [&] { skin::TheSkin->ShowBackBuffer(w.position, GetDC(w.window)); });
        const double unclippedBare = MedianMs(1000 * scale, [&] {
            const HDC dc = GetDC(w.window);
            BitBlt(dc, 0, 0, 376, 364, buffer, 0, 0, SRCCOPY);
            ReleaseDC(w.window, dc);
        });
        SetWindowLongA(w.window, GWL_STYLE, style);
        Row("  the same without WS_CLIPCHILDREN", unclipped);
        std::printf("  %-44s %9.2f x\n", "  paint / bare BitBlt", unclipped / unclippedBare);

        int n = 0;
        pane = MedianMs(500 * scale, [&] {
            skin::TheSkin->SetStatusPane(w.window, 1,
                                         "Oskimo  已使用次数：" + std::to_string(n++) + " 次  ");
        });
        Row("status-pane update (SetStatusPane)", pane);
        {
            // Its parts: the paint on a canvas over the pane alone, and the copy to the screen.
            skin::WindowRecord& r = *skin::RecordAt(w.position);
            const skin::PaneRect bar = r.StatusPaneRects[0];
            const RECT area{bar.x, bar.y, bar.x + bar.width, bar.y + bar.height};
            Row("  paint on the pane's canvas", MedianMs(500 * scale, [&] {
                    skin::BackBufferCanvas canvas(r, area);
                    skin::TheSkin->PaintStatusPane(w.position, &canvas.graphics(), 1);
                }));
            Row("  copy of the pane to the screen",
                MedianMs(500 * scale, [&] { skin::ShowBackBufferRect(r, area); }));
        }
        std::printf("  %-44s %9.1f %%   (target < 10 %%)\n", "pane update / full rebuild",
                    100.0 * pane / small);

        skin::WindowRecord& record = *skin::RecordAt(w.position);
        Row("round region (size unchanged)",
            MedianMs(100 * scale, [&] { skin::SetRoundRegion(w.window); }));

        // The same steps in a rebuild's order on one canvas, so each runs under the clip the
        // background leaves: the time each adds.
        std::printf("  rebuild steps in order (time each adds):\n");
        const std::vector<PaintStep> order = RebuildSteps(w.position, true);
        double before = 0;
        for (std::size_t n = 1; n <= order.size(); ++n) {
            const double upTo = MedianMs(100 * scale, [&] {
                skin::BackBufferCanvas canvas(record);
                for (std::size_t k = 0; k < n; ++k)
                    order[k].second(canvas.graphics());
            });
            std::printf("    %-42s %9.3f ms\n", order[n - 1].first, upTo - before);
            before = upTo;
        }

        int level = 0;
        const double hover = MedianMs(500 * scale, [&] {
            level = (level + 30) % 270;
            skin::TheSkin->PaintCaptionButton(w.position, 1, nullptr, false, level);
        });
        Row("caption-button hover frame", hover);

        // Controls on the same window: the first of each pair is skinned, the second is made
        // after the install and stays the system's.
        HWND edit = Control(w.window, "Edit", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 140);
        HWND combo = Control(w.window, "ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL, 0, 180);
        skin::SkinEditsAndCombos(w.position, w.window);
        HWND plainEdit = Control(w.window, "Edit", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 220);
        HWND plainCombo = Control(w.window, "ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL, 0, 260);
        std::printf("  control repaints (skinned, then the same control unskinned):\n");
        CompareRepaints(
            "  edit frame (WM_NCPAINT alone)", 500 * scale, edit, plainEdit,
            [](HWND c) { SendMessageA(c, WM_NCPAINT, 1, 0); }, 0);
        CompareRepaints("  edit box (frame and text, as the system sends them)", 500 * scale, edit,
                        plainEdit, [](HWND c) {
                            RedrawWindow(c, nullptr, nullptr,
                                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
                        });
        CompareRepaints("  combo box (frame, face and text)", 500 * scale, combo, plainCombo,
                        [](HWND c) {
                            RedrawWindow(c, nullptr, nullptr,
                                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
                        });

        // Check boxes and radio buttons (checked, so the tick and the dot are drawn).
        auto small = [&](DWORD type, int x, int y) {
            HWND b = CreateWindowExA(0, "BUTTON", "已选中", WS_CHILD | WS_VISIBLE | type, x, y, 150,
                                     24, w.window, nullptr, GetModuleHandleA(nullptr), nullptr);
            SendMessageA(b, BM_SETCHECK, BST_CHECKED, 0);
            return b;
        };
        HWND check = small(BS_AUTOCHECKBOX, 20, 290);
        HWND radio = small(BS_AUTORADIOBUTTON, 200, 290);
        skin::SkinButtonFamily(w.position, w.window);
        HWND plainCheck = small(BS_AUTOCHECKBOX, 20, 316);
        HWND plainRadio = small(BS_AUTORADIOBUTTON, 200, 316);
        CompareRepaints("  check box", 500 * scale, check, plainCheck, RedrawWhole);
        CompareRepaints("  radio button", 500 * scale, radio, plainRadio, RedrawWhole);

        // A drag step of a track bar (the thumb follows the mouse, the control repaints) and a
        // progress-bar position step.
        INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&classes);
        auto bar = [&](const char* cls, DWORD style, int x, int y, int h) {
            return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, 160, h,
                                   w.window, nullptr, GetModuleHandleA(nullptr), nullptr);
        };
        HWND track = bar(TRACKBAR_CLASSA, TBS_BOTH | TBS_ENABLESELRANGE, 200, 140, 36);
        HWND progress = bar(PROGRESS_CLASSA, 0, 200, 180, 18);
        skin::SkinTrackBars(w.position, w.window);
        skin::SkinProgressBars(w.position, w.window);
        HWND plainTrack = bar(TRACKBAR_CLASSA, TBS_BOTH | TBS_ENABLESELRANGE, 200, 220, 36);
        HWND plainProgress = bar(PROGRESS_CLASSA, 0, 200, 260, 18);
        for (HWND t : {track, plainTrack}) {
            SendMessageA(t, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
            SendMessageA(t, TBM_SETSEL, TRUE, MAKELPARAM(20, 60));
            RECT thumb{};
            SendMessageA(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            SendMessageA(t, WM_LBUTTONDOWN, MK_LBUTTON,
                         MAKELPARAM(thumb.left + 3, (thumb.top + thumb.bottom) / 2));
        }
        int phase = 0;
        CompareRepaints(
            "  track bar, one drag step", 500 * scale, track, plainTrack,
            [&phase](HWND c) {
                phase = (phase + 1) % 2;
                SendMessageA(c, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(phase ? 60 : 100, 18));
                UpdateWindow(c);
            },
            2);
        for (HWND t : {track, plainTrack})
            SendMessageA(t, WM_LBUTTONUP, 0, MAKELPARAM(100, 18));
        CompareRepaints(
            "  progress bar, one position step", 500 * scale, progress, plainProgress,
            [&phase](HWND c) {
                phase = (phase + 1) % 2;
                SendMessageA(c, PBM_SETPOS, phase ? 37 : 63, 0);
                UpdateWindow(c);
            },
            2);
    }
    // Kept pictures hold only while no drawing call fails: none should fail in these runs.
    std::printf("  drawing calls that failed so far: %d\n", plus::CallsFailed());
    if (runs("items")) {
        // Item views, headers and up-downs: the skinned controls are made before the install,
        // the system's after it.
        BenchWindow w(640, 480);
        for (int translucent = 0; translucent <= 1; ++translucent) {
            skin::Engine.TranslucentControls = translucent;
            HWND list = ThousandRows(w.window, 20);
            HWND header = ThreeColumnHeader(w.window, 20);
            HWND spin = Spinner(w.window, 20);
            skin::SkinItemViews(w.position, w.window);
            skin::SkinUpDowns(w.position, w.window);
            skin::SkinHeaders(w.position, w.window);
            HWND plainList = ThousandRows(w.window, 340);
            HWND plainHeader = ThreeColumnHeader(w.window, 340);
            HWND plainSpin = Spinner(w.window, 340);
            std::printf("  item views, headers and up-downs (%s):\n",
                        translucent ? "translucent" : "opaque");
            CompareRepaints("  1,000-row list view, one-page scroll", 200 * scale, list, plainList,
                            ScrollOnePage);
            CompareRepaints("  the same, one-line scroll step", 300 * scale, list, plainList,
                            ScrollOneLine, 2);
            CompareRepaints("  header, three items", 300 * scale, header, plainHeader, RedrawWhole);
            CompareRepaints("  up-down", 300 * scale, spin, plainSpin, RedrawWhole);
            for (HWND c : {list, header, spin, plainList, plainHeader, plainSpin})
                DestroyWindow(c);
        }
        skin::Engine.TranslucentControls = 0;
    }
    if (runs("families")) FamilyTimes(scale);
    if (runs("calls")) CallTimes(scale);
    if (runs("large")) {
        BenchWindow w(1280, 800);
        RebuildAndSteps(w, 50 * scale, "1280 x 800");
    }
    if (runs("resize")) LiveResize(scale);
    if (runs("dpi")) DpiTimes(scale);
    const char* themeImage = std::getenv("VARNEL_BENCH_THEME_IMAGE");
    if (runs("theme") && themeImage && *themeImage) ThemeImageTimes(themeImage, scale);
    skin::DestroyTheSkin();
    plus::ShutdownGdiPlus(token);
    return 0;
}
