#!/bin/bash
# Runs Windows benchmarks under Wine: builds the Windows build this machine can
# run (the 32-bit product build, or the 64-bit test build where 32-bit Wine
# cannot start) and runs each named program of tests/bench/windows/ under that
# build's Wine prefix and display, in order; fails when one of them fails.
#   bench-windows.sh picker_fill_bench time_to_ready_bench
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if (($# == 0)); then
  echo "usage: bench-windows.sh BENCHMARK..." >&2
  exit 2
fi
build=windows
if ! "$root/scripts/wine-env.sh" probe win32 2>/dev/null; then
  build=windows64
  echo "bench-windows: 32-bit Wine does not run here; measuring the 64-bit test build" >&2
fi
"$root/scripts/build.sh" "$build" >/dev/null
# Each program runs under a time limit, its output shown and kept in a log
# beside the build (build/<build>/bench-<name>.log).
limit=${BENCH_TIME_LIMIT:-900}
status=0
for name in "$@"; do
  log="$root/build/$build/bench-$name.log"
  set +e
  timeout -k 10 "$limit" "$root/scripts/wine-env.sh" run "$root/build/$build" "$root/build/$build/tests/$name.exe" \
    2>&1 | tee "$log"
  code=${PIPESTATUS[0]}
  set -e
  if ((code == 124 || code == 137)); then
    echo "bench-windows: $name did not finish in $limit s; stopped (log: $log)" >&2
  fi
  ((code == 0)) || status=1
done
exit $status
