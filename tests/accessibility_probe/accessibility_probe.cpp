// accessibility_probe <output file> <command> <arguments>: reads another process's window
// through its accessible object and writes what it found to the output file, one line per
// item, texts in UTF-8. Commands:
//   children <window>            "count N", then per child "id|kind|role|state|l,t,w,h|name"
//   find <title>                 the same for the top-level window with that title
//   action <window> <child>      "hr X" of accDoDefaultAction
//   point <x> <y>                "id|kind|role|state|l,t,w,h|name" of AccessibleObjectFromPoint
//   events <process> <ms>        "ready" once hooked, then per name change "event id|name",
//                                until the first change of a child or the time is up
//   hold <window>                "ready" once it holds the object; when the window is gone,
//                                "count hr X" and "name hr X" of calls on the held object
// <window> is a decimal handle. kind is "d" and the decimal handle of its window for a child
// object, "i" for a child id.
#include <windows.h>
#include <objbase.h>
#include <oleacc.h>

#include "skin/services/accessibility.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// IID_IAccessible: the import library's symbol is a thunk, not the GUID.
const GUID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

FILE* out = nullptr;

std::string Utf8(const wchar_t* text) {
    if (!text) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, s.data(), n, nullptr, nullptr);
    s.resize(s.size() - 1);
    return s;
}

// "kind|role|state|l,t,w,h|name" of child `id` of `object` (CHILDID_SELF for itself).
std::string Describe(IAccessible* object, long id, const char* kind) {
    VARIANT child = skin::ChildVariant(id);
    BSTR name = nullptr;
    object->get_accName(child, &name);
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    object->get_accRole(child, &role);
    object->get_accState(child, &state);
    long l = 0, t = 0, w = 0, h = 0;
    object->accLocation(&l, &t, &w, &h, child);
    char line[200];
    std::snprintf(line, sizeof line, "%s|%ld|%ld|%ld,%ld,%ld,%ld|", kind,
                  role.vt == VT_I4 ? role.lVal : -1, state.vt == VT_I4 ? state.lVal : -1, l, t, w,
                  h);
    std::string text = line + Utf8(name);
    SysFreeString(name);
    return text;
}

IAccessible* ClientObject(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

int Children(HWND window) {
    IAccessible* object = ClientObject(window);
    if (!object) {
        std::fprintf(out, "no object\n");
        return 1;
    }
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<size_t>(count > 0 ? count : 1));
    long got = 0;
    const HRESULT hr = AccessibleChildren(object, 0, count, children.data(), &got);
    std::fprintf(out, "count %ld hr %08lx\n", got, static_cast<unsigned long>(hr));
    for (long i = 0; i < got; ++i) {
        VARIANT& v = children[static_cast<size_t>(i)];
        if (v.vt == VT_DISPATCH && v.pdispVal) {
            IAccessible* child = nullptr;
            v.pdispVal->QueryInterface(kIidAccessible, reinterpret_cast<void**>(&child));
            HWND behind = nullptr;
            if (child) WindowFromAccessibleObject(child, &behind);
            const std::string kind = "d" + std::to_string(reinterpret_cast<INT_PTR>(behind));
            std::fprintf(out, "%ld|%s\n", i + 1,
                         child ? Describe(child, CHILDID_SELF, kind.c_str()).c_str() : "d|?");
            if (child) child->Release();
        } else if (v.vt == VT_I4) {
            std::fprintf(out, "%ld|%s\n", v.lVal, Describe(object, v.lVal, "i").c_str());
        }
        VariantClear(&v);
    }
    object->Release();
    return 0;
}

int Action(HWND window, long id) {
    IAccessible* object = ClientObject(window);
    if (!object) return 1;
    const HRESULT hr = object->accDoDefaultAction(skin::ChildVariant(id));
    std::fprintf(out, "hr %08lx\n", static_cast<unsigned long>(hr));
    object->Release();
    return 0;
}

int Point(long x, long y) {
    IAccessible* object = nullptr;
    VARIANT child;
    VariantInit(&child);
    const HRESULT hr = AccessibleObjectFromPoint(POINT{x, y}, &object, &child);
    if (FAILED(hr) || !object) {
        std::fprintf(out, "failed %08lx window %p\n", static_cast<unsigned long>(hr),
                     static_cast<void*>(WindowFromPoint(POINT{x, y})));
        return 1;
    }
    const long id = child.vt == VT_I4 ? child.lVal : 0;
    std::fprintf(out, "%ld|%s\n", id, Describe(object, id, id ? "i" : "d").c_str());
    object->Release();
    return 0;
}

bool changed = false;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object != OBJID_CLIENT || child <= 0) return;
    IAccessible* accessible = nullptr;
    VARIANT id;
    VariantInit(&id);
    std::string name = "?";
    if (SUCCEEDED(AccessibleObjectFromEvent(window, object, child, &accessible, &id)) &&
        accessible) {
        BSTR text = nullptr;
        if (SUCCEEDED(accessible->get_accName(id, &text))) name = Utf8(text);
        SysFreeString(text);
        accessible->Release();
    }
    std::fprintf(out, "event %ld|%s\n", static_cast<long>(child), name.c_str());
    std::fflush(out);
    changed = true;
}

int Events(DWORD process, DWORD ms) {
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                         OnEvent, process, 0, WINEVENT_OUTOFCONTEXT);
    if (!hook) return 1;
    std::fprintf(out, "ready\n");
    std::fflush(out);
    const DWORD end = GetTickCount() + ms;
    while (!changed && GetTickCount() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    UnhookWinEvent(hook);
    return 0;
}

int Hold(HWND window) {
    IAccessible* object = ClientObject(window);
    if (!object) return 1;
    std::fprintf(out, "ready\n");
    std::fflush(out);
    for (int i = 0; i < 500 && IsWindow(window); ++i)
        Sleep(20);
    long count = -1;
    const HRESULT countResult = object->get_accChildCount(&count);
    BSTR name = nullptr;
    const HRESULT nameResult = object->get_accName(skin::ChildVariant(1), &name);
    SysFreeString(name);
    std::fprintf(out, "count hr %08lx\nname hr %08lx\n", static_cast<unsigned long>(countResult),
                 static_cast<unsigned long>(nameResult));
    object->Release();
    return 0;
}

HWND Handle(const wchar_t* text) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(_wtoi64(text)));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    out = _wfopen(argv[1], L"w");
    if (!out) return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring command = argv[2];
    int result = 2;
    if (command == L"children" && argc >= 4) result = Children(Handle(argv[3]));
    if (command == L"find" && argc >= 4) result = Children(FindWindowW(nullptr, argv[3]));
    if (command == L"action" && argc >= 5) result = Action(Handle(argv[3]), _wtol(argv[4]));
    if (command == L"point" && argc >= 5) result = Point(_wtol(argv[3]), _wtol(argv[4]));
    if (command == L"events" && argc >= 5)
        result = Events(static_cast<DWORD>(_wtol(argv[3])), static_cast<DWORD>(_wtol(argv[4])));
    if (command == L"hold" && argc >= 4) result = Hold(Handle(argv[3]));
    std::fclose(out);
    CoUninitialize();
    return result;
}
