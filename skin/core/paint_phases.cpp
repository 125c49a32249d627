#include "skin/core/paint_phases.h"

#include <windows.h>

namespace skin {
namespace {

bool counting = false;
PaintPhaseTimes sums;
int running = -1; // the phase being counted now, -1 for none
double runningSince = 0;

double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMs;
}

// Adds the time since the last switch to the running phase and makes `next` the running one.
void SwitchTo(int next) {
    const double now = NowMs();
    if (running >= 0) sums.ms[static_cast<size_t>(running)] += now - runningSince;
    running = next;
    runningSince = now;
}

} // namespace

void CountPaintPhases(bool on) {
    counting = on;
    running = -1;
    if (on) sums = PaintPhaseTimes{};
}

const PaintPhaseTimes& CountedPaintPhases() {
    return sums;
}

PhaseClock::PhaseClock(PaintPhase phase) : counting_(counting) {
    if (!counting_) return;
    outer_ = running;
    // Drawing is batched: what was queued before counts to the phase that queued it.
    GdiFlush();
    SwitchTo(static_cast<int>(phase));
}

PhaseClock::~PhaseClock() {
    if (!counting_ || !counting) return;
    GdiFlush();
    SwitchTo(outer_);
}

} // namespace skin
