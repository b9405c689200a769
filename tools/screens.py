"""Screenshots of the program's windows in each skin, for a person to look at.

    python3 tools/screens.py [out folder]

Runs the built program on the simulated card (the same environment as the end-to-end tests:
DISPLAY, WINEPREFIX and a running wineserver), opens the GPU information window, then the
monitoring window and its LED window, and writes pictures per skin, cropped to the windows.
"""

import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
os.environ.setdefault("VELMORA_OUT_DIR", os.path.join(ROOT, "build", "win", "out"))
os.environ.setdefault("VELMORA_WINE_EXEC", os.path.join(ROOT, "tools", "wine-exec"))
os.environ.setdefault("VELMORA_POKE_EXE",
                      os.path.join(ROOT, "build", "win", "tests", "velmora-poke.exe"))

import harness  # noqa: E402
from test_app import config, scenario  # noqa: E402
from test_monitor import monitoring_section  # noqa: E402

MONITOR = 3007
GPU_INFO = 3005


def shoot(skin, out):
    run = harness.VelmoraRun(
        config_xml=config(ui=skin).replace("</Velmora>", monitoring_section("", log=0) +
                                           "</Velmora>"),
        scenario=scenario(load=60, temperature=62))
    run.start()
    try:
        if not run.wait_window():
            print("%s: the main window did not appear" % skin)
            return
        run.poke("move", "20", "40")
        time.sleep(1)
        # The GPU information window under the main window, on its own first.
        run.poke("command", str(GPU_INFO))
        time.sleep(2.5)
        rect = run.window_rect()
        shot = run.screenshot(os.path.join(out, "%s-full.png" % skin))
        subprocess.run(["convert", shot, "-crop", "500x720+%d+%d" % (rect[0], rect[1]),
                        os.path.join(out, "%s-gpuinfo.png" % skin)], check=True)
        print(os.path.join(out, "%s-gpuinfo.png" % skin))
        run.poke("command", "1025")
        time.sleep(1)
        run.poke("command", str(MONITOR))
        time.sleep(1.5)
        run.click(455 + 346, 221)  # the monitoring window's LED button
        time.sleep(1)
        # Samples for a while, with the pointer over a graph for the readout.
        subprocess.run(["xdotool", "mousemove", "0", "1000"], check=True)
        time.sleep(6)
        rect = run.window_rect()
        subprocess.run(["xdotool", "mousemove", str(rect[0] + 455 + 200),
                        str(rect[1] + 400)], check=True)
        time.sleep(1.5)
        shot = run.screenshot(os.path.join(out, "%s-full.png" % skin))
        subprocess.run(["convert", shot, "-crop", "1220x720+%d+%d" % (rect[0], rect[1]),
                        os.path.join(out, "%s-windows.png" % skin)], check=True)
        os.remove(shot)
        print(os.path.join(out, "%s-windows.png" % skin))
    finally:
        run.stop()


def main():
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                          os.path.join(ROOT, "build", "screenshots"))
    os.makedirs(out, exist_ok=True)
    for skin in ("Norvane", "Talwyn", "Ostrid"):
        shoot(skin, out)


if __name__ == "__main__":
    main()
