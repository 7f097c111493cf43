#!/usr/bin/env bash
# Sets up, builds and starts Tarnu. Until the program window lands this starts the archive
# tool; its arguments are passed on (try: scripts/run.sh list Data/ZuData.dta).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default >/dev/null
exec build/tarnu-pack "$@"
