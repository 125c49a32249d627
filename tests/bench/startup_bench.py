#!/usr/bin/env python3
"""Start-up figures of the program itself (run by scripts/bench.sh inside its Xvfb session).

Runs build/x64/Varnel.exe with the start-up probe (app/startup_probe.h) against the loopback
demo server, which must be listening: skinned and left plain, alternately, closing after the
first paint, in several whole measurements after two warm-up starts (reported apart), so the
spread of their ratios shows how far one figure can be trusted; then closing after the first
usage line; then once through 1,000 usage-line updates for the private committed bytes. Prints
each measurement's medians and its ratio (the median of each skinned start against the plain
start beside it), the spread of those ratios between measurements, and the pooled figures.

    startup_bench.py [starts per measurement, default 11] [measurements, default 3]
"""
import os
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The program: build/x64/Varnel.exe, or the one VARNEL_BENCH_PROGRAM names (an older build
# measured side by side).
EXE = os.environ.get("VARNEL_BENCH_PROGRAM") or os.path.join(ROOT, "build", "x64", "Varnel.exe")
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run.sh")


def run(stop, plain=False):
    """One start-up of the program; the probe's report as a dict of floats."""
    with tempfile.TemporaryDirectory() as folder:
        report = os.path.join(folder, "report.txt")
        env = dict(os.environ)
        env["VARNEL_STARTUP_PROBE"] = "Z:" + report.replace("/", "\\")
        env["VARNEL_STARTUP_PROBE_STOP"] = stop
        env["VARNEL_STARTUP_PROBE_PLAIN"] = "1" if plain else "0"
        subprocess.run(["bash", WINE_RUN, EXE], env=env, timeout=120,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        values = {}
        if os.path.exists(report):
            with open(report) as file:
                for line in file:
                    name, value = line.split()
                    values[name] = float(value)
        return values


STEPS = [
    ("runtime_ms", "runtime services, OLE"),
    ("gdiplus_ms", "GDI+ started"),
    ("icon_options_ms", "icon loaded, options set"),
    ("window_ms", "main window created"),
    ("units_ms", "page view and label created"),
    ("skinned_ms", "theme set, window skinned (SkinWindow)"),
    ("shown_ms", "shown (WM_SHOWWINDOW: the first rebuild)"),
    ("first_paint_ms", "first WM_PAINT done"),
]


def median(runs, key):
    values = [r[key] for r in runs if key in r]
    return statistics.median(values) if values else float("nan")


def measure(count):
    """One whole measurement: `count` starts skinned and `count` plain, in pairs whose order
    alternates (a load that drifts falls on both alike)."""
    skinned, plain = [], []
    for i in range(count):
        if i % 2:
            plain.append(run("paint", plain=True))
            skinned.append(run("paint"))
        else:
            skinned.append(run("paint"))
            plain.append(run("paint", plain=True))
    return skinned, plain


def pair_ratios(skinned, plain):
    return [a["first_paint_ms"] / b["first_paint_ms"] for a, b in zip(skinned, plain)
            if "first_paint_ms" in a and b.get("first_paint_ms", 0) > 0]


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 11
    # Three measurements by default: their spread says whether one figure can be steered by.
    measurements = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    # Warm-up, reported apart: the first starts read every DLL from disk and fill the caches.
    warm = [run("paint"), run("paint", plain=True)]
    print("Start-up (Varnel.exe, entry to first paint; %d measurements of %d starts each)" %
          (measurements, count))
    print("  %-44s %9.2f ms   plain %9.2f ms   (not counted)" %
          ("warm-up starts, skinned", warm[0].get("first_paint_ms", float("nan")),
           warm[1].get("first_paint_ms", float("nan"))))
    ratios = []
    skinned, plain = [], []
    pairs = []
    for m in range(measurements):
        s_runs, p_runs = measure(count)
        s = median(s_runs, "first_paint_ms")
        p = median(p_runs, "first_paint_ms")
        # Each skinned start against the plain one next to it in time: the load of that moment
        # falls on both, so the median of these ratios moves far less than the ratio of medians.
        r = pair_ratios(s_runs, p_runs)
        ratio = statistics.median(r) if r else float("nan")
        ratios.append(ratio)
        pairs += r
        skinned += s_runs
        plain += p_runs
        print("  measurement %d: skinned %8.2f ms   plain %8.2f ms   median of %d pair ratios"
              " %5.2f x   (target <= 1.5 x: %s)" %
              (m + 1, s, p, len(r), ratio, "met" if ratio <= 1.5 else "not met"))
    mean = statistics.mean(ratios)
    spread = max(abs(r - mean) for r in ratios) / mean * 100.0
    s = median(skinned, "first_paint_ms")
    p = median(plain, "first_paint_ms")
    print("  %-44s %9.2f ms" % ("skinned main window (all measurements)", s))
    print("  %-44s %9.2f ms" % ("the same window left plain", p))
    overall = statistics.median(pairs) if pairs else float("nan")
    print("  %-44s %9.2f x   (target <= 1.5 x: %s; ratio of the medians %.2f x)" %
          ("skinned / plain, median of all pair ratios", overall,
           "met" if overall <= 1.5 else "not met", s / p))
    print("  %-44s  +-%5.1f %%   (largest from their mean %.2f x; target +-10 %%: %s)" %
          ("spread of the measurements' ratios", spread, mean,
           "met" if spread <= 10.0 else "not met"))
    print("  step by step (ms after entry, skinned / plain):")
    for key, what in STEPS:
        print("    %-42s %9.2f   %9.2f" % (what, median(skinned, key), median(plain, key)))
    usage = [run("usage") for _ in range(max(1, count // 2))]
    print("  %-44s %9.2f ms" % ("entry to the usage line shown (loopback)",
                                median(usage, "usage_line_ms")))
    memory = run("memory")
    mib = 1024.0 * 1024.0
    print("  private committed bytes (committed MEM_PRIVATE regions, by VirtualQuery):")
    print("    %-42s %9.2f MiB" % ("after the first paint",
                                   memory.get("private_bytes_after_paint", 0) / mib))
    first = memory.get("private_bytes_after_usage_line", 0)
    after = memory.get("private_bytes_after_updates", 0)
    print("    %-42s %9.2f MiB" % ("after start-up (first usage line shown)", first / mib))
    print("    %-42s %9.2f MiB   growth %+.0f KiB" %
          ("after 1,000 more usage-line updates", after / mib, (after - first) / 1024.0))


if __name__ == "__main__":
    main()
