#!/usr/bin/env bash
# Steps per second of the autoplay in a real window at frame_time:1, for two or more builds taking turns
# (A B A B ...) on one virtual X display, and the median of each build's rate over the first's. Each run plays
# the whole game.
# Usage: autoplay-rate.sh rounds path/to/glyphcage-autoplay-A path/to/glyphcage-autoplay-B [...]
# NV_RATE_PERF=prefix: afterwards, each build's profile split (perf data in prefix.A, ... while it is read).
set -uo pipefail
if [ $# -lt 3 ]; then
    echo "usage: $0 rounds autoplay-A autoplay-B [...]" >&2
    exit 2
fi
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ -z "${NV_RATE_INSIDE:-}" ]; then
    NV_RATE_INSIDE=1 exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi
rounds="$1"
shift
exes=()
for exe in "$@"; do
    exes+=("$(realpath "$exe")")
done
names=(A B C D E F)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
ln -s "$ROOT/sprites" "$work/sprites"
ln -s "$ROOT/sounds" "$work/sounds"
cp /usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf "$work/nv-font.ttf" || exit 1
cat >"$work/config.txt" <<CONF
window_horizontal_pixels:1024,
window_vertical_pixels:768,
window_horizontal_chars:80,
window_vertical_chars:24,
window_title:Glyphcage,
frame_time:1,
headless:false,
networking:false,
random_seed:3,
CONF
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}" NORVANTIS_CONFIG="$work/config.txt" NORVANTIS_LOG="$work/log.txt"
cd "$work"

# Prints the steps per second of one whole game.
rate() {
    local start end steps
    start=$(date +%s%N)
    "$@" "$work/shots" >"$work/out.txt" 2>/dev/null
    end=$(date +%s%N)
    steps=$(sed -n 's/.*, steps: \([0-9]*\),.*/\1/p' "$work/out.txt")
    [ -n "$steps" ] || { echo "no summary from $*" >&2; echo 0; return; }
    awk -v s="$steps" -v ns=$((end - start)) 'BEGIN { printf "%.1f\n", s / (ns / 1e9) }'
}

for round in $(seq "$rounds"); do
    line="round $round:"
    first=""
    for i in "${!exes[@]}"; do
        r=$(rate "${exes[$i]}")
        [ -z "$first" ] && first="$r"
        ratio=$(awk -v a="$first" -v b="$r" 'BEGIN { printf "%.2f\n", (a > 0 ? b / a : 0) }')
        echo "$ratio" >>"$work/ratio.${names[$i]}"
        line="$line ${names[$i]} $r steps/s (x$ratio)"
    done
    echo "$line"
done
for i in "${!exes[@]}"; do
    [ "$i" -eq 0 ] && continue
    sort -n "$work/ratio.${names[$i]}" |
        awk -v n="${names[$i]}" '{ r[NR] = $1 } END { print "median " n "/A: " r[int((NR + 1) / 2)] }'
done
[ -n "${NV_RATE_PERF:-}" ] || exit 0
# The profile: 20 s of each build's game, sampled with call stacks; a sample counts for a step when its stack
# passes through the game loop, and for the input step when it passes through getInput. On-CPU time only.
for i in "${!exes[@]}"; do
    data="$NV_RATE_PERF.${names[$i]}"
    perf record -F 400 --call-graph dwarf,16384 -q -o "$data" -- timeout 20 "${exes[$i]}" "$work/shots" \
        >/dev/null 2>&1
    exe_name="$(basename "${exes[$i]}")"
    echo "profile ${names[$i]}: $(perf script -i "$data" --comm "${exe_name:0:15}" -F ip,sym,dso 2>/dev/null |
        python3 -c '
import collections, re, sys
kinds = [("kernel", "kernel"), ("Mesa", "swrast|mesa|gallium|LLVM|glapi|libGL"), ("Xlib", "libX|xcb"),
         ("SFML", "sfml"), ("libc", "libc[.]|libm[.]|libstdc|ld-linux|libgcc"), ("ours", re.escape(sys.argv[1]))]
count, inputs, stack = collections.Counter(), 0, []
def done():
    global inputs
    names = [n for n, _ in stack]
    if any("GameManager::run" in n for n in names):
        leaf = next((d for _, d in stack if d != "inlined"), "")
        count[next((k for k, p in kinds if re.search(p, leaf)), "other")] += 1
        inputs += any("InputManager::getInput" in n for n in names)
for line in sys.stdin:
    m = re.match(r"\s+[0-9a-f]+ (.*) [(](.*)[)]\s*$", line)
    if m:
        stack.append(m.groups())
    elif stack:
        done(); stack = []
if stack:
    done()
total = max(sum(count.values()), 1)
print("getInput %.1f%% of a step;" % (100 * inputs / total),
      ", ".join("%s %.1f%%" % (k, 100 * v / total) for k, v in count.most_common()))
' "$exe_name")"
    rm -f "$data"
done
