#!/usr/bin/env bash
# Builds the x64 composition benchmark and runs it under Wine on a private Xvfb; it prints the
# medians of its measurements. Extra arguments go to the program (a number scales the runs).
# The theme-image group uses a 20000 x 20000 PNG (900 KB) written here at run time.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
cmake --preset x64 >/dev/null
cmake --build --preset x64 --target skin_bench -j"$(nproc)" >/dev/null
image=build/x64/tests/bench/large-theme.png
[ -s "$image" ] || python3 tests/bench/make_large_png.py "$image"
VARNEL_BENCH_THEME_IMAGE="Z:$root/$image" \
    bash scripts/with-xvfb.sh bash scripts/wine-run.sh build/x64/tests/bench/skin_bench.exe "$@"
