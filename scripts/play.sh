#!/usr/bin/env bash
# Installs what is missing, builds the game, stages run/ and starts the game from there; without a display that
# answers, the built-in player plays it in a virtual one and leaves screenshots of each level.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/deps.sh"
nv_install_deps
bash "$ROOT/scripts/build.sh" normal glyphcage glyphcage-autoplay

RUN="$ROOT/run"
mkdir -p "$RUN"
rm -rf "$RUN/sprites" "$RUN/sounds"
cp -r "$ROOT/sprites" "$RUN/sprites"
cp -r "$ROOT/sounds" "$RUN/sounds"
cp "$ROOT/nv-config.txt" "$RUN/nv-config.txt"
cp /usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf "$RUN/nv-font.ttf"

cd "$RUN"
# A DISPLAY may name a server that is gone (a closed SSH forward, a stopped Xvfb): ask it before using it.
if [ -n "${DISPLAY:-}" ]; then
    if xdotool getdisplaygeometry >/dev/null 2>&1; then
        exec "$ROOT/build/normal/glyphcage"
    fi
    echo "DISPLAY=$DISPLAY does not answer."
fi
# No display, so nobody can play: the autoplay plays the real game in a virtual display and photographs it.
shots="$RUN/autoplay-shots"
rm -rf "$shots"
echo "No display: the autoplay plays the game under Xvfb (about a minute); screenshots go to $shots"
# There is no one to hear it either: OpenAL's null output stands in for a missing sound card.
if [ -z "${ALSOFT_CONF:-}" ]; then
    export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
fi
status=0
timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24" "$ROOT/build/normal/game/autoplay/glyphcage-autoplay" "$shots" ||
    status=$?
echo "Screenshots of each level and of the final screen (PNG, and the same screens as text): $shots"
echo "The log: $RUN/norvantis.log"
exit "$status"
