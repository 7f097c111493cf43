#!/usr/bin/env bash
# Configures and builds one preset (default, asan or fuzz) in build*/.
# Usage: scripts/build.sh [preset] [extra ninja targets...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
cmake --preset "$preset" >/dev/null
targets=()
if [[ $# -gt 0 ]]; then
    targets=(--target "$@")
fi
cmake --build --preset "$preset" -j "$(nproc)" "${targets[@]}"
