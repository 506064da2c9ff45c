#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Start-up and end of the whole program: from the process start to its main window on the
screen, and from Escape in that window to the process's exit.

Runs the Recitor executable repeatedly on its own X server (Xvfb), once on the bundled passages
and once on the maximum synthetic collection, and times each start from just before the process
is spawned until the main window is mapped with its title set, polling with xdotool. Each run
then closes the window with Escape, so the program also saves as it does at every normal end;
the end is timed from the key sent to the process's exit. An empty Qt dialog, started and ended
the same way in the same run, is the floor the program's start is compared with.

The figures include xdotool's own delay (reported as "poll"): one search takes a few
milliseconds, so a start is seen up to that much late, and sending the key costs about as much.
Each line also gives the median of the minor page faults of a whole run (start, window and end):
on a virtual machine every fault is a trip to the host, so memory touched for the first time
costs start-up time well beyond what the work on it does.

Usage: startup.py --program build/app/Recitor --writer build/bench/recitor_synthetic_writer
                  --empty build/bench/recitor_empty_dialog --source . [--runs 10]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TITLE = "^Recitor  Score: "
EMPTY_TITLE = "^Empty dialog$"
TIMEOUT = 30.0


def start_xvfb():
    read_end, write_end = os.pipe()
    process = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                               pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            sys.exit("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return process, ":" + number.decode().strip()


def environment(display, root):
    env = dict(os.environ)
    env.pop("WAYLAND_DISPLAY", None)
    env.update(DISPLAY=display, QT_QPA_PLATFORM="xcb", XDG_CONFIG_HOME=os.path.join(root, "config"),
               XDG_RUNTIME_DIR=os.path.join(root, "runtime"), HOME=root)
    return env


def find_window(env, title=TITLE):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], env=env,
                            capture_output=True, text=True)
    return result.stdout.split()


def time_start(program, workdir, env, title=TITLE):
    """Seconds from spawning the program to its main window being visible, and from Escape in
    that window to the process's exit; and the minor page faults of the whole run."""
    start = time.perf_counter()
    process = subprocess.Popen([program], cwd=workdir, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    while True:
        windows = find_window(env, title)
        if windows:
            elapsed = time.perf_counter() - start
            break
        if process.poll() is not None:
            sys.exit(f"the program ended with status {process.returncode} before its window")
        if time.perf_counter() - start > TIMEOUT:
            process.kill()
            sys.exit("no main window within the time limit")
    subprocess.run(["xdotool", "windowfocus", "--sync", windows[0]], env=env, check=True)
    end = time.perf_counter()
    subprocess.run(["xdotool", "key", "Escape"], env=env, check=True)
    # Reaped here rather than by Popen.wait, so that the process's own page faults come along.
    while True:
        pid, status, usage = os.wait4(process.pid, os.WNOHANG)
        if pid:
            break
        if time.perf_counter() - end > TIMEOUT:
            process.kill()
            sys.exit("the program did not end within the time limit")
        time.sleep(0.001)
    process.returncode = os.waitstatus_to_exitcode(status)
    if process.returncode != 0:
        sys.exit(f"the program ended with status {process.returncode}")
    return elapsed, time.perf_counter() - end, usage.ru_minflt


def prepare(root, files):
    workdir = os.path.join(root, "work")
    os.makedirs(workdir)
    os.makedirs(os.path.join(root, "config", "Quillmark"))
    os.makedirs(os.path.join(root, "runtime"), mode=0o700)
    with open(os.path.join(root, "config", "Quillmark", "Recitor.conf"), "w") as f:
        f.write("[Params]\nRunCount=0\n\n[RctTip]\nRctStartUp=1\n")  # no start-up tip
    files(workdir)
    return workdir


def measure(name, program, files, display, runs, title=TITLE):
    root = tempfile.mkdtemp(prefix=f"recitor-startup-{name}-")
    try:
        workdir = prepare(root, files)
        env = environment(display, root)
        time_start(program, workdir, env, title)  # warms the page cache and the font cache
        times = [time_start(program, workdir, env, title) for _ in range(runs)]
        # What one poll costs, measured on an X server where the window is already known.
        polls = []
        for _ in range(10):
            start = time.perf_counter()
            find_window(env)
            polls.append(time.perf_counter() - start)
    finally:
        shutil.rmtree(root, ignore_errors=True)
    ms = [t * 1000 for t, _, _ in times]
    end = [e * 1000 for _, e, _ in times]
    faults = [f for _, _, f in times]
    print(f"{name:10s} start median {statistics.median(ms):6.1f} ms  min {min(ms):6.1f}  "
          f"max {max(ms):6.1f}  poll {statistics.median(polls) * 1000:.1f} ms;  "
          f"end median {statistics.median(end):6.1f} ms  min {min(end):6.1f}  "
          f"max {max(end):6.1f}  minor faults {statistics.median(faults):.0f}  ({runs} runs)")
    return statistics.median(ms), statistics.median(end)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--writer", required=True, help="the recitor_synthetic_writer program")
    parser.add_argument("--empty", required=True, help="the recitor_empty_dialog program")
    parser.add_argument("--source", required=True)
    parser.add_argument("--runs", type=int, default=10)
    args = parser.parse_args()
    args.program = os.path.abspath(args.program)
    args.writer = os.path.abspath(args.writer)
    args.empty = os.path.abspath(args.empty)

    def bundled(workdir):
        for name in ("RctInfo.xml", "RctUser.xml", "RctStatsSpare.xml"):
            shutil.copyfile(os.path.join(args.source, "res", name), os.path.join(workdir, name))
        shutil.copyfile(os.path.join(args.source, "res", "RctStatsSpare.xml"),
                        os.path.join(workdir, "RctStats.xml"))

    def maximum(workdir):
        subprocess.run([args.writer, workdir], check=True, stdout=subprocess.DEVNULL)

    xvfb, display = start_xvfb()
    try:
        floor, _ = measure("empty", args.empty, lambda workdir: None, display, args.runs,
                           EMPTY_TITLE)
        for name, files in (("bundled", bundled), ("maximum", maximum)):
            start, end = measure(name, args.program, files, display, args.runs)
            # The targets at the maximum: a start within twice the empty dialog's, an end
            # within 100 ms.
            print(f"{name:10s} start {start / floor:4.2f}x the empty dialog's, end {end:.0f} ms")
    finally:
        xvfb.terminate()
        xvfb.wait()


if __name__ == "__main__":
    main()
