"""A TaurusForm on one LumetraQZ device, as an operator opens it with `taurus form`: waits until the
readings are shown, saves a picture of the form and prints, as one line of JSON, what each attribute
shows: its unit, the quality Taurus holds and the background of its value.

Run with TANGO_HOST set: taurus_form.py DEVICE PICTURE.png
"""
import json
import re
import sys
import time

from taurus.external.qt import Qt
from taurus.qt.qtgui.application import TaurusApplication
from taurus.qt.qtgui.panel import TaurusForm

ATTRIBUTES = ["State", "Humidity", "HumidityFault", "Energy", "RepetitionRate", "DivisionFactor",
              "Oven1Temperature", "Oven1Setpoint", "OutputPowerIR", "SerialNumber"]


def background(widget):
    """The colour Taurus paints behind a value: in the label's palette, or in its style sheet when it is
    told not to use the palette."""
    found = re.search(r"background-color:\s*rgba?\((\d+),\s*(\d+),\s*(\d+)", widget.styleSheet())
    if found:
        return [int(part) for part in found.groups()]
    if widget.autoFillBackground():
        color = widget.palette().color(Qt.QPalette.Window)
        return [color.red(), color.green(), color.blue()]
    return None


def main():
    device, picture = sys.argv[1], sys.argv[2]
    app = TaurusApplication(sys.argv[:1], cmd_line_parser=None)
    form = TaurusForm()
    form.setWindowTitle(f"taurus form {device}")
    form.setModel([f"{device}/{name}" for name in ATTRIBUTES])
    form.resize(640, 460)
    form.show()

    def shown():
        result = {}
        for item in form.getItems():
            name = item.getModelName().rsplit("/", 1)[-1]
            attribute = item.getModelObj()
            reading = attribute.read() if attribute else None
            units = item.unitsWidget()
            result[name] = {"unit": units.text() if units else "",
                            "quality": reading.quality.name if reading is not None else None,
                            "background": background(item.readWidget()) if item.readWidget() else None}
        return result

    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        app.processEvents()
        now = shown()
        if len(now) == len(ATTRIBUTES) and now.get("Humidity", {}).get("background") and \
                now.get("Humidity", {}).get("quality") == "ATTR_ALARM":
            break
        time.sleep(0.1)
    for _ in range(20):
        app.processEvents()
        time.sleep(0.05)
    form.grab().save(picture)
    print(json.dumps(shown()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
