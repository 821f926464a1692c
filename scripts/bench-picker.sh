#!/bin/bash
# The template picker's fill benchmark: builds the Windows build this machine
# can run (the 32-bit product build, or the 64-bit test build where 32-bit
# Wine cannot start) and runs tests/bench/windows/picker_fill_bench under its
# Wine prefix and display. The last line printed is the 50,000-template ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=windows
if ! "$root/scripts/wine-env.sh" probe win32 2>/dev/null; then
  build=windows64
  echo "bench-picker: 32-bit Wine does not run here; measuring the 64-bit test build" >&2
fi
"$root/scripts/build.sh" "$build" >/dev/null
"$root/scripts/wine-env.sh" run "$root/build/$build" "$root/build/$build/tests/picker_fill_bench.exe"
