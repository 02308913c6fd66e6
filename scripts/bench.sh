#!/usr/bin/env bash
# Runs the benchmarks under one virtual X display and prints, in one table, each benchmark's time and every
# counter it reports (ratios against a baseline measured in the same run are named *ratio* or *_over_*).
# Usage: scripts/bench.sh [build-dir] [program ...]
#   build-dir defaults to build/normal (configured with -DNV_BUILD_BENCH=ON); programs default to
#   render_bench path_bench world_bench dispatch_bench.
# NV_BENCH_PEER: a command run just before and after render_bench on the same display; each output line
#   "peer NAME MS" is a peer's ms per full frame, and the table compares BM_FullChange with it.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath "${1:-$ROOT/build/normal}")"
[ $# -gt 0 ] && shift
programs=("$@")
[ ${#programs[@]} -eq 0 ] && programs=(render_bench path_bench world_bench dispatch_bench)
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

run_all() {
    for program in "${programs[@]}"; do
        if [ ! -x "$build/bench/$program" ]; then
            echo "missing $build/bench/$program (build it with -DNV_BUILD_BENCH=ON)" >&2
            continue
        fi
        if [ "$program" = render_bench ] && [ -n "${NV_BENCH_PEER:-}" ]; then
            bash -c "$NV_BENCH_PEER" >>"$out/peer.txt" 2>/dev/null
        fi
        echo "running $program" >&2
        (cd "$build/bench" && "./$program" --benchmark_out="$out/$program.json" --benchmark_out_format=json \
            >"$out/$program.log" 2>&1) || echo "$program failed: see its log" >&2
        if [ "$program" = render_bench ] && [ -n "${NV_BENCH_PEER:-}" ]; then
            bash -c "$NV_BENCH_PEER" >>"$out/peer.txt" 2>/dev/null
        fi
    done
}
if [ -n "${NV_BENCH_INSIDE:-}" ] || { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; then
    run_all
else
    # One server for every program, so a peer and ours see the same machine; -noreset keeps it up between them.
    NV_BENCH_INSIDE="$out" xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$build" "${programs[@]}"
    exit $?
fi

python3 - "$out" <<'PY'
import glob, json, os, re, statistics, sys
out = sys.argv[1]
rows = []
full_ms = None
for path in sorted(glob.glob(os.path.join(out, "*.json"))):
    program = os.path.basename(path)[:-5]
    try:
        data = json.load(open(path))
    except ValueError:
        continue
    for b in data.get("benchmarks", []):
        skip = {"name", "run_name", "run_type", "repetitions", "repetition_index", "threads", "iterations",
                "real_time", "cpu_time", "time_unit", "family_index", "per_family_instance_index", "label",
                "error_occurred", "error_message", "aggregate_name", "aggregate_unit"}
        counters = {k: v for k, v in b.items() if k not in skip and isinstance(v, (int, float))}
        ratios = {k: v for k, v in counters.items() if "ratio" in k or "_over_" in k}
        others = {k: v for k, v in counters.items() if k not in ratios}
        if b["name"].startswith("BM_FullChange"):
            full_ms = counters.get("ms_per_frame")
        rows.append((program, b["name"], "%.3g %s" % (b["real_time"], b["time_unit"]),
                     " ".join("%s=%.3g" % kv for kv in ratios.items()),
                     " ".join("%s=%.4g" % kv for kv in others.items()) + (" " + b["label"] if b.get("label") else "")))
peers = {}
peer_file = os.path.join(out, "peer.txt")
if os.path.exists(peer_file):
    for line in open(peer_file):
        m = re.match(r"peer\s+(\S+)\s+([0-9.]+)", line)
        if m:
            peers.setdefault(m.group(1), []).append(float(m.group(2)))
for name, values in peers.items():
    ms = statistics.median(values)
    ratio = "full_over_peer=%.3g" % (full_ms / ms) if full_ms and "full" in name else ""
    rows.append(("peer", name, "%.3g ms" % ms, ratio, "runs=%d" % len(values)))
widths = [max(len(r[i]) for r in rows + [("program", "benchmark", "time", "ratios", "counters")]) for i in range(4)]
fmt = "  ".join("%%-%ds" % w for w in widths) + "  %s"
print(fmt % ("program", "benchmark", "time", "ratios", "counters"))
for r in rows:
    print(fmt % r)
PY
