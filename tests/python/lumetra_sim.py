"""The simulated laser and a few waiting helpers, for the tests that drive real programs from Python."""
import ctypes
import os
import signal
import socket
import subprocess
import time

WAIT_S = 40


def die_with_parent():
    """Runs in each child before exec: a crashed or killed test must not leave a server or a
    simulator running (a fast simulator left polling loads the machine for every later run)."""
    ctypes.CDLL("libc.so.6", use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(what, predicate, timeout=WAIT_S, errors=()):
    """Polls predicate until it returns something true; exceptions of the given kinds count as not yet."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        try:
            last = predicate()
            if last:
                return last
        except errors as error:
            last = error
        time.sleep(0.1)
    raise AssertionError(f"timed out waiting for {what}; last seen: {last!r}")


class Simulator:
    """lumetra-sim with a transcript and a control pipe in a folder of its own. Its port is published in
    the folder under `name` (the tag unless given): a simulator started again under the same name is
    the same port to whoever opens it."""

    def __init__(self, program, folder, tag, *options, name=None):
        self.log = os.path.join(folder, tag + ".log")
        self.control = os.path.join(folder, tag + ".control")
        os.mkfifo(self.control)
        self.out_path = os.path.join(folder, tag + ".out")
        self.out = open(self.out_path, "w")
        self.process = subprocess.Popen(
            [program, "--fast", "--log", self.log, "--control", self.control, "--name", name or tag,
             "--port-dir", folder, *options], stdout=self.out, stderr=subprocess.STDOUT,
            preexec_fn=die_with_parent)
        self.port = wait_until("the simulator's port", self._first_line)
        # Held open so that the simulator never sees the end of its control input.
        self.pipe = open(self.control, "w")

    def _first_line(self):
        with open(self.out_path) as f:
            line = f.readline()
        return line.strip() if line.endswith("\n") else None

    def tell(self, command):
        self.pipe.write(command + "\n")
        self.pipe.flush()

    def received(self):
        """The lines the laser received, in order, as the wire carried them."""
        lines = []
        with open(self.log, encoding="latin-1") as f:
            for entry in f:
                marker = entry.find(' RX "')
                if marker >= 0:
                    text = entry[marker + 5:].rstrip("\n")[:-1]
                    lines.append(text.encode("latin-1").decode("unicode_escape"))
        return lines

    def settings_received(self):
        """The settings lines among the received ones: no polled queries."""
        polls = {"s6\n", "s7\n", "s8\n", "s9\n"}
        return [line for line in self.received() if line not in polls and not line.endswith("?\n")]

    def stop(self):
        self.pipe.close()
        self.process.terminate()
        self.process.wait(10)
        self.out.close()
