#!/usr/bin/env python3
"""Start-up figures of the program itself (run by scripts/bench.sh inside its Xvfb session).

Runs build/x64/Varnel.exe with the start-up probe (app/startup_probe.h) against the loopback
demo server, which must be listening: skinned and left plain, alternately, closing after the
first paint; then closing after the first usage line; then once through 1,000 usage-line
updates for the private committed bytes. Prints medians and the skinned / plain ratio.
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


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 7
    run("paint")  # warm-up: the first start reads every DLL from disk
    skinned, plain = [], []
    for _ in range(count):
        skinned.append(run("paint"))
        plain.append(run("paint", plain=True))
    s = median(skinned, "first_paint_ms")
    p = median(plain, "first_paint_ms")
    print("Start-up (Varnel.exe, entry to first paint; medians of %d runs each)" % count)
    print("  %-44s %9.2f ms" % ("skinned main window", s))
    print("  %-44s %9.2f ms" % ("the same window left plain", p))
    print("  %-44s %9.2f x   (target <= 1.5 x)" % ("skinned / plain", s / p))
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
