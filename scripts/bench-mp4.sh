#!/bin/bash
# MP4 playback through Media Foundation under Wine, on a private 1920x1080
# bench (prefix and Xvfb display in build/bench-mp4):
#  1. a 1920x1080, 30 fps H.264 movie of FRAME_SECONDS (60) s in velora's own
#     player window, centred at its size: the frames shown against the frames
#     in the file, and the CPU the process used;
#  2. soak: velora.scr /s through CHANGES (500) changes of two short MP4
#     clips while soak_watch samples its memory, handles and windows; the goal
#     is flat after the warm-up (at most 64 KB of private memory, no handle);
#  3. the same clips, as many changes, through Media Foundation alone
#     (mf_loop_bench, nothing of velora's): a session per movie, then one
#     session for all; what grows there is Media Foundation's own.
# NO_MPEG_VIDEO=1 runs both on a prefix whose MCI has no MPEG video device,
# as on a stock Windows. Results are printed and kept in build/bench-mp4/results.txt.
#   FRAME_SECONDS=60 CHANGES=500 NO_MPEG_VIDEO=1 scripts/bench-mp4.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The x64 programs, which every machine runs; ARCH=x86 for the x86 ones, where
# the machine runs 32-bit code.
. scripts/machine.sh
export BENCH_ARCH=${ARCH:-x64}
tree=$(windows_tree "$BENCH_ARCH")
seconds=${FRAME_SECONDS:-60}
changes=${CHANGES:-500}

bash scripts/build.sh native "${tree#build/}"

dir=$root/build/bench-mp4
. tests/bench/session.sh "$dir" 1920x1080 ${NO_MPEG_VIDEO:+no-mpeg-video}
velora=$(winpath "$root/$tree/velora/velora.scr")
programs=$root/$tree/benchmarks
results=$dir/results.txt
: >"$results"
status=0
section() { echo | tee -a "$results"; echo "== $* ==" | tee -a "$results"; }
load() { echo "machine load (1 min) $(cut -d' ' -f1 /proc/loadavg) on $(nproc) CPUs" | tee -a "$results"; }

clips=$WINEPREFIX/drive_c/clips
mkdir -p "$clips"
# A picture that changes everywhere in every frame, as a decoder finds it in real footage.
ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=s=1920x1080:r=30" -t "$seconds" \
  -c:v libx264 -preset veryfast -pix_fmt yuv420p "$clips/HD.MP4"
# Flat colours, so that one pixel tells which movie is on screen.
for clip in RED:ff0000 BLUE:0000ff; do
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "color=c=0x${clip#*:}:s=320x240:r=15" -t 0.3 \
    -c:v libx264 -pix_fmt yuv420p "$clips/${clip%%:*}.MP4"
done

section "1920x1080 30 fps MP4 of $seconds s in velora's player window"
load
wine "$programs/mp4_frames_bench.exe" 'C:\clips\HD.MP4' $((seconds * 30)) | tr -d '\r' | tee -a "$results" ||
  status=1
load

section "velora.scr /s through $changes MP4 movie changes"
printf 'Velora PlayLists\r\n\r\n\a>Soak\a\r\n C:\\CLIPS\\RED.MP4\r\n C:\\CLIPS\\BLUE.MP4\r\n' \
  >"$WINEPREFIX/drive_c/windows/velora.ini"
wine reg add 'HKCU\Software\Orvane Systems\velora\PlayBack' /v Center /t REG_DWORD /d 1 /f >/dev/null 2>&1
load
wine "$programs/soak_watch.exe" --changes "$changes" --warmup 25 --max-private-kb 64 --max-handles 0 \
  --colours ff0000,0000ff "$velora /s" | tr -d '\r' | tee -a "$results"
((PIPESTATUS[0])) && status=1
load

section "Media Foundation alone through $changes changes of the same clips"
load
for mode in "" --one-session; do
  wine "$programs/mf_loop_bench.exe" $mode "$changes" 25 'C:\clips\RED.MP4' 'C:\clips\BLUE.MP4' |
    tr -d '\r' | tee -a "$results"
  ((PIPESTATUS[0])) && status=1
done
load

echo
echo "results kept in $results"
exit $status
