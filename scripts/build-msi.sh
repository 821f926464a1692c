#!/bin/bash
# Builds the Windows Installer package from its source, which CMake makes
# from installer/velmora.wxs.in:
#   build-msi.sh WXS BIN_DIR FILE_VERSION OUTPUT.msi
# BIN_DIR holds velmora.dll, velmora-config.exe and starter\; FILE_VERSION is
# their version resource's (a.b.c.d).
#
# wixl (msitools 0.101) builds the tables; msibuild then sets what wixl
# leaves out, and the result is read back, so that a wixl that writes
# something else makes this fail instead of a package that loses files:
#   - the configuration components (directory ConfigFolder) are permanent and
#     never overwrite a file that is there (attributes 16 + 128 = 144); wixl
#     ignores both attributes;
#   - the two programs are versioned files: File.Version and Language set,
#     and no MsiFileHash row, so that Windows Installer compares versions
#     (wixl fills no version and hashes every file);
#   - the database gets the Japanese code page (932) that the package source
#     names, and the downgrade refusal's launch condition its message: wixl
#     leaves the database's code page neutral, in which a Japanese text
#     cannot be stored, so the message comes out empty; the summary's
#     language list gets Japanese (1041) too;
#   - every registry row is under HKLM (root 2): the package is per machine,
#     and wixl writes HKMU as 4 instead of -1.
set -euo pipefail
wxs=$1 bin_dir=$2 file_version=$3 out=$4
versioned_files="velmora.dll velmora_config.exe"

fail() { echo "build-msi: $*" >&2; exit 1; }
for tool in wixl msibuild msiinfo; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (run scripts/bootstrap.sh)"
done

mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
tmp=$out.tmp
rm -f "$tmp" "$out"
# wixl only warns about an attribute it does not know, and then ignores it.
# The sources' paths in the package source are relative to BIN_DIR.
if ! log=$(cd "$bin_dir" && wixl --arch x86 -o "$tmp" "$wxs" 2>&1) || [ -n "$log" ]; then
  rm -f "$tmp"
  fail "wixl failed or warned on $wxs:"$'\n'"$log"
fi

query() { msibuild "$tmp" -q "$1" || fail "msibuild could not run: $1"; }
query "UPDATE \`Component\` SET \`Attributes\` = 144 WHERE \`Directory_\` = 'ConfigFolder'"
for file in $versioned_files; do
  query "UPDATE \`File\` SET \`Version\` = '$file_version', \`Language\` = '1041' WHERE \`File\` = '$file'"
  query "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = '$file'"
done
idt_dir=$(mktemp -d)
trap 'rm -rf "$idt_dir"' EXIT
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$idt_dir/_ForceCodepage.idt"
msibuild "$tmp" -i "$idt_dir/_ForceCodepage.idt" || fail "msibuild could not set the code page"
message=$(sed -n 's/.*DowngradeErrorMessage="\([^"]*\)".*/\1/p' "$wxs")
[ -n "$message" ] || fail "no DowngradeErrorMessage in $wxs"
query "UPDATE \`LaunchCondition\` SET \`Description\` = '$message' WHERE \`Condition\` = 'NOT WIX_DOWNGRADE_DETECTED'"
summary() { msiinfo suminfo "$tmp" | sed -n "s/^$1: //p"; }
msibuild "$tmp" -s "$(summary Subject)" "$(summary Author)" "Intel;1041" "$(summary 'Revision number (UUID)')" ||
  fail "msibuild could not set the summary"

# Read back: the rows of a table, without msiinfo's three header lines.
rows() { msiinfo export "$tmp" "$1" | tail -n +4 | tr -d '\r'; }
problems=()
config_components=$(rows Component | awk -F'\t' '$3 == "ConfigFolder"')
[ -n "$config_components" ] || problems+=("no component installs into the configuration folder")
while IFS=$'\t' read -r id _ _ attributes _; do
  [ "$attributes" = 144 ] || problems+=("configuration component $id has attributes $attributes, not 144")
done <<<"$config_components"
while IFS=$'\t' read -r id root _; do
  [ "$root" = 2 ] || problems+=("registry row $id has root $root, not 2 (HKLM)")
done < <(rows Registry)
files=$(rows File)
hashes=$(rows MsiFileHash)
for file in $versioned_files; do
  version=$(awk -F'\t' -v f="$file" '$1 == f {print $5}' <<<"$files")
  [ "$version" = "$file_version" ] || problems+=("$file has version '$version', not $file_version")
  ! awk -F'\t' -v f="$file" '$1 == f {found = 1} END {exit !found}' <<<"$hashes" ||
    problems+=("$file, a versioned file, has a MsiFileHash row")
done
[ "$(rows LaunchCondition)" = "NOT WIX_DOWNGRADE_DETECTED"$'\t'"$message" ] ||
  problems+=("the downgrade refusal's message is '$(rows LaunchCondition | cut -f2)'")
[ "$(summary Template)" = "Intel;1041" ] || problems+=("the summary's platform and languages are '$(summary Template)'")
if ((${#problems[@]})); then
  rm -f "$tmp"
  printf 'build-msi: %s\n' "${problems[@]}" >&2
  exit 1
fi
mv "$tmp" "$out"
