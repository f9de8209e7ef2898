#!/usr/bin/env bash
# Rewrites the quantity tables of the README and the manual from the program's own listing:
#   scripts/update-quantity-table.sh [path/to/LUMETRA-QZ]
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/app/LUMETRA-QZ}
table=$("$program" --list-quantities --lang en)
for file in README.md docs/manual/manual.md; do
    TABLE="$table" python3 - "$file" <<'PY'
import os, re, sys
path = sys.argv[1]
text = open(path, encoding="utf-8").read()
pattern = re.compile(r"(<!-- quantities:[^\n]*-->\n\n).*?(\n<!-- /quantities -->)", re.S)
if not pattern.search(text):
    sys.exit(f"{path}: no quantity table markers")
text = pattern.sub(lambda m: m.group(1) + os.environ["TABLE"].rstrip("\n") + "\n" + m.group(2), text)
open(path, "w", encoding="utf-8").write(text)
PY
done
