#!/usr/bin/env bash
# Installs the Debian 12 packages that building, playing and testing need.
# As root it installs what is missing with apt-get; otherwise it names the
# missing packages and stops.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libgl-dev libglu1-mesa-dev freeglut3-dev libglew-dev libdevil-dev
  libsdl2-dev libsdl2-mixer-dev libenet-dev libmp3lame-dev libcairo2-dev fonts-comic-neue
  libgtest-dev libbenchmark-dev libassimp-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool desktop-file-utils appstream dpkg-dev
  python3 imagemagick
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
