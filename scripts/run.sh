#!/usr/bin/env bash
# Installs what is missing, builds quol and runs it from the repository folder (the game reads
# its assets relative to the working directory). Without a display it runs under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ ! -f build/release/build.ninja ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build/release -j "$(nproc)" --target quol
if [ -n "${DISPLAY:-}" ]; then
  exec ./build/release/quol "$@"
else
  exec xvfb-run -a -s "-screen 0 1600x900x24" ./build/release/quol "$@"
fi
