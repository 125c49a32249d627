#!/usr/bin/env bash
# Builds both targets, their release archives and the example against the installed libraries,
# and runs every test of the x64 build under Wine on a private Xvfb. Ends with the time each
# stage took, the tests that passed only on their rerun, and ctest's summary line.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs=$(nproc)

stage_names=()
stage_seconds=()
# timed NAME COMMAND...: runs the command and notes how long it took.
timed() {
  local name=$1 start end rc=0
  shift
  start=$(date +%s%N)
  "$@" || rc=$?
  end=$(date +%s%N)
  stage_names+=("$name")
  stage_seconds+=("$(awk -v ns=$((end - start)) 'BEGIN { printf "%.1f", ns / 1e9 }')")
  return "$rc"
}
breakdown() {
  local i total=0
  echo "Stages of this run (seconds):"
  for i in "${!stage_names[@]}"; do
    printf '  %-22s %8s\n' "${stage_names[$i]}" "${stage_seconds[$i]}"
    total=$(awk -v a="$total" -v b="${stage_seconds[$i]}" 'BEGIN { print a + b }')
  done
  printf '  %-22s %8.1f\n' "total" "$total"
}

timed "set-up" bash scripts/setup.sh

presets=(x64)
skipped=()
if [ "${VARNEL_SKIP_X86:-0}" != 1 ]; then presets+=(x86); else skipped=(-E '\.(x86|win32)$'); fi
for preset in "${presets[@]}"; do
  timed "$preset configure" cmake --preset "$preset" >/dev/null
  timed "$preset build" cmake --build --preset "$preset" -j"$jobs"
done
# The archives and the example against the installed libraries. The release and example tests
# make what they read themselves too (a setup test of theirs), so that ctest alone works; after
# these stages that setup finds everything current and builds nothing.
timed "archives" bash scripts/package.sh --no-build "${presets[@]}"
timed "example" bash scripts/examples.sh "${presets[@]}"

# A failing test prints its output, and is run once more before it counts as failed: under Wine
# a test program now and then fails to start at all. A test that fails twice still fails the
# run. Every test that needed the rerun is listed at the end, so flaky starts stay visible.
# Most tests wait on the window system rather than compute (a run at two jobs a core kept the
# cores less than half busy), so ctest runs two tests a core.
test_jobs=$((2 * jobs))
log="$root/build/x64/Testing/test-run.log"
mkdir -p "$(dirname "$log")"
tests() {
  bash scripts/with-xvfb.sh \
    ctest --preset x64 -j"$test_jobs" --output-on-failure --repeat until-pass:2 "${skipped[@]}" "$@" \
    2>&1 | tee "$log"
  return "${PIPESTATUS[0]}"
}
rc=0
timed "tests" tests "$@" || rc=$?
breakdown
bash scripts/reruns.sh "$log"
exit "$rc"
