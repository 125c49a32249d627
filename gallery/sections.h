// The gallery's sections: one labelled area per control family, each filled by one small
// function. A family that gets a skin adds its control numbers below, one function and one line
// in the section table (sections.cpp); the other sections stay as they are.
#pragma once
#include <windows.h>

#include <span>
#include <string>
#include <vector>

namespace gallery {

// Control numbers: the child-window ids, so GetDlgItem finds every control.
enum ControlId : int {
    // Push buttons
    kPushNormal = 100,
    kPushDefault,
    kPushDisabled,
    // Check boxes
    kCheckChecked = 110,
    kCheckUnchecked,
    kCheckDisabled,
    // Radio buttons (one group)
    kRadioChecked = 120,
    kRadioUnchecked,
    kRadioDisabled,
    // Edit boxes
    kEditSingleLine = 200,
    kEditMultiLine,
    kEditReadOnly,
    kEditPassword,
    // Combo boxes
    kComboSimple = 300,
    kComboDropDown,
    kComboDropDownList,
    // Item views
    kListBox = 700,
    kListView,
    kTreeView,
    kIpAddress,
    kDateTime,
    // Headers
    kHeaderAlone = 720,
    // Up-downs and their buddy edits
    kUpDownVertical = 740,
    kUpDownVerticalBuddy,
    kUpDownHorizontal,
    kUpDownHorizontalBuddy,
    // Track bars
    kTrackTicks = 400,
    kTrackSelection,
    kTrackVertical,
    kTrackVerticalTicks,
    kTrackPanelSwitch, // draws the bars with or without their rounded panel
    // Progress bars
    kProgressEmpty = 500,
    kProgressPart,
    kProgressFull,
    kProgressRunning, // advanced by a timer of the window
    kProgressVertical,
    // Image buttons (registered with the skin engine after the window is skinned)
    kImageButtonSingle = 600,
    kImageButtonStates,
    kImageButtonStatesDisabled,
    // Containers and common controls (given their skins after the window is skinned)
    kToolBar = 800,
    kTabs,
    kTabPageCalendar, // first page: a month calendar
    kTabPageForm,     // second page: a few controls
    kMonthCalendar,
    kPageButton,
    kPageCheck,
    kPageEdit,
    kGroupBox,
    kGroupCheck,
    kGroupEdit,
    kGroupProgress,
    kGroupTrack,
    kDockedPanel, // docked along the window's bottom, holding the next two
    kRichEdit,
    kStatusBar,
    kToolBarFirstCommand = 850, // the tool bar's three buttons
    // The switch between opaque and translucent controls
    kModeSwitch = 900,
    // Every label (section titles and the captions in front of controls)
    kLabelId = 0xFFFF,
};

// A control of the gallery and what the status bar calls it.
struct NamedControl {
    int id = 0;
    HWND window = nullptr;
    std::string name; // code page 936
};

// Places the controls of one section in lines, left to right, inside the section's column.
class SectionBuilder {
public:
    SectionBuilder(HWND parent, HFONT font, int left, int top, int width);

    // A `width` x `height` control on the current line, or at the start of the next one when
    // the line has no room left. Null when the control could not be made.
    HWND Add(int id, const char* className, const char* text, DWORD style, int width, int height,
             const char* name, DWORD exStyle = 0);
    // A label in front of the next control, its text centred on a `height`-pixel line.
    HWND Caption(const char* text, int width, int height);
    // Ends the current line.
    void NewLine();
    // The font the section's controls are given.
    HFONT Font() const { return font_; }

    // The lowest edge of everything placed so far.
    int Bottom() const { return bottom_; }
    int Width() const { return width_; }
    const std::vector<NamedControl>& Controls() const { return controls_; }
    const std::vector<HWND>& Labels() const { return labels_; }

private:
    HWND Make(int id, const char* className, const char* text, DWORD style, DWORD exStyle,
              int width, int height);

    HWND parent_;
    HFONT font_;
    int left_, width_;
    int x_, y_;      // where the next control goes
    int lineBottom_; // bottom edge of the current line
    int bottom_;
    std::vector<NamedControl> controls_;
    std::vector<HWND> labels_;
};

// The window class of the gallery's plain holders (tab pages, the docked panel): they paint
// nothing themselves and hand their children's notifications to the gallery window.
const char* HolderClass();

using SectionFunction = void (*)(SectionBuilder&);

struct Section {
    const char* title; // code page 936
    int column;        // 0-based column of the window
    SectionFunction add;
};

// The sections in the order they are laid out, each below the previous one of its column.
std::span<const Section> Sections();

} // namespace gallery
