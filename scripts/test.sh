#!/usr/bin/env bash
# Installs what is missing, builds a normal and an ASan/UBSan build, runs the whole suite on both and checks
# the formatting.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/deps.sh"
nv_install_deps || exit 1
jobs="${NV_JOBS:-2}"

# Sound tests need no sound card: OpenAL Soft writes into a WAV file instead.
audio_dir="$(mktemp -d)"
trap 'rm -rf "$audio_dir"' EXIT
cat >"$audio_dir/alsoft.conf" <<CONF
[general]
drivers = wave
[wave]
file = $audio_dir/out.wav
CONF
export ALSOFT_CONF="$audio_dir/alsoft.conf"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=0
summaries=()
for flavour in normal sanitize; do
    echo "=== build: $flavour"
    if ! bash "$ROOT/scripts/build.sh" "$flavour"; then
        echo "=== build $flavour FAILED"
        failed=1
        summaries+=("$flavour: build failed")
        continue
    fi
    echo "=== tests: $flavour"
    log="$ROOT/build/$flavour/ctest.log"
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        ctest --test-dir "$ROOT/build/$flavour" --output-on-failure -j "$jobs" --timeout 300 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    [ "$status" -eq 0 ] || failed=1
    summaries+=("$flavour: $(grep -E 'tests passed|tests failed' "$log" | tail -1)")
done

echo "=== format"
bash "$ROOT/scripts/check-format.sh" || failed=1

echo "=== summary"
for line in "${summaries[@]}"; do
    echo "$line"
done
passed_total=0
failed_total=0
for flavour in normal sanitize; do
    log="$ROOT/build/$flavour/ctest.log"
    [ -f "$log" ] || continue
    line="$(grep -E '% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)"
    [ -n "$line" ] || continue
    total="$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")"
    bad="$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")"
    passed_total=$((passed_total + total - bad))
    failed_total=$((failed_total + bad))
done
echo "$passed_total passed, $failed_total failed"
exit "$failed"
