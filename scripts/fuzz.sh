#!/usr/bin/env bash
# Fuzzes one libFuzzer target: scripts/fuzz.sh link|decoder|remote [seconds] [extra libFuzzer options...]
# Configures its own clang build folder, builds only the fuzz target and runs it from the target's seed
# corpus for the given time (default 60 s; 0 means no time limit, for runs bounded by -runs=N).
# Exits non-zero on any crash, leak or sanitizer report. Extra options go to libFuzzer as they are; for
# long runs, -fork=N spreads one run over N processes and -runs=M still counts their executions together.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
name="${1:?usage: fuzz.sh link|decoder|remote [seconds] [libFuzzer options...]}"
seconds="${2:-60}"
shift $(($# < 2 ? $# : 2))
case "$name" in
link)
    target=fuzz_LumetraLinkEngine
    seeds="$root/tests/device/link_fuzz/corpus"
    ;;
decoder)
    target=fuzz_LumetraResponseDecoder
    seeds="$root/tests/device/decoder_fuzz/corpus"
    ;;
remote)
    target=fuzz_LumetraScpiSession
    seeds="$root/tests/remote_fuzz/corpus"
    ;;
*)
    echo "fuzz: unknown target $name (link, decoder or remote)" >&2
    exit 2
    ;;
esac
build="${LUMETRA_FUZZ_BUILD:-$root/build-fuzz-$name}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMETRA_BUILD_FUZZ=ON -DLUMETRA_BUILD_TESTS=ON -DLUMETRA_BUILD_BENCH=OFF
cmake --build "$build" --target "$target"
binary="$(find "$build" -type f -name "$target" -perm -u+x -print -quit)"
if [ -z "$binary" ]; then
    echo "fuzz: $target was not built" >&2
    exit 1
fi

# New inputs go to a scratch corpus so that the seeds in the tree stay as they are.
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
status=0
"$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$@" "$work/corpus" "$seeds" 2>&1 | tee "$work/log" || status=$?

# A sanitizer report that did not stop the run still fails it.
# In fork mode the workers' reports stay in their own logs; the parent counts them per job.
if grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|SUMMARY: |invariant broken|oom/timeout/crash: [0-9/]*[1-9]' "$work/log"; then
    status=${status/#0/1}
fi
if compgen -G "$work/artifacts/*" >/dev/null; then
    mkdir -p "$build/artifacts"
    cp "$work/artifacts/"* "$build/artifacts/"
    echo "fuzz: failing inputs kept in $build/artifacts" >&2
    status=${status/#0/1}
fi
runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)"
if [ -z "$runs" ]; then # fork mode: the last job line carries the total
    runs="$(sed -n 's/^#\([0-9]*\): .*job: .*/\1/p' "$work/log" | tail -n 1)"
fi
limit="in ${seconds} s"
[ "$seconds" = 0 ] && limit="without a time limit"
echo "fuzz $name: ${runs:-unknown} executions $limit, exit status $status"
exit "$status"
