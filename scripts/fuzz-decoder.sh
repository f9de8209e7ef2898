#!/usr/bin/env bash
# Fuzzes the response decoder: scripts/fuzz-decoder.sh [seconds] [executions]
# The decoder's entry to scripts/fuzz.sh: runs for the given time (default 60 s; 0 for no time limit) or
# until it has run the given number of inputs, whichever comes first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
if [ -n "${2:-}" ]; then
    exec bash "$root/scripts/fuzz.sh" decoder "$seconds" -runs="$2"
fi
exec bash "$root/scripts/fuzz.sh" decoder "$seconds"
