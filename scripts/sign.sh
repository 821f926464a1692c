#!/bin/bash
# Signs files in place with an Authenticode SHA-256 signature (osslsigncode):
#   sign.sh LOG FILE...
# when VELMORA_SIGN_PFX names a PKCS#12 file with the key and its
# certificates; without it the files stay as they are and nothing is printed
# (scripts/package.sh says that the release is unsigned).
#   VELMORA_SIGN_PASSWORD_FILE  the file that holds the PKCS#12 password; the
#                               password itself never appears on a command line
#   VELMORA_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server, so that the
#                               signature stays valid after the certificate expires
# The signing time is the commit's (SOURCE_DATE_EPOCH, or EPOCH_FILE in
# VELMORA_EPOCH_FILE), so that the same key signs the same bytes the same way.
set -euo pipefail
log=$1
shift
[ -n "${VELMORA_SIGN_PFX:-}" ] || exit 0
scripts=$(cd "$(dirname "$0")" && pwd)
fail() { echo "sign: $*" >&2; exit 1; }

[ -f "$VELMORA_SIGN_PFX" ] || fail "VELMORA_SIGN_PFX names no file: $VELMORA_SIGN_PFX"
options=(-pkcs12 "$VELMORA_SIGN_PFX" -h sha256 -n Velmora)
if [ -n "${VELMORA_SIGN_PASSWORD_FILE:-}" ]; then
  [ -f "$VELMORA_SIGN_PASSWORD_FILE" ] || fail "VELMORA_SIGN_PASSWORD_FILE names no file: $VELMORA_SIGN_PASSWORD_FILE"
  options+=(-readpass "$VELMORA_SIGN_PASSWORD_FILE")
fi
if [ -n "${VELMORA_SIGN_TIMESTAMP_URL:-}" ]; then
  options+=(-ts "$VELMORA_SIGN_TIMESTAMP_URL")
else
  epoch=${SOURCE_DATE_EPOCH:-}
  [ -n "$epoch" ] || { [ -n "${VELMORA_EPOCH_FILE:-}" ] && epoch=$(cat "$VELMORA_EPOCH_FILE"); }
  [ -n "$epoch" ] && options+=(-time "$epoch")
fi
for file in "$@"; do
  rm -f "$file.signed"
  "$scripts/run-tool.sh" "$log" 120 osslsigncode sign "${options[@]}" -in "$file" -out "$file.signed" ||
    { rm -f "$file.signed"; fail "could not sign $file (log: $log)"; }
  mv "$file.signed" "$file"
done
