"""The LumetraQZ device server on the simulated laser, through a PyTango client, on loopback only.

Run by CTest: /usr/bin/python3 tst_tango_server.py --server PATH --sim PATH --tango-db FOLDER. Exits non-zero when any
case fails.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import tango

import lumetra_sim
import tango_database
from lumetra_sim import die_with_parent, free_port

SERVER = None
SIM = None
TANGO_DB = None
WAIT_S = 40


def wait_until(what, predicate, timeout=WAIT_S):
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        try:
            last = predicate()
            if last:
                return last
        except tango.DevFailed as error:
            last = error.args[0].desc
        time.sleep(0.1)
    raise AssertionError(f"timed out waiting for {what}; last seen: {last!r}")


def Simulator(folder, tag, *options):
    """The simulated laser, always under the one port name the device's SerialPort property holds."""
    return lumetra_sim.Simulator(SIM, folder, tag, *options, name="tango-test")


class Server:
    def __init__(self, folder, *arguments, environment=None):
        self.port = free_port()
        self.out = open(os.path.join(folder, "server.out"), "w")
        self.process = subprocess.Popen(
            [SERVER, *arguments, "-ORBendPoint", f"giop:tcp:127.0.0.1:{self.port}"],
            stdout=self.out, stderr=subprocess.STDOUT, cwd=folder, env=environment, preexec_fn=die_with_parent)

    def proxy(self, device):
        proxy = tango.DeviceProxy(f"tango://127.0.0.1:{self.port}/{device}#dbase=no")
        wait_until("the server to answer", lambda: proxy.ping() >= 0)
        return proxy

    def stop(self):
        self.process.terminate()
        self.process.wait(20)
        self.out.close()


def commands_since(lines):
    """The settings lines among received lines: no polled queries."""
    polls = {"s6\n", "s7\n", "s8\n", "s9\n"}
    return [line for line in lines if line not in polls and not line.endswith("?\n")]


class DeviceOnSimulator(unittest.TestCase):
    """One simulator with a second-harmonic module (it reports humidity) and one server for every case,
    in the order of the names."""

    DEVICE = "test/lumetra/1"

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="tango-test-")
        cls.sim = Simulator(cls.folder, "first", "--module", "0x90", "--firmware", "V5.1.4")
        properties = os.path.join(cls.folder, "lumetra.res")
        with open(properties, "w") as f:
            f.write(f'LumetraQZ/test/DEVICE/LumetraQZ: "{cls.DEVICE}"\n')
            f.write(f'{cls.DEVICE}->SerialPort: "{cls.sim.port}"\n')
            f.write(f"{cls.DEVICE}->ReconnectPeriod: 200\n")
            f.write(f"{cls.DEVICE}->AllowRawCommands: true\n")
        cls.server = Server(cls.folder, "test", f"-file={properties}")
        cls.device = cls.server.proxy(cls.DEVICE)
        cls.device.set_timeout_millis(10000)
        wait_until("a status from the laser", lambda: cls.device.state() in (tango.DevState.OFF,
                                                                          tango.DevState.STANDBY))
        wait_until("the module's error code", lambda: cls.device.read_attribute("ErrorCode").value is not None)
        wait_until("the oven set-point range",
                   lambda: cls.device.get_attribute_config("Oven1Setpoint").max_value != "Not specified")

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.sim.stop()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def read(self, name):
        return self.device.read_attribute(name).value

    def wait_for_command(self, mark, line):
        return wait_until(f"{line!r} on the wire", lambda: line in self.sim.received()[mark:])

    def test_1_reads_are_the_simulators_values(self):
        expected = {"SystemType": "Lumetra-10", "FirmwareVersion": "V5.1.4", "RepetitionRate": 500.0,
                    "DivisionFactor": 1, "Wavelength": 0, "ErrorCode": 0, "StatusByte": 0x09}
        for name, value in expected.items():
            with self.subTest(attribute=name):
                self.assertEqual(self.read(name), value)
        self.assertTrue(self.read("SerialNumber"))
        self.assertGreater(self.read("Oven1Setpoint"), 0)
        self.assertEqual(self.device.get_attribute_config("Energy").unit, "uJ")
        self.assertIn("Listen", self.device.status())

    def test_2_writes_put_the_panels_commands_on_the_wire(self):
        oven = self.device.get_attribute_config("Oven1Setpoint")
        setpoint = round((float(oven.min_value) + float(oven.max_value)) / 2, 1)
        cases = [("Energy", 3.0, "ly_lqz2_power=3000\n"),
                 ("DivisionFactor", 4, "e_div 4\n"),
                 ("Oven1Setpoint", setpoint, f"ls_temp_setpoint={setpoint:.1f}\n"),
                 ("HarmonicOutput", 1, "ls_wavelength=1\n")]
        for name, value, line in cases:
            with self.subTest(attribute=name):
                mark = len(self.sim.received())
                self.device.write_attribute(name, value)
                self.wait_for_command(mark, line)
        wait_until("the division read back", lambda: self.read("DivisionFactor") == 4)
        mark = len(self.sim.received())
        self.device.write_attribute("RepetitionRate", 200.0)
        wait_until("the rate read back", lambda: self.read("RepetitionRate") == 200.0)
        self.assertTrue(any(line.startswith("e_freq ") for line in self.sim.received()[mark:]))

    def test_3_writes_outside_the_limits_are_refused_and_nothing_is_sent(self):
        energy = self.device.get_attribute_config("Energy")
        cases = [("Energy", float(energy.max_value) + 1, "API_WAttrOutsideLimit"),
                 ("DivisionFactor", 0, "API_WAttrOutsideLimit"),
                 ("HarmonicOutput", 4, "API_WAttrOutsideLimit"),
                 ("RepetitionRate", 333.0, "LumetraQZ_NotARate")]
        mark = len(self.sim.received())
        for name, value, reason in cases:
            with self.subTest(attribute=name):
                with self.assertRaises(tango.DevFailed) as refused:
                    self.device.write_attribute(name, value)
                self.assertEqual(refused.exception.args[0].reason, reason)
                self.assertIn(name if reason != "API_WAttrOutsideLimit" else "authorized",
                              refused.exception.args[0].desc)
        # Writes go out in order: once a later one is on the wire, a refused one would be too.
        self.device.write_attribute("DivisionFactor", 2)
        self.wait_for_command(mark, "e_div 2\n")
        self.assertEqual(commands_since(self.sim.received()[mark:]), ["e_div 2\n"])

    def test_3a_the_lasers_range_and_refusals_reach_the_client(self):
        self.assertEqual(self.device.get_attribute_config("DivisionFactor").max_value, "65535")
        before = self.read("DivisionFactor")
        self.device.command_inout("SendCommand", "e_div 65536")
        wait_until("the refusal in Status", lambda: "Invalid division factor, range 1-65535" in self.device.status())
        self.assertIn("e_div 65536", self.device.status())
        self.assertEqual(self.read("DivisionFactor"), before)

    def test_3b_a_port_held_elsewhere_names_its_holder(self):
        properties = os.path.join(self.folder, "second.res")
        with open(properties, "w") as f:
            f.write('LumetraQZ/second/DEVICE/LumetraQZ: "test/lumetra/second"\n')
            f.write(f'test/lumetra/second->SerialPort: "{self.sim.port}"\n')
        second = Server(self.folder, "second", f"-file={properties}")
        try:
            device = second.proxy("test/lumetra/second")
            holder = f"LumetraQZ (process {self.server.process.pid})"
            wait_until("the holder named", lambda: holder in device.status())
            self.assertEqual(device.state(), tango.DevState.FAULT)
        finally:
            second.stop()

    def test_4_commands_move_the_state(self):
        steps = [("Standby", tango.DevState.STANDBY, "ly_lqz2_standby\n"),
                 ("LaserOn", tango.DevState.ON, "ly_lqz2_disabled\n"),
                 ("Listen", tango.DevState.OFF, "ly_lqz2_listen\n")]
        for command, state, line in steps:
            with self.subTest(command=command):
                mark = len(self.sim.received())
                self.device.command_inout(command)
                self.wait_for_command(mark, line)
                wait_until(f"{state} after {command}", lambda: self.device.state() == state)
        mark = len(self.sim.received())
        self.device.command_inout("SendCommand", "ly_system_info")
        self.wait_for_command(mark, "ly_system_info\n")

    def test_5_humidity_reaches_a_subscriber_and_raises_alarm(self):
        humidity, states = [], []
        subscriptions = [
            self.device.subscribe_event("Humidity", tango.EventType.CHANGE_EVENT,
                                        lambda e: e.err or humidity.append(e.attr_value.value)),
            self.device.subscribe_event("State", tango.EventType.CHANGE_EVENT,
                                        lambda e: e.err or states.append(e.attr_value.value))]
        try:
            self.sim.tell("set humidity 61")
            wait_until("a humidity event near 61", lambda: any(abs(h - 61) <= 2 for h in humidity))
            wait_until("an ALARM event", lambda: tango.DevState.ALARM in states)
            # The status byte's warning bit can come a poll before the module's flags that say why.
            wait_until("the humidity named in the status", lambda: "Humidity" in self.device.status())
            self.assertTrue(self.read("HumidityFault"))
            self.sim.tell("set humidity 40")
            wait_until("the alarm to clear", lambda: self.device.state() == tango.DevState.OFF)
        finally:
            for subscription in subscriptions:
                self.device.unsubscribe_event(subscription)

    def test_5a_a_silent_laser_is_unknown_and_takes_nothing(self):
        self.sim.tell("silence 6")
        wait_until("UNKNOWN", lambda: self.device.state() == tango.DevState.UNKNOWN)
        self.assertIn("does not answer", self.device.status())
        mark = len(self.sim.received())
        cases = [(lambda: self.device.write_attribute("Energy", 2.0), "API_AttrNotAllowed"),
                 (lambda: self.device.command_inout("LaserOn"), "API_CommandNotAllowed"),
                 (lambda: self.device.command_inout("Standby"), "LumetraQZ_NotConnected")]
        worst = 0.0
        for request, reason in cases:
            with self.subTest(reason=reason):
                start = time.monotonic()
                with self.assertRaises(tango.DevFailed) as refused:
                    request()
                worst = max(worst, time.monotonic() - start)
                self.assertEqual(refused.exception.args[0].reason, reason)
                self.assertIn("does not answer", refused.exception.args[0].desc)
        print(f"worst request time while silent: {worst * 1000:.0f} ms", file=sys.stderr)
        self.assertEqual(self.device.read_attribute("Energy").quality, tango.AttrQuality.ATTR_INVALID)
        wait_until("the laser back", lambda: self.device.state() == tango.DevState.OFF)
        wait_until("a new energy reading", lambda: self.read("Energy") is not None)
        sent = commands_since(self.sim.received()[mark:])
        self.assertFalse([line for line in sent if line.startswith(("ly_lqz2_power", "ly_lqz2_standby",
                                                                    "ly_lqz2_disabled"))], sent)

    def test_5b_after_a_loss_nothing_old_passes_for_new(self):
        serial = self.read("SerialNumber")
        for command, text in (("Standby", "Standby."), ("LaserOn", "output disabled"), ("OutputEnable", "output enabled")):
            self.device.command_inout(command)
            wait_until(f"{command} done", lambda: text in self.device.status())
        states, bytes_ = [], []
        subscriptions = [
            self.device.subscribe_event("State", tango.EventType.CHANGE_EVENT,
                                        lambda e: e.err or states.append(e.attr_value.value)),
            self.device.subscribe_event("StatusByte", tango.EventType.CHANGE_EVENT,
                                        lambda e: e.err or bytes_.append((e.attr_value.quality, e.attr_value.value)))]
        try:
            self.sim.tell("hangup forever")
            wait_until("UNKNOWN", lambda: self.device.state() == tango.DevState.UNKNOWN)
            status = self.device.status()
            for text in ("Last report", "laser on, output enabled", "Emission may continue"):
                self.assertIn(text, status)
            wait_until("an INVALID status byte", lambda: bytes_[-1][0] == tango.AttrQuality.ATTR_INVALID)
            lost = len(states)
            self.sim.stop()
            # The same laser, back in Listen: nothing from before the loss may show as its state now.
            self.__class__.sim = Simulator(self.folder, "restarted", "--module", "0x90", "--firmware", "V5.1.4",
                                           "--serial-number", serial)
            wait_until("OFF", lambda: self.device.state() == tango.DevState.OFF)
            wait_until("a valid status byte", lambda: bytes_[-1][0] == tango.AttrQuality.ATTR_VALID)
            self.assertFalse({tango.DevState.ON, tango.DevState.STANDBY} & set(states[lost:]), states)
            self.assertEqual(bytes_[-1][1], 0x09)
        finally:
            for subscription in subscriptions:
                self.device.unsubscribe_event(subscription)

    def test_6_a_hung_up_port_comes_back_to_the_same_laser(self):
        serial = self.read("SerialNumber")
        self.sim.tell("hangup 3")
        wait_until("UNKNOWN", lambda: self.device.state() == tango.DevState.UNKNOWN)
        self.assertIn("lost", self.device.status())
        with self.assertRaises(tango.DevFailed) as refused:
            self.device.command_inout("Standby")
        self.assertEqual(refused.exception.args[0].reason, "LumetraQZ_NotConnected")
        wait_until("the laser back", lambda: self.device.state() == tango.DevState.OFF)
        self.assertEqual(self.read("SerialNumber"), serial)

    def test_6a_a_reconnect_while_the_port_is_gone_keeps_waiting_for_it(self):
        self.sim.tell("hangup 5")
        wait_until("UNKNOWN", lambda: self.device.state() == tango.DevState.UNKNOWN)
        self.device.command_inout("Reconnect")
        wait_until("the failed open", lambda: any(text in self.device.status()
                                                  for text in ("still waiting", "open failed")))
        self.assertEqual(self.device.state(), tango.DevState.UNKNOWN, self.device.status())
        wait_until("the laser back", lambda: "Listen" in self.device.status())

    def test_7_another_laser_on_the_port_is_left_closed_until_a_reconnect(self):
        self.sim.tell("hangup forever")
        wait_until("UNKNOWN", lambda: self.device.state() == tango.DevState.UNKNOWN)
        self.sim.stop()
        self.__class__.sim = Simulator(self.folder, "second", "--module", "0x90", "--serial-number", "LQZ10-0000-0007")
        wait_until("FAULT", lambda: self.device.state() == tango.DevState.FAULT)
        self.assertIn("LQZ10-0000-0007", self.device.status())
        self.assertNotIn("LQZ10-0000-0007\n", self.sim.received())
        self.device.command_inout("Reconnect")
        wait_until("the other laser accepted", lambda: self.device.state() == tango.DevState.OFF)
        self.assertEqual(self.read("SerialNumber"), "LQZ10-0000-0007")

    def test_8_a_hang_up_and_a_terminate_end_the_server_cleanly(self):
        lock_name = "LCK.." + self.sim.port.replace("/", "_")
        locks = [os.path.join(folder, lock_name) for folder in ("/var/lock", "/run/lock", "/tmp", "/var/tmp")]
        held = [lock for lock in locks if os.path.exists(lock)]
        # A closed terminal's hang-up does not end the server; the terminate that follows must still
        # close the port, remove its lock and exit normally.
        self.server.process.send_signal(signal.SIGHUP)
        self.device.ping()
        self.server.process.terminate()
        self.assertEqual(self.server.process.wait(20), 0)
        self.assertEqual([lock for lock in held if os.path.exists(lock)], [])
        if not held:
            self.skipTest("the serial port took no lock file in the usual folders")


class DeviceWithoutDatabase(unittest.TestCase):
    """-nodb gives no properties: the device must say so rather than pretend to be connected."""

    def test_without_a_port_the_device_is_in_fault_and_says_why(self):
        folder = tempfile.mkdtemp(prefix="tango-test-")
        server = Server(folder, "bare", "-nodb", "-dlist", "test/lumetra/bare")
        try:
            device = server.proxy("test/lumetra/bare")
            # Init stops the device core and starts a new one; the server must survive it.
            device.Init()
            self.assertEqual(device.state(), tango.DevState.FAULT)
            self.assertIn("SerialPort", device.status())
            self.assertNotIn("SendCommand", device.get_command_list())
            with self.assertRaises(tango.DevFailed) as refused:
                device.write_attribute("DivisionFactor", 2)
            self.assertEqual(refused.exception.args[0].reason, "API_AttrNotAllowed")
        finally:
            server.stop()
            shutil.rmtree(folder, ignore_errors=True)


    def test_an_empty_port_property_is_a_fault_that_says_why(self):
        folder = tempfile.mkdtemp(prefix="tango-test-")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        properties = os.path.join(folder, "empty.res")
        with open(properties, "w") as f:
            f.write('LumetraQZ/empty/DEVICE/LumetraQZ: "test/lumetra/empty"\n')
            f.write('test/lumetra/empty->SerialPort: ""\n')
        server = Server(folder, "empty", f"-file={properties}")
        self.addCleanup(server.stop)
        device = server.proxy("test/lumetra/empty")
        self.assertEqual(device.state(), tango.DevState.FAULT)
        self.assertIn("SerialPort", device.status())
        self.assertNotIn("NULL", device.status())


class DeviceOnNetworkPort(unittest.TestCase):
    """The laser behind a serial device server: SerialPort names it as socket://HOST:PORT."""

    def test_a_laser_behind_a_device_server_is_read_and_written(self):
        folder = tempfile.mkdtemp(prefix="tango-test-")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        sim = Simulator(folder, "network", "--tcp", str(free_port()), "--serial-number", "LQZ10-0000-0077")
        self.addCleanup(sim.stop)
        self.assertTrue(sim.port.startswith("socket://127.0.0.1:"), sim.port)
        properties = os.path.join(folder, "network.res")
        with open(properties, "w") as f:
            f.write('LumetraQZ/network/DEVICE/LumetraQZ: "test/lumetra/network"\n')
            f.write(f'test/lumetra/network->SerialPort: "{sim.port}"\n')
            f.write("test/lumetra/network->ReconnectPeriod: 200\n")
        server = Server(folder, "network", f"-file={properties}")
        self.addCleanup(server.stop)
        device = server.proxy("test/lumetra/network")
        device.set_timeout_millis(10000)
        wait_until("the laser's serial number", lambda: device.read_attribute("SerialNumber").value)
        self.assertEqual(device.read_attribute("SerialNumber").value, "LQZ10-0000-0077")
        wait_until("a status from the laser", lambda: device.state() in (tango.DevState.OFF, tango.DevState.STANDBY))
        self.assertEqual(sim.received()[:2], ["ly_system_info\n", "ly_lqz2_dev_status?\n"])
        mark = len(sim.received())
        device.write_attribute("DivisionFactor", 3)
        wait_until("'e_div 3' on the wire", lambda: "e_div 3\n" in sim.received()[mark:])
        wait_until("the division read back", lambda: device.read_attribute("DivisionFactor").value == 3)


class DeviceInADatabase(unittest.TestCase):
    """The way a facility runs it: registered in a Tango database, its port a stored property, reached
    by name alone."""

    def launcher(self, folder):
        def launch(command, output, environment=None):
            with open(os.path.join(folder, output), "w") as out:
                process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, env=environment,
                                           preexec_fn=die_with_parent)
            return process
        return launch

    def test_a_registered_device_is_reached_by_name(self):
        lacking = tango_database.missing(TANGO_DB)
        if lacking:
            self.fail(f"{lacking} is missing: scripts/deps.sh installs MariaDB and unpacks the Tango database")
        folder = tempfile.mkdtemp(prefix="tango-db-test-")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        database = tango_database.TangoDatabase(TANGO_DB, folder, free_port(), free_port(), self.launcher(folder),
                                                wait_until)
        self.addCleanup(database.stop)
        sim = Simulator(folder, "registered", "--serial-number", "LQZ10-0000-0042")
        self.addCleanup(sim.stop)

        name = "lab/lumetra/registered"
        device = tango.DbDevInfo()
        device.name, device._class, device.server = name, "LumetraQZ", "LumetraQZ/registered"
        database.database.add_device(device)
        database.database.put_device_property(name, {"SerialPort": [sim.port], "ReconnectPeriod": ["200"]})

        server = Server(folder, "registered", environment=dict(os.environ, TANGO_HOST=database.host))
        self.addCleanup(server.stop)
        laser = tango.DeviceProxy(f"tango://{database.host}/{name}")
        wait_until("the laser through the database", lambda: laser.read_attribute("SerialNumber").value)
        self.assertEqual(laser.read_attribute("SerialNumber").value, "LQZ10-0000-0042")
        self.assertTrue(database.database.get_device_info(name).exported)
        self.assertNotIn("SendCommand", laser.get_command_list())


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--server", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--tango-db", required=True, help="where Debian's tango-db package is unpacked")
    options, rest = parser.parse_known_args()
    SERVER, SIM, TANGO_DB = options.server, options.sim, options.tango_db
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
