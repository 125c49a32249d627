# Shared environment for running Varnel's Windows programs under Wine (sourced, not run).
export WINEPREFIX="${VARNEL_WINEPREFIX:-$HOME/.cache/varnel/wine}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8
VARNEL_WINE=/usr/lib/wine/wine64
VARNEL_WINESERVER=/usr/lib/wine/wineserver64
[ -x "$VARNEL_WINESERVER" ] || VARNEL_WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver)
