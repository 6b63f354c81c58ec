#!/usr/bin/env bash
# Installs what is missing, builds quol plainly and under the sanitizers, compiles the game
# against raylib 6.0's own headers when they are at hand, and runs every test; then cross-builds
# for Windows and runs the tests and an end-to-end save under Wine.
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

# The game's own code against the headers of a real raylib 6.0: every object compiled, nothing
# linked. No optimisation and no debug information, since only compiling matters.
raylib_headers=../shared/raylib-6.0/include
if [ -d "$raylib_headers" ]; then
  echo "== compiling the game against raylib 6.0's own headers"
  configure build/raylib-headers gcc -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG= \
    -DQUOL_RAYLIB_HEADERS="$(realpath "$raylib_headers")" -DQUOL_TESTS=OFF -DQUOL_BENCH=ON
  objects=$(ninja -C build/raylib-headers -t targets all | awk -F': ' '$1 ~ /\.o$/ { print $1 }')
  ninja -C build/raylib-headers -j "$jobs" $objects
else
  echo "== skipped: compiling against raylib 6.0's own headers ($raylib_headers is absent)"
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
