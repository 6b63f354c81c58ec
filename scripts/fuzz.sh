#!/usr/bin/env bash
# Runs every fuzzer of build/fuzz for the given number of seconds (default 20) on its corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shopt -s nullglob
found=0
for fuzzer in build/fuzz/fuzz/*; do
  [ -x "$fuzzer" ] && [ -f "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus=fuzz/corpus/$name
  [ -d "$corpus" ] || continue
  found=1
  work=$(mktemp -d)
  echo "fuzzing $name for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="$work/" \
       "$work" "$corpus" >"$work/log" 2>&1; then
    tail -n 40 "$work/log"
    echo "fuzzer $name found a failure; inputs in $work"
    exit 1
  fi
  grep -E '^Done|#[0-9]+.*DONE' "$work/log" | tail -n 1 || true
  rm -rf "$work"
done
[ $found -eq 1 ] || echo "no fuzzers built"
