#!/bin/bash
# Configures and builds one build: build.sh native|windows|windows64 [TARGET...]
# (all targets when none is named)
#   native     clang with ASan/UBSan: the portable code, its tests and fuzz targets
#   windows    the 32-bit product: velmora.dll, the host stand-in and the Windows tests
#   windows64  the same for x86_64, only to run the Windows tests where 32-bit Wine cannot run
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-$(nproc)}

build=${1:-}
shift || true
targets=()
for target in "$@"; do targets+=(--target "$target"); done

cross() {
  cmake -S "$root" -B "$root/build/$1" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2.cmake" >/dev/null
  cmake --build "$root/build/$1" -j "$jobs" "${targets[@]}"
}

case "$build" in
  native)
    CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$root/build/native" -j "$jobs" "${targets[@]}"
    ;;
  windows) cross windows mingw-i686 ;;
  windows64) cross windows64 mingw-x86_64 ;;
  *)
    echo "usage: build.sh native|windows|windows64" >&2
    exit 2
    ;;
esac
