"""CPU of the running program over a minute with the monitoring window open (four graphs at a
1000 ms period), against the main window alone, under wine on the simulated card.

    python3 monitor_cpu.py <program folder> <velmora-poke.exe> [--seconds 60]

Needs DISPLAY, WINEPREFIX (with the simulated card's nvapi64.dll) and a running wineserver. Both
runs use the same settings file; the second opens the monitoring window through the main
window's button command before the measurement starts.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "app"))
import idle_cpu  # noqa: E402

MONITOR_BUTTON = 3007
SECTION = ("<MonitoringDlg><RefreshRate>1000</RefreshRate><blLogToFile>0</blLogToFile>"
           "<LogToFilePath></LogToFilePath>"
           '<GPUClock Max="2500" Min="0">1</GPUClock><GPUTemperature Max="100" Min="0">1'
           '</GPUTemperature><GPUUsage Max="100" Min="0">1</GPUUsage>'
           '<FanSpeed Max="100" Min="0">1</FanSpeed></MonitoringDlg>')


def measure(name, app, poke, seconds, open_monitor):
    def open_window():
        subprocess.run([idle_cpu.WINE_EXEC, poke, "command", str(MONITOR_BUTTON)],
                       capture_output=True, timeout=30)
        time.sleep(4)

    def close(proc):
        # The program's ordinary close.
        subprocess.run([idle_cpu.WINE_EXEC, "taskkill", "/im", "Velmora.exe"],
                       capture_output=True, timeout=30)

    return idle_cpu.measure(name, [os.path.join(app, "Velmora.exe")], app, seconds,
                            prepare=open_window if open_monitor else None, stop=close)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("program_folder")
    ap.add_argument("poke")
    ap.add_argument("--seconds", type=float, default=60.0)
    args = ap.parse_args()

    work = tempfile.mkdtemp(prefix="velmora-monitor-cpu-")
    try:
        app = os.path.join(work, "Velmora")
        os.makedirs(app)
        for f in ("Velmora.exe", "Norvane.dll", "Talwyn.dll", "Ostrid.dll"):
            shutil.copy(os.path.join(args.program_folder, f), app)
        with open(os.path.join(args.program_folder, "Velmora.xml"), encoding="utf-8-sig") as f:
            xml = f.read()
        start = xml.find("<MonitoringDlg>")
        end = xml.find("</MonitoringDlg>")
        if start >= 0 and end > start:
            xml = xml[:start] + SECTION + xml[end + len("</MonitoringDlg>"):]
        with open(os.path.join(app, "Velmora.xml"), "w", encoding="utf-8") as f:
            f.write(xml)
        alone = measure("main window alone", app, args.poke, args.seconds, False)
        monitor = measure("with the monitoring window", app, args.poke, args.seconds, True)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for r in (alone, monitor):
        print("%-28s cpu %6.2f s = %5.2f %% of a core   resident %6.1f MiB"
              % (r["name"], r["cpu"], 100 * r["cpu"] / r["wall"], r["rss"]))
    ratio = monitor["cpu"] / max(alone["cpu"], 1.0 / idle_cpu.TICKS)
    print("ratio                        %.2f x" % ratio)
    print("FIGURES alone_pct %.2f monitor_pct %.2f ratio %.2f"
          % (100 * alone["cpu"] / alone["wall"], 100 * monitor["cpu"] / monitor["wall"], ratio))


if __name__ == "__main__":
    main()
