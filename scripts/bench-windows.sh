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
status=0
for name in "$@"; do
  "$root/scripts/wine-env.sh" run "$root/build/$build" "$root/build/$build/tests/$name.exe" || status=1
done
exit $status
