// Releasing a skinned window's record when the window goes away, and renumbering the records
// (and the properties that name them) after it.
#include "skin/core/skin_engine.h"
#include "skin/core/skin_window.h"
#include "skin/core/window_record.h"

namespace skin {
namespace {

BOOL CALLBACK ReleaseBrushesOf(HWND control, LPARAM) {
    ReleaseColourBrushes(control);
    return TRUE;
}

// Rewrites the owner position on a control that carries one ("Hw_FuID" for the control
// families, "Kj_FuID" for the common-control family).
BOOL CALLBACK RenumberControl(HWND control, LPARAM position) {
    if (GetPropValue(control, kPropOwnerPosition)) SetPropValue(control, kPropOwnerPosition, position);
    if (GetPropValue(control, kPropCommonOwnerPosition))
        SetPropValue(control, kPropCommonOwnerPosition, position);
    return TRUE;
}

// Gives a control skinned on the window at `position` its own procedure back.
BOOL CALLBACK UnskinControl(HWND control, LPARAM position) {
    const auto restore = [control](const char* ownerName, const char* savedName,
                                   const char* positionName, LPARAM owner) {
        const LONG_PTR saved = GetPropValue(control, savedName);
        if (!saved || GetPropValue(control, ownerName) != owner) return;
        SetWindowLongPtrA(control, GWLP_WNDPROC, saved);
        RemovePropValue(control, savedName);
        RemovePropValue(control, ownerName);
        RemovePropValue(control, positionName);
    };
    restore(kPropOwnerPosition, kPropSavedProc, kPropPosition, position);
    restore(kPropCommonOwnerPosition, kPropCommonSavedProc, kPropCommonPosition, position);
    return TRUE;
}

} // namespace

void UnskinWindowsRunning(std::uintptr_t windowProcedure) {
    if (windowProcedure == 0) return;
    // From the last record down: releasing a record renumbers only the ones after it.
    for (int position = static_cast<int>(Engine.WindowList.size()); position >= 1; --position) {
        const HWND window = RecordAt(position)->Window;
        if (!IsWindow(window) ||
            static_cast<std::uintptr_t>(GetWindowLongPtrA(window, GWLP_WNDPROC)) != windowProcedure)
            continue;
        EnumChildWindows(window, UnskinControl, position);
        SetWindowLongPtrA(window, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(RecordAt(position)->SavedWindowProc));
        RemoveWindowRecord(window);
        KillTimer(window, reinterpret_cast<UINT_PTR>(window)); // the caption-button animation
        RemovePropValue(window, kPropSavedProc);
        RemovePropValue(window, kPropPosition);
    }
}

void ReleaseColourBrush(HWND control) {
    // A stock brush (the hollow one) ignores DeleteObject.
    if (HANDLE brush = GetPropA(control, kPropColourBrush)) DeleteObject(brush);
    SetPropValue(control, kPropColourBrush, 0);
}

void ReleaseColourBrushBitmap(HWND control) {
    if (HANDLE bitmap = GetPropA(control, kPropColourBrushBitmap)) DeleteObject(bitmap);
    SetPropValue(control, kPropColourBrushBitmap, 0);
}

void ReleaseColourBrushes(HWND control) {
    ReleaseColourBrush(control);
    ReleaseColourBrushBitmap(control);
}

void ReleaseChildColourBrushes(HWND window) {
    EnumChildWindows(window, ReleaseBrushesOf, 0);
}

void RemoveWindowRecord(HWND window) {
    const int position = FindWindowPosition(window);
    if (position < 1) return;
    // The colour brushes of every control that asked for one (edit boxes among them) go with
    // the record; they were made for this window's background.
    ReleaseChildColourBrushes(window);

    auto& list = Engine.WindowList;
    std::unique_ptr<WindowRecord> removed = std::move(list[static_cast<size_t>(position - 1)]);
    list.erase(list.begin() + (position - 1));
    removed.reset(); // back buffer, strips, caption buttons, panes and family lists

    for (int p = position; p <= static_cast<int>(list.size()); ++p) {
        HWND w = list[static_cast<size_t>(p - 1)]->Window;
        SetPropValue(w, kPropPosition, p);
        EnumChildWindows(w, RenumberControl, p);
    }
}

} // namespace skin
