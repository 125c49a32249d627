#include "skin/controls/framework.h"

#include "skin/core/skin_engine.h"

namespace skin {
namespace {

INT_PTR PropertyOf(HWND window, const char* name) {
    return reinterpret_cast<INT_PTR>(GetPropA(window, name));
}

void SetProperty(HWND window, const char* name, INT_PTR value) {
    SetPropA(window, name, reinterpret_cast<HANDLE>(value));
}

} // namespace

WNDPROC SubclassControl(HWND control, int position, int windowIndex, WNDPROC procedure) {
    SetProperty(control, kPropPosition, position);
    SetProperty(control, kPropOwnerPosition, windowIndex);
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    SetPropA(control, kPropSavedProc, reinterpret_cast<HANDLE>(previous));
    return previous;
}

bool RunsProcedure(HWND control, WNDPROC procedure) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC)) == procedure;
}

LRESULT CallSavedProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto saved = reinterpret_cast<WNDPROC>(GetPropA(control, kPropSavedProc));
    if (!saved) return DefWindowProcA(control, message, wParam, lParam);
    return CallWindowProcA(saved, control, message, wParam, lParam);
}

WindowRecord* OwnerRecordOf(HWND control) {
    return RecordAt(static_cast<int>(PropertyOf(control, kPropOwnerPosition)));
}

int ListPositionOf(HWND control) {
    return static_cast<int>(PropertyOf(control, kPropPosition));
}

bool TrackHover(HWND control, int familyCode) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = control;
    TrackMouseEvent(&track);

    WindowRecord* record = OwnerRecordOf(control);
    if (!record) return false;
    record->PointedControl = ListPositionOf(control);
    if (record->HotControl == record->PointedControl && record->HotFamily == familyCode)
        return false;
    record->HotControl = record->PointedControl;
    record->HotFamily = familyCode;
    return true;
}

void EndHover(HWND control) {
    if (WindowRecord* record = OwnerRecordOf(control)) record->HotControl = 0;
}

bool ControlSkinsOn() {
    return Engine.ControlSkinsEnabled != 0;
}

} // namespace skin
