#!/bin/bash
# Checks that a release is reproducible: builds the release (scripts/package.sh)
# of one commit twice, in two fresh clones in folders of different names and
# depths, one after the other, and compares the SHA-256 of the DLL, the
# program, the package and the .zip.
#   reproduce.sh [COMMIT]      (default: HEAD of this checkout)
# Exit code 0 when all four are the same; the clones stay in the folder
# printed at the end when they differ. Not part of make check: it takes two
# full builds of the 32-bit product.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=$(git -C "$root" rev-parse "${1:-HEAD}")
work=$(mktemp -d /tmp/velmora-reproduce.XXXXXX)
unset SOURCE_DATE_EPOCH VELMORA_SIGN_PFX

build() {  # build FOLDER
  local start=$SECONDS
  git clone -q --no-checkout "$root" "$1"
  git -C "$1" checkout -q "$commit"
  echo "reproduce: building $commit in $1"
  "$1/scripts/package.sh" >"$work/$(basename "$1").log" 2>&1 ||
    { echo "reproduce: the build in $1 failed (log: $work/$(basename "$1").log)" >&2; exit 1; }
  echo "reproduce: built in $((SECONDS - start)) s at $(date -u +%H:%M:%S)"
}
build "$work/first"
sleep 2  # the second build's clock is seconds later at least
build "$work/second/again"

first=$work/first/build/package/SHA256SUMS
second="$work/second/again/build/package/SHA256SUMS"
cat "$first"
if cmp -s "$first" "$second"; then
  echo "reproduce: both builds gave the same bytes"
  rm -rf "$work"
else
  echo "reproduce: the builds differ; the second gave:" >&2
  cat "$second" >&2
  echo "reproduce: both clones stay in $work" >&2
  exit 1
fi
