#!/bin/bash
# velora's preview benchmark under Wine, on a private bench (prefix and Xvfb
# display in build/bench-preview). A watcher program hosts the preview in a
# window of its own, as the system's screen-saver settings do:
#  1. start-up: the time from starting "velora.scr /p <host>" to its first
#     painted preview, against a minimal program that paints one black child
#     window in the same host; alternating, RUNS runs each; medians and ratio;
#  2. CPU: the preview's own CPU time, and that of the bench's Wine server,
#     over CPU_SECONDS, against the minimal program left running as long;
#  3. flatness: one preview left running for SOAK_SECONDS (10 minutes by
#     default), its memory (Linux's figures of the process), GDI objects and
#     windows sampled every SOAK_EVERY seconds;
#  4. a picture of the preview, moved onto the desktop, in
#     build/bench-preview/preview.png (and three times as large, preview-x3.png).
# Results are printed and kept in build/bench-preview/results.txt.
# Other work on the machine slows single runs by up to a few times: the ratio
# of each round's two runs, which share the machine's load, is the steadier figure.
#   RUNS=31 CPU_SECONDS=60 SOAK_SECONDS=600 SOAK_EVERY=60 scripts/bench-preview.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The x64 programs, which every machine runs; ARCH=x86 for the x86 ones, where
# the machine runs 32-bit code.
. scripts/machine.sh
export BENCH_ARCH=${ARCH:-x64}
tree=$(windows_tree "$BENCH_ARCH")
runs=${RUNS:-31}
cpu_seconds=${CPU_SECONDS:-60}
soak_seconds=${SOAK_SECONDS:-600}
soak_every=${SOAK_EVERY:-60}

bash scripts/build.sh native "${tree#build/}"

dir=$root/build/bench-preview
. tests/bench/session.sh "$dir"
velora=$(winpath "$root/$tree/velora/velora.scr")
programs=$root/$tree/benchmarks
minimal=$(winpath "$programs/minimal_preview.exe")
watch=$programs/preview_watch.exe
results=$dir/results.txt
: >"$results"
say() { echo "$*" | tee -a "$results"; }

# A now-playing playlist of eight movies; the files need not exist.
{
  printf 'Velora PlayLists\r\n\r\n\a>Ocean\a\r\n'
  for name in "Coral Reef" "Humpback Whales" "Sea Otters" "Kelp Forest" "Jellyfish" \
    "Tide Pools" "Manta Rays" "Night Dive"; do
    printf ' C:\\MOVIES\\OCEAN\\%s.AVI\r\n' "$name"
  done
} >"$WINEPREFIX/drive_c/windows/velora.ini"

# The Linux process of this bench's prefix whose program file name matches
# the pattern $1 ("velora.scr", "wineserver*"); nothing when there is none.
linux_pid() {
  local want=$1 d first
  for d in /proc/[0-9]*; do
    # Whole reads, no early-closing readers: under pipefail a writer cut
    # short by one would fail the test.
    first=$(tr '\0' '\n' 2>/dev/null <"$d/cmdline") || continue
    first=${first%%$'\n'*}
    first=${first##*[\\/]}
    # shellcheck disable=SC2053
    [[ ${first,,} == ${want,,} ]] || continue
    tr '\0' '\n' 2>/dev/null <"$d/environ" | grep -xF "WINEPREFIX=$WINEPREFIX" >/dev/null || continue
    echo "${d#/proc/}"
    return 0
  done
}
cpu_ticks() {  # user + system time of a process, in clock ticks
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }
  # Fields after the program name, which is in parentheses: utime is the 12th, stime the 13th.
  echo "${stat##*) }" | awk '{print $12 + $13}'
}
status_kb() {  # a field of /proc/PID/status, in KB
  awk -v f="$2:" '$1 == f {print $2}' "/proc/$1/status" 2>/dev/null || true
}
now() { date +%s.%N; }
hz=$(getconf CLK_TCK)
percent() {  # ticks, seconds: share of one core
  awk -v t="$1" -v s="$2" -v hz="$hz" 'BEGIN {printf "%.3f%%", 100 * t / hz / s}'
}
# Waits up to a minute for a line in a file.
wait_for_line() {
  for _ in $(seq 600); do
    grep -q "$1" "$2" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
# Starts the watcher's hold of one preview in the background: output to
# $1, the program $2 (its file name $3) held for $4 s, sampled every $5 s.
# Sets $watcher, $target (the preview's Linux process) and $server.
start_hold() {
  local out=$1 program=$2 file=$3 seconds=$4 every=$5
  wine "$watch" hold --seconds "$seconds" --every "$every" "$program /p %HWND%" >"$out" 2>&1 &
  watcher=$!
  wait_for_line "holding" "$out" || { cat "$out"; say "the preview did not start"; exit 1; }
  target=$(linux_pid "$file")
  server=$(linux_pid 'wineserver*')
  [ -n "$target" ] && [ -n "$server" ] || { say "cannot find the Linux processes"; exit 1; }
}

say "== start-up to first painted preview: velora.scr /p vs minimal child window, $runs runs each =="
load_before=$(cut -d' ' -f1 /proc/loadavg)
wine "$watch" startup --runs "$runs" "velora=$velora /p %HWND%" "minimal=$minimal /p %HWND%" \
  | tr -d '\r' | tee -a "$results"
say "machine load (1 min) $load_before before, $(cut -d' ' -f1 /proc/loadavg) after, on $(nproc) CPUs"

say ""
say "== CPU over $cpu_seconds s with the preview running =="
for who in minimal velora; do
  if [ "$who" = velora ]; then
    start_hold "$dir/cpu-$who.txt" "$velora" velora.scr "$cpu_seconds" "$cpu_seconds"
  else
    start_hold "$dir/cpu-$who.txt" "$minimal" minimal_preview.exe "$cpu_seconds" "$cpu_seconds"
  fi
  t0=$(now); c0=$(cpu_ticks "$target"); s0=$(cpu_ticks "$server")
  sleep "$(awk -v s="$cpu_seconds" 'BEGIN {print s - 1}')"
  t1=$(now); c1=$(cpu_ticks "$target"); s1=$(cpu_ticks "$server")
  seconds=$(awk -v a="$t0" -v b="$t1" 'BEGIN {print b - a}')
  wait "$watcher" || true
  say "  $(printf '%-8s' "$who") own $(percent $((c1 - c0)) "$seconds") of one core ($((c1 - c0)) ticks of 1/$hz s in ${seconds%.*} s); the Wine server meanwhile $(percent $((s1 - s0)) "$seconds")"
done

say ""
say "== flatness: one preview for $soak_seconds s, sampled every $soak_every s =="
# The watcher holds a little longer than the last sample here.
start_hold "$dir/soak.txt" "$velora" velora.scr $((soak_seconds + 5)) "$soak_every"
t0=$(now)
say "  $(printf '%6s %12s %10s %10s' 'at s' 'RssAnon KB' 'VmRSS KB' 'VmSize KB')"
samples=()
for ((at = 0; at <= soak_seconds; at += soak_every)); do
  wait_s=$(awk -v t0="$t0" -v at="$at" -v now="$(now)" 'BEGIN {w = t0 + at - now; print (w > 0 ? w : 0)}')
  sleep "$wait_s"
  anon=$(status_kb "$target" RssAnon); rss=$(status_kb "$target" VmRSS); size=$(status_kb "$target" VmSize)
  [ -n "$anon" ] || break
  samples+=("$anon")
  say "  $(printf '%6d %12s %10s %10s' "$at" "$anon" "$rss" "$size")"
done
wait "$watcher" || true
tr -d '\r' <"$dir/soak.txt" | tee -a "$results"
if ((${#samples[@]} > 1)); then
  # From the second sample on, when start-up is over, to the largest after it.
  base=${samples[1]}; most=$base
  for s in "${samples[@]:1}"; do ((s > most)) && most=$s; done
  say "RssAnon growth from the second sample to the largest after it: $((most - base)) KB"
fi

say ""
say "== picture =="
printf 'Velora PlayLists\r\n\r\n\a>Ocean\a\r\n C:\\Movies\\Coral Reef.avi\r\n C:\\Movies\\Humpback Whales.avi\r\n C:\\Movies\\Sea Otters.avi\r\n C:\\Movies\\Kelp Forest.avi\r\n' \
  >"$WINEPREFIX/drive_c/windows/velora.ini"
wine "$watch" show --seconds 3 "$velora /p %HWND%" >"$dir/show.txt" 2>&1 &
watcher=$!
wait_for_line "shown" "$dir/show.txt" || { cat "$dir/show.txt"; exit 1; }
sleep 0.3
import -window root -crop 152x112+0+0 +repage "$dir/preview.png"
convert "$dir/preview.png" -scale 300% "$dir/preview-x3.png"
wait "$watcher" || true
say "saved $dir/preview.png and $dir/preview-x3.png"
echo
echo "results kept in $results"
