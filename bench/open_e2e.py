#!/usr/bin/env python3
"""The open as the family sees it: Return pressed in «Войти» until the expenses page is drawn and
the program is idle, on the real program over a generated base on a virtual display. Beside it, the
floor: reading every file of the same base. Then the memory the open base takes: the program's peak
resident size (VmHWM) with the base, less the same with an almost empty base, over the base's bytes.

The end is the last moment the program or the display server did real work before both stayed quiet
for a while with the main window up. A blinking text cursor wakes both twice a second for a fraction of
a millisecond: such short bursts are not work. Each run starts from a fresh copy of the base.

usage: open_e2e.py --program PATH --genbase PATH [--scale K] [--runs N]
"""

import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

QUIET_S = 0.3  # no real work this long: the work is over
POLL_S = 0.001
BURST_GAP_S = 0.005  # activity closer than this is one burst
NOISE_NS = 1_500_000  # a burst using less processor time than this is a cursor blink, not work


def cpu_ns(pid):
    """Processor time of every thread of a process, in nanoseconds (None once it is gone)."""
    total = 0
    try:
        for tid in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                    total += int(f.read().split()[0])
            except (OSError, ValueError, IndexError):
                pass
    except OSError:
        return None
    return total


def start_display():
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            sys.exit("open_e2e: the virtual display did not start")
        number += chunk
    os.close(read)
    return xvfb, ":" + number.decode().strip()


def xdotool(display, *args, timeout=30):
    env = dict(os.environ, DISPLAY=display)
    r = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True, timeout=timeout)
    return r.stdout.strip() if r.returncode == 0 else ""


def wait_window(display, caption, timeout=60):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = xdotool(display, "search", "--onlyvisible", "--name", caption)
        if found:
            return found.split()[0]
        time.sleep(0.05)
    return ""


def wait_quiet(pids):
    """Polls until no process did real work for QUIET_S; returns the end of the last real work."""
    def total():
        return sum(n or 0 for n in (cpu_ns(p) for p in pids))

    last = total()
    work_end = time.monotonic()  # end of the last burst that was work
    burst_cpu, burst_end = 0, None
    while True:
        time.sleep(POLL_S)
        now, t = total(), time.monotonic()
        if now != last:
            if burst_end is None or t - burst_end > BURST_GAP_S:
                burst_cpu = 0
            burst_cpu += now - last
            burst_end, last = t, now
            if burst_cpu >= NOISE_NS:
                work_end = t
        elif t - work_end >= QUIET_S and (burst_end is None or t - burst_end > BURST_GAP_S):
            return work_end


def peak_resident(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) * 1024
    return 0


def read_all_files(folder):
    total = 0
    for root, _, files in os.walk(folder):
        for name in files:
            with open(os.path.join(root, name), "rb") as f:
                total += len(f.read())
    return total


def one_open(program, template, display, xvfb_pid, work):
    home = os.path.join(work, "home")
    shutil.rmtree(home, ignore_errors=True)
    shutil.copytree(template, home)
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "share"), TMPDIR=os.path.join(home, "tmp"),
               DISPLAY=display, LANG="ru_RU.UTF-8")
    env.pop("QT_QPA_PLATFORM", None)
    proc = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        login = wait_window(display, "^Войти$")
        if not login:
            sys.exit("open_e2e: no «Войти» window")
        xdotool(display, "windowfocus", "--sync", login)
        wait_quiet([proc.pid, xvfb_pid])
        start = time.monotonic()
        xdotool(display, "key", "Return")
        while True:
            end = wait_quiet([proc.pid, xvfb_pid])
            if xdotool(display, "search", "--onlyvisible", "--name", "Пользователь: Мама$"):
                return end - start, peak_resident(proc.pid)
            if proc.poll() is not None or time.monotonic() - start > 120:
                sys.exit("open_e2e: the main window did not come")
    finally:
        proc.send_signal(signal.SIGKILL)
        proc.wait()


def summary(values):
    ms = sorted(v * 1000 for v in values)
    return f"median {statistics.median(ms):8.1f} ms   (min {ms[0]:.1f}, max {ms[-1]:.1f})"


def make_home(work, name, genbase, scale, counts=()):
    home = os.path.join(work, name)
    for sub in ("share", "tmp"):
        os.makedirs(os.path.join(home, sub))
    subprocess.run([genbase, "--scale", str(scale), "--", os.path.join(home, "share", "Quorvane"), "Base1", *counts],
                   check=True, stdout=subprocess.DEVNULL)
    return home, os.path.join(home, "share", "Quorvane", "BASE", "Base1")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--genbase", required=True)
    parser.add_argument("--scale", type=int, default=1)
    parser.add_argument("--runs", type=int, default=7)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="vellumora-open-") as work:
        template, base = make_home(work, "template", args.genbase, args.scale)
        # One record of each kind: what the program takes with next to no data.
        empty, _ = make_home(work, "empty", args.genbase, 1, ["1"] * 6)
        files = sum(len(f) for _, _, f in os.walk(base))
        size = read_all_files(base)

        xvfb, display = start_display()
        try:
            opens, floors, peaks, empty_peaks = [], [], [], []
            for run in range(args.runs + 1):  # the first run warms the caches and is not counted
                seconds, peak = one_open(args.program, template, display, xvfb.pid, work)
                t = time.monotonic()
                read_all_files(base)
                if run > 0:
                    opens.append(seconds)
                    floors.append(time.monotonic() - t)
                    peaks.append(peak)
                    empty_peaks.append(one_open(args.program, empty, display, xvfb.pid, work)[1])
        finally:
            xvfb.terminate()
            xvfb.wait()

    peak, empty_peak = statistics.median(peaks), statistics.median(empty_peaks)
    print(f"open_e2e: --scale {args.scale}: {files} files, {size / 1e6:.2f} MB, {args.runs} runs")
    print(f"  Return in «Войти» -> expenses page drawn and idle   {summary(opens)}")
    print(f"  floor: reading every file of the base                {summary(floors)}")
    print(f"  peak resident (VmHWM): {peak / 1e6:.1f} MB, with an almost empty base {empty_peak / 1e6:.1f} MB")
    print(f"  memory of the open base over its files' size: {(peak - empty_peak) / size:.2f}x")


if __name__ == "__main__":
    main()
