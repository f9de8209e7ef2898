#!/usr/bin/env bash
# Rewrites the copies of the remote command tree from the program's own listing: the Python package's
# (python/lumetra_qz/remote_tree.tsv) and the README's table. scripts/update-remote-tree.sh [BUILD_FOLDER].
# The remote test fails while either differs from the program.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" --target lumetra-remote
"$build/remote/lumetra-remote" --list-remote >"$root/python/lumetra_qz/remote_tree.tsv"
PYTHONPATH="$root/python" /usr/bin/python3 - "$root/README.md" <<'PY'
import re, sys
from lumetra_qz.instrument import readme_table
path = sys.argv[1]
text = open(path, encoding="utf-8").read()
pattern = re.compile(r"(<!-- remote tree:[^\n]*-->\n\n).*?(<!-- /remote tree -->)", re.S)
if not pattern.search(text):
    sys.exit(f"{path}: no remote tree markers")
text = pattern.sub(lambda m: m.group(1) + readme_table() + "\n" + m.group(2), text)
open(path, "w", encoding="utf-8").write(text)
PY
