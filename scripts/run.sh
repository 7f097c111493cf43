#!/usr/bin/env bash
# Sets up, builds and starts Tarnu; arguments are passed on (-dua FILE, -add FILE,
# -addf FOLDER, -boot).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default >/dev/null
exec build/tarnu "$@"
