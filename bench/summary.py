#!/usr/bin/env python3
"""Prints the benchmark figures that scripts/bench.sh collected: for every benchmark the
median wall time of its repetitions, as it comes (default/) and with freed memory kept in
the process (heap-kept/), then the figures that have targets.

    bench/summary.py RESULTS_FOLDER
"""
import glob
import json
import os
import sys

TARGETS = [
    ("start-up work on 32000 entries: trim, previous entry, menus, alarms",
     "BM_StartupWork/entries:32000/flush:0/real_time", 10e-3),
    ("  the same, flushed to the disk", "BM_StartupWork/entries:32000/flush:1/real_time", None),
    ("  a full log (32001): the trim drops the oldest, rewrites",
     "BM_StartupWork/entries:32001/flush:0/real_time", None),
    ("one heartbeat on 32000 entries, without the flush",
     "BM_Heartbeat/entries:32000/flush:0/real_time", 2e-3),
    ("  the same, flushed to the disk", "BM_Heartbeat/entries:32000/flush:1/real_time", None),
    ("one clock tick: hands, dial, icon image", "BM_ClockTick", 20e-6),
    ("the session chart of 32000 entries: read, figures, page", "BM_ReportChart/entries:32000",
     20e-3),
    ("a System log export of 200000 records read as sessions",
     "BM_ReadEventExport/records:200000", 1.0),
    ("LoadAlarms of 1000 alarms (log of 32000 entries)", "BM_LoadAlarms/alarms:1000", None),
    ("SaveAlarms of 1000 alarms, without the flush",
     "BM_SaveAlarms/alarms:1000/flush:0/real_time", None),
]
UNITS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def shown(seconds):
    if seconds is None:
        return "-"
    unit = "us" if seconds < 1e-3 else "ms" if seconds < 1 else "s"
    return f"{seconds / UNITS[unit]:.3g} {unit}"


def medians(folder):
    found = {}
    for path in sorted(glob.glob(os.path.join(folder, "*.json"))):
        with open(path) as results:
            for run in json.load(results)["benchmarks"]:
                if run.get("aggregate_name") == "median":
                    found[run["run_name"]] = run["real_time"] * UNITS[run["time_unit"]]
    return found


def main():
    as_it_comes = medians(os.path.join(sys.argv[1], "default"))
    heap_kept = medians(os.path.join(sys.argv[1], "heap-kept"))
    print(f"{'median wall time of 5, each benchmark in its own process':58} "
          f"{'as it comes':>12} {'heap kept':>10}")
    for name, seconds in as_it_comes.items():
        print(f"{name.removesuffix('/real_time'):58} {shown(seconds):>12} "
              f"{shown(heap_kept.get(name)):>10}")
    print()
    print(f"{'figure with a target':58} {'as it comes':>12} {'heap kept':>10} {'target':>8}")
    for label, name, target in TARGETS:
        if name not in as_it_comes:
            continue
        print(f"{label:58} {shown(as_it_comes[name]):>12} {shown(heap_kept.get(name)):>10} "
              f"{shown(target) if target else '':>8}")


if __name__ == "__main__":
    main()
