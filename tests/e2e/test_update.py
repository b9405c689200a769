"""End-to-end tests of the update check the program runs at every start, against an HTTP server
on 127.0.0.1 that the test starts and whose answers it chooses: the offer and its answers, the
descriptor left or deleted, the schedule's date keys, and the faults of the server and of the
descriptor."""

import datetime
import http.server
import os
import shutil
import threading
import time
import unittest

from harness import E2ECase, wait_until
from test_app import POLICY_AUTO, POLICY_MANUAL, config, cooler, scenario

POKE_DIR = os.path.dirname(os.environ.get("VELMORA_POKE_EXE", ""))
UPDATER = os.path.join(POKE_DIR, "VelmoraUpdate2.0.exe")
DESCRIPTOR_PATH = "/updata/Velmora/VelmoraUpdate.xml"
OFFER_CAPTION = "New version available"
OFFER_TEXT = "A newer version of Velmora is available. Do you want to download it now?"


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


if __name__ == "__main__":
    unittest.main()
