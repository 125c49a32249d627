#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb (1024 x 768, 24 bits, unless
# VARNEL_XVFB_SCREEN names another WxHxD), then stops the
# X server and this prefix's wineserver so no Wine process stays bound to a dead display.
# xvfb-run is not used: under its X authority Wine needs about 30 s to start each time.
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/env.sh"
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${VARNEL_XVFB_SCREEN:-1024x768x24}" -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
xpid=$!
# A loaded machine can take well over ten seconds to start the server.
for _ in $(seq 600); do [ -s "$fdfile" ] && break; sleep 0.1; done
num=$(head -n1 "$fdfile"); rm -f "$fdfile"
if [ -z "$num" ]; then echo "with-xvfb: Xvfb did not start" >&2; kill $xpid 2>/dev/null; exit 1; fi
export DISPLAY=":$num"
"$VARNEL_WINESERVER" -k >/dev/null 2>&1 || true
# A persistent wineserver started here, with no inherited pipes: when the first program
# starts it instead, it holds the test runner's output pipe open for its whole lifetime.
# The same holds for the background programs Wine starts with the first program (services and
# the desktop process), so they are started here too, by a program that keeps the desktop up
# until the end (scripts/desktop_holder.c says why).
"$VARNEL_WINESERVER" -p </dev/null >/dev/null 2>&1
holder="$WINEPREFIX/varnel-desktop-holder.exe"
if [ ! -f "$holder" ] || [ "$here/desktop_holder.c" -nt "$holder" ]; then
  x86_64-w64-mingw32-gcc-posix -O2 -Wall -Wextra "$here/desktop_holder.c" -o "$holder" ||
    echo "with-xvfb: could not build the desktop holder" >&2
fi
ready="$WINEPREFIX/drive_c/varnel-desktop-ready"
rm -f "$ready"
if [ -f "$holder" ]; then
  "$VARNEL_WINE" "$holder" 'C:\varnel-desktop-ready' </dev/null >/dev/null 2>&1 &
  for _ in $(seq 600); do [ -f "$ready" ] && break; sleep 0.1; done
  [ -f "$ready" ] || echo "with-xvfb: the desktop holder did not start" >&2
else
  "$VARNEL_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1
fi
"$@"
rc=$?
"$VARNEL_WINESERVER" -k >/dev/null 2>&1 || true
kill $xpid 2>/dev/null; wait $xpid 2>/dev/null
exit $rc
