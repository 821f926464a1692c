#!/bin/bash
# Builds the benchmarks and runs each. A benchmark is a program that prints
# its figures, ends with a line that gives its ratio against its baseline,
# and exits non-zero when a ratio misses its target; this script runs them
# all and fails when one missed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
status=0

run() {
  local name=$1
  shift
  echo "== $name"
  "$@" || status=1
}

# Native benchmarks: a Release build without sanitizers, apart from the
# sanitized test build.
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/bench" -DCMAKE_BUILD_TYPE=Release \
  -DVELMORA_SANITIZE=OFF >/dev/null || exit 1
cmake --build "$root/build/bench" -j "$jobs" --target template_loader_bench || exit 1
run "template loader" timeout -k 10 600 "$root/build/bench/tests/template_loader_bench"
# Under the Wine this machine runs: the picker's fill, and the time from a
# command to its pop-up ready for input.
run "template picker" "$root/scripts/bench-windows.sh" picker_fill_bench
run "time to ready" "$root/scripts/bench-windows.sh" time_to_ready_bench

if ((status)); then
  echo "bench: a target was missed"
else
  echo "bench: every target met"
fi
exit $status
