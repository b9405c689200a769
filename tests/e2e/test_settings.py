"""End-to-end tests of the settings window, by clicks on the running program: it opens over the
disabled main window, Cancel leaves "Velmora.xml" as it was, OK stores the pages and switches
every window to the chosen skin at once, and a file dialog that browses elsewhere leaves the
program's own files beside it."""

import os
import subprocess
import time
import unittest

import harness
from harness import VelmoraRun, wait_until
from test_app import config
from test_monitor import monitoring_section, with_sections

SETTINGS_BUTTON = (375, 17)
CLOSE_BUTTON = (435, 17)
# The settings window in dialog units (its template): size, OK and Cancel centres.
DIALOG_UNITS = (218, 340)
OK_CENTRE = (99 + 21.5, 323 + 6)
CANCEL_CENTRE = (159 + 21.5, 323 + 6)
TAB_UI = 5
# A point on the main window's frame whose colour belongs to the skin.
SKIN_POINT = (56, 325)


def settings_window():
    out = subprocess.run(["xdotool", "search", "--name", "^Seting Properties$"],
                         capture_output=True, text=True).stdout.split()
    for w in out:
        state = subprocess.run(["xdotool", "getwindowgeometry", "--shell", w],
                               capture_output=True, text=True).stdout
        g = dict(line.split("=", 1) for line in state.split())
        visible = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                  "^Seting Properties$"], capture_output=True, text=True)
        if w in visible.stdout.split():
            return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])
    return None


class SettingsWindow(unittest.TestCase):
    """One program start for all checks, run in the order of their names."""

    @classmethod
    def setUpClass(cls):
        cls.app = VelmoraRun(config_xml=with_sections(monitoring_section("")))
        cls.app.start()
        assert cls.app.wait_window(), "main window did not appear"
        cls.app.poke("move", "40", "60")
        assert wait_until(lambda: cls.app.window_rect()[0] == 40, 10)
        time.sleep(1)
        cls.xml = os.path.join(cls.app.app_dir, "Velmora.xml")

    @classmethod
    def tearDownClass(cls):
        cls.app.stop()

    def file_bytes(self):
        with open(self.xml, "rb") as f:
            return f.read()

    def open_settings(self):
        self.assertIsNone(settings_window(), "the settings window is open already")
        self.app.click(*SETTINGS_BUTTON)
        rect = wait_until(settings_window, 15)
        self.assertTrue(rect, "the settings window did not open")
        time.sleep(0.8)
        return rect

    def click_at(self, rect, du):
        x = rect[0] + round(du[0] * rect[2] / DIALOG_UNITS[0])
        y = rect[1] + round(du[1] * rect[3] / DIALOG_UNITS[1])
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)
        time.sleep(0.2)
        subprocess.run(["xdotool", "click", "1"], check=True)
        time.sleep(0.5)

    def choose_next_skin(self, rect):
        """The UI tab, then the entry after the chosen one in its skin list: the tabs have the
        focus when the window opens; from them the keyboard passes the folder field, its browse
        button and the hotkey field."""
        for _ in range(TAB_UI):
            self.app.key("Right")
            time.sleep(0.3)
        for _ in range(4):
            self.app.key("Tab")
            time.sleep(0.2)
        self.app.key("Down")
        time.sleep(0.8)

    def skin_pixel(self, name):
        rect = self.app.window_rect()
        shot = self.app.screenshot(name)
        return harness_rgb(self.app.pixel(shot, rect[0] + SKIN_POINT[0], rect[1] + SKIN_POINT[1]))

    def test_1_the_button_opens_it_over_the_disabled_main_window(self):
        rect = self.open_settings()
        self.app.screenshot("settings-open.png")
        # The main window takes no clicks meanwhile: its close button does nothing.
        self.app.click(*CLOSE_BUTTON)
        time.sleep(1.5)
        self.assertTrue(self.app.running())
        self.assertEqual(settings_window(), rect)
        self.click_at(rect, CANCEL_CENTRE)
        self.assertTrue(wait_until(lambda: settings_window() is None, 10))

    def test_2_cancel_after_a_change_leaves_the_file_and_the_skin(self):
        before = self.file_bytes()
        pixel = self.skin_pixel("settings-before-cancel.png")
        rect = self.open_settings()
        self.choose_next_skin(rect)
        self.app.screenshot("settings-ui-page-changed.png")
        self.click_at(rect, CANCEL_CENTRE)
        self.assertTrue(wait_until(lambda: settings_window() is None, 10))
        time.sleep(1)
        self.assertEqual(self.file_bytes(), before)
        self.assertEqual(self.skin_pixel("settings-after-cancel.png"), pixel)

    def test_3_ok_stores_the_skin_and_switches_the_windows(self):
        before = self.skin_pixel("settings-before-ok.png")
        rect = self.open_settings()
        self.choose_next_skin(rect)
        self.click_at(rect, OK_CENTRE)
        self.assertTrue(wait_until(lambda: settings_window() is None, 10))
        text = self.file_bytes().decode("utf-8", "replace")
        self.assertIn("<UiName>Talwyn</UiName>", text)
        # The section the Monitoring page saved keeps its graphs.
        self.assertIn("<RefreshRate>250</RefreshRate>", text)
        self.assertTrue(wait_until(
            lambda: self.skin_pixel("settings-after-ok.png") != before, 10),
            "the main window kept its skin")
        self.assertTrue(self.app.running())


class FilesBesideTheProgram(unittest.TestCase):
    """The Monitoring page's "..." dialog browses to another folder and saves the log there;
    the program's own files are still the ones beside it afterwards: OK stores the page in the
    program's "Velmora.xml" (none appears in the browsed folder) and the monitoring window
    still finds its skin pack and writes the log where it was chosen."""

    TAB_MONITORING = 3

    def dialog_window(self):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Save As$"],
                             capture_output=True, text=True).stdout.split()
        return out[0] if out else None

    def test_a_log_saved_in_another_folder_leaves_the_programs_files_where_they_are(self):
        from test_monitor import MONITOR_BUTTON, decode_log, LOG_TITLE
        app = VelmoraRun(config_xml=with_sections(monitoring_section("", log=1)))
        browsed = os.path.join(app.root, "browsed folder")
        os.makedirs(browsed)
        app.start()
        try:
            self.assertTrue(app.wait_window(), "main window did not appear")
            app.poke("move", "40", "60")
            self.assertTrue(wait_until(lambda: app.window_rect()[0] == 40, 10))
            time.sleep(1)
            app.click(*SETTINGS_BUTTON)
            rect = wait_until(settings_window, 15)
            self.assertTrue(rect, "the settings window did not open")
            time.sleep(0.8)
            for _ in range(self.TAB_MONITORING):
                app.key("Right")
                time.sleep(0.3)
            # From the tabs: the period, the log check box, the log path, then "...".
            for _ in range(4):
                app.key("Tab")
                time.sleep(0.2)
            app.key("space")
            self.assertTrue(wait_until(self.dialog_window, 15), "the save dialog did not open")
            time.sleep(1.0)
            app.screenshot("settings-log-dialog.png")
            # Into the other folder first, as a user browses, then the file's name.
            app.key("ctrl+a")
            subprocess.run(["xdotool", "type", "--delay", "20", harness.wine_path(browsed)],
                           check=True)
            app.key("Return")
            time.sleep(1.5)
            app.key("ctrl+a")
            subprocess.run(["xdotool", "type", "--delay", "20", "gpu log.txt"], check=True)
            app.key("Return")
            self.assertTrue(wait_until(lambda: self.dialog_window() is None, 10),
                            "the save dialog stayed open")
            time.sleep(0.5)
            app.screenshot("settings-log-chosen.png")
            ok = (rect[0] + round(OK_CENTRE[0] * rect[2] / DIALOG_UNITS[0]),
                  rect[1] + round(OK_CENTRE[1] * rect[3] / DIALOG_UNITS[1]))
            subprocess.run(["xdotool", "mousemove", "--sync", str(ok[0]), str(ok[1])], check=True)
            time.sleep(0.2)
            subprocess.run(["xdotool", "click", "1"], check=True)
            self.assertTrue(wait_until(lambda: settings_window() is None, 10))

            log = os.path.join(browsed, "gpu log.txt")
            with open(os.path.join(app.app_dir, "Velmora.xml"), encoding="utf-8-sig") as f:
                text = f.read()
            self.assertIn("<LogToFilePath>%s</LogToFilePath>" % harness.wine_path(log), text)
            self.assertEqual(sorted(os.listdir(browsed)), [],
                             "something was written in the browsed folder")

            app.click(*MONITOR_BUTTON)
            self.assertEqual(app.poke("msgbox", "Error", "ok"), "none",
                             "the monitoring window did not find its skin pack")
            self.assertTrue(wait_until(lambda: len(app.poke("tool-rect").split()) == 4, 10),
                            "the monitoring window did not open")
            def log_lines():
                try:
                    return decode_log(log) if os.path.exists(log) else []
                except AssertionError:  # a line on its way
                    return []
            self.assertTrue(wait_until(lambda: len(log_lines()) >= 3, 15), "no log was written")
            self.assertIn(LOG_TITLE, log_lines()[0])
            self.assertEqual(sorted(os.listdir(browsed)), ["gpu log.txt"])
            app.screenshot("settings-log-monitoring.png")
        finally:
            app.stop()


def black_area(path, rect):
    """The largest black rectangle inside the settings window of a screenshot: the fan curve
    editor's control (its plot is drawn on black). (left, top, right, bottom) on the screen."""
    from PIL import Image
    img = Image.open(path).convert("RGB")
    x0, y0, w, h = rect
    best = None
    for y in range(y0, y0 + h, 4):
        run_start = None
        for x in range(x0, x0 + w + 1):
            black = x < x0 + w and img.getpixel((x, y)) == (0, 0, 0)
            if black and run_start is None:
                run_start = x
            elif not black and run_start is not None:
                if x - run_start > 150 and (best is None or x - run_start >= best[2] - best[0]):
                    if best is None or best[0] != run_start:
                        best = [run_start, y, x, y]
                    best[3] = y
                run_start = None
    if best is None:
        return None
    left, _, right, _ = best
    top = best[1]
    while top > y0 and img.getpixel((left + 2, top - 1)) == (0, 0, 0):
        top -= 1
    bottom = best[3]
    while bottom < y0 + h and img.getpixel((left + 2, bottom + 1)) == (0, 0, 0):
        bottom += 1
    return left, top, right, bottom + 1


class FanPageOfTheSettings(unittest.TestCase):
    """The Fan page: a point of the curve dragged and OK pressed reaches "Velmora.xml" and the
    running curve at once."""

    def test_a_dragged_point_reaches_the_file_and_the_running_curve(self):
        from test_app import FAN_CURVE, scenario
        xml = config(enable_fan=1)
        app = VelmoraRun(config_xml=xml, scenario=scenario(temperature=65))
        app.start()
        try:
            self.assertTrue(app.wait_window(), "main window did not appear")
            app.poke("move", "40", "60")
            # The delivered curve at 65 C: between (60, 60) and (70, 70).
            self.assertTrue(app.wait_state(
                lambda s: s.get("gpu0.cooler_set_level") == "65" and
                s.get("gpu0.cooler_policy") == "1", 20), app.state())
            app.click(*SETTINGS_BUTTON)
            rect = wait_until(settings_window, 15)
            self.assertTrue(rect, "the settings window did not open")
            time.sleep(0.8)
            app.key("Right")  # the Fan tab
            time.sleep(1.0)
            shot = app.screenshot("settings-fan-page.png")
            area = black_area(shot, rect)
            self.assertTrue(area, "no curve editor on the Fan page")
            left, top, right, bottom = area
            # The plot inside the control, and point 4 (60, 60) on it.
            plot = (left + 23, top + 30, right - 22, bottom - 40)
            width, height = plot[2] - plot[0], plot[3] - plot[1]
            x = int(width * 60 / 100 + 0.5 + plot[0])
            y = int(plot[3] - (height * 60 / 100 + 0.5))
            for step in (["mousemove", "--sync", str(x), str(y)], ["mousedown", "1"],
                         ["mousemove", "--sync", str(x), str(y - 30)],
                         ["mousemove", "--sync", str(x), str(plot[1] - 10)], ["mouseup", "1"]):
                subprocess.run(["xdotool"] + step, check=True)
                time.sleep(0.3)
            app.screenshot("settings-fan-page-dragged.png")
            ok = (rect[0] + round(OK_CENTRE[0] * rect[2] / DIALOG_UNITS[0]),
                  rect[1] + round(OK_CENTRE[1] * rect[3] / DIALOG_UNITS[1]))
            subprocess.run(["xdotool", "mousemove", "--sync", str(ok[0]), str(ok[1])], check=True)
            subprocess.run(["xdotool", "click", "1"], check=True)
            self.assertTrue(wait_until(lambda: settings_window() is None, 10))
            with open(os.path.join(app.app_dir, "Velmora.xml"), encoding="utf-8-sig") as f:
                text = f.read()
            self.assertIn('FourY="100"', text)
            self.assertIn('FourX="60"', text)
            # Now between (60, 100) and (70, 70) at 65 C: 85 %.
            self.assertTrue(app.wait_state(lambda s: s.get("gpu0.cooler_set_level") == "85", 10),
                            app.state())
        finally:
            app.stop()


def harness_rgb(pixel):
    inside = pixel[pixel.index("(") + 1:pixel.index(")")].split(",")
    return tuple(int(float(c)) for c in inside[:3])


if __name__ == "__main__":
    unittest.main(verbosity=2)
