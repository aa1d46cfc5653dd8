#!/usr/bin/env bash
# Builds the bench preset (native, optimised, no sanitizers), runs every benchmark in a
# process of its own (so that no benchmark inherits the heap another one left behind),
# prints the medians and the figures that have targets (all in-process), then the
# whole-process figures: uptrail-report started afresh every run beside `true` and tuptime
# (bench/vs-tuptime, which installs Debian's tuptime package when it is missing).
#   scripts/bench.sh [regular expression choosing benchmarks, e.g. Heartbeat]
#
# Each benchmark runs twice: as it comes, and with glibc told to keep freed memory in the
# process (it hands every block of some megabytes back to the kernel, and touching it
# again costs a page fault per 4 KiB). The second figure is the program's own work.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset bench >/dev/null
cmake --build --preset bench -j "$(nproc)" >/dev/null

bench=build/bench/bench/uptrail_bench
results=build/bench/results
heap_kept="glibc.malloc.mmap_threshold=67108864:glibc.malloc.trim_threshold=134217728"
rm -rf "$results"
mkdir -p "$results/default" "$results/heap-kept"
count=0
while read -r name; do
    count=$((count + 1))
    echo "bench: $name" >&2
    for variant in default heap-kept; do
        tunables=""
        [[ $variant == heap-kept ]] && tunables=$heap_kept
        GLIBC_TUNABLES=$tunables "$bench" --benchmark_filter="^${name}\$" \
            --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
            --benchmark_out_format=json \
            --benchmark_out="$results/$variant/$(printf '%02d' "$count").json" >/dev/null
    done
done < <("$bench" --benchmark_list_tests --benchmark_filter="${1:-.}")

echo
python3 bench/summary.py "$results"
echo
bench/vs-tuptime
