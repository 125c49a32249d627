// The accessible object of a skinned top-level window (see accessibility.h).
#include "skin/services/accessibility.h"

#include <objbase.h>
#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "skin/core/com_ptr.h"
#include "skin/core/skin_engine.h"
#include "skin/core/window_record.h"
#include "skin/core/window_services.h"

namespace skin {

const GUID kAccessibleInterfaceId = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

namespace {

// The other interfaces the object answers, spelled out for the same reason as IID_IAccessible.
constexpr GUID kUnknownId = {
    0x00000000, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kDispatchId = {
    0x00020400, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kEnumVariantId = {
    0x00020404, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// On a skinned window: whether the maximize button was last announced as restore (1 no, 2 yes).
constexpr char kPropAnnouncedMaximized[] = "Xt_AccMax";

constexpr wchar_t kPressAction[] = L"Press";

BSTR ToBstr(const std::string& text) {
    if (text.empty()) return SysAllocString(L"");
    const int length =
        MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(std::max(0, length)));
    if (result && length > 0)
        MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), result, length);
    return result;
}

std::string TextOf(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(std::max(0, length)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

int ButtonCount(const WindowRecord& record) {
    return record.HasCaption ? static_cast<int>(record.CaptionButtons.size()) : 0;
}
int TitleCount(const WindowRecord& record) {
    return record.HasCaption && record.ShowTitle ? 1 : 0;
}
int PaneCount(const WindowRecord& record) {
    return record.StatusHeight > 0 ? static_cast<int>(std::min(record.StatusPanes.size(),
                                                               record.StatusPaneRects.size()))
                                   : 0;
}

RECT ToScreen(HWND window, RECT area) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

RECT PaintedArea(const WindowRecord& record, AccessiblePart part);

// A part's rectangle in client coordinates: what is painted for it, inside the client area
// (the close button is laid out reaching past the window's right edge).
RECT PartArea(const WindowRecord& record, AccessiblePart part) {
    RECT client{};
    GetClientRect(record.Window, &client);
    RECT area = PaintedArea(record, part);
    IntersectRect(&area, &area, &client);
    return area;
}

RECT PaintedArea(const WindowRecord& record, AccessiblePart part) {
    const int frame = TheSkin ? TheSkin->FrameWidth : 3;
    switch (part.kind) {
        case AccessiblePart::Title: {
            const LONG left = frame + 26;
            return RECT{left, frame + 2, std::max<LONG>(left, record.ButtonsLeft),
                        record.CaptionHeight};
        }
        case AccessiblePart::Button: {
            const plus::RectF& r =
                record.CaptionButtons[static_cast<std::size_t>(part.index - 1)].Rect;
            const LONG x = std::lround(r.x) - 1;
            const LONG y = std::lround(r.y);
            return RECT{x, y, x + std::lround(r.width), y + std::lround(r.height)};
        }
        case AccessiblePart::Pane: {
            const PaneRect& r = record.StatusPaneRects[static_cast<std::size_t>(part.index - 1)];
            return RECT{r.x, r.y, r.x + r.width, r.y + r.height};
        }
        default: return RECT{};
    }
}

bool ButtonUnavailable(const WindowRecord& record, int button) {
    if (!IsWindowEnabled(record.Window)) return true;
    if (record.CaptionButtons[static_cast<std::size_t>(button - 1)].Kind != kCloseButton)
        return false;
    // A program that greys Close in the system menu has switched the close button off.
    HMENU menu = GetSystemMenu(record.Window, FALSE);
    const UINT state = menu ? GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) : 0;
    return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) != 0;
}

class SkinAccessible;
std::vector<SkinAccessible*> liveObjects;

// The IAccessible of one skinned window: drawn parts first, then the standard client
// object's children (see accessibility.h). Also its own child enumerator.
class SkinAccessible final : public IAccessible, public IEnumVARIANT {
public:
    SkinAccessible(HWND window, ComPtr<IAccessible> standard, ULONG cursor = 0)
        : window_(window), standard_(std::move(standard)), cursor_(cursor) {
        liveObjects.push_back(this);
    }
    SkinAccessible(const SkinAccessible&) = delete;
    SkinAccessible& operator=(const SkinAccessible&) = delete;

    static SkinAccessible* Create(HWND window) {
        ComPtr<IAccessible> standard;
        if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, kAccessibleInterfaceId,
                                             standard.put_void())))
            return nullptr;
        return new SkinAccessible(window, std::move(standard));
    }

    // The window is going: every later call fails, and remote holders are cut off.
    void Disconnect() {
        AddRef();
        window_ = nullptr;
        standard_.reset();
        CoDisconnectObject(static_cast<IAccessible*>(this), 0);
        Release();
    }
    HWND Window() const { return window_; }

    // --- IUnknown ---
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualGUID(id, kUnknownId) || IsEqualGUID(id, kDispatchId) ||
            IsEqualGUID(id, kAccessibleInterfaceId))
            *object = static_cast<IAccessible*>(this);
        else if (IsEqualGUID(id, kEnumVariantId))
            *object = static_cast<IEnumVARIANT*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --references_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // --- IDispatch: no type information; clients call the methods directly ---
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // --- IAccessible ---
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (const HRESULT hr = Alive(); FAILED(hr)) return hr;
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (const HRESULT hr = Alive(); FAILED(hr)) return hr;
        *count = Parts() + StandardCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override {
        if (!dispatch) return E_POINTER;
        *dispatch = nullptr;
        Target target;
        if (const HRESULT hr = Resolve(child, target); FAILED(hr)) return hr;
        if (target.self) return E_INVALIDARG;
        if (target.part.kind != AccessiblePart::None) return S_FALSE;
        *dispatch = StandardChildObject(target.standardId);
        return *dispatch ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        Target target;
        if (const HRESULT hr = Resolve(child, target); FAILED(hr)) return hr;
        if (target.part.kind == AccessiblePart::None)
            return standard_->get_accName(Standard(target), name);
        *name = ToBstr(PartName(target.part));
        return *name ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return StandardOnly(child, value, &IAccessible::get_accValue);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return StandardOnly(child, text, &IAccessible::get_accDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        VariantInit(role);
        Target target;
        if (const HRESULT hr = Resolve(child, target); FAILED(hr)) return hr;
        if (target.part.kind == AccessiblePart::None)
            return standard_->get_accRole(Standard(target), role);
        *role = ChildVariant(target.part.kind == AccessiblePart::Button ? ROLE_SYSTEM_PUSHBUTTON
                                                                        : ROLE_SYSTEM_STATICTEXT);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        VariantInit(state);
        Target target;
        if (const HRESULT hr = Resolve(child, target); FAILED(hr)) return hr;
        if (target.part.kind == AccessiblePart::None)
            return standard_->get_accState(Standard(target), state);
        const WindowRecord& record = Record();
        long flags = IsWindowVisible(window_) ? 0 : STATE_SYSTEM_INVISIBLE;
        if (target.part.kind == AccessiblePart::Button) {
            if (ButtonUnavailable(record, target.part.index)) flags |= STATE_SYSTEM_UNAVAILABLE;
            if (record.HotButton == target.part.index) flags |= STATE_SYSTEM_HOTTRACKED;
        } else {
            flags |= STATE_SYSTEM_READONLY;
        }
        *state = ChildVariant(flags);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return StandardOnly(child, help, &IAccessible::get_accHelp);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (!file || !topic) return E_POINTER;
        *file = nullptr;
        *topic = 0;
        Target target;
        if (const HRESULT hr = Resolve(child, target); FAILED(hr)) return hr;
        if (target.part.kind != AccessiblePart::None) return S_FALSE;
        return standard_->get_accHelpTopic(file, Standard(target), topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return StandardOnly(child, keys, &IAccessible::get_accKeyboardShortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        VariantInit(focus);
        if (const HRESULT hr = Alive(); FAILED(hr)) return hr;
        const HRESULT hr = standard_->get_accFocus(focus);
        FromStandard(*focus);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        VariantInit(selection);
        if (const HRESULT hr = Alive(); FAILED(hr)) return hr;
        const HRESULT hr = standard_->get_accSelection(selection);
        FromStandard(*selection);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action) return E_POINTER;
        *action = nullptr;
        Target target;
        if (const HRESULT hr = Resolve(child, target); FAILED(hr)) return hr;
        if (target.part.kind == AccessiblePart::None)
            return standard_->get_accDefaultAction(Standard(target), action);
        if (target.part.kind != AccessiblePart::Button) return S_FALSE;
        *action = SysAllocString(kPressAction);
        return *action ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        Target target;
        if (const HRESULT hr = Resolve(child, target); FAILED(hr)) return hr;
        if (target.part.kind != AccessiblePart::None) return DISP_E_MEMBERNOTFOUND;
        return standard_->accSelect(flags, Standard(target));
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        Target target;
        if (const HRESULT hr = Resolve(child, target); FAILED(hr)) return hr;
        if (target.part.kind == AccessiblePart::None)
            return standard_->accLocation(left, top, width, height, Standard(target));
        const RECT area = ToScreen(window_, PartArea(Record(), target.part));
        *left = area.left;
        *top = area.top;
        *width = area.right - area.left;
        *height = area.bottom - area.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        Target target;
        if (const HRESULT hr = Resolve(start, target); FAILED(hr)) return hr;
        const long count = Parts() + StandardCount();
        long id = 0;
        if (target.self && (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD)) {
            id = direction == NAVDIR_FIRSTCHILD ? 1 : count;
        } else if (!target.self && (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS)) {
            id = start.lVal + (direction == NAVDIR_NEXT ? 1 : -1);
        } else if (target.self || target.part.kind == AccessiblePart::None) {
            // Among the window's siblings, or among the child windows: the standard object's.
            const HRESULT hr = standard_->accNavigate(direction, Standard(target), end);
            FromStandard(*end);
            return hr;
        } else {
            return S_FALSE; // no spatial order among the drawn parts
        }
        if (id < 1 || id > count) return S_FALSE;
        *end = AsChild(id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (!hit) return E_POINTER;
        VariantInit(hit);
        if (const HRESULT hr = Alive(); FAILED(hr)) return hr;
        const POINT point{x, y};
        const int position = SkinnedPosition(window_);
        for (long id = 1; id <= Parts(); ++id) {
            const RECT area = ToScreen(window_, PartArea(Record(), AccessiblePartOf(position, id)));
            if (PtInRect(&area, point)) {
                *hit = ChildVariant(id);
                return S_OK;
            }
        }
        const HRESULT hr = standard_->accHitTest(x, y, hit);
        FromStandard(*hit);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        Target target;
        if (const HRESULT hr = Resolve(child, target); FAILED(hr)) return hr;
        if (target.part.kind == AccessiblePart::None)
            return standard_->accDoDefaultAction(Standard(target));
        if (target.part.kind != AccessiblePart::Button) return DISP_E_MEMBERNOTFOUND;
        if (ButtonUnavailable(Record(), target.part.index)) return E_ACCESSDENIED;
        // What a click does. The window may be gone afterwards: nothing is touched after it.
        AddRef();
        TheSkin->CaptionButtonAction(SkinnedPosition(window_), target.part.index);
        Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // --- IEnumVARIANT: the children in child-id order ---
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* children, ULONG* fetched) override {
        if (!children) return E_POINTER;
        if (fetched) *fetched = 0;
        if (const HRESULT hr = Alive(); FAILED(hr)) return hr;
        const ULONG count = static_cast<ULONG>(Parts() + StandardCount());
        ULONG given = 0;
        while (given < wanted && cursor_ < count) {
            children[given++] = AsChild(static_cast<long>(++cursor_));
        }
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        if (const HRESULT hr = Alive(); FAILED(hr)) return hr;
        const ULONG total = static_cast<ULONG>(Parts() + StandardCount());
        cursor_ = std::min(total, cursor_ + count);
        return cursor_ < total || count == 0 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        cursor_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        if (!copy) return E_POINTER;
        *copy = nullptr;
        if (const HRESULT hr = Alive(); FAILED(hr)) return hr;
        *copy = new SkinAccessible(window_, standard_, cursor_);
        return S_OK;
    }

private:
    ~SkinAccessible() {
        liveObjects.erase(std::remove(liveObjects.begin(), liveObjects.end(), this),
                          liveObjects.end());
    }

    struct Target {
        bool self = false;
        AccessiblePart part;
        long standardId = 0;
    };

    HRESULT Alive() const {
        if (!window_ || !standard_ || !IsWindow(window_) || SkinnedPosition(window_) < 1)
            return RPC_E_DISCONNECTED;
        return S_OK;
    }
    const WindowRecord& Record() const { return *RecordAt(SkinnedPosition(window_)); }
    long Parts() const { return AccessiblePartCount(SkinnedPosition(window_)); }
    long StandardCount() const {
        long count = 0;
        if (FAILED(standard_->get_accChildCount(&count))) return 0;
        return count;
    }

    HRESULT Resolve(const VARIANT& child, Target& target) const {
        if (const HRESULT hr = Alive(); FAILED(hr)) return hr;
        if (child.vt != VT_I4) return E_INVALIDARG;
        const long id = child.lVal;
        const long parts = Parts();
        if (id == CHILDID_SELF) {
            target.self = true;
        } else if (id >= 1 && id <= parts) {
            target.part = AccessiblePartOf(SkinnedPosition(window_), id);
        } else if (id > parts && id <= parts + StandardCount()) {
            target.standardId = id - parts;
        } else {
            return E_INVALIDARG;
        }
        return S_OK;
    }
    static VARIANT Standard(const Target& target) {
        return ChildVariant(target.self ? CHILDID_SELF : target.standardId);
    }
    // A standard child id given back by the standard object, renumbered to ours.
    void FromStandard(VARIANT& v) const {
        if (v.vt == VT_I4 && v.lVal > 0) v.lVal += Parts();
    }
    // Child `id` as an enumeration or navigation gives it: a child window's object, else the id.
    VARIANT AsChild(long id) const {
        const long parts = Parts();
        if (id <= parts) return ChildVariant(id);
        VARIANT v;
        VariantInit(&v);
        if (IDispatch* dispatch = StandardChildObject(id - parts)) {
            v.vt = VT_DISPATCH;
            v.pdispVal = dispatch;
            return v;
        }
        return ChildVariant(id);
    }
    // The object of standard child `id`: asked for directly, or (the standard object of some
    // systems hands its child windows out only so) read from its own enumeration.
    IDispatch* StandardChildObject(long id) const {
        IDispatch* dispatch = nullptr;
        if (standard_->get_accChild(ChildVariant(id), &dispatch) == S_OK && dispatch)
            return dispatch;
        ComPtr<IEnumVARIANT> children;
        if (FAILED(standard_->QueryInterface(kEnumVariantId, children.put_void())) ||
            FAILED(children->Reset()) ||
            (id > 1 && children->Skip(static_cast<ULONG>(id - 1)) != S_OK))
            return nullptr;
        VARIANT v;
        VariantInit(&v);
        ULONG fetched = 0;
        if (children->Next(1, &v, &fetched) != S_OK || fetched != 1) return nullptr;
        if (v.vt == VT_DISPATCH) return v.pdispVal;
        VariantClear(&v);
        return nullptr;
    }
    std::string PartName(AccessiblePart part) const {
        const int position = SkinnedPosition(window_);
        switch (part.kind) {
            case AccessiblePart::Title: return TextOf(window_);
            case AccessiblePart::Button: return CaptionButtonName(position, part.index);
            case AccessiblePart::Pane:
                return Record().StatusPanes[static_cast<std::size_t>(part.index - 1)].Text;
            default: return {};
        }
    }
    // The string properties the drawn parts do not have.
    HRESULT StandardOnly(const VARIANT& child, BSTR* out,
                         HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
        if (!out) return E_POINTER;
        *out = nullptr;
        Target target;
        if (const HRESULT hr = Resolve(child, target); FAILED(hr)) return hr;
        if (target.part.kind != AccessiblePart::None) return S_FALSE;
        return (standard_.get()->*get)(Standard(target), out);
    }

    long references_ = 1;
    HWND window_;
    ComPtr<IAccessible> standard_;
    ULONG cursor_;
};

// COM for the window's thread, once: the object is handed out through COM marshalling. It stays
// for the thread's life, as the objects handed out may.
bool ComReady() {
    static thread_local bool ready = [] {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
    }();
    return ready;
}

void Announce(HWND window, long childId) {
    if (childId > 0) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, childId);
}

} // namespace

AccessiblePart AccessiblePartOf(int position, long childId) {
    const WindowRecord* record = RecordAt(position);
    if (!record || childId < 1) return {};
    long id = childId;
    if (id <= TitleCount(*record)) return {AccessiblePart::Title, 1};
    id -= TitleCount(*record);
    if (id <= ButtonCount(*record)) return {AccessiblePart::Button, static_cast<int>(id)};
    id -= ButtonCount(*record);
    if (id <= PaneCount(*record)) return {AccessiblePart::Pane, static_cast<int>(id)};
    return {};
}

long AccessibleChildIdOf(int position, AccessiblePart part) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return 0;
    switch (part.kind) {
        case AccessiblePart::Title: return TitleCount(*record);
        case AccessiblePart::Button:
            return part.index >= 1 && part.index <= ButtonCount(*record)
                       ? TitleCount(*record) + part.index
                       : 0;
        case AccessiblePart::Pane:
            return part.index >= 1 && part.index <= PaneCount(*record)
                       ? TitleCount(*record) + ButtonCount(*record) + part.index
                       : 0;
        default: return 0;
    }
}

int AccessiblePartCount(int position) {
    const WindowRecord* record = RecordAt(position);
    return record ? TitleCount(*record) + ButtonCount(*record) + PaneCount(*record) : 0;
}

std::string CaptionButtonName(int position, int button) {
    const WindowRecord* record = RecordAt(position);
    if (!record || button < 1 || button > static_cast<int>(record->CaptionButtons.size()))
        return {};
    const CaptionButton& face = record->CaptionButtons[static_cast<std::size_t>(button - 1)];
    if (face.Kind == kMaximizeButton && record->IsMaximized) return "还原";
    if (!face.Tooltip.empty()) return face.Tooltip;
    switch (face.Kind) {
        case kCloseButton: return "关闭";
        case kMaximizeButton: return "最大化";
        case kMinimizeButton: return "最小化";
        case kHandlerAButton: return "帮助";
        case kHandlerBButton: return "主菜单";
        default: return {};
    }
}

int LiveAccessibleObjectCount() {
    return static_cast<int>(liveObjects.size());
}

void AnnounceStatusPaneName(HWND window, int pane) {
    const int position = SkinnedPosition(window);
    Announce(window, AccessibleChildIdOf(position, {AccessiblePart::Pane, pane}));
}

std::optional<LRESULT> AnswerAccessibilityMessage(int position, HWND window, UINT message,
                                                  WPARAM wParam, LPARAM lParam) {
    const WindowRecord* record = RecordAt(position);
    if (!record) return std::nullopt;
    switch (message) {
        case WM_GETOBJECT: {
            if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT || !ComReady())
                return std::nullopt;
            SkinAccessible* object = SkinAccessible::Create(window);
            if (!object) return std::nullopt;
            const LRESULT answer = LresultFromObject(kAccessibleInterfaceId, wParam,
                                                     static_cast<IAccessible*>(object));
            object->Release();
            return answer;
        }
        case WM_SIZE: {
            const int maximized = record->IsMaximized ? 2 : 1;
            const LONG_PTR announced = GetPropValue(window, kPropAnnouncedMaximized);
            if (announced == maximized || (announced == 0 && maximized == 1)) break;
            SetPropValue(window, kPropAnnouncedMaximized, maximized);
            for (int b = 1; b <= ButtonCount(*record); ++b)
                if (record->CaptionButtons[static_cast<std::size_t>(b - 1)].Kind == kMaximizeButton)
                    Announce(window, AccessibleChildIdOf(position, {AccessiblePart::Button, b}));
            break;
        }
        case WM_SETTEXT:
            Announce(window, AccessibleChildIdOf(position, {AccessiblePart::Title, 1}));
            break;
        case WM_NCDESTROY: {
            // Disconnecting may release objects, which leave the list: walk a copy.
            const std::vector<SkinAccessible*> objects = liveObjects;
            for (SkinAccessible* object : objects)
                if (object->Window() == window) object->Disconnect();
            break;
        }
        default: break;
    }
    return std::nullopt;
}

} // namespace skin
