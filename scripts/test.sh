#!/usr/bin/env bash
# Installs what is missing, builds quol plainly and under the sanitizers and runs every test; then
# cross-builds for Windows and runs the tests and an end-to-end save under Wine; then, when raylib
# 6.0's release libraries are at hand, links the game against them for both systems and compares
# what each draws with what our own layer draws.
# Exits non-zero when a test fails or when no test ran.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
configure() {  # dir, gcc|clang, cmake options...
  local dir=$1 cc=$2; shift 2
  local cxx=g++
  [ "$cc" = clang ] && cxx=clang++
  if [ ! -f "$dir/build.ninja" ]; then
    CC=$cc CXX=$cxx cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  fi
}
run_ctest() {  # dir, extra ctest options...
  local dir=$1; shift
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --no-tests=error --timeout 300 "$@"
}

configure build/release gcc -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$jobs"

configure build/asan gcc -DCMAKE_BUILD_TYPE=Debug -DQUOL_SANITIZE=ON
cmake --build build/asan -j "$jobs"

# ThreadSanitizer: only the save workers' stress test, to keep it quick.
configure build/tsan gcc -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOL_TSAN=ON
cmake --build build/tsan -j "$jobs" --target save_stress_tests

if ls fuzz/*.cmake >/dev/null 2>&1; then
  configure build/fuzz clang -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOL_FUZZ=ON -DQUOL_TESTS=OFF
  cmake --build build/fuzz -j "$jobs" --target fuzzers
fi

echo "== tests (plain build)"
run_ctest build/release -LE window
echo "== each unit-test binary as one process, shuffled and run twice (no test may lean on another)"
python3 scripts/run_whole_test_binaries.py build/release --skip-label window
echo "== window tests (real windows under Xvfb; few at a time, since each renders in software)"
run_ctest build/release -L window -j 4
echo "== tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest build/asan -LE window
echo "== save stress test (ThreadSanitizer)"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_ctest build/tsan -R SaveStress
if ls fuzz/*.cmake >/dev/null 2>&1; then
  echo "== fuzzing (bounded)"
  bash scripts/fuzz.sh 20
fi

echo "== Windows: cross-build with mingw-w64"
bash scripts/build-windows.sh
source scripts/wine-env.sh
trap stop_wine_server EXIT
start_wine_server
echo "== Windows: tests under Wine"
run_ctest build/windows -LE window --timeout 120
echo "== Windows: each unit-test binary as one process under Wine, shuffled and run twice"
python3 scripts/run_whole_test_binaries.py build/windows --skip-label window
echo "== Windows: end-to-end save under Wine"
python3 tests/e2e/windows_e2e.py build/windows/quol

# The game linked against raylib 6.0's release libraries, for Linux and for Windows, each run beside
# our own layer's build of the same system: the main menu, the game scene and the pause menu must
# match outside the timing areas. Only the game is built, lightly optimised and without debug
# information, to keep the step quick.
raylib_release=../shared/raylib-6.0
if [ -d "$raylib_release" ]; then
  echo "== raylib 6.0's release libraries: the game built against them for Linux and Windows"
  step_start=$SECONDS
  raylib_release=$(realpath "$raylib_release")
  quick=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG" -DQUOL_SYSTEM_RAYLIB=ON -DQUOL_TESTS=OFF)
  configure build/raylib-linux gcc "${quick[@]}" -DQUOL_RAYLIB_DIR="$raylib_release/linux_amd64"
  cmake --build build/raylib-linux -j "$jobs" --target quol
  if [ ! -f build/raylib-windows/build.ninja ]; then
    cmake -S . -B build/raylib-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
      -DQUOL_STB_DIR=/usr/include/stb "${quick[@]}" -DQUOL_RAYLIB_DIR="$raylib_release/win64_mingw-w64" >/dev/null
  fi
  cmake --build build/raylib-windows -j "$jobs" --target quol
  rm -rf build/raylib-windows/quol
  cmake --install build/raylib-windows --prefix build/raylib-windows/quol >/dev/null
  echo "== raylib 6.0 against our layer: Linux under Xvfb and Windows under Wine, side by side"
  rm -rf build/raylib-compare
  mkdir -p build/raylib-compare
  python3 tests/e2e/raylib_compare.py linux build/release/quol build/raylib-linux/quol . build/raylib-compare \
    >build/raylib-compare/linux.txt 2>&1 &
  linux_run=$!
  windows_status=0
  python3 tests/e2e/raylib_compare.py windows build/windows/quol build/raylib-windows/quol build/raylib-compare ||
    windows_status=$?
  linux_status=0
  wait "$linux_run" || linux_status=$?
  cat build/raylib-compare/linux.txt
  echo "== raylib 6.0 step: $((SECONDS - step_start)) s"
  if [ "$linux_status" != 0 ] || [ "$windows_status" != 0 ]; then exit 1; fi
else
  echo "== skipped: the game against raylib 6.0's release libraries ($raylib_release is absent)"
fi
