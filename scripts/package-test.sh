#!/usr/bin/env bash
# Builds the Debian packages, installs them, runs the installed program against the installed simulator,
# and purges them again, checking that nothing is left behind. Needs root (CI runs as root).
# scripts/package-test.sh [build-folder] [cmake arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-package}"
shift || true
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

bash "$root/scripts/package.sh" "$build" "$@"
mapfile -t debs < <(ls "$build"/*.deb)
packages=()
for deb in "${debs[@]}"; do
    packages+=("$(dpkg-deb -f "$deb" Package)")
done
files="$(mktemp)"
for deb in "${debs[@]}"; do
    dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' | grep -v '/$' >> "$files"
done

work="$(mktemp -d)"
sim_pid=""
app_pid=""
installed=0
cleanup() {
    # A failed run must not leave the packages on the machine.
    [ "$installed" -eq 1 ] && $sudo apt-get purge -y "${packages[@]}" > /dev/null 2>&1 || true
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    rm -rf "$work" "$files"
}
trap cleanup EXIT

echo "=== Installing ${packages[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y --no-install-recommends "${debs[@]}"
installed=1

echo "=== Installed programs"
/usr/bin/LUMETRA-QZ --version
# Taken whole before trimming: with pipefail, head closing the pipe early
# would kill the program with SIGPIPE and fail the run at random.
sim_help="$(/usr/bin/lumetra-sim --help)"
printf '%s\n' "$sim_help" | sed -n 1,3p
man -w LUMETRA-QZ lumetra-sim

echo "=== Another project builds against the installed libraries"
mkdir -p "$work/consumer"
cat > "$work/consumer/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(consumer CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(Dialkit REQUIRED)
find_package(Framekit REQUIRED)
add_executable(consumer main.cpp)
target_link_libraries(consumer PRIVATE Dialkit::Dialkit Framekit::Framekit)
CMAKE
cat > "$work/consumer/main.cpp" <<'CPP'
#include "dialkit/Dialkit.h"
#include "framekit/_AppLog.h"
#include <cstdio>
int main()
{
    std::puts(qPrintable(Dialkit::formatSignificant(1234.5, 3)));
    return Dialkit::getApplicationStylesheet().isEmpty() ? 1 : 0;
}
CPP
cmake -S "$work/consumer" -B "$work/consumer/build" > /dev/null
cmake --build "$work/consumer/build" > /dev/null
"$work/consumer/build/consumer"

echo "=== Installed program against the installed simulator"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
/usr/bin/lumetra-sim --fast --port-dir "$work/ports" --log "$work/transcript" > "$work/sim.out" 2>&1 < /dev/null &
sim_pid=$!
for _ in $(seq 50); do
    [ -s "$work/sim.out" ] && break
    sleep 0.1
done
port="$(head -n 1 "$work/sim.out")"
/usr/bin/LUMETRA-QZ --connect "$port" > "$work/app.out" 2>&1 &
app_pid=$!
polls=0
for _ in $(seq 100); do
    # Each poll round asks for the rate once: a few rounds show the program past the handshake, polling.
    polls=$(grep -c 'RX "e_freq?' "$work/transcript" 2>/dev/null || true)
    [ "${polls:-0}" -ge 5 ] && break
    sleep 0.2
done
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""
if [ "${polls:-0}" -lt 5 ]; then
    echo "package-test: the installed program did not poll the simulator (${polls:-0} poll rounds)" >&2
    cat "$work/app.out" >&2
    exit 1
fi
grep -q 'ly_system_info' "$work/transcript"
echo "polled: $polls rounds"

echo "=== Purging"
$sudo apt-get purge -y "${packages[@]}"
installed=0
left=0
for p in "${packages[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
    if [[ "$status" == *" installed" ]]; then
        echo "package-test: $p is still installed" >&2
        left=1
    fi
done
while read -r f; do
    if [ -e "$f" ] && [ ! -d "$f" ]; then
        echo "package-test: $f left behind" >&2
        left=1
    fi
done < "$files"
[ "$left" -eq 0 ] && echo "package-test: installed, ran and purged cleanly"
exit "$left"
