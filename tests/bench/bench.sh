#!/bin/bash
# The Wine test bench: a private Wine prefix and a private Xvfb display per run.
#   bench.sh start DIR [WxH [OPTION...]]
#                              make DIR/prefix, start Xvfb, write DIR/env
#                              (with BENCH_USE_DISPLAY set, that display instead of Xvfb)
#                              options, in any order:
#                              a layout (or $BENCH_LAYOUT): "single" (the default), or two
#                              monitors of WxH: "right" (the second right of the primary)
#                              or "left" (left of it: the virtual screen starts at -W);
#                              no-mpeg-video removes MCI's MPEG video device from the
#                              prefix, which is what an MP4 file meets on a stock Windows;
#                              an architecture (or $BENCH_ARCH): "x64" (the default) for a
#                              64-bit prefix run by 64-bit Wine, or "x86" for a 32-bit one,
#                              which needs a machine that runs 32-bit code;
#                              sound gives Wine a sound device: ALSA's null one, which
#                              takes the sound as a card would and plays nothing (without
#                              it the bench has none, and programs play no sound);
#                              dpi=N (e.g. dpi=144) makes the screen one of N dots per inch
#                              (96, 100 %, by default): DPI-aware programs get fonts and
#                              metrics of that size, and BENCH_DPI tells it to the tests
#   bench.sh run DIR CMD...    run CMD inside the bench (WINEPREFIX, DISPLAY set, and
#                              `wine` on PATH the loader of the bench's architecture)
#   bench.sh stop DIR          end this bench's Wine processes and its Xvfb, by PID
# Nothing outside DIR is touched, and only processes this bench started are ended.
set -euo pipefail

cmd=${1:?usage: bench.sh start|run|stop DIR ...}
dir=${2:?bench directory}
shift 2
# Wine wants an absolute prefix.
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

export WINEDEBUG=-all
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../../scripts/machine.sh
. "$root/scripts/machine.sh"

stop_bench() {
  [ -f "$dir/env" ] || return 0
  # shellcheck disable=SC1091
  . "$dir/env"
  WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
  if [ -n "${BENCH_XVFB_PID:-}" ] && kill -0 "$BENCH_XVFB_PID" 2>/dev/null; then
    kill "$BENCH_XVFB_PID" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$BENCH_XVFB_PID" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$dir/env"
}

# Two monitors side by side on one X screen of twice the width. Wine reads the
# monitors (through Xinerama, once XRandR is off for the prefix) when its
# server starts, so this comes before any Wine program runs. Without -noreset,
# Xvfb would forget them when its last client goes.
set_monitors() {
  local layout=$1 w=${2%x*} h=${2#*x} primary_x second_x
  case $layout in
    right) primary_x=0 second_x=$w ;;
    left) primary_x=$w second_x=0 ;;
  esac
  # Physical sizes at 96 pixels per inch, in millimetres.
  local mm="${w}/$((w * 254 / 960))x${h}/$((h * 254 / 960))"
  DISPLAY=$BENCH_DISPLAY xrandr --setmonitor '*P' "${mm}+${primary_x}+0" screen >/dev/null
  DISPLAY=$BENCH_DISPLAY xrandr --setmonitor S "${mm}+${second_x}+0" none >/dev/null
}

start_xvfb() {
  local size=$1 fd_file=$dir/display
  rm -f "$fd_file"
  # -displayfd lets Xvfb pick a free display number and tell us which.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fd_file" \
    >"$dir/xvfb.log" 2>&1 &
  BENCH_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.1
  done
  [ -s "$fd_file" ] || { echo "bench: Xvfb did not start" >&2; exit 1; }
  BENCH_DISPLAY=":$(head -n1 "$fd_file")"
}

prepare_prefix() {
  local prefix=$1 layout=$2 dpi=$3 audio=$4
  rm -rf "$prefix"
  WINEPREFIX=$prefix wine wineboot -i >/dev/null 2>&1 ||
    { echo "bench: Wine ($(command -v wine)) cannot make a $WINEARCH prefix here" >&2; return 1; }
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  if [ "$layout" != single ]; then
    WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1
  fi
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\Drivers' /v Audio /d "$audio" /f >/dev/null 2>&1
  # MP4, WMV and MPEG movies: Wine's Direct3D video renderer crashes or shows
  # black in a virtual display; the GDI one draws them.
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f >/dev/null 2>&1
  # The user's setting, which each program reads as it starts. A bench that
  # cannot have it must not pass for one at that DPI.
  if [ "$dpi" != 96 ]; then
    WINEPREFIX=$prefix wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
      >/dev/null 2>&1 || { echo "bench: cannot set the prefix's DPI to $dpi" >&2; return 1; }
  fi
  cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -w
}

# Without the MPEGVideo device in the registry's MCI32 list and in
# system.ini's [mci] section, MCI opens no MP4, WMV or MPEG file.
remove_mpeg_video() {
  local prefix=$1
  WINEPREFIX=$prefix wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\MCI32' \
    /v MPEGVideo /f >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
  sed -i '/^MPEGVideo[0-9]*=/Id' "$prefix/drive_c/windows/system.ini"
}

case $cmd in
  start)
    size=${1:-640x480}
    shift || true
    layout=${BENCH_LAYOUT:-single}
    arch=${BENCH_ARCH:-x64}
    devices=
    audio=
    dpi=96
    for option in "$@"; do
      case $option in
        single | right | left) layout=$option ;;
        x64 | x86) arch=$option ;;
        no-mpeg-video) devices=$option ;;
        sound) audio=alsa ;;
        dpi=*)
          dpi=${option#dpi=}
          # Windows offers 96 (100 %) up to 480 (500 %).
          [[ $dpi =~ ^[1-9][0-9]*$ ]] && ((dpi >= 96 && dpi <= 480)) ||
            { echo "bench: $option: the DPI is a number from 96 to 480" >&2; exit 2; }
          ;;
        '') ;;
        *) echo "bench: unknown option $option (single, right, left, x64, x86, no-mpeg-video, sound or dpi=N)" >&2; exit 2 ;;
      esac
    done
    mkdir -p "$dir"
    stop_bench
    if [ "$arch" = x86 ] && ! runs_32bit; then
      echo "bench: this machine runs no 32-bit code, so no x86 program runs under Wine here" >&2
      exit 1
    fi
    # `wine` in the bench is the loader of its architecture, whatever Debian's wrapper would take.
    export WINELOADER
    WINELOADER=$(wine_loader "$arch")
    mkdir -p "$dir/bin"
    rm -f "$dir/bin/wine"
    # Debian's 64-bit Wine has no preloader to keep the addresses Windows
    # programs need free of the system's randomly placed libraries: now and then
    # a program then dies as it starts. Without the random placement it cannot.
    launcher=
    [ "$arch" = x64 ] && setarch x86_64 -R true 2>/dev/null && launcher="setarch x86_64 -R "
    printf '#!/bin/sh\nexec %s%s "$@"\n' "$launcher" "$WINELOADER" >"$dir/bin/wine"
    chmod +x "$dir/bin/wine"
    case $arch in x64) export WINEARCH=win64 ;; x86) export WINEARCH=win32 ;; esac
    export PATH=$dir/bin:$PATH
    if [ -n "${BENCH_USE_DISPLAY:-}" ]; then
      [ "$layout" = single ] || { echo "bench: a layout of two monitors needs the bench's own Xvfb" >&2; exit 2; }
      BENCH_DISPLAY=$BENCH_USE_DISPLAY
      BENCH_XVFB_PID=
    elif [ "$layout" = single ]; then
      start_xvfb "$size"
    else
      start_xvfb "$((${size%x*} * 2))x${size#*x}"
      set_monitors "$layout" "$size"
    fi
    prefix=$dir/prefix
    if [ -n "$audio" ]; then
      # ALSA's own configuration, with the null device as the default one.
      printf '</usr/share/alsa/alsa.conf>\npcm.!default {\n  type null\n}\n' >"$dir/alsa-null.conf"
      export ALSA_CONFIG_PATH=$dir/alsa-null.conf
    fi
    cat >"$dir/env" <<ENV
export WINEPREFIX='$prefix'
export DISPLAY='$BENCH_DISPLAY'
export BENCH_XVFB_PID=$BENCH_XVFB_PID
export BENCH_DIR='$dir'
export BENCH_SCREEN='$size'
export BENCH_LAYOUT='$layout'
export BENCH_DPI=$dpi
export BENCH_ARCH='$arch'
export WINEARCH='$WINEARCH'
export WINELOADER='$WINELOADER'
export PATH='$dir/bin':"\$PATH"
${audio:+export ALSA_CONFIG_PATH='$dir/alsa-null.conf'}
ENV
    # A start that fails leaves nothing running.
    trap 'status=$?; ((status == 0)) || stop_bench' EXIT
    DISPLAY=$BENCH_DISPLAY prepare_prefix "$prefix" "$layout" "$dpi" "$audio"
    [ "$devices" != no-mpeg-video ] || DISPLAY=$BENCH_DISPLAY remove_mpeg_video "$prefix"
    # A persistent server saves every test program a server start-up.
    WINEPREFIX=$prefix wineserver -p </dev/null >/dev/null 2>&1
    DISPLAY=$BENCH_DISPLAY WINEPREFIX=$prefix wine cmd /c ver </dev/null >/dev/null 2>&1 || true
    echo "bench ready: display $BENCH_DISPLAY ($size, $layout, $dpi DPI${audio:+, sound}), $arch prefix $prefix"
    ;;
  run)
    [ -f "$dir/env" ] || { echo "bench: not started in $dir" >&2; exit 1; }
    # shellcheck disable=SC1091
    . "$dir/env"
    exec "$@"
    ;;
  stop)
    stop_bench
    echo "bench stopped"
    ;;
  *)
    echo "bench.sh: unknown command $cmd" >&2
    exit 2
    ;;
esac
