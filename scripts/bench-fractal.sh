#!/bin/bash
# Fractal saver frame benchmark: a 1024x768 frame of preset 1, full mode
# (limit 512) and fast mode (limit 64). For each: (a) the pure computation of
# every point with the frame's workers (natively: 2 workers, against 1 worker
# and the one-point loop, and each vector path on one thread), (b) a whole
# frame with ShowGen off, (c) with ShowGen on, as time per frame and as a
# ratio to (a) from the same run.
#  1. native, with Google Benchmark (build/native);
#  2. under Wine on a private bench of SIZE (default 1024x768; build/bench-fractal).
# Results are printed and kept in build/bench-fractal/results.txt.
#   REPEATS=7 scripts/bench-fractal.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The x64 programs, which every machine runs; ARCH=x86 for the x86 ones, where
# the machine runs 32-bit code.
. scripts/machine.sh
export BENCH_ARCH=${ARCH:-x64}
tree=$(windows_tree "$BENCH_ARCH")
repeats=${REPEATS:-7}
dir=$root/build/bench-fractal
mkdir -p "$dir"
results=$dir/results.txt

# The project's own build trees: no second pair of builds just for the benchmark.
bash scripts/build.sh native "${tree#build/}" >/dev/null

{
  echo "== native (Google Benchmark, CPU time per frame; ratios to Points in this run)"
  build/native/fracsave/fractal_bench --benchmark_repetitions="$repeats" \
    --benchmark_report_aggregates_only=true --benchmark_format=json 2>/dev/null |
    python3 -c '
import json, sys
runs = {b["run_name"]: b["real_time"] if "real_time" in b["run_name"] else b["cpu_time"]
        for b in json.load(sys.stdin)["benchmarks"] if b.get("aggregate_name") == "median"}
for fast in (0, 1):
    scalar = runs["PointsScalar/fast:%d" % fast]
    sse2 = runs["Points/fast:%d/avx2:0" % fast]
    avx2 = runs.get("Points/fast:%d/avx2:1" % fast)
    one = runs["PointsWorkers/fast:%d/workers:1/real_time" % fast]
    two = runs["PointsWorkers/fast:%d/workers:2/real_time" % fast]
    print("%s: (a) points, 2 workers %.1f ms = %.2f of 1 worker (%.1f ms); one point at a time %.1f ms = %.2fx (a)"
          % ("fast (limit 64)" if fast else "full (limit 512)", two, two / one, one, scalar, scalar / two))
    print("    one thread: SSE2 %.1f ms = %.2fx faster than one point at a time%s" % (sse2, scalar / sse2,
          "; AVX2 %.1f ms = %.2fx" % (avx2, scalar / avx2) if avx2 else ""))
    for show in (0, 1):
        f = runs["Frame/fast:%d/showgen:%d/real_time" % (fast, show)]
        print("    (%s) frame ShowGen %s %.1f ms = %.2fx (a)" % ("bc"[show], ("off", "on")[show], f, f / two))
'
  size=${SIZE:-1024x768}
  echo "== Wine (median of $repeats; window $size, no message pump)"
  bench=$root/tests/bench/bench.sh
  "$bench" start "$dir" "$size" >/dev/null
  trap '"$bench" stop "$dir" >/dev/null' EXIT
  "$bench" run "$dir" wine "$tree"/benchmarks/fractal_frame_bench.exe "$repeats" | tr -d '\r'
} | tee "$results"
