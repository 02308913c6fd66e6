#!/usr/bin/env bash
# Installs what is missing, builds the game, stages run/ and starts the game from there.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/deps.sh"
nv_install_deps
bash "$ROOT/scripts/build.sh" normal glyphcage

RUN="$ROOT/run"
mkdir -p "$RUN"
rm -rf "$RUN/sprites" "$RUN/sounds"
cp -r "$ROOT/sprites" "$RUN/sprites"
cp -r "$ROOT/sounds" "$RUN/sounds"
cp "$ROOT/nv-config.txt" "$RUN/nv-config.txt"
cp /usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf "$RUN/nv-font.ttf"

cd "$RUN"
if [ -n "${DISPLAY:-}" ]; then
    exec "$ROOT/build/normal/glyphcage"
fi
# No display: run in a virtual one for a bounded time so the command still ends.
echo "No DISPLAY: running the game under Xvfb for ${NV_PLAY_SECONDS:-20} s; the log is in $RUN/norvantis.log"
status=0
timeout "${NV_PLAY_SECONDS:-20}" xvfb-run -a "$ROOT/build/normal/glyphcage" || status=$?
if [ "$status" -eq 124 ]; then
    status=0
fi
exit "$status"
