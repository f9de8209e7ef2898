#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: scripts/test.sh [build-folder] [extra cmake arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
shift || true
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$build" "$@"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
cd "$build"
# CI sets LUMETRA_CTEST_RETRY=1: an end-to-end suite that fails once under a loaded sanitizer build runs once
# more, and the output still shows the first failure.
ctest --output-on-failure --timeout 600 -j 2 ${LUMETRA_CTEST_RETRY:+--repeat until-pass:2}
