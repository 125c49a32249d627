#!/usr/bin/env bash
# Builds the x64 composition benchmark and the program and runs them under Wine on a private
# Xvfb (large enough for a 1280 x 800 window); it prints the medians of its measurements.
# Extra arguments go to the composition program (a number scales the runs; a group name after
# it runs that group alone, "startup" the program's start-up alone, "all" every group; "detail"
# after the group adds where each control repaint's time goes, and each start-up step's).
# The theme-image group uses a 20000 x 20000 PNG (900 KB) written here at run time. The
# start-up group runs the program against the loopback demo server on the configured port.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
cmake --preset x64 >/dev/null
cmake --build --preset x64 --target skin_bench Varnel -j2 >/dev/null
image=build/x64/tests/bench/large-theme.png
[ -s "$image" ] || python3 tests/bench/make_large_png.py "$image"
group="${2:-}"
export VARNEL_XVFB_SCREEN=2200x1000x24
if [ "$group" != startup ]; then
  VARNEL_BENCH_THEME_IMAGE="Z:$root/$image" \
      bash scripts/with-xvfb.sh bash scripts/wine-run.sh build/x64/tests/bench/skin_bench.exe "$@"
fi
if [ -z "$group" ] || [ "$group" = all ] || [ "$group" = startup ]; then
  port=$(sed -n 's/^VARNEL_DEMO_PORT:STRING=//p' build/x64/CMakeCache.txt)
  log=$(mktemp)
  python3 scripts/demo_server.py --port "${port:-8931}" --log "$log" >/dev/null 2>&1 &
  server=$!
  trap 'kill $server 2>/dev/null || true; rm -f "$log"' EXIT
  sleep 0.5
  # "detail" after the group: where each start-up step's time goes, too.
  detail=()
  [ "${3:-}" = detail ] && detail=(detail)
  bash scripts/with-xvfb.sh python3 tests/bench/startup_bench.py "${detail[@]}"
fi
