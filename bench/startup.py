#!/usr/bin/env python3
"""Start-up and idle memory of the real program.

Starts the program (offscreen, in a throw-away XDG home) several times and
measures the time from exec to its "is running" line on stderr; in the last
run it waits and reads the resident memory. Prints the rows as JSON for
table.py.
"""
import argparse
import json
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time


def throwaway_env(home):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=home)
    for var, sub in (("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                     ("XDG_STATE_HOME", "state"), ("XDG_RUNTIME_DIR", "runtime"), ("XDG_DATA_DIRS", "system-data"),
                     ("XDG_CONFIG_DIRS", "system-config")):
        path = os.path.join(home, sub)
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[var] = path
    return env


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def one_run(binary, idle):
    """Seconds from exec to ready, and the RSS in KiB after `idle` seconds (or None)."""
    with tempfile.TemporaryDirectory(prefix="vantel-startup-") as home:
        start = time.monotonic()
        process = subprocess.Popen([binary], env=throwaway_env(home), stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        ready = None
        try:
            for line in process.stderr:
                if b"is running" in line:
                    ready = time.monotonic() - start
                    break
            if ready is None:
                raise RuntimeError(f"the program ended before it was ready (status {process.wait()})")
            # Keep reading stderr, so the program never blocks on a full pipe.
            threading.Thread(target=lambda: process.stderr.read(), daemon=True).start()
            rss = None
            if idle:
                time.sleep(idle)
                if process.poll() is not None:
                    raise RuntimeError(f"the program ended while idle (status {process.returncode})")
                rss = rss_kib(process.pid)
            return ready, rss
        finally:
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("binary")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=5.0)
    args = parser.parse_args()

    times = []
    rss = None
    for run in range(args.runs):
        ready, measured = one_run(args.binary, args.idle if run == args.runs - 1 else 0)
        times.append(ready)
        rss = measured if measured is not None else rss
    rows = [
        {"job": "start-up, exec to \"is running\"", "size": None, "time_s": statistics.median(times)},
        {"job": f"RSS after {args.idle:g} s idle", "size": None, "kib": rss},
        {"job": "exec to tray icon shown", "size": None, "needs_shell": True},
        {"job": "RSS with 5,000 entries", "size": 5000, "needs_shell": True},
        {"job": "hotkey to popup shown once warm", "size": None, "needs_shell": True},
    ]
    json.dump({"rows": rows}, sys.stdout, indent=1)
    print()


if __name__ == "__main__":
    main()
