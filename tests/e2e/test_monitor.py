"""End-to-end tests of the monitoring window, its history log and the LED lighting window, by
clicks, on the simulated card: what the graphs show, what lands in the log file and what the
card's LED controller receives."""

import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

from harness import E2ECase, wait_until
from test_app import config, scenario

MONITOR_BUTTON = (346, 409)
# The monitoring window's left edge sits 20 px left of the main window's right edge, tops level;
# the LED window's 15 px left of the monitoring window's right edge, 52 px lower.
MONITOR_X = 475 - 20
LED_X = MONITOR_X + 379 - 15
LED_Y = 52
# In monitoring-window coordinates.
LED_BUTTON = (346, 221)
MONITOR_CLOSE = (336, 15)
GRAPHS = ((55, 73, 303, 154), (55, 213, 303, 294), (55, 363, 303, 444), (55, 503, 303, 584))
# In LED-window coordinates.
STATE_DISPLAY = (53, 69)
BRIGHT = (53, 155)
BREATH = (53, 232)
CYCLE = (53, 309)
APPLY = (60, 353)
DEFAULT = (172, 353)

# The fill colour of the graphs in the Norvane skin, and the curve's grey.
NORVANE_FILL = (0, 156, 255)
CURVE_GREY = (188, 188, 188)

# Column of each sensor's title in the log's column header.
LOG_COLUMNS = (0, 17, 37, 60, 77, 97, 116, 133, 155, 174)
LOG_TITLE = "Velmora(Tessarin) -- Hardware monitoring logFile"
LOG_HEADER = ("GPU clock        Memory clock        GPU temperature        GPU usage        "
              "Memory usage        GPU voltage        Fan speed        Fan tachometer        "
              "PowerTarget        Shader clock")
STAMP = re.compile(r"^\d{4}-\d{1,2}-\d{1,2} \d{1,2}:\d{1,2}:\d{1,2}$")


def monitoring_section(log_path, period=250, graphs=None, log=1):
    """A "MonitoringDlg" section: graphs maps sensor element names to (max, min)."""
    graphs = graphs or {"GPUClock": (2500, 0), "GPUTemperature": (100, 0),
                        "GPUUsage": (100, 0), "FanSpeed": (100, 0)}
    names = ("GPUClock", "MemoryClock", "GPUTemperature", "GPUUsage", "MemoryUsage",
             "GPUVoltage", "FanSpeed", "FanTachometer", "PowerTarget", "ShaderClock")
    items = []
    for name in names:
        if name in graphs:
            mx, mn = graphs[name]
            items.append('<%s Max="%d" Min="%d">1</%s>' % (name, mx, mn, name))
        else:
            items.append('<%s Max="100" Min="0">0</%s>' % (name, name))
    return ("<MonitoringDlg><RefreshRate>%d</RefreshRate><blLogToFile>%d</blLogToFile>"
            "<LogToFilePath>%s</LogToFilePath>%s</MonitoringDlg>"
            % (period, log, log_path, "".join(items)))


def with_sections(*sections):
    return config().replace("</Velmora>", "".join(sections) + "\n</Velmora>")


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def decode_log(path):
    """The log file as its lines: UTF-16 little-endian without a byte-order mark, CR LF."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] not in (b"\xff\xfe", b"\xfe\xff"), "the log starts with a byte-order mark"
    assert len(data) % 2 == 0, "odd number of bytes in a UTF-16 file"
    text = "".join(chr(data[i] | data[i + 1] << 8) for i in range(0, len(data), 2))
    assert text.endswith("\r\n"), "the last line is incomplete"
    lines = text[:-2].split("\r\n")
    assert "\n" not in "".join(lines) and "\r" not in "".join(lines), "a bare CR or LF"
    return lines


def column(line, sensor):
    """The text standing in a sensor's column of a data line (up to the next column)."""
    start = 20 + LOG_COLUMNS[sensor]
    end = 20 + LOG_COLUMNS[sensor + 1] if sensor + 1 < len(LOG_COLUMNS) else len(line)
    return line[start:end]


def near(pixel, colour, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def curve_height(shot, window_rect, graph):
    """Height, from the graph's bottom, of the filled curve near its right edge (newest
    samples): the median over three columns, so a vertical grid line cannot decide it."""
    left, top, right, bottom = graph
    heights = []
    for x in (right - 4, right - 3, right - 2):
        out = subprocess.run(
            ["convert", shot, "-crop", "1x%d+%d+%d" % (bottom - top, window_rect[0] + x,
                                                      window_rect[1] + top),
             "-depth", "8", "txt:-"], capture_output=True, text=True, check=True).stdout
        lit = 0
        for line in reversed(out.splitlines()[1:]):
            inside = line.split("(")[1].split(")")[0].split(",")
            pixel = tuple(int(float(c)) for c in inside[:3])
            if near(pixel, NORVANE_FILL) or near(pixel, CURVE_GREY, 20):
                lit += 1
            else:
                break
        heights.append(lit)
    return sorted(heights)[1]


class MonitorCase(E2ECase):
    def open_program(self, sections, scn):
        run = self.launch(config_xml=with_sections(*sections), scenario=scn)
        self.assertTrue(run.wait_window(), "main window did not appear")
        run.poke("move", "40", "60")
        self.assertTrue(wait_until(lambda: run.window_rect()[0] == 40, 10))
        return run

    def away(self):
        subprocess.run(["xdotool", "mousemove", "0", "1000"], check=True)
        time.sleep(0.2)

    def tool_rect(self, run, which="tool-rect"):
        parts = run.poke(which).split()
        return tuple(int(p) for p in parts) if len(parts) == 4 else None

    def open_monitor(self, run):
        run.click(*MONITOR_BUTTON)
        rect = wait_until(lambda: self.tool_rect(run), 10)
        self.assertTrue(rect, "the monitoring window did not open")
        return rect

    def click_monitor(self, run, point):
        self.away()
        run.click(point[0] + MONITOR_X, point[1])

    def click_led(self, run, point):
        self.away()
        run.click(point[0] + LED_X, point[1] + LED_Y)


class MonitoringWindow(MonitorCase):
    def log_path(self):
        folder = tempfile.mkdtemp(prefix="velmora-log-")
        self.addCleanup(shutil.rmtree, folder, True)
        # A blank in the name, as in a user's documents folder.
        return os.path.join(folder, "history log.txt")

    def test_graphs_follow_the_card_and_the_log_holds_its_values_in_their_columns(self):
        log = self.log_path()
        run = self.open_program([monitoring_section(wine_path(log))],
                                scenario(load=15, temperature=55))
        main = run.window_rect()
        rect = self.open_monitor(run)
        self.assertEqual(rect, (main[2] - 20, main[1], main[2] - 20 + 379, main[1] + 672))

        # A quarter of a second per sample: after a few seconds the newest samples show 15 %.
        time.sleep(4)
        shot = run.screenshot("monitor-low.png")
        usage_low = curve_height(shot, rect, GRAPHS[2])
        temp = curve_height(shot, rect, GRAPHS[1])
        self.assertAlmostEqual(usage_low, 81 * 15 / 100, delta=5)
        self.assertAlmostEqual(temp, 81 * 55 / 100, delta=5)

        run.write_scenario(scenario(load=90, temperature=55))
        time.sleep(4)
        usage_high = curve_height(run.screenshot("monitor-high.png"), rect, GRAPHS[2])
        self.assertAlmostEqual(usage_high, 81 * 90 / 100, delta=5)

        # The log, read back by its own decoder: the two header lines, then one line a sample
        # with the shown sensors' values in their columns and the others' columns blank.
        lines = decode_log(log)
        self.assertGreater(len(lines), 2 + 20)
        for header, title in ((lines[0], LOG_TITLE), (lines[1], LOG_HEADER)):
            self.assertRegex(header[:20].rstrip(), STAMP)
            self.assertEqual(header[20:], title)
        data = lines[2:]
        for line in data:
            self.assertRegex(line[:20].rstrip(), STAMP, line)
            self.assertEqual(column(line, 2).strip(), "55", line)
            self.assertRegex(column(line, 0).strip(), r"^\d{3,4}$", line)
            for hidden in (1, 4, 5, 7, 8, 9):
                self.assertEqual(column(line, hidden).strip(), "", (hidden, line))
        usage = [int(column(line, 3)) for line in data]
        self.assertEqual(usage[0], 15)
        self.assertEqual(usage[-1], 90)
        state = run.state()
        self.assertEqual(int(column(data[-1], 0)), int(state["gpu0.gpu_clock_mhz"]))

    def test_docked_beside_the_main_window_it_moves_and_closes_with_it(self):
        run = self.open_program([monitoring_section("", log=0)], scenario(load=30))
        self.open_monitor(run)
        run.poke("move", "140", "90")
        self.assertTrue(wait_until(
            lambda: self.tool_rect(run) == (140 + 455, 90, 140 + 455 + 379, 90 + 672), 10),
            self.tool_rect(run))
        # A second press of the main window's button only shows the open window.
        run.click(*MONITOR_BUTTON)
        time.sleep(1)
        self.assertEqual(self.tool_rect(run), (595, 90, 974, 762))
        self.click_monitor(run, MONITOR_CLOSE)
        self.assertTrue(wait_until(lambda: self.tool_rect(run) is None, 10))

        # The skin pack gone while the program runs: the window says so and does not stay.
        os.remove(os.path.join(run.app_dir, "Norvane.dll"))
        run.click(*MONITOR_BUTTON)
        self.assertEqual(run.poke("msgbox", "Error", "ok"),
                         "Missing an essential boot files, please get a new installer!")
        self.assertTrue(wait_until(lambda: self.tool_rect(run, "tool-rect-any") is None, 10),
                        "the window without its skin stayed")
        time.sleep(1)
        self.assertIsNone(self.tool_rect(run, "tool-rect-any"))
        self.assertTrue(run.window_exists())


def led_packet(state):
    return state.get("gpu0.led.last_packet", "")


def packet(effect, brightness, speed, colours):
    """The bytes of an LED packet as the simulator's state file spells them."""
    body = [len(colours) + 5, effect, brightness, speed] + list(colours)
    body.append(0xFF - sum(body) % 256)
    return " ".join("%02X" % b for b in body)


# The temperature table: up to 60 C the card shows blue (the file's colours are red in the low
# byte: 0xFF0000 is blue).
LED_TABLE = '<LedSetDlg><TMP0 nMin="0" nMax="60" RGB="16711680"/></LedSetDlg>'


class LedWindow(MonitorCase):
    def test_without_a_controller_it_says_so_and_with_one_each_effect_reaches_the_card(self):
        run = self.open_program([monitoring_section("", log=0), LED_TABLE],
                                scenario(load=5, temperature=45) + "led = 0\n")
        self.open_monitor(run)
        self.click_monitor(run, LED_BUTTON)
        self.assertEqual(run.poke("msgbox", "tip", "ok"), "\u8be5\u663e\u5361\u4e0d\u652f\u6301LED\u529f\u80fd")
        time.sleep(1)
        self.assertIsNone(self.tool_rect(run, "voltage-rect"), "an LED window opened")

        # The same card with its controller: the presence test lights it green, the window opens
        # docked at the monitoring window's right edge.
        run.write_scenario(scenario(load=5, temperature=45))
        time.sleep(0.5)
        self.click_monitor(run, LED_BUTTON)
        led = wait_until(lambda: self.tool_rect(run, "voltage-rect"), 10)
        self.assertTrue(led, "the LED window did not open")
        main = run.window_rect()
        self.assertEqual(led, (main[0] + LED_X, main[1] + LED_Y, main[0] + LED_X + 366,
                               main[1] + LED_Y + 413))
        self.assertTrue(run.wait_state(
            lambda s: led_packet(s) == packet(1, 50, 4, (0, 255, 0))), run.state())
        run.screenshot("led-window.png")

        # Each effect with the window's first colours: green, full brightness for Bright at half
        # the slider, the slowest speed for the others.
        for radio, expected in ((BRIGHT, packet(0, 25, 2, (0, 255, 0))),
                                (BREATH, packet(1, 50, 2, (0, 255, 0))),
                                (CYCLE, packet(2, 50, 2, (0, 255, 0)))):
            self.click_led(run, radio)
            self.click_led(run, APPLY)
            self.assertTrue(run.wait_state(lambda s: led_packet(s) == expected, 10),
                            (expected, led_packet(run.state())))

        # Default: the temperature indication, in the table's colour at 45 C, then the red
        # warning once the card reaches 83 C.
        self.click_led(run, DEFAULT)
        self.assertTrue(run.wait_state(
            lambda s: led_packet(s) == packet(0, 50, 2, (0, 0, 255)), 10), run.state())
        run.write_scenario(scenario(load=5, temperature=85))
        self.assertTrue(run.wait_state(
            lambda s: led_packet(s) == packet(1, 50, 2, (255, 0, 0)), 10), run.state())

        # The button again closes the window (after its presence test).
        self.click_monitor(run, LED_BUTTON)
        self.assertTrue(wait_until(lambda: self.tool_rect(run, "voltage-rect") is None, 10))


if __name__ == "__main__":
    unittest.main()
