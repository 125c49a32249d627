// Start-up timing for the benchmark (scripts/bench.sh). Idle unless the environment names a
// report file in VARNEL_STARTUP_PROBE; then the program's own start-up notes, in milliseconds
// after its entry, when the main window was first painted and when the first usage line was
// shown, with the process's private committed bytes, writes them to that file and closes.
//
//   VARNEL_STARTUP_PROBE=<file>       where the report goes (one "name value" per line)
//   VARNEL_STARTUP_PROBE_STOP=<when>  "paint" (the default): close after the first paint;
//                                     "usage": after the first usage line; "memory": after
//                                     that line and 1,000 more delivered through the mailbox
//   VARNEL_STARTUP_PROBE_PLAIN=1      leave the main window unskinned
//   VARNEL_STARTUP_PROBE_DETAIL=1     also sum the skin's paint phases from the entry on and
//                                     note their sums at each step ("<step>/<phase> ms", the
//                                     phase's name with '_' for each space); the sums cost
//                                     time of their own, so such runs are not the timed ones
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

namespace varnel {

class UsageLineMailbox;

namespace startup_probe {

// First thing at the program's entry: starts the clock and reads the environment.
void NoteEntry();
// Notes the time since the entry under `name` (a start-up step just finished).
void Mark(const char* name);
// Whether the main window is to be skinned (always, unless the probe runs plain).
bool SkinsMainWindow();
// After the main window's first paint (shown and updated), before the page view navigates.
void NoteFirstPaint(HWND mainWindow);
// After a usage line has been shown; `mailbox` is where further lines can be delivered.
void NoteUsageLineShown(HWND mainWindow, UsageLineMailbox& mailbox);

// The process's private committed bytes: the committed private regions of its address space.
std::uint64_t PrivateBytes();

} // namespace startup_probe
} // namespace varnel
