"""End-to-end tests of the running program on the simulated card."""

import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest

import harness
from harness import E2ECase, VelmoraRun, wait_until

# --- the simulator's words (scenario file and state file) ---------------------------------
def scenario(load=None, temperature=None, fail=None, driver_restarts=None):
    lines = ["gpus = 1"]
    if driver_restarts is not None:
        lines.append("driver_restarts = %d" % driver_restarts)
    if load is not None:
        lines.append("load = %d" % load)
    if temperature is not None:
        lines.append("temperature = %d" % temperature)
    for entry, status in (fail or {}).items():
        lines.append("fail %s %d" % (entry, status))
    return "\n".join(lines) + "\n"


def graphics_mhz(state):
    return int(state.get("gpu0.gpu_clock_mhz", "-1"))


def cooler(state):
    """(policy, level) of the simulated fan, or None before the state file exists."""
    if "gpu0.cooler_policy" not in state:
        return None
    return int(state["gpu0.cooler_policy"], 0), int(state["gpu0.cooler_set_level"])


POLICY_MANUAL = 1
POLICY_AUTO = 0x20

# --- configuration files --------------------------------------------------------------------
FAN_CURVE = ('<FanMap OneX="30" OneY="30" TwoX="40" TwoY="40" ThreeX="50" ThreeY="50" '
             'FourX="60" FourY="60" FiveX="70" FiveY="70" SixX="80" SixY="80" '
             'SeverX="90" SeverY="90" EightX="100" EightY="100" blLine="0"/>')


def config(ui="Norvane", start_minimized=0, enable_fan=0, left=0, right=3, hotkey=None,
           shot_folder=""):
    hk = ""
    if hotkey:
        hk = '<HotKey VirtualKeyCode="%d" Modifiers="%d"/>' % hotkey
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<Velmora>
  <Version>300</Version>
  <GeneralDlg><StartMinized>{start_minimized}</StartMinized><UpadteCheck>0</UpadteCheck></GeneralDlg>
  <FanDlg><EnableFan>{enable_fan}</EnableFan><AutoSystem>{enable_fan}</AutoSystem>
    <UpdateTime>250</UpdateTime>{FAN_CURVE}</FanDlg>
  <QuickSightSettingsDlg><Left>{left}</Left><Right>{right}</Right></QuickSightSettingsDlg>
  <UIDlg><UiName>{ui}</UiName><SaveToFilePath>{shot_folder}</SaveToFilePath>{hk}</UIDlg>
</Velmora>
"""


# Main-window geometry the tests aim at.
LEFT_GAUGE = (51, 73, 61, 329)
CLOSE_BUTTON = (435, 17)


def bar_height(run, shot, gauge):
    """Height of the gauge's filled bar, measured from the bottom in a screenshot."""
    left, top, right, bottom = gauge
    rect = run.window_rect()
    x = rect[0] + (left + right) // 2
    out = subprocess.run(
        ["convert", shot, "-crop", "1x%d+%d+%d" % (bottom - top, x, rect[1] + top), "-depth", "8",
         "txt:-"], capture_output=True, text=True, check=True).stdout
    # Rows lit in the Norvane bar colour (4, 155, 242), counted from the bottom.
    lit = 0
    for line in reversed(out.splitlines()[1:]):
        colour = line.split("(")[1].split(")")[0].split(",")
        r, g, b = (int(float(c)) for c in colour[:3])
        if abs(r - 4) < 30 and abs(g - 155) < 30 and abs(b - 242) < 30:
            lit += 1
        else:
            break
    return lit


def rgb(pixel):
    """(r, g, b) of an ImageMagick pixel text such as "srgb(4,155,242)"."""
    inside = pixel[pixel.index("(") + 1:pixel.index(")")]
    return tuple(int(float(c.rstrip("%"))) for c in inside.split(",")[:3])


class RunningProgram(E2ECase):
    def test_gauges_show_the_cards_readings_and_follow_the_load(self):
        run = self.launch(config_xml=config(left=0), scenario=scenario(load=2))
        self.assertTrue(run.wait_window(), "main window did not appear")
        # Nearly idle, the card settles in its lowest performance state.
        self.assertTrue(run.wait_state(lambda s: s.get("gpu0.pstate") == "8"), run.state())
        time.sleep(2.5)
        low_clock = graphics_mhz(run.state())
        low = bar_height(run, run.screenshot("gauges-low.png"), LEFT_GAUGE)
        self.assertAlmostEqual(low, 256 * low_clock / 2500, delta=256 * 150 / 2500)

        run.write_scenario(scenario(load=100))
        self.assertTrue(run.wait_state(lambda s: graphics_mhz(s) > low_clock + 300))
        time.sleep(2.5)
        high_clock = graphics_mhz(run.state())
        high = bar_height(run, run.screenshot("gauges-high.png"), LEFT_GAUGE)
        self.assertAlmostEqual(high, 256 * high_clock / 2500, delta=256 * 150 / 2500)
        self.assertGreater(high, low + 10)

    def test_start_minimized_stays_hidden_until_the_tray_icon_opens_it(self):
        run = self.launch(config_xml=config(start_minimized=1))
        self.assertTrue(wait_until(run.window_exists, 30))
        for _ in range(6):
            self.assertFalse(run.window_visible())
            time.sleep(0.5)
        # The icon in the notification area opens it, as a user would.
        self.assertIsNotNone(run.tray_icon_point(), "no notification area")
        run.tray_double_click()
        self.assertTrue(wait_until(run.window_visible, 10))
        # The close button now only hides it again; the program goes on.
        run.poke("command", "3000")
        self.assertTrue(wait_until(lambda: not run.window_visible(), 10))
        self.assertTrue(run.running())

    def test_a_second_start_ends_silently(self):
        run = self.launch(config_xml=config())
        self.assertTrue(run.wait_window())
        second = run.start_second()
        self.assertEqual(second.wait(30), 0)
        windows = subprocess.run(["xdotool", "search", "--name", "^Velmora$"],
                                 capture_output=True, text=True).stdout.split()
        self.assertLessEqual(len(windows), 1)
        self.assertTrue(run.running())

    def test_started_from_another_folder_it_finds_its_skin_and_settings(self):
        elsewhere = tempfile.mkdtemp(prefix="velmora-elsewhere-")
        try:
            run = self.launch(config_xml=config(enable_fan=1), scenario=scenario(temperature=50),
                              start_in=elsewhere)
            self.assertTrue(run.wait_window(), "main window did not appear")
            # The settings beside the program were read: the curve took the fan.
            self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 50)))
            # The skin beside the program was loaded: its bar colour is on the screen.
            time.sleep(1.5)
            self.assertGreater(bar_height(run, run.screenshot("elsewhere.png"), LEFT_GAUGE), 10)
            self.assertEqual(os.listdir(elsewhere), [], "files written into the start folder")
        finally:
            shutil.rmtree(elsewhere, ignore_errors=True)

    def test_a_missing_skin_pack_is_reported_and_the_program_ends(self):
        run = self.launch(config_xml=config(), skins=False)
        box = wait_until(lambda: subprocess.run(
            ["xdotool", "search", "--name", "^Error$"], capture_output=True,
            text=True).stdout.split(), 30)
        self.assertTrue(box, "no error message box")
        run.screenshot("missing-skin.png")
        subprocess.run(["xdotool", "windowactivate", "--sync", box[0]], capture_output=True)
        subprocess.run(["xdotool", "key", "--window", box[0], "Return"], check=True)
        self.assertTrue(run.wait_exit(20), "program did not end after the message")


class FanControlOfTheRunningProgram(E2ECase):
    def test_the_curve_moves_the_fan_as_the_temperature_moves(self):
        run = self.launch(config_xml=config(enable_fan=1), scenario=scenario(temperature=45))
        self.assertTrue(run.wait_window())
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 45)))
        run.write_scenario(scenario(temperature=75))
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 75)))

    def test_failing_temperature_readings_hand_the_fan_back(self):
        run = self.launch(config_xml=config(enable_fan=1), scenario=scenario(temperature=45))
        self.assertTrue(run.wait_window())
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 45)))
        run.write_scenario(scenario(temperature=45, fail={"GPU_GetThermalSettings": -1}))
        self.assertTrue(run.wait_state(lambda s: (cooler(s) or (0,))[0] == POLICY_AUTO))
        run.write_scenario(scenario(temperature=55))
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 55)))

    def test_every_way_out_hands_the_fan_back_to_the_driver(self):
        TRAY_MENU_CLOSE = 1  # the menu's second item
        ways = {
            # name: (lives in the notification area, how the user leaves)
            "close button": (0, lambda run: run.click(*CLOSE_BUTTON)),
            "close message": (0, lambda run: run.poke("close")),
            "system menu close": (0, lambda run: run.poke("syscmd-close")),
            "tray menu close command": (0, lambda run: run.poke("command", "32772")),
            "tray menu clicked": (1, lambda run: run.tray_menu_choose(TRAY_MENU_CLOSE)),
        }
        for name, (tray, leave) in ways.items():
            with self.subTest(way=name):
                run = self.launch(config_xml=config(enable_fan=1, start_minimized=tray),
                                  scenario=scenario(temperature=60))
                try:
                    self.assertTrue(wait_until(run.window_exists, 30))
                    self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 60)))
                    leave(run)
                    self.assertTrue(run.wait_exit(20), "program did not end")
                    self.assertEqual(cooler(run.state())[0], POLICY_AUTO)
                finally:
                    # The next way needs the single instance free.
                    run.stop()


    def test_the_end_of_the_session_hands_the_fan_back_for_good(self):
        run = self.launch(config_xml=config(enable_fan=1), scenario=scenario(temperature=60))
        self.assertTrue(run.wait_window())
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 60)))
        run.poke("endsession")
        self.assertTrue(run.wait_state(lambda s: (cooler(s) or (0,))[0] == POLICY_AUTO, 10))
        # The system may take its time to end the process: the curve must not take the fan
        # back meanwhile (it ticks every 250 ms here).
        time.sleep(2)
        self.assertEqual(cooler(run.state())[0], POLICY_AUTO)


class FanHandedBackWhateverEndsTheProgram(E2ECase):
    """The fans the program fixed go back to the driver when it is killed or crashes; a fan it
    did not fix is left alone."""

    HAND_BACK_S = 5  # "within a few seconds"

    def start_holding(self, **kwargs):
        run = self.launch(config_xml=config(enable_fan=1), scenario=scenario(temperature=60),
                          **kwargs)
        self.assertTrue(run.wait_window(), "main window did not appear")
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 60)), run.state())
        self.assertTrue(wait_until(lambda: os.path.exists(run.marker_path), 5), "no marker")
        return run

    def assert_handed_back(self, run):
        self.assertTrue(run.wait_exit(10), "the program did not end")
        self.assertTrue(run.wait_state(lambda s: (cooler(s) or (0,))[0] == POLICY_AUTO,
                                       self.HAND_BACK_S), "fan left %s" % (cooler(run.state()),))
        self.assertTrue(wait_until(lambda: not os.path.exists(run.marker_path), self.HAND_BACK_S),
                        "marker left behind")

    def test_killed_from_outside_the_fan_guard_hands_the_fan_back(self):
        kills = {
            "taskkill /f": lambda run: run.taskkill(),
            "SIGKILL to wine's process": lambda run: run.kill_unix(),
        }
        for name, kill in kills.items():
            with self.subTest(kill=name):
                # A blank in the folder: the guard gets the marker's path whole.
                run = self.start_holding(folder_name="Velmora Fan")
                try:
                    kill(run)
                    self.assert_handed_back(run)
                finally:
                    run.stop()

    def test_a_quick_restart_keeps_each_runs_fans_and_marker_its_own(self):
        run = self.start_holding()
        first_guard = wait_until(run.guard_pids, 10)
        self.assertEqual(len(first_guard), 1, "no guard of the first run")
        # The first run's guard is held up (a busy machine) until the second run has fixed
        # the fan again and written its marker.
        os.kill(first_guard[0], signal.SIGSTOP)
        try:
            run.kill_unix()
            self.assertTrue(run.wait_exit(10))
            run.start()
            self.assertTrue(run.wait_window(), "the second run's window did not appear")
            self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 60)),
                            run.state())
            self.assertTrue(wait_until(lambda: len(run.guard_pids()) == 2, 10),
                            "no guard of the second run")
            self.assertTrue(os.path.exists(run.marker_path))
        finally:
            os.kill(first_guard[0], signal.SIGCONT)
        self.assertTrue(wait_until(lambda: first_guard[0] not in run.guard_pids(), 10),
                        "the first run's guard did not end")
        self.assertTrue(os.path.exists(run.marker_path), "the second run's marker was taken")
        self.assertEqual(cooler(run.state()), (POLICY_MANUAL, 60))
        run.kill_unix()
        self.assert_handed_back(run)

    def test_a_marker_that_cannot_be_written_leaves_the_guard_knowing_the_fans(self):
        run = VelmoraRun(config_xml=config(enable_fan=1), scenario=scenario(temperature=60))
        self.runs.append(run)
        # The marker's name is taken by a folder: no marker can be written or read.
        os.makedirs(run.marker_path)
        run.start()
        self.assertTrue(run.wait_window(), "main window did not appear")
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 60)), run.state())
        self.assertTrue(wait_until(run.guard_pids, 10), "no guard")
        run.kill_unix()
        self.assertTrue(run.wait_exit(10), "the program did not end")
        self.assertTrue(run.wait_state(lambda s: (cooler(s) or (0,))[0] == POLICY_AUTO,
                                       self.HAND_BACK_S), "fan left %s" % (cooler(run.state()),))

    def test_a_crash_on_a_worker_thread_hands_the_fan_back_without_the_guard(self):
        # No guard beside the program: only the crash guard in the program can hand back.
        run = self.start_holding(guard=False)
        self.assertEqual(run.poke("crash"), "1")
        self.assert_handed_back(run)

    def test_a_start_hands_back_only_what_a_marker_names(self):
        run = VelmoraRun(config_xml=config(enable_fan=0))
        self.runs.append(run)
        # Another tool fixed the fan before the program starts.
        subprocess.run([harness.WINE_EXEC, harness.POKE_EXE, "setfan", "60"], env=run.env(),
                       check=True, timeout=30)
        self.assertEqual(cooler(run.state()), (POLICY_MANUAL, 60))
        run.start()
        self.assertTrue(run.wait_window())
        time.sleep(2)
        run.poke("close")
        self.assertTrue(run.wait_exit(20))
        self.assertEqual(cooler(run.state()), (POLICY_MANUAL, 60), "another tool's level taken")
        self.assertFalse(os.path.exists(run.marker_path))

        # The same fan, named by a marker a killed run left: this start hands it back.
        with open(run.marker_path, "w", encoding="ascii") as f:
            f.write("0\n")
        run.start()
        self.assertTrue(run.wait_state(lambda s: (cooler(s) or (0,))[0] == POLICY_AUTO, 30),
                        run.state())
        self.assertTrue(wait_until(lambda: not os.path.exists(run.marker_path), 5))

    def test_the_curve_goes_on_across_a_driver_restart(self):
        run = self.launch(config_xml=config(enable_fan=1), scenario=scenario(temperature=45))
        self.assertTrue(run.wait_window())
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 45)))
        # Every GPU handle the program has goes stale; the card is hotter meanwhile.
        run.write_scenario(scenario(temperature=70, driver_restarts=1))
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 70)), run.state())
        run.poke("close")
        self.assertTrue(run.wait_exit(20))
        self.assertEqual(cooler(run.state())[0], POLICY_AUTO)
        self.assertFalse(os.path.exists(run.marker_path))


class ScreenshotHotkey(E2ECase):
    VK_F11 = 0x7A
    # Stored modifier bits: 1 Shift, 2 Ctrl, 4 Alt. (Ctrl+Alt+F-keys are the X server's own
    # console switches and never reach a program.)
    CTRL_SHIFT = 1 | 2

    def test_the_hotkey_writes_a_bitmap_of_the_whole_screen(self):
        run_folder = os.path.join(self._outcome_dir(), "shots")
        os.makedirs(run_folder, exist_ok=True)
        target = os.path.join(run_folder, "Velmora.bmp")
        if os.path.exists(target):
            os.remove(target)
        run = self.launch(config_xml=config(hotkey=(self.VK_F11, self.CTRL_SHIFT),
                                            shot_folder=harness.wine_path(run_folder)))
        self.assertTrue(run.wait_window())
        time.sleep(1)
        # Wine hears the keyboard through its own windows: the pointer rests on the main window.
        rect = run.window_rect()
        subprocess.run(["xdotool", "mousemove", "--sync", str(rect[0] + 200), str(rect[1] + 200)],
                       check=True)
        run.key("ctrl+shift+F11")
        self.assertTrue(wait_until(lambda: os.path.exists(target) and os.path.getsize(target) > 54,
                                   15))
        time.sleep(0.5)
        with open(target, "rb") as f:
            data = f.read()
        self.assertEqual(data[:2], b"BM")
        size, = struct.unpack_from("<I", data, 2)
        self.assertEqual(size, len(data))
        identify = subprocess.run(["identify", "-format", "%w %h", target], capture_output=True,
                                  text=True, check=True).stdout.split()
        screen = subprocess.run(["xdpyinfo"], capture_output=True, text=True).stdout
        dims = [l for l in screen.splitlines() if "dimensions:" in l][0].split()[1]
        self.assertEqual("x".join(identify), dims)
        # Rows and colours in the right order: the foot of the left gauge's bar (lit in the
        # skin's blue whenever the card runs) has the colour the screen shows there.
        x, y = rect[0] + 56, rect[1] + 325
        on_screen = rgb(run.pixel(run.screenshot("hotkey-screen.png"), x, y))
        in_file = rgb(run.pixel(target, x, y))
        self.assertTrue(all(abs(a - b) <= 12 for a, b in zip(on_screen, in_file)),
                        (on_screen, in_file))

    def _outcome_dir(self):
        return os.environ.get("VELMORA_SHOT_DIR") or "/tmp"


if __name__ == "__main__":
    unittest.main(verbosity=2)
