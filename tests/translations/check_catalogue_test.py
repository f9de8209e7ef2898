#!/usr/bin/env python3
"""The translation check on a made-up source tree: it fails on every way a visible text stays English."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "update-translations.py")

SOURCE = """#include <QCoreApplication>
QString greeting() { return QCoreApplication::translate("Panel", "Laser on"); }
%s
"""

MESSAGE = """<message><source>Laser on</source>%s</message>"""

CATALOGUE = """<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE"><context><name>Panel</name>%s</context></TS>
"""

CASES = [
    # name, translation element, extra source line, whether the check passes
    ("translated", "<translation>Laser an</translation>", "", True),
    ("unfinished", "<translation type=\"unfinished\"></translation>", "", False),
    ("finished but empty", "<translation></translation>", "", False),
    ("finished but blank", "<translation> </translation>", "", False),
    ("marked inside a macro", "<translation>Laser an</translation>",
     "#define LABEL(text) QT_TRANSLATE_NOOP(\"Panel\", text)", False),
]


class CheckCatalogue(unittest.TestCase):
    def test_cases(self):
        for name, translation, extra, passes in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as tree:
                with open(os.path.join(tree, "panel.cpp"), "w", encoding="utf-8") as f:
                    f.write(SOURCE % extra)
                catalogue = os.path.join(tree, "test_de.ts")
                with open(catalogue, "w", encoding="utf-8") as f:
                    f.write(CATALOGUE % (MESSAGE % translation))
                result = subprocess.run([sys.executable, SCRIPT, "check", "--sources", tree, catalogue],
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
                self.assertEqual(result.returncode == 0, passes, result.stdout)


if __name__ == "__main__":
    unittest.main()
