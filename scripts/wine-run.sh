#!/usr/bin/env bash
# Runs one Windows program under 64-bit Wine with the project's environment.
# Used by ctest as the cross-compiling emulator, and by the run script.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/env.sh"
exec "$VARNEL_WINE" "$@"
