#!/usr/bin/env bash
# Runs a test program in a session at another DPI:  run_at_dpi.sh DPI PROGRAM [ARGS...]
#
# Wine reads LogPixels (HKCU\Control Panel\Desktop) once per process, and the value is the
# whole prefix's, so the program runs in a copy of the prefix of its own: files hard-linked
# (the copy costs no space), the registry files copied, since Wine rewrites them. The copy's
# Wine server is ended and the copy removed afterwards, so nothing of it (its desktop process
# above all, which would hold the caller's output open) outlives the run.
set -u
dpi="$1"
shift
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)"
. "$here/env.sh"
source_prefix="$WINEPREFIX"
copy="$(mktemp -d "${TMPDIR:-/tmp}/varnel-dpi$dpi.XXXXXX")"
cleanup() {
    WINEPREFIX="$copy" "$VARNEL_WINESERVER" -k 2>/dev/null
    rm -rf "$copy"
}
trap cleanup EXIT
cp -al "$source_prefix/." "$copy/" || exit 1
for hive in system.reg user.reg userdef.reg; do
    [ -f "$source_prefix/$hive" ] && rm -f "$copy/$hive" && cp "$source_prefix/$hive" "$copy/$hive"
done
export WINEPREFIX="$copy"
export VARNEL_EXPECTED_DPI="$dpi"
"$VARNEL_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1 || exit 1
"$VARNEL_WINE" "$@"
status=$?
exit $status
