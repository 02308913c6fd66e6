#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and the sanitizers, replays every seed and fuzzes each target
# for the given number of seconds (default 60), one after another; fails on any finding.
# Usage: scripts/fuzz.sh [seconds]   (NV_FUZZ_BUILD picks the build folder, default build/fuzz)
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/deps.sh"
nv_install_deps || exit 1
seconds="${1:-60}"
build="${NV_FUZZ_BUILD:-$ROOT/build/fuzz}"
targets=(config simple_sprite robust_sprite object_record view_record path_record)

export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1
# Whatever the compilers, a target or the engine put in a temporary folder stays in the build folder.
work="$build/fuzz-work"
rm -rf "$work"
mkdir -p "$work/tmp"
export TMPDIR="$work/tmp"
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$build/Makefile" ]; then
    generator=(-G Ninja)
fi
cmake -S "$ROOT" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ -DNV_FUZZ=ON -DNV_SANITIZE=ON \
    -DNV_BUILD_TESTS=OFF -DNV_BUILD_BENCH=OFF -DNV_BUILD_GAME=OFF -DNV_BUILD_AUTOPLAY=OFF -DNV_BUILD_EXAMPLES=OFF \
    -DNV_INSTALL=OFF >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
rm -f "$build/configure.log"
cmake --build "$build" -j "${NV_JOBS:-2}" --target "${targets[@]/#/fuzz_}" || exit 1

export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=0
for target in "${targets[@]}"; do
    # New inputs go into a scratch corpus; the seeds in the tree are only read. A crash is saved as
    # $work/crash-<target>-*; copy it into fuzz/corpus/<target>/ so every later run replays it.
    mkdir -p "$work/$target"
    log="$work/$target.log"
    (cd "$work" && "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$work/crash-$target-" -print_final_stats=1 "$work/$target" "$ROOT/fuzz/corpus/$target" \
        >"$log" 2>&1)
    status=$?
    runs="$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$')"
    cov="$(grep -oE 'cov: [0-9]+' "$log" | tail -1)"
    if [ "$status" -ne 0 ]; then
        failed=1
        echo "fuzz_$target: FINDING (exit $status)"
        grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" | head -20
    else
        echo "fuzz_$target: clean, ${runs:-?} runs, ${cov:-cov: ?} in ${seconds} s"
    fi
done
exit "$failed"
