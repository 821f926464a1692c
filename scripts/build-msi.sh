#!/bin/bash
# Builds the Windows Installer package from its source, which CMake makes
# from installer/velmora.wxs.in:
#   build-msi.sh WXS BIN_DIR FILE_VERSION OUTPUT.msi EPOCH_FILE
# BIN_DIR, the release folder, holds velmora.dll, velmora-config.exe and
# starter\; FILE_VERSION is their version resource's (a.b.c.d); EPOCH_FILE
# holds the commit's time. Every tool runs bounded, its output in
# OUTPUT's folder, logs/<name>.log (scripts/run-tool.sh).
#
# wixl (msitools 0.101) builds the tables; msibuild then sets what wixl
# leaves out, and the result is read back, so that a wixl that writes
# something else makes this fail instead of a package that loses files:
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
# Then scripts/check-msi-tables.sh checks the tables. The package is made
# reproducible: the summary's dates are the commit's time, and its package
# code, which Windows Installer requires to differ between any two different
# packages, is made from the bytes of the package itself (with a fixed code in
# its place). It is signed last (scripts/sign.sh), as any change after the
# signature breaks it.
set -euo pipefail
wxs=$1 bin_dir=$2 file_version=$3 out=$4 epoch_file=$5
versioned_files="velmora.dll velmora_config.exe"

scripts=$(cd "$(dirname "$0")" && pwd)
fail() { echo "build-msi: $*" >&2; exit 1; }
for tool in wixl msibuild msiinfo; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (run scripts/bootstrap.sh)"
done

mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
tmp=$out.tmp
log=$(dirname "$out")/logs/$(basename "$out" .msi).log
rm -f "$tmp" "$out" "$log"
epoch=$(cat "$epoch_file")
bounded() { "$scripts/run-tool.sh" "$log" "$@"; }
# wixl only warns about an attribute it does not know, and then ignores it.
# The sources' paths in the package source are relative to BIN_DIR.
wixl_log=$log.wixl
rm -f "$wixl_log"
if ! (cd "$bin_dir" && "$scripts/run-tool.sh" "$wixl_log" 300 wixl --arch x86 -o "$tmp" "$wxs") ||
  [ -n "$(grep -v '^\$ ' "$wixl_log")" ]; then
  rm -f "$tmp"
  fail "wixl failed or warned on $wxs:"$'\n'"$(cat "$wixl_log")"
fi
cat "$wixl_log" >>"$log" && rm -f "$wixl_log"

query() { bounded 60 msibuild "$tmp" -q "$1" || fail "msibuild could not run: $1"; }
for file in $versioned_files; do
  query "UPDATE \`File\` SET \`Version\` = '$file_version', \`Language\` = '1041' WHERE \`File\` = '$file'"
  query "DELETE FROM \`MsiFileHash\` WHERE \`File_\` = '$file'"
done
idt_dir=$(mktemp -d)
trap 'rm -rf "$idt_dir"' EXIT
printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$idt_dir/_ForceCodepage.idt"
bounded 60 msibuild "$tmp" -i "$idt_dir/_ForceCodepage.idt" || fail "msibuild could not set the code page"
message=$(sed -n 's/.*DowngradeErrorMessage="\([^"]*\)".*/\1/p' "$wxs")
[ -n "$message" ] || fail "no DowngradeErrorMessage in $wxs"
query "UPDATE \`LaunchCondition\` SET \`Description\` = '$message' WHERE \`Condition\` = 'NOT WIX_DOWNGRADE_DETECTED'"
summary() { TZ=UTC timeout 60 msiinfo suminfo "$tmp" | sed -n "s/^$1: //p"; }
# The package code in place while the package's own is made from its bytes.
placeholder="{00000000-0000-0000-0000-000000000000}"
set_summary() {
  bounded 60 msibuild "$tmp" -s "$(summary Subject)" "$(summary Author)" "Intel;1041" "$1" ||
    fail "msibuild could not set the summary"
}
set_summary "$placeholder"
"$scripts/msi-summary-time.pl" "$tmp" "$epoch" || fail "could not set the summary's dates"

# Read back: the rows of a table, without msiinfo's three header lines.
rows() { timeout 60 msiinfo export "$tmp" "$1" | tail -n +4 | tr -d '\r'; }
problems=()
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
[ "$(summary Created)" = "$(summary 'Last saved')" ] && [ "$(summary Created)" = "$(LC_ALL=C TZ=UTC date -u -d "@$epoch" '+%a %b %e %H:%M:%S %Y')" ] ||
  problems+=("the summary's dates are '$(summary Created)' and '$(summary 'Last saved')', not the commit's time")
if ((${#problems[@]})); then
  rm -f "$tmp"
  printf 'build-msi: %s\n' "${problems[@]}" >&2
  exit 1
fi
"$scripts/check-msi-tables.sh" "$tmp" >&2 || { rm -f "$tmp"; fail "the package's tables break the rules above"; }

# The package code: a GUID made of the package's SHA-256 (with the placeholder),
# as a name-based GUID (version 5, RFC 4122 variant).
hash=$(sha256sum "$tmp" | cut -c 1-32 | tr a-f A-F)
package_code="{${hash:0:8}-${hash:8:4}-5${hash:13:3}-$(printf %X $(((0x${hash:16:1} & 3) | 8)))${hash:17:3}-${hash:20:12}}"
set_summary "$package_code"
[ "$(summary 'Revision number (UUID)')" = "$package_code" ] || fail "the package code did not stay $package_code"

"$scripts/sign.sh" "$log" "$tmp" || { rm -f "$tmp"; fail "could not sign the package"; }
mv "$tmp" "$out"
