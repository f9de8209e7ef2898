#!/usr/bin/python3
"""What the remote interface costs, with the program's panel open and polling the simulated laser.

    bench/remote/bench_remote.py --program build/app/LUMETRA-QZ --sim build/sim/lumetra-sim [--queries 10000]

1. Answer time of `--queries` PyVISA queries (median and 99th percentile).
2. The program's CPU over `--seconds` with one client asking ten times a second, beside a second program
   on a second simulator with no client, both in the same window of time: the difference is the client's.
Not run by the tests: timings belong to a quiet machine.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "python"))
import pyvisa  # noqa: E402

from lumetra_sim import Simulator, die_with_parent, free_port, wait_until  # noqa: E402


def start_program(program, folder, port_name, remote_port):
    environment = dict(os.environ, HOME=folder, XDG_CONFIG_HOME=os.path.join(folder, "config"),
                       XDG_DATA_HOME=os.path.join(folder, "data"), QT_QPA_PLATFORM="offscreen")
    arguments = [program, "--connect", port_name]
    if remote_port:
        arguments += ["--remote", str(remote_port)]
    return subprocess.Popen(arguments, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=environment,
                            preexec_fn=die_with_parent)


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--queries", type=int, default=10000)
    parser.add_argument("--seconds", type=float, default=60)
    arguments = parser.parse_args()

    folder = tempfile.mkdtemp(prefix="bench-remote-")
    sims, programs = [], []
    try:
        for tag in ("with-client", "without"):
            sub = os.path.join(folder, tag)
            os.makedirs(sub)
            sim = Simulator(arguments.sim, sub, tag)
            sims.append(sim)
            port = free_port()
            programs.append((start_program(arguments.program, sub, sim.port, port), port))
        resource = f"TCPIP::127.0.0.1::{programs[0][1]}::SOCKET"
        rm = pyvisa.ResourceManager("@py")
        visa = wait_until("the program to listen", lambda: rm.open_resource(
            resource, read_termination="\n", write_termination="\n", timeout=5000), errors=(Exception,))
        wait_until("the laser to answer", lambda: visa.query("SYST:LINK?") == "CONNECTED")

        times = []
        for _ in range(arguments.queries):
            start = time.perf_counter()
            visa.query("MEAS:OVEN1:TEMP?")
            times.append((time.perf_counter() - start) * 1000)
        times.sort()
        p99 = times[int(len(times) * 0.99) - 1]
        print(f"{arguments.queries} queries: median {statistics.median(times):.3f} ms, "
              f"99th percentile {p99:.3f} ms, slowest {times[-1]:.3f} ms")

        time.sleep(5)
        pids = [p.pid for p, _ in programs]
        before = [cpu_seconds(pid) for pid in pids]
        start = time.monotonic()
        while time.monotonic() - start < arguments.seconds:
            visa.query("MEAS:OVEN1:TEMP?")
            time.sleep(0.1)
        elapsed = time.monotonic() - start
        used = [(cpu_seconds(pid) - b) / elapsed * 100 for pid, b in zip(pids, before)]
        print(f"CPU over {elapsed:.0f} s, side by side: with a client at 10 Hz {used[0]:.2f} % of a core, "
              f"without {used[1]:.2f} %, difference {used[0] - used[1]:+.2f} %")
        visa.close()
    finally:
        for program, _ in programs:
            program.terminate()
            program.wait(20)
        for sim in sims:
            sim.stop()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
