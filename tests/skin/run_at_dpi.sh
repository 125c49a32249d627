#!/usr/bin/env bash
# Runs a test program in a session at another DPI:  run_at_dpi.sh DPI PROGRAM [ARGS...]
#
# Wine reads LogPixels (HKCU\Control Panel\Desktop) once per process, and the value is the
# whole prefix's, so the program runs in a prefix of its own for that DPI, beside the caller's
# ("<prefix>-dpi144"). It is made once, the first time it is needed, as a copy of the caller's
# prefix (files hard-linked, so it costs no space; the registry files copied, since Wine
# rewrites them), and made again when the caller's prefix is newer than it. The copy's Wine
# server is ended after the run, so nothing of it (its desktop process above all, which would
# hold the caller's output open) outlives the run.
set -u
dpi="$1"
shift
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)"
. "$here/env.sh"
source_prefix="$WINEPREFIX"
session="$source_prefix-dpi$dpi"
made="$session/.varnel-dpi-session"

make_session() {
    local staging
    staging="$(mktemp -d "$source_prefix-dpi$dpi.XXXXXX")" || return 1
    cp -al "$source_prefix/." "$staging/" || return 1
    for hive in system.reg user.reg userdef.reg; do
        [ -f "$source_prefix/$hive" ] || continue
        rm -f "$staging/$hive" && cp "$source_prefix/$hive" "$staging/$hive" || return 1
    done
    rm -f "$staging/drive_c/varnel-desktop-ready"
    WINEPREFIX="$staging" "$VARNEL_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
        /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || return 1
    # The server writes the value to disk when it ends by itself.
    WINEPREFIX="$staging" "$VARNEL_WINESERVER" -w 2>/dev/null
    grep -q '"LogPixels"=dword:' "$staging/user.reg" || return 1
    touch "$staging/.varnel-dpi-session"
    rm -rf "$session"
    mv "$staging" "$session"
}

if [ ! -f "$made" ] || [ "$source_prefix/.varnel-ready" -nt "$made" ]; then
    if ! make_session; then
        echo "run_at_dpi: could not make the $dpi-dpi prefix $session" >&2
        rm -rf "$source_prefix-dpi$dpi".??????
        exit 1
    fi
fi

export WINEPREFIX="$session"
export VARNEL_EXPECTED_DPI="$dpi"
trap '"$VARNEL_WINESERVER" -k 2>/dev/null' EXIT
"$VARNEL_WINE" "$@"
