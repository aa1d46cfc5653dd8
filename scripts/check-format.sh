#!/usr/bin/env bash
# Checks that every C++ file is laid out as .clang-format says; with --fix, lays them out.
set -euo pipefail
cd "$(dirname "$0")/.."

formatter=clang-format-14
mode=(--dry-run --Werror)
if [[ "${1:-}" == "--fix" ]]; then mode=(-i); fi

mapfile -t files < <(git ls-files -- '*.h' '*.cpp')
"$formatter" "${mode[@]}" "${files[@]}"
