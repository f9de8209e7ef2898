#!/usr/bin/env bash
# Runs two builds of bench_link side by side for the same time, each against its own lumetra-sim
# paced at 38400 baud with a transcript, and prints both reports and both transcripts' cycles:
#   bench/link/side_by_side.sh OLD_BENCH_BINARY [seconds]
# Set RT="chrt --rr 1" to keep the load of a busy machine out of the timings.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$root"
old="${1:?usage: side_by_side.sh OLD_BENCH_BINARY [seconds]}"
secs=${2:-60}
RT="${RT:-}"
work="$(mktemp -d)"
limit=$((secs + 40))
for n in before after; do
    (timeout $((limit + 20)) $RT build/sim/lumetra-sim --name link-$n --log $work/sim_$n.log > $work/sim_$n.out 2>/dev/null & echo $! >$work/sim_$n.pid)
done
sleep 4
PB=$(head -1 $work/sim_before.out); PA=$(head -1 $work/sim_after.out)
QT_LOGGING_RULES='*.debug=false' timeout $limit $RT "$old" --port $PB $secs > $work/bench_before.txt 2>&1 &
B1=$!
QT_LOGGING_RULES='*.debug=false' timeout $limit $RT build/bench/link/bench_link --port $PA $secs > $work/bench_after.txt 2>&1 &
B2=$!
wait $B1 $B2
kill $(cat $work/sim_before.pid) $(cat $work/sim_after.pid)
for n in before after; do
    echo "== $n"
    grep -v "not supported" $work/bench_$n.txt
    python3 bench/link/cycle_from_transcript.py $work/sim_$n.log
done
echo "transcripts in $work"
