#!/usr/bin/env python3
"""Soak run: the whole program for a long while, every window open, against a moving card.

    python3 bench/soak.py [MINUTES] [--install [SETUP]] [--program-dir DIR] [--sample-seconds S]

Runs Velmora.exe in the build's wine prefix: by default a copy of the Windows build's out
folder; with --install, the program as the installer puts it (SETUP, by default the one
tools/package.sh writes, is run silently first and the program runs in place from the install
folder, whose "Velmora.xml" is put back afterwards); with --program-dir, a copy of DIR's
files. It runs on the simulated card with its game-like load and a free-running temperature.
The fan curve runs; the clock settings, voltage, monitoring (100 ms, logging to a file), LED
lighting (temperature indication) and GPU information windows are open. At the start, at
every sample and at the end it prints the process's handles, GDI and user objects,
working set and private bytes (through velmora-poke's "resources"; where wine counts no user
objects, the process's windows stand in for them), its resident memory as Linux sees it, and the history log's size and line count against the samples the monitoring
period asks for. Nothing here is a test: it prints figures and a closing verdict on growth.

Not part of the test suite. It takes the e2e lock (/tmp/velmora-e2e.lock), since the program
is single-instance per prefix. Default 30 minutes.
"""

import argparse
import fcntl
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.environ.get("VELMORA_BUILD", os.path.join(ROOT, "build"))
WIN_BUILD = os.path.join(BUILD, "win")
os.environ.setdefault("WINEPREFIX", os.path.join(WIN_BUILD, "wineprefix"))
os.environ.setdefault("WINEDEBUG", "-all")
os.environ.setdefault("VELMORA_OUT_DIR", os.path.join(WIN_BUILD, "out"))
os.environ.setdefault("VELMORA_WINE_EXEC", os.path.join(ROOT, "tools", "wine-exec"))
os.environ.setdefault("VELMORA_POKE_EXE", os.path.join(WIN_BUILD, "tests", "velmora-poke.exe"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import harness  # noqa: E402
from harness import VelmoraRun, wait_until  # noqa: E402
from test_app import config  # noqa: E402
from test_clock import CLOCK_X, CUSTOMISE, VOLTAGE  # noqa: E402
from test_info import GPU_INFO_BUTTON  # noqa: E402
from test_monitor import (DEFAULT, LED_BUTTON, LED_TABLE, LED_X, LED_Y, MONITOR_BUTTON,  # noqa: E402
                          MONITOR_X, decode_log, monitoring_section)

MONITOR_PERIOD_MS = 100
# The screen of the window tests. The monitoring and LED windows open with the main window
# near the left edge, then the main window moves right (they stay docked, the LED window past
# the edge) to make room for the clock and voltage windows on its left.
SCREEN = "1280x1024x24"
FIRST_AT = (40, 60)
MAIN_AT = (730, 60)
# A card playing a game now and then, its temperature following load and fan.
SCENARIO = "gpus = 1\nload = game\n"
# Growth between the first and the last figure that still counts as flat.
FLAT = {"handles": 20, "gdi": 20, "user": 20, "private_kb": 4096, "rss_kb": 4096}


def free_display():
    for n in range(150, 200):
        if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
            return ":%d" % n
    sys.exit("no free X display number")


def start_xvfb():
    display = free_display()
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", SCREEN, "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.environ["DISPLAY"] = display
    ok = wait_until(lambda: subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0, 10)
    if not ok:
        xvfb.kill()
        sys.exit("Xvfb did not come up")
    return xvfb


def away():
    subprocess.run(["xdotool", "mousemove", "0", "1000"], check=True)
    time.sleep(0.3)


def move_main(run, at):
    run.poke("move", str(at[0]), str(at[1]))
    wait_until(lambda: (run.window_rect() or (0,))[0] == at[0], 10)
    time.sleep(0.5)


def open_every_window(run):
    move_main(run, FIRST_AT)
    # Monitoring, then its LED window; Default there is the temperature indication.
    run.click(*MONITOR_BUTTON)
    time.sleep(1)
    away()
    run.click(LED_BUTTON[0] + MONITOR_X, LED_BUTTON[1])
    # Only the monitoring window and its LED window are open yet: the LED one is the owned one.
    if not wait_until(lambda: run.poke("voltage-rect"), 10):
        sys.exit("the LED lighting window did not open")
    away()
    run.click(DEFAULT[0] + LED_X, DEFAULT[1] + LED_Y)
    time.sleep(0.5)
    away()
    move_main(run, MAIN_AT)
    # Clock settings (past its warning), then its voltage window.
    run.click(*CUSTOMISE)
    run.poke("msgbox", "Warning", "yes")
    time.sleep(1)
    away()
    run.click(VOLTAGE[0] + CLOCK_X, VOLTAGE[1])
    time.sleep(1)
    away()
    run.click(*GPU_INFO_BUTTON)
    time.sleep(1)
    away()


def default_setup():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        version = re.search(r"project\(Velmora VERSION ([0-9.]+)", f.read()).group(1)
    return os.path.join(BUILD, "packages", "Velmora-Setup-%s.exe" % version)


def install(setup):
    """Runs the installer silently in the prefix; the install folder as a Linux path."""
    wine = os.environ["VELMORA_WINE_EXEC"]
    out = subprocess.run([wine, setup, "/S"], capture_output=True, text=True, timeout=300)
    if out.returncode != 0:
        sys.exit("the installer failed (%d): %s" % (out.returncode, out.stderr))
    key = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
    query = subprocess.run([wine, "reg", "query", key, "/v", "InstallLocation"],
                           capture_output=True, text=True, timeout=60).stdout
    found = re.search(r"InstallLocation\s+REG_SZ\s+(.+)", query)
    if not found:
        sys.exit("no install location in the uninstall entry")
    folder = subprocess.run(["winepath", "-u", found.group(1).strip()], capture_output=True,
                            text=True, timeout=60).stdout.strip()
    if not os.path.isfile(os.path.join(folder, "Velmora.exe")):
        sys.exit("no Velmora.exe in the install folder %s" % folder)
    return folder


def shot(run, name):
    if harness.SHOT_DIR:
        run.screenshot(name)


def rss_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return -1


def log_figures(path):
    try:
        size = os.path.getsize(path)
    except OSError:
        return 0, 0
    try:
        lines = len(decode_log(path))
    except AssertionError:
        # Caught between the writes of one line: count what is complete.
        with open(path, "rb") as f:
            lines = f.read().count("\r\n".encode("utf-16-le"))
    return size, lines


def sample(run, log_path, started):
    parts = run.poke("resources").split()
    figures = dict(zip(("handles", "gdi", "user", "working_set_kb", "private_kb"),
                       (int(p) for p in parts))) if len(parts) == 5 else {}
    figures["rss_kb"] = rss_kb(run.proc.pid)
    figures["log_bytes"], figures["log_lines"] = log_figures(log_path)
    figures["seconds"] = time.monotonic() - started
    return figures


def show(label, f, first):
    # Lines the log gained against the samples the period asks for since the first figure.
    due = int(f["seconds"] * 1000 / MONITOR_PERIOD_MS)
    print("%-6s %7.0fs  handles %5s  gdi %5s  user %5s  working set %7s KiB  private %7s KiB  "
          "rss %7s KiB  log %9d B %7d lines (+%d for %d samples due)"
          % (label, f["seconds"], f.get("handles", "?"), f.get("gdi", "?"), f.get("user", "?"),
             f.get("working_set_kb", "?"), f.get("private_kb", "?"), f["rss_kb"],
             f["log_bytes"], f["log_lines"], f["log_lines"] - first["log_lines"], due), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("minutes", nargs="?", type=float, default=30.0)
    parser.add_argument("--install", nargs="?", const=default_setup(), metavar="SETUP",
                        help="install with this installer and run the installed program")
    parser.add_argument("--program-dir", help="run a copy of this folder's program files")
    parser.add_argument("--sample-seconds", type=float, default=60.0)
    args = parser.parse_args()
    if args.program_dir:
        harness.OUT_DIR = args.program_dir

    # Ended from outside (kill, a batch job's time limit), still close the program and
    # clean up on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("ended by SIGTERM"))
    lock = open("/tmp/velmora-e2e.lock", "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    xvfb = start_xvfb()
    installed = install(args.install) if args.install else None
    if installed:
        print("installed by %s into %s" % (args.install, installed))
        with open(os.path.join(installed, "Velmora.xml"), "rb") as f:
            installed_settings = f.read()
    folder = tempfile.mkdtemp(prefix="velmora-soak-")
    log_path = os.path.join(folder, "soak log.txt")
    xml = config(enable_fan=1).replace(
        "</Velmora>", monitoring_section(log_path, period=MONITOR_PERIOD_MS, log=1) + LED_TABLE
        + "\n</Velmora>")
    run = VelmoraRun(config_xml=xml, scenario=SCENARIO, app_dir=installed)
    try:
        run.start()
        if not run.wait_window(45):
            sys.exit("the main window did not appear")
        open_every_window(run)
        if args.program_dir:
            print("program from %s" % args.program_dir)
        shot(run, "soak-start.png")
        started = time.monotonic()
        first = sample(run, log_path, started)
        show("start", first, first)
        samples = [first]
        end = started + args.minutes * 60
        while time.monotonic() < end:
            time.sleep(min(args.sample_seconds, max(0.0, end - time.monotonic())))
            if not run.running():
                sys.exit("the program ended during the soak")
            samples.append(sample(run, log_path, started))
            show("", samples[-1], first)
        last = samples[-1]
        show("end", last, first)
        # Growth after the first minute, when the windows' first allocations are done.
        settled = next((s for s in samples if s["seconds"] >= 60), first)
        grew = [k for k, limit in FLAT.items()
                if k in last and k in settled and last[k] - settled[k] > limit]
        due = int(last["seconds"] * 1000 / MONITOR_PERIOD_MS)
        print("log: +%d lines for %d samples due at %d ms over the run (%d lines, %d bytes, "
              "%.1f bytes a line)"
              % (last["log_lines"] - first["log_lines"], due, MONITOR_PERIOD_MS,
                 last["log_lines"], last["log_bytes"],
                 last["log_bytes"] / max(1, last["log_lines"])))
        print("verdict: %s" % ("flat" if not grew else "grew: " + ", ".join(grew)))
        state = run.state()
        print("card at the end: load %s %%, temperature %s C, fan %s %%"
              % (state.get("gpu0.load_pct", "?"), state.get("gpu0.temperature_c", "?"),
                 state.get("gpu0.cooler_level", state.get("gpu0.cooler_set_level", "?"))))
    finally:
        run.stop()
        if installed:
            with open(os.path.join(installed, "Velmora.xml"), "wb") as f:
                f.write(installed_settings)
        shutil.rmtree(folder, ignore_errors=True)
        # Asked to end, Xvfb takes its lock file and socket with it.
        xvfb.terminate()
        try:
            xvfb.wait(10)
        except subprocess.TimeoutExpired:
            xvfb.kill()
            xvfb.wait()


if __name__ == "__main__":
    main()
