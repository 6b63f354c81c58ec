#!/usr/bin/env bash
# Runs a command N times and counts its failures, to find and rule out a test that fails now and
# then. Not part of the test suite. For example, the Windows message-box check alone:
#   source scripts/wine-env.sh && start_wine_server  # a prefix that works
#   scripts/repeat.sh 30 -- python3 -c 'import sys; sys.path[:0] = ["tests/e2e"]; import windows_e2e as w; w.check_message_box_without_opengl_3_3("build/windows/quol", w.OFFERED_2_1)'
# Each failed run's output is kept, and named; the others' is dropped.
set -uo pipefail
if [ $# -lt 3 ] || ! [[ $1 =~ ^[1-9][0-9]*$ ]] || [ "$2" != -- ]; then
  echo "usage: scripts/repeat.sh N -- COMMAND [ARGUMENT...]" >&2
  exit 2
fi
runs=$1
shift 2
logs=$(mktemp -d "${TMPDIR:-/tmp}/repeat.XXXXXX")
failures=0
now() { echo "${EPOCHREALTIME/./}"; }  # microseconds
tenths() { local t=$((($(now) - $1) / 100000)); echo "$((t / 10)).$((t % 10))"; }
began=$(now)
for ((run = 1; run <= runs; run++)); do
  run_began=$(now)
  "$@" >"$logs/run-$run.txt" 2>&1
  status=$?
  took=$(tenths "$run_began")
  if [ "$status" = 0 ]; then
    rm -f "$logs/run-$run.txt"
    printf 'run %d of %d: passed in %s s\n' "$run" "$runs" "$took"
  else
    failures=$((failures + 1))
    printf 'run %d of %d: FAILED (status %d) in %s s: %s\n  %s\n' "$run" "$runs" "$status" "$took" \
      "$logs/run-$run.txt" "$(grep -v '^[[:space:]]*$' "$logs/run-$run.txt" | tail -n 1)"
  fi
done
echo "$failures of $runs runs failed, in $(tenths "$began") s"
if [ "$failures" = 0 ]; then
  rmdir "$logs"
  exit 0
fi
exit 1
