// The accessible object of a skinned window, read as assistive technology reads it: through
// oleacc in this process, and through a second process (the probe).
#include "accessibility_probe.h"
#include "skinned_window_fixture.h"

#include "skin/services/accessibility.h"

#include <objbase.h>
#include <oleacc.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

using namespace toplevel_testing;
using namespace probe_testing;

namespace {

struct ComAccessible {
    IAccessible* object = nullptr;
    ComAccessible() = default;
    ComAccessible(const ComAccessible&) = delete;
    ComAccessible& operator=(const ComAccessible&) = delete;
    ~ComAccessible() {
        if (object) object->Release();
    }
};

std::string NameOf(IAccessible* object, long id) {
    BSTR name = nullptr;
    if (FAILED(object->get_accName(skin::ChildVariant(id), &name)) || !name) return "<none>";
    std::string utf8(SysStringLen(name) * 4 + 1, '\0');
    utf8.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_UTF8, 0, name, static_cast<int>(SysStringLen(name)), utf8.data(),
                            static_cast<int>(utf8.size()), nullptr, nullptr)));
    SysFreeString(name);
    return utf8;
}

long RoleOf(IAccessible* object, long id) {
    VARIANT role;
    VariantInit(&role);
    object->get_accRole(skin::ChildVariant(id), &role);
    return role.vt == VT_I4 ? role.lVal : -1;
}

long StateOf(IAccessible* object, long id) {
    VARIANT state;
    VariantInit(&state);
    object->get_accState(skin::ChildVariant(id), &state);
    return state.vt == VT_I4 ? state.lVal : -1;
}

RECT LocationOf(IAccessible* object, long id) {
    long l = 0, t = 0, w = 0, h = 0;
    object->accLocation(&l, &t, &w, &h, skin::ChildVariant(id));
    return RECT{l, t, l + w, t + h};
}

// The screen rectangle a caption button is painted in: its layout rectangle rounded, one pixel
// to the left, as far as the client area reaches.
RECT PaintedButton(HWND window, const skin::CaptionButton& button) {
    const LONG x = std::lround(button.Rect.x) - 1;
    const LONG y = std::lround(button.Rect.y);
    RECT r{x, y, x + std::lround(button.Rect.width), y + std::lround(button.Rect.height)};
    RECT client{};
    GetClientRect(window, &client);
    IntersectRect(&r, &r, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string U8(const char* cp936) {
    return Utf8FromCp936(cp936);
}

// A window with the three system buttons, a status bar of two panes and one child button.
class AccessibleWindow : public SkinnedWindowTest {
protected:
    void SetUp() override {
        SkinnedWindowTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        window = TopLevel(120, 90, 360, 240);
        SetWindowTextA(window, "无障碍窗口");
        okButton = CreateChild(window, "BUTTON", "确定", BS_PUSHBUTTON, 40, 80, 90, 28, 7);
        std::vector<skin::StatusPane> panes{{120, "就绪", {}, 0}, {-1, "第二格", {}, 0}};
        skin::TheSkin->SkinWindow(window, 30, 1, 1, 0, 0, 1, 0, 22, panes);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
        Pump();
        position = skin::FindWindowPosition(window);
        ASSERT_GE(position, 1);
    }
    void TearDown() override {
        SkinnedWindowTest::TearDown();
        CoUninitialize();
    }
    void Open(ComAccessible& accessible) {
        ASSERT_EQ(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                             skin::kAccessibleInterfaceId,
                                             reinterpret_cast<void**>(&accessible.object)),
                  S_OK);
        ASSERT_NE(accessible.object, nullptr);
    }
    skin::WindowRecord& Record() { return *skin::RecordAt(position); }

    HWND window = nullptr;
    HWND okButton = nullptr;
    int position = 0;
};

// Children 1..6 are the drawn parts, then the button window.
struct ExpectedPart {
    long id;
    const char* name; // code page 936
    long role;
};
const ExpectedPart kParts[] = {
    {1, "无障碍窗口", ROLE_SYSTEM_STATICTEXT}, {2, "最小化", ROLE_SYSTEM_PUSHBUTTON},
    {3, "最大化", ROLE_SYSTEM_PUSHBUTTON},     {4, "关闭", ROLE_SYSTEM_PUSHBUTTON},
    {5, "就绪", ROLE_SYSTEM_STATICTEXT},       {6, "第二格", ROLE_SYSTEM_STATICTEXT},
};

} // namespace

TEST_F(AccessibleWindow, ChildrenAreTheDrawnPartsThenTheStandardChildren) {
    ComAccessible accessible;
    Open(accessible);
    IAccessible* object = accessible.object;
    long count = 0;
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 7);

    VARIANT children[8];
    long got = 0;
    ASSERT_EQ(AccessibleChildren(object, 0, 7, children, &got), S_OK);
    ASSERT_EQ(got, 7);
    for (const ExpectedPart& part : kParts) {
        SCOPED_TRACE(part.id);
        const VARIANT& v = children[part.id - 1];
        ASSERT_EQ(v.vt, VT_I4);
        EXPECT_EQ(v.lVal, part.id);
        EXPECT_EQ(NameOf(object, part.id), U8(part.name));
        EXPECT_EQ(RoleOf(object, part.id), part.role);
    }
    // The real child window is there as the system exposes it: its own object.
    ASSERT_EQ(children[6].vt, VT_DISPATCH);
    IAccessible* button = nullptr;
    ASSERT_EQ(children[6].pdispVal->QueryInterface(skin::kAccessibleInterfaceId,
                                                   reinterpret_cast<void**>(&button)),
              S_OK);
    HWND behind = nullptr;
    EXPECT_EQ(WindowFromAccessibleObject(button, &behind), S_OK);
    EXPECT_EQ(behind, okButton);
    button->Release();
    for (VARIANT& v : children)
        if (&v - children < got) VariantClear(&v);

    // The window itself stays the standard client object.
    EXPECT_EQ(RoleOf(object, CHILDID_SELF), ROLE_SYSTEM_CLIENT);
    EXPECT_EQ(NameOf(object, 8), "<none>");
}

TEST_F(AccessibleWindow, LocationsAreThePaintedRectanglesOnScreen) {
    ComAccessible accessible;
    Open(accessible);
    IAccessible* object = accessible.object;
    for (int b = 1; b <= 3; ++b) {
        SCOPED_TRACE(b);
        const RECT painted = PaintedButton(window, Record().CaptionButtons[b - 1]);
        const RECT location = LocationOf(object, 1 + b);
        EXPECT_TRUE(EqualRect(&painted, &location));
        // The hover fill covers exactly that rectangle: the pixels it changes lie inside it and
        // reach its left and right columns.
        const RECT client{location.left - 120 - 4, location.top - 90 - 2, location.right - 120 + 4,
                          location.bottom - 90 + 2};
        const auto before = testing_support::ScreenPixels(window, client);
        skin::TheSkin->PaintCaptionButton(position, b, nullptr, false, 240);
        const auto after = testing_support::ScreenPixels(window, client);
        const int width = client.right - client.left;
        int minX = 1 << 20, maxX = -1;
        for (size_t i = 0; i < before.size(); ++i) {
            if (before[i] == after[i]) continue;
            const int x = static_cast<int>(i) % width + client.left + 120;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
        }
        EXPECT_EQ(minX, location.left);
        EXPECT_EQ(maxX, location.right - 1);
        skin::TheSkin->PaintCaptionButton(position, b);
    }
    // Panes: their rectangles.
    for (int pane = 1; pane <= 2; ++pane) {
        const skin::PaneRect& r = Record().StatusPaneRects[pane - 1];
        const RECT location = LocationOf(object, 4 + pane);
        EXPECT_EQ(location.left, r.x + 120);
        EXPECT_EQ(location.top, r.y + 90);
        EXPECT_EQ(location.right - location.left, r.width);
        EXPECT_EQ(location.bottom - location.top, r.height);
    }
    // The title lies in the caption, left of the buttons.
    const RECT title = LocationOf(object, 1);
    EXPECT_GE(title.top, 90);
    EXPECT_LE(title.bottom, 90 + 30);
    EXPECT_LE(title.right, 120 + Record().ButtonsLeft);
    EXPECT_GT(title.right - title.left, 100);
}

TEST_F(AccessibleWindow, ButtonStatesFollowThePointerTheWindowAndTheSystemMenu) {
    ComAccessible accessible;
    Open(accessible);
    IAccessible* object = accessible.object;
    for (long id = 2; id <= 4; ++id)
        EXPECT_EQ(StateOf(object, id), 0) << id;
    EXPECT_EQ(StateOf(object, 5), STATE_SYSTEM_READONLY);

    // Under the pointer: hot-tracked, the others not.
    const skin::CaptionButton& maximize = Record().CaptionButtons[1];
    SendMessageA(
        window, WM_MOUSEMOVE, 0,
        MAKELPARAM(static_cast<int>(maximize.Rect.x + 10), static_cast<int>(maximize.Rect.y + 9)));
    EXPECT_EQ(StateOf(object, 3), STATE_SYSTEM_HOTTRACKED);
    EXPECT_EQ(StateOf(object, 2), 0);
    SendMessageA(window, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(StateOf(object, 3), 0);

    // Close greyed in the system menu: the close button is unavailable, and does nothing.
    EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_EQ(StateOf(object, 4), STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(StateOf(object, 2), 0);
    EXPECT_EQ(object->accDoDefaultAction(skin::ChildVariant(4)), E_ACCESSDENIED);
    EXPECT_TRUE(IsWindow(window));
    EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    EXPECT_EQ(StateOf(object, 4), 0);

    // A disabled window: every button unavailable.
    EnableWindow(window, FALSE);
    for (long id = 2; id <= 4; ++id)
        EXPECT_EQ(StateOf(object, id), STATE_SYSTEM_UNAVAILABLE) << id;
    EnableWindow(window, TRUE);
}

TEST_F(AccessibleWindow, DefaultActionsPressTheButtons) {
    ComAccessible accessible;
    Open(accessible);
    IAccessible* object = accessible.object;
    BSTR action = nullptr;
    ASSERT_EQ(object->get_accDefaultAction(skin::ChildVariant(3), &action), S_OK);
    EXPECT_EQ(std::wstring(action), L"Press");
    SysFreeString(action);
    action = nullptr;
    EXPECT_EQ(object->get_accDefaultAction(skin::ChildVariant(5), &action), S_FALSE);
    EXPECT_EQ(action, nullptr);
    EXPECT_EQ(object->accDoDefaultAction(skin::ChildVariant(1)), DISP_E_MEMBERNOTFOUND);

    ASSERT_EQ(object->accDoDefaultAction(skin::ChildVariant(3)), S_OK);
    Pump();
    EXPECT_TRUE(IsZoomed(window));
    EXPECT_EQ(Record().IsMaximized, 1);
    EXPECT_EQ(NameOf(object, 3), U8("还原"));
    ASSERT_EQ(object->accDoDefaultAction(skin::ChildVariant(3)), S_OK);
    Pump();
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_EQ(NameOf(object, 3), U8("最大化"));

    ASSERT_EQ(object->accDoDefaultAction(skin::ChildVariant(2)), S_OK);
    Pump();
    EXPECT_TRUE(IsIconic(window));
    ShowWindow(window, SW_RESTORE);
    Pump();
    EXPECT_FALSE(IsIconic(window));

    ASSERT_EQ(object->accDoDefaultAction(skin::ChildVariant(4)), S_OK);
    Pump();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(AccessibleWindow, HitTestAndNavigationAgreeWithTheChildren) {
    ComAccessible accessible;
    Open(accessible);
    IAccessible* object = accessible.object;
    // The centre of every drawn part hits that part.
    for (long id = 1; id <= 6; ++id) {
        const RECT r = LocationOf(object, id);
        VARIANT hit;
        VariantInit(&hit);
        ASSERT_EQ(object->accHitTest((r.left + r.right) / 2, (r.top + r.bottom) / 2, &hit), S_OK);
        EXPECT_EQ(hit.vt, VT_I4) << id;
        EXPECT_EQ(hit.lVal, id);
    }
    // The child window's centre: its object; plain client area: the window itself.
    VARIANT hit;
    VariantInit(&hit);
    ASSERT_EQ(object->accHitTest(120 + 85, 90 + 94, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_DISPATCH);
    VariantClear(&hit);
    ASSERT_EQ(object->accHitTest(120 + 250, 90 + 120, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, CHILDID_SELF);

    struct Step {
        long direction;
        long from;
        HRESULT result;
        VARTYPE type;
        long to;
    };
    const Step steps[] = {
        {NAVDIR_FIRSTCHILD, CHILDID_SELF, S_OK, VT_I4, 1},
        {NAVDIR_LASTCHILD, CHILDID_SELF, S_OK, VT_DISPATCH, 0},
        {NAVDIR_NEXT, 1, S_OK, VT_I4, 2},
        {NAVDIR_NEXT, 5, S_OK, VT_I4, 6},
        {NAVDIR_NEXT, 6, S_OK, VT_DISPATCH, 0},
        {NAVDIR_PREVIOUS, 2, S_OK, VT_I4, 1},
        {NAVDIR_PREVIOUS, 1, S_FALSE, VT_EMPTY, 0},
        {NAVDIR_NEXT, 7, S_FALSE, VT_EMPTY, 0},
        {NAVDIR_LEFT, 3, S_FALSE, VT_EMPTY, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << step.direction << " from " << step.from);
        VARIANT end;
        VariantInit(&end);
        EXPECT_EQ(object->accNavigate(step.direction, skin::ChildVariant(step.from), &end),
                  step.result);
        EXPECT_EQ(end.vt, step.type);
        if (step.type == VT_I4) {
            EXPECT_EQ(end.lVal, step.to);
        }
        VariantClear(&end);
    }
    VARIANT bad;
    VariantInit(&bad);
    EXPECT_EQ(object->accNavigate(NAVDIR_NEXT, skin::ChildVariant(8), &bad), E_INVALIDARG);
}

TEST_F(AccessibleWindow, AHeldObjectOfADestroyedWindowFailsCleanly) {
    const int before = skin::LiveAccessibleObjectCount();
    {
        ComAccessible accessible;
        Open(accessible);
        IAccessible* object = accessible.object;
        EXPECT_EQ(skin::LiveAccessibleObjectCount(), before + 1);
        DestroyWindow(window);
        Pump();
        long count = 5;
        EXPECT_EQ(object->get_accChildCount(&count), RPC_E_DISCONNECTED);
        BSTR name = nullptr;
        EXPECT_EQ(object->get_accName(skin::ChildVariant(2), &name), RPC_E_DISCONNECTED);
        EXPECT_EQ(name, nullptr);
        EXPECT_EQ(object->accDoDefaultAction(skin::ChildVariant(4)), RPC_E_DISCONNECTED);
        // Whatever the caller's variant held, it comes back empty: nothing to free by mistake.
        VARIANT hit = skin::ChildVariant(3);
        EXPECT_EQ(object->accHitTest(200, 100, &hit), RPC_E_DISCONNECTED);
        EXPECT_EQ(hit.vt, VT_EMPTY);
        EXPECT_EQ(skin::LiveAccessibleObjectCount(), before + 1) << "the holder still has it";
    }
    EXPECT_EQ(skin::LiveAccessibleObjectCount(), before) << "freed with its last holder";
}

TEST_F(AccessibleWindow, MapsChildIdsToPartsBothWays) {
    using skin::AccessiblePart;
    struct Case {
        long id;
        AccessiblePart::Kind kind;
        int index;
    };
    const Case cases[] = {{0, AccessiblePart::None, 0},   {1, AccessiblePart::Title, 1},
                          {2, AccessiblePart::Button, 1}, {4, AccessiblePart::Button, 3},
                          {5, AccessiblePart::Pane, 1},   {6, AccessiblePart::Pane, 2},
                          {7, AccessiblePart::None, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const AccessiblePart part = skin::AccessiblePartOf(position, c.id);
        EXPECT_EQ(part.kind, c.kind);
        EXPECT_EQ(part.index, c.index);
        if (c.kind != AccessiblePart::None) {
            EXPECT_EQ(skin::AccessibleChildIdOf(position, part), c.id);
        }
    }
    EXPECT_EQ(skin::AccessiblePartCount(position), 6);
    EXPECT_EQ(skin::AccessibleChildIdOf(position, {AccessiblePart::Button, 4}), 0);
    EXPECT_EQ(skin::AccessibleChildIdOf(position, {AccessiblePart::Pane, 3}), 0);
    // Without a title the buttons come first.
    Record().ShowTitle = 0;
    EXPECT_EQ(skin::AccessiblePartOf(position, 1).kind, AccessiblePart::Button);
    EXPECT_EQ(skin::AccessiblePartCount(position), 5);
    Record().ShowTitle = 1;
    // Positions with no window behind them have no parts.
    for (int gone : {0, -1, 9999}) {
        EXPECT_EQ(skin::AccessiblePartCount(gone), 0) << gone;
        EXPECT_EQ(skin::AccessiblePartOf(gone, 1).kind, AccessiblePart::None) << gone;
    }
}

TEST_F(AccessibleWindow, EnumerationStopsAtTheLastChildAndSelectionIsTheStandardObjects) {
    ComAccessible accessible;
    Open(accessible);
    IEnumVARIANT* children = nullptr;
    ASSERT_EQ(
        accessible.object->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&children)),
        S_OK);
    long count = 0;
    ASSERT_EQ(accessible.object->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 7); // six drawn parts and the button window
    // Asked for more than there are: exactly the children, and nothing written past them.
    std::vector<VARIANT> got(static_cast<std::size_t>(count) + 3, skin::ChildVariant(-7));
    ULONG fetched = 0;
    ASSERT_EQ(children->Reset(), S_OK);
    EXPECT_EQ(children->Next(static_cast<ULONG>(count) + 2, got.data(), &fetched), S_FALSE);
    EXPECT_EQ(fetched, static_cast<ULONG>(count));
    EXPECT_EQ(got[static_cast<std::size_t>(count)].lVal, -7);
    EXPECT_EQ(got.back().lVal, -7);
    // Asked for two: two, the third slot untouched.
    ASSERT_EQ(children->Reset(), S_OK);
    std::vector<VARIANT> two(3, skin::ChildVariant(-7));
    EXPECT_EQ(children->Next(2, two.data(), &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(two[1].lVal, 2);
    EXPECT_EQ(two[2].lVal, -7);
    for (VARIANT& v : got)
        VariantClear(&v);
    children->Release();

    // Selection of the window itself is whatever the system's own object answers.
    IAccessible* standard = nullptr;
    ASSERT_EQ(CreateStdAccessibleObject(window, static_cast<LONG>(OBJID_CLIENT),
                                        skin::kAccessibleInterfaceId,
                                        reinterpret_cast<void**>(&standard)),
              S_OK);
    for (long flags : {SELFLAG_TAKEFOCUS, SELFLAG_TAKESELECTION})
        EXPECT_EQ(accessible.object->accSelect(flags, skin::ChildVariant(0)),
                  standard->accSelect(flags, skin::ChildVariant(0)))
            << flags;
    standard->Release();
    // A drawn part cannot be selected.
    EXPECT_EQ(accessible.object->accSelect(SELFLAG_TAKEFOCUS, skin::ChildVariant(2)),
              DISP_E_MEMBERNOTFOUND);
}

std::vector<long> announced;
void CALLBACK OnNameChange(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT) announced.push_back(child);
}

TEST_F(AccessibleWindow, NameChangesAreAnnouncedForTheChildThatChanged) {
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, OnNameChange,
                        GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    struct Step {
        const char* what;
        std::function<void()> change;
        std::vector<long> ids;
    };
    const Step steps[] = {
        {"pane 1 text", [&] { skin::TheSkin->SetStatusPane(window, 1, "新文字"); }, {5}},
        {"pane 1 same text", [&] { skin::TheSkin->SetStatusPane(window, 1, "新文字"); }, {}},
        {"pane 2 text", [&] { skin::TheSkin->SetStatusPane(window, 2, "另一段"); }, {6}},
        {"maximize", [&] { SendMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0); }, {3}},
        {"resize while maximized", [&] { SendMessageA(window, WM_SIZE, 0, 0); }, {}},
        {"restore", [&] { SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0); }, {3}},
        {"title", [&] { SetWindowTextA(window, "新标题"); }, {1}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        announced.clear();
        step.change();
        Pump(100);
        EXPECT_EQ(announced, step.ids);
    }
    UnhookWinEvent(hook);
}

// --- From a second process ---

TEST_F(AccessibleWindow, ASecondProcessReadsTheSameChildren) {
    Probe probe({"children", HandleText(window)});
    ASSERT_TRUE(probe.Started());
    ASSERT_TRUE(probe.Finish());
    const std::vector<std::string> lines = probe.Lines();
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "count 7 hr 00000000");
    for (const ExpectedPart& part : kParts) {
        SCOPED_TRACE(part.id);
        const ProbeChild child = ParseChild(lines[static_cast<size_t>(part.id)]);
        EXPECT_EQ(child.id, part.id);
        EXPECT_EQ(child.kind, "i");
        EXPECT_EQ(child.role, part.role);
        EXPECT_EQ(child.name, U8(part.name));
    }
    const ProbeChild close = ParseChild(lines[4]);
    const RECT painted = PaintedButton(window, Record().CaptionButtons[2]);
    EXPECT_TRUE(EqualRect(&close.location, &painted));
    // The child window's own object, where the window is.
    const ProbeChild standard = ParseChild(lines[7]);
    EXPECT_EQ(standard.kind, "d" + HandleText(okButton));
}

TEST_F(AccessibleWindow, ASecondProcessPressesTheButtonsAndFindsCloseByPoint) {
    const RECT close = PaintedButton(window, Record().CaptionButtons[2]);
    {
        Probe probe({"point", std::to_string((close.left + close.right) / 2),
                     std::to_string((close.top + close.bottom) / 2)});
        ASSERT_TRUE(probe.Finish());
        ASSERT_EQ(probe.Lines().size(), 1u);
        const ProbeChild hit = ParseChild(probe.Lines()[0]);
        EXPECT_EQ(hit.id, 4) << probe.Lines()[0];
        EXPECT_EQ(hit.name, U8("关闭"));
        EXPECT_EQ(hit.role, ROLE_SYSTEM_PUSHBUTTON);
    }
    {
        Probe probe({"action", HandleText(window), "3"});
        ASSERT_TRUE(probe.Finish());
        EXPECT_EQ(probe.Lines(), std::vector<std::string>{"hr 00000000"});
    }
    Pump();
    EXPECT_TRUE(IsZoomed(window));
    {
        Probe probe({"children", HandleText(window)});
        ASSERT_TRUE(probe.Finish());
        ASSERT_GE(probe.Lines().size(), 4u);
        EXPECT_EQ(ParseChild(probe.Lines()[3]).name, U8("还原"));
    }
    {
        Probe probe({"action", HandleText(window), "2"});
        ASSERT_TRUE(probe.Finish());
    }
    Pump();
    EXPECT_TRUE(IsIconic(window));
}

TEST_F(AccessibleWindow, APaneTextChangeReachesAnotherProcessAsANameChange) {
    Probe probe({"events", std::to_string(GetCurrentProcessId()), "15000"});
    ASSERT_TRUE(probe.WaitForLine("ready"));
    // Under Wine a thread learns of hooks set since its last hook call only at its next one;
    // a screen reader's hook is there long before.
    UnhookWinEvent(SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                   OnNameChange, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT));
    Pump(100);
    ASSERT_TRUE(skin::TheSkin->SetStatusPane(window, 2, "已使用次数：42"));
    ASSERT_TRUE(probe.Finish());
    const std::vector<std::string> lines = probe.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "event 6|" + U8("已使用次数：42"));
}

TEST_F(AccessibleWindow, AnObjectHeldByAnotherProcessFailsOnceTheWindowIsGone) {
    Probe probe({"hold", HandleText(window)});
    ASSERT_TRUE(probe.WaitForLine("ready"));
    DestroyWindow(window);
    ASSERT_TRUE(probe.Finish());
    const std::vector<std::string> lines = probe.Lines();
    ASSERT_EQ(lines.size(), 3u);
    // The call fails (disconnected, or the proxy's own failure), and the probe did not crash.
    EXPECT_NE(lines[1], "count hr 00000000");
    EXPECT_NE(lines[2], "name hr 00000000");
    EXPECT_EQ(lines[1].rfind("count hr 8", 0), 0u) << lines[1];
}
