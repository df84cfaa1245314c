#!/bin/bash
# Fractal saver benchmark under Wine on a private 1024x768 bench
# (build/bench-fracsave):
#  1. the time from a key press during a full-mode frame to the exit of
#     fracsave.scr, with no password (goal: under 100 ms);
#  2. the frame rate of the running saver window, full and fast mode, against
#     the bare computation of a frame in the same run.
# Results are printed and kept in build/bench-fracsave/results.txt.
# LAYOUTS lists the monitor layouts to run on, one bench each (see
# tests/bench/bench.sh): "single right" compares a second monitor's cost.
#   REPEATS=15 SECONDS=10 LAYOUTS=single scripts/bench-fracsave.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
repeats=${REPEATS:-15}
seconds=${SECONDS_PER_MODE:-10}
dir=$root/build/bench-fracsave
mkdir -p "$dir"

# The project's own build trees: no second cross build just for the benchmark.
bash scripts/build.sh >/dev/null

bench=$root/tests/bench/bench.sh
trap '"$bench" stop "$dir" >/dev/null' EXIT
run() { "$bench" run "$dir" wine build/win32/benchmarks/fracsave_bench.exe "$@" | tr -d '\r'; }
for layout in ${LAYOUTS:-single}; do
  "$bench" start "$dir" 1024x768 "$layout" >/dev/null
  echo "== Wine, primary monitor 1024x768, monitors: $layout; load $(cut -d' ' -f1-3 /proc/loadavg)"
  run exit "Z:$(echo "$root/build/win32/fracsave/fracsave.scr" | tr / '\\')" "$repeats"
  run rate "$seconds"
  "$bench" stop "$dir" >/dev/null
done | tee "$dir/results.txt"
