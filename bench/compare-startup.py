#!/usr/bin/python3
"""Start-up of several programs, alternating, against the first one given.

  bench/compare-startup.py [--runs N] [--callgrind [--profiles DIR]] PROGRAM...

Each round starts every program once, in turn, each with an empty home (a
first start) and a runtime folder of its own; the font cache is kept from
start to start. The first paint is reported by the orrafirstpaint plugin of
the build the first program's folder belongs to, so the programs run
unchanged. Prints, for each program, the median and the spread (lowest to
highest) of the time from spawn to first paint, or with --callgrind of the
instructions counted to it (a fixed hash seed and no address randomisation
make those repeat), and the ratio of the medians to the first program's.
With --profiles, the last profile of each program is kept in DIR (as 1.out,
2.out, ... in the order given) for callgrind_annotate.

Each start takes turns with the tests that start real copies of the program
(they share the user's one single-instance lock) through the same lock file.

The platform is the caller's QT_QPA_PLATFORM (offscreen unless set); run it
under scripts/lib/xvfb-run.sh for xcb.
"""

import argparse
import fcntl
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time


def start(program, plugins, work, callgrind, profile="/dev/null"):
    """Nanoseconds to the first paint, or instructions with callgrind."""
    home = tempfile.mkdtemp(dir=work)
    runtime = tempfile.mkdtemp(dir=work)
    os.makedirs(os.path.join(home, "config"))
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_RUNTIME_DIR=runtime, XDG_CACHE_HOME=os.path.join(work, "cache"),
               QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"),
               QT_LOGGING_RULES="qt.qpa.*=false", QT_HASH_SEED="0",
               QT_PLUGIN_PATH=plugins, QT_QPA_GENERIC_PLUGINS="orrafirstpaint")
    command = [program]
    if callgrind:
        command = ["setarch", "-R", "valgrind", "--tool=callgrind",
                   f"--callgrind-out-file={profile}"] + command
    with open(f"/tmp/orra-program-tests-{os.getuid()}.lock", "a") as turn:
        fcntl.flock(turn, fcntl.LOCK_EX)
        spawned = time.monotonic_ns()
        done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=300)
    if done.returncode != 0:
        sys.exit(f"{program} failed ({done.returncode}):\n{done.stderr}")
    if "painted QMessageBox" in done.stdout:
        sys.exit(f"{program} showed a message, not its window (another copy running?):\n"
                 + done.stdout)
    if callgrind:
        # The program's own count: a child it forks reports its own (from the
        # count at the fork) first.
        pid = re.search(r"^==(\d+)==", done.stderr, re.M)
        found = pid and re.search(rf"^=={pid.group(1)}== Collected : (\d+)", done.stderr, re.M)
    else:
        found = re.search(r"^painted-at-ns (\d+)$", done.stdout, re.M)
        if found:
            return int(found.group(1)) - spawned
    if not found:
        sys.exit(f"{program} reported no first paint:\n{done.stdout}{done.stderr}")
    return int(found.group(1))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[1])
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--callgrind", action="store_true")
    parser.add_argument("--profiles")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    programs = [os.path.abspath(p) for p in args.programs]
    if args.profiles:
        os.makedirs(args.profiles, exist_ok=True)
    build = os.path.dirname(os.path.dirname(programs[0]))  # BUILD/src/program
    plugins = os.path.join(build, "plugins")
    with tempfile.TemporaryDirectory() as work:
        for program in programs:  # fills the disk and font caches
            start(program, plugins, work, False)
        figures = {p: [] for p in programs}
        for _ in range(args.runs):
            for i, program in enumerate(programs, 1):
                profile = os.path.join(args.profiles, f"{i}.out") if args.profiles else "/dev/null"
                figures[program].append(start(program, plugins, work, args.callgrind, profile))
    unit, scale = ("M instr.", 1e6) if args.callgrind else ("ms", 1e6)
    base = statistics.median(figures[programs[0]])
    print(f"{os.environ.get('QT_QPA_PLATFORM', 'offscreen')}, {args.runs} rounds, medians:")
    for program in programs:
        values = figures[program]
        m = statistics.median(values)
        print(f"  {m / scale:8.2f} {unit} ({min(values) / scale:.2f} to {max(values) / scale:.2f})"
              f"  x{m / base:.3f}  {program}")


if __name__ == "__main__":
    main()
