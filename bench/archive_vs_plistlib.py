#!/usr/bin/env python3
"""Archive load and save beside Python's plistlib, on the same file.

Runs the benchmark binary's archive jobs (which leave the saved entry list in
a file), then times plistlib.load and plistlib.dumps(fmt=FMT_BINARY) on that
file. The program's start loads the list once in a fresh process: that first
load is timed too, each run in a new process of the binary, beside
plistlib's first load in a new Python process. Prints the rows as JSON for
table.py.
"""
import argparse
import json
import os
import plistlib
import statistics
import subprocess
import sys
import tempfile
import time

UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def run_binary(binary, archive, jobs="^archive_(load|save)/"):
    env = dict(os.environ, VANTEL_BENCH_ARCHIVE=archive)
    out = subprocess.run([binary, f"--benchmark_filter={jobs}", "--benchmark_format=json"],
                         env=env, check=True, stdout=subprocess.PIPE).stdout
    jobs = {}
    for bench in json.loads(out)["benchmarks"]:
        name, size = bench["run_name"].split("/")[:2]
        jobs[name] = {"size": int(size), "time_s": bench["real_time"] * UNIT_SECONDS[bench["time_unit"]],
                      "error": bench.get("error_message") if bench.get("error_occurred") else None}
    return jobs


def median_seconds(work, repeat):
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


FIRST_LOAD = """
import plistlib, sys, time
start = time.perf_counter()
with open(sys.argv[1], "rb") as f:
    plistlib.load(f)
print(time.perf_counter() - start)
"""


def first_loads(binary, archive, repeat):
    """Median first load of the binary and of plistlib, each in fresh processes."""
    ours, theirs, error = [], [], None
    for _ in range(repeat):
        job = run_binary(binary, archive, "^archive_first_load/")["archive_first_load"]
        ours.append(job["time_s"])
        error = error or job["error"]
        out = subprocess.run([sys.executable, "-c", FIRST_LOAD, archive], check=True, stdout=subprocess.PIPE, text=True)
        theirs.append(float(out.stdout))
    return {"size": job["size"], "time_s": statistics.median(ours), "error": error}, statistics.median(theirs)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("binary")
    parser.add_argument("--repeat", type=int, default=5)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="vantel-archive-") as folder:
        archive = os.path.join(folder, "entries.archive")
        jobs = run_binary(args.binary, archive)

        def load():
            with open(archive, "rb") as f:
                return plistlib.load(f)

        root = load()
        if root.get("$archiver") != "NSKeyedArchiver" or not isinstance(root.get("$objects"), list):
            sys.exit("the saved file is not a keyed archive")
        plist_load = median_seconds(load, args.repeat)
        plist_save = median_seconds(lambda: plistlib.dumps(root, fmt=plistlib.FMT_BINARY), args.repeat)
        jobs["archive_first_load"], plist_first = first_loads(args.binary, archive, args.repeat)

    rows = []
    for name, baseline in (("archive_first_load", plist_first), ("archive_load", plist_load),
                           ("archive_save", plist_save)):
        job = jobs[name]
        rows.append({"job": name, "size": job["size"], "time_s": job["time_s"], "baseline_s": baseline,
                     "ratio": job["time_s"] / baseline, "target_ratio": 1.0, "error": job["error"]})
    json.dump({"rows": rows}, sys.stdout, indent=1)
    print()


if __name__ == "__main__":
    main()
