#!/bin/bash
# Builds the release from the 32-bit build (scripts/build.sh windows) into
# build/package/:
#   velmora-<version>.msi  the Windows Installer package
#   velmora-<version>.zip  the folder to install by hand with install.cmd
# The version is the one in cmake/Identity.cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/build.sh" windows
built=$root/build/windows/package
# The build names its release there (velmora-<version>); older ones may lie beside it.
release=$(cat "$built/release")
for file in "$built/$release.msi" "$built/$release.zip"; do
  [ -f "$file" ] || { echo "package: the build made no $file (is wixl installed? run scripts/bootstrap.sh)" >&2; exit 1; }
done
out=$root/build/package
rm -rf "$out"
mkdir -p "$out"
cp "$built/$release.msi" "$built/$release.zip" "$out/"
echo "package: $out/$release.msi and $out/$release.zip"
