#!/bin/bash
# Builds the release from the 32-bit build (scripts/build.sh windows) into
# build/package/:
#   velmora-<version>.msi  the Windows Installer package
#   velmora-<version>.zip  the folder to install by hand with install.cmd
#   velmora.dll, velmora-config.exe  the programs both hold
#   SHA256SUMS             the SHA-256 of each of them (sha256sum -c SHA256SUMS)
# The version is the one in cmake/Identity.cmake. The programs and the
# package are signed when VELMORA_SIGN_PFX names a certificate
# (scripts/sign.sh); two builds of one commit give the same bytes
# (scripts/reproduce.sh checks it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ -z "${VELMORA_SIGN_PFX:-}" ]; then
  echo "package: VELMORA_SIGN_PFX is not set: the programs and the package are not signed"
fi
built=$root/build/windows/package
# Made again, so that they are signed (or not) as asked now.
if [ -f "$built/release" ]; then
  release=$(cat "$built/release")
  rm -rf "$built/$release.zip" "$built/$release.msi" "$built/$release"
fi
"$root/scripts/build.sh" windows velmora_msi
# The build names its release there (velmora-<version>); older ones may lie beside it.
release=$(cat "$built/release")
for file in "$built/$release.msi" "$built/$release.zip"; do
  [ -f "$file" ] || { echo "package: the build made no $file (is wixl installed? run scripts/bootstrap.sh)" >&2; exit 1; }
done
out=$root/build/package
rm -rf "$out"
mkdir -p "$out"
cp "$built/$release/velmora.dll" "$built/$release/velmora-config.exe" "$built/$release.msi" "$built/$release.zip" "$out/"
(cd "$out" && sha256sum velmora.dll velmora-config.exe "$release.msi" "$release.zip" >SHA256SUMS)
echo "package: $out/$release.msi and $out/$release.zip, their SHA-256 in $out/SHA256SUMS:"
cat "$out/SHA256SUMS"
