#!/usr/bin/env bash
# Builds the benchmarks in release mode and runs them all: bash scripts/bench.sh [filter]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
if [ ! -f build/bench/build.ninja ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUOL_BENCH=ON -DQUOL_TESTS=OFF >/dev/null
fi
cmake --build build/bench -j "$(nproc)"
# Frame benchmarks need a display: without one they run under Xvfb.
runner=()
[ -n "${DISPLAY:-}" ] || runner=(xvfb-run -a -s "-screen 0 1600x900x24")
for b in build/bench/bench/*/bench_*; do
  [ -x "$b" ] || continue
  case "$(basename "$b")" in *${1:-}*) ;; *) continue ;; esac
  echo "== $(basename "$b")"
  "${runner[@]}" "$b"
done
