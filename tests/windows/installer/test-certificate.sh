#!/bin/bash
# A throwaway code-signing certificate for the tests, made by openssl:
#   test-certificate.sh FOLDER
# FOLDER gets root.pem and root.cer (a test root, PEM and DER), signer.pfx
# (a code-signing certificate issued by it, with its key and the root) and
# password (signer.pfx's password, for VELMORA_SIGN_PASSWORD_FILE).
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
log=openssl.log
ossl() { timeout 60 openssl "$@" >>"$log" 2>&1 || { echo "test-certificate: openssl $1 failed (log: $dir/$log)" >&2; exit 1; }; }
head -c 18 /dev/urandom | base64 >password
ossl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 30 -subj "/CN=Velmora Test Root" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
ossl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj "/O=Orinth/CN=Orinth Test Signer"
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
ossl x509 -req -in signer.csr -CA root.pem -CAkey root.key -set_serial 2 -days 30 -extfile signer.ext -out signer.pem
ossl pkcs12 -export -inkey signer.key -in signer.pem -certfile root.pem -passout file:password -out signer.pfx
ossl x509 -in root.pem -outform DER -out root.cer
rm -f root.key signer.key signer.csr signer.ext
