#!/usr/bin/env bash
# Sets up, builds and runs every test. Usage: scripts/test.sh [default|asan]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/setup.sh
scripts/build.sh "$preset"
# The log lets .ci/run add up the results of several runs.
ctest --preset "$preset" -j "$(nproc)" 2>&1 | tee "build-ctest-$preset.log"
