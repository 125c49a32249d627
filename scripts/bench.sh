#!/usr/bin/env bash
# Builds the x64 composition benchmark and runs it under Wine on a private Xvfb; it prints the
# medians of its measurements. Extra arguments go to the program (a number scales the runs).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
cmake --preset x64 >/dev/null
cmake --build --preset x64 --target skin_bench -j"$(nproc)" >/dev/null
bash scripts/with-xvfb.sh bash scripts/wine-run.sh build/x64/tests/bench/skin_bench.exe "$@"
