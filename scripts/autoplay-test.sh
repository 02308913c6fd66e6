#!/usr/bin/env bash
# Runs the autoplay headless with a short frame time and checks that it escapes and shuts down cleanly.
# Usage: autoplay-test.sh path/to/glyphcage-autoplay
set -uo pipefail
exe="$(realpath "$1")"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
ln -s "$ROOT/sprites" "$work/sprites"
ln -s "$ROOT/sounds" "$work/sounds"
# With no frame time the loop never sleeps and the game's timers count 1 ms a step: the whole game, sea included,
# plays through in some 31 000 steps, a couple of seconds.
cat >"$work/autoplay-config.txt" <<CONF
headless:true,
frame_time:0,
networking:false,
window_horizontal_chars:80,
window_vertical_chars:24,
CONF
cd "$work"
# Nobody listens here: without a sound card, OpenAL's null output keeps the audio library quiet.
if [ -z "${ALSOFT_CONF:-}" ]; then
    export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
fi
NORVANTIS_CONFIG="$work/autoplay-config.txt" NORVANTIS_LOG="$work/autoplay.log" "$exe" "$work/shots" >"$work/out.txt"
status=$?
cat "$work/out.txt"
fail() {
    echo "FAIL: $*"
    echo "--- last log lines"
    tail -n 20 "$work/autoplay.log"
    exit 1
}
[ "$status" -eq 0 ] || fail "autoplay exited with status $status"
grep -q '^Autoplay: reached level 3 of 3, outcome: YOU ESCAPED GLYPH-CAGE!' "$work/out.txt" || fail "no escape in the summary"
grep -q 'Autoplay: reached level 3 of 3' "$work/autoplay.log" || fail "summary not in the log"
grep -q '\*\* Game engine stopped \*\*' "$work/autoplay.log" || fail "engine did not stop"
grep -q 'YOU ESCAPED GLYPH-CAGE!' "$work/shots/6-final.txt" || fail "final text screenshot lacks the escaped line"
! grep 'not found' "$work/autoplay.log" || fail "the game asked for a resource it never loads"
echo "PASS: autoplay escaped headless"
