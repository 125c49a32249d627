#include "app/startup_probe.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/usage_counter.h"
#include "skin/core/paint_phases.h"

namespace varnel::startup_probe {

namespace {

enum class Stop { Paint, Usage, Memory };

// Usage lines delivered after the first in the "memory" run.
constexpr int kMemoryUpdates = 1000;

struct State {
    bool active = false;
    bool plain = false;
    bool detail = false;
    Stop stop = Stop::Paint;
    std::string report;
    LARGE_INTEGER entry{};
    LARGE_INTEGER frequency{};
    bool painted = false;
    int linesShown = 0;
    std::uint64_t bytesAtFirstLine = 0;
    std::string lines; // the report so far
};

State& Probe() {
    static State state;
    return state;
}

double MsSinceEntry() {
    const State& s = Probe();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - s.entry.QuadPart) * 1000.0 /
           static_cast<double>(s.frequency.QuadPart);
}

void Add(const char* name, double value) {
    char line[96];
    std::snprintf(line, sizeof line, "%s %.3f\n", name, value);
    Probe().lines += line;
}

// The skin's phase sums so far, each under "<step>/<phase>".
void AddPhases(const char* step) {
    const skin::PaintPhaseTimes& sums = skin::CountedPaintPhases();
    for (std::size_t i = 0; i < sums.ms.size(); ++i) {
        std::string name = std::string(step) + "/" + skin::kPaintPhaseNames[i];
        for (char& c : name)
            if (c == ' ') c = '_';
        Add(name.c_str(), sums.ms[i]);
    }
}

void WriteAndClose(HWND mainWindow) {
    State& s = Probe();
    if (FILE* file = std::fopen(s.report.c_str(), "w")) {
        std::fputs(s.lines.c_str(), file);
        std::fclose(file);
    }
    s.active = false; // one report per run
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}

} // namespace

void NoteEntry() {
    State& s = Probe();
    QueryPerformanceFrequency(&s.frequency);
    QueryPerformanceCounter(&s.entry);
    const char* report = std::getenv("VARNEL_STARTUP_PROBE");
    if (!report || !*report) return;
    s.active = true;
    s.report = report;
    const char* plain = std::getenv("VARNEL_STARTUP_PROBE_PLAIN");
    s.plain = plain && std::string(plain) == "1";
    const char* detail = std::getenv("VARNEL_STARTUP_PROBE_DETAIL");
    s.detail = detail && std::string(detail) == "1";
    if (s.detail) skin::CountPaintPhases(true);
    const char* stop = std::getenv("VARNEL_STARTUP_PROBE_STOP");
    const std::string when = stop ? stop : "";
    s.stop = when == "usage" ? Stop::Usage : when == "memory" ? Stop::Memory : Stop::Paint;
}

void Mark(const char* name) {
    if (!Probe().active || Probe().painted) return;
    Add(name, MsSinceEntry());
    if (Probe().detail) AddPhases(name);
}

bool SkinsMainWindow() {
    return !(Probe().active && Probe().plain);
}

void NoteFirstPaint(HWND mainWindow) {
    State& s = Probe();
    if (!s.active || s.painted) return;
    s.painted = true;
    GdiFlush(); // the paint has reached the display
    Add("first_paint_ms", MsSinceEntry());
    if (s.detail) {
        AddPhases("first_paint_ms");
        skin::CountPaintPhases(false);
    }
    Add("private_bytes_after_paint", static_cast<double>(PrivateBytes()));
    if (s.stop == Stop::Paint) WriteAndClose(mainWindow);
}

void NoteUsageLineShown(HWND mainWindow, UsageLineMailbox& mailbox) {
    State& s = Probe();
    if (!s.active) return;
    const int shown = ++s.linesShown;
    if (shown == 1) {
        GdiFlush();
        Add("usage_line_ms", MsSinceEntry());
        s.bytesAtFirstLine = PrivateBytes();
        Add("private_bytes_after_usage_line", static_cast<double>(s.bytesAtFirstLine));
        if (s.stop == Stop::Usage) return WriteAndClose(mainWindow);
    }
    if (s.stop != Stop::Memory) return;
    if (shown <= kMemoryUpdates) {
        // The next line goes the way a counter thread's does: queued, then taken by the window
        // when the message it posts comes round.
        mailbox.Deliver(TitleLine("已使用次数：" + std::to_string(shown)));
        return;
    }
    Add("private_bytes_after_updates", static_cast<double>(PrivateBytes()));
    Add("updates", kMemoryUpdates);
    WriteAndClose(mainWindow);
}

std::uint64_t PrivateBytes() {
    // The committed private regions of the address space, summed. (GetProcessMemoryInfo's
    // PrivateUsage reads 0 under Wine.)
    std::uint64_t bytes = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<const char*>(nullptr);
         VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return bytes;
}

} // namespace varnel::startup_probe
