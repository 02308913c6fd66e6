#!/usr/bin/env bash
# Runs the benchmarks under one virtual X display and prints, in one table, each benchmark's time and every
# counter it reports (ratios against a baseline measured in the same run are named *ratio* or *_over_*).
# Usage: scripts/bench.sh [build-dir] [program ...]
#   build-dir defaults to build/normal (configured with -DNV_BUILD_BENCH=ON); programs default to
#   render_bench path_bench world_bench dispatch_bench.
# NV_BENCH_ROUNDS: run everything this many times (default 1); the table shows medians over the rounds.
# NV_BENCH_BASE: another build folder (say, of an older commit) whose programs run alternately with ours in every
#   round; each time and ms_per_frame then gets an _over_base ratio, the median of the rounds' ratios.
# NV_BENCH_PEER: a command run before render_bench in every round and once after the last, on the same display;
#   each output line "peer NAME MS", or a table row "NAME MODE RUNS MIN / MEDIAN / MAX ..." (as the libtcod
#   peer's run.sh prints it, read as NAME_MODE MEDIAN), is a peer's ms per frame; the table compares
#   BM_FullChange in each round with the mean of the peer's full frame just before and after it.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath "${1:-$ROOT/build/normal}")"
[ $# -gt 0 ] && shift
programs=("$@")
[ ${#programs[@]} -eq 0 ] && programs=(render_bench path_bench world_bench dispatch_bench)
rounds="${NV_BENCH_ROUNDS:-1}"
base="${NV_BENCH_BASE:+$(realpath "$NV_BENCH_BASE")}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

run_peer() {
    bash -c "$NV_BENCH_PEER" 2>/dev/null >"$out/peer.$1.txt"
}

run_one() {
    local dir="$1" program="$2" tag="$3"
    if [ ! -x "$dir/bench/$program" ]; then
        echo "missing $dir/bench/$program (build it with -DNV_BUILD_BENCH=ON)" >&2
        return
    fi
    echo "running $tag $program" >&2
    (cd "$dir/bench" && "./$program" --benchmark_out="$out/$tag.$program.json" --benchmark_out_format=json \
        >"$out/$tag.$program.log" 2>&1) || echo "$tag $program failed: see its log" >&2
}

run_all() {
    for round in $(seq "$rounds"); do
        for program in "${programs[@]}"; do
            if [ "$program" = render_bench ] && [ -n "${NV_BENCH_PEER:-}" ]; then
                run_peer "$round"
            fi
            [ -n "$base" ] && run_one "$base" "$program" "base.$round"
            run_one "$build" "$program" "ours.$round"
        done
    done
    if [[ " ${programs[*]} " == *" render_bench "* ]] && [ -n "${NV_BENCH_PEER:-}" ]; then
        run_peer "$((rounds + 1))"
    fi
}
if [ -n "${NV_BENCH_INSIDE:-}" ] || { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; then
    run_all
else
    # One server for every program, so a peer and ours see the same machine; -noreset keeps it up between them.
    NV_BENCH_INSIDE=1 xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$build" "${programs[@]}"
    exit $?
fi

python3 - "$out" <<'PY'
import glob, json, os, re, statistics, sys
from collections import defaultdict
out = sys.argv[1]
skip = {"name", "run_name", "run_type", "repetitions", "repetition_index", "threads", "iterations", "real_time",
        "cpu_time", "time_unit", "family_index", "per_family_instance_index", "label", "error_occurred",
        "error_message", "aggregate_name", "aggregate_unit"}
# runs[(tag, program, name)][round] = counters including "time"
runs = defaultdict(dict)
units = {}
for path in glob.glob(os.path.join(out, "*.json")):
    tag, rnd, program = os.path.basename(path)[:-5].split(".", 2)
    try:
        data = json.load(open(path))
    except ValueError:
        continue
    for b in data.get("benchmarks", []):
        counters = {k: v for k, v in b.items() if k not in skip and isinstance(v, (int, float))}
        counters["time"] = b["real_time"]
        units[(program, b["name"])] = b["time_unit"]
        runs[(tag, program, b["name"])][int(rnd)] = counters
peer = defaultdict(dict)
for path in glob.glob(os.path.join(out, "peer.*.txt")):
    rnd = int(path.rsplit(".", 2)[1])
    for line in open(path):
        m = re.match(r"peer\s+(\S+)\s+([0-9.]+)", line) or \
            re.match(r"(\w+)\s+(\w+)\s+\d+\s+[0-9.]+\s*/\s*([0-9.]+)\s*/", line)
        if m and len(m.groups()) == 2:
            peer[m.group(1)][rnd] = float(m.group(2))
        elif m:
            peer[m.group(1) + "_" + m.group(2)][rnd] = float(m.group(3))
med = statistics.median
rows = []
for (tag, program, name), by_round in sorted(runs.items()):
    if tag != "ours":
        continue
    keys = sorted({k for c in by_round.values() for k in c})
    value = {k: med([c[k] for c in by_round.values() if k in c]) for k in keys}
    ratios = {k: v for k, v in value.items() if "ratio" in k or "_over_" in k}
    base = runs.get(("base", program, name), {})
    for k in ("time", "ms_per_frame"):
        pairs = [by_round[r][k] / base[r][k] for r in by_round if r in base and base[r].get(k) and k in by_round[r]]
        if pairs:
            ratios[k + "_over_base"] = med(pairs)
    if name.startswith("BM_FullChange"):
        for pname, values in peer.items():
            if "full" not in pname:
                continue
            pairs = []
            for r, c in by_round.items():
                around = [values[x] for x in (r, r + 1) if x in values]
                if around and "ms_per_frame" in c:
                    pairs.append(c["ms_per_frame"] / (sum(around) / len(around)))
            if pairs:
                ratios["full_over_" + pname] = med(pairs)
    others = {k: v for k, v in value.items() if k not in ratios and k != "time"}
    rows.append((program, name, "%.3g %s" % (value["time"], units[(program, name)]),
                 " ".join("%s=%.3g" % kv for kv in sorted(ratios.items())),
                 " ".join("%s=%.4g" % kv for kv in others.items()) + " rounds=%d" % len(by_round)))
for pname, values in sorted(peer.items()):
    rows.append(("peer", pname, "%.3g ms" % med(values.values()), "", "runs=%d" % len(values)))
if not rows:
    sys.exit("no benchmark ran")
widths = [max(len(r[i]) for r in rows + [("program", "benchmark", "time", "ratios", "counters")]) for i in range(4)]
fmt = "  ".join("%%-%ds" % w for w in widths) + "  %s"
print(fmt % ("program", "benchmark", "time", "ratios", "counters"))
for r in rows:
    print(fmt % r)
PY
