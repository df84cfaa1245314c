#!/bin/bash
# MP4 playback through Media Foundation under Wine, on a private bench of
# SIZE (1920x1080; 3840x2160 for a 4K screen) in build/bench-mp4:
#  1. a 30 fps H.264 movie of SIZE and FRAME_SECONDS (60) s in velora's own
#     player window, centred at its size: the frames shown against the frames
#     in the file, and the CPU the process used, in all and per frame shown;
#  2. the first picture of a flat-colour movie of SIZE: velora.scr /s against
#     the minimal Media Foundation player, STARTUP_RUNS (9) runs each;
#  3. the pointer moved while velora.scr /s plays the movie of 1., INPUT_RUNS
#     (9) times: how soon its windows are gone and its process has ended, and
#     that it ends with 0;
#  4. soak (left out with CHANGES=0): velora.scr /s through CHANGES (500) changes of two short MP4
#     clips while soak_watch samples its memory, handles and windows; the goal
#     is flat after the warm-up (at most 64 KB of private memory, no handle);
#  5. the same clips, as many changes, through Media Foundation alone
#     (mf_loop_bench, nothing of velora's): a session per movie, then one
#     session for all; what grows there is Media Foundation's own.
# NO_MPEG_VIDEO=1 runs both on a prefix whose MCI has no MPEG video device,
# as on a stock Windows. SOUND=1 gives the bench a sound device (ALSA's null
# one) and the movie of 1. and 3. a sound track: its frames then keep to the
# sound's clock. Results are printed and kept in build/bench-mp4/results.txt.
#   FRAME_SECONDS=60 CHANGES=500 NO_MPEG_VIDEO=1 scripts/bench-mp4.sh
#   SIZE=3840x2160 CHANGES=0 NO_MPEG_VIDEO=1 scripts/bench-mp4.sh
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
size=${SIZE:-1920x1080}

bash scripts/build.sh native "${tree#build/}"

dir=$root/build/bench-mp4
. tests/bench/session.sh "$dir" "$size" ${NO_MPEG_VIDEO:+no-mpeg-video} ${SOUND:+sound}
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
sound=()
[ -n "${SOUND:-}" ] && sound=(-f lavfi -i "sine=frequency=440:sample_rate=48000" -c:a aac)
ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=s=$size:r=30" "${sound[@]}" -t "$seconds" \
  -c:v libx264 -preset veryfast -pix_fmt yuv420p "$clips/HD.MP4"
ffmpeg -hide_banner -loglevel error -y -f lavfi -i "color=c=0x00ff00:s=$size:r=30" -t 3 \
  -c:v libx264 -pix_fmt yuv420p "$clips/GREEN.MP4"
# Flat colours, so that one pixel tells which movie is on screen.
for clip in RED:ff0000 BLUE:0000ff; do
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "color=c=0x${clip#*:}:s=320x240:r=15" -t 0.3 \
    -c:v libx264 -pix_fmt yuv420p "$clips/${clip%%:*}.MP4"
done

playlist=$WINEPREFIX/drive_c/windows/velora.ini
wine reg add 'HKCU\Software\Orvane Systems\velora\PlayBack' /v Center /t REG_DWORD /d 1 /f >/dev/null 2>&1

section "$size 30 fps MP4 of $seconds s${SOUND:+ with sound} in velora's player window"
load
wine "$programs/mp4_frames_bench.exe" 'C:\clips\HD.MP4' $((seconds * 30)) | tr -d '\r' | tee -a "$results" ||
  status=1
load

section "$size MP4, start-up to the first picture: velora.scr /s vs minimal_mf_player, ${STARTUP_RUNS:-9} runs each"
printf 'Velora PlayLists\r\n\r\n\a>Startup\a\r\n C:\\CLIPS\\GREEN.MP4\r\n' >"$playlist"
load
wine "$programs/startup_watch.exe" --runs "${STARTUP_RUNS:-9}" --colour 00ff00 \
  "velora=$velora /s" "minimal=$(winpath "$programs/minimal_mf_player.exe") C:\clips\GREEN.MP4" |
  tr -d '\r' | tee -a "$results"
load

section "pointer moved while velora.scr /s plays the $size movie, ${INPUT_RUNS:-9} runs"
printf 'Velora PlayLists\r\n\r\n\a>Input\a\r\n C:\\CLIPS\\HD.MP4\r\n' >"$playlist"
load
wine "$programs/input_end_bench.exe" "${INPUT_RUNS:-9}" 3000 "$velora /s" | tr -d '\r' | tee -a "$results"
((PIPESTATUS[0])) && status=1
load

if ((changes == 0)); then
  echo
  echo "results kept in $results"
  exit $status
fi

section "velora.scr /s through $changes MP4 movie changes"
printf 'Velora PlayLists\r\n\r\n\a>Soak\a\r\n C:\\CLIPS\\RED.MP4\r\n C:\\CLIPS\\BLUE.MP4\r\n' >"$playlist"
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
