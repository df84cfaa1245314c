#!/bin/bash
# Soak under Wine, on a private bench (prefix and Xvfb display in build/soak):
# each program is left running while soak_watch samples its private memory,
# handles and windows from outside, and judges the growth after a warm-up
# against the goal: at most 64 KB of private memory and no handle.
#  1. velora.scr /s through 500 movie changes of two short clips;
#  2. fracsave.scr /s through 1,000 frames with Shift Palette and moving,
#     randomly chosen corners (Fast Generator, so that frames come quickly);
#  3. velora.scr /p in a host window made by the watcher, for 10 minutes.
# Results are printed and kept in build/soak/results.txt.
#   CHANGES=500 FRAMES=1000 PREVIEW_MINUTES=10 bash scripts/soak.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The x64 programs, which every machine runs; ARCH=x86 for the x86 ones, where
# the machine runs 32-bit code.
. scripts/machine.sh
export BENCH_ARCH=${ARCH:-x64}
tree=$(windows_tree "$BENCH_ARCH")
changes=${CHANGES:-500}
frames=${FRAMES:-1000}
minutes=${PREVIEW_MINUTES:-10}
goal=(--max-private-kb 64 --max-handles 0)

bash scripts/build.sh native "${tree#build/}" || exit 1

dir=$root/build/soak
. tests/bench/session.sh "$dir"
velora=$(winpath "$root/$tree/velora/velora.scr")
fracsave=$(winpath "$root/$tree/fracsave/fracsave.scr")
watch=$root/$tree/benchmarks/soak_watch.exe
windows=$WINEPREFIX/drive_c/windows
results=$dir/results.txt
: >"$results"
status=0

section() { echo | tee -a "$results"; echo "== $* ==" | tee -a "$results"; }
watch() { wine "$watch" "$@" | tr -d '\r' | tee -a "$results"; ((PIPESTATUS[0])) && status=1; }

# Flat-colour clips, so that one pixel tells which movie is on screen.
clips=$WINEPREFIX/drive_c/clips
mkdir -p "$clips"
for clip in RED:ff0000 BLUE:0000ff; do
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "color=c=0x${clip#*:}:s=320x240:r=15" -t 0.3 \
    -c:v cinepak "$clips/${clip%%:*}.AVI"
done
printf 'Velora PlayLists\r\n\r\n\a>Soak\a\r\n C:\\CLIPS\\RED.AVI\r\n C:\\CLIPS\\BLUE.AVI\r\n' \
  >"$windows/velora.ini"
# Centred, so that the screen centre shows the movie.
wine reg add 'HKCU\Software\Orvane Systems\velora\PlayBack' /v Center /t REG_DWORD /d 1 /f >/dev/null 2>&1

section "velora.scr /s through $changes movie changes"
watch --changes "$changes" --warmup 25 "${goal[@]}" --colours ff0000,0000ff "$velora /s"

section "fracsave.scr /s through $frames frames, Shift Palette, Alter and Random Corners"
printf '[Screen Saver.Mandelbrot]\r\nFastGen=1\r\nShiftPal=1\r\nRandCorners=1\r\nAlterCorners=1\r\nShowGen=0\r\nPWProtected=0\r\n' \
  >"$windows/control.ini"
watch --frames --changes "$frames" --warmup 50 "${goal[@]}" "$fracsave /s"

section "velora.scr /p in a host window for $minutes minutes"
watch --preview --changes $((minutes * 6)) --warmup 6 "${goal[@]}" "$velora /p %HWND%"

echo
echo "results kept in $results"
exit $status
