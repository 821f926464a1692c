#!/bin/bash
# Configures and builds one of the two builds: build.sh native|windows
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-$(nproc)}
case "$1" in
  native)
    CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$root/build/native" -j "$jobs"
    ;;
  windows)
    cmake -S "$root" -B "$root/build/windows" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
    cmake --build "$root/build/windows" -j "$jobs"
    ;;
  *)
    echo "usage: build.sh native|windows" >&2
    exit 2
    ;;
esac
