#!/usr/bin/env bash
# Installs the Debian packages Tarnu needs to build and test, only those that are missing.
# Usage: scripts/setup.sh [fuzz|package]   ("fuzz" adds clang and its fuzzing runtime,
# "package" the tools that make and check the Debian package)
set -euo pipefail

packages=(
    cmake ninja-build g++ ccache pkg-config gzip   # build tools
    zlib1g-dev libdeflate-dev libisal-dev libjpeg-dev qt6-base-dev libx11-dev libgtest-dev   # libraries
    shared-mime-info desktop-file-utils adwaita-icon-theme   # desktop integration
    xvfb xauth xdotool x11-utils procps iproute2 imagemagick   # tests on a private X server
    python3-pyftpdlib netcat-openbsd   # real peers for the FTP probe and transfer tests
)
if [[ "${1:-}" == "fuzz" ]]; then
    packages+=(clang libclang-rt-14-dev)
fi
if [[ "${1:-}" == "package" ]]; then
    packages+=(dpkg-dev file fakeroot lintian appstream)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
