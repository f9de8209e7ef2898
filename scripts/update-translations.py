#!/usr/bin/env python3
"""Keeps the program's translation catalogues in step with the sources.

  scripts/update-translations.py update [--import GLOSSARY.json]
      runs lupdate over the program's sources, carries each translation over to messages with the same
      source text whose class moved (lupdate sees a moved text as new), optionally takes translations from
      a JSON object {source: translation or [singular, plural]}, and drops vanished messages.
  scripts/update-translations.py check [--sources DIR] [CATALOGUE.ts]
      runs lupdate into a copy of the catalogue and fails, listing them, when a text shown to the operator
      has no translation: a message left unfinished, one whose translation is empty, or a text marked for
      translation inside a macro, where lupdate never sees it. --sources checks another source tree
      (every .cpp, .h and .ui under DIR) instead of the program's.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CATALOGUES = [os.path.join(ROOT, "translations", "lumetra-qz_de.ts")]
# The program's own sources, its device core, recorder and remote interface, and the two libraries. The
# widget gallery, the drawing tool and the window-less remote server's command line are not shown to
# operators in their language.
SOURCES = ["app", "device", "record", "remote", "framekit", "dialkit"]
EXCLUDED = ["dialkit/gallery", "dialkit/tools", "remote/main.cpp"]


# A translation marker in a macro's body: lupdate reads no macros, so the texts it wraps stay English.
MACRO_MARKER = re.compile(r"^\s*#\s*define\s+\w+\(.*\b(QT_TR_NOOP|QT_TR_N_NOOP|QT_TRANSLATE_NOOP3?|"
                          r"QT_TRANSLATE_N_NOOP3?|tr|translate)\s*\(")


def source_files(root=ROOT, folders=SOURCES):
    files = []
    for folder in folders:
        for dirpath, _, names in os.walk(os.path.join(root, folder)):
            rel = os.path.relpath(dirpath, root)
            if any(rel == e or rel.startswith(e + os.sep) for e in EXCLUDED):
                continue
            files += [os.path.join(dirpath, n) for n in sorted(names)
                      if n.endswith((".cpp", ".h", ".ui")) and os.path.join(rel, n) not in EXCLUDED]
    return files


# Folders with texts that never reach an operator in their language: the simulator, the Tango device
# server (a facility's tools show its English), tests and benchmarks.
NOT_SHOWN = ["sim", "tango", "tests", "bench", "fuzz"]
TRANSLATED = re.compile(r"\b(tr|QT_TR_NOOP|QT_TR_N_NOOP|translate|QT_TRANSLATE_NOOP)\s*\(")


def unscanned():
    """Sources with translatable texts that lupdate would not see: a folder added or moved without being
    named in SOURCES loses its translations at the next update."""
    scanned = set(source_files())
    found = []
    for top in sorted(os.listdir(ROOT)):
        if top.startswith((".", "build")) or top in NOT_SHOWN or not os.path.isdir(os.path.join(ROOT, top)):
            continue
        for path in source_files(ROOT, [top]):
            if path in scanned or os.path.relpath(path, ROOT) in EXCLUDED:
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                if TRANSLATED.search(f.read()):
                    found.append(os.path.relpath(path, ROOT))
    return found


def lupdate(catalogue, files, include):
    with tempfile.NamedTemporaryFile("w", suffix=".lst", delete=False) as listing:
        listing.write("\n".join(files))
    try:
        subprocess.run(["lupdate", "-I", include, "-locations", "none", "-silent", "@" + listing.name, "-ts",
                        catalogue], check=True)
    finally:
        os.unlink(listing.name)


def translations_of(message):
    t = message.find("translation")
    numerus = t.findall("numerusform")
    return [n.text or "" for n in numerus] if numerus else [t.text or ""]


def set_translation(message, values):
    t = message.find("translation")
    for child in list(t):
        t.remove(child)
    if message.get("numerus") == "yes":
        t.text = None
        for v in values if isinstance(values, list) else [values, values]:
            ET.SubElement(t, "numerusform").text = v
    else:
        t.text = values[0] if isinstance(values, list) else values
    t.attrib.pop("type", None)


def unfinished(message):
    return message.find("translation").get("type") in ("unfinished",)


def untranslated(message):
    """Shown in English: unfinished, or finished with nothing in it (Qt then falls back to the source)."""
    t = message.find("translation")
    if t.get("type") in ("obsolete", "vanished"):
        return False
    return unfinished(message) or not all(text.strip() for text in translations_of(message))


def hidden_from_lupdate(files):
    found = []
    for path in files:
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                if MACRO_MARKER.search(line):
                    found.append("%s:%d: %s" % (path, number, line.strip()))
    return found


def update(catalogue, glossary):
    lupdate(catalogue, source_files(), ROOT)
    tree = ET.parse(catalogue)
    messages = [m for c in tree.getroot().iter("context") for m in c.findall("message")]
    known = dict(glossary)
    for m in messages:
        t = m.find("translation")
        if t.get("type") in (None, "obsolete", "vanished") and any(translations_of(m)):
            known.setdefault(m.find("source").text, translations_of(m))
    for m in messages:
        if unfinished(m) and m.find("source").text in known:
            set_translation(m, known[m.find("source").text])
    # Drop what the sources no longer have, now that it has lent its translation.
    for c in tree.getroot().findall("context"):
        for m in c.findall("message"):
            if m.find("translation").get("type") in ("obsolete", "vanished"):
                c.remove(m)
        if not c.findall("message"):
            tree.getroot().remove(c)
    tree.write(catalogue, encoding="utf-8", xml_declaration=True)
    with open(catalogue, encoding="utf-8") as f:
        text = f.read()
    with open(catalogue, "w", encoding="utf-8") as f:
        f.write(text.replace("<?xml version='1.0' encoding='utf-8'?>", '<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>'))


def check(catalogue, root=None):
    files = source_files(root, ["."]) if root else source_files()
    work = tempfile.mkdtemp()
    try:
        copy = os.path.join(work, os.path.basename(catalogue))
        shutil.copy(catalogue, copy)
        lupdate(copy, files, root or ROOT)
        tree = ET.parse(copy)
        missing = []
        for c in tree.getroot().iter("context"):
            for m in c.findall("message"):
                if untranslated(m):
                    missing.append("%s: %r" % (c.find("name").text, m.find("source").text))
        for line in missing:
            print("untranslated:", line)
        hidden = hidden_from_lupdate(files)
        for line in hidden:
            print("marked inside a macro, unseen by lupdate:", line)
        outside = [] if root else unscanned()
        for path in outside:
            print("translatable texts outside the scanned folders:", path)
        print("%s: %d untranslated, %d hidden from lupdate" % (os.path.basename(catalogue), len(missing),
                                                              len(hidden)))
        return 1 if missing or hidden or outside else 0
    finally:
        shutil.rmtree(work)


def main(argv):
    if len(argv) >= 2 and argv[1] == "update":
        glossary = {}
        if len(argv) == 4 and argv[2] == "--import":
            with open(argv[3], encoding="utf-8") as f:
                glossary = json.load(f)
        for catalogue in CATALOGUES:
            update(catalogue, glossary)
        return 0
    if len(argv) >= 2 and argv[1] == "check":
        args = argv[2:]
        root = None
        if args[:1] == ["--sources"] and len(args) >= 2:
            root = os.path.abspath(args[1])
            args = args[2:]
        targets = args or CATALOGUES
        return max(check(c, root) for c in targets)
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
