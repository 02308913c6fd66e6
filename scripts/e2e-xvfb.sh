#!/usr/bin/env bash
# End to end in a real X window: the title is on screen, Enter starts the cell, a click on the vent leads to the
# vents, Escape ends the program with status 0, and the log holds the banner and the stop lines.
# Usage: e2e-xvfb.sh path/to/glyphcage
set -uo pipefail
exe="$(realpath "$1")"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- game output"
    tail -n 20 "$work/game.out" 2>/dev/null
    echo "--- game log"
    tail -n 20 "$work/game.log" 2>/dev/null
    exit 1
}
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || fail "$tool is not installed"
done

# A display of our own, so the window's place and size do not depend on the caller's.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.err" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"

cd "$work"
ln -s "$ROOT/sprites" sprites
ln -s "$ROOT/sounds" sounds
cp /usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf nv-font.ttf || fail "no DejaVu Sans Mono font"
cat >e2e-config.txt <<CONF
window_horizontal_pixels:1024,
window_vertical_pixels:768,
window_horizontal_chars:80,
window_vertical_chars:24,
window_title:Glyphcage,
frame_time:33,
headless:false,
networking:false,
CONF
# Nobody listens here: without a sound card, OpenAL's null output keeps the audio library quiet.
if [ -z "${ALSOFT_CONF:-}" ]; then
    export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
fi
# Under AddressSanitizer the GL driver, loaded and unloaded at run time, leaves allocations whose frames can no
# longer be named or suppressed; the in-process tests check our own code for leaks instead.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
NORVANTIS_CONFIG="$work/e2e-config.txt" NORVANTIS_LOG="$work/game.log" "$exe" >"$work/game.out" 2>&1 &
game_pid=$!

win="$(timeout 30 xdotool search --sync --onlyvisible --name '^Glyphcage$' | head -n 1)"
[ -n "$win" ] || fail "no game window appeared"

# Counts the yellow pixels of the window inside width x height at (x, y).
yellow_pixels() {
    import -window "$win" -crop "$3x$4+$1+$2" +repage txt:- 2>/dev/null |
        awk -F'[(),]' 'NR > 1 && $3 > 180 && $4 > 180 && $5 < 100 { n++ } END { print n + 0 }'
}
# Waits up to $5 seconds for at least 150 yellow pixels in the region.
wait_for_yellow() {
    local deadline=$((SECONDS + $5))
    while [ "$SECONDS" -lt "$deadline" ]; do
        if [ "$(yellow_pixels "$1" "$2" "$3" "$4")" -ge 150 ]; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# 80 x 24 cells of 12.8 x 32 pixels: the title line is row 9 around column 40, the level titles row 23, the
# boiler timer row 1 at the right.
# Any key ends the engine's splash at once; the title screen does nothing with this one.
xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
xdotool key --clearmodifiers space
wait_for_yellow 300 280 420 60 30 || fail "the title '[ ESCAPE FROM GLYPH-CAGE ]' never showed"
[ "$(yellow_pixels 300 730 420 38)" -lt 150 ] || fail "a level title showed on the title screen"
echo "title screen shown"

xdotool key --clearmodifiers Return
wait_for_yellow 350 730 330 38 10 || fail "Enter did not start level 1"
[ "$(yellow_pixels 300 280 420 60)" -lt 150 ] || fail "the title stayed on screen in level 1"
echo "level 1 started"

# The vent is centred on cell (20, 12).
xdotool mousemove --window "$win" 262 400
sleep 0.1
xdotool click 1
wait_for_yellow 680 30 320 40 10 || fail "the click on the vent did not lead to level 2"
echo "level 2 started"

xdotool key --clearmodifiers Escape
status=""
for _ in $(seq 100); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
        wait "$game_pid"
        status=$?
        break
    fi
    sleep 0.1
done
game_pid_done="$game_pid"
game_pid=""
[ -n "$status" ] || { kill "$game_pid_done"; fail "Escape did not end the game"; }
[ "$status" -eq 0 ] || fail "the game exited with status $status"
echo "Escape ended the game with status 0"

for line in '\*\* Norvantis version 4.22 \*\*' '\*\* Game engine started \*\*' '\*\* Game engine stopped \*\*'; do
    grep -q "$line" "$work/game.log" || fail "the log lacks $line"
done
echo "PASS: end to end in a real window"
