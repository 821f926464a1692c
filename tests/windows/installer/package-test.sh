#!/bin/bash
# Runs the package test (PackageTest.cpp) in a Wine prefix made for it alone:
#   package-test.sh BUILD_DIR TEST_PROGRAM PACKAGE UPGRADE_PACKAGE
# PACKAGE is the release's velmora-<version>.msi, UPGRADE_PACKAGE the same
# binaries packaged as a higher version, both as signing-test.sh signed them. The prefix (BUILD_DIR/package-test)
# is made afresh every run, has the build's architecture and its own X
# display, and is deleted after a run that passed.
#
# The 64-bit build runs the 32-bit package in a 64-bit prefix, as a machine
# whose kernel runs no 32-bit code must; where 32-bit Wine runs, the 32-bit
# build's run covers the package, so the 64-bit one is skipped (exit 77)
# unless VELMORA_WINDOWS_ARCHS=x86_64 asks for the 64-bit suite alone.
set -euo pipefail
build_dir=$1 program=$2 package=$3 upgrade=$4
scripts=$(cd "$(dirname "$0")/../../../scripts" && pwd)
arch=$(tr -d '[:space:]' <"$build_dir/wine-arch")

if [ "$arch" = win64 ] && [ "${VELMORA_WINDOWS_ARCHS:-}" != x86_64 ] && "$scripts/wine-env.sh" probe win32 2>/dev/null; then
  echo "package-test: skipped in the 64-bit build, as 32-bit Wine runs here and the 32-bit build tests the package"
  exit 77
fi
for file in "$package" "$upgrade"; do
  [ -f "$file" ] || { echo "package-test: $file is missing (build the 32-bit build first)" >&2; exit 1; }
done

work=$build_dir/package-test
"$scripts/wine-env.sh" stop "$work" 2>/dev/null || true
rm -rf "$work"
mkdir -p "$work/logs"
echo "$arch" >"$work/wine-arch"
trap '"$scripts/wine-env.sh" stop "$work"' EXIT
start=$SECONDS
"$scripts/wine-env.sh" start "$work"
echo "package-test: fresh $arch prefix in $((SECONDS - start)) s"

status=0
VELMORA_PACKAGE=$package VELMORA_UPGRADE_PACKAGE=$upgrade VELMORA_PACKAGE_LOGS=$work/logs \
  "$scripts/wine-env.sh" run "$work" "$program" --gtest_filter='PackageTest.*' || status=$?
echo "package-test: $((SECONDS - start)) s in all"
if ((status == 0)); then
  "$scripts/wine-env.sh" stop "$work"
  trap - EXIT
  rm -rf "$work/wineprefix"
else
  echo "package-test: the prefix and the msiexec logs stay in $work" >&2
fi
exit $status
