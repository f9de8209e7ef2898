"""Scripts on the remote interface: Debian's PyVISA (pure-Python backend) and PyMeasure against
lumetra-remote on the simulated laser, on loopback only.

Run by CTest: /usr/bin/python3 tst_remote_scripts.py --remote PATH --sim PATH --program PATH. Exits
non-zero when any case fails. The same cases run against the program with its panel (offscreen).
"""
import argparse
import glob
import math
import os
import shutil
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time
import unittest

import pyvisa

from lumetra_qz import LumetraQZ
from lumetra_sim import Simulator, die_with_parent, free_port, wait_until

REMOTE = None
SIM = None
PROGRAM = None


class Remote:
    """lumetra-remote serving one simulator's port."""

    def __init__(self, folder, port_name, *options):
        self.port = free_port()
        self.out = open(os.path.join(folder, f"remote-{self.port}.out"), "w")
        self.process = subprocess.Popen(
            [REMOTE, "--port", port_name, "--listen", str(self.port), *options],
            stdout=self.out, stderr=subprocess.STDOUT, preexec_fn=die_with_parent)
        self.resource = f"TCPIP::127.0.0.1::{self.port}::SOCKET"
        wait_until("lumetra-remote to listen", self._listening)

    def _listening(self):
        with socket.socket() as s:
            return s.connect_ex(("127.0.0.1", self.port)) == 0

    def stop(self):
        self.process.terminate()
        self.process.wait(20)
        self.out.close()


class Program(Remote):
    """The program with its window (offscreen), its remote interface on and the laser's port open; its
    settings and recordings in the test's folder."""

    def __init__(self, folder, port_name, *options, display=None):
        self.port = free_port()
        self.output = os.path.join(folder, f"program-{self.port}.out")
        self.out = open(self.output, "w")
        environment = dict(os.environ, HOME=folder, XDG_CONFIG_HOME=os.path.join(folder, "config"),
                           XDG_DATA_HOME=os.path.join(folder, "data"), QT_QPA_PLATFORM="offscreen")
        if display:
            environment.update(DISPLAY=display, QT_QPA_PLATFORM="xcb")
        self.process = subprocess.Popen(
            [PROGRAM, "--connect", port_name, "--remote", str(self.port), *options],
            stdout=self.out, stderr=subprocess.STDOUT, env=environment, preexec_fn=die_with_parent)
        self.resource = f"TCPIP::127.0.0.1::{self.port}::SOCKET"
        wait_until("the program to listen", self._listening)


class ScriptsOnSimulator(unittest.TestCase):
    """One simulator with a second-harmonic module (it reports humidity), one lumetra-remote that allows
    writes, and the cases in the order of their names."""

    HOST = Remote
    ALLOW = "--allow-writes"

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="remote-test-")
        cls.sim = Simulator(SIM, cls.folder, "remote-sim", "--module", "0x90")
        cls.remote = cls.HOST(cls.folder, cls.sim.port, cls.ALLOW)
        cls.rm = pyvisa.ResourceManager("@py")
        cls.visa = cls.rm.open_resource(cls.remote.resource, read_termination="\n", write_termination="\n",
                                        timeout=10000)
        cls.laser = LumetraQZ(cls.remote.resource)
        wait_until("the laser to answer", lambda: cls.laser.link == "CONNECTED")

    @classmethod
    def tearDownClass(cls):
        cls.visa.close()
        cls.laser.adapter.connection.close()
        cls.remote.stop()
        cls.sim.stop()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_1_identity(self):
        maker, model, serial, firmware = self.visa.query("*IDN?").split(",")
        self.assertEqual((maker, model, firmware), ("LUMETRA", "Lumetra-10", "V5.1.4"))
        self.assertTrue(serial)

    def test_2_humidity_as_the_laser_reports_it(self):
        self.sim.tell("set humidity 61")
        wait_until("humidity 61 %", lambda: self.laser.humidity == 61)

    def test_3_energy_write_is_the_panels_command(self):
        self.laser.write("*CLS")
        before = len(self.sim.settings_received())
        self.laser.energy_setpoint = 3.0
        self.assertTrue(self.laser.complete())
        self.assertEqual(self.sim.settings_received()[before:], ["ly_lqz2_power=3000\n"])
        self.assertEqual(self.laser.energy_setpoint, 3.0)
        self.assertEqual(self.laser.errors(), [])

    def test_4_out_of_range_sends_nothing(self):
        before = len(self.sim.settings_received())
        self.visa.write("ENER 9999")
        code, _, text = self.visa.query("SYST:ERR?").partition(",")
        self.assertEqual(code, "-222", text)
        # A whole poll cycle later, still nothing went out.
        first = len(self.sim.received())
        wait_until("a poll cycle", lambda: len(self.sim.received()) > first + 4)
        self.assertEqual(self.sim.settings_received()[before:], [])

    def test_5_crowd_of_clients(self):
        # A hundred at once: the first few are served, the rest told why and closed; nobody hangs.
        sockets = [socket.create_connection(("127.0.0.1", self.remote.port), timeout=10) for _ in range(100)]
        told = 0
        for s in sockets:
            s.settimeout(0.5)
            try:
                told += s.recv(200).startswith(b"-200,")
            except socket.timeout:
                pass
        for s in sockets:
            s.close()
        self.assertGreaterEqual(told, 100 - 4 - 1)
        self.assertEqual(self.visa.query("*IDN?").split(",")[0], "LUMETRA")

    def test_6_query_during_hangup_is_an_error(self):
        self.sim.tell("hangup 4")
        wait_until("the link to drop", lambda: self.laser.link != "CONNECTED")
        self.assertTrue(math.isnan(self.laser.oven1_actual))
        self.assertIn(-230, [code for code, _ in self.laser.errors()])
        # Values from before the loss count again only once the laser reports them again.
        wait_until("the laser to return", lambda: self.laser.link == "CONNECTED")
        wait_until("a new oven reading", lambda: not math.isnan(self.laser.oven1_actual))


class ScriptsOnProgram(ScriptsOnSimulator):
    """The same cases against the program while its panel runs."""

    HOST = Program
    ALLOW = "--remote-allow"

    def command_rows(self):
        rows = []
        for path in glob.glob(os.path.join(self.folder, "data", "**", "recordings", "*.sqlite"), recursive=True):
            with sqlite3.connect(f"file:{path}?mode=ro", uri=True) as db:
                rows += db.execute("SELECT source, text FROM event WHERE kind = 2 ORDER BY t, id").fetchall()
        return rows

    def test_7_audit_rows_of_the_run(self):
        before = self.laser.energy_setpoint
        with socket.create_connection(("127.0.0.1", self.remote.port), timeout=10) as s:
            client = "remote 127.0.0.1:%d" % s.getsockname()[1]
            s.sendall(b"ENER 2.5\n*OPC?\n")
            self.assertEqual(s.makefile("rb").readline(), b"1\n")
        rows = wait_until("the write in the recording",
                          lambda: [row for row in self.command_rows() if row[0] == client],
                          errors=(sqlite3.OperationalError,))
        self.assertEqual(rows, [(client, f"Energy set-point {before:.3f} µJ → 2.500 µJ (ly_lqz2_power=2500): "
                                         "reported by the laser")])
        # The writes of the earlier cases came from PyMeasure's connection: told as remote too, none as the panel's.
        self.assertNotIn("panel", [source for source, _ in self.command_rows()])


class PackageTree(unittest.TestCase):
    def test_package_carries_the_programs_tree(self):
        import lumetra_qz
        listing = subprocess.run([REMOTE, "--list-remote"], check=True, capture_output=True, text=True).stdout
        with open(os.path.join(os.path.dirname(lumetra_qz.__file__), "remote_tree.tsv"), encoding="utf-8") as f:
            self.assertEqual(f.read(), listing, "run scripts/update-remote-tree.sh")
        readme = os.path.join(os.path.dirname(lumetra_qz.__file__), "..", "..", "README.md")
        with open(readme, encoding="utf-8") as f:
            self.assertIn(lumetra_qz.instrument.readme_table(), f.read(), "run scripts/update-remote-tree.sh")


class WritesNotAllowed(unittest.TestCase):
    def test_refused_and_nothing_sent(self):
        for host in (Remote, Program):
            with self.subTest(host=host.__name__):
                self.refused_on(host)

    def refused_on(self, host):
        folder = tempfile.mkdtemp(prefix="remote-test-")
        sim = Simulator(SIM, folder, "remote-sim-ro")
        remote = host(folder, sim.port)
        try:
            laser = LumetraQZ(remote.resource)
            wait_until("the laser to answer", lambda: laser.link == "CONNECTED")
            before = len(sim.settings_received())
            laser.energy_setpoint = 3.0
            laser.output = True
            self.assertEqual([code for code, _ in laser.errors()], [-203, -203])
            first = len(sim.received())
            wait_until("a poll cycle", lambda: len(sim.received()) > first + 4)
            self.assertEqual(sim.settings_received()[before:], [])
            laser.adapter.connection.close()
        finally:
            remote.stop()
            sim.stop()
            shutil.rmtree(folder, ignore_errors=True)


class Display:
    """An X server of the test's own, for keys typed into the program's menus."""

    def __init__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                                         "-nolisten", "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, preexec_fn=die_with_parent)
        os.close(write)
        with os.fdopen(read) as f:
            self.name = ":" + f.readline().strip()

    def keys(self, window_name, *keys):
        environment = dict(os.environ, DISPLAY=self.name)
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", window_name],
                                check=True, capture_output=True, text=True, env=environment).stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True, env=environment)
        for key in keys:
            subprocess.run(["xdotool", "key", "--clearmodifiers", key], check=True, env=environment)

    def stop(self):
        self.process.terminate()
        self.process.wait(20)


@unittest.skipUnless(shutil.which("Xvfb") and shutil.which("xdotool"), "needs Xvfb and xdotool")
class LocalOnTheMenu(unittest.TestCase):
    """The operator's File › Remote control menu, typed into the program's window: writes wait for Allow
    remote control, and Local takes control back before the next write."""

    def test_allow_then_local(self):
        folder = tempfile.mkdtemp(prefix="remote-test-")
        display = Display()
        sim = Simulator(SIM, folder, "remote-sim-local")
        program = Program(folder, sim.port, display=display.name)
        laser = LumetraQZ(program.resource)
        try:
            wait_until("the laser to answer", lambda: laser.link == "CONNECTED")
            laser.energy_setpoint = 2.0
            self.assertEqual([code for code, _ in laser.errors()], [-203])

            self.last_item_of_remote_menu(display, program, "remote writes allowed")
            before = len(sim.settings_received())
            laser.energy_setpoint = 2.0
            self.assertTrue(laser.complete())
            self.assertEqual(laser.errors(), [])
            self.assertEqual(sim.settings_received()[before:], ["ly_lqz2_power=2000\n"])

            self.last_item_of_remote_menu(display, program, "remote writes refused")
            before = len(sim.settings_received())
            laser.energy_setpoint = 2.5
            self.assertEqual([code for code, _ in laser.errors()], [-203])
            first = len(sim.received())
            wait_until("a poll cycle", lambda: len(sim.received()) > first + 4)
            self.assertEqual(sim.settings_received()[before:], [])
        finally:
            laser.adapter.connection.close()
            program.stop()
            sim.stop()
            display.stop()
            shutil.rmtree(folder, ignore_errors=True)

    def last_item_of_remote_menu(self, display, program, said):
        # File, Remote control, then up from the top to the last item that can be chosen: Allow remote
        # control while writes are refused (Local is greyed out then), Local while they are allowed.
        display.keys("LUMETRA", "alt+f", "r", "Up", "Return")

        def told():
            with open(program.output, encoding="utf-8", errors="replace") as f:
                return said in f.read()
        wait_until(f"the program to say \"{said}\"", told)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--remote", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--program", required=True)
    arguments, rest = parser.parse_known_args()
    REMOTE, SIM, PROGRAM = arguments.remote, arguments.sim, arguments.program
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
