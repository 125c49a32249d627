#include "gallery/gallery_window.h"

#include "gallery/pictures/gallery_pictures.h"
#include "gallery/theme_picture.h"
#include "skin/core/capture.h"
#include "skin/core/dpi.h"
#include "skin/core/skin_engine.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace gallery {

namespace {

constexpr char kWindowClass[] = "VarnelGalleryWindow";
// No system caption or frame: the skin engine draws caption, border and status bar inside the
// window, and resizes it from its edges. Children clip the window's painting, as on the main
// window: each skinned control draws its own background from the window's back buffer.
constexpr DWORD kWindowStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The timer that advances the running progress bar, and its period.
constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressPeriod = 120; // ms
constexpr int kProgressStep = 3;

// Posted by the mode switch's click; wParam 1 = translucent.
constexpr UINT kSwitchModeMessage = WM_APP + 1;

// Four columns of sections below the caption.
constexpr int kColumns = 4;
constexpr int kLeft = 16;
constexpr int kColumnWidth = 230;
constexpr int kColumnGap = 16;
constexpr int kTop = GalleryWindow::kCaptionHeight + 14;
constexpr int kTitleHeight = 18;
constexpr int kTitleGap = 6;
constexpr int kSectionGap = 18;

void RegisterWindowClass(WNDPROC procedure) {
    WNDCLASSEXA cls{};
    cls.cbSize = sizeof cls;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoExA(instance, kWindowClass, &cls)) return;
    cls.lpfnWndProc = procedure;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kWindowClass;
    // The program's icon when the module has one (resource 129, as the application's).
    cls.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(129), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXICON),
                                              GetSystemMetrics(SM_CYICON), LR_SHARED));
    cls.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(129), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON),
                                                GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    RegisterClassExA(&cls);
}

HFONT MakeFont(int weight, UINT dpi) {
    return CreateFontA(-skin::ScaleToDpi(12, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                       GB2312_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, "宋体");
}

std::string ComboSelection(HWND combo) {
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index < 0) return {};
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}

// What a click did to a button, for the message pane.
std::string ButtonClickText(HWND button) {
    const LONG type = GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK;
    const bool checked = SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
    switch (type) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: return checked ? "已勾选" : "已取消勾选";
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return "已选择";
        default: return "已单击";
    }
}

// The common-control classes the gallery shows, and the rich-edit class (its module stays
// loaded for the life of the process).
void RegisterControlClasses() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                     ICC_DATE_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&classes);
    static const HMODULE richEdit = LoadLibraryA("riched20.dll");
    (void)richEdit;
}

// Formats characters [from, to) of a rich edit.
void FormatRange(HWND edit, int from, int to, DWORD effects, COLORREF colour) {
    CHARRANGE range{from, to};
    SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_COLOR;
    format.dwEffects = effects;
    format.crTextColor = colour;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

} // namespace

GalleryWindow::~GalleryWindow() {
    if (window_) DestroyWindow(window_);
}

const char* GalleryWindow::ModeText(ControlMode mode) {
    return mode == ControlMode::Translucent ? kTranslucentText : kOpaqueText;
}

bool GalleryWindow::Create(const Options& options) {
    if (window_) return false;
    options_ = options;
    RegisterWindowClass(&WindowProc);
    RegisterControlClasses();
    // A new window starts at the system DPI; its controls are made in 96-dpi units and then
    // placed at it, before the skin reads their fonts and places.
    const UINT startDpi = skin::SystemDpi();
    design_.clear();
    CreateFonts(startDpi);
    // The picture needs GDI+, so it is drawn here rather than at construction.
    if (themePicture_.empty()) themePicture_ = ThemePicturePng();
    // WM_NCCREATE stores `this` and the handle, so every later message finds the object.
    if (!CreateWindowExA(0, kWindowClass, kTitle, kWindowStyle, options_.origin.x,
                         options_.origin.y, skin::ScaleToDpi(kWidth, startDpi),
                         skin::ScaleToDpi(kHeight, startDpi), nullptr, nullptr,
                         GetModuleHandleA(nullptr), this)) {
        window_ = nullptr; // noted at WM_NCCREATE by a creation that then failed
        return false;
    }
    CreateSections();
    CreateDockedPanel();
    dpi_ = 96;
    RememberDesign();
    ApplyDpi(skin::SystemDpiOfWindow(window_));
    if (options_.skinned) {
        HandToSkinEngine();
        GiveImageButtonsPictures();
        SkinContainersAndCommonControls();
    }
    SetTimer(window_, kProgressTimer, kProgressPeriod, nullptr);
    message_ = kHintText;
    ShowWindow(window_, SW_SHOWNORMAL);
    // The single-line edit takes the keyboard, as the first field of a form would; before the
    // first paint, so its frame is drawn focused.
    if (HWND edit = Control(kEditSingleLine)) SetFocus(edit);
    UpdateWindow(window_);
    ready_ = true;
    return true;
}

bool GalleryWindow::SwitchMode(ControlMode mode) {
    Options next = options_;
    next.mode = mode;
    if (window_) {
        RECT r{};
        GetWindowRect(window_, &r);
        next.origin = {r.left, r.top};
        rebuilding_ = true;
        DestroyWindow(window_);
        rebuilding_ = false;
    }
    if (!Create(next)) return false;
    ShowMessage(std::string("已切换到") + ModeText(mode));
    return true;
}

void GalleryWindow::CreateFonts(UINT dpi) {
    if (font_ && titleFont_ && fontDpi_ == dpi) return;
    gdi::Font font(MakeFont(FW_NORMAL, dpi));
    gdi::Font titleFont(MakeFont(FW_BOLD, dpi));
    if (!font || !titleFont) return;
    // The controls take the new fonts before the old ones go.
    if (window_)
        for (const DesignPlace& place : design_) {
            const auto current =
                reinterpret_cast<HFONT>(SendMessageA(place.window, WM_GETFONT, 0, 0));
            HFONT next = current == font_.get()        ? font.get()
                         : current == titleFont_.get() ? titleFont.get()
                                                       : nullptr;
            if (next && current)
                SendMessageA(place.window, WM_SETFONT, reinterpret_cast<WPARAM>(next), FALSE);
        }
    font_ = std::move(font);
    titleFont_ = std::move(titleFont);
    fontDpi_ = dpi;
}

BOOL CALLBACK GalleryWindow::RememberPlace(HWND child, LPARAM self) {
    auto* gallery = reinterpret_cast<GalleryWindow*>(self);
    // Only what the gallery placed: its own children, the panels' and pages' children and the
    // pages. The parts of a system control (a combo box's field, a list view's header) are
    // placed by their control.
    const HWND parent = GetParent(child);
    char parentClass[64] = "", childClass[64] = "";
    GetClassNameA(parent, parentClass, sizeof parentClass);
    GetClassNameA(child, childClass, sizeof childClass);
    const bool groupBox = std::strcmp(parentClass, "Button") == 0 &&
                          (GetWindowLongA(parent, GWL_STYLE) & 0xF) == BS_GROUPBOX;
    const bool placed = parent == gallery->window_ || groupBox ||
                        std::strcmp(parentClass, HolderClass()) == 0 ||
                        std::strcmp(childClass, HolderClass()) == 0;
    if (!placed) return TRUE;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    // A drop-down combo box's height is that of its open list.
    if (std::strcmp(childClass, "ComboBox") == 0 &&
        (GetWindowLongA(child, GWL_STYLE) & 3) != CBS_SIMPLE) {
        RECT dropped{};
        if (SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)))
            r.bottom = r.top + (dropped.bottom - dropped.top);
    }
    DesignPlace place{child, r, {}, false};
    // Column widths are pixels too.
    if (std::strcmp(childClass, WC_HEADERA) == 0) {
        place.header = true;
        const int count = static_cast<int>(SendMessageA(child, HDM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            HDITEMA item{};
            item.mask = HDI_WIDTH;
            SendMessageA(child, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
            place.columns.push_back(item.cxy);
        }
    } else if (std::strcmp(childClass, WC_LISTVIEWA) == 0) {
        HWND header = reinterpret_cast<HWND>(SendMessageA(child, LVM_GETHEADER, 0, 0));
        const int count =
            header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
        for (int i = 0; i < count; ++i)
            place.columns.push_back(
                static_cast<int>(SendMessageA(child, LVM_GETCOLUMNWIDTH, i, 0)));
    }
    gallery->design_.push_back(std::move(place));
    return TRUE;
}

void GalleryWindow::RememberDesign() {
    design_.clear();
    EnumChildWindows(window_, &RememberPlace, reinterpret_cast<LPARAM>(this));
}

void GalleryWindow::ApplyDpi(UINT dpi) {
    if (dpi == 0) return;
    CreateFonts(dpi);
    if (dpi == dpi_) return;
    dpi_ = dpi;
    const auto px = [dpi](LONG v) { return skin::ScaleToDpi(v, dpi); };
    // Parents come before their children in the list, so each is placed in its scaled parent.
    for (const DesignPlace& place : design_) {
        const RECT& r = place.rect;
        MoveWindow(place.window, px(r.left), px(r.top), px(r.right) - px(r.left),
                   px(r.bottom) - px(r.top), TRUE);
        for (std::size_t i = 0; i < place.columns.size(); ++i) {
            const int width = px(place.columns[i]);
            if (place.header) {
                HDITEMA item{};
                item.mask = HDI_WIDTH;
                item.cxy = width;
                SendMessageA(place.window, HDM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
            } else {
                SendMessageA(place.window, LVM_SETCOLUMNWIDTH, i, width);
            }
        }
    }
}

void GalleryWindow::CreateSections() {
    std::array<int, kColumns> next;
    next.fill(kTop);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const Section& section : Sections()) {
        const int column = std::clamp(section.column, 0, kColumns - 1);
        const int left = kLeft + column * (kColumnWidth + kColumnGap);
        HWND title = CreateWindowExA(0, "STATIC", section.title, WS_CHILD | WS_VISIBLE | SS_LEFT,
                                     left, next[column], kColumnWidth, kTitleHeight, window_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelId)),
                                     instance, nullptr);
        if (title) {
            SendMessageA(title, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
            labels_.push_back(title);
        }
        SectionBuilder builder(window_, font_.get(), left, next[column] + kTitleHeight + kTitleGap,
                               kColumnWidth);
        section.add(builder);
        controls_.insert(controls_.end(), builder.Controls().begin(), builder.Controls().end());
        labels_.insert(labels_.end(), builder.Labels().begin(), builder.Labels().end());
        next[column] = builder.Bottom() + kSectionGap;
    }
    if (HWND modeSwitch = Control(kModeSwitch))
        SendMessageA(modeSwitch, BM_SETCHECK,
                     options_.mode == ControlMode::Translucent ? BST_CHECKED : BST_UNCHECKED, 0);
}

void GalleryWindow::HandToSkinEngine() {
    skin::SkinEngine* engine = skin::TheSkin.get();
    if (!engine) return;
    // No window of ours is skinned yet, so the theme push repaints nothing of the gallery.
    engine->SetTheme({}, themePicture_, std::nullopt, std::nullopt, skin::kImageStretched);
    // Before SkinWindow: the controls' install reads the mode.
    if (options_.mode == ControlMode::Translucent)
        engine->SetControlOptions(1, kTranslucentAlpha);
    else
        engine->SetControlOptions(1);
    std::vector<skin::StatusPane> panes(2);
    panes[0].Width = kModePaneWidth;
    panes[0].Text = ModeText(options_.mode);
    panes[1].Width = -1;
    panes[1].Text = kHintText;
    engine->SkinWindow(window_, kCaptionHeight, /*hasCaption=*/1, /*resizable=*/1,
                       /*helpButton=*/0, /*menuButton=*/0, /*showTitle=*/1, /*captionGloss=*/1,
                       kStatusHeight, panes);
}

void GalleryWindow::GiveImageButtonsPictures() {
    skin::SkinEngine* engine = skin::TheSkin.get();
    if (!engine) return;
    const auto bytes = [](std::span<const std::uint8_t> picture) {
        return skin::ByteSet(picture.begin(), picture.end());
    };
    // The picture left of the caption (any layout value but 0).
    engine->SkinImageButton(Control(kImageButtonSingle), bytes(LandscapeImage), 1,
                            std::string("一张图：指针下和按下时换底板"));
    for (int id : {kImageButtonStates, kImageButtonStatesDisabled})
        engine->SkinStateImageButton(Control(id), bytes(PlayNormalImage), bytes(PlayHotImage),
                                     bytes(PlayPressedImage), bytes(PlayDisabledImage),
                                     std::string("四张图：普通、指针下、按下、禁用"));
}

void GalleryWindow::CreateDockedPanel() {
    HWND panel = CreateWindowExA(0, HolderClass(), "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 2,
                                 kPanelTop, kWidth - 4, kPanelHeight, window_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDockedPanel)),
                                 GetModuleHandleA(nullptr), nullptr);
    if (!panel) return;
    controls_.push_back({kDockedPanel, panel, "停靠面板"});
    const auto child = [&](int id, const char* cls, const char* text, DWORD style, int x, int y,
                           int w, int h, DWORD exStyle) {
        HWND c = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                 panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
        if (c) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return c;
    };
    HWND edit = child(kRichEdit, RICHEDIT_CLASSA, "",
                      ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_DISABLENOSCROLL | WS_TABSTOP,
                      8, 6, 620, 58, WS_EX_CLIENTEDGE);
    if (edit) {
        const char text[] = "RTF 编辑框：粗体、斜体、下划线和彩色文字。这个面板停靠在窗口底部，"
                            "随窗口改变大小。";
        SetWindowTextA(edit, text);
        // Character positions count a double-byte character as one.
        FormatRange(edit, 8, 10, CFE_BOLD, RGB(0, 0, 0));
        FormatRange(edit, 11, 13, CFE_ITALIC, RGB(0, 0, 0));
        FormatRange(edit, 14, 17, CFE_UNDERLINE, RGB(0, 0, 0));
        FormatRange(edit, 18, 22, CFE_BOLD, RGB(200, 30, 30));
        CHARRANGE none{0, 0};
        SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
    }
    HWND bar = child(kStatusBar, STATUSCLASSNAMEA, "", SBARS_SIZEGRIP, 0, 0, 0, 0, 0);
    if (bar) {
        const int parts[] = {160, 320, -1};
        SendMessageA(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(parts));
        const char* texts[] = {"通用状态栏", "第 2 栏", "第 3 栏：随面板伸缩"};
        for (int i = 0; i < 3; ++i)
            SendMessageA(bar, SB_SETTEXTA, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(texts[i]));
    }
}

void GalleryWindow::LayOutDockedPanel(int width, int height) {
    HWND panel = Control(kDockedPanel);
    if (!panel) return;
    const auto px = [this](int v) { return skin::ScaleToDpi(v, dpi_); };
    const int top = px(kPanelTop);
    MoveWindow(panel, px(2), top, width - px(4), height - top - px(kStatusHeight) - px(3), TRUE);
}

HWND GalleryWindow::Inner(int id) const {
    if (!window_) return nullptr;
    for (int holder : {kTabs, kGroupBox, kDockedPanel})
        if (HWND h = Control(holder)) {
            if (HWND c = GetDlgItem(h, id)) return c;
            for (int page : {kTabPageCalendar, kTabPageForm})
                if (HWND p = GetDlgItem(h, page))
                    if (HWND c = GetDlgItem(p, id)) return c;
        }
    return nullptr;
}

void GalleryWindow::SkinContainersAndCommonControls() {
    skin::SkinEngine* engine = skin::TheSkin.get();
    if (!engine) return;
    // The pages lie inside the tab's washed picture: they take the same white wash as a fill.
    const int wash =
        options_.mode == ControlMode::Translucent ? kTranslucentAlpha : skin::Engine.ControlAlpha;
    engine->SkinCommonControl(Control(kTabs));
    for (int page : {kTabPageCalendar, kTabPageForm})
        engine->SkinContainer(GetDlgItem(Control(kTabs), page), 1, RGB(255, 255, 255), wash);
    engine->SkinCommonControl(Inner(kMonthCalendar), GetSysColor(COLOR_WINDOW));
    engine->SkinCommonControl(Control(kToolBar));
    engine->SkinContainer(Control(kGroupBox));
    engine->SkinContainer(Control(kDockedPanel), 1, 0, 255, /*framed=*/1);
    engine->SkinCommonControl(Inner(kRichEdit), GetSysColor(COLOR_WINDOW));
    engine->SkinCommonControl(Inner(kStatusBar));
    engine->DockWindow(window_, Control(kDockedPanel), kPanelTop);
}

void GalleryWindow::ShowTabPage(int index) {
    HWND tabs = Control(kTabs);
    ShowWindow(GetDlgItem(tabs, kTabPageCalendar), index == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(tabs, kTabPageForm), index == 1 ? SW_SHOW : SW_HIDE);
}

void GalleryWindow::OnNotify(const NMHDR& header) {
    if (header.idFrom == kTabs && header.code == static_cast<UINT>(TCN_SELCHANGE)) {
        const int index = static_cast<int>(SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0));
        ShowTabPage(index);
        ShowMessage(index == 0 ? "选项卡：月历" : "选项卡：表单");
    } else if (header.idFrom == kMonthCalendar && header.code == static_cast<UINT>(MCN_SELECT)) {
        const auto& select = reinterpret_cast<const NMSELCHANGE&>(header);
        ShowMessage("月历：选择了 " + std::to_string(select.stSelStart.wYear) + " 年 " +
                    std::to_string(select.stSelStart.wMonth) + " 月 " +
                    std::to_string(select.stSelStart.wDay) + " 日");
    }
}

void GalleryWindow::AdvanceProgress() {
    HWND bar = Control(kProgressRunning);
    if (!bar) return;
    const int position = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>((position + kProgressStep) % 101), 0);
}

void GalleryWindow::ShowTrackBarPanels(bool on) {
    if (skin::TheSkin) {
        const std::optional<int> alpha = options_.mode == ControlMode::Translucent
                                             ? std::optional<int>(kTranslucentAlpha)
                                             : std::nullopt;
        skin::TheSkin->SetControlOptions(1, alpha, on ? 1 : 0);
    }
    for (int id : {kTrackTicks, kTrackSelection, kTrackVertical, kTrackVerticalTicks})
        InvalidateRect(Control(id), nullptr, TRUE);
}

const NamedControl* GalleryWindow::Find(HWND control) const {
    for (const NamedControl& c : controls_)
        if (c.window == control) return &c;
    return nullptr;
}

bool GalleryWindow::IsLabel(HWND control) const {
    return std::find(labels_.begin(), labels_.end(), control) != labels_.end();
}

void GalleryWindow::ShowMessage(std::string text) {
    message_ = std::move(text);
    if (skin::TheSkin && window_) skin::TheSkin->SetStatusPane(window_, kMessagePane, message_);
}

void GalleryWindow::OnPointerOver(HWND child) {
    // A combo box's field and list are windows of their own: name the control they belong to.
    while (child && child != window_ && GetParent(child) != window_)
        child = GetParent(child);
    const NamedControl* control = child && child != window_ ? Find(child) : nullptr;
    HWND pointed = control ? control->window : nullptr;
    if (pointed == pointed_) return;
    pointed_ = pointed;
    if (control) ShowMessage("指针位于：" + control->name);
}

void GalleryWindow::OnCommand(HWND control, int id, int code) {
    if (id == kModeSwitch && code == BN_CLICKED) {
        // The click is still running inside the switch's own procedure: rebuild after it.
        const bool translucent = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        PostMessageA(window_, kSwitchModeMessage, translucent ? 1 : 0, 0);
        return;
    }
    if (id == kTrackPanelSwitch && code == BN_CLICKED) {
        const bool on = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        ShowTrackBarPanels(on);
        ShowMessage(on ? "滑块：显示面板" : "滑块：不显示面板");
        return;
    }
    if (id >= kToolBarFirstCommand && id < kToolBarFirstCommand + 3) {
        const char* names[] = {"新建", "打开", "保存"};
        ShowMessage(std::string("工具栏：按下了“") + names[id - kToolBarFirstCommand] + "”");
        return;
    }
    const NamedControl* named = Find(control);
    if (!named) return;
    std::string what;
    switch (code) {
        case BN_CLICKED:
            if (id >= kPushNormal && id < kEditSingleLine) what = ButtonClickText(control);
            break;
        case EN_CHANGE:
        case CBN_EDITCHANGE:
            // EN_CHANGE (0x300) and CBN_EDITCHANGE (5) never meet: one comes from edits only.
            what = "文本已修改";
            break;
        case CBN_SELCHANGE: what = "选择了“" + ComboSelection(control) + "”"; break;
        case CBN_DROPDOWN: what = "列表已展开"; break;
        case CBN_CLOSEUP: what = "列表已收起"; break;
        default: break;
    }
    if (!what.empty()) ShowMessage(named->name + "：" + what);
}

LRESULT GalleryWindow::LabelColour(HWND label, HDC dc) {
    // Opaque mode (in translucent mode the engine answers labels before this is reached, with
    // the same picture): the label shows the window's background unwashed, as if its text were
    // drawn on it.
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    RECT r{};
    GetClientRect(label, &r);
    skin::CapturedBackground background(label, r);
    if (!background.dc()) return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    // A pattern brush keeps its own copy of the bitmap.
    const gdi::Bitmap picture(background.TakeBitmap());
    gdi::Brush& brush = labelBrushes_[label];
    brush.reset(CreatePatternBrush(picture.get()));
    return reinterpret_cast<LRESULT>(brush.get());
}

void GalleryWindow::OnDestroy() {
    ready_ = false;
    labelBrushes_.clear();
    controls_.clear();
    labels_.clear();
    pointed_ = nullptr;
    window_ = nullptr;
    if (options_.endsMessageLoop && !rebuilding_) PostQuitMessage(0);
}

LRESULT GalleryWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (ready_ && lParam)
                OnCommand(reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_NOTIFY:
            if (ready_ && lParam) OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            break;
        case WM_SETCURSOR:
            if (ready_) OnPointerOver(reinterpret_cast<HWND>(wParam));
            break;
        case WM_CTLCOLORSTATIC:
            if (skin::TheSkin && options_.skinned && IsLabel(reinterpret_cast<HWND>(lParam)))
                return LabelColour(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
            break;
        case WM_TIMER:
            if (wParam == kProgressTimer) AdvanceProgress();
            return 0;
        case kSwitchModeMessage:
            SwitchMode(wParam ? ControlMode::Translucent : ControlMode::Opaque);
            return 0;
        case WM_SIZE:
            // Skinned, the skin lays the docked panel out; plain, the window does the same.
            if (!options_.skinned) LayOutDockedPanel(LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_DPICHANGED:
            // The skin has given the window its new rectangle already.
            ApplyDpi(LOWORD(wParam));
            return 0;
        case WM_DESTROY: OnDestroy(); return 0;
        default: break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK GalleryWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* self = reinterpret_cast<GalleryWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self =
            static_cast<GalleryWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->window_ = window;
    }
    if (!self || self->window_ != window) return DefWindowProcA(window, message, wParam, lParam);
    // Nothing after the window's own destruction reaches the object: a rebuild may already
    // have made its successor.
    if (message == WM_DESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    return self->OnMessage(message, wParam, lParam);
}

} // namespace gallery
