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

# Mesa's software GL driver leaks a little and is unloaded before the leak report, which then cannot name it;
# preloading keeps it loaded so the system-library suppressions apply. Its JIT (LLVM) also frees with free()
# what it got from operator new, so that one check is off for the programs that draw, and only for them.
gl_labels='^(display|input|game)$'
gl_driver="$(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -1 || true)"
gl_env=(ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0:alloc_dealloc_mismatch=0")
if [ -n "$gl_driver" ]; then
    gl_env+=(LD_PRELOAD="$gl_driver")
fi

failed=0
logs=()

# Runs ctest on one build with extra arguments, under a virtual X display; the log keeps its summary.
run_ctest() {
    local log="$1"
    shift
    # -noreset: otherwise the server resets whenever its last client leaves and refuses the next test meanwhile.
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
        "$@" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    logs+=("$log")
    [ "$status" -eq 0 ] || failed=1
}

for flavour in normal sanitize; do
    echo "=== build: $flavour"
    if ! bash "$ROOT/scripts/build.sh" "$flavour"; then
        echo "=== build $flavour FAILED"
        failed=1
        continue
    fi
    dir="$ROOT/build/$flavour"
    ctest_args=(ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300)
    echo "=== tests: $flavour"
    if [ "$flavour" = "normal" ]; then
        run_ctest "$dir/ctest.log" "${ctest_args[@]}"
    else
        run_ctest "$dir/ctest.log" "${ctest_args[@]}" -LE "$gl_labels"
        echo "=== tests: $flavour (programs that draw)"
        run_ctest "$dir/ctest-gl.log" env "${gl_env[@]}" "${ctest_args[@]}" -L "$gl_labels"
    fi
done

echo "=== format"
bash "$ROOT/scripts/check-format.sh" || failed=1

echo "=== summary"
passed_total=0
failed_total=0
for log in "${logs[@]}"; do
    line="$(grep -E '% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)"
    if [ -z "$line" ]; then
        echo "$log: no summary"
        failed=1
        continue
    fi
    echo "${log#"$ROOT"/}: $line"
    total="$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")"
    bad="$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")"
    passed_total=$((passed_total + total - bad))
    failed_total=$((failed_total + bad))
done
echo "$passed_total passed, $failed_total failed"
exit "$failed"
