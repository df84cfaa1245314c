#!/bin/bash
# Sets up, builds and runs the movie saver on a demo playlist under Wine: on
# your display when $DISPLAY is set, otherwise in a virtual one. The demo
# makes its own clips and playlist file inside a private Wine prefix in
# build/demo and never touches your own Wine or Windows files. It installs
# only what it needs and builds only velora.scr; scripts/test.sh adds the rest.
# It shows the x64 velora.scr under 64-bit Wine, which every machine runs, also
# one whose kernel runs no 32-bit code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh demo
bash scripts/build.sh --target velora win64

demo=$root/build/demo
bench=$root/tests/bench/bench.sh
mkdir -p "$demo"
BENCH_USE_DISPLAY=${DISPLAY:-} "$bench" start "$demo" 800x600 x64
trap '"$bench" stop "$demo" >/dev/null' EXIT
# shellcheck disable=SC1091
. "$demo/env"

windows=$WINEPREFIX/drive_c/windows
clips=$WINEPREFIX/drive_c/clips
mkdir -p "$clips"
clip() {  # name, ffmpeg source; AVI files in Cinepak, MP4 files in H.264
  local codec=(-c:v cinepak)
  [[ $1 == *.MP4 ]] && codec=(-c:v libx264 -pix_fmt yuv420p)
  [ -s "$clips/$1" ] || ffmpeg -hide_banner -loglevel error -y -f lavfi -i "$2" -t 6 \
    "${codec[@]}" "$clips/$1"
}
clip TESTCARD.AVI "testsrc=size=320x240:rate=15"
clip SPIRAL.MP4 "mandelbrot=size=320x240:rate=15"
clip RAINBOW.AVI "smptebars=size=320x240:rate=15"
clip COLOURS.AVI "rgbtestsrc=size=320x240:rate=15"

printf 'Velora PlayLists\r\n\r\n\a>Demo\a\r\n C:\\CLIPS\\TESTCARD.AVI\r\n C:\\CLIPS\\SPIRAL.MP4\r\n C:\\CLIPS\\RAINBOW.AVI\r\n C:\\CLIPS\\COLOURS.AVI\r\n\r\n\a Empty\a\r\n' \
  >"$windows/velora.ini"

scr=$root/build/win64/velora/velora.scr
shot=$demo/velora-demo.png
export WINEDEBUG=-all

# The viewer plays the now-playing movies one after another until Esc or a
# request to close, which the demo sends once it has its picture.
wine "$scr" /v &
viewer=$!
sleep 8
# ffmpeg grabs the screen: the demo needs no ImageMagick.
ffmpeg -hide_banner -loglevel error -y -f x11grab -i "$DISPLAY" -frames:v 1 "$shot"
wine taskkill /im velora.scr >/dev/null 2>&1 || true
for _ in $(seq 50); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$viewer" 2>/dev/null; then
  echo "velora's viewer did not close when asked; the bench's end stops it"
else
  wait "$viewer" || echo "velora's viewer ended with status $? (expected 0)"
fi
echo "velora's viewer (x64 velora.scr, 64-bit Wine) played the demo playlist on display $DISPLAY; screenshot: $shot"
