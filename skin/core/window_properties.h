// Names of the window properties through which a window handle leads back to the skin engine's
// state, and typed access to them. Each value is one handle-sized number.
#pragma once
#include <windows.h>

#include <cstddef>

namespace skin {

// On a skinned top-level window: the 1-based position of its record in WindowList.
// On a skinned child control: the position of the control's record in its family list.
inline constexpr char kPropPosition[] = "Hw_lbID";
// On a skinned child control: the position of the owning window's record in WindowList.
inline constexpr char kPropOwnerPosition[] = "Hw_FuID";
// On every subclassed window: the window procedure in place before subclassing.
inline constexpr char kPropSavedProc[] = "Hw_hProc";
// On a child control: its text colour (COLORREF).
inline constexpr char kPropTextColour[] = "Kj_Ztys";
// On a child control: the brush answered to its WM_CTLCOLOR* message.
inline constexpr char kPropColourBrush[] = "Kj_dxjb";
// On a child control: the bitmap that brush was made from.
inline constexpr char kPropColourBrushBitmap[] = "Kj_wtjb";
// Common-control family: owning window's position, the control's entry number, saved procedure.
inline constexpr char kPropCommonOwnerPosition[] = "Kj_FuID";
inline constexpr char kPropCommonPosition[] = "Kj_lbID";
inline constexpr char kPropCommonSavedProc[] = "Kj_hProc";
// On a skinned top-level window: the bitmap BackBufferDC was created with.
inline constexpr char kPropBackBufferOriginalBitmap[] = "Ck_Ycjdx";
// On a skinned top-level window: the 32-bit ARGB bitmap currently selected in BackBufferDC.
inline constexpr char kPropBackBufferBitmap[] = "Ck_wtjbdx";
// On a skinned container: its nearest ancestor marked as a host window, or 0.
inline constexpr char kPropContainerHost[] = "Mb_zpf";
// Read but never set by this program: a DC to copy backgrounds from, and the host-window mark.
inline constexpr char kPropBackgroundSourceDC[] = "Wxk_Cj";
inline constexpr char kPropHostWindow[] = "Wxk_Zpf";

// The property's value, 0 when it is not set (or the window is not a window).
//
// The engine's own bookkeeping (its record positions and saved procedures, the names in
// kEngineProperties) is read on nearly every message a skinned window gets, and a property read
// is a round trip to the window server on some systems (Wine's costs about 10 us). These are
// written only through SetPropValue and RemovePropValue, which keep a copy in this process: a
// read of one of them is answered from the copy while the window exists. Every other name is
// read from the window each time, so what a program sets itself is always seen.
LONG_PTR GetPropValue(HWND window, const char* name);
bool SetPropValue(HWND window, const char* name, LONG_PTR value);
// Removes the property; its value, 0 when it was not set.
LONG_PTR RemovePropValue(HWND window, const char* name);

// The names whose values are kept in the process (see GetPropValue).
inline constexpr const char* kEngineProperties[] = {kPropPosition,       kPropOwnerPosition,
                                                    kPropSavedProc,      kPropCommonOwnerPosition,
                                                    kPropCommonPosition, kPropCommonSavedProc};

// How many windows have kept values (for tests: a destroyed window's are dropped).
std::size_t KeptPropertyWindowCount();

} // namespace skin
