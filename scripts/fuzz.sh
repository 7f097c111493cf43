#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
scripts/setup.sh fuzz
CXX=clang++ scripts/build.sh fuzz fuzzers  # the fuzz targets alone, not the whole program
for target in build-fuzz/fuzz/fuzz_*; do
    name=$(basename "$target")
    corpus="build-fuzz/corpus/$name"
    mkdir -p "$corpus"
    # Seeds kept with the sources start a fresh corpus.
    if [ -d "tests/fuzz/corpus/$name" ]; then
        cp -n "tests/fuzz/corpus/$name"/* "$corpus"/
    fi
    echo "== $name: ${seconds}s"
    "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -print_final_stats=1 \
        "$corpus" 2>&1 | tail -n 12
done
