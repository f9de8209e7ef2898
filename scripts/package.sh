#!/usr/bin/env bash
# Builds the Debian packages and checks them with lintian: scripts/package.sh [build-folder]
# The packages land in the build folder: lumetra-qz, lumetra-sim, libframekit1, libdialkit1, their -dev
# packages, and lumetra-qz-tango where the Tango libraries are installed.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-package}"
shift || true
"$root/scripts/deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DLUMETRA_BUILD_TESTS=OFF -DLUMETRA_BUILD_BENCH=OFF "$@"
cmake --build "$build" --parallel "$(nproc)"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB)

status=0
# Desktop entry and AppStream data as the desktop's software centres read them.
desktop-file-validate "$root/dist/linux/example.zorvane.LumetraQZ.desktop" || status=1
appstreamcli validate --no-net --explain "$build/example.zorvane.LumetraQZ.metainfo.xml" || status=1

# lintian runs as root in CI; it refuses that unless told it is intended.
for deb in "$build"/*.deb; do
    echo "lintian: $(basename "$deb")"
    lintian --allow-root --fail-on error "$deb" || status=1
done
ls -1 "$build"/*.deb
exit "$status"
