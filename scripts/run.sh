#!/usr/bin/env bash
# Runs Varnel (x64 build) under Wine against the loopback demo server.
# With a $DISPLAY the window opens there and the script returns when it is closed. Without
# one, a private Xvfb is used: the window runs for VARNEL_RUN_SECONDS (default 15), a
# screenshot is saved to out/varnel.png (the window alone to out/varnel-window.png), and the
# program is closed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
. scripts/env.sh
exe=build/x64/Varnel.exe
[ -f "$exe" ] || { echo "run: $exe is missing (make build)" >&2; exit 1; }
mkdir -p out
port=$(sed -n 's/^VARNEL_DEMO_PORT:STRING=//p' build/x64/CMakeCache.txt)
: > out/demo-server.log  # this run's requests only
python3 scripts/demo_server.py --port "${port:-8931}" --log out/demo-server.log &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
sleep 0.5

if [ -n "${DISPLAY:-}" ]; then
  scripts/wine-run.sh "$exe"
else
  seconds=${VARNEL_RUN_SECONDS:-15}
  bash scripts/with-xvfb.sh bash -c '
    scripts/wine-run.sh "$0" & app=$!
    sleep "$1"
    import -window root out/varnel.png && echo "run: screenshot saved to out/varnel.png"
    # The window alone (it opens at 50, 50 with an outer size of 376 x 364).
    convert out/varnel.png -crop 376x364+50+50 +repage out/varnel-window.png
    kill $app 2>/dev/null; wait $app 2>/dev/null || true' "$exe" "$seconds"
fi
echo "run: demo server log:"; cat out/demo-server.log 2>/dev/null || true
