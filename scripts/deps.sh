#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; touches apt only when something is missing.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
    build-essential cmake ninja-build pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev
    clang libclang-rt-14-dev clang-format
    fonts-crosextra-carlito fonts-dejavu-core
    xvfb xauth x11-utils imagemagick xdotool
    ccache
    libqt5sql5-sqlite libqt5charts5-dev
    qttools5-dev qttools5-dev-tools
    libtango-dev python3-tango python3-taurus mariadb-server-core mariadb-client
    python3-pyvisa python3-pyvisa-py python3-pymeasure
    dpkg-dev file lintian desktop-file-utils appstream pandoc librsvg2-bin qttranslations5-l10n
)

missing=()
for p in "${packages[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
    if [ "$status" != "install ok installed" ]; then
        missing+=("$p")
    fi
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The device server's test registers it in a Tango database of its own. Debian's tango-db package
# would also install and start a system-wide database service, so only its files are unpacked, into
# a folder of the project's.
tango_db="$root/.deps/tango-db"
if [ ! -x "$tango_db/usr/lib/tango/DataBaseds" ]; then
    echo "Unpacking Debian's tango-db into $tango_db"
    download="$(mktemp -d)"
    chmod 755 "$download"
    chown _apt "$download" 2>/dev/null || true
    if ! (cd "$download" && apt-get download tango-db); then
        $sudo apt-get update
        (cd "$download" && apt-get download tango-db)
    fi
    rm -rf "$tango_db"
    mkdir -p "$tango_db"
    dpkg-deb -x "$download"/tango-db_*.deb "$tango_db"
    rm -rf "$download"
fi
