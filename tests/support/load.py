#!/usr/bin/env python3
"""Loads the machine as a parallel build does, to try the suite on a busy machine.

Three processes per core (by default): half copy 64 MiB buffers through memory
in a loop, half spin on the processor. Every process stops by itself at the
deadline, whatever happens to this script.

    python3 tests/support/load.py -- make test          # the load while the command runs
    python3 tests/support/load.py --seconds 120         # the load alone, for two minutes
"""

import argparse
import ctypes
import os
import signal
import subprocess
import sys
import time

BUFFER = 64 << 20


def copy_until(deadline):
    source = bytearray(os.urandom(1 << 20)) * (BUFFER >> 20)
    target = bytearray(BUFFER)
    while time.monotonic() < deadline:
        target[:] = source
        source[:] = target


def spin_until(deadline):
    while time.monotonic() < deadline:
        for _ in range(100000):
            pass


def end_with_parent():
    """Linux ends the child when this script goes, however it goes."""
    try:
        ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except (OSError, AttributeError):
        pass


def start_load(count, deadline):
    children = []
    for index in range(count):
        pid = os.fork()
        if pid == 0:
            try:
                end_with_parent()
                (copy_until if index % 2 == 0 else spin_until)(deadline)
            finally:
                os._exit(0)
        children.append(pid)
    return children


def stop_load(children):
    for pid in children:
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    for pid in children:
        try:
            os.waitpid(pid, 0)
        except ChildProcessError:
            pass


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--per-core", type=int, default=3, help="processes per core (default 3)")
    parser.add_argument("--seconds", type=float, default=None,
                        help="how long the load lasts at most (default 120, or 1800 beside a command)")
    parser.add_argument("command", nargs=argparse.REMAINDER, help="-- COMMAND... to run beside the load")
    arguments = parser.parse_args()
    command = arguments.command[1:] if arguments.command[:1] == ["--"] else arguments.command
    seconds = arguments.seconds if arguments.seconds is not None else (1800 if command else 120)
    count = arguments.per_core * (os.cpu_count() or 1)

    deadline = time.monotonic() + seconds
    children = start_load(count, deadline)
    print(f"load: {count} processes for at most {seconds:.0f} s", file=sys.stderr, flush=True)
    code = 0
    try:
        if command:
            code = subprocess.call(command)
        else:
            time.sleep(max(0.0, deadline - time.monotonic()))
    except KeyboardInterrupt:
        code = 130
    finally:
        stop_load(children)
    return code


if __name__ == "__main__":
    sys.exit(main())
