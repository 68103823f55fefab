#!/usr/bin/env python3
"""Mutation testing: how many deliberate faults does the test suite catch?

Each mutant of the catalogue (mutants.toml) is applied to its file in a source
tree, the tests that can see that code are built incrementally and run, and
the file is put back exactly as it was. A mutant is

  killed        a selected test failed or timed out;
  survived      every selected test passed;
  stillborn     it did not compile (not counted);
  n/a           its snippet, and every variant's, is not found or found more
                than once (not counted).

  run_mutants.py [--tree DIR] [--build DIR] [--only ID,...] [--area AREA,...]
                 [--dry-run] [--list] [--no-baseline] [--no-confirm] [--results FILE]

The kill rate is killed / (killed + survived).
"""

import argparse
import fnmatch
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import tomllib
from pathlib import Path

TOOL = Path(__file__).resolve().parent
JOURNAL = "mutate-journal.json"  # in the build folder: the file being mutated and its original


class NotApplicable(Exception):
    pass


# ---------------------------------------------------------------------------
# The catalogue


def load_catalogue(path):
    with open(path, "rb") as f:
        data = tomllib.load(f)
    suites, areas, mutants = data["suites"], data["areas"], data["mutant"]
    on_request = set(data.get("on_request", []))
    seen = set()
    for m in mutants:
        missing = {"id", "area", "file", "fault", "find", "replace"} - m.keys()
        if missing:
            sys.exit(f"mutant {m.get('id', '?')}: missing {', '.join(sorted(missing))}")
        if m["id"] in seen:
            sys.exit(f"mutant {m['id']} is listed twice")
        seen.add(m["id"])
        m.setdefault("suite", areas.get(m["area"]))
        if m["suite"] not in suites:
            sys.exit(f"mutant {m['id']}: no suite {m['suite']!r}")
        # The mutant's own edit first, then its variants: the same fault in
        # code that has moved or changed, each given by what differs.
        m["targets"] = []
        for v in [m] + m.get("variant", []):
            finds, replaces = v.get("find", m["find"]), v.get("replace", m["replace"])
            finds = finds if isinstance(finds, list) else [finds]
            replaces = replaces if isinstance(replaces, list) else [replaces]
            if len(finds) != len(replaces) or finds == replaces:
                sys.exit(f"mutant {m['id']}: find and replace must pair up and differ")
            m["targets"].append((v.get("file", m["file"]), list(zip(finds, replaces))))
        m["on_request"] = m["area"] in on_request
    return suites, mutants


def mutated_text(text, edits):
    for find, replace in edits:
        count = text.count(find)
        if count != 1:
            raise NotApplicable(f"found {count} times: {find.splitlines()[0][:60]!r}")
        text = text.replace(find, replace, 1)
    return text


def apply_target(tree, mutant):
    """The first of the mutant's targets that applies: (index, file, original bytes, mutated text)."""
    reasons = []
    for index, (file, edits) in enumerate(mutant["targets"]):
        path = tree / file
        if not path.is_file():
            reasons.append(f"no file {file}")
            continue
        original = path.read_bytes()
        try:
            return index, file, original, mutated_text(original.decode("utf-8"), edits)
        except NotApplicable as e:
            reasons.append(str(e))
    raise NotApplicable("; ".join(reasons))


def select(mutants, only, areas):
    # Areas that need more than the Linux build run only when asked for.
    chosen = mutants if only or areas else [m for m in mutants if not m["on_request"]]
    if only:
        patterns = only.split(",")
        chosen = [m for m in chosen if any(fnmatch.fnmatchcase(m["id"], p) for p in patterns)]
    if areas:
        chosen = [m for m in chosen if m["area"] in areas.split(",")]
    # Mutants of one file run together: a header's dependants are then rebuilt
    # once per mutant rather than twice.
    order = {}
    for m in chosen:
        order.setdefault(m["file"], len(order))
    return sorted(chosen, key=lambda m: order[m["file"]])


# ---------------------------------------------------------------------------
# Mutating a file, and always putting it back


class Mutation:
    """Writes the mutant into the tree; on leaving, the original bytes are back."""

    def __init__(self, tree, build, mutant):
        self.tree, self.journal, self.mutant = tree, build / JOURNAL, mutant

    def __enter__(self):
        self.variant, self.file, self.original, text = apply_target(self.tree, self.mutant)
        self.path = self.tree / self.file
        # The journal comes first: if this process is killed, the next run
        # restores the file before doing anything else.
        self.journal.write_text(json.dumps({"path": str(self.path), "original": self.original.decode("utf-8")}))
        self.path.write_bytes(text.encode("utf-8"))
        return self

    def __exit__(self, *exc):
        self.path.write_bytes(self.original)
        self.journal.unlink(missing_ok=True)
        return False


def recover(build):
    journal = build / JOURNAL
    if journal.exists():
        entry = json.loads(journal.read_text())
        Path(entry["path"]).write_bytes(entry["original"].encode("utf-8"))
        journal.unlink()
        print(f"restored {entry['path']} left mutated by an interrupted run")


# ---------------------------------------------------------------------------
# Building and testing


def run(cmd, log, timeout, cwd=None):
    """Runs cmd in a process group of its own, appending its output to log.
    Returns the exit status, or None when it ran out of time."""
    with open(log, "a") as out:
        out.write(f"\n$ {' '.join(map(str, cmd))}\n")
        out.flush()
        proc = subprocess.Popen(cmd, stdout=out, stderr=subprocess.STDOUT, cwd=cwd, start_new_session=True)
        try:
            return proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        finally:
            if proc.poll() is None:
                stop_group(proc)


def stop_group(proc):
    for sig, grace in ((signal.SIGTERM, 5), (signal.SIGKILL, 5)):
        try:
            os.killpg(proc.pid, sig)
        except ProcessLookupError:
            return
        try:
            proc.wait(timeout=grace)
            return
        except subprocess.TimeoutExpired:
            pass


class Builds:
    """The build folders (the main one, and one per suite that asks for its own
    configuration), each configured once, and the tests each one lists."""

    def __init__(self, tree, build, jobs, logs):
        self.tree, self.build, self.jobs, self.logs = tree, build, jobs, logs
        self.configured = {}
        self.tests = {}

    def folder(self, suite):
        return self.build if "build_folder" not in suite else self.build.with_name(
            f"{self.build.name}-{suite['build_folder']}")

    def expand(self, args, suite):
        places = {"{tree}": self.tree, "{tool}": TOOL, "{build}": self.folder(suite)}
        expanded = []
        for a in args:
            for key, value in places.items():
                a = a.replace(key, str(value))
            expanded.append(a)
        return expanded

    def configure(self, suite):
        folder = self.folder(suite)
        if folder in self.configured:
            return folder
        folder.mkdir(parents=True, exist_ok=True)
        cmd = ["cmake", "-S", self.tree, "-B", folder, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
               "-DGRUMBOSH_TESTS=ON", "-DGRUMBOSH_BENCHMARKS=OFF", "-DGRUMBOSH_SANITIZE=",
               "-DGRUMBOSH_WERROR=OFF"] + self.expand(suite.get("configure", []), suite)
        if run(cmd, self.logs / "configure.log", 600) != 0:
            sys.exit(f"configuring {folder} failed: see {self.logs / 'configure.log'}")
        self.configured[folder] = True
        return folder

    def make(self, suite, log, timeout=1800):
        folder = self.configure(suite)
        return run(["ninja", "-C", folder, f"-j{self.jobs}"] + self.targets(suite), log, timeout) == 0

    def targets(self, suite):
        """The suite's targets that this tree has: a suite may name the old and
        the new name of a test tool."""
        folder = self.folder(suite)
        out = subprocess.run(["ninja", "-C", folder, "-t", "targets", "all"], capture_output=True, text=True,
                             check=True).stdout
        known = {line.split(":")[0] for line in out.splitlines()}
        present = [t for t in suite["build"] if t in known]
        if not present:
            sys.exit(f"none of the targets {', '.join(suite['build'])} is in {folder}")
        return present

    def listed(self, suite):
        folder = self.folder(suite)
        if folder not in self.tests:
            cmd = self.expand(suite.get("wrapper", []), suite) + ["ctest", "--test-dir", folder, "--show-only=json-v1"]
            out = subprocess.run(cmd, capture_output=True, text=True, check=True).stdout
            self.tests[folder] = json.loads(out)["tests"]
        return self.tests[folder]

    def regex(self, suite, stage):
        if "regex" in stage:
            return stage["regex"]
        # A test is chosen when every word of one entry is the basename of an
        # argument of its command: "game_tests", or "e2e.sh layout".
        names = []
        for t in self.listed(suite):
            words = {os.path.basename(str(arg)) for arg in t.get("command", [])}
            if any(set(entry.split()) <= words for entry in stage["uses"]):
                names.append(t["name"])
        if not names:
            sys.exit(f"no test uses {' or '.join(stage['uses'])} in {self.folder(suite)}")
        return "^(" + "|".join(re.escape(n) for n in names) + ")$"

    def test(self, suite, stage, log):
        """Runs one stage; returns (passed, failures), failures as (test, how)."""
        cmd = self.expand(suite.get("wrapper", []), suite) + [
            "ctest", "--test-dir", self.folder(suite), "-R", self.regex(suite, stage), "--stop-on-failure",
            "--output-on-failure", "-j", str(stage.get("jobs", 1)), "--timeout", str(stage.get("timeout", 120))]
        before = log.stat().st_size if log.exists() else 0
        status = run(cmd, log, stage.get("limit", 900))
        with open(log) as f:
            f.seek(before)
            failures = re.findall(r"^\s*\d+ - (\S+) \(([^)]+)\)$", f.read(), re.M)
        failures = [(name, how) for name, how in failures if how != "Skipped"]
        if status is None:
            failures.append(("(stage)", "Timeout"))
        elif status != 0 and not failures:
            failures.append(("(ctest)", f"exit {status}"))
        return status == 0, failures


def run_suite(builds, suite, log, confirm):
    """Runs the suite's stages in order; returns (killed, detail)."""
    for stage in suite["stages"]:
        passed, failures = builds.test(suite, stage, log)
        if passed:
            continue
        # A failure that does not come back on a second run was the test's
        # own flakiness, not the mutant; a timeout is taken as it is.
        if confirm and not any(how == "Timeout" for _, how in failures):
            again, failures_again = builds.test(suite, stage, log)
            if again:
                with open(log, "a") as f:
                    f.write(f"\n[flaky, passed on the second run: {failures}]\n")
                continue
            failures = failures_again
        return True, ", ".join(f"{name} ({how})" for name, how in failures)
    return False, ""


# ---------------------------------------------------------------------------
# Reporting


def summary(results):
    counts = {}
    for r in results:
        area = counts.setdefault(r["area"], {"killed": 0, "survived": 0, "stillborn": 0, "n/a": 0})
        area[r["status"]] += 1
    total = {k: sum(a[k] for a in counts.values()) for k in ("killed", "survived", "stillborn", "n/a")}
    for c in list(counts.values()) + [total]:
        counted = c["killed"] + c["survived"]
        c["kill_rate"] = round(c["killed"] / counted, 4) if counted else None
    return counts, total


def print_report(results, seconds):
    print(f"\n{'mutant':48} {'area':6} {'status':9} {'s':>5}  detail")
    for r in results:
        print(f"{r['id']:48} {r['area']:6} {r['status']:9} {r['seconds']:5.0f}  {r['detail'][:90]}")
    counts, total = summary(results)
    print(f"\n{'area':8} {'killed':>6} {'survived':>8} {'stillborn':>9} {'n/a':>4}  kill rate")
    for name, c in list(counts.items()) + [("all", total)]:
        rate = f"{100 * c['kill_rate']:.1f} %" if c["kill_rate"] is not None else "-"
        print(f"{name:8} {c['killed']:6} {c['survived']:8} {c['stillborn']:9} {c['n/a']:4}  {rate}")
    survivors = [r for r in results if r["status"] == "survived"]
    if survivors:
        print("\nsurvivors:")
        for r in survivors:
            print(f"  {r['id']}: {r['fault']}")
    print(f"\n{len(results)} mutants in {seconds / 60:.1f} minutes")


def write_results(path, args, results, started):
    counts, total = summary(results)
    data = {"tree": str(args.tree), "build": str(args.build), "catalogue": str(args.mutants),
            "started": time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(started)),
            "seconds": round(time.time() - started), "by_area": counts, "total": total, "mutants": results}
    tmp = path.with_suffix(".tmp")
    tmp.write_text(json.dumps(data, indent=1) + "\n")
    tmp.replace(path)


def prepare(args, builds, suites, chosen, logs):
    """Builds every suite the chosen mutants need and runs it unmutated."""
    started = time.time()
    used = {}
    for m in chosen:
        used.setdefault(m["suite"], suites[m["suite"]])
    for name, suite in used.items():
        print(f"building suite {name}", flush=True)
        if not builds.make(suite, logs / "baseline.log"):
            sys.exit(f"the unmutated tree does not build: see {logs / 'baseline.log'}")
    # Tests are listed once everything is built: a test program's tests are
    # known only after its build.
    builds.tests.clear()
    for name, suite in used.items():
        if not args.no_baseline:
            killed, detail = run_suite(builds, suite, logs / "baseline.log", not args.no_confirm)
            if killed:
                sys.exit(f"suite {name} fails without any mutant: {detail} (see {logs / 'baseline.log'})")
    print(f"baseline ready in {time.time() - started:.0f} s", flush=True)


# ---------------------------------------------------------------------------


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--tree", type=Path, default=TOOL.parents[1], help="source tree to mutate (default: this one)")
    p.add_argument("--build", type=Path, help="build folder (default: TREE/build-mut)")
    p.add_argument("--mutants", type=Path, default=TOOL / "mutants.toml", help="the catalogue")
    p.add_argument("--only", help="mutant ids, comma-separated; shell patterns allowed (exchange.*)")
    p.add_argument("--area", help="areas, comma-separated (game, sound, input, shell, sdl, wave; win32 only "
                   "when named)")
    p.add_argument("--dry-run", action="store_true", help="only check that every snippet applies")
    p.add_argument("--list", action="store_true", help="list the selected mutants")
    p.add_argument("--no-baseline", action="store_true", help="skip running the selected tests unmutated first")
    p.add_argument("--no-confirm", action="store_true", help="take a first failure as a kill without a rerun")
    p.add_argument("--jobs", type=int, default=2, help="ninja -j (default 2)")
    p.add_argument("--results", type=Path, help="results file (default: BUILD/mutation-results.json)")
    args = p.parse_args()
    args.tree = args.tree.resolve()
    args.build = (args.build or args.tree / "build-mut").resolve()
    args.results = (args.results or args.build / "mutation-results.json").resolve()

    suites, mutants = load_catalogue(args.mutants)
    chosen = select(mutants, args.only, args.area)
    if not chosen:
        sys.exit("no mutant selected")

    if args.list or args.dry_run:
        bad = 0
        for m in chosen:
            state = "ok"
            if args.dry_run:
                try:
                    variant, file = apply_target(args.tree, m)[:2]
                    state = f"ok (variant {variant}: {file})" if variant else "ok"
                except NotApplicable as e:
                    state, bad = f"n/a: {e}", bad + 1
            print(f"{m['id']:48} {m['area']:6} {m['file']:40} {state}")
        if args.dry_run:
            print(f"\n{len(chosen) - bad} of {len(chosen)} mutants apply to {args.tree}")
        return 1 if bad else 0

    # SIGTERM and SIGHUP unwind like Ctrl-C, so that the mutated file is restored.
    def interrupted(signum, frame):
        raise KeyboardInterrupt
    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGHUP, interrupted)

    args.build.mkdir(parents=True, exist_ok=True)
    recover(args.build)
    logs = args.build / "mutate-logs"
    shutil.rmtree(logs, ignore_errors=True)
    logs.mkdir()
    builds = Builds(args.tree, args.build, args.jobs, logs)
    started = time.time()

    results = []
    try:
        prepare(args, builds, suites, chosen, logs)
        for i, m in enumerate(chosen, 1):
            t0 = time.time()
            log = logs / f"{m['id']}.log"
            status, detail, file, variant = "survived", "", m["file"], None
            try:
                with Mutation(args.tree, args.build, m) as mutation:
                    file, variant = mutation.file, mutation.variant
                    if not builds.make(suites[m["suite"]], log):
                        status, detail = "stillborn", f"build failed, see {log}"
                    else:
                        killed, detail = run_suite(builds, suites[m["suite"]], log, not args.no_confirm)
                        status = "killed" if killed else "survived"
            except NotApplicable as e:
                status, detail = "n/a", str(e)
            results.append({"id": m["id"], "area": m["area"], "file": file, "variant": variant, "fault": m["fault"],
                            "status": status, "detail": detail, "seconds": round(time.time() - t0, 1)})
            print(f"[{i}/{len(chosen)}] {m['id']}: {status} {detail[:100]}", flush=True)
            write_results(args.results, args, results, started)
    except KeyboardInterrupt:
        print("\ninterrupted; the tree is restored", file=sys.stderr)
        print_report(results, time.time() - started)
        return 130
    print_report(results, time.time() - started)
    print(f"results: {args.results}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
