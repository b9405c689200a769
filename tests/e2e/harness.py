"""Drives the real Velmora.exe under wine and Xvfb on the simulated card.

Each run gets a private copy of the program folder (the exe, its fan guard, the skin packs and
a "Velmora.xml" of the test's choosing), a simulator scenario, and the simulator's state file.
Input goes in by window coordinates through xdotool, pictures come out through ImageMagick's
import, and the card's state is read from the simulator's state file.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

OUT_DIR = os.environ.get("VELMORA_OUT_DIR", "")
WINE_EXEC = os.environ.get("VELMORA_WINE_EXEC", "wine")
POKE_EXE = os.environ.get("VELMORA_POKE_EXE", "")
SCENARIO_DIR = os.environ.get("VELMORA_SCENARIO_DIR", "")
SHOT_DIR = os.environ.get("VELMORA_SHOT_DIR", "")


def wine_path(unix_path):
    """The path wine's Z: drive gives a Unix path."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def wait_until(predicate, timeout=20.0, interval=0.2):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            return value
        time.sleep(interval)


def parse_state(text):
    state = {}
    for line in text.splitlines():
        line = line.strip()
        if not line or line.startswith("#") or "=" not in line:
            continue
        key, value = line.split("=", 1)
        state[key.strip()] = value.strip()
    return state


class VelmoraRun:
    """One run of the program in a folder of its own."""

    def __init__(self, config_xml=None, scenario=None, skins=True, start_in=None, guard=True,
                 folder_name="Velmora", app_dir=None):
        """app_dir runs the program files already in that folder (an installed copy) in place;
        only "Velmora.xml" is written there. Otherwise they are copied to a folder of its own."""
        self.root = tempfile.mkdtemp(prefix="velmora-e2e-")
        self.app_dir = app_dir or os.path.join(self.root, folder_name)
        if not app_dir:
            os.makedirs(self.app_dir)
            shutil.copy(os.path.join(OUT_DIR, "Velmora.exe"), self.app_dir)
            if guard:
                shutil.copy(os.path.join(OUT_DIR, "VelmoraFanGuard.exe"), self.app_dir)
        if skins and not app_dir:
            for pack in ("Norvane.dll", "Talwyn.dll", "Ostrid.dll"):
                src = os.path.join(OUT_DIR, pack)
                if os.path.exists(src):
                    shutil.copy(src, self.app_dir)
        xml_target = os.path.join(self.app_dir, "Velmora.xml")
        if config_xml is None:
            shutil.copy(os.path.join(OUT_DIR, "Velmora.xml"), xml_target)
        elif config_xml is not False:
            with open(xml_target, "w", encoding="utf-8") as f:
                f.write(config_xml)
        self.scenario_path = os.path.join(self.root, "scenario.txt")
        self.write_scenario(scenario or "")
        self.state_path = os.path.join(self.root, "sim-state.txt")
        # Started from somewhere else than the program folder, as a shortcut would.
        self.start_in = start_in or self.root
        self.proc = None

    # --- simulator -----------------------------------------------------------------
    def write_scenario(self, text):
        tmp = self.scenario_path + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            f.write(text)
        os.replace(tmp, self.scenario_path)

    def state(self):
        try:
            with open(self.state_path, encoding="utf-8") as f:
                return parse_state(f.read())
        except OSError:
            return {}

    def wait_state(self, predicate, timeout=20.0):
        return wait_until(lambda: predicate(self.state()), timeout)

    # --- process ---------------------------------------------------------------------
    def env(self):
        env = dict(os.environ)
        env["VELMORA_SIM_SCENARIO"] = wine_path(self.scenario_path)
        env["VELMORA_SIM_STATE"] = wine_path(self.state_path)
        return env

    def start(self):
        self.proc = subprocess.Popen(
            [WINE_EXEC, os.path.join(self.app_dir, "Velmora.exe")],
            cwd=self.start_in, env=self.env(),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def start_second(self):
        """Another start of the same program folder while this one runs."""
        return subprocess.Popen(
            [WINE_EXEC, os.path.join(self.app_dir, "Velmora.exe")],
            cwd=self.start_in, env=self.env(),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def kill_unix(self):
        """SIGKILL to the Unix process that is Velmora.exe under wine: nothing of the program
        runs after it, and wine's server alone sees the process go."""
        with open("/proc/%d/cmdline" % self.proc.pid, "rb") as f:
            assert b"Velmora.exe" in f.read(), "the process started is not the program"
        os.kill(self.proc.pid, signal.SIGKILL)

    def taskkill(self):
        """taskkill /f, as a user (or an installer) ends the program from outside."""
        return subprocess.run([WINE_EXEC, "taskkill", "/f", "/im", "Velmora.exe"],
                              capture_output=True, text=True, env=self.env(), timeout=30)

    def guard_pids(self):
        """Unix process ids of the fan guards this run's folder started (wine processes)."""
        folder = os.path.basename(self.root).encode()
        pids = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/cmdline" % entry, "rb") as f:
                    cmdline = f.read()
            except OSError:
                continue
            if b"VelmoraFanGuard.exe" in cmdline and folder in cmdline:
                pids.append(int(entry))
        return pids

    @property
    def marker_path(self):
        """The record of held fans the program keeps beside itself."""
        return os.path.join(self.app_dir, "Velmora.fanhold")

    def wait_exit(self, timeout=20.0):
        try:
            self.proc.wait(timeout)
            return True
        except subprocess.TimeoutExpired:
            return False

    def stop(self):
        if self.running():
            self.poke("close")
            if not self.wait_exit(10):
                self.proc.kill()
                self.proc.wait(10)
        shutil.rmtree(self.root, ignore_errors=True)

    # --- windows -----------------------------------------------------------------------
    def poke(self, *args):
        # A machine under load can hold a new wine process back for long: a call that does not
        # answer in time counts as no answer, and the waits around it ask again.
        try:
            out = subprocess.run([WINE_EXEC, POKE_EXE] + list(args), capture_output=True,
                                 text=True, env=self.env(), timeout=30)
        except subprocess.TimeoutExpired:
            return ""
        return out.stdout.strip()

    def window_exists(self):
        return self.poke("exists") == "1"

    def window_visible(self):
        return self.poke("visible") == "1"

    def window_rect(self):
        parts = self.poke("rect").split()
        return tuple(int(p) for p in parts) if len(parts) == 4 else None

    def wait_window(self, timeout=30.0):
        return wait_until(lambda: self.window_exists() and self.window_rect(), timeout, 0.5)

    def click(self, x, y, button=1):
        """A click at window coordinates (x, y) of the main window."""
        rect = self.window_rect()
        subprocess.run(["xdotool", "mousemove", str(rect[0] + x), str(rect[1] + y)], check=True)
        time.sleep(0.2)
        subprocess.run(["xdotool", "click", str(button)], check=True)
        time.sleep(0.3)

    # --- the notification area (wine's system tray window) ----------------------------------
    def tray_icon_point(self):
        """Screen point of the first icon in wine's system tray window, or None."""
        def find():
            out = subprocess.run(["xdotool", "search", "--name", "^Wine System Tray$"],
                                 capture_output=True, text=True).stdout.split()
            return out[0] if out else None
        tray = wait_until(find, 10)
        if not tray:
            return None
        geo = subprocess.run(["xdotool", "getwindowgeometry", "--shell", tray],
                             capture_output=True, text=True).stdout
        g = dict(line.split("=", 1) for line in geo.split())
        return int(g["X"]) + 8, int(g["Y"]) + 10

    def _point_at_tray_icon(self):
        x, y = self.tray_icon_point()
        # A motion first: the tray window acts on the pointer it has seen moving in.
        subprocess.run(["xdotool", "mousemove", "--sync", str(x - 1), str(y)], check=True)
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)
        time.sleep(0.4)
        return x, y

    def tray_double_click(self):
        self._point_at_tray_icon()
        subprocess.run(["xdotool", "click", "--repeat", "2", "--delay", "80", "1"], check=True)

    def tray_menu_choose(self, index):
        """Right-clicks the tray icon and clicks item `index` of the menu that opens at the
        pointer (items about 18 pixels high)."""
        x, y = self._point_at_tray_icon()
        subprocess.run(["xdotool", "mousedown", "3"], check=True)
        time.sleep(0.15)
        subprocess.run(["xdotool", "mouseup", "3"], check=True)
        time.sleep(1.0)
        subprocess.run(["xdotool", "mousemove", "--sync", str(x + 30), str(y + 10 + 18 * index)],
                       check=True)
        time.sleep(0.3)
        subprocess.run(["xdotool", "click", "1"], check=True)

    def key(self, combo):
        subprocess.run(["xdotool", "key", combo], check=True)

    def screenshot(self, name):
        path = os.path.join(SHOT_DIR or self.root, name)
        subprocess.run(["import", "-window", "root", path], check=True)
        return path

    def pixel(self, path, x, y):
        out = subprocess.run(["convert", path, "-format", "%%[pixel:p{%d,%d}]" % (x, y), "info:-"],
                             capture_output=True, text=True, check=True)
        return out.stdout.strip()


class E2ECase(unittest.TestCase):
    """Stops every run a test started, whatever the test's outcome."""

    def setUp(self):
        self.runs = []

    def tearDown(self):
        for run in self.runs:
            run.stop()

    def launch(self, **kwargs):
        run = VelmoraRun(**kwargs)
        self.runs.append(run)
        return run.start()
