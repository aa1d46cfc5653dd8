#!/usr/bin/env bash
# Builds Uptrail.exe and starts it under Wine. Without a display it runs on a virtual one
# (Xvfb) that later runs share, so a second run finds the first copy, hands over and ends.
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

# The virtual display outlives one run, so that every copy shares one desktop.
if [[ -z "${DISPLAY:-}" ]]; then
    display_file="$WINEPREFIX/uptrail-xvfb-display"
    if [[ -f "$display_file" ]] && xdpyinfo -display ":$(cat "$display_file")" >/dev/null 2>&1; then
        export DISPLAY=":$(cat "$display_file")"
    else
        exec {display_fd}<> <(:)
        Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        read -r -t 10 display_number <&"$display_fd"
        echo "$display_number" >"$display_file"
        export DISPLAY=":$display_number"
        echo "run: virtual display $DISPLAY (screenshot: import -display $DISPLAY -window root shot.png)"
    fi
fi

echo "run: starting Uptrail.exe (end it with Exit from its tray menu, or Ctrl+C)"
exec "$wine" build/win64/src/Uptrail.exe "$@"
