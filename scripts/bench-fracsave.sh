#!/bin/bash
# Fractal saver benchmark under Wine on a private 1024x768 bench
# (build/bench-fracsave):
#  1. the time from a key press during a full-mode frame to the exit of
#     fracsave.scr, with no password (goal: under 100 ms);
#  2. the frame rate of the running saver window, full and fast mode, against
#     the bare computation of a frame in the same run.
# Results are printed and kept in build/bench-fracsave/results.txt.
#   REPEATS=15 SECONDS=10 scripts/bench-fracsave.sh
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
"$bench" start "$dir" 1024x768 >/dev/null
trap '"$bench" stop "$dir" >/dev/null' EXIT
run() { "$bench" run "$dir" wine build/win32/benchmarks/fracsave_bench.exe "$@" | tr -d '\r'; }
{
  echo "== Wine, 1024x768"
  run exit "Z:$(echo "$root/build/win32/fracsave/fracsave.scr" | tr / '\\')" "$repeats"
  run rate "$seconds"
} | tee "$dir/results.txt"
