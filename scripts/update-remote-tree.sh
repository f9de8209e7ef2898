#!/usr/bin/env bash
# Rewrites the Python package's copy of the remote command tree from the program's own listing:
# scripts/update-remote-tree.sh [BUILD_FOLDER]. The remote test fails while the two differ.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" --target lumetra-remote
"$build/remote/lumetra-remote" --list-remote >"$root/python/lumetra_qz/remote_tree.tsv"
