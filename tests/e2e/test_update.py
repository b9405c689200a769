"""End-to-end tests of the update check the program runs at every start, against an HTTP server
on 127.0.0.1 that the test starts and whose answers it chooses: the offer and its answers, the
descriptor left or deleted, the schedule's date keys, and the faults of the server and of the
descriptor; and against a server that never answers, "Check now" on the settings window's
General page with the fan curve going on meanwhile, and the program's end while a check is in
flight."""

import datetime
import http.server
import os
import shutil
import socket
import subprocess
import threading
import time
import unittest

from harness import E2ECase, wait_until
from test_app import CLOSE_BUTTON, POLICY_AUTO, POLICY_MANUAL, config, cooler, scenario
from test_settings import CANCEL_CENTRE, DIALOG_UNITS, SETTINGS_BUTTON, settings_window

POKE_DIR = os.path.dirname(os.environ.get("VELMORA_POKE_EXE", ""))
UPDATER = os.path.join(POKE_DIR, "VelmoraUpdate2.0.exe")
DESCRIPTOR_PATH = "/updata/Velmora/VelmoraUpdate.xml"
OFFER_CAPTION = "New version available"
OFFER_TEXT = "A newer version of Velmora is available. Do you want to download it now?"
FAILED_TEXT = "The new version failed to detect\uff01"
SETTINGS_CAPTION = "Seting Properties"
CHECK_NOW = "Check now"
# The limit of one whole download of the descriptor in the program.
DOWNLOAD_LIMIT_S = 20
# A name that never resolves (the reserved top-level domain).
UNRESOLVABLE_SERVER = "http://update.velmora.invalid"


def descriptor(version):
    return ('<?xml version="1.0" encoding="utf-8"?>\n'
            "<VelmoraUpdate><Version>%d</Version></VelmoraUpdate>\n" % version)


class UpdateServer:
    """Answers every request with the next of the answers set (the last one again after
    that), as an update server that a cache would gladly keep for an hour."""

    def __init__(self):
        self.answers = [(200, descriptor(300))]
        self.requests = []
        outer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                outer.requests.append(self.path)
                status, body = outer.answers[min(len(outer.requests), len(outer.answers)) - 1]
                data = body.encode("utf-8")
                self.send_response(status)
                self.send_header("Content-Type", "text/xml")
                self.send_header("Content-Length", str(len(data)))
                self.send_header("Cache-Control", "max-age=3600")
                self.send_header("Expires", "Thu, 01 Jan 2099 00:00:00 GMT")
                self.end_headers()
                self.wfile.write(data)

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = "http://127.0.0.1:%d" % self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class SilentServer:
    """Takes every connection on 127.0.0.1 and never answers; lets go of them all and stops by
    itself after `lifetime` seconds."""

    def __init__(self, lifetime=120):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(16)
        self.sock.settimeout(0.2)
        self.url = "http://127.0.0.1:%d" % self.sock.getsockname()[1]
        self.connections = []
        self.stopped = False
        self.thread = threading.Thread(target=self._serve, args=(time.monotonic() + lifetime,),
                                       daemon=True)
        self.thread.start()

    def _serve(self, end):
        while not self.stopped and time.monotonic() < end:
            try:
                conn, _ = self.sock.accept()
                self.connections.append(conn)
            except socket.timeout:
                pass
        for conn in self.connections:
            conn.close()
        self.sock.close()

    def close(self):
        self.stopped = True
        self.thread.join(5)


def fan_writes(run):
    """Operations the simulated card accepted so far; with only the fan curve setting anything,
    its writes."""
    return int(run.state().get("set_operations", "0"))


def settings_text(run):
    with open(os.path.join(run.app_dir, "Velmora.xml"), encoding="utf-8") as f:
        return f.read()


def free_port_nobody_listens_on():
    server = http.server.HTTPServer(("127.0.0.1", 0), http.server.BaseHTTPRequestHandler)
    port = server.server_address[1]
    server.server_close()
    return port


def update_config(server_url, mode, day=1, week=1, month=1, enable_fan=0):
    general = ("<GeneralDlg><StartMinized>0</StartMinized><UpadteCheck>%d</UpadteCheck>"
               "<UpadteDay>%d</UpadteDay><UpdateWeek>%d</UpdateWeek><UpadteMonth>%d</UpadteMonth>"
               "<UpdateServer>%s</UpdateServer></GeneralDlg>"
               % (mode, day, week, month, server_url))
    text = config(enable_fan=enable_fan)
    start = text.index("<GeneralDlg>")
    end = text.index("</GeneralDlg>") + len("</GeneralDlg>")
    return text[:start] + general + text[end:]


class ScheduledUpdateCheck(E2ECase):
    def setUp(self):
        super().setUp()
        self.server = UpdateServer()

    def tearDown(self):
        super().tearDown()
        self.server.close()

    def start(self, mode, answers, **keys):
        self.server.answers = answers
        self.server.requests = []
        run = self.launch(config_xml=update_config(self.server.url, mode, **keys),
                          scenario=scenario(temperature=60))
        shutil.copy(UPDATER, run.app_dir)
        return run

    def descriptor_file(self, run):
        return os.path.join(run.app_dir, "VelmoraUpdate.xml")

    def updater_ran(self, run):
        return os.path.join(run.app_dir, "updater-ran.txt")

    def wait_request(self, count=1):
        return wait_until(lambda: len(self.server.requests) >= count, 30)

    def test_yes_starts_the_updater_and_the_program_ends_handing_the_fan_back(self):
        run = self.start(1, [(200, descriptor(301))], enable_fan=1)
        self.assertTrue(run.wait_window())
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 60)))
        self.assertEqual(run.poke("msgbox", OFFER_CAPTION, "yes"), OFFER_TEXT)
        self.assertTrue(run.wait_exit(20), "the program did not end after Yes")
        self.assertEqual(cooler(run.state())[0], POLICY_AUTO)
        self.assertTrue(wait_until(lambda: os.path.exists(self.updater_ran(run)), 10),
                        "the updater was not started")
        with open(self.updater_ran(run)) as f:
            self.assertEqual(f.read(), "arguments=0\n")
        # The updater gets the descriptor it was started for.
        self.assertTrue(os.path.exists(self.descriptor_file(run)))
        self.assertEqual(self.server.requests, [DESCRIPTOR_PATH])

    def test_no_deletes_the_descriptor_and_the_program_goes_on(self):
        run = self.start(1, [(200, descriptor(301))])
        self.assertTrue(run.wait_window())
        self.assertEqual(run.poke("msgbox", OFFER_CAPTION, "no"), OFFER_TEXT)
        self.assertTrue(wait_until(lambda: not os.path.exists(self.descriptor_file(run)), 10))
        time.sleep(1)
        self.assertTrue(run.running())
        self.assertTrue(run.window_exists())
        self.assertFalse(os.path.exists(self.updater_ran(run)))

    def test_each_start_asks_the_server_again(self):
        # First start: the same version, so no question and the descriptor goes.
        run = self.start(1, [(200, descriptor(300)), (200, descriptor(301))])
        self.assertTrue(run.wait_window())
        self.assertTrue(self.wait_request(1))
        self.assertEqual(run.poke("msgbox", OFFER_CAPTION, "no"), "none")
        self.assertFalse(os.path.exists(self.descriptor_file(run)))
        run.stop()
        # Second start, same address: the server's new answer, not a kept copy, is offered.
        run = self.launch(config_xml=update_config(self.server.url, 1),
                          scenario=scenario(temperature=60))
        self.assertTrue(run.wait_window())
        self.assertEqual(run.poke("msgbox", OFFER_CAPTION, "no"), OFFER_TEXT)
        self.assertEqual(self.server.requests, [DESCRIPTOR_PATH, DESCRIPTOR_PATH])

    def test_never_still_fetches_the_descriptor_and_leaves_it(self):
        run = self.start(0, [(200, descriptor(301))])
        self.assertTrue(run.wait_window())
        self.assertTrue(self.wait_request(1))
        self.assertEqual(run.poke("msgbox", OFFER_CAPTION, "no"), "none")
        self.assertTrue(os.path.exists(self.descriptor_file(run)))

    def test_daily_asks_once_a_day_and_stores_the_day(self):
        today = datetime.date.today()
        # Checked today already: no question.
        run = self.start(2, [(200, descriptor(301))], day=today.day)
        self.assertTrue(run.wait_window())
        self.assertTrue(self.wait_request(1))
        self.assertEqual(run.poke("msgbox", OFFER_CAPTION, "no"), "none")
        run.stop()
        # Checked on another day: the question, and today is stored before it is asked.
        other = 1 if today.day != 1 else 2
        run = self.start(2, [(200, descriptor(301))], day=other)
        self.assertTrue(run.wait_window())
        self.assertTrue(wait_until(lambda: "<UpadteDay>%d</UpadteDay>" % today.day in
                                   settings_text(run), 30))
        self.assertEqual(run.poke("msgbox", OFFER_CAPTION, "no"), OFFER_TEXT)

    def test_faults_of_the_server_or_the_descriptor_end_the_check_silently(self):
        down = "http://127.0.0.1:%d" % free_port_nobody_listens_on()
        cases = {
            # name: (server, answer, descriptor left on disk)
            "server down": (down, (200, descriptor(301)), False),
            "not found": (None, (404, "<html><body>Not found</body></html>"), False),
            "not well-formed": (None, (200, "<VelmoraUpdate><Version>301</Version>"), True),
            "document type": (None, (200, '<!DOCTYPE VelmoraUpdate [<!ENTITY v "301">]>'
                                          "<VelmoraUpdate><Version>&v;</Version>"
                                          "</VelmoraUpdate>"), True),
            "external entity": (None, (200, '<!DOCTYPE VelmoraUpdate [<!ENTITY v SYSTEM '
                                            '"file:///etc/hostname">]><VelmoraUpdate>'
                                            "<Version>&v;</Version></VelmoraUpdate>"), True),
        }
        for name, (server, answer, left) in cases.items():
            with self.subTest(case=name):
                self.server.answers = [answer]
                self.server.requests = []
                run = self.launch(config_xml=update_config(server or self.server.url, 1),
                                  scenario=scenario(temperature=60))
                try:
                    self.assertTrue(run.wait_window())
                    if server is None:
                        self.assertTrue(self.wait_request(1))
                    self.assertEqual(run.poke("msgbox", OFFER_CAPTION, "no"), "none")
                    self.assertTrue(run.running())
                    self.assertEqual(os.path.exists(self.descriptor_file(run)), left)
                finally:
                    run.stop()


def click_screen(x, y):
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)
    time.sleep(0.2)
    subprocess.run(["xdotool", "click", "1"], check=True)


class CheckNowAgainstASilentServer(E2ECase):
    """"Check now" reached by clicks: the settings button, then the General page's button."""

    def setUp(self):
        super().setUp()
        self.silent = SilentServer()

    def tearDown(self):
        super().tearDown()
        self.silent.close()

    def start_with_curve(self):
        run = self.launch(config_xml=update_config(self.silent.url, 0, enable_fan=1),
                          scenario=scenario(temperature=60))
        self.assertTrue(run.wait_window())
        self.assertTrue(run.wait_state(lambda s: cooler(s) == (POLICY_MANUAL, 60)))
        run.poke("move", "40", "60")
        self.assertTrue(wait_until(lambda: run.window_rect()[0] == 40, 10))
        return run

    def open_settings(self, run):
        run.click(*SETTINGS_BUTTON)
        rect = wait_until(settings_window, 15)
        self.assertTrue(rect, "the settings window did not open")
        return rect

    def button_state(self, run):
        return run.poke("control-enabled", SETTINGS_CAPTION, CHECK_NOW)

    def click_check_now(self, run):
        def button_rect():
            out = run.poke("control-rect", SETTINGS_CAPTION, CHECK_NOW).split()
            return out if len(out) == 4 else None
        parts = wait_until(button_rect, 10)
        self.assertTrue(parts, "no Check now button on the settings window")
        left, top, right, bottom = (int(p) for p in parts)
        click_screen((left + right) // 2, (top + bottom) // 2)
        clicked = time.monotonic()
        # The page shows that a check is running: its button waits.
        self.assertTrue(wait_until(lambda: self.button_state(run) == "0", 5),
                        "the page does not show the check running")
        return clicked

    def test_the_fan_curve_goes_on_and_the_check_ends_in_its_message(self):
        run = self.start_with_curve()
        self.open_settings(run)
        clicked = self.click_check_now(run)
        self.assertTrue(wait_until(lambda: self.silent.connections, 10))
        run.screenshot("check-now-running.png")
        before, since = fan_writes(run), time.monotonic()
        time.sleep(8)
        rate = (fan_writes(run) - before) / (time.monotonic() - since)
        print("fan writes per second while Check now waits: %.2f" % rate)
        # The curve writes every 250 ms; a stalled user-interface thread writes nothing.
        self.assertGreaterEqual(rate, 1.0)

        def box_text():
            text = run.poke("msgbox", "Velmora", "ok")
            return text if text != "none" else None
        text = wait_until(box_text, DOWNLOAD_LIMIT_S + 10, 0.5)
        print("Check now ended after %.1f s" % (time.monotonic() - clicked))
        self.assertEqual(text, FAILED_TEXT)
        self.assertLessEqual(time.monotonic() - clicked, DOWNLOAD_LIMIT_S + 10)
        self.assertTrue(wait_until(lambda: self.button_state(run) == "1", 5))
        self.assertTrue(run.running())

    def test_closing_the_settings_window_during_the_check_does_not_wait(self):
        run = self.start_with_curve()
        rect = self.open_settings(run)
        self.click_check_now(run)
        self.assertTrue(wait_until(lambda: self.silent.connections, 10))
        click_screen(rect[0] + round(CANCEL_CENTRE[0] * rect[2] / DIALOG_UNITS[0]),
                     rect[1] + round(CANCEL_CENTRE[1] * rect[3] / DIALOG_UNITS[1]))
        self.assertTrue(wait_until(lambda: settings_window() is None, 3),
                        "the settings window waited for the check")
        # The check left behind says nothing, and the curve goes on.
        self.assertEqual(run.poke("msgbox", "Velmora", "text"), "none")
        before = fan_writes(run)
        self.assertTrue(wait_until(lambda: fan_writes(run) > before + 2, 5))


class ClosingWithACheckInFlight(E2ECase):
    """The close button while the start-up check waits for a server that never answers, or for
    a name that does not resolve: the fans go back, then the process ends within 3 s."""

    RUNS = 3

    def test_the_process_ends_within_3_s_whatever_the_check_does(self):
        silent = SilentServer()
        times = {}
        try:
            for name, server in (("silent server", silent.url),
                                 ("unresolvable name", UNRESOLVABLE_SERVER)):
                for attempt in range(self.RUNS):
                    with self.subTest(server=name, run=attempt):
                        seen = len(silent.connections)
                        run = self.launch(config_xml=update_config(server, 1, enable_fan=1),
                                          scenario=scenario(temperature=60))
                        self.assertTrue(run.wait_window())
                        self.assertTrue(run.wait_state(
                            lambda s: cooler(s) == (POLICY_MANUAL, 60)))
                        if server == silent.url:
                            self.assertTrue(wait_until(
                                lambda: len(silent.connections) > seen, 20))
                        else:
                            time.sleep(1)
                        rect = run.window_rect()
                        click_screen(rect[0] + CLOSE_BUTTON[0], rect[1] + CLOSE_BUTTON[1])
                        clicked = time.monotonic()
                        ended = run.wait_exit(20)
                        took = time.monotonic() - clicked
                        times.setdefault(name, []).append(took)
                        self.assertTrue(ended, "the program did not end")
                        self.assertLessEqual(took, 3.0)
                        self.assertEqual(cooler(run.state())[0], POLICY_AUTO)
                        run.stop()
        finally:
            silent.close()
            for name, values in times.items():
                print("close with the check in flight (%s): %s s" %
                      (name, ", ".join("%.2f" % t for t in values)))


if __name__ == "__main__":
    unittest.main()
