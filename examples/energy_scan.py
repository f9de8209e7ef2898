#!/usr/bin/python3
"""Steps the laser's energy set-point, waits each time until the laser has it, reads back the measured
pulse energy and writes one CSV row per step.

    lumetra-remote --port /dev/ttyUSB0 --listen 5025 --allow-writes    # or Remote control in the program
    PYTHONPATH=python examples/energy_scan.py --start 1 --stop 5 --step 0.5 scan.csv
"""
import argparse
import csv
import math
import time

from lumetra_qz import LumetraQZ


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("output", help="CSV file to write")
    parser.add_argument("--resource", default="TCPIP::127.0.0.1::5025::SOCKET")
    parser.add_argument("--start", type=float, required=True, help="first set-point, µJ")
    parser.add_argument("--stop", type=float, required=True, help="last set-point, µJ")
    parser.add_argument("--step", type=float, required=True, help="step, µJ")
    parser.add_argument("--settle", type=float, default=1.0, help="seconds to wait after each step")
    arguments = parser.parse_args()

    laser = LumetraQZ(arguments.resource)
    print(laser.id)
    steps = int(round((arguments.stop - arguments.start) / arguments.step)) + 1
    with open(arguments.output, "w", newline="") as f:
        out = csv.writer(f)
        out.writerow(["set-point [µJ]", "reported set-point [µJ]", "measured energy [µJ]", "errors"])
        for i in range(steps):
            setpoint = round(arguments.start + i * arguments.step, 6)
            laser.energy_setpoint = setpoint
            confirmed = laser.complete()
            time.sleep(arguments.settle)
            measured = laser.measured_energy
            errors = laser.errors()
            out.writerow([setpoint, laser.energy_setpoint, "" if math.isnan(measured) else measured,
                          "; ".join(f"{code} {text}" for code, text in errors)])
            print(f"{setpoint:8.3f} µJ  confirmed={confirmed}  measured={measured}")
            if errors:
                print("  ", errors)


if __name__ == "__main__":
    main()
