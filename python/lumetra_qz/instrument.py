"""A PyMeasure instrument whose properties are made from the program's command tree.

The tree is remote_tree.tsv beside this file, the output of `lumetra-remote --list-remote`; the
project's tests check that it is the program's own. Each quantity becomes a property named after
its key in the program's recordings: a reading is read-only, a set-point can be set, and a state
command (output, laser, standby, listen) takes True or False.
"""
import os
import re

from pymeasure.instruments import Instrument

_TREE = os.path.join(os.path.dirname(__file__), "remote_tree.tsv")

# Key groups that say nothing a property name needs.
_PLAIN_GROUPS = ("laser.", "ctl.", "hg.", "system.")


def remote_tree(path=_TREE):
    """The command tree: dicts with header, key, access, unit, limits and description."""
    fields = ("header", "key", "access", "unit", "limits", "description")
    with open(path, encoding="utf-8") as f:
        return [dict(zip(fields, line.rstrip("\n").split("\t"))) for line in f if line.strip()]


def readme_table(path=_TREE):
    """The tree as the README shows it: a Markdown table."""
    lines = ["| Header | Python property | Access | Unit | Limits |", "| --- | --- | --- | --- | --- |"]
    for node in remote_tree(path):
        lines.append(f"| `{node['header']}` | `{property_name(node['key'])}` | {node['access']} | {node['unit']} "
                     f"| {node['limits']} |")
    return "\n".join(lines) + "\n"


def property_name(key):
    """The Python name of a quantity: its key without a plain group, with dots as underscores."""
    for group in _PLAIN_GROUPS:
        if key.startswith(group):
            key = key[len(group):]
            break
    return key.replace(".", "_")


def _command(header):
    """The short form a script sends: the capitals of each node, without the optional ones."""
    nodes = re.sub(r"\[[^\]]*\]", "", header).split(":")
    return ":".join("".join(c for c in node if c.isupper() or c.isdigit()) for node in nodes if node)


def _unquote(text):
    text = text.strip()
    if len(text) >= 2 and text[0] == text[-1] == '"':
        return text[1:-1].replace('""', '"')
    return text


def _number(text):
    value = float(text)
    # The interface's "not a number": the laser does not answer, or does not report this.
    return float("nan") if value == 9.91e37 else value


class LumetraQZ(Instrument):
    """The laser on the remote interface; one property for each node of the command tree."""

    def __init__(self, adapter, name="LUMETRA-QZ laser", **kwargs):
        if isinstance(adapter, str):
            kwargs.setdefault("visa_library", "@py")
            kwargs.setdefault("read_termination", "\n")
            kwargs.setdefault("write_termination", "\n")
            kwargs.setdefault("timeout", 5000)
        # The common commands are this class's own: the base class would put instance attributes over
        # the properties of the same names.
        super().__init__(adapter, name, includeSCPI=False, **kwargs)

    @property
    def id(self):
        """Maker, system type, serial number and firmware."""
        return self.ask("*IDN?").strip()

    def reset(self):
        raise NotImplementedError("the laser is not reset from a script; set what you need")

    def check_errors(self):
        """The error queue, read empty, as (code, text) pairs."""
        return self.errors()

    def complete(self):
        """Waits until the laser has reported every value written before; True when it has."""
        return self.ask("*OPC?").strip() == "1"

    def errors(self):
        """Reads the error queue empty: a list of (code, text)."""
        found = []
        while True:
            code, _, text = self.ask("SYST:ERR?").strip().partition(",")
            if int(code) == 0:
                return found
            found.append((int(code), _unquote(text)))


def _make_properties():
    # State commands last: "standby" sets standby and reads the same flag the reading of that name does.
    tree = sorted(remote_tree(), key=lambda node: node["access"].startswith("ON|OFF"))
    for node in tree:
        name = property_name(node["key"])
        command = _command(node["header"])
        docs = f"{node['description']}" + (f" [{node['unit']}]" if node["unit"] else "")
        if node["access"].startswith("ON|OFF"):
            prop = Instrument.control(command + "?", command + " %d", docs, values={True: 1, False: 0},
                                      map_values=True, get_process=lambda v: int(float(v)))
        elif node["access"].startswith("set"):
            prop = Instrument.control(command + "?", command + " %g", docs, get_process=_number)
        elif node["unit"] or node["key"].startswith(("temp.",)):
            prop = Instrument.measurement(command + "?", docs, get_process=_number)
        else:
            prop = Instrument.measurement(command + "?", docs,
                                          get_process=lambda v: _unquote(v) if str(v).startswith('"') else v)
        setattr(LumetraQZ, name, prop)


_make_properties()
