"""Idle cost of the running program under wine: CPU time over a minute with the main window
open (one-second refresh, the eye at four frames a second), against an empty Win32 window that
runs the same timers and against a layered window that only pushes the eye's area on each eye
tick (the floor the pushes set), and the resident memory of each after start.

    python3 idle_cpu.py <program folder> <idle_window.exe> [--seconds 60]

Needs DISPLAY, WINEPREFIX (with the simulated card's nvapi64.dll) and a running wineserver.
CPU is the process's user + system time from /proc; the wineserver's share during the same
window is reported beside it, since every message and timer passes through it.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

WINE_EXEC = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                         "wine-exec")
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS  # utime, stime


def rss_mib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def wineserver_pid():
    out = subprocess.run(["pgrep", "-x", "wineserver64"], capture_output=True, text=True).stdout
    if not out.strip():
        out = subprocess.run(["pgrep", "-x", "wineserver"], capture_output=True, text=True).stdout
    pids = [int(p) for p in out.split()]
    return pids[0] if pids else None


def measure(name, argv, cwd, seconds, warmup=6.0, prepare=None, stop=None):
    """CPU over `seconds` after the warm-up. prepare() runs after the warm-up, before anything
    is read; stop(proc) ends the process (default: terminate)."""
    proc = subprocess.Popen([WINE_EXEC] + argv, cwd=cwd, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(warmup)
        if proc.poll() is not None:
            sys.exit("%s ended during warm-up (exit %s)" % (name, proc.returncode))
        if prepare:
            prepare()
        server = wineserver_pid()
        rss = rss_mib(proc.pid)
        t0 = time.monotonic()
        c0 = cpu_seconds(proc.pid)
        s0 = cpu_seconds(server) if server else 0.0
        time.sleep(seconds)
        c1 = cpu_seconds(proc.pid)
        s1 = cpu_seconds(server) if server else 0.0
        wall = time.monotonic() - t0
    finally:
        if stop:
            stop(proc)
        else:
            proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
    return {"name": name, "cpu": c1 - c0, "server": s1 - s0, "wall": wall, "rss": rss}


def report(r):
    print("%-26s cpu %6.2f s = %5.2f %% of a core   wineserver %5.2f s = %5.2f %%   "
          "resident %6.1f MiB" % (r["name"], r["cpu"], 100 * r["cpu"] / r["wall"], r["server"],
                                  100 * r["server"] / r["wall"], r["rss"]))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("program_folder")
    ap.add_argument("yardstick")
    ap.add_argument("--seconds", type=float, default=60.0)
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="velmora-idle-")
    try:
        app = os.path.join(work, "Velmora")
        os.makedirs(app)
        for f in ("Velmora.exe", "Velmora.xml", "Norvane.dll", "Talwyn.dll", "Ostrid.dll"):
            shutil.copy(os.path.join(args.program_folder, f), app)
        velmora = measure("Velmora main window", [os.path.join(app, "Velmora.exe")], app,
                          args.seconds)
        empty = measure("empty window, same timers", [os.path.abspath(args.yardstick)], work,
                        args.seconds)
        floor = measure("eye pushes only", [os.path.abspath(args.yardstick), "push"], work,
                        args.seconds)
        libs = measure("eye pushes, program's libraries loaded",
                       [os.path.abspath(args.yardstick), "libs"], work, args.seconds)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    report(velmora)
    report(empty)
    report(floor)
    report(libs)
    base = max(empty["cpu"], 1.0 / TICKS)
    print("ratio (process CPU)            %.1f x" % (velmora["cpu"] / base))
    print("ratio (process + wineserver)   %.1f x" % ((velmora["cpu"] + velmora["server"]) /
                                                    max(empty["cpu"] + empty["server"], base)))
    print("ratio to the eye pushes alone  %.1f x" % (velmora["cpu"] / max(floor["cpu"], base)))
    # One line for tools/bench.sh's table.
    print("FIGURES idle_pct %.2f ratio %.1f rss %.1f empty_rss %.1f floor_pct %.2f floor_ratio %.1f"
          " libs_rss %.1f"
          % (100 * velmora["cpu"] / velmora["wall"], velmora["cpu"] / base, velmora["rss"],
             empty["rss"], 100 * floor["cpu"] / floor["wall"], floor["cpu"] / base, libs["rss"]))


if __name__ == "__main__":
    main()
