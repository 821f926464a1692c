#!/bin/bash
# Builds both builds and runs every test: the native unit tests and fuzz
# targets, then the Windows tests under Wine.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
status=0

"$root/scripts/build.sh" native || exit 1
(cd "$root/build/native" && ctest --output-on-failure -j 2) || status=1

"$root/scripts/build.sh" windows || exit 1
(cd "$root/build/windows" && ctest --output-on-failure) || status=1

if ((status)); then
  echo "check: FAILED"
else
  echo "check: all tests passed"
fi
exit $status
