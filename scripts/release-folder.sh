#!/bin/bash
# The folder a release is made from, and its .zip:
#   release-folder.sh STAGE EPOCH_FILE LOG_DIR STARTER_DIR FILE...
# STAGE (package/velmora-<version>) gets FILE... and, in starter\, the files
# of STARTER_DIR. velmora.dll and velmora-config.exe in it are signed when a
# certificate is given (scripts/sign.sh): the package is built from this
# folder and STAGE.zip holds it, so both carry the signed programs. Every
# file gets the commit's time (EPOCH_FILE) and the same permissions, and the
# .zip lists its entries in name order with nothing but their names, sizes
# and times (zip -X), so that two builds of one commit give the same bytes.
set -euo pipefail
stage=$1 epoch_file=$2 log_dir=$3 starter_dir=$4
shift 4
scripts=$(cd "$(dirname "$0")" && pwd)
epoch=$(cat "$epoch_file")
export VELMORA_EPOCH_FILE=$epoch_file

rm -rf "$stage" "$stage.zip"
mkdir -p "$stage/starter" "$log_dir"
cp "$@" "$stage/"
cp "$starter_dir"/* "$stage/starter/"
"$scripts/sign.sh" "$log_dir/sign-programs.log" "$stage/velmora.dll" "$stage/velmora-config.exe"
find "$stage" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$epoch" {} +

parent=$(dirname "$stage") name=$(basename "$stage")
(cd "$parent" && find "$name" -type f | LC_ALL=C sort |
  TZ=UTC timeout 120 zip -X -D -q "$name.zip" -@ >>"$log_dir/zip.log" 2>&1) ||
  { echo "release-folder: zip could not pack $stage (log: $log_dir/zip.log)" >&2; rm -f "$stage.zip"; exit 1; }
