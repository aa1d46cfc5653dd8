#!/usr/bin/env bash
# run-in-wine.sh PREFIX PROGRAM [ARGS] runs PROGRAM under Wine; --make-prefix PREFIX makes one.
set -euo pipefail

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if [[ "${1:-}" == "--make-prefix" ]]; then
    export WINEPREFIX="$2"
    # A prefix left from an earlier run may still have its server running.
    "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1
    "$WINESERVER" -w
    exit 0
fi

export WINEPREFIX="$1"
exec "$WINE" "${@:2}"
