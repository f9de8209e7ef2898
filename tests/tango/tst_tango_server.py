"""The LumetraQZ device server on the simulated laser, through a PyTango client, on loopback only.

Run by CTest: /usr/bin/python3 tst_tango_server.py --server PATH --sim PATH --tango-db FOLDER. Exits non-zero when any
case fails.
"""
import argparse
import json
import os
import re
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


def properties_file(folder, instance, devices):
    """A -file= database for one server instance: {device name: {property: value}}."""
    path = os.path.join(folder, instance + ".res")
    with open(path, "w") as f:
        f.write(f'LumetraQZ/{instance}/DEVICE/LumetraQZ: ' + ", ".join(f'"{name}"' for name in devices) + "\n")
        for name, properties in devices.items():
            for key, value in properties.items():
                f.write(f'{name}->{key}: "{value}"\n')
    return f"-file={path}"


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

    def test_1a_attribute_properties_describe_the_laser(self):
        cases = [("Humidity", {"label": "Humidity", "unit": "%", "format": "%d", "alarms.max_warning": "50",
                               "alarms.max_alarm": "55", "description": "Relative humidity in the harmonic module"}),
                 ("Energy", {"label": "Energy set-point", "unit": "uJ", "standard_unit": "1e-06",
                             "display_unit": "1", "format": "%.3f"}),
                 ("RepetitionRate", {"unit": "kHz", "standard_unit": "1000"}),
                 ("DivisionFactor", {"label": "Division factor", "min_value": "1", "max_value": "65535"}),
                 ("Oven1Temperature", {"unit": "degC", "alarms.max_alarm": "Not specified"}),
                 ("Humidity", {"events.arch_event.archive_period": "60000",
                               "events.arch_event.archive_abs_change": "2"}),
                 ("ErrorText", {"events.arch_event.archive_period": "60000"})]
        for name, expected in cases:
            config = self.device.get_attribute_config_ex(name)[0]
            for field, value in expected.items():
                with self.subTest(attribute=name, property=field):
                    found = config
                    for part in field.split("."):
                        found = getattr(found, part)
                    self.assertEqual(found, value)

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

    def test_3aa_a_refusal_reaches_a_file_logging_target(self):
        # Tango takes the target's file name in lower case.
        folder = tempfile.mkdtemp(prefix="lumetra-log-", dir="/tmp")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        log = os.path.join(folder, "device.log")
        self.device.add_logging_target(f"file::{log}")
        self.device.set_logging_level(3)  # WARN
        with self.assertRaises(tango.DevFailed):
            self.device.write_attribute("RepetitionRate", 333.0)
        def logged():
            with open(log) as f:
                return "RepetitionRate 333 kHz is not one the laser offers" in f.read()
        wait_until("the refusal in the log", lambda: os.path.exists(log) and logged())
        # Who changed the laser, from what to what, and whether it took it.
        self.device.set_logging_level(4)  # INFO
        self.device.write_attribute("Energy", 2.5)
        def audited():
            with open(log) as f:
                return re.search(r"Tango device: Energy set-point \d+\.\d{3} µJ → 2\.500 µJ "
                                 r"\(ly_lqz2_power=2500\): reported by the laser", f.read())
        wait_until("the write's audit in the log", audited)

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

    def test_4a_emission_is_refused_while_the_laser_is_off(self):
        wait_until("OFF", lambda: self.device.state() == tango.DevState.OFF)
        mark = len(self.sim.received())
        for command in ("LaserOn", "OutputEnable"):
            with self.subTest(command=command):
                with self.assertRaises(tango.DevFailed) as refused:
                    self.device.command_inout(command)
                self.assertEqual(refused.exception.args[0].reason, "API_CommandNotAllowed")
                self.assertIn("not allowed in OFF", refused.exception.args[0].desc)
        # Commands go out in order: once a later one is on the wire, a refused one would be too.
        self.device.write_attribute("DivisionFactor", 5)
        self.wait_for_command(mark, "e_div 5\n")
        self.assertEqual(commands_since(self.sim.received()[mark:]), ["e_div 5\n"])

    def test_5_humidity_reaches_a_subscriber_and_raises_alarm(self):
        humidity, states = [], []
        subscriptions = [
            self.device.subscribe_event("Humidity", tango.EventType.CHANGE_EVENT,
                                        lambda e: e.err or humidity.append((e.attr_value.value,
                                                                            e.attr_value.quality))),
            self.device.subscribe_event("State", tango.EventType.CHANGE_EVENT,
                                        lambda e: e.err or states.append(e.attr_value.value))]
        try:
            # Above the warning level the module raises no fault yet, but the reading says it nears one.
            self.sim.tell("set humidity 53")
            wait_until("humidity in WARNING quality", lambda: self.device.read_attribute("Humidity").quality ==
                       tango.AttrQuality.ATTR_WARNING)
            self.assertNotEqual(self.device.state(), tango.DevState.ALARM)
            self.sim.tell("set humidity 61")
            wait_until("a humidity event near 61 in ALARM quality",
                       lambda: any(abs(h - 61) <= 2 and q == tango.AttrQuality.ATTR_ALARM for h, q in humidity))
            self.assertEqual(self.device.read_attribute("Humidity").quality, tango.AttrQuality.ATTR_ALARM)
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


class NeverHang(unittest.TestCase):
    """A Tango client gives up after 3 s: no request may take that long, whatever the port does."""

    def test_ten_clients_are_answered_in_every_state(self):
        folder = tempfile.mkdtemp(prefix="tango-test-")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        sim = Simulator(folder, "live")
        self.addCleanup(sim.stop)
        # A terminal that takes every byte and never answers.
        master, slave = os.openpty()
        self.addCleanup(os.close, slave)
        self.addCleanup(os.close, master)
        quiet = threading.Event()
        self.addCleanup(quiet.set)

        def swallow():
            while not quiet.is_set():
                try:
                    os.read(master, 4096)
                except OSError:
                    time.sleep(0.05)
        threading.Thread(target=swallow, daemon=True).start()
        names = {"test/lumetra/missing": "/nonexistent/ttyLQZ0", "test/lumetra/silent": os.ttyname(slave),
                 "test/lumetra/live": sim.port}
        server = Server(folder, "hang", properties_file(folder, "hang", {
            name: {"SerialPort": port, "ReconnectPeriod": 200} for name, port in names.items()}))
        self.addCleanup(server.stop)
        for name in names:
            server.proxy(name)
        live = server.proxy("test/lumetra/live")
        wait_until("the live laser", lambda: live.state() == tango.DevState.OFF)

        requests = [lambda d: d.state(), lambda d: d.status(), lambda d: d.read_attribute("Energy"),
                    lambda d: d.read_attributes(["StatusByte", "Humidity", "SerialNumber"]),
                    lambda d: d.write_attribute("DivisionFactor", 1), lambda d: d.command_inout("Standby"),
                    lambda d: d.command_inout("OutputDisable"), lambda d: d.command_inout("LaserOn"),
                    lambda d: d.get_attribute_config("Energy")]
        stop = threading.Event()
        times, timeouts = [], []

        def client(number):
            devices = [tango.DeviceProxy(f"tango://127.0.0.1:{server.port}/{name}#dbase=no") for name in names]
            for device in devices:
                device.set_timeout_millis(3000)
            turn = number
            while not stop.is_set():
                device, request = devices[turn % len(devices)], requests[turn % len(requests)]
                turn += 1
                began = time.monotonic()
                try:
                    request(device)
                except tango.DevFailed as error:
                    if any("Timed" in e.reason or "TIMEOUT" in e.reason.upper() for e in error.args):
                        timeouts.append((device.name(), error.args[0].reason))
                times.append(time.monotonic() - began)

        threads = [threading.Thread(target=client, args=(n,)) for n in range(10)]
        for thread in threads:
            thread.start()
        try:
            # Meanwhile: a port that goes away and comes back, reconnections and re-initialisations.
            silent = server.proxy("test/lumetra/silent")
            silent.set_timeout_millis(3000)
            live.set_timeout_millis(3000)
            for _ in range(3):
                sim.tell("hangup 2")
                time.sleep(0.5)
                for request in (live.Reconnect, silent.Reconnect, silent.Init, live.Init):
                    began = time.monotonic()
                    request()
                    times.append(time.monotonic() - began)
                time.sleep(3)
        finally:
            stop.set()
            for thread in threads:
                thread.join()
        print(f"{len(times)} requests from 10 clients, worst {max(times) * 1000:.0f} ms", file=sys.stderr)
        self.assertEqual(timeouts, [])


class TwoLasers(unittest.TestCase):
    """Two devices of one server, each on its own laser: what happens to one leaves the other alone."""

    def test_a_lost_port_leaves_the_other_laser_untouched(self):
        folder = tempfile.mkdtemp(prefix="tango-test-")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        sims = {}
        for tag, serial in (("a", "LQZ10-0000-0101"), ("b", "LQZ10-0000-0102")):
            sims[tag] = lumetra_sim.Simulator(SIM, folder, tag, "--serial-number", serial)
            self.addCleanup(sims[tag].stop)
        server = Server(folder, "two", properties_file(folder, "two", {
            f"test/lumetra/{tag}": {"SerialPort": sim.port, "ReconnectPeriod": 200} for tag, sim in sims.items()}))
        self.addCleanup(server.stop)
        a, b = server.proxy("test/lumetra/a"), server.proxy("test/lumetra/b")
        for device in (a, b):
            wait_until("the laser", lambda: device.state() == tango.DevState.OFF)
        states, bytes_ = [], []
        subscriptions = [
            b.subscribe_event("State", tango.EventType.CHANGE_EVENT,
                              lambda e: e.err or states.append(e.attr_value.value)),
            b.subscribe_event("StatusByte", tango.EventType.CHANGE_EVENT,
                              lambda e: e.err or bytes_.append(e.attr_value.quality))]
        self.addCleanup(lambda: [b.unsubscribe_event(s) for s in subscriptions])

        sims["a"].tell("hangup 3")
        wait_until("the first laser lost", lambda: a.state() == tango.DevState.UNKNOWN)
        self.assertEqual(b.state(), tango.DevState.OFF)
        self.assertEqual(b.read_attribute("StatusByte").quality, tango.AttrQuality.ATTR_VALID)
        mark = len(sims["b"].received())
        b.write_attribute("DivisionFactor", 3)
        wait_until("'e_div 3' on the second laser", lambda: "e_div 3\n" in sims["b"].received()[mark:])
        wait_until("the first laser back", lambda: a.state() == tango.DevState.OFF)
        self.assertEqual(a.read_attribute("SerialNumber").value, "LQZ10-0000-0101")
        self.assertEqual(b.read_attribute("SerialNumber").value, "LQZ10-0000-0102")
        self.assertEqual(set(states), {tango.DevState.OFF})
        self.assertNotIn(tango.AttrQuality.ATTR_INVALID, bytes_)
        self.assertFalse([line for line in commands_since(sims["a"].received()) if line.startswith("e_div")])


def launcher(folder):
    def launch(command, output, environment=None):
        with open(os.path.join(folder, output), "w") as out:
            process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, env=environment,
                                       preexec_fn=die_with_parent)
        return process
    return launch


class WithDatabase(unittest.TestCase):
    """A Tango database of the class's own, in which each case registers its devices."""

    @classmethod
    def setUpClass(cls):
        lacking = tango_database.missing(TANGO_DB)
        if lacking:
            raise AssertionError(f"{lacking} is missing: scripts/deps.sh installs MariaDB and unpacks the Tango "
                                 "database")
        cls.folder = tempfile.mkdtemp(prefix="tango-db-test-")
        cls.database = tango_database.TangoDatabase(TANGO_DB, cls.folder, free_port(), free_port(),
                                                    launcher(cls.folder), wait_until)

    @classmethod
    def tearDownClass(cls):
        cls.database.stop()
        shutil.rmtree(cls.folder, ignore_errors=True)

    def register(self, instance, name, properties):
        device = tango.DbDevInfo()
        device.name, device._class, device.server = name, "LumetraQZ", f"LumetraQZ/{instance}"
        self.database.database.add_device(device)
        self.database.database.put_device_property(name, properties)
        server = Server(self.folder, instance, environment=dict(os.environ, TANGO_HOST=self.database.host))
        self.addCleanup(server.stop)
        return tango.DeviceProxy(f"tango://{self.database.host}/{name}")


class ArchiveEvents(WithDatabase):
    """What an archiver sees: every numeric attribute within its archive period, a steady one no more often.
    Through a database: a subscription without one is not renewed."""

    def test_every_numeric_attribute_is_archived_within_70_s(self):
        # The module with a third harmonic and a humidity monitor reports every attribute but the system
        # state, which this laser never states.
        sim = Simulator(self.folder, "archive", "--module", "0x93")
        self.addCleanup(sim.stop)
        device = self.register("archive", "lab/lumetra/archive", {"SerialPort": [sim.port],
                                                                  "ReconnectPeriod": ["200"]})
        wait_until("the device", lambda: device.ping() >= 0)
        numeric = [c.name for c in device.get_attribute_config(device.get_attribute_list())
                   if c.data_type in (tango.CmdArgType.DevDouble, tango.CmdArgType.DevLong64)
                   and c.name != "SystemState"]
        wait_until("every numeric attribute read", lambda: all(
            a.value is not None for a in device.read_attributes(numeric)))
        events = {name: [] for name in numeric}
        subscribed = {}
        for name in numeric:
            subscribed[name] = device.subscribe_event(
                name, tango.EventType.ARCHIVE_EVENT,
                lambda e, name=name: e.err or events[name].append((time.monotonic(), e.attr_value.value)))
        start = time.monotonic()
        self.addCleanup(lambda: [device.unsubscribe_event(s) for s in subscribed.values()])
        time.sleep(70)
        since = {name: [value for at, value in got if at >= start] for name, got in events.items()}
        print("archive events per attribute in 70 s: " +
              ", ".join(f"{name} {len(values)}" for name, values in sorted(since.items())), file=sys.stderr)
        for name in numeric:
            with self.subTest(attribute=name):
                self.assertTrue(since[name], f"no archive event for {name} in 70 s")
        # Values that stay within their threshold (humidity wanders by less than 2 %) are archived by
        # the period alone, once or twice in 70 s, not on every report.
        for name in ("Humidity", "DivisionFactor", "CrystalMaxRuntime"):
            with self.subTest(steady=name):
                self.assertLessEqual(len(since[name]), 2, since[name])


class DeviceInADatabase(WithDatabase):
    """The way a facility runs it: registered in a Tango database, its port a stored property, reached
    by name alone."""

    def test_a_registered_device_is_reached_by_name(self):
        sim = Simulator(self.folder, "registered", "--serial-number", "LQZ10-0000-0042")
        self.addCleanup(sim.stop)
        name = "lab/lumetra/registered"
        laser = self.register("registered", name, {"SerialPort": [sim.port], "ReconnectPeriod": ["200"]})
        wait_until("the laser through the database", lambda: laser.read_attribute("SerialNumber").value)
        self.assertEqual(laser.read_attribute("SerialNumber").value, "LQZ10-0000-0042")
        self.assertTrue(self.database.database.get_device_info(name).exported)
        self.assertNotIn("SendCommand", laser.get_command_list())

    def test_init_reads_a_changed_port_and_connects_to_it(self):
        first = lumetra_sim.Simulator(SIM, self.folder, "first", "--serial-number", "LQZ10-0000-0201")
        self.addCleanup(first.stop)
        second = lumetra_sim.Simulator(SIM, self.folder, "second", "--serial-number", "LQZ10-0000-0202")
        self.addCleanup(second.stop)
        name = "lab/lumetra/moved"
        laser = self.register("moved", name, {"SerialPort": [first.port], "ReconnectPeriod": ["200"],
                                              "AllowRawCommands": ["true"]})
        wait_until("the first laser", lambda: laser.read_attribute("SerialNumber").value == "LQZ10-0000-0201")
        self.assertIn("SendCommand", laser.get_command_list())
        self.database.database.put_device_property(name, {"SerialPort": [second.port]})
        self.database.database.delete_device_property(name, ["AllowRawCommands"])
        laser.Init()
        wait_until("the second laser", lambda: laser.read_attribute("SerialNumber").value == "LQZ10-0000-0202")
        wait_until("its status", lambda: laser.state() == tango.DevState.OFF)
        self.assertNotIn("SendCommand", laser.get_command_list())
        # The first port is free again: nothing polls that laser any more.
        polled = len(first.received())
        time.sleep(1)
        self.assertEqual(len(first.received()), polled)


class TaurusForm(WithDatabase):
    """The device on Taurus, the generic GUI a facility puts it on, with nothing configured for it.
    LUMETRA_TAURUS_SCREENSHOT=docs/tango-taurus.png keeps the form's picture for the README."""

    def test_a_taurus_form_shows_units_and_the_humidity_alarm(self):
        sim = Simulator(self.folder, "taurus", "--module", "0x90", "--serial-number", "LQZ10-0000-0303")
        self.addCleanup(sim.stop)
        name = "lab/lumetra/taurus"
        laser = self.register("taurus", name, {"SerialPort": [sim.port], "ReconnectPeriod": ["200"]})
        wait_until("the laser", lambda: laser.read_attribute("Humidity").value is not None)
        sim.tell("set humidity 61")
        wait_until("humidity in alarm",
                   lambda: laser.read_attribute("Humidity").quality == tango.AttrQuality.ATTR_ALARM)
        screenshot = os.environ.get("LUMETRA_TAURUS_SCREENSHOT") or os.path.join(self.folder, "taurus.png")
        form = subprocess.run(
            ["/usr/bin/python3", os.path.join(os.path.dirname(os.path.abspath(__file__)), "taurus_form.py"),
             name, screenshot], capture_output=True, text=True, timeout=120,
            env=dict(os.environ, TANGO_HOST=self.database.host, QT_QPA_PLATFORM="offscreen"))
        self.assertEqual(form.returncode, 0, form.stderr[-3000:])
        shown = json.loads(form.stdout.strip().splitlines()[-1])
        # Taurus reads the units through its own unit library and shows their symbols. That library
        # cannot read "%", Tango's usual unit for humidity, and Taurus shows the reading without it.
        for attribute, unit in (("Energy", "µJ"), ("RepetitionRate", "kHz"),
                                ("Oven1Temperature", "°C"), ("OutputPowerIR", "W")):
            with self.subTest(attribute=attribute):
                self.assertEqual(shown[attribute]["unit"], unit)
        self.assertEqual(shown["Humidity"]["quality"], "ATTR_ALARM")
        self.assertEqual(shown["Humidity"]["background"], [255, 140, 0])
        self.assertEqual(shown["Energy"]["quality"], "ATTR_VALID")
        self.assertTrue(os.path.getsize(screenshot) > 0)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--server", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--tango-db", required=True, help="where Debian's tango-db package is unpacked")
    options, rest = parser.parse_known_args()
    SERVER, SIM, TANGO_DB = options.server, options.sim, options.tango_db
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
