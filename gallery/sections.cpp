#include "gallery/sections.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

namespace gallery {

namespace {

constexpr int kGap = 10;       // between controls on a line
constexpr int kLineGap = 8;    // between lines
constexpr int kRowHeight = 24; // one-line controls

// Items the combo boxes offer.
constexpr const char* kCities[] = {"北京", "上海", "广州", "深圳", "杭州", "成都", "武汉", "西安"};

void FillCombo(HWND combo, int selection) {
    for (const char* city : kCities)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(city));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

void AddPushButtons(SectionBuilder& s) {
    s.Add(kPushNormal, "BUTTON", "普通按钮", BS_PUSHBUTTON | WS_TABSTOP, 70, 28, "普通按钮");
    s.Add(kPushDefault, "BUTTON", "默认按钮", BS_DEFPUSHBUTTON | WS_TABSTOP, 70, 28, "默认按钮");
    s.Add(kPushDisabled, "BUTTON", "禁用按钮", BS_PUSHBUTTON | WS_DISABLED, 70, 28, "禁用按钮");
}

void AddCheckBoxes(SectionBuilder& s) {
    HWND checked = s.Add(kCheckChecked, "BUTTON", "已选中", BS_AUTOCHECKBOX | WS_TABSTOP, 70,
                         kRowHeight, "复选框“已选中”");
    SendMessageA(checked, BM_SETCHECK, BST_CHECKED, 0);
    s.Add(kCheckUnchecked, "BUTTON", "未选中", BS_AUTOCHECKBOX | WS_TABSTOP, 70, kRowHeight,
          "复选框“未选中”");
    HWND disabled = s.Add(kCheckDisabled, "BUTTON", "禁用", BS_AUTOCHECKBOX | WS_DISABLED, 70,
                          kRowHeight, "复选框“禁用”");
    SendMessageA(disabled, BM_SETCHECK, BST_CHECKED, 0);
}

void AddRadioButtons(SectionBuilder& s) {
    HWND checked =
        s.Add(kRadioChecked, "BUTTON", "已选中", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 70,
              kRowHeight, "单选按钮“已选中”");
    SendMessageA(checked, BM_SETCHECK, BST_CHECKED, 0);
    s.Add(kRadioUnchecked, "BUTTON", "未选中", BS_AUTORADIOBUTTON, 70, kRowHeight,
          "单选按钮“未选中”");
    s.Add(kRadioDisabled, "BUTTON", "禁用", BS_AUTORADIOBUTTON | WS_DISABLED, 70, kRowHeight,
          "单选按钮“禁用”");
}

std::string MultiLineText() {
    std::string text;
    for (int line = 1; line <= 12; ++line) {
        if (line > 1) text += "\r\n";
        text += "第 " + std::to_string(line) +
                " 行：多行编辑框有垂直和水平两个滚动条，这一行足够长，可以横向滚动。";
    }
    return text;
}

// Edits get the sunken client edge, as dialogs give them: the skin paints its frame over that
// ring. (With WS_BORDER the edit draws a 1-pixel border inside its client area itself, and there
// is no ring for the skin.)
constexpr DWORD kEditEdge = WS_EX_CLIENTEDGE;

void AddEdits(SectionBuilder& s) {
    const int captionWidth = 48;
    const int editWidth = s.Width() - captionWidth - kGap;
    s.Caption("单行", captionWidth, kRowHeight);
    s.Add(kEditSingleLine, "EDIT", "单行编辑框", WS_TABSTOP | ES_AUTOHSCROLL, editWidth, kRowHeight,
          "单行编辑框", kEditEdge);
    s.NewLine();
    s.Caption("多行", captionWidth, kRowHeight);
    s.Add(kEditMultiLine, "EDIT", MultiLineText().c_str(),
          WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
              ES_WANTRETURN,
          editWidth, 140, "多行编辑框", kEditEdge);
    s.NewLine();
    s.Caption("只读", captionWidth, kRowHeight);
    s.Add(kEditReadOnly, "EDIT", "只读文本，不能修改", ES_AUTOHSCROLL | ES_READONLY, editWidth,
          kRowHeight, "只读编辑框", kEditEdge);
    s.NewLine();
    s.Caption("密码", captionWidth, kRowHeight);
    s.Add(kEditPassword, "EDIT", "varnel", WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, editWidth,
          kRowHeight, "密码编辑框", kEditEdge);
}

void AddCombos(SectionBuilder& s) {
    const int captionWidth = 56;
    const int comboWidth = s.Width() - captionWidth - kGap;
    // A combo box's height includes its list: shown below a simple one, dropped by the others.
    s.Caption("简单", captionWidth, kRowHeight);
    FillCombo(s.Add(kComboSimple, "COMBOBOX", "",
                    CBS_SIMPLE | CBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, comboWidth, 120,
                    "简单组合框"),
              1);
    s.NewLine();
    s.Caption("下拉", captionWidth, kRowHeight);
    FillCombo(s.Add(kComboDropDown, "COMBOBOX", "",
                    CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, comboWidth, 180,
                    "下拉组合框"),
              0);
    s.NewLine();
    s.Caption("下拉列表", captionWidth, kRowHeight);
    FillCombo(s.Add(kComboDropDownList, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                    comboWidth, 180, "下拉列表组合框"),
              2);
}

void AddListAndTree(SectionBuilder& s) {
    const int half = (s.Width() - kGap) / 2;
    HWND list = s.Add(kListBox, "LISTBOX", "", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, half, 96,
                      "列表框", WS_EX_CLIENTEDGE);
    for (int i = 1; i <= 40; ++i) {
        const std::string text = "列表项 " + std::to_string(i);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    HWND tree = s.Add(kTreeView, WC_TREEVIEWA, "",
                      TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | WS_TABSTOP, half, 96,
                      "树视图", WS_EX_CLIENTEDGE);
    const auto insert = [tree](HTREEITEM parent, const char* text) {
        TVINSERTSTRUCTA node{};
        node.hParent = parent;
        node.hInsertAfter = TVI_LAST;
        node.item.mask = TVIF_TEXT;
        node.item.pszText = const_cast<char*>(text);
        return reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&node)));
    };
    HTREEITEM root = insert(TVI_ROOT, "中国");
    HTREEITEM province = insert(root, "广东");
    HTREEITEM city = insert(province, "广州");
    insert(city, "天河");
    // More cities than the view holds, so it scrolls.
    for (const char* text : {"深圳", "珠海", "佛山", "东莞", "中山", "惠州"})
        insert(province, text);
    for (HTREEITEM open : {root, province, city})
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(open));
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(root));
    SendMessageA(tree, WM_HSCROLL, SB_LEFT, 0);
}

void AddListView(SectionBuilder& s) {
    HWND list = s.Add(kListView, WC_LISTVIEWA, "", LVS_REPORT | LVS_SHOWSELALWAYS | WS_TABSTOP,
                      s.Width(), 110, "列表视图（1000 行）", WS_EX_CLIENTEDGE);
    const char* titles[] = {"序号", "城市", "人数"};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = i == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = 70;
        column.pszText = const_cast<char*>(titles[i]);
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    SendMessageA(list, LVM_SETITEMCOUNT, 1000, 0);
    for (int i = 0; i < 1000; ++i) {
        const std::string number = std::to_string(i + 1);
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(number.c_str());
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        const std::string count = std::to_string((i * 7919) % 10000);
        const char* city = kCities[i % std::size(kCities)];
        for (auto [sub, text] : {std::pair{1, city}, std::pair{2, count.c_str()}}) {
            item.iSubItem = sub;
            item.pszText = const_cast<char*>(text);
            SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        }
    }
}

void AddAddressAndDate(SectionBuilder& s) {
    const int ipWidth = 130; // four fields of three digits
    HWND ip = s.Add(kIpAddress, WC_IPADDRESSA, "", WS_TABSTOP, ipWidth, kRowHeight, "IP 地址",
                    WS_EX_CLIENTEDGE);
    SendMessageA(ip, IPM_SETADDRESS, 0, MAKEIPADDRESS(192, 168, 1, 10));
    s.Add(kDateTime, DATETIMEPICK_CLASSA, "", DTS_SHORTDATEFORMAT | WS_TABSTOP,
          s.Width() - ipWidth - kGap, kRowHeight, "日期时间选择器", WS_EX_CLIENTEDGE);
}

void AddHeader(SectionBuilder& s) {
    HWND header =
        s.Add(kHeaderAlone, WC_HEADERA, "", HDS_BUTTONS | HDS_HORZ, s.Width(), 24, "标题控件");
    const char* titles[] = {"名称", "修改日期", "这一列的标题很长，放不下"};
    for (int i = 0; i < 3; ++i) {
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.fmt = HDF_STRING | (i == 1 ? HDF_CENTER : HDF_LEFT);
        item.cxy = i == 2 ? s.Width() - 160 : 80;
        item.pszText = const_cast<char*>(titles[i]);
        SendMessageA(header, HDM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
}

void AddUpDowns(SectionBuilder& s) {
    HWND vertical = s.Add(kUpDownVerticalBuddy, "EDIT", "5", ES_NUMBER | WS_TABSTOP, 60, kRowHeight,
                          "数值编辑框（竖）", WS_EX_CLIENTEDGE);
    HWND up = s.Add(kUpDownVertical, UPDOWN_CLASSA, "", UDS_SETBUDDYINT | UDS_ARROWKEYS, 18,
                    kRowHeight, "竖直调节钮");
    SendMessageA(up, UDM_SETBUDDY, reinterpret_cast<WPARAM>(vertical), 0);
    SendMessageA(up, UDM_SETRANGE32, 0, 99);
    SendMessageA(up, UDM_SETPOS32, 0, 5);
    HWND horizontal = s.Add(kUpDownHorizontalBuddy, "EDIT", "50", ES_NUMBER | WS_TABSTOP, 60,
                            kRowHeight, "数值编辑框（横）", WS_EX_CLIENTEDGE);
    HWND across = s.Add(kUpDownHorizontal, UPDOWN_CLASSA, "",
                        UDS_HORZ | UDS_SETBUDDYINT | UDS_ARROWKEYS, 36, kRowHeight, "水平调节钮");
    SendMessageA(across, UDM_SETBUDDY, reinterpret_cast<WPARAM>(horizontal), 0);
    SendMessageA(across, UDM_SETRANGE32, 0, 100);
    SendMessageA(across, UDM_SETPOS32, 0, 50);
}

HWND TrackBar(SectionBuilder& s, int id, DWORD style, int width, int height, const char* name,
              int position) {
    HWND bar = s.Add(id, TRACKBAR_CLASSA, "", style | WS_TABSTOP, width, height, name);
    SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageA(bar, TBM_SETTICFREQ, 10, 0);
    SendMessageA(bar, TBM_SETPOS, TRUE, position);
    return bar;
}

void AddTrackBars(SectionBuilder& s) {
    TrackBar(s, kTrackTicks, TBS_AUTOTICKS | TBS_TOP, s.Width(), 36, "水平滑块（刻度）", 60);
    s.NewLine();
    HWND selection = TrackBar(s, kTrackSelection, TBS_ENABLESELRANGE | TBS_AUTOTICKS, s.Width(), 40,
                              "水平滑块（选择范围）", 45);
    SendMessageA(selection, TBM_SETSEL, TRUE, MAKELPARAM(20, 70));
    s.NewLine();
    TrackBar(s, kTrackVertical, TBS_VERT | TBS_NOTICKS, 40, 100, "竖直滑块", 30);
    TrackBar(s, kTrackVerticalTicks, TBS_VERT | TBS_AUTOTICKS | TBS_BOTH, 40, 100,
             "竖直滑块（两侧刻度）", 100);
    HWND panel = s.Add(kTrackPanelSwitch, "BUTTON", "滑块面板", BS_AUTOCHECKBOX | WS_TABSTOP, 120,
                       kRowHeight, "滑块面板开关");
    SendMessageA(panel, BM_SETCHECK, BST_CHECKED, 0);
}

void AddProgressBars(SectionBuilder& s) {
    const int captionWidth = 40;
    const int barWidth = s.Width() - captionWidth - kGap - 18 - kGap;
    struct Bar {
        int id;
        const char* caption;
        const char* name;
        int position;
    };
    const Bar bars[] = {
        {kProgressEmpty, "0%", "进度条（0%）", 0},
        {kProgressPart, "37%", "进度条（37%）", 37},
        {kProgressFull, "100%", "进度条（100%）", 100},
        {kProgressRunning, "运行", "进度条（运行中）", 0},
    };
    for (const Bar& b : bars) {
        s.Caption(b.caption, captionWidth, 16);
        HWND bar = s.Add(b.id, PROGRESS_CLASSA, "", 0, barWidth, 16, b.name);
        SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(b.position), 0);
        s.NewLine();
    }
}

void AddImageButtons(SectionBuilder& s) {
    // Plain push buttons here; the window gives them their pictures once it is skinned.
    s.Add(kImageButtonSingle, "BUTTON", "风景", BS_PUSHBUTTON | WS_TABSTOP, 96, 44,
          "图像按钮（一张图）");
    s.Add(kImageButtonStates, "BUTTON", "", BS_PUSHBUTTON | WS_TABSTOP, 30, 30, "图像按钮（四态）");
    s.Add(kImageButtonStatesDisabled, "BUTTON", "", BS_PUSHBUTTON | WS_DISABLED, 30, 30,
          "图像按钮（四态，禁用）");
}

// A child of `parent` (not of the section's window) at a place of its own, in the section's
// font.
HWND MakeInside(HWND parent, HFONT font, int id, const char* cls, const char* text, DWORD style,
                int x, int y, int w, int h, DWORD exStyle = 0) {
    HWND control = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void AddToolBar(SectionBuilder& s) {
    HWND bar = s.Add(kToolBar, TOOLBARCLASSNAMEA, "",
                     TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER,
                     s.Width(), 28, "工具栏");
    if (!bar) return;
    SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    const char* texts[] = {"新建", "打开", "保存"};
    for (int i = 0; i < 3; ++i) {
        TBBUTTON button{};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = kToolBarFirstCommand + i;
        button.fsState = static_cast<BYTE>(i == 2 ? 0 : TBSTATE_ENABLED);
        button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        button.iString = reinterpret_cast<INT_PTR>(texts[i]);
        SendMessageA(bar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
}

void AddTabs(SectionBuilder& s) {
    const int w = s.Width(), h = 206;
    HWND tabs = s.Add(kTabs, WC_TABCONTROLA, "", WS_CLIPSIBLINGS | WS_TABSTOP, w, h, "选项卡");
    if (!tabs) return;
    const char* titles[] = {"月历", "表单"};
    for (int i = 0; i < 2; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(titles[i]);
        SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    RECT page{0, 0, w, h};
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    const int pw = page.right - page.left, ph = page.bottom - page.top;
    HWND calendarPage = MakeInside(tabs, s.Font(), kTabPageCalendar, HolderClass(), "", 0,
                                   page.left, page.top, pw, ph);
    HWND formPage =
        MakeInside(tabs, s.Font(), kTabPageForm, HolderClass(), "", 0, page.left, page.top, pw, ph);
    if (!calendarPage || !formPage) return;
    ShowWindow(formPage, SW_HIDE);
    MakeInside(calendarPage, s.Font(), kMonthCalendar, MONTHCAL_CLASSA, "", WS_TABSTOP, 0, 0, pw,
               ph);
    MakeInside(formPage, s.Font(), kPageButton, "BUTTON", "页内按钮", BS_PUSHBUTTON | WS_TABSTOP,
               10, 12, 80, 28);
    HWND check = MakeInside(formPage, s.Font(), kPageCheck, "BUTTON", "页内复选框",
                            BS_AUTOCHECKBOX | WS_TABSTOP, 10, 52, 120, 24);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    MakeInside(formPage, s.Font(), kPageEdit, "EDIT", "页内编辑框", WS_TABSTOP | ES_AUTOHSCROLL, 10,
               88, pw - 20, 24, WS_EX_CLIENTEDGE);
}

void AddGroupBox(SectionBuilder& s) {
    const int w = s.Width();
    HWND box = s.Add(kGroupBox, "BUTTON", "组框中的控件", BS_GROUPBOX, w, 124, "组框");
    if (!box) return;
    HWND check = MakeInside(box, s.Font(), kGroupCheck, "BUTTON", "组内复选框",
                            BS_AUTOCHECKBOX | WS_TABSTOP, 10, 20, 100, 22);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    MakeInside(box, s.Font(), kGroupEdit, "EDIT", "组内编辑框", WS_TABSTOP | ES_AUTOHSCROLL, 116,
               20, w - 126, 22, WS_EX_CLIENTEDGE);
    HWND progress =
        MakeInside(box, s.Font(), kGroupProgress, PROGRESS_CLASSA, "", 0, 10, 52, w - 20, 14);
    SendMessageA(progress, PBM_SETPOS, 62, 0);
    HWND track = MakeInside(box, s.Font(), kGroupTrack, TRACKBAR_CLASSA, "",
                            TBS_AUTOTICKS | WS_TABSTOP, 10, 76, w - 20, 36);
    SendMessageA(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendMessageA(track, TBM_SETTICFREQ, 20, 0);
    SendMessageA(track, TBM_SETPOS, TRUE, 40);
}

void AddModeSwitch(SectionBuilder& s) {
    s.Add(kModeSwitch, "BUTTON", "半透明控件", BS_AUTOCHECKBOX | WS_TABSTOP, 140, kRowHeight,
          "半透明控件开关");
}

constexpr Section kSections[] = {
    {"按钮", 0, AddPushButtons},
    {"复选框", 0, AddCheckBoxes},
    {"单选按钮", 0, AddRadioButtons},
    {"外观", 0, AddModeSwitch},
    {"图像按钮", 0, AddImageButtons},
    {"列表框与树视图", 0, AddListAndTree},
    {"数值调节钮", 0, AddUpDowns},
    {"编辑框", 1, AddEdits},
    {"进度条", 1, AddProgressBars},
    {"列表视图", 1, AddListView},
    {"组合框", 2, AddCombos},
    {"滑块", 2, AddTrackBars},
    {"IP 地址与日期", 2, AddAddressAndDate},
    {"工具栏", 3, AddToolBar},
    {"选项卡", 3, AddTabs},
    {"组框", 3, AddGroupBox},
    {"标题控件", 3, AddHeader},
};

} // namespace

SectionBuilder::SectionBuilder(HWND parent, HFONT font, int left, int top, int width)
    : parent_(parent), font_(font), left_(left), width_(width), x_(left), y_(top), lineBottom_(top),
      bottom_(top) {}

HWND SectionBuilder::Make(int id, const char* className, const char* text, DWORD style,
                          DWORD exStyle, int width, int height) {
    if (x_ > left_ && x_ + width > left_ + width_) NewLine();
    HWND control = CreateWindowExA(
        exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x_, y_, width, height, parent_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (!control) return nullptr;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // A combo box's own height counts its list; only the field takes room on the line.
    RECT r{};
    GetWindowRect(control, &r);
    const int placedHeight = std::min<int>(height, r.bottom - r.top);
    x_ += width + kGap;
    lineBottom_ = std::max(lineBottom_, y_ + placedHeight);
    bottom_ = std::max(bottom_, lineBottom_);
    return control;
}

HWND SectionBuilder::Add(int id, const char* className, const char* text, DWORD style, int width,
                         int height, const char* name, DWORD exStyle) {
    HWND control = Make(id, className, text, style, exStyle, width, height);
    if (control) controls_.push_back({id, control, name});
    return control;
}

HWND SectionBuilder::Caption(const char* text, int width, int height) {
    HWND label = Make(kLabelId, "STATIC", text, SS_LEFT | SS_CENTERIMAGE, 0, width, height);
    if (label) labels_.push_back(label);
    return label;
}

void SectionBuilder::NewLine() {
    if (lineBottom_ > y_) y_ = lineBottom_ + kLineGap;
    x_ = left_;
}

namespace {

// Hands what a holder's children report to the gallery window, which names it in the status
// bar.
LRESULT CALLBACK HolderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND || message == WM_NOTIFY) {
        if (HWND top = GetAncestor(window, GA_ROOT); top && top != window)
            return SendMessageA(top, message, wParam, lParam);
    }
    if (message == WM_SIZE) {
        // A status bar inside lays itself out along the holder's bottom edge again.
        char cls[32] = {};
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (GetClassNameA(child, cls, sizeof cls) && std::string(cls) == STATUSCLASSNAMEA)
                SendMessageA(child, WM_SIZE, 0, 0);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

const char* HolderClass() {
    static const char* name = [] {
        WNDCLASSA cls{};
        cls.lpfnWndProc = HolderProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        cls.lpszClassName = "VarnelGalleryHolder";
        RegisterClassA(&cls);
        return "VarnelGalleryHolder";
    }();
    return name;
}

std::span<const Section> Sections() {
    return kSections;
}

} // namespace gallery
