#!/usr/bin/env python3
"""Turns the benchmark binary's JSON and the two scripts' output into one table.

Prints the table (Markdown) with the machine it ran on; with --readme, also
puts it between the benchmark markers of that file.
"""
import argparse
import datetime
import json
import os
import re
import sys

UNIT_SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}

# Benchmark name -> (what the table calls the job, what its baseline is).
JOBS = {
    "search_t": ('search per keystroke, "t"', "loop over the lower-cased names in one buffer"),
    "search_ter": ('search per keystroke, "ter"', "loop over the lower-cased names in one buffer"),
    "first_keystroke": ('first keystroke "t" after one entry changed', "a steady keystroke"),
    "rebuild": ("rebuild (no debounce), nothing changed", "same work on plain data"),
    "rebuild_changed": ("rebuild after one entry renamed, one added, one removed", "same work on plain data"),
    "entrylist_reset": ("entry list: refilter, reset, repaint", "the refilter alone"),
    "datawindow_open": ("data window: open to first screen", "the configuration filter alone"),
    "datawindow_keystroke": ("data window: keystroke, re-list, repaint", "the configuration filter alone"),
    "datawindow_entry_changed": ("data window: one entry changed, repaint", "repainting every visible row"),
    "discovery": ("discovery end to end (5 folders)", "the scan alone"),
    "search_scopes": ("start over missing search scopes, beside 100 applications, to the first rebuild",
                      "one stat() per scope"),
    "scan_vs_gio": ("desktop-entry scan", "GIO g_app_info_get_all"),
    "scan_vs_read": ("desktop-entry scan", "reading the files"),
    "archive_first_load": ("archive load, the first in a fresh process (as at start-up)",
                           "plistlib.load, the first in a fresh Python process"),
    "archive_load": ("archive load, repeated in one process", "plistlib.load, repeated"),
    "archive_save": ("archive save", "plistlib.dumps, binary"),
    "create": ("creating entries", "plain structs"),
    "memory": ("memory per entry", "plain structs"),
    "inotify_watches": ("inotify watches after discovery", "folders"),
    "icons_cold": ("icons of file entries, first ask", "theme icon per file (MIME type + icon theme)"),
    "icons_warm": ("icons of file entries, from the cache", "theme icon per file (MIME type + icon theme)"),
}
ORDER = list(JOBS)
BEGIN = "<!-- bench-table:begin -->"
END = "<!-- bench-table:end -->"


def seconds(value):
    if value is None:
        return "—"
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("µs", 1e-6)):
        if value >= scale:
            return f"{value / scale:.3g} {unit}"
    return f"{value / 1e-9:.3g} ns"


def number(value):
    return f"{value:,.0f}" if value is not None else "—"


def bench_rows(path):
    with open(path) as f:
        data = json.load(f)
    rows = []
    for bench in data["benchmarks"]:
        name, size = bench["run_name"].split("/")[:2]
        if name.startswith("archive_"):
            continue  # comes with its baseline from archive_vs_plistlib.py
        row = {"job": name, "size": int(size),
               "time_s": bench["real_time"] * UNIT_SECONDS[bench["time_unit"]],
               "error": bench.get("error_message") if bench.get("error_occurred") else None}
        for key in ("baseline_s", "ratio", "target_ratio", "target_s", "watches", "folders",
                    "bytes_per_entry", "baseline_bytes_per_entry", "slowest_call_s", "main_thread_cpu_s", "thumbnails_asked",
                    "thumbnails_pending_after", "rows_repainted", "rows_visible", "target_rows", "first_s"):
            if key in bench:
                row[key] = bench[key]
        rows.append(row)
    return rows


def verdict(row):
    if row.get("error"):
        return "error: " + row["error"]
    if "target_rows" in row and row.get("rows_repainted", 0) > row["target_rows"]:
        return "missed"
    if "target_s" in row:
        return "met" if row["time_s"] <= row["target_s"] else "missed"
    if "target_ratio" in row and row.get("ratio") is not None:
        return "met" if row["ratio"] <= row["target_ratio"] else "missed"
    return "—"


def cells(row):
    """job, size, time, baseline, ratio, target, met/missed"""
    name = row["job"]
    if "value" in row:
        # Measured by a script that words its own cells.
        met = row.get("met")
        return [name, number(row.get("size")), row["value"], row.get("baseline", "—"), row.get("ratio", "—"),
                row.get("target", "—"), "—" if met is None else "met" if met else "missed"]
    if name not in JOBS:
        return [name, number(row.get("size")), seconds(row.get("time_s")), "—", "—", "—", "—"]

    label, baseline_name = JOBS[name]
    ratio = row.get("ratio")
    ratio_text = f"{ratio:.2f}x" if ratio is not None else "—"
    target = f"≤ {row['target_ratio']:g}x" if "target_ratio" in row else "—"
    if "target_s" in row:
        target = f"< {seconds(row['target_s'])}"
    time_text = seconds(row.get("time_s"))
    baseline = f"{seconds(row.get('baseline_s'))} ({baseline_name})" if "baseline_s" in row else baseline_name
    if name == "memory":
        time_text = f"{row.get('bytes_per_entry', 0):.0f} B/entry"
        baseline = f"{row.get('baseline_bytes_per_entry', 0):.0f} B/entry ({baseline_name})"
    if name.startswith("icons_") and "slowest_call_s" in row:
        if "main_thread_cpu_s" in row:
            time_text += f" ({seconds(row['main_thread_cpu_s'])} main-thread CPU)"
        time_text += f", slowest call {seconds(row['slowest_call_s'])}"
        if "thumbnails_asked" in row:
            # The loop never waits: the thumbnails it asked for are still being made when it ends.
            time_text += (f", {number(row.get('thumbnails_pending_after'))} of {number(row['thumbnails_asked'])}"
                          " thumbnails still being made")
    if name == "datawindow_open" and "first_s" in row:
        time_text += f" (the process's first open {seconds(row['first_s'])})"
    if name == "datawindow_entry_changed" and "rows_repainted" in row:
        time_text += f", {number(row['rows_repainted'])} of {number(row.get('rows_visible'))} visible rows repainted"
        target += f", {number(row.get('target_rows'))} row"
    if name == "inotify_watches":
        time_text = f"{number(row.get('watches'))} watches"
        baseline = f"{number(row.get('folders'))} folders"
        ratio_text = f"{ratio:,.1f} per folder" if ratio is not None else "—"
        target = "1 per folder"
    return [label, number(row["size"]), time_text, baseline, ratio_text, target, verdict(row)]


def machine(context, build_type):
    model = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    cpus = len(os.sched_getaffinity(0))
    # The date of the run, not of this rendering.
    try:
        when = datetime.datetime.fromisoformat(context["date"]).astimezone(datetime.timezone.utc)
    except (KeyError, ValueError):
        when = datetime.datetime.now(datetime.timezone.utc)
    load = context.get("load_avg") or []
    load_text = f", load average {load[0]:.1f} at the start" if load else ""
    return f"Measured on {cpus} CPUs (nproc), {model}, {when:%Y-%m-%d %H:%M} UTC{load_text}; {build_type} build."


def table(rows):
    header = ["job", "size", "time", "baseline", "ratio", "target", "met/missed"]
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for row in rows:
        lines.append("| " + " | ".join(cells(row)) + " |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--bench", required=True, help="the binary's JSON (--benchmark_out)")
    parser.add_argument("--archive", help="archive_vs_plistlib.py's output")
    parser.add_argument("--startup", help="startup.py's output")
    parser.add_argument("--readme", help="a file whose benchmark markers receive the table")
    parser.add_argument("--build-type", default="Release", help="the CMake build type the binaries came from")
    args = parser.parse_args()

    with open(args.bench) as f:
        context = json.load(f).get("context", {})
    rows = bench_rows(args.bench)
    if args.archive:
        with open(args.archive) as f:
            rows += json.load(f)["rows"]
    rows.sort(key=lambda r: (ORDER.index(r["job"]) if r["job"] in ORDER else len(ORDER), -(r.get("size") or 0)))
    if args.startup:
        with open(args.startup) as f:
            rows += json.load(f)["rows"]

    text = machine(context, args.build_type) + "\n\n" + table(rows)
    print(text)
    if args.readme:
        with open(args.readme) as f:
            readme = f.read()
        if BEGIN not in readme or END not in readme:
            sys.exit(f"{args.readme} has no {BEGIN} ... {END} markers")
        readme = re.sub(re.escape(BEGIN) + ".*?" + re.escape(END), lambda _: f"{BEGIN}\n{text}\n{END}", readme,
                        flags=re.S)
        with open(args.readme, "w") as f:
            f.write(readme)


if __name__ == "__main__":
    main()
