#!/bin/bash
# Movie playback benchmark under Wine, on a private bench (prefix and Xvfb
# display in build/bench-playback):
#  1. start-up: the time from starting "velora.scr /s" to the first movie
#     picture on screen, against a minimal Win32 player of the same clip,
#     alternating, RUNS runs each; medians and the ratio velora/minimal;
#  2. the same for an MP4 (H.264) clip, which velora plays through Media
#     Foundation, against a minimal Media Foundation player;
#  3. the gap between two movies: the time from one movie's end to the next
#     movie's first picture, for two MP4 clips and for two AVI clips of the
#     same length, GAP_CHANGES changes each;
#  4. flatness: velora.scr /s through CHANGES movie changes of two short
#     clips, sampling its memory, handles and windows.
# Results are printed and kept in build/bench-playback/results.txt.
# LAYOUT=right or left runs all of it on two monitors (see tests/bench/bench.sh),
# in build/bench-playback-LAYOUT; NO_MPEG_VIDEO=1 on a prefix whose MCI has no
# MPEG video device, as on a stock Windows.
#   RUNS=15 GAP_CHANGES=20 CHANGES=50 [LAYOUT=right] [NO_MPEG_VIDEO=1] scripts/bench-playback.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# The x64 programs, which every machine runs; ARCH=x86 for the x86 ones, where
# the machine runs 32-bit code.
. scripts/machine.sh
export BENCH_ARCH=${ARCH:-x64}
tree=$(windows_tree "$BENCH_ARCH")
runs=${RUNS:-15}
changes=${CHANGES:-50}
gap_changes=${GAP_CHANGES:-20}

bash scripts/build.sh native "${tree#build/}"

layout=${LAYOUT:-single}
dir=$root/build/bench-playback
[ "$layout" = single ] || dir=$dir-$layout
. tests/bench/session.sh "$dir" 640x480 "$layout" ${NO_MPEG_VIDEO:+no-mpeg-video}
# The X server counts from the virtual screen's corner: with the second
# monitor on the left, the primary starts 640 pixels in.
x11_left=0
[ "$layout" = left ] && x11_left=640
velora=$(winpath "$root/$tree/velora/velora.scr")
programs=$root/$tree/benchmarks
minimal=$(winpath "$programs/minimal_player.exe")
minimal_mf=$(winpath "$programs/minimal_mf_player.exe")
playlist=$WINEPREFIX/drive_c/windows/velora.ini
results=$dir/results.txt

# Flat-colour clips, so that one pixel tells which movie is on screen.
clips=$WINEPREFIX/drive_c/clips
mkdir -p "$clips"
clip() {  # name, colour, seconds; AVI files in Cinepak, MP4 files in H.264
  local codec=(-c:v cinepak)
  [[ $1 == *.MP4 ]] && codec=(-c:v libx264 -pix_fmt yuv420p)
  ffmpeg -hide_banner -loglevel error -y -f lavfi -i "color=c=0x$2:s=320x240:r=15" -t "$3" \
    "${codec[@]}" "$clips/$1"
}
clip GREEN.AVI 00ff00 3
clip RED.AVI ff0000 0.3
clip BLUE.AVI 0000ff 0.3
clip GREEN.MP4 00ff00 3
clip RED1.MP4 ff0000 1
clip BLUE1.MP4 0000ff 1
clip RED1.AVI ff0000 1
clip BLUE1.AVI 0000ff 1

# Centred, so that the screen centre shows the movie (640x480 screen, 320x240 clip).
wine reg add 'HKCU\Software\Orvane Systems\velora\PlayBack' /v Center /t REG_DWORD /d 1 /f \
  >/dev/null 2>&1

# The watchers read the screen through the desktop's DC: check once, with the
# clip on screen, that it reads what the X server shows.
green() {  # r g b (0-255): the clip's green, give or take the codec
  (($2 > 180 && $1 < 70 && $3 < 70))
}
probe_rgb() {  # the centre pixel as the watchers read it: r g b
  local hex
  hex=$(wine "$programs/startup_watch.exe" probe | tr -d '\r' | awk '{print $NF}')
  echo $((16#${hex:0:2})) $((16#${hex:2:2})) $((16#${hex:4:2}))
}
x11_rgb() {  # the centre pixel as the X server shows it: r g b
  import -window root -depth 8 -crop "1x1+$((x11_left + 320))+240" txt:- | tail -n1 |
    sed -E 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'
}
wine "$programs/minimal_player.exe" 'C:\clips\GREEN.AVI' >/dev/null 2>&1 &
player=$!
read -r r g b < <(probe_rgb)
for _ in $(seq 50); do
  green "$r" "$g" "$b" && break
  sleep 0.2
  read -r r g b < <(probe_rgb)
done
read -r xr xg xb < <(x11_rgb)
kill "$player" 2>/dev/null || true
wait "$player" 2>/dev/null || true
echo "monitors: $layout" | tee "$results"
echo "screen check, centre pixel with the clip on screen: desktop DC $r,$g,$b; X server $xr,$xg,$xb" \
  | tee -a "$results"
if ! green "$r" "$g" "$b" || ! green "$xr" "$xg" "$xb"; then
  echo "the desktop DC does not see the clip as the X server shows it: no measurement" \
    | tee -a "$results"
  exit 1
fi

startup() {  # title, clip file name, the minimal player
  echo | tee -a "$results"
  echo "== $1 start-up to first picture: velora.scr /s vs ${3##*\\}, $runs runs each ==" \
    | tee -a "$results"
  printf 'Velora PlayLists\r\n\r\n\a>Startup\a\r\n C:\\CLIPS\\%s\r\n' "$2" >"$playlist"
  # Other work on the machine slows both programs, unevenly: keep the load with the figures.
  local load_before
  load_before=$(cut -d' ' -f1 /proc/loadavg)
  wine "$programs/startup_watch.exe" --runs "$runs" --colour 00ff00 \
    "velora=$velora /s" "minimal=$3 C:\\clips\\$2" | tr -d '\r' | tee -a "$results"
  echo "machine load (1 min) $load_before before, $(cut -d' ' -f1 /proc/loadavg) after, on $(nproc) CPUs" \
    | tee -a "$results"
}
startup AVI GREEN.AVI "$minimal"
startup MP4 GREEN.MP4 "$minimal_mf"

# A movie change is the centre turning from one clip's colour to the other's.
# The time per movie beyond the clips' 1 s is the gap as the user sees it; the
# AVI device ends a clip with its last frame, 1/15 s early.
echo | tee -a "$results"
echo "== gap between two movies: velora.scr /s, 1 s clips, $gap_changes changes ==" | tee -a "$results"
declare -A per_movie
for type in MP4 AVI; do
  printf 'Velora PlayLists\r\n\r\n\a>Gap\a\r\n C:\\CLIPS\\RED1.%s\r\n C:\\CLIPS\\BLUE1.%s\r\n' \
    "$type" "$type" >"$playlist"
  watched=$(wine "$programs/soak_watch.exe" --changes "$gap_changes" --colours ff0000,0000ff "$velora /s" \
    | tr -d '\r' || true)
  # "movie changes seen: N of M in T s (X ms each)[; stalled: ...]": a figure
  # only from a complete run; otherwise the watcher's own line says why not.
  seen_line=$(grep -m1 '^movie changes seen: ' <<<"$watched" || true)
  per_movie[$type]=$(sed -n 's/^movie changes seen: \([0-9]*\) of \1 in [0-9.]* s (\([0-9]*\) ms each)$/\2/p' \
    <<<"$seen_line")
  if [ -n "${per_movie[$type]}" ]; then
    echo "$type: ${per_movie[$type]} ms per movie" | tee -a "$results"
  else
    echo "$type: no gap figure: ${seen_line:-the watcher printed no count (${watched:-no output})}" \
      | tee -a "$results"
  fi
  # Movie windows and devices come and go with their movies: nothing of velora's piles up.
  grep '^verdict' <<<"$watched" | sed "s/^/$type: /" | tee -a "$results"
done
if [ -n "${per_movie[MP4]}" ] && [ -n "${per_movie[AVI]}" ]; then
  echo "an MP4 movie change takes $((per_movie[MP4] - per_movie[AVI])) ms longer than an AVI one" \
    | tee -a "$results"
fi

echo | tee -a "$results"
echo "== flatness: velora.scr /s through $changes movie changes ==" | tee -a "$results"
printf 'Velora PlayLists\r\n\r\n\a>Soak\a\r\n C:\\CLIPS\\RED.AVI\r\n C:\\CLIPS\\BLUE.AVI\r\n' \
  >"$playlist"
wine "$programs/soak_watch.exe" --changes "$changes" --colours ff0000,0000ff "$velora /s" \
  | tr -d '\r' | tee -a "$results"
echo
echo "results kept in $results"
