#!/bin/bash
# Runs every fuzz target for as long as asked (default 600 seconds each, one per
# core at a time), growing its corpus in build/fuzz/corpus/<target> and keeping what it
# finds in build/fuzz/findings/. Ends non-zero when anything was found.
#
#   bash scripts/fuzz.sh [seconds]
#
# The test run uses the same script for one target at a time:
#   fuzz.sh --one SECONDS TARGET SEEDS WORK FINDINGS
set -uo pipefail

# One target: explore from the seeds (read only) into WORK; a finding is kept
# in FINDINGS and fails the run. A hang of 10 s on one input counts as one.
run_one() {
  local seconds=$1 target=$2 seeds=$3 work=$4 findings=$5
  mkdir -p "$work" "$findings"
  local name
  name=$(basename "$target")
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/$name-" "$work" "$seeds"
}

if [ "${1:-}" = "--one" ]; then
  shift
  run_one "$@"
  exit $?
fi

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
seconds=${1:-600}
bash scripts/setup.sh || exit 1
bash scripts/build.sh sanitize || exit 1

out=build/fuzz
mkdir -p "$out/logs"
targets=(build/sanitize/tests/fuzz/*_fuzz)
jobs=$(nproc)
status=0
pids=()
for target in "${targets[@]}"; do
  name=$(basename "$target")
  run_one "$seconds" "$target" tests/fuzz/corpus/$name "$out/corpus/$name" "$out/findings" \
    >"$out/logs/$name.log" 2>&1 &
  pids+=("$!:$name")
  if ((${#pids[@]} == jobs)); then
    for p in "${pids[@]}"; do
      wait "${p%%:*}" || { status=1; echo "FOUND something, see $out/logs/${p#*:}.log"; }
    done
    pids=()
  fi
done
for p in "${pids[@]}"; do
  wait "${p%%:*}" || { status=1; echo "FOUND something, see $out/logs/${p#*:}.log"; }
done

for target in "${targets[@]}"; do
  name=$(basename "$target")
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$out/logs/$name.log" | awk '{print $2}')
  echo "$name: ${runs:-?} inputs in ${seconds}s, corpus $(ls "$out/corpus/$name" | wc -l) files"
done
ls "$out/findings" 2>/dev/null | sed 's/^/finding: /'
exit $status
