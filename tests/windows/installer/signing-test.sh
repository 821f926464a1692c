#!/bin/bash
# Signs copies of the release's programs and packages with a certificate
# made for this run, through the build's own scripts/sign.sh, and checks
# each signature with osslsigncode against the test root: it verifies, and
# a copy with one byte changed does not.
#   signing-test.sh WORK RELEASE_FOLDER PACKAGE...
# WORK keeps the certificates (root.cer: the root, for the Windows signature
# test) and the signed copies (for the package test and that test).
set -euo pipefail
work=$1 release=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
scripts=$(cd "$here/../../../scripts" && pwd)
rm -rf "$work"
mkdir -p "$work/signed"
# A throwaway root and a code-signing certificate it issued, with its key and
# the root in signer.pfx, whose password is in the file "password".
ossl() { timeout 60 openssl "$@" >>"$work/openssl.log" 2>&1 || { echo "signing-test: openssl $1 failed" >&2; exit 1; }; }
(
  cd "$work"
  head -c 18 /dev/urandom | base64 >password
  ossl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 30 -subj "/CN=Velmora Test Root" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
  ossl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/O=Orinth/CN=Orinth Test Signer"
  printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
  ossl x509 -req -in signer.csr -CA root.pem -CAkey root.key -set_serial 2 -days 30 -extfile signer.ext -out signer.pem
  ossl pkcs12 -export -inkey signer.key -in signer.pem -certfile root.pem -passout file:password -out signer.pfx
  ossl x509 -in root.pem -outform DER -out root.cer
)
log=$work/osslsigncode.log
for file in "$release/velmora.dll" "$release/velmora-config.exe" "$@"; do
  [ -f "$file" ] || { echo "signing-test: $file is missing (build the 32-bit build first)" >&2; exit 1; }
  cp "$file" "$work/signed/"
done
VELMORA_SIGN_PFX=$work/signer.pfx VELMORA_SIGN_PASSWORD_FILE=$work/password \
  "$scripts/sign.sh" "$log" "$work"/signed/*

# The offset of a byte the signature covers: in a program, the middle of
# the file; in a package, the middle of its embedded cabinet's data.
covered_byte() {
  case "$1" in
    *.msi) echo $(($(grep -abo MSCF "$1" | head -n 1 | cut -d: -f1) + 200)) ;;
    *) echo $(($(stat -c %s "$1") / 2)) ;;
  esac
}
failures=0
check() {  # check NAME EXPECTED(pass|fail) FILE
  local status=0
  "$scripts/run-tool.sh" "$log" 60 osslsigncode verify -CAfile "$work/root.pem" -in "$3" >/dev/null 2>&1 || status=$?
  if { [ "$2" = pass ] && ((status != 0)); } || { [ "$2" = fail ] && ((status == 0)); }; then
    echo "signing-test: FAILED: $1: osslsigncode verify should $2 (exit code $status; log: $log)"
    failures=$((failures + 1))
  else
    echo "signing-test: ok: $1: verify ${2}ed as it should"
  fi
}
for file in "$work"/signed/*; do
  name=$(basename "$file")
  check "signed $name" pass "$file"
  changed=$work/changed-$name
  cp "$file" "$changed"
  offset=$(covered_byte "$changed")
  byte=$(od -An -tu1 -j "$offset" -N 1 "$changed" | tr -d ' ')
  printf "\\$(printf %03o $(((byte + 1) % 256)))" | dd of="$changed" bs=1 seek="$offset" conv=notrunc status=none
  cmp -s "$file" "$changed" && { echo "signing-test: FAILED: could not change $changed"; failures=$((failures + 1)); }
  check "$name with byte $offset changed" fail "$changed"
  rm -f "$changed"
done
# An unsigned file does not verify either.
check "unsigned velmora.dll" fail "$release/velmora.dll"
exit $((failures > 0))
