#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated laser and the program: scripts/run.sh [simulator options...]
# The simulator publishes its port in the Connect menu; pick "Open ..." there to connect.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-release"
"$root/scripts/deps.sh"
# An optimised build, kept apart from the test build so that neither rebuilds the other. Only what this
# script starts is built (the program, with its manual, and the simulator): the tests and benchmarks
# would keep a new user waiting for minutes before the first window.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
targets=(LUMETRA-QZ lumetra-sim)
known_targets="$(cmake --build "$build" --target help)"
if grep -q '^lumetra-manual:' <<< "$known_targets"; then
    targets+=(lumetra-manual)
fi
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT INT TERM

if [ -x "$build/sim/lumetra-sim" ]; then
    # Fault injection while it runs: echo 'set humidity 61' > build-release/lumetra-sim.control
    # Its first line of output is the port; its warnings go to a file of their own so as not to take that place.
    "$build/sim/lumetra-sim" --control "$build/lumetra-sim.control" "$@" > "$build/lumetra-sim.out" \
        2> "$build/lumetra-sim.err" < /dev/null &
    sim_pid=$!
    for _ in $(seq 50); do
        [ -s "$build/lumetra-sim.out" ] && break
        sleep 0.1
    done
    echo "Simulated laser on $(head -n 1 "$build/lumetra-sim.out") (control: $build/lumetra-sim.control)"
fi

"$build/app/LUMETRA-QZ"
