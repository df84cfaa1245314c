#!/bin/bash
# Fractal saver benchmark under Wine on a private bench of SIZE (default
# 1024x768; build/bench-fracsave):
#  1. the time from a key press during a full-mode frame to the exit of
#     fracsave.scr, with no password (goal: under 100 ms);
#  2. the frame rate of the running saver window, full and fast mode, against
#     the bare computation of a frame in the same run;
#  3. the bare computation against the one-point loop, per vector path and
#     with 1 and 2 workers.
# Results are printed and kept in build/bench-fracsave/results.txt.
# SIZE is the primary monitor's size; LAYOUTS lists the monitor layouts to run
# on, one bench each (see tests/bench/bench.sh): "single right" compares a
# second monitor's cost.
#   SIZE=3840x2160 REPEATS=15 SECONDS_PER_MODE=10 LAYOUTS=single scripts/bench-fracsave.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The x64 programs, which every machine runs; ARCH=x86 for the x86 ones, where
# the machine runs 32-bit code.
. scripts/machine.sh
export BENCH_ARCH=${ARCH:-x64}
tree=$(windows_tree "$BENCH_ARCH")
repeats=${REPEATS:-15}
seconds=${SECONDS_PER_MODE:-10}
size=${SIZE:-1024x768}
dir=$root/build/bench-fracsave
mkdir -p "$dir"

# The project's own build trees: no second cross build just for the benchmark.
bash scripts/build.sh native "${tree#build/}" >/dev/null

bench=$root/tests/bench/bench.sh
trap '"$bench" stop "$dir" >/dev/null' EXIT
run() { "$bench" run "$dir" wine "$tree"/benchmarks/fracsave_bench.exe "$@" | tr -d '\r'; }
for layout in ${LAYOUTS:-single}; do
  "$bench" start "$dir" "$size" "$layout" >/dev/null
  echo "== Wine, primary monitor $size, monitors: $layout; load $(cut -d' ' -f1-3 /proc/loadavg)"
  run exit "Z:$(echo "$root/$tree/fracsave/fracsave.scr" | tr / '\\')" "$repeats"
  run rate "$seconds"
  run compute
  "$bench" stop "$dir" >/dev/null
done | tee "$dir/results.txt"
