#!/usr/bin/env bash
# Builds and runs the benchmarks; each prints its figures against a baseline of the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default >/dev/null
for b in build/bench/bench_*; do
    echo "== $(basename "$b")"
    "$b"
done
