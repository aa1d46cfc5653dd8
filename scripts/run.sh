#!/usr/bin/env bash
# Builds Uptrail.exe and starts it under Wine. Without a display, it runs on a virtual
# one (Xvfb) so the program still has a desktop and a notification area.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target Uptrail

export WINEPREFIX="${WINEPREFIX:-$HOME/.uptrail-wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    echo "run: making the Wine prefix $WINEPREFIX (once)"
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
fi

echo "run: starting Uptrail.exe (end it with Exit from its tray menu, or Ctrl+C)"
if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$wine" build/win64/src/Uptrail.exe "$@"
fi
exec "$wine" build/win64/src/Uptrail.exe "$@"
