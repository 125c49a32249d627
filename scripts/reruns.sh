#!/usr/bin/env bash
# Reads the output of a ctest run with --repeat until-pass:N and prints the tests that failed
# at least once and then passed on a rerun ("none" when there were none), then ctest's summary
# line again, so the run still ends with the test runner's own verdict.
#
#   scripts/reruns.sh CTEST_OUTPUT
set -euo pipefail
awk '
  # One finished attempt: "[k/N ]Test #i: Name ....   Passed" or "....***Failed" (or
  # ***Timeout, ***Exception ...).
  match($0, /Test +#[0-9]+: [^ ]+ /) {
    name = substr($0, RSTART, RLENGTH)
    sub(/^Test +#[0-9]+: /, "", name); sub(/ $/, "", name)
    # A skipped test is not a failure.
    if ($0 ~ /\*\*\*/ && $0 !~ /\*\*\*Skipped/) {
      if (!(name in failedOnce)) order[++count] = name
      failedOnce[name] = 1
    }
  }
  # The tests that failed on every attempt.
  /^The following tests FAILED:/ { inList = 1; next }
  inList && /^[ \t]+[0-9]+ - / {
    line = $0
    sub(/^[ \t]+[0-9]+ - /, "", line); sub(/ \([^)]*\)$/, "", line)
    # A parameterised test is listed with its parameter ("Name  # GetParam() = ...").
    sub(/ +# .*$/, "", line)
    failedAlways[line] = 1
    next
  }
  { inList = 0 }
  /^[0-9]+% tests passed, / { summary = $0 }
  END {
    reruns = 0
    for (i = 1; i <= count; ++i)
      if (!(order[i] in failedAlways)) rerun[++reruns] = order[i]
    if (reruns == 0) {
      print "Tests that passed only on their rerun: none"
    } else {
      print "Tests that passed only on their rerun (" reruns "):"
      for (i = 1; i <= reruns; ++i) print "  " rerun[i]
    }
    if (summary != "") print summary
  }
' "$1"
