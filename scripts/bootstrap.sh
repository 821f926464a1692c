#!/bin/bash
# Installs whatever the build and the tests need and is missing; a no-op when
# everything is there. Run as root on Debian 12 (bookworm) or 13 (trixie):
# the names below are the same in both.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-dev googletest
  g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev
  wine wine32:i386 wine64
  xvfb xauth x11-utils imagemagick fonts-ipafont-gothic fonts-wine procps
  msitools wixl osslsigncode openssl zip
)

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  if ((need_update)) || ! compgen -G '/var/lib/apt/lists/*_Packages' >/dev/null; then
    apt-get update -qq
  fi
  if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
fi
