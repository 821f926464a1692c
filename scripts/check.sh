#!/bin/bash
# Builds every build and runs every test: the native unit tests and fuzz
# targets; the 32-bit product DLL and its shape check; then the Windows suite
# under each Wine this machine can run (VELMORA_WINDOWS_ARCHS="i686 x86_64",
# "i686" or "x86_64" forces a choice).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
status=0

"$root/scripts/build.sh" native || exit 1
(cd "$root/build/native" && ctest --output-on-failure -j 2) || status=1

"$root/scripts/build.sh" windows || exit 1
"$root/scripts/check-dll.sh" "$root/build/windows/addin/velmora.dll" || status=1

if [ -n "${VELMORA_WINDOWS_ARCHS:-}" ]; then
  archs=$VELMORA_WINDOWS_ARCHS
  why="chosen by VELMORA_WINDOWS_ARCHS"
elif "$root/scripts/wine-env.sh" probe win32 2>/dev/null; then
  archs="i686 x86_64"
  why="this kernel runs both"
else
  archs=x86_64
  why=$("$root/scripts/wine-env.sh" probe win32 2>&1 | sed 's/^wine-env: //')
fi
case "$archs" in
  "i686 x86_64" | "x86_64 i686") archs="i686 x86_64"; echo "windows tests: i686 and x86_64 ($why)" ;;
  i686 | x86_64) echo "windows tests: $archs only ($why)" ;;
  *) echo "check: VELMORA_WINDOWS_ARCHS must be i686, x86_64 or both, not '$archs'" >&2; exit 2 ;;
esac

build_dir() { [ "$1" = i686 ] && echo windows || echo windows64; }

for arch in $archs; do
  [ "$arch" = x86_64 ] && { "$root/scripts/build.sh" windows64 || exit 1; }
done
# Each suite has its own Wine prefix and X display, so the two run side by side.
pids=()
for arch in $archs; do
  dir=$root/build/$(build_dir "$arch")
  (cd "$dir" && ctest --output-on-failure >"$dir/ctest.log" 2>&1) &
  pids+=($!)
done
i=0
for arch in $archs; do
  dir=$root/build/$(build_dir "$arch")
  if wait "${pids[$i]}"; then result=passed; else result=FAILED; status=1; fi
  echo "== windows tests, $arch: $result"
  cat "$dir/ctest.log"
  i=$((i + 1))
done

if ((status)); then
  echo "check: FAILED"
else
  echo "check: all tests passed"
fi
exit $status
