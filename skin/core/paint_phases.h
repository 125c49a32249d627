// Where a control's repaint spends its time: each painter marks its phases (its own steps such
// as looking up its record and measuring, the capture of the background, frame ring, shapes,
// text, copy to the screen) and, while a benchmark has switched
// the count on, the time of each is summed. Off, a mark costs one test of a flag.
#pragma once

#include <array>

namespace skin {

enum class PaintPhase : int { Painter, Capture, Kept, Ring, Shapes, Text, Copy, Count };

inline constexpr std::array<const char*, static_cast<int>(PaintPhase::Count)> kPaintPhaseNames{
    "painter's own steps", "background", "kept picture", "frame ring", "shapes", "text", "copy"};

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
