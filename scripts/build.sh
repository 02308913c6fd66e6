#!/usr/bin/env bash
# Configures and builds one flavour into build/<flavour>: "normal" or "sanitize"; extra arguments name targets.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
flavour="${1:-normal}"
shift || true
jobs="${NV_JOBS:-2}"
# Paths relative to the checkout let a fresh clone reuse what an earlier build of the same sources compiled.
export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1
options=(-DNV_WERROR=ON)
if [ "$flavour" = "sanitize" ]; then
    options+=(-DNV_SANITIZE=ON -DNV_BUILD_BENCH=OFF)
fi
cmake -S "$ROOT" -B "$ROOT/build/$flavour" "${options[@]}" >/dev/null
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build "$ROOT/build/$flavour" -j "$jobs" "${targets[@]}"
