#!/bin/bash
# Installs every Debian package that the build, the tests and the demo need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev libbenchmark-dev
  mingw-w64 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine64 wine32:i386 fonts-wine fonts-liberation
  libx11-6:i386 libxext6:i386 libxrender1:i386 libxrandr2:i386 libxi6:i386
  libxcursor1:i386 libxfixes3:i386 libxinerama1:i386 libxcomposite1:i386
  libfreetype6:i386 libfontconfig1:i386 libasound2:i386 libasound2-plugins:i386
  xvfb xauth xdotool imagemagick ffmpeg python3
  # xrandr: the test bench's displays of two monitors.
  x11-xserver-utils
  # Wine plays MP4 (H.264), WMV and MPEG-4 movies through GStreamer: -good
  # holds the MP4 container, -ugly the WMV one, -libav the decoders.
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  gstreamer1.0-plugins-ugly:i386 gstreamer1.0-libav:i386
  nsis unzip
  # The sanitizer tree and the fuzz targets: clang, its sanitizer and libFuzzer
  # runtimes, and the symbolizer that names the lines in their reports.
  clang-14 libclang-rt-14-dev llvm-14
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The -posix compiler variant carries std::thread and std::mutex.
if [ "$(update-alternatives --query i686-w64-mingw32-g++ 2>/dev/null | awk '/^Value:/{print $2}')" != /usr/bin/i686-w64-mingw32-g++-posix ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO update-alternatives --set i686-w64-mingw32-g++ /usr/bin/i686-w64-mingw32-g++-posix >/dev/null 2>&1 || true
  $SUDO update-alternatives --set i686-w64-mingw32-gcc /usr/bin/i686-w64-mingw32-gcc-posix >/dev/null 2>&1 || true
fi
