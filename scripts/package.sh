#!/usr/bin/env bash
# Makes the Debian package from the default build, checks it with lintian, installs it with
# apt-get and runs the smoke test of the installed program as a normal user.
# Usage: scripts/package.sh [--no-install]   (--no-install: make and check the package only)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh package
scripts/build.sh default >/dev/null
rm -f build/tarnu_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/tarnu_*.deb)
echo "package: $deb"
# Errors fail the build; warnings are shown.
lintian --fail-on error "$deb"
[[ "${1:-}" == "--no-install" ]] && exit 0

sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo="sudo"
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "./$deb" \
    >/dev/null
$sudo tests/install/smoke.sh 2>&1 | tee build/install-smoke.log
