#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Recommended packages come too: Xvfb needs its recommended fonts for the
# message boxes the shell shows.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git ccache
  libsdl2-dev libgl1-mesa-dri libglu1-mesa-dev libosmesa6-dev libegl-dev
  libmpg123-dev libsamplerate0-dev libturbojpeg0-dev libkissfft-dev libmp3lame-dev lame libasound2-dev
  libfreetype-dev fonts-dejavu-core libstb-dev libpng-dev libyuv-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev ffmpeg
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xfonts-base x11-utils x11-apps xdotool imagemagick openbox
  clang libclang-rt-14-dev valgrind
  # The Windows build and its tests under wine (GoogleTest from its sources).
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine googletest zip unzip
  # The browser build (emscripten) and its checks in headless Chromium.
  emscripten chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
