#!/usr/bin/env python3
"""Mutation testing of the portable core: do the host unit tests catch planted faults?

Samples mutants (flipped comparisons, && and ||, off-by-one literals, + and -, true and
false, negated ifs, dropped statements) from the .cpp files of the portable layers, with a
seeded stratified sample that is the same for a given seed and source tree. Each mutant is
written into its file, the unit tests are built incrementally and run; the file is put
back afterwards whatever happens (a copy waits in build/mutation/backup until then, and a run
that was killed outright puts it back when the next run starts).

A mutant is caught when the unit tests or the fuzz targets' corpus replays fail, crash,
report a sanitizer error or time out, survives when they pass, and is unbuildable when it
does not compile. --extra-command adds a check of your own per mutant. Mutants
listed in scripts/mutation-allow.txt ("file:line operator  # why") are equivalent and stay
out of the score. --compare fails when a mutant an earlier run caught now survives.

Needs a configured host build:  cmake --preset host  (the run builds what it needs).
A mutant costs a recompile of one file, the relinks and a sanitized test run (which stops
at the first failure): about 25 s on two cores, more for one that hangs until the
--timeout, so a run of 300 mutants takes about two hours. Run it in a clone of its own
if you mean to go on editing: it writes each mutant into the sources it tests.

    scripts/mutate.py --per-layer 4 --list          # show the sample
    scripts/mutate.py --per-layer 40 --out old.json # run it
    scripts/mutate.py --per-layer 40 --compare old.json
"""
import argparse
import json
import os
import random
import re
import signal
import subprocess
import sys
import time
from collections import Counter
from dataclasses import asdict, dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
LAYERS = {"base": ["base"], "storage": ["storage"], "sessionlog": ["sessionlog"],
          "alarm": ["alarm"], "chart": ["chart"], "app": ["app", "app/commands"],
          "report": ["report"]}
ALLOW_FILE = ROOT / "scripts" / "mutation-allow.txt"
# The copies of the files under mutation live in the tree they belong to: a run in another
# clone, whatever its --out, must never put its files back here.
BACKUP_DIR = ROOT / "build" / "mutation" / "backup"
TARGET = "uptrail_unit_tests"
# Each fuzz target is also built as a replay of its seed corpus, so its properties check
# every mutant too.
REPLAYS = sorted(p.stem for p in (ROOT / "fuzz").glob("*.cpp") if p.stem != "fuzz_support")
NOT_STATEMENTS = {"return", "break", "continue", "case", "default", "using", "typedef",
                  "namespace", "goto", "throw", "co_return", "delete", "static_assert",
                  "if", "else", "for", "while", "do", "switch"}
# The part before "=", "(" or "{" of a declaration: type words, then a name or a binding.
DECLARATION = re.compile(r"(\w[\w:]*(<.*>)?[\s*&]+)+(\w+|\[[\w, ]+\])")


@dataclass
class Mutant:
    file: str
    line: int
    column: int
    operator: str
    original: str
    replacement: str
    start: int
    end: int
    layer: str = ""

    @property
    def id(self):
        return (f"{self.file}:{self.line}:{self.column}:{self.operator}:"
                f"{' '.join(self.replacement.split())}")


# ---------------------------------------------------------------- finding the sites
# Numbers are kept as they are (their ' separates digits); the rest is blanked.
MASKED = re.compile(r"""
    (?P<number>\b\d[\w']*)
  | //[^\n]* | /\*.*?\*/
  | (?:\b(?:u8|[uUL]))?R"(?P<delimiter>[^(\s]*)\(.*?\)(?P=delimiter)"
  | "(?:\\.|[^"\\\n])*" | '(?:\\.|[^'\\\n])*'
  | ^[ \t]*\#(?:\\\n|[^\n])*
  | \bstatic_assert\b[^;]*;
""", re.S | re.M | re.X)


def mask_source(text):
    """Blanks comments, string and char literals, preprocessor lines and static_asserts,
    keeping every offset and newline, so that no mutant lands inside them."""
    return MASKED.sub(lambda m: m.group(0) if m.group("number")
                      else re.sub(r"[^\n]", " ", m.group(0)), text)


SIMPLE_OPERATORS = [
    ("comparison", r"(?<=\s)(<=|>=|<|>|==|!=)(?=\s)",
     {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}),
    ("logical", r"(?<=\s)(&&|\|\|)(?=\s)", {"&&": "||", "||": "&&"}),
    ("arithmetic", r"(?<=\s)(\+|-)(?=\s)", {"+": "-", "-": "+"}),
    ("boolean", r"\b(true|false)\b", {"true": "false", "false": "true"}),
]


def operator_sites(masked):
    for name, pattern, swap in SIMPLE_OPERATORS:
        for m in re.finditer(pattern, masked):
            if not masked[max(0, m.start() - 12):m.start()].rstrip().endswith("operator"):
                yield name, m.start(1), m.group(1), swap[m.group(1)]
    for m in re.finditer(r"(?<![\w.'])(\d+)(?=[uUlLzZ]*(?![\w.']))", masked):
        value = int(m.group(1))
        for changed in (value + 1, value - 1):
            if changed >= 0:
                yield "literal", m.start(1), m.group(1), str(changed)


def negated_if_sites(masked):
    for m in re.finditer(r"\bif\s*\(", masked):
        depth, j = 1, m.end()
        while depth and j < len(masked):
            depth += {"(": 1, ")": -1}.get(masked[j], 0)
            j += 1
        condition = masked[m.end():j - 1]
        if condition.strip() and ";" not in condition:  # no init-statement
            yield "negate-if", m.end(), condition, None


def dropped_statement_sites(masked):
    offset, previous = 0, "{"
    for line in masked.splitlines(keepends=True):
        code = line.strip()
        if _is_expression_statement(code) and previous[-1:] in ";{}:":
            yield "drop-statement", offset + line.index(code), code, ""
        if code:
            previous = code
        offset += len(line)


def _is_expression_statement(code):
    """One whole statement on the line that does something and declares nothing."""
    if not code.endswith(";") or code.count(";") != 1 or code.count("(") != code.count(")"):
        return False
    if not re.match(r"[\w*(]|\+\+|--", code) or re.search(r"= *(default|delete)\b", code):
        return False
    head = re.split(r"[=({;]", code, maxsplit=1)[0].strip()
    acts = re.search(r"[=(]|\+\+|--|<<|>>", code)
    first = re.match(r"\w*", code).group(0)
    return bool(acts) and first not in NOT_STATEMENTS and not DECLARATION.fullmatch(head)


def file_mutants(path, layer):
    text = path.read_bytes().decode("utf-8")
    masked = mask_source(text)
    mutants = []
    for operator, start, original, replacement in [
            *operator_sites(masked), *negated_if_sites(masked), *dropped_statement_sites(masked)]:
        original = text[start:start + len(original)]
        if operator == "arithmetic" and '"' in text[start - 2] + text[start + 2]:
            continue  # a string being joined, not a sum
        if operator == "negate-if":
            replacement = f"!({original})"
        line = text.count("\n", 0, start) + 1
        column = start - text.rfind("\n", 0, start)
        mutants.append(Mutant(str(path.relative_to(ROOT)), line, column, operator, original,
                              replacement, start, start + len(original), layer))
    return mutants


def unit_test_sources(build_dir):
    """The files compiled into the layer libraries that the unit tests link (the report's
    entry points are not), from the build's compile database; None without one."""
    database = build_dir / "compile_commands.json"
    if not database.exists():
        return None
    sources = set()
    for entry in json.loads(database.read_text()):
        path = Path(entry["file"]).resolve()
        library = re.search(r"CMakeFiles/uptrail_(\w+)\.dir/", entry["command"])
        if library and path.is_relative_to(ROOT / "src" / library.group(1)):
            sources.add(path)
    return sources


def all_mutants(layers, build_dir):
    built = unit_test_sources(build_dir)
    if built is None:
        print("warning: no compile_commands.json; sampling every .cpp file", file=sys.stderr)
    found = {}
    for layer in layers:
        paths = sorted(p for folder in LAYERS[layer] for p in (ROOT / "src" / folder).glob("*.cpp"))
        found[layer] = sorted((m for p in paths if built is None or p.resolve() in built
                               for m in file_mutants(p, layer)),
                              key=lambda m: (m.file, m.start, m.operator, m.replacement))
    return found


# ---------------------------------------------------------------- sampling
def sample(found, seed, per_layer, count):
    if count is not None:
        quotas = proportional_quotas({k: len(v) for k, v in found.items()}, count)
    else:
        quotas = {layer: per_layer for layer in found}
    chosen = []
    for layer, mutants in found.items():
        # A random stream per layer keeps a layer's sample the same when --layers narrows.
        rng = random.Random(f"{seed}:{layer}")
        picked = rng.sample(range(len(mutants)), min(quotas[layer], len(mutants)))
        chosen += [mutants[i] for i in sorted(picked)]
    return chosen


def proportional_quotas(sizes, count):
    total = sum(sizes.values()) or 1
    exact = {k: count * v / total for k, v in sizes.items()}
    quotas = {k: int(v) for k, v in exact.items()}
    by_remainder = sorted(exact, key=lambda k: (quotas[k] - exact[k], k))
    for k in by_remainder[:count - sum(quotas.values())]:
        quotas[k] += 1
    return quotas


def read_allow_list():
    allowed = set()
    if ALLOW_FILE.exists():
        for line in ALLOW_FILE.read_text().splitlines():
            entry = line.split("#", 1)[0].split()
            if len(entry) == 2:
                allowed.add((entry[0], entry[1]))
    return allowed


# ---------------------------------------------------------------- running
def restore_pending(backup_dir):
    for backup in sorted(backup_dir.rglob("*.cpp")) if backup_dir.exists() else []:
        target = ROOT / backup.relative_to(backup_dir)
        target.write_bytes(backup.read_bytes())
        backup.unlink()
        print(f"restored {target.relative_to(ROOT)} from an interrupted run", file=sys.stderr)


def run_mutant(mutant, args, test_command, backup_dir):
    path = ROOT / mutant.file
    original = path.read_bytes()
    backup = backup_dir / mutant.file
    backup.parent.mkdir(parents=True, exist_ok=True)
    partial = backup.with_suffix(".partial")  # a backup is whole or absent
    partial.write_bytes(original)
    os.replace(partial, backup)
    try:
        text = original.decode("utf-8")
        if text[mutant.start:mutant.end] != mutant.original:
            return "stale", "the source changed since sampling"
        path.write_bytes((text[:mutant.start] + mutant.replacement + text[mutant.end:]).encode())
        if not build(args):
            return "unbuildable", "build failed"
        return run_tests(test_command, args)
    finally:
        path.write_bytes(original)  # a fresh mtime, so the next build recompiles it
        backup.unlink()


def run_group(command, timeout, **options):
    """Runs a command in a process group of its own and, on a timeout or interrupt, ends
    the whole group before returning: a compiler left running could write a mutant's
    object after its source is restored, and the build would then keep it."""
    process = subprocess.Popen(command, start_new_session=True, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True, errors="replace", **options)
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output
    except BaseException:
        end_group(process)
        raise


def end_group(process):
    # SIGTERM first, so that make deletes the half-written target it was building.
    for sig, grace in ((signal.SIGTERM, 10), (signal.SIGKILL, 10)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        deadline = time.monotonic() + grace
        while time.monotonic() < deadline:
            process.poll()
            try:
                os.killpg(process.pid, 0)
            except ProcessLookupError:
                return
            time.sleep(0.1)


def build(args):
    targets = [TARGET, *(f"fuzz_replay_{name}" for name in REPLAYS)]
    command = ["cmake", "--build", str(args.build), "--target", *targets, f"-j{args.jobs}"]
    try:
        return run_group(command, 900)[0] == 0
    except subprocess.TimeoutExpired:
        return False


def run_tests(test_command, args):
    commands = [(test_command, None)]
    commands += [([str(args.build / "tests" / f"fuzz_replay_{name}"),
                   str(ROOT / "fuzz" / "corpus" / name)], None) for name in REPLAYS]
    if args.extra_command:
        commands.append((args.extra_command, ROOT))
    for command, cwd in commands:
        try:
            returncode, output = run_group(command, args.timeout, shell=isinstance(command, str),
                                           cwd=cwd or Path(command[0]).parent)
        except subprocess.TimeoutExpired:
            return "caught", "timeout"
        if returncode != 0:
            sanitizer = re.search(r"(\w+Sanitizer|runtime error)", output)
            failed = re.search(r"\[  FAILED  \] (\S+)", output)
            return "caught", (sanitizer.group(1) if sanitizer
                              else failed.group(1) if failed else f"exit {returncode}")
    return "survived", ""


def unit_test_command(args):
    binary = args.build / "tests" / TARGET
    command = [str(binary), "--gtest_brief=1"]
    if not build(args):
        sys.exit(f"{TARGET} does not build on the unmutated tree; fix that first")
    # GoogleTest answers a flag it does not know with its help text.
    probe = run_group([str(binary), "--gtest_fail_fast", "--gtest_list_tests"], 60)[1]
    if "command line flags" not in probe:
        command.append("--gtest_fail_fast")
    if run_tests(command, args)[0] != "survived":
        sys.exit("the unmutated tree does not build or pass its unit tests; fix that first")
    return command


def run_all(mutants, args, allowed, out):
    results = {}
    test_command = unit_test_command(args)
    for number, mutant in enumerate(mutants, 1):
        began = time.monotonic()
        if (f"{mutant.file}:{mutant.line}", mutant.operator) in allowed:
            outcome, detail = "equivalent", "allow-listed"
        else:
            outcome, detail = run_mutant(mutant, args, test_command, BACKUP_DIR)
        seconds = round(time.monotonic() - began, 1)
        results[mutant.id] = {**asdict(mutant), "outcome": outcome, "detail": detail,
                              "seconds": seconds}
        note = f"{detail}, {seconds} s" if detail else f"{seconds} s"
        print(f"[{number:3}/{len(mutants)}] {outcome:11} {describe(mutant)}  ({note})", flush=True)
        write_results(out, args, results)
    build(args)  # leave the build holding the unmutated code
    return results


def describe(m):
    def short(s):
        s = " ".join(s.split())
        return s if len(s) <= 60 else s[:57] + "..."
    return f"{m.file}:{m.line} {m.operator} '{short(m.original)}' -> '{short(m.replacement)}'"


def as_mutant(record):
    return Mutant(**{k: record[k] for k in Mutant.__annotations__})


def write_results(out, args, results):
    out.parent.mkdir(parents=True, exist_ok=True)
    record = {"seed": args.seed, "per_layer": args.per_layer, "count": args.count,
              "layers": args.layers, "mutants": results}
    out.write_text(json.dumps(record, indent=1))


# ---------------------------------------------------------------- reporting
def print_summary(results):
    columns = ["caught", "survived", "unbuildable", "equivalent"]
    rows = {}
    for r in results.values():
        rows.setdefault(r["layer"], Counter())[r["outcome"]] += 1
    rows["total"] = sum(rows.values(), Counter())
    print("\n" + f"{'layer':12}" + "".join(f"{c:>13}" for c in columns) + f"{'score':>8}")
    for layer, counts in rows.items():
        tested = counts["caught"] + counts["survived"]
        score = f"{100 * counts['caught'] / tested:.0f}%" if tested else "-"
        print(f"{layer:12}" + "".join(f"{counts[c]:13}" for c in columns) + f"{score:>8}")
    for outcome in ("survived", "stale"):
        listed = [r for r in results.values() if r["outcome"] == outcome]
        if listed:
            print(f"\n{outcome}:")
        for r in listed:
            print("  " + describe(as_mutant(r)))


def compare(old_file, results):
    old = json.loads(Path(old_file).read_text())["mutants"]
    caught_before = [i for i, r in old.items() if r["outcome"] == "caught"]
    lost = [i for i in caught_before if i in results and results[i]["outcome"] != "caught"]
    missing = [i for i in caught_before if i not in results]
    for i in lost:
        print(f"no longer caught ({results[i]['outcome']}): {describe(as_mutant(results[i]))}")
    if missing:
        print(f"{len(missing)} mutants caught in {old_file} are not in this run: "
              "use the same --seed, --per-layer/--count and --layers on the same sources")
    print(f"compared with {old_file}: {len(caught_before)} caught before, {len(lost)} lost")
    return 1 if lost or missing else 0


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seed", type=int, default=20261207, help="default %(default)s")
    size = parser.add_mutually_exclusive_group()
    size.add_argument("--per-layer", type=int, help="mutants per layer (default 10)")
    size.add_argument("--count", type=int, help="mutants in all, shared out by layer size")
    parser.add_argument("--layers", default=",".join(LAYERS), help="default %(default)s")
    parser.add_argument("--build", type=Path, default=ROOT / "build" / "host",
                        help="a configured host build dir (default build/host)")
    parser.add_argument("--jobs", type=int, default=2, help="build jobs (default 2)")
    parser.add_argument("--timeout", type=float, default=120,
                        help="seconds for a test run (default %(default)s)")
    parser.add_argument("--extra-command", help="shell command run in the repo root after "
                        "the unit tests pass; its failure also catches the mutant")
    parser.add_argument("--out", type=Path, default=ROOT / "build" / "mutation" / "results.json",
                        help="results file (default build/mutation/results.json)")
    parser.add_argument("--compare", metavar="OLD.json",
                        help="fail if a mutant caught in OLD.json is not caught now")
    parser.add_argument("--list", "--dry-run", action="store_true", help="only show the sample")
    args = parser.parse_args()
    if args.per_layer is None and args.count is None:
        args.per_layer = 10
    args.build = args.build.resolve()
    if not args.list and not (args.build / "CMakeCache.txt").exists():
        parser.error(f"{args.build} is not configured: run  cmake --preset host  first")
    unknown = set(args.layers.split(",")) - set(LAYERS)
    if unknown:
        parser.error(f"unknown layers: {', '.join(sorted(unknown))}")
    return args


def main():
    args = parse_args()
    out = args.out.resolve()
    restore_pending(BACKUP_DIR)
    layers = [layer for layer in LAYERS if layer in args.layers.split(",")]
    mutants = sample(all_mutants(layers, args.build), args.seed, args.per_layer, args.count)
    if args.list:
        for m in mutants:
            print(f"{m.layer:11} {describe(m)}")
        return 0
    signal.signal(signal.SIGTERM, signal.default_int_handler)  # cleaned up like Ctrl-C
    try:
        results = run_all(mutants, args, read_allow_list(), out)
    except KeyboardInterrupt:
        restore_pending(BACKUP_DIR)  # in case the interrupt hit a restore
        print(f"\ninterrupted: sources restored; partial results in {out}; rebuild "
              f"{TARGET} before trusting its binary", file=sys.stderr)
        return 130
    print_summary(results)
    print(f"\nresults: {out}")
    return compare(args.compare, results) if args.compare else 0


if __name__ == "__main__":
    sys.exit(main())
