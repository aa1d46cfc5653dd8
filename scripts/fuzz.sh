#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset: clang-14, ASan, UBSan) and runs one of
# them, or all, for a number of seconds each:
#
#   scripts/fuzz.sh [--no-build] [TARGET|all] [SECONDS]      (defaults: all, 20)
#   scripts/fuzz.sh --build-only
#
# --no-build runs what an earlier --build-only built, so that several runs can go at once
# (the host build's CTest runs each target as a test of its own, label "fuzz").
# Each run starts from a copy of fuzz/corpus/<target> under build/fuzz/corpus/<target>, so
# what a run learns stays out of the source tree; an input that fails a check or trips a
# sanitizer is left in build/fuzz/artifacts/<target>/ and fails the script. Reproduce one
# with build/fuzz/fuzz/<target> build/fuzz/artifacts/<target>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."

# Every source in fuzz/ but the shared support is one target.
targets=()
for source in fuzz/*.cpp; do
    name=$(basename "$source" .cpp)
    if [[ $name != fuzz_support ]]; then targets+=("$name"); fi
done
build=yes
if [[ ${1:-} == --no-build ]]; then
    build=no
    shift
fi
target=${1:-all}
seconds=${2:-20}

if [[ $build == yes ]]; then
    scripts/install-deps.sh
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j "$(nproc)" >/dev/null
fi
[[ $target == --build-only ]] && exit 0

if [[ $target == all ]]; then
    selected=("${targets[@]}")
elif [[ " ${targets[*]} " == *" $target "* ]]; then
    selected=("$target")
else
    echo "fuzz: no target '$target'; the targets are: ${targets[*]}" >&2
    exit 2
fi

failed=()
for name in "${selected[@]}"; do
    corpus=build/fuzz/corpus/$name
    artifacts=build/fuzz/artifacts/$name
    mkdir -p "$corpus" "$artifacts"
    cp -f fuzz/corpus/"$name"/* "$corpus"/
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$artifacts"/)
    [[ -f fuzz/$name.dict ]] && options+=(-dict=fuzz/"$name".dict)
    echo "fuzz: $name for ${seconds}s"
    # libFuzzer stops at the first failing input and exits non-zero; keep its log for it.
    if ! build/fuzz/fuzz/"$name" "${options[@]}" "$corpus" >build/fuzz/"$name".log 2>&1; then
        failed+=("$name")
        tail -n 60 build/fuzz/"$name".log >&2
    fi
    grep -E '^(stat::number_of_executed_units|Done)' build/fuzz/"$name".log || true
done

if ((${#failed[@]} > 0)); then
    echo "fuzz: failing inputs found by: ${failed[*]} (see build/fuzz/artifacts/)" >&2
    exit 1
fi
