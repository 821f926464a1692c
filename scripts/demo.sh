#!/bin/bash
# Builds the add-in, registers it with regsvr32 in a private Wine prefix, and
# runs the host stand-in's program, which creates the add-in by its ProgID,
# connects it and runs the demo scenarios. Screenshots go to build/demo/.
# Runs the 32-bit product build where this kernel runs 32-bit code, else the
# 64-bit test build of the same sources.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if "$root/scripts/wine-env.sh" probe win32 2>/dev/null; then
  build=windows arch=win32
  echo "demo: the 32-bit product build under 32-bit Wine"
else
  build=windows64 arch=win64
  echo "demo: the 64-bit test build under 64-bit Wine ($("$root/scripts/wine-env.sh" probe win32 2>&1 | sed 's/^wine-env: //'))"
fi
"$root/scripts/build.sh" "$build" >/dev/null

demo_dir="$root/build/demo"
mkdir -p "$demo_dir"
echo "$arch" >"$demo_dir/wine-arch"
env_cmd=("$root/scripts/wine-env.sh" run "$demo_dir")
trap '"$root/scripts/wine-env.sh" stop "$demo_dir"' EXIT

to_windows() { echo "Z:${1//\//\\}"; }
dll=$(to_windows "$root/build/$build/addin/velmora.dll")

"$root/scripts/wine-env.sh" start "$demo_dir"
echo "== regsvr32 $dll"
"${env_cmd[@]}" regsvr32 /s "$dll"
echo "registered: $("${env_cmd[@]}" reg query 'HKCR\Velmora.Connect\CLSID' /ve 2>/dev/null | tr -d '\r' | grep -o '{.*}')"

# Sample configuration for the template and GUID commands, if the repository has one.
appdata_unix="$demo_dir/wineprefix/drive_c/users/$(whoami)/AppData/Roaming/Orinth/Velmora"
if [ -d "$root/testbed/demo/sample-config" ]; then
  mkdir -p "$appdata_unix"
  cp -r "$root/testbed/demo/sample-config/." "$appdata_unix/"
fi

VELMORA_SCREENSHOT_DIR=$(to_windows "$demo_dir") \
  "${env_cmd[@]}" "$(to_windows "$root/build/$build/testbed/velmora-host.exe")" "$@"

# The configuration checker, beside the DLL: once on the sample configuration,
# once on one with a mistake of each kind it finds. It writes its listing to
# standard output and its warnings to standard error.
checker=$(to_windows "$root/build/$build/addin/velmora-config.exe")
run_checker() {
  set +e
  "${env_cmd[@]}" "$checker" "$@" 2>&1 | tr -d '\r'
  local status=${PIPESTATUS[0]}
  set -e
  echo "(exit code $status)"
}
echo
echo "== velmora-config, sample configuration"
run_checker
echo
echo "== velmora-config, a broken configuration (testbed/demo/broken-config)"
rm -rf "$appdata_unix"
mkdir -p "$appdata_unix"
cp "$root/testbed/demo/broken-config/"* "$appdata_unix/"
run_checker
echo
echo "== velmora-config cs, the same broken configuration"
run_checker cs
rm -rf "$appdata_unix"
mkdir -p "$appdata_unix"
cp -r "$root/testbed/demo/sample-config/." "$appdata_unix/"
