#!/usr/bin/env bash
# Runs the gallery (x64 build) under Wine: one skinned window holding every control the skin
# engine skins. With a $DISPLAY the window opens there and the script returns when it is
# closed. Without one, a private Xvfb is used: the window runs for VARNEL_RUN_SECONDS (default
# 15), a screenshot is saved to out/gallery.png (the window alone to out/gallery-window.png),
# and the program is closed. Extra arguments go to the program (--translucent starts with
# translucent controls).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
. scripts/env.sh
exe=build/x64/gallery/varnel_gallery.exe
[ -f "$exe" ] || { echo "gallery: $exe is missing (make build)" >&2; exit 1; }
mkdir -p out

if [ -n "${DISPLAY:-}" ]; then
  scripts/wine-run.sh "$exe" "$@"
else
  seconds=${VARNEL_RUN_SECONDS:-15}
  bash scripts/with-xvfb.sh bash -c '
    exe=$1 seconds=$2; shift 2
    scripts/wine-run.sh "$exe" "$@" & app=$!
    sleep "$seconds"
    import -window root out/gallery.png && echo "gallery: screenshot saved to out/gallery.png"
    # The window alone (it opens at 12, 4 with an outer size of 1000 x 760).
    convert out/gallery.png -crop 1000x760+12+4 +repage out/gallery-window.png
    kill $app 2>/dev/null; wait $app 2>/dev/null || true' bash "$exe" "$seconds" "$@"
fi
