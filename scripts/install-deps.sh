#!/usr/bin/env bash
# Installs what building and testing Uptrail needs on Debian 12, and nothing that is
# already there. Safe to run again.
set -euo pipefail

packages=(
    cmake make g++ git python3
    g++-mingw-w64-x86-64-posix
    wine64
    nsis
    xvfb xauth x11-utils xdotool imagemagick
    libgtest-dev libgmock-dev googletest
    libbenchmark-dev
    libexpat1-dev
    nlohmann-json3-dev
    clang-format-14
    clang-14 libclang-rt-14-dev
    chromium
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
    echo "install-deps: these packages are missing: ${missing[*]}" >&2
    echo "install-deps: run this script as root, or install them with apt-get." >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
