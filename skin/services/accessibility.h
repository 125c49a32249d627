// The accessible object of a skinned top-level window.
//
// What the skin draws as pixels (the title, the caption buttons, the status panes) is exposed
// to assistive technology beside the window's real child windows: a skinned window answers
// WM_GETOBJECT for its client area with an IAccessible that wraps the system's standard client
// object (so the child windows stay exactly as the system exposes them) and adds one simple
// child per drawn part, numbered before the standard children:
//   1             the title (static text, the window's text), when the caption shows it;
//   next          each caption button, left to right (push button, named by its tooltip text:
//                 the maximize button is "还原" while the window is maximized; unavailable while
//                 the window is disabled or the button's system command is greyed; hot-tracked
//                 under the pointer; default action "Press", which does what a click does);
//   next          each status pane (static text, its current text);
//   then          the standard object's children, in its order.
// Locations are the painted rectangles in screen coordinates. An object whose window is gone
// answers RPC_E_DISCONNECTED.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string>

namespace skin {

// IID_IAccessible {618736E0-3C3D-11CF-810C-00AA00389B71}. mingw's import library for oleacc
// resolves the name to an import thunk, not to the GUID, so the engine carries its own copy.
extern const GUID kAccessibleInterfaceId;

// A child id as IAccessible's calls take it (VT_I4; 0 is the object itself).
inline VARIANT ChildVariant(long id) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// What a drawn part is, as numbered above.
struct AccessiblePart {
    enum Kind { None, Title, Button, Pane } kind = None;
    int index = 0; // the button or pane number (from 1)
};

// The part a child id names in the window at `position`; None for the standard object's
// children and for ids beyond them.
AccessiblePart AccessiblePartOf(int position, long childId);

// The child id of a part (0 when the window has no such part).
long AccessibleChildIdOf(int position, AccessiblePart part);

// Number of drawn parts of the window at `position`.
int AccessiblePartCount(int position);

// The accessible name of a caption button (code page 936).
std::string CaptionButtonName(int position, int button);

// Raises EVENT_OBJECT_NAMECHANGE for a status pane of a skinned window whose text changed.
void AnnounceStatusPaneName(HWND window, int pane);

// Accessible objects alive in this process (handed out and not yet released by every holder).
int LiveAccessibleObjectCount();

} // namespace skin
