#!/bin/bash
# Checks the shape of the shipped DLL: check-dll.sh PATH_TO_velmora.dll
#   a 32-bit PE (machine i386), exactly the four COM server exports,
#   imports from system DLLs only, and no larger than the size budget.
set -euo pipefail
dll=$1
budget=${VELMORA_DLL_BUDGET:-400000}   # 400 KB
objdump=i686-w64-mingw32-objdump
failed=0
fail() { echo "check-dll: $*" >&2; failed=1; }

header=$($objdump -f "$dll")
grep -q 'file format pei-i386' <<<"$header" || fail "not a 32-bit PE: $(grep -o 'file format .*' <<<"$header")"

details=$($objdump -p "$dll")
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {t=1; next} t && /^[ \t]*\[ *[0-9]+\]/ {print $NF; next} t {t=0}' <<<"$details" | sort | tr '\n' ' ')
[ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ] ||
  fail "exports are '$exports', expected the four COM server entry points"

system_dlls=' advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll '
while read -r name; do
  [[ "$system_dlls" == *" ${name,,} "* ]] || fail "imports a non-system DLL: $name"
done < <(awk '/DLL Name:/ {print $3}' <<<"$details")

size=$(stat -c %s "$dll")
((size <= budget)) || fail "$(basename "$dll") is $size bytes, over the budget of $budget"
grep -q '\.gnu_debuglink' < <($objdump -h "$dll") || fail "no .gnu_debuglink: the symbols file is not linked"

((failed)) && exit 1
echo "check-dll: $(basename "$dll") is a 32-bit PE with the four exports, system imports only, $size bytes (budget $budget)"
