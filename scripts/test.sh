#!/usr/bin/env bash
# Builds both targets and runs every test of the x64 build under Wine on a private Xvfb.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
bash scripts/setup.sh
jobs=$(nproc)
cmake --preset x64 >/dev/null
cmake --build --preset x64 -j"$jobs"
if [ "${VARNEL_SKIP_X86:-0}" != 1 ]; then
  cmake --preset x86 >/dev/null
  cmake --build --preset x86 -j"$jobs"
fi
# A failing test prints its output, and is run once more before it counts as failed: under Wine
# a test program now and then fails to start at all (seen once in five fresh runs: a failure in
# 0.01 s with no test run, passing on every rerun). A test that fails twice still fails the run.
bash scripts/with-xvfb.sh \
  ctest --preset x64 -j"$jobs" --output-on-failure --repeat until-pass:2 "$@"
