#!/usr/bin/env bash
# Builds Uptrail for the host and for Windows and runs every test tier: the portable
# unit tests natively (with ASan and UBSan) and under Wine, and the win32 tier under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"

cmake --preset host -DUPTRAIL_WIN64_DIR="$PWD/build/win64" >/dev/null
cmake --build --preset host -j "$jobs"

# Wine's tests share one fresh prefix, made by the first test of the run.
ctest --test-dir build/host --output-on-failure -j "$jobs"
