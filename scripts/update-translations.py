#!/usr/bin/env python3
"""Keeps the program's translation catalogues in step with the sources.

  scripts/update-translations.py update [--import GLOSSARY.json]
      runs lupdate over the program's sources, carries each translation over to messages with the same
      source text whose class moved (lupdate sees a moved text as new), optionally takes translations from
      a JSON object {source: translation or [singular, plural]}, and drops vanished messages.
  scripts/update-translations.py check [CATALOGUE.ts]
      runs lupdate into a copy of the catalogue and fails, listing them, when any message is unfinished:
      a text shown to the operator that has no translation.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CATALOGUES = [os.path.join(ROOT, "translations", "lumetra-qz_de.ts")]
# The program's own sources and the two libraries; the widget gallery and the drawing tool are not shown
# to operators.
SOURCES = ["app", "framekit", "dialkit"]
EXCLUDED = ["dialkit/gallery", "dialkit/tools"]


def source_files():
    files = []
    for folder in SOURCES:
        for dirpath, _, names in os.walk(os.path.join(ROOT, folder)):
            rel = os.path.relpath(dirpath, ROOT)
            if any(rel == e or rel.startswith(e + os.sep) for e in EXCLUDED):
                continue
            files += [os.path.join(dirpath, n) for n in sorted(names) if n.endswith((".cpp", ".h", ".ui"))]
    return files


def lupdate(catalogue):
    with tempfile.NamedTemporaryFile("w", suffix=".lst", delete=False) as listing:
        listing.write("\n".join(source_files()))
    try:
        subprocess.run(["lupdate", "-I", ROOT, "-locations", "none", "-silent", "@" + listing.name, "-ts", catalogue],
                       check=True)
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


def update(catalogue, glossary):
    lupdate(catalogue)
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


def check(catalogue):
    work = tempfile.mkdtemp()
    try:
        copy = os.path.join(work, os.path.basename(catalogue))
        shutil.copy(catalogue, copy)
        lupdate(copy)
        tree = ET.parse(copy)
        missing = []
        for c in tree.getroot().iter("context"):
            for m in c.findall("message"):
                if unfinished(m):
                    missing.append("%s: %r" % (c.find("name").text, m.find("source").text))
        for line in missing:
            print("untranslated:", line)
        print("%s: %d untranslated" % (os.path.basename(catalogue), len(missing)))
        return 1 if missing else 0
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
        targets = argv[2:] or CATALOGUES
        return max(check(c) for c in targets)
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
