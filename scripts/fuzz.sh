#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs every build-fuzz/fuzz/fuzz_* target for a
# bounded time, starting from its committed seed corpus in tests/fuzz/corpus/<target> when
# there is one. The seeds are copied into a scratch corpus under build-fuzz, so a run leaves
# the source tree as it was.
#
# Usage: scripts/fuzz.sh [seconds per target, default 60]
#        scripts/fuzz.sh --long [seconds per target, default 600]
#            also merges the inputs that reach new code back into the committed corpus
set -euo pipefail
cd "$(dirname "$0")/.."
long=0
if [[ "${1:-}" == "--long" ]]; then
    long=1
    shift
fi
seconds="${1:-$((long ? 600 : 60))}"
scripts/setup.sh fuzz
CXX=clang++ scripts/build.sh fuzz fuzzers  # the fuzz targets alone, not the whole program

mkdir -p build-fuzz/artifacts
summary=()
for target in build-fuzz/fuzz/fuzz_*; do
    name=$(basename "$target")
    seeds="tests/fuzz/corpus/$name"
    corpus="build-fuzz/corpus/$name"
    mkdir -p "$corpus"
    # Seeds kept with the sources start a fresh corpus.
    if [[ -d "$seeds" ]]; then
        cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
    fi
    echo "== $name: ${seconds}s"
    log="build-fuzz/$name.log"
    "$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix=build-fuzz/artifacts/ "$corpus" >"$log" 2>&1 || {
        tail -n 40 "$log"
        echo "== $name: FINDING (see build-fuzz/artifacts/)"
        exit 1
    }
    tail -n 12 "$log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    summary+=("$name: ${runs:-?} executions, no findings")
    if [[ $long -eq 1 ]]; then
        mkdir -p "$seeds"
        "$target" -merge=1 -max_len=65536 "$seeds" "$corpus" >"build-fuzz/$name.merge.log" 2>&1
        echo "== $name: corpus now $(ls "$seeds" | wc -l) files, $(du -sk "$seeds" | cut -f1) KB"
    fi
done
printf '%s\n' "${summary[@]}"
