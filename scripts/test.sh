#!/usr/bin/env bash
# Builds both targets, their release archives and the example against the installed libraries,
# and runs every test of the x64 build under Wine on a private Xvfb.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
jobs=$(nproc)
presets=(x64)
skipped=()
if [ "${VARNEL_SKIP_X86:-0}" != 1 ]; then presets+=(x86); else skipped=(-E '\.(x86|win32)$'); fi
for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
done
# The release tests and the example tests make what they read themselves (a setup test and a
# target dependency), so nothing else is made here.
#
# A failing test prints its output, and is run once more before it counts as failed: under Wine
# a test program now and then fails to start at all (a failure in 0.01 s with no test run,
# passing on every rerun). A test that fails twice still fails the run. Every test that needed
# the rerun is listed at the end, so flaky starts stay visible.
log="$root/build/x64/Testing/test-run.log"
mkdir -p "$(dirname "$log")"
set +e
bash scripts/with-xvfb.sh \
  ctest --preset x64 -j"$jobs" --output-on-failure --repeat until-pass:2 "${skipped[@]}" "$@" \
  2>&1 | tee "$log"
rc=${PIPESTATUS[0]}
set -e
bash scripts/reruns.sh "$log"
exit "$rc"
