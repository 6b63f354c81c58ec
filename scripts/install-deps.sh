#!/usr/bin/env bash
# Installs the Debian packages quol needs to build, test and run; with the argument "windows",
# also those of the Windows cross-build and of Wine. Idempotent: apt is only touched when a
# package is missing.
set -euo pipefail

packages=(
  # build
  g++ make cmake pkg-config ninja-build
  libsdl2-dev libstb-dev
  # tests, fuzzing and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  rapidjson-dev nlohmann-json3-dev
  # headless window tests and screenshots
  xvfb xauth xdotool imagemagick x11-apps python3
  libgl1 libgl1-mesa-dri
  # the built-in default font (DejaVu Sans) and the text tests' and benchmark's fonts
  fonts-dejavu-core fonts-freefont-otf
)
if [ "${1:-}" = windows ]; then
  # wine64 alone brings no `wine` command when recommends are off.
  # x11-utils: xprop, with which the Wine test tells a message box from the game's window.
  packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 x11-utils)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
