"""End-to-end tests of the clock settings window and its voltage window, by clicks, on the
simulated card: what lands on the card and in "Velmora.xml"."""

import os
import subprocess
import time
import unittest

from harness import E2ECase, wait_until
from test_app import POLICY_AUTO, POLICY_MANUAL, config, cooler, scenario
from test_settings import DIALOG_UNITS, OK_CENTRE, SETTINGS_BUTTON, settings_window

# The clock window sits 358 px left of the main window, tops level; the voltage window 353 px
# left of the clock window and 78 px lower. Clicks are aimed in main-window coordinates.
CLOCK_X = -358
VOLTAGE_X = CLOCK_X - 353
VOLTAGE_Y = 78

LOCK = (130, 371)
CUSTOMISE = (130, 409)
# In clock-window coordinates.
APPLY = (85, 610)
DEFAULT = (197, 610)
CANCEL = (309, 610)
PROFILE_TWO = (150, 644)
SLOT_TWO = (291, 644)
GPU_ADD_TEN = (284, 93)
MANUAL = (190, 337)
USER_DEFINED = (294, 337)
# The three fan-mode buttons, as a box of the clock window.
FAN_MODE_BUTTONS = (44, 320, 338, 355)
VOLTAGE = (30, 221)
# In voltage-window coordinates.
OVER_VOLTAGE_ON = (240, 110)
OVER_VOLTAGE_OFF = (302, 110)
OVER_VOLTAGE_UP = (322, 61)

CUSTOMISE_WARNING = (
    "Any inappropriate adjusting may cause unpredictable damages to your graphics card.\n"
    "Damages caused by customing your graphics card are not covered under any Tessarin product "
    "and may not be covered by your graphics card or system manufacturer's warranty.")


def clock_config(last=None, ui="Norvane"):
    """The test configuration with a "ClockSetDlg" section, and a "Last" profile if given."""
    text = config(ui=ui)
    profile = ""
    if last:
        profile = "<Last %s/>" % " ".join('%s="%s"' % kv for kv in last.items())
    section = "<ClockSetDlg><FanManual>0</FanManual>%s</ClockSetDlg>" % profile
    return text.replace("</Velmora>", section + "\n</Velmora>")


def offset_mhz(state):
    return int(state.get("gpu0.gpu_offset_khz", "-1")) // 1000


class ClockWindow(E2ECase):
    def open_program(self, **kwargs):
        # Far enough right that the voltage window is on the screen too.
        run = self.launch(config_xml=clock_config(**kwargs), scenario=scenario(load=30))
        self.assertTrue(run.wait_window(), "main window did not appear")
        run.poke("move", "760", "120")
        self.assertTrue(wait_until(lambda: run.window_rect()[0] == 760, 10))
        return run

    def open_clock(self, run, answer="yes"):
        run.click(*CUSTOMISE)
        return run.poke("msgbox", "Warning", answer)

    def click_clock(self, run, point):
        self.away(run)
        run.click(point[0] + CLOCK_X, point[1])

    def click_voltage(self, run, point):
        self.away(run)
        run.click(point[0] + VOLTAGE_X, point[1] + VOLTAGE_Y)

    def away(self, run):
        """The pointer leaves, as a user's hand does between clicks (a message box answered by
        the test leaves it where the last click was)."""
        subprocess.run(["xdotool", "mousemove", "0", "1000"], check=True)
        time.sleep(0.2)

    def tool_rect(self, run, which="tool-rect"):
        parts = run.poke(which).split()
        return tuple(int(p) for p in parts) if len(parts) == 4 else None

    def apply(self, run, answer="yes"):
        self.click_clock(run, APPLY)
        return run.poke("msgbox", "Warning", answer)

    def xml(self, run):
        with open(os.path.join(run.app_dir, "Velmora.xml"), encoding="utf-8-sig") as f:
            return f.read()

    def test_the_warning_no_opens_nothing_and_yes_writes_the_last_profile(self):
        run = self.open_program(last={"GPUClock": "100", "MemoryClock": "200", "FanType": "1"})
        self.assertEqual(self.open_clock(run, "no"), CUSTOMISE_WARNING)
        time.sleep(1.0)
        self.assertIsNone(self.tool_rect(run))
        self.assertEqual(offset_mhz(run.state()), 0)

        self.assertEqual(self.open_clock(run, "yes"), CUSTOMISE_WARNING)
        self.assertTrue(run.wait_state(lambda s: offset_mhz(s) == 100), run.state())
        self.assertEqual(int(run.state()["gpu0.memory_offset_khz"]), 200000)
        rect = wait_until(lambda: self.tool_rect(run), 10)
        self.assertEqual(rect, (760 - 358, 120, 760 - 358 + 379, 120 + 671))
        run.screenshot("clock-opened.png")

        # Open: the button only shows it, without asking again.
        run.click(*CUSTOMISE)
        self.assertEqual(run.poke("msgbox", "Warning", "text"), "none")

    def test_apply_asks_and_only_yes_writes_the_card_and_the_last_profile(self):
        run = self.open_program()
        self.open_clock(run)
        self.assertTrue(wait_until(lambda: self.tool_rect(run), 10))
        self.click_clock(run, GPU_ADD_TEN)
        self.click_clock(run, GPU_ADD_TEN)
        self.assertEqual(self.apply(run, "no"), "You sure you want to apply the settings?")
        time.sleep(1.0)
        self.assertEqual(offset_mhz(run.state()), 0)
        self.assertNotIn("<Last", self.xml(run))

        self.apply(run, "yes")
        self.assertTrue(run.wait_state(lambda s: offset_mhz(s) == 20), run.state())
        self.assertTrue(wait_until(lambda: 'Last GPUClock="20"' in self.xml(run), 10),
                        self.xml(run))

        # Cancel puts the applied 20 back; the next apply writes 20 again, not 30.
        self.click_clock(run, GPU_ADD_TEN)
        self.click_clock(run, CANCEL)
        self.apply(run, "yes")
        time.sleep(1.5)
        self.assertEqual(offset_mhz(run.state()), 20)

    def test_a_profile_saved_to_slot_two_loads_again(self):
        run = self.open_program()
        self.open_clock(run)
        self.assertTrue(wait_until(lambda: self.tool_rect(run), 10))
        self.click_clock(run, GPU_ADD_TEN)
        self.apply(run, "yes")
        self.assertTrue(run.wait_state(lambda s: offset_mhz(s) == 10))
        self.click_clock(run, SLOT_TWO)
        self.assertTrue(wait_until(lambda: '<Two GPUClock="10"' in self.xml(run), 10),
                        self.xml(run))
        run.screenshot("clock-saved-slot-two.png")

        self.click_clock(run, GPU_ADD_TEN)
        self.click_clock(run, GPU_ADD_TEN)
        self.apply(run, "yes")
        self.assertTrue(run.wait_state(lambda s: offset_mhz(s) == 30))
        self.click_clock(run, PROFILE_TWO)
        self.apply(run, "yes")
        self.assertTrue(run.wait_state(lambda s: offset_mhz(s) == 10), run.state())

    def test_manual_fan_and_default_with_the_voltage_window_open(self):
        run = self.open_program()
        self.open_clock(run)
        self.assertTrue(wait_until(lambda: self.tool_rect(run), 10))
        self.click_clock(run, VOLTAGE)
        vrect = wait_until(lambda: self.tool_rect(run, "voltage-rect"), 10)
        self.assertEqual(vrect[:2], (760 - 358 - 353, 120 + 78))
        run.screenshot("clock-and-voltage.png")

        self.click_clock(run, GPU_ADD_TEN)
        self.click_clock(run, MANUAL)
        self.apply(run, "yes")
        self.assertTrue(run.wait_state(lambda s: offset_mhz(s) == 10 and
                                       s.get("gpu0.cooler_policy") == "1"), run.state())

        self.click_clock(run, DEFAULT)
        self.assertTrue(run.wait_state(lambda s: offset_mhz(s) == 0 and
                                       s.get("gpu0.cooler_policy") == "32"), run.state())
        state = run.state()
        self.assertEqual(state["gpu0.over_voltage_uv"], "0")
        self.assertEqual(state["gpu0.voltage_delta_uv"], "0")
        self.assertIn("<FanManual>0</FanManual>", self.xml(run))

    def fan_mode_buttons(self, run, name):
        """The fan-mode buttons as the screen shows them (pixels), the pointer away."""
        self.away(run)
        time.sleep(0.5)
        rect = self.tool_rect(run)
        shot = run.screenshot(name)
        left, top, right, bottom = FAN_MODE_BUTTONS
        return subprocess.run(
            ["convert", shot, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top,
                                                        rect[0] + left, rect[1] + top),
             "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout

    def settings_ok(self, run, flip_fan_switch=False):
        """The settings button, then OK; flip_fan_switch first flips the Fan page's switch by the
        keyboard (the Fan tab, then its first control)."""
        self.away(run)
        run.click(*SETTINGS_BUTTON)
        rect = wait_until(settings_window, 15)
        self.assertTrue(rect, "the settings window did not open")
        time.sleep(0.8)
        if flip_fan_switch:
            for key, pause in (("Right", 1.0), ("Tab", 0.3), ("space", 0.5)):
                run.key(key)
                time.sleep(pause)
            run.screenshot("settings-fan-switch-flipped.png")
        ok = (rect[0] + round(OK_CENTRE[0] * rect[2] / DIALOG_UNITS[0]),
              rect[1] + round(OK_CENTRE[1] * rect[3] / DIALOG_UNITS[1]))
        subprocess.run(["xdotool", "mousemove", "--sync", str(ok[0]), str(ok[1])], check=True)
        time.sleep(0.2)
        subprocess.run(["xdotool", "click", "1"], check=True)
        self.assertTrue(wait_until(lambda: settings_window() is None, 10), "OK did not close it")
        time.sleep(1.0)

    def test_settings_ok_keeps_a_manual_fan_and_a_switch_turned_off_hands_the_fan_back(self):
        run = self.open_program()
        self.open_clock(run)
        self.assertTrue(wait_until(lambda: self.tool_rect(run), 10))
        automatic = self.fan_mode_buttons(run, "clock-fan-automatic.png")
        self.click_clock(run, MANUAL)
        self.apply(run, "yes")
        self.assertTrue(run.wait_state(lambda s: (cooler(s) or (0,))[0] == POLICY_MANUAL),
                        run.state())
        held = cooler(run.state())
        manual = self.fan_mode_buttons(run, "clock-fan-manual.png")
        self.assertNotEqual(manual, automatic)

        # OK with nothing touched: the level stays, and so does what the windows say of it.
        self.settings_ok(run)
        self.assertEqual(cooler(run.state()), held, "the manual level did not stay")
        self.assertEqual(self.fan_mode_buttons(run, "clock-fan-after-ok.png"), manual,
                         "the clock window no longer shows the manual mode")
        self.assertIn("<FanManual>1</FanManual>", self.xml(run))
        time.sleep(1.0)
        self.assertEqual(cooler(run.state()), held)

        # The curve from the clock window, then switched off on the Fan page: the driver's.
        self.click_clock(run, USER_DEFINED)
        self.apply(run, "yes")
        self.assertTrue(wait_until(lambda: "<FanManual>0</FanManual>" in self.xml(run), 10))
        self.assertEqual(cooler(run.state())[0], POLICY_MANUAL)
        self.settings_ok(run, flip_fan_switch=True)
        self.assertTrue(run.wait_state(lambda s: cooler(s)[0] == POLICY_AUTO, 10), run.state())
        self.assertEqual(self.fan_mode_buttons(run, "clock-fan-switched-off.png"), automatic,
                         "the clock window does not show the automatic mode")
        time.sleep(1.0)
        self.assertEqual(cooler(run.state())[0], POLICY_AUTO)

    def test_over_voltage_asks_on_every_click_and_off_writes_zero_at_once(self):
        run = self.open_program()
        self.open_clock(run)
        self.assertTrue(wait_until(lambda: self.tool_rect(run), 10))
        self.click_clock(run, VOLTAGE)
        self.assertTrue(wait_until(lambda: self.tool_rect(run, "voltage-rect"), 10))

        self.click_voltage(run, OVER_VOLTAGE_ON)
        text = run.poke("msgbox", "Warning", "no")
        self.assertTrue(text.startswith("Enabling this function may cause"), text)
        self.apply(run, "yes")
        time.sleep(1.5)
        self.assertEqual(run.state()["gpu0.over_voltage_uv"], "0")

        # With over-voltage on, the next click asks again.
        self.click_voltage(run, OVER_VOLTAGE_ON)
        run.poke("msgbox", "Warning", "yes")
        self.click_voltage(run, OVER_VOLTAGE_ON)
        self.assertTrue(run.poke("msgbox", "Warning", "yes").startswith("Enabling"))

        # One step of 12.5 mV applied; then off writes 0 at once, without an apply.
        self.click_voltage(run, OVER_VOLTAGE_UP)
        self.apply(run, "yes")
        self.assertTrue(run.wait_state(lambda s: s.get("gpu0.over_voltage_uv") == "12500"),
                        run.state())
        self.click_voltage(run, OVER_VOLTAGE_OFF)
        self.assertTrue(run.wait_state(lambda s: s.get("gpu0.over_voltage_uv") == "0"))

    def test_the_lock_freezes_the_clock_window(self):
        run = self.open_program()
        self.open_clock(run)
        self.assertTrue(wait_until(lambda: self.tool_rect(run), 10))
        run.click(*LOCK)
        self.click_clock(run, GPU_ADD_TEN)
        self.click_clock(run, APPLY)
        self.assertEqual(run.poke("msgbox", "Warning", "text"), "none")
        run.screenshot("clock-locked.png")

        run.click(*LOCK)
        self.click_clock(run, GPU_ADD_TEN)
        self.apply(run, "yes")
        # Only the click made after the lock was lifted counts.
        self.assertTrue(run.wait_state(lambda s: offset_mhz(s) == 10), run.state())

    def test_the_windows_follow_the_main_window_and_minimise_with_it(self):
        run = self.open_program()
        self.open_clock(run)
        self.assertTrue(wait_until(lambda: self.tool_rect(run), 10))
        self.click_clock(run, VOLTAGE)
        self.assertTrue(wait_until(lambda: self.tool_rect(run, "voltage-rect"), 10))

        run.poke("move", "800", "200")
        self.assertTrue(wait_until(lambda: self.tool_rect(run) == (442, 200, 821, 871), 10),
                        self.tool_rect(run))
        self.assertTrue(wait_until(
            lambda: self.tool_rect(run, "voltage-rect") == (89, 278, 455, 566), 10),
            self.tool_rect(run, "voltage-rect"))

        run.poke("syscmd-minimize")
        self.assertTrue(wait_until(lambda: run.poke("iconic") == "1 1 1", 10), run.poke("iconic"))
        run.poke("syscmd-restore")
        self.assertTrue(wait_until(lambda: run.poke("iconic") == "0 0 0", 10), run.poke("iconic"))


class ClockWindowSkins(E2ECase):
    def test_both_windows_in_every_skin(self):
        for skin in ("Norvane", "Talwyn", "Ostrid"):
            run = self.launch(config_xml=clock_config(ui=skin), scenario=scenario(load=30))
            self.assertTrue(run.wait_window(), "main window did not appear")
            run.poke("move", "760", "120")
            run.click(*CUSTOMISE)
            run.poke("msgbox", "Warning", "yes")
            self.assertTrue(wait_until(lambda: run.poke("tool-rect") != "none", 10))
            run.click(VOLTAGE[0] + CLOCK_X, VOLTAGE[1])
            self.assertTrue(wait_until(lambda: run.poke("voltage-rect") != "none", 10))
            time.sleep(1.0)
            run.screenshot("clock-%s.png" % skin.lower())
            run.stop()
            self.runs.remove(run)


if __name__ == "__main__":
    unittest.main()
