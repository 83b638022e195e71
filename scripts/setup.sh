#!/usr/bin/env bash
# Installs what the build, the program and the tests need on Debian 12 (as root, through
# apt-get). Installs nothing when everything is there already.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  libasound2-dev
  libgtest-dev
  ffmpeg libtiff-tools
  xvfb xdotool x11-utils x11-apps imagemagick fonts-dejavu-core
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
