#!/usr/bin/env python3
"""Start-up figures of the program itself (run by scripts/bench.sh inside its Xvfb session).

Runs build/x64/Varnel.exe with the start-up probe (app/startup_probe.h) against the loopback
demo server, which must be listening: skinned and left plain, alternately, closing after the
first paint, in several whole measurements after two warm-up starts (reported apart), so the
spread of their ratios shows how far one figure can be trusted; then closing after the first
usage line; then once through 1,000 usage-line updates for the private committed bytes. Prints
each measurement's medians and two ratios (the median of each skinned start against the plain
start beside it, and the ratio of the two sides' lower quartiles, the least disturbed starts),
the spread of each between measurements, and the pooled figures. With "detail", further starts
of each side with the skin's paint phases summed (not timed with the others: the sums cost time
of their own) show where each step's time goes.

    startup_bench.py [starts per measurement, default 15] [measurements, default 3] [detail]
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


def run(stop, plain=False, detail=False):
    """One start-up of the program; the probe's report as a dict of floats."""
    with tempfile.TemporaryDirectory() as folder:
        report = os.path.join(folder, "report.txt")
        env = dict(os.environ)
        env["VARNEL_STARTUP_PROBE"] = "Z:" + report.replace("/", "\\")
        env["VARNEL_STARTUP_PROBE_STOP"] = stop
        env["VARNEL_STARTUP_PROBE_PLAIN"] = "1" if plain else "0"
        env["VARNEL_STARTUP_PROBE_DETAIL"] = "1" if detail else "0"
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


def lower_quartile(runs):
    values = sorted(r["first_paint_ms"] for r in runs if "first_paint_ms" in r)
    return values[len(values) // 4] if values else float("nan")


def print_breakdown(count):
    """Where each start-up step's time goes: `count` starts of each side with the phases summed,
    medians of each step and of each phase's share in it (phases under 0.05 ms left out)."""
    skinned = [run("paint", detail=True) for _ in range(count)]
    plain = [run("paint", plain=True, detail=True) for _ in range(count)]
    print("  where each step goes (%d more starts each side with the skin's phases summed;"
          " medians, ms, skinned / plain):" % count)
    before = None
    for key, what in STEPS:
        def step(r):
            return r[key] - (r[before] if before else 0.0) if key in r else float("nan")

        def phase(r, name):
            now = r.get(key + "/" + name, 0.0)
            return now - (r.get(before + "/" + name, 0.0) if before else 0.0)

        names = sorted({k.split("/", 1)[1] for r in skinned + plain for k in r
                        if k.startswith(key + "/")})
        s_step = statistics.median([step(r) for r in skinned])
        p_step = statistics.median([step(r) for r in plain])
        print("    %-42s %9.2f   %9.2f" % (what, s_step, p_step))
        s_phases = 0.0
        for name in names:
            s_each = statistics.median([phase(r, name) for r in skinned])
            p_each = statistics.median([phase(r, name) for r in plain])
            s_phases += s_each
            if max(s_each, p_each) >= 0.05:
                print("      %-40s %9.2f   %9.2f" % (name.replace("_", " "), s_each, p_each))
        if names:
            print("      %-40s %9.2f" % ("the rest (the system, unmarked steps)", s_step - s_phases))
        before = key


def main():
    args = [a for a in sys.argv[1:] if a != "detail"]
    detail = len(args) != len(sys.argv) - 1
    count = int(args[0]) if len(args) > 0 else 15
    # Three measurements by default: their spread says whether one figure can be steered by.
    measurements = int(args[1]) if len(args) > 1 else 3
    # Warm-up, reported apart: the first starts read every DLL from disk and fill the caches.
    warm = [run("paint"), run("paint", plain=True)]
    print("Start-up (Varnel.exe, entry to first paint; %d measurements of %d starts each)" %
          (measurements, count))
    print("  %-44s %9.2f ms   plain %9.2f ms   (not counted)" %
          ("warm-up starts, skinned", warm[0].get("first_paint_ms", float("nan")),
           warm[1].get("first_paint_ms", float("nan"))))
    ratios, quartile_ratios = [], []
    skinned, plain = [], []
    pairs = []
    for m in range(measurements):
        s_runs, p_runs = measure(count)
        s = median(s_runs, "first_paint_ms")
        p = median(p_runs, "first_paint_ms")
        # Each skinned start against the plain one next to it in time: the load of that moment
        # falls on both, so the median of these ratios moves less than the ratio of medians.
        r = pair_ratios(s_runs, p_runs)
        ratio = statistics.median(r) if r else float("nan")
        ratios.append(ratio)
        # Other programs only ever add time to a start: the fastest quarter of each side is
        # the least disturbed, and the ratio of their lower quartiles the steadiest figure.
        q = lower_quartile(s_runs) / lower_quartile(p_runs)
        quartile_ratios.append(q)
        pairs += r
        skinned += s_runs
        plain += p_runs
        print("  measurement %d: skinned %7.2f ms   plain %7.2f ms   pairs %5.2f x   lower"
              " quartiles %5.2f x" % (m + 1, s, p, ratio, q))
    s = median(skinned, "first_paint_ms")
    p = median(plain, "first_paint_ms")
    print("  %-44s %9.2f ms" % ("skinned main window (all measurements)", s))
    print("  %-44s %9.2f ms" % ("the same window left plain", p))
    overall = statistics.median(pairs) if pairs else float("nan")
    quartiles = lower_quartile(skinned) / lower_quartile(plain)
    print("  skinned / plain (target <= 1.5 x), and the spread of the measurements' figures from"
          " their mean (target +-10 %):")
    for what, figure, each in (("median of the pair ratios", overall, ratios),
                               ("ratio of the lower quartiles", quartiles, quartile_ratios)):
        mean = statistics.mean(each)
        spread = max(abs(x - mean) for x in each) / mean * 100.0
        print("    %-42s %5.2f x: %-7s   spread +-%5.1f %%: %s" %
              (what, figure, "met" if figure <= 1.5 else "not met", spread,
               "met" if spread <= 10.0 else "not met"))
    print("  step by step (ms after entry, skinned / plain):")
    for key, what in STEPS:
        print("    %-42s %9.2f   %9.2f" % (what, median(skinned, key), median(plain, key)))
    if detail:
        print_breakdown(max(5, count // 2))
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
