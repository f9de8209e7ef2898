#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; touches apt only when something is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev
    clang libclang-rt-14-dev clang-format
    fonts-crosextra-carlito fonts-dejavu-core
    xvfb xauth x11-utils imagemagick xdotool
    ccache
    libqt5sql5-sqlite libqt5charts5-dev
    qttools5-dev qttools5-dev-tools
    libtango-dev python3-tango
    dpkg-dev file lintian desktop-file-utils appstream pandoc librsvg2-bin qttranslations5-l10n
)

missing=()
for p in "${packages[@]}"; do
    status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
    if [ "$status" != "install ok installed" ]; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
