// What every skinned child-control family shares: the per-window family lists, the install
// steps, the record lookup and the hover tracking.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

namespace skin {

struct WindowRecord;

// Family codes used by the hover tracking (progress bars take no part in it).
enum FamilyCode : int {
    kFamilyButtons = 0,
    kFamilyEdits = 1,
    kFamilyTrackBars = 2,
    kFamilyCombos = 3,
    kFamilyItemViews = 4,
    kFamilyUpDowns = 8,
    kFamilyHeaders = 9,
};

// A family's records, 1-based positions as seen through "Hw_lbID". Records are never removed,
// so a control keeps its position for the life of the window record.
template <typename Record> using FamilyList = std::vector<std::unique_ptr<Record>>;

// Position (1-based) of the record that holds `control`, 0 when none.
template <typename Record> int FindRecord(const FamilyList<Record>& list, HWND control) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] && list[i]->Window == control) return static_cast<int>(i) + 1;
    return 0;
}

// Install step 4: a list holding one record with no window lends that record to the first
// control; otherwise a new zero-filled record is appended. Returns its position.
template <typename Record> int TakeRecord(FamilyList<Record>& list) {
    if (list.size() == 1 && list[0] && list[0]->Window == nullptr) return 1;
    list.push_back(std::make_unique<Record>());
    return static_cast<int>(list.size());
}

// The record at a 1-based position, or null.
template <typename Record> Record* RecordAt(FamilyList<Record>& list, int position) {
    if (position < 1 || position > static_cast<int>(list.size())) return nullptr;
    return list[position - 1].get();
}

// Install step 5 for one control: sets "Hw_lbID" and "Hw_FuID", puts `procedure` in place and
// keeps the previous one in "Hw_hProc". Returns the previous procedure.
WNDPROC SubclassControl(HWND control, int position, int windowIndex, WNDPROC procedure);

// True when `control` already runs `procedure`. Families that do not look up records check
// this, so a second install never subclasses a control twice (which would make the family
// procedure call itself as its own saved procedure).
bool RunsProcedure(HWND control, WNDPROC procedure);

// Passes a message on to the procedure saved in "Hw_hProc" (DefWindowProcA when none).
LRESULT CallSavedProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// The window record whose position is in the control's "Hw_FuID", or null.
WindowRecord* OwnerRecordOf(HWND control);

// The control's "Hw_lbID".
int ListPositionOf(HWND control);

// Hover tracking on WM_MOUSEMOVE: asks for WM_MOUSELEAVE and notes the control as pointed.
// True when the control must now be drawn hot (it was not the hot one of this family).
bool TrackHover(HWND control, int familyCode);

// Hover tracking on WM_MOUSELEAVE: no control is hot any more.
void EndHover(HWND control);

// Whether install routines may run (ControlSkinsEnabled).
bool ControlSkinsOn();

} // namespace skin
