#!/usr/bin/env bash
# Cross-builds quol for 64-bit Windows with mingw-w64, from Debian: the game, its test programs
# (run through Wine), and build/windows/quol/, the folder a player copies to a Windows machine.
# SDL2 (from Debian's own source package) and GoogleTest are cross-built once into a cache
# outside the clone, named after the toolchain and the versions, so later runs skip them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh windows

toolchain=$PWD/cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)

version_of() { dpkg-query -W -f='${Version}' "$1"; }
sdl_version=$(version_of libsdl2-dev)
tag=$(printf 'mingw%s-sdl2-%s-gtest%s-%s' "$(version_of g++-mingw-w64-x86-64-posix)" "$sdl_version" \
        "$(version_of googletest)" "$(sha256sum "$toolchain" | cut -c1-8)" | tr -c 'A-Za-z0-9._\n-' '_')
cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/quol
prefix=$cache_root/windows-$tag

# Runs a command with its output kept in a file, shown only when the command fails.
quietly() {
  "$@" >"$work/output.txt" 2>&1 || { tail -n 60 "$work/output.txt"; return 1; }
}

build_dependencies() {  # into $work, a fresh folder
  local apt_dir=$work/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d" "$work/sdl2"
  # A private deb-src list and apt state: /etc/apt and the system's lists stay as they are.
  for f in /etc/apt/sources.list.d/*.sources; do
    if [ -e "$f" ]; then sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/${f##*/}"; fi
  done
  { grep -hs '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list || true; } |
    sed 's/^deb /deb-src /' >"$apt_dir/sources.list"
  local apt=(apt-get -q -o Dir::Etc::SourceList="$apt_dir/sources.list"
             -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" -o Dir::State::Lists="$apt_dir/lists"
             -o Dir::Cache="$apt_dir/cache" -o APT::Sandbox::User=root)
  echo "== fetching Debian's SDL2 source ($sdl_version)"
  # A third-party source without source packages fails its part of the update: apt-get source
  # says whether Debian's own lists came through.
  "${apt[@]}" update >"$work/update.txt" 2>&1 || true
  # The version of the SDL2 the Linux build uses; the archive's current one if it is gone.
  (cd "$work/sdl2" && { quietly "${apt[@]}" source --download-only "libsdl2=$sdl_version" ||
                        quietly "${apt[@]}" source --download-only libsdl2; })
  tar -xf "$(ls "$work"/sdl2/libsdl2_*.orig.tar.[gx]z)" -C "$work/sdl2"
  local source
  source=$(find "$work/sdl2" -mindepth 1 -maxdepth 1 -type d -name 'SDL2-*')

  echo "== cross-building SDL2 and GoogleTest into $prefix"
  local common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
                -DCMAKE_INSTALL_PREFIX="$work/prefix")
  quietly cmake -S "$source" -B "$work/sdl2-build" "${common[@]}" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
  quietly ninja -C "$work/sdl2-build" -j "$jobs" install
  quietly cmake -S /usr/src/googletest -B "$work/gtest-build" "${common[@]}"
  quietly ninja -C "$work/gtest-build" -j "$jobs" install
}

mkdir -p "$cache_root"
# One builder at a time per cache (other clones may share it); the lock goes with the process.
exec 9>"$cache_root/windows.lock"
flock 9
if [ ! -d "$prefix" ]; then
  rm -rf "$cache_root"/.windows-tmp.*  # what killed runs left behind
  work=$(mktemp -d "$cache_root/.windows-tmp.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  build_dependencies
  # Moved into place whole, so an interrupted run leaves no half-built cache.
  mv -T "$work/prefix" "$prefix"
  rm -rf "$work"
  trap - EXIT
fi
exec 9>&-

# CMake lists the tests of each test program by running it under Wine at build time.
source scripts/wine-env.sh
trap stop_wine_server EXIT
start_wine_server

# A build configured against another cache would keep finding the old SDL2 and GoogleTest.
if ! grep -qxF "QUOL_WINDOWS_PREFIX:UNINITIALIZED=$prefix" build/windows/CMakeCache.txt 2>/dev/null; then
  rm -rf build/windows
fi
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQUOL_WINDOWS_PREFIX="$prefix" \
  -DQUOL_STB_DIR=/usr/include/stb -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The game and its folder first, then the test programs.
cmake --build build/windows -j "$jobs" --target quol
rm -rf build/windows/quol
cmake --install build/windows --prefix build/windows/quol >/dev/null
cmake --build build/windows -j "$jobs"
echo "== Windows build: build/windows/quol/quol.exe"
