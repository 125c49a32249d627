// Skinned BUTTON children: push buttons become owner-drawn and get their faces from the
// button-face painters; check boxes and auto radio buttons keep their behaviour but are
// painted here. One window procedure, ButtonProc, serves all of them.
#pragma once
#include <windows.h>

#include "skin/core/skin_types.h"
#include "skin/core/composition_types.h"
#include "skin/core/dpi.h"
#include "skin/core/kept_picture.h"

#include <array>
#include <string>

namespace plus {
class PlusFont;
class PlusPath;
} // namespace plus

namespace skin {

// Look selector of a button record.
enum ButtonKind : int {
    kButtonStandardFace = 0,
    kButtonSingleImageFace = 1,
    kButtonStateImageFace = 3,
    kButtonRadio = 4,
    kButtonCheckBox = 5,
};

// Image slots of a button record, filled by the public image-button operations. The fourth
// slot is never written: the state-image operation keeps its fourth (disabled) image in the
// fifth, and the face painter reads it there.
enum ButtonImage : int {
    kImageNormal = 0, // also the single image of the single-image face
    kImageHot = 1,
    kImagePressed = 2,
    kImageUnused = 3,
    kImageDisabled = 4,
};

struct ButtonRecord {
    HWND Window = nullptr;
    WNDPROC SavedProcedure = nullptr;
    int Kind = kButtonStandardFace;
    std::array<ByteSet, 5> Images;
    int Layout = 0; // single-image face: 0 = image above the caption, else image left of it
    std::string Caption;
    bool Focused = false;
    int Reserved = 0;
    bool CheckedAtInstall = false;
    HWND Parent = nullptr;
    // The image button's tooltip, created when one is first given; its window (which has no
    // parent) is destroyed with the record.
    CaptionTooltip Tooltip;
    std::string FontFamily;
    int FontSize = 12;         // pixels at FontDpi
    UINT FontDpi = kDesignDpi; // the control's DPI when its font was read (96 for the default)
    int FontStyle = 0;
    // A push button that was BS_DEFPUSHBUTTON at install or by the last BM_SETSTYLE (the
    // family's owner-draw type replaces the style's own type bits).
    bool DefaultButton = false;
    mutable FontCache Font; // the caption's font, made once rather than on every paint
    // The pictures of the looks the button showed last (a push button's faces, a check box's
    // or radio button's marks), each put back while its look and the background under it stay
    // the same.
    KeptPicture Kept;
};

// The caption font's pixel size at `dpi`: the size read from the control, scaled from the DPI
// it was read at, so a font the program set before a DPI change follows the change until the
// program sets another.
int ButtonFontPixels(const ButtonRecord& record, UINT dpi);

// Type filters on the style's type bits.
bool IsPushButtonStyle(LONG style); // BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_USERBUTTON
bool IsCheckBoxStyle(LONG style);   // BS_CHECKBOX, BS_AUTOCHECKBOX, 0xA, 0xB
bool IsAutoRadioStyle(LONG style);  // BS_AUTORADIOBUTTON
bool IsOwnerDrawnStyle(LONG style); // (style | BS_OWNERDRAW) == style

// Reads the button's font into the record (the family's defaults where the font tells none),
// with the control's DPI it belongs to.
void StoreButtonFont(ButtonRecord& record, HWND window);

// The caption font the record names at `dpi` (see ButtonFontPixels), as its cache keeps it.
const plus::PlusFont& ButtonCaptionFont(const ButtonRecord& record, UINT dpi);

// Whether a skinned push button is its window's default button: the one a dialog names
// (DM_GETDEFID) or, elsewhere, one with the default style.
bool IsDefaultPushButton(HWND button);

void SkinButtons(int windowIndex, HWND parent);
void SkinCheckAndRadioButtons(int windowIndex, HWND parent);
// The family's install: push buttons, then check boxes and radio buttons.
void SkinButtonFamily(int windowIndex, HWND parent);
LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Paints one button now in the given ODS_ state, choosing the painter by the record's kind.
void RepaintButton(HWND window, UINT state);
void PaintRadioButton(HWND window, UINT state);
void PaintCheckBox(HWND window, UINT state);

// The record of a skinned button (through "Hw_FuID" and "Hw_lbID"), or null.
ButtonRecord* ButtonRecordOf(HWND window);

// WM_DRAWITEM of a skinned window: paints an ODT_BUTTON item whose button has a record in the
// window's button list with the face its kind selects. False when the item is not ours.
bool DrawButtonItem(int windowIndex, const DRAWITEMSTRUCT& item);
// The family's parent-message hook: WM_DRAWITEM goes to DrawButtonItem.
void AnswerButtonParentMessage(int windowIndex, UINT message, WPARAM wParam, LPARAM lParam);

// --- Faces of owner-drawn push buttons (buttons_faces.cpp) ---
// The standard translucent plate, the state-image face and the single-image face. Each paints
// the button's captured background off-screen and copies the result into dc at (0, 0). dc
// stays the caller's: the painters never release it.

// Item state bits the faces look at.
constexpr UINT kStateSelected = ODS_SELECTED; // 0x01, pressed
constexpr UINT kStateDisabled = ODS_DISABLED; // 0x04
constexpr UINT kStateFocus = ODS_FOCUS;       // 0x10
constexpr UINT kStateHot = ODS_HOTLIGHT;      // 0x40

void PaintStandardButtonFace(HWND button, HDC dc, UINT state, const RECT& rect);
void PaintStateImageFace(HWND button, HDC dc, UINT state, const RECT& rect);
void PaintSingleImageFace(HWND button, HDC dc, UINT state, const RECT& rect);

// The open outline of a rectangle's upper part with its two upper corners rounded (corner
// ellipse d x d): up the left side, across the top, down the right side.
void AddRoundedTop(plus::PlusPath& path, float x, float y, float w, float h, float d);

} // namespace skin
