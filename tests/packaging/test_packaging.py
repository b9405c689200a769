"""The release packages under wine: the portable zip's contents, the file properties of what
is shipped, and the installer's life cycle in a fresh prefix of its own: silent install,
the program starting from where it was installed, an upgrade over changed settings, and a
silent uninstall over a running program, also while the program shows a message box captioned
like its main window.

The steps build on each other and share one prefix (creating one costs half a minute), so
they run in the order of their names.
"""

import http.server
import os
import re
import shutil
import struct
import subprocess
import threading
import time
import unittest
import zipfile

WIN_BUILD = os.environ.get("VELMORA_WIN_BUILD", "")
WORK = os.environ.get("VELMORA_PACKAGING_WORK", "")
VERSION = os.environ.get("VELMORA_VERSION", "")
# The integer the update check compares, which the program keeps in "/Velmora/Version".
UPDATE_VERSION = os.environ.get("VELMORA_UPDATE_VERSION", "")
ROOT = os.environ.get("VELMORA_ROOT", "")
WINE_EXEC = os.environ.get("VELMORA_WINE_EXEC", "wine")
POKE_EXE = os.environ.get("VELMORA_POKE_EXE", "")

PROGRAM_FILES = ["Velmora.exe", "VelmoraFanGuard.exe", "Norvane.dll", "Talwyn.dll", "Ostrid.dll"]
SHIPPED = PROGRAM_FILES + ["Velmora.xml"]
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"


def wait_until(predicate, timeout=30.0, interval=0.25):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(interval)


def with_version(text, version):
    """The settings text with its "/Velmora/Version" element holding `version`."""
    changed, count = re.subn(r"<Version>[^<]*</Version>", "<Version>%s</Version>" % version,
                             text, count=1)
    assert count == 1, "no Version element"
    return changed


class LoopbackUpdateServer:
    """The update server on 127.0.0.1: every request gets a descriptor of `version`. It stops
    by itself after `lifetime` seconds should the test not stop it first."""

    def __init__(self, version, lifetime=180):
        body = ('<?xml version="1.0" encoding="utf-8"?>\n'
                "<VelmoraUpdate><Version>%s</Version></VelmoraUpdate>\n" % version).encode()
        self.requests = []
        outer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                outer.requests.append(self.path)
                self.send_response(200)
                self.send_header("Content-Type", "text/xml")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = "http://127.0.0.1:%d" % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        self.timer = threading.Timer(lifetime, self.close)
        self.timer.daemon = True
        self.timer.start()

    def close(self):
        self.timer.cancel()
        self.httpd.shutdown()
        self.httpd.server_close()


def fixed_file_version(path):
    """(major, minor, patch, build) from the VS_FIXEDFILEINFO of a PE file, or None."""
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def string_file_version(path):
    """The "FileVersion" string of the version resource, or None."""
    with open(path, "rb") as f:
        data = f.read()
    key = "FileVersion\0".encode("utf-16-le")
    at = data.find(key)
    if at < 0:
        return None
    at += len(key)
    at += (-at) % 4  # the value starts on a 32-bit boundary
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


class Packaging(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not (WIN_BUILD and WORK and VERSION and UPDATE_VERSION and ROOT and POKE_EXE):
            raise unittest.SkipTest("run through ctest (needs the build's environment)")
        cls.packages = os.path.join(WORK, "packages")
        shutil.rmtree(cls.packages, ignore_errors=True)
        out = subprocess.run(
            ["bash", os.path.join(ROOT, "packaging", "make-packages.sh"), WIN_BUILD, cls.packages],
            capture_output=True, text=True, timeout=300)
        if out.returncode != 0:
            raise AssertionError("make-packages.sh failed:\n" + out.stderr)
        cls.zip_path = os.path.join(cls.packages, "Velmora-%s-portable.zip" % VERSION)
        cls.setup_path = os.path.join(cls.packages, "Velmora-Setup-%s.exe" % VERSION)

        cls.prefix = os.path.join(WORK, "wineprefix")
        cls.env = dict(os.environ, WINEPREFIX=cls.prefix, WINEDEBUG="-all", WINEARCH="win64")
        cls._stop_prefix()
        shutil.rmtree(cls.prefix, ignore_errors=True)
        os.makedirs(cls.prefix)
        cls.wine("wineboot", "-i", timeout=180)
        # No debugger that could hang the run on a crash.
        cls.wine("reg", "add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug",
                 "/v", "Debugger", "/t", "REG_SZ", "/d", "", "/f")
        # The test's card, where a driver would put nvapi64.dll; the installer never ships one.
        shutil.copy(os.path.join(WIN_BUILD, "sim", "nvapi64.dll"),
                    os.path.join(cls.prefix, "drive_c", "windows", "system32", "nvapi64.dll"))
        cls.sim_state = os.path.join(WORK, "sim-state.txt")
        if os.path.exists(cls.sim_state):
            os.remove(cls.sim_state)
        cls.env["VELMORA_SIM_STATE"] = cls.sim_state
        users = os.path.join(cls.prefix, "drive_c", "users")
        # wine names the profile after the Unix user; find it rather than guess.
        for name in os.listdir(users):
            if name != "Public" and os.path.isdir(os.path.join(users, name, "AppData")):
                cls.profile = os.path.join(users, name)
        cls.install_dir = os.path.join(cls.profile, "AppData", "Local", "Programs", "Velmora")
        cls.shortcut = os.path.join(cls.profile, "AppData", "Roaming", "Microsoft", "Windows",
                                    "Start Menu", "Programs", "Velmora.lnk")
        cls.program = None

    @classmethod
    def tearDownClass(cls):
        if getattr(cls, "program", None) is not None and cls.program.poll() is None:
            cls.poke("close")
            try:
                cls.program.wait(15)
            except subprocess.TimeoutExpired:
                cls.program.kill()
        cls._stop_prefix()
        # Most of a gigabyte, and made afresh by the next run anyway.
        shutil.rmtree(cls.prefix, ignore_errors=True)

    @classmethod
    def _stop_prefix(cls):
        # Only this test's own prefix: its wineserver is no one else's.
        if os.path.isdir(cls.prefix):
            subprocess.run(["wineserver", "-k"], env=cls.env, capture_output=True, timeout=60)

    @classmethod
    def wine(cls, *args, timeout=120):
        return subprocess.run([WINE_EXEC] + list(args), env=cls.env, capture_output=True,
                              text=True, timeout=timeout, stdin=subprocess.DEVNULL)

    @classmethod
    def poke(cls, *args):
        try:
            return cls.wine(POKE_EXE, *args, timeout=30).stdout.strip()
        except subprocess.TimeoutExpired:
            return ""

    def reg_query(self, key, value=None):
        args = ["reg", "query", key] + (["/v", value] if value else [])
        out = self.wine(*args)
        return out.stdout if out.returncode == 0 else None

    def installed(self):
        return sorted(os.listdir(self.install_dir)) if os.path.isdir(self.install_dir) else []

    def velmora_processes(self):
        """Unix pids of the program and its fan guard running in this prefix."""
        pids = []
        for pid in os.listdir("/proc"):
            if not pid.isdigit():
                continue
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    cmdline = f.read()
                with open("/proc/%s/environ" % pid, "rb") as f:
                    environ = f.read().split(b"\0")
            except OSError:
                continue
            if (b"Velmora.exe" in cmdline or b"VelmoraFanGuard.exe" in cmdline) and ("WINEPREFIX=" + self.prefix).encode() in environ:
                pids.append(int(pid))
        return pids

    def start_installed_program(self, verb="visible"):
        # Started from elsewhere, as the Start-menu shortcut would.
        type(self).program = subprocess.Popen(
            [WINE_EXEC, os.path.join(self.install_dir, "Velmora.exe")], cwd=WORK, env=self.env,
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shown = wait_until(lambda: self.poke(verb) == "1", 45, 0.5)
        self.assertTrue(shown, "the installed program shows no main window (%s)" % verb)

    def set_run_value(self, text):
        out = self.wine("reg", "add", RUN_KEY, "/v", "Velmora", "/t", "REG_SZ", "/d", text, "/f")
        self.assertEqual(out.returncode, 0, out.stderr)

    def run_setup(self):
        out = self.wine(self.setup_path, "/S", timeout=180)
        self.assertEqual(out.returncode, 0, out.stderr)

    # --- the packages ------------------------------------------------------------------
    def test_1_portable_zip_holds_exactly_the_shipped_files(self):
        with zipfile.ZipFile(self.zip_path) as z:
            self.assertEqual(sorted(z.namelist()), sorted(SHIPPED))
            for name in SHIPPED:
                with open(os.path.join(WIN_BUILD, "out", name), "rb") as f:
                    self.assertEqual(z.read(name), f.read(), name)

    def test_2_every_executable_carries_the_project_version(self):
        numbers = tuple(int(p) for p in VERSION.split(".")) + (0,)
        for path in [os.path.join(WIN_BUILD, "out", "Velmora.exe"),
                     os.path.join(WIN_BUILD, "out", "VelmoraFanGuard.exe"), self.setup_path]:
            with self.subTest(path=os.path.basename(path)):
                self.assertEqual(fixed_file_version(path), numbers)
                self.assertEqual(string_file_version(path), VERSION)

    # --- the installer's life cycle, in order --------------------------------------------
    def test_3_silent_install_puts_everything_in_place(self):
        self.run_setup()
        self.assertEqual(self.installed(), sorted(SHIPPED + ["uninstall.exe"]))
        for name in SHIPPED:
            with open(os.path.join(WIN_BUILD, "out", name), "rb") as a, \
                    open(os.path.join(self.install_dir, name), "rb") as b:
                self.assertEqual(a.read(), b.read(), name)
        uninstaller = os.path.join(self.install_dir, "uninstall.exe")
        self.assertEqual(string_file_version(uninstaller), VERSION)
        self.assertTrue(os.path.isfile(self.shortcut), "no Start-menu shortcut")
        entry = self.reg_query(UNINSTALL_KEY)
        self.assertIsNotNone(entry, "no uninstall entry")
        for value, text in [("DisplayName", "Velmora"), ("DisplayVersion", VERSION),
                            ("Publisher", "Tessarin"), ("DisplayIcon", "Velmora.exe,0"),
                            ("UninstallString", "uninstall.exe")]:
            with self.subTest(value=value):
                line = [l for l in entry.splitlines() if l.split()[:1] == [value]]
                self.assertEqual(len(line), 1, entry)
                self.assertIn(text, line[0])

    def test_4_installed_program_starts_on_the_simulated_card(self):
        self.start_installed_program()
        # The card answered: the simulator writes its state file once it is in use.
        self.assertTrue(wait_until(lambda: os.path.exists(self.sim_state), 20))

    def test_5_upgrade_closes_the_program_and_keeps_the_settings(self):
        # Over a running program: the installer ends it through its ordinary close first.
        self.run_setup()
        self.assertTrue(wait_until(lambda: not self.velmora_processes(), 20),
                        "the upgrade left the old program running")
        self.assertEqual(self.program.wait(20), 0)
        # What an older release left: its own update version, and the user's changes.
        settings = os.path.join(self.install_dir, "Velmora.xml")
        with open(settings, encoding="utf-8") as f:
            delivered = f.read()
        older = int(UPDATE_VERSION) - 1
        changed = with_version(delivered, older)
        for old, new in [("<StartMinized>0</StartMinized>", "<StartMinized>1</StartMinized>"),
                         ("<Left>0</Left>", "<Left>3</Left>"),
                         ('OneX="30"', 'OneX="33"')]:
            self.assertIn(old, changed)
            changed = changed.replace(old, new)
        changed += "<!-- the user's own -->\n"
        with open(settings, "w", encoding="utf-8", newline="") as f:
            f.write(changed)
        self.run_setup()
        with open(settings, encoding="utf-8", newline="") as f:
            self.assertEqual(f.read(), changed)
        self.assertEqual(self.installed(), sorted(SHIPPED + ["uninstall.exe"]))

        # The upgraded program, run once, makes the kept file its own: the update check then
        # compares the server's number with this program's, not with the one it replaced.
        self.start_installed_program("exists")  # started hidden, as the kept settings ask
        self.poke("close")
        self.assertEqual(self.program.wait(20), 0)
        with open(settings, encoding="utf-8", newline="") as f:
            self.assertEqual(f.read(), with_version(changed, UPDATE_VERSION))

    def test_6_silent_uninstall_removes_everything_but_the_settings(self):
        # The settings the upgrade kept start it behind its tray icon: the window is there,
        # hidden, and the uninstaller must still find and close it.
        self.start_installed_program("exists")
        # The program's "Start with Windows" entry, as its settings window writes it.
        exe = self.wine("winepath", "-w", os.path.join(self.install_dir, "Velmora.exe")).stdout.strip()
        self.set_run_value('"%s"' % exe)
        self.assertIsNotNone(self.reg_query(RUN_KEY, "Velmora"))

        out = self.wine(os.path.join(self.install_dir, "uninstall.exe"), "/S")
        self.assertEqual(out.returncode, 0, out.stderr)
        # The uninstaller runs on from a copy of itself: wait for the folder to empty.
        self.assertTrue(wait_until(lambda: self.installed() == ["Velmora.xml"], 60), self.installed())
        self.assertEqual(self.program.wait(20), 0, "the program did not end by its own close")
        self.assertEqual(self.velmora_processes(), [])
        self.assertIsNone(self.reg_query(RUN_KEY, "Velmora"), "the Run-key value stayed")
        self.assertIsNone(self.reg_query(UNINSTALL_KEY), "the uninstall entry stayed")
        self.assertFalse(os.path.exists(self.shortcut), "the shortcut stayed")

    def test_7_uninstall_leaves_another_copys_start_entry(self):
        # A portable copy elsewhere set to start with Windows keeps that entry.
        self.run_setup()
        other = r'"C:\Portable\Velmora\Velmora.exe"'
        self.set_run_value(other)
        out = self.wine(os.path.join(self.install_dir, "uninstall.exe"), "/S")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertTrue(wait_until(lambda: self.reg_query(UNINSTALL_KEY) is None, 60),
                        "the uninstaller did not finish")
        self.assertIn(other, self.reg_query(RUN_KEY, "Velmora") or "")

    def test_8_uninstall_closes_the_program_behind_its_message_box(self):
        # A message box of the program's own carries the main window's caption: "Check now"
        # on the settings window's General page, with the program up to date.
        server = LoopbackUpdateServer(UPDATE_VERSION)
        try:
            self.run_setup()
            settings = os.path.join(self.install_dir, "Velmora.xml")
            with open(settings, encoding="utf-8", newline="") as f:
                text = f.read()
            text = re.sub(r"<StartMinized>[^<]*</StartMinized>",
                          "<StartMinized>0</StartMinized><UpdateServer>%s</UpdateServer>"
                          % server.url, text, count=1)
            with open(settings, "w", encoding="utf-8", newline="") as f:
                f.write(text)
            self.start_installed_program()
            left, top = (int(v) for v in self.poke("rect").split()[:2])
            self.click(left + 375, top + 17)  # the settings button
            button = wait_until(lambda: self.control_rect("Seting Properties", "Check now"), 20)
            self.assertTrue(button, "the settings window did not open")
            time.sleep(0.5)
            self.click((button[0] + button[2]) // 2, (button[1] + button[3]) // 2)
            # The poke finds the topmost window of that caption: the main window until the box
            # is there.
            shown = wait_until(lambda: "latest version" in self.poke("msgbox", "Velmora", "text"),
                               30, 0.5)
            self.assertTrue(shown, "no message box captioned Velmora")

            out = self.wine(os.path.join(self.install_dir, "uninstall.exe"), "/S", timeout=180)
            self.assertEqual(out.returncode, 0, out.stderr)
            # The uninstaller runs on from a copy of itself: one that gave up on a program still
            # running leaves the files.
            self.assertTrue(wait_until(lambda: self.installed() == ["Velmora.xml"], 60),
                            "the uninstaller gave up: %s" % self.installed())
            self.assertEqual(self.program.wait(20), 0, "the program did not end")
            self.assertEqual(self.velmora_processes(), [])
        finally:
            server.close()

    def control_rect(self, window_title, text):
        parts = self.poke("control-rect", window_title, text).split()
        return tuple(int(p) for p in parts) if len(parts) == 4 else None

    def click(self, x, y):
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True, env=self.env)
        time.sleep(0.2)
        subprocess.run(["xdotool", "click", "1"], check=True, env=self.env)
        time.sleep(0.3)


if __name__ == "__main__":
    unittest.main()
