"""End-to-end tests of the GPU information window and the choice of GPU on a machine with three
simulated cards: the picker, the whole program following the chosen GPU (gauges, monitoring,
fan curve), and docking under the main window."""

import os
import shutil
import tempfile
import time
import unittest

from harness import E2ECase, wait_until
from test_app import FAN_CURVE, LEFT_GAUGE, bar_height, config
from test_monitor import (GRAPHS, MONITOR_BUTTON, column, curve_height, decode_log,
                          monitoring_section, wine_path)

GPU_INFO_BUTTON = (346, 371)
# In information-window coordinates: the picker's header and its entries below, 22 px each.
PICKER = (220, 29)


def picker_entry(k):
    return (220, 40 + 22 * k + 11)


POLICY_MANUAL = 1
POLICY_AUTO = 0x20

# Three cards: the first without a readable name; clocks, temperatures and fans differ.
THREE_CARDS = """gpus = 3
[gpu 0]
name_readable = 0
load = 0
temperature = 40
[gpu 1]
name = GeForce GTX 1070
load = 50
temperature = 55
[gpu 2]
name = GeForce GTX 1080 Ti
load = 100
temperature = 77
"""


def fan_config(section=""):
    text = config(enable_fan=1, left=0, right=3)
    return text.replace("</Velmora>", section + "\n</Velmora>")


def policy(state, gpu):
    value = state.get("gpu%d.cooler_policy" % gpu)
    return int(value, 0) if value is not None else None


class GpuInformationWindow(E2ECase):
    def info_rect(self, run):
        parts = run.poke("tool-rect").split()
        return tuple(int(p) for p in parts) if len(parts) == 4 else None

    def click_info(self, run, point):
        """A click in information-window coordinates (it sits 15 px right of the main window's
        left edge, 5 px above its bottom)."""
        run.click(point[0] + 15, point[1] + 440 - 5)

    def test_the_last_item_points_the_whole_program_at_the_third_gpu(self):
        folder = tempfile.mkdtemp(prefix="velmora-log-")
        self.addCleanup(shutil.rmtree, folder, True)
        log = os.path.join(folder, "gpu log.txt")
        run = self.launch(config_xml=fan_config(monitoring_section(wine_path(log), period=250)),
                          scenario=THREE_CARDS)
        self.assertTrue(run.wait_window(), "main window did not appear")
        run.poke("move", "40", "40")
        self.assertTrue(wait_until(lambda: run.window_rect()[0] == 40, 10))
        # The curve holds the first GPU's fan.
        self.assertTrue(run.wait_state(lambda s: policy(s, 0) == POLICY_MANUAL), run.state())

        run.click(*GPU_INFO_BUTTON)
        rect = wait_until(lambda: self.info_rect(run), 10)
        main = run.window_rect()
        self.assertEqual(rect, (main[0] + 15, main[3] - 5, main[0] + 15 + 475, main[3] - 5 + 238))
        run.screenshot("gpuinfo-three-cards.png")

        # The picker lists "2.GeForce GTX 1070" and "3.GeForce GTX 1080 Ti"; the last is the
        # third GPU.
        self.click_info(run, PICKER)
        time.sleep(0.5)
        run.screenshot("gpuinfo-picker-open.png")
        self.click_info(run, picker_entry(1))

        # The first GPU's fan is the driver's again; the curve now drives the third.
        self.assertTrue(run.wait_state(lambda s: policy(s, 0) == POLICY_AUTO, 10), run.state())
        self.assertTrue(run.wait_state(lambda s: policy(s, 2) == POLICY_MANUAL, 10), run.state())
        self.assertNotEqual(policy(run.state(), 1), POLICY_MANUAL)

        # The gauges show the third card's clock.
        time.sleep(2.5)
        clock = int(run.state()["gpu2.gpu_clock_mhz"])
        height = bar_height(run, run.screenshot("gpuinfo-gauges.png"), LEFT_GAUGE)
        self.assertAlmostEqual(height, 256 * clock / 2500, delta=256 * 150 / 2500)

        # The monitoring window samples the third card: its temperature, 77 C.
        run.click(*MONITOR_BUTTON)
        time.sleep(4)
        lines = decode_log(log)
        self.assertGreater(len(lines), 4)
        for line in lines[2:]:
            self.assertEqual(column(line, 2).strip(), "77", line)

        # Docked: the main window moved by 100 pixels moves this window by as much.
        before = self.info_rect(run)
        run.poke("move", "140", "40")
        self.assertTrue(wait_until(
            lambda: self.info_rect(run) and self.info_rect(run)[0] == before[0] + 100, 10),
            self.info_rect(run))

        # Closing hands back whatever the curve holds: the third GPU's fan too.
        run.poke("close")
        self.assertTrue(run.wait_exit(20))
        state = run.state()
        self.assertEqual([policy(state, g) for g in range(3)], [POLICY_AUTO] * 3)


if __name__ == "__main__":
    unittest.main()
