// What is made from the family table over the families' full declarations: the window
// record's construction and destruction, the one install routine and the parent-message hooks.
#define VARNEL_FAMILY_HEADERS
#include "skin/controls/families.def"
#undef VARNEL_FAMILY_HEADERS

#include "skin/controls/framework.h"
#include "skin/core/child_messages.h"
#include "skin/core/window_record.h"

namespace skin {

// Here, where every record type is complete, so the family lists can be made and freed.
WindowRecord::WindowRecord() = default;
WindowRecord::~WindowRecord() = default;

void SkinChildControls(int windowIndex, HWND parent) {
#define VARNEL_FAMILY(name, record, install, ...) install(windowIndex, parent);
#include "skin/controls/families.def"
}

namespace {

using ParentHook = void (*)(int windowIndex, UINT message, WPARAM wParam, LPARAM lParam);

constexpr ParentHook kParentHooks[] = {
#define VARNEL_FAMILY(name, record, install, code, hoverRule, hoverMatch, parentHook) parentHook,
#include "skin/controls/families.def"
};

} // namespace

void RunParentHooks(int windowIndex, UINT message, WPARAM wParam, LPARAM lParam) {
    for (ParentHook hook : kParentHooks)
        if (hook) hook(windowIndex, message, wParam, lParam);
}

} // namespace skin
