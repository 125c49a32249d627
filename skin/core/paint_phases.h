// Where a control's repaint spends its time: each painter marks its phases (its own steps such
// as looking up its record and measuring, the capture of the background, frame ring, shapes,
// text, copy to the screen) and, while a benchmark has switched
// the count on, the time of each is summed. Off, a mark costs one test of a flag.
// A window's composition marks its own steps the same way (after the controls' phases), so a
// start-up can be split into the region, the back buffer, the fill, the title, the caption
// buttons, the status bar, the copy to the screen and the controls' colour answers.
#pragma once

#include <array>
#include <cstddef>

namespace skin {

enum class PaintPhase : int {
    // a control's painter
    Painter,
    Capture,
    Kept,
    Ring,
    Shapes,
    Text,
    Copy,
    // a window's composition, and what its controls ask of it
    Region,
    BackBuffer,
    Fill,
    Border,
    Strips,
    Icon,
    TitleFont,
    TitleText,
    ButtonPictures,
    Buttons,
    StatusFont,
    StatusPanes,
    ToScreen,
    ColourAnswers,
    Count
};

// The phases of a control's painter come first; the window's follow.
inline constexpr std::size_t kControlPhaseCount = static_cast<std::size_t>(PaintPhase::Region);

inline constexpr std::array<const char*, static_cast<int>(PaintPhase::Count)> kPaintPhaseNames{
    "painter's own steps",
    "background",
    "kept picture",
    "frame ring",
    "shapes",
    "text",
    "copy",
    "window region",
    "back buffer and canvas",
    "fill and gloss",
    "border",
    "clean strips",
    "icon",
    "title font",
    "title text and halo",
    "button pictures decoded",
    "caption buttons",
    "status font",
    "status panes",
    "to the screen",
    "controls' colour answers"};

struct PaintPhaseTimes {
    std::array<double, static_cast<int>(PaintPhase::Count)> ms{};
};

// Starts (or stops) summing; starting clears the sums.
void CountPaintPhases(bool on);
// The sums since counting started.
const PaintPhaseTimes& CountedPaintPhases();

// Marks the scope as one phase. A phase inside another is counted apart: the outer one stops
// while it runs, so no time is counted twice.
class PhaseClock {
public:
    explicit PhaseClock(PaintPhase phase);
    ~PhaseClock();
    PhaseClock(const PhaseClock&) = delete;
    PhaseClock& operator=(const PhaseClock&) = delete;

private:
    int outer_ = -1;
    bool counting_ = false;
};

} // namespace skin
