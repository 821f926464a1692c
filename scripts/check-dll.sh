#!/bin/bash
# Checks the shape of the shipped files:
#   check-dll.sh PATH_TO_velmora.dll [PATH_TO_velmora-config.exe]
# The DLL: a 32-bit PE (machine i386), exactly the four COM server exports,
# imports from system DLLs only, its symbols file linked, and no larger than
# its size budget. The console program (by default the velmora-config.exe
# beside the DLL): a 32-bit PE with system imports only, within its budget.
# VELMORA_DLL_BUDGET and VELMORA_EXE_BUDGET override the budgets in bytes.
set -euo pipefail
dll=$1
exe=${2:-$(dirname "$dll")/velmora-config.exe}
dll_budget=${VELMORA_DLL_BUDGET:-300000}
exe_budget=${VELMORA_EXE_BUDGET:-250000}
objdump=i686-w64-mingw32-objdump
failed=0
fail() { echo "check-dll: $*" >&2; failed=1; }

# The PE headers are read straight from the file (little-endian numbers,
# NUL-terminated names), so that the checks do not depend on how one objdump
# version lays out its report.
u16() { od -An -tu2 -j "$2" -N2 "$1" 2>/dev/null | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" 2>/dev/null | tr -d ' '; }
name_at() { dd if="$1" bs=1 skip="$2" count=256 status=none | tr '\0' '\n' | head -n 1; }

# Sets, for PE file $1: machine, sections, table (the section table's offset)
# and directories (the data directories' offset). Fails for anything else.
read_headers() {
  local pe coff optional
  file=$1
  pe=$(u32 "$file" 60)
  [ "$(u32 "$file" "$pe")" = 17744 ] || return 1  # "PE\0\0"
  coff=$((pe + 4))
  machine=$(u16 "$file" "$coff")
  sections=$(u16 "$file" $((coff + 2)))
  optional=$((coff + 20))
  table=$((optional + $(u16 "$file" $((coff + 16)))))
  case $(u16 "$file" "$optional") in
    267) directories=$((optional + 96)) ;;   # PE32
    523) directories=$((optional + 112)) ;;  # PE32+
    *) return 1 ;;
  esac
}

# A relative address as a file offset, through the section that holds it.
offset_of() {
  local rva=$1 s at start size
  for ((s = 0; s < sections; s++)); do
    at=$((table + 40 * s))
    start=$(u32 "$file" $((at + 12)))
    size=$(u32 "$file" $((at + 8)))
    if ((rva >= start && rva < start + size)); then
      echo $((rva - start + $(u32 "$file" $((at + 20)))))
      return 0
    fi
  done
  return 1
}

# The names in the export directory (data directory 0), one a line.
export_names() {
  local rva directory count names i
  rva=$(u32 "$file" "$directories")
  ((rva)) || return 0
  directory=$(offset_of "$rva") || return 1
  count=$(u32 "$file" $((directory + 24)))
  names=$(offset_of "$(u32 "$file" $((directory + 32)))") || return 1
  for ((i = 0; i < count; i++)); do
    name_at "$file" "$(offset_of "$(u32 "$file" $((names + 4 * i)))")" || return 1
  done
}

# The DLLs named by the import directory (data directory 1), one a line.
import_names() {
  local rva entry name
  rva=$(u32 "$file" $((directories + 8)))
  ((rva)) || return 0
  entry=$(offset_of "$rva") || return 1
  while name=$(u32 "$file" $((entry + 12))) && ((name)); do
    name_at "$file" "$(offset_of "$name")" || return 1
    entry=$((entry + 20))
  done
}

system_dlls=' advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll '

# Machine, imports and size, common to both files; fails when $1 is no PE
# file at all. Leaves its headers read for the checks that follow.
check_common() {
  local name imports size
  if ! read_headers "$1"; then
    fail "$(basename "$1") is not a PE file"
    return 1
  fi
  ((machine == 332)) || fail "$(basename "$1") is not a 32-bit PE: its machine is $(printf '0x%x' "$machine")"
  imports=$(import_names) || fail "$(basename "$1"): the import directory cannot be read"
  while read -r name; do
    [ -z "$name" ] || [[ "$system_dlls" == *" ${name,,} "* ]] || fail "$(basename "$1") imports a non-system DLL: $name"
  done <<<"$imports"
  size=$(stat -c %s "$1")
  ((size <= $2)) || fail "$(basename "$1") is $size bytes, over the budget of $2"
}

if check_common "$dll" "$dll_budget"; then
  exports=$(export_names | sort | tr '\n' ' ') || fail "$(basename "$dll"): the export directory cannot be read"
  [ "$exports" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ] ||
    fail "exports are '$exports', expected the four COM server entry points"
  grep -q '\.gnu_debuglink' < <($objdump -h "$dll") || fail "no .gnu_debuglink: the symbols file is not linked"
fi

if [ -f "$exe" ]; then
  check_common "$exe" "$exe_budget" || true
else
  fail "no $(basename "$exe") beside $(basename "$dll")"
fi

((failed)) && exit 1
echo "check-dll: $(basename "$dll") is a 32-bit PE with the four exports, system imports only, $(stat -c %s "$dll") bytes (budget $dll_budget)"
echo "check-dll: $(basename "$exe") is a 32-bit PE with system imports only, $(stat -c %s "$exe") bytes (budget $exe_budget)"
