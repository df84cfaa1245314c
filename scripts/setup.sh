#!/bin/bash
# Installs the Debian packages the project needs, in parts, so that the demo
# and the test command share one list and never drift apart:
#   setup.sh            everything (what scripts/test.sh and package.sh need)
#   setup.sh demo       only what scripts/demo.sh needs: the cross build of the
#                       programs and Wine with movie playback in a virtual display
#   setup.sh PART...    any of the parts below
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

# What this machine can run: the x64 programs always, the x86 ones only where
# the kernel runs 32-bit code (scripts/machine.sh). The i386 packages come only
# where they can run.
# shellcheck source=machine.sh
. "$(dirname "$0")/machine.sh"
i386=false
runs_32bit && i386=true

# Cross build of the programs for x86 and x64: the Windows trees also configure
# their googletest from libgtest-dev's sources, so that package belongs here.
build=(
  cmake ninja-build python3 libgtest-dev
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
)
# The programs under Wine in a virtual display, playing movies made by ffmpeg.
# Wine plays MP4 (H.264) and MPEG-4 movies through GStreamer: -good holds the
# MP4 container, -libav the decoders. Wine's display driver loads the X
# libraries listed here only when they are present. Each architecture's Wine
# needs its own copy of each.
wine_libraries=(
  libx11-6 libxext6 libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1
  libxcomposite1 libfreetype6 libfontconfig1
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
)
play=(wine wine64 "${wine_libraries[@]}" xvfb ffmpeg)
$i386 && play+=(wine32:i386 "${wine_libraries[@]/%/:i386}")
# The tests: the native tree, the benchmarks, the Win32 and end-to-end tests
# (real input, screenshots, WMV movies through GStreamer's -ugly plugins).
test=(
  g++ libgtest-dev libbenchmark-dev mingw-w64 fonts-wine fonts-liberation
  libasound2 libasound2-plugins gstreamer1.0-plugins-ugly
  xauth xdotool imagemagick unzip
  # xrandr: the test bench's displays of two monitors.
  x11-xserver-utils
)
$i386 && test+=(libasound2:i386 libasound2-plugins:i386 gstreamer1.0-plugins-ugly:i386)
# The sanitizer tree and the fuzz targets: clang, its sanitizer and libFuzzer
# runtimes, and the symbolizer that names the lines in their reports.
sanitize=(clang-14 libclang-rt-14-dev llvm-14)
# The setup program and the signed release.
package=(nsis osslsigncode openssl unzip)
parts=("$@")
((${#parts[@]})) || parts=(build play test sanitize package)
packages=()
for part in "${parts[@]}"; do
  case $part in
    demo) packages+=("${build[@]}" "${play[@]}") ;;
    build) packages+=("${build[@]}") ;;
    play) packages+=("${play[@]}") ;;
    test) packages+=("${test[@]}") ;;
    sanitize) packages+=("${sanitize[@]}") ;;
    package) packages+=("${package[@]}") ;;
    *) echo "setup.sh: unknown part $part (demo build play test sanitize package)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  if $i386 && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  # A mirror in the middle of a sync fails an index now and then: try again,
  # and let the install say whether what it needs is really missing.
  for attempt in 1 2 3; do
    $SUDO apt-get update -qq && break
    [ "$attempt" = 3 ] || sleep 20
  done
  # Without the security index of one architecture the two halves of Wine's
  # libraries cannot match: then both come from the release itself.
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null ||
    $SUDO apt-get install -y -qq --no-install-recommends -t bookworm "${missing[@]}" >/dev/null
fi

# The -posix compiler variant carries std::thread and std::mutex.
for target in i686-w64-mingw32 x86_64-w64-mingw32; do
  if command -v $target-g++-posix >/dev/null &&
     [ "$(update-alternatives --query $target-g++ 2>/dev/null | awk '/^Value:/{print $2}')" != /usr/bin/$target-g++-posix ]; then
    $SUDO update-alternatives --set $target-g++ /usr/bin/$target-g++-posix >/dev/null 2>&1 || true
    $SUDO update-alternatives --set $target-gcc /usr/bin/$target-gcc-posix >/dev/null 2>&1 || true
  fi
done
