#!/bin/bash
# The package's own table checks (scripts/check-msi-tables.sh) on the built
# package: it passes, and each copy broken in one way fails with the rule's
# name and the row.
#   table-checks-test.sh PACKAGE WORK
set -euo pipefail
package=$1 work=$2
scripts=$(cd "$(dirname "$0")/../../../scripts" && pwd)
[ -f "$package" ] || { echo "table-checks-test: $package is missing (build the 32-bit build first)" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
q() { printf '%s' "$1" | tr "'" '`' | sed 's/"/'"'"'/g'; }  # 'name' for a column, "text" for a value

# rule | what its line names | the change (msibuild SQL; "name" for a column, 'text' for a value)
cases=(
  "profile-folder|Component AddIn installs into INSTALLDIR|INSERT INTO 'Directory' ('Directory', 'Directory_Parent', 'DefaultDir') VALUES (\"AppDataFolder\", \"TARGETDIR\", \".\");UPDATE 'Directory' SET 'Directory_Parent' = \"AppDataFolder\" WHERE 'Directory' = \"OrinthProgramFolder\""
  "foreign-key|File velmora.dll: Component_ names component Gone|UPDATE 'File' SET 'Component_' = \"Gone\" WHERE 'File' = \"velmora.dll\""
  "foreign-key|Property ARPPRODUCTICON names icon gone.ico|UPDATE 'Property' SET 'Value' = \"gone.ico\" WHERE 'Property' = \"ARPPRODUCTICON\""
  "key-path|Component OrinthProgramFolder has no key path|DELETE FROM 'CreateFolder' WHERE 'Component_' = \"OrinthProgramFolder\""
  "user-and-machine|Component Checker holds per-user data (HKCU row ActiveSetupVersion)|UPDATE 'Registry' SET 'Root' = 1 WHERE 'Registry' = \"ActiveSetupVersion\""
  "registry-root|Registry ClassName has root 3|UPDATE 'Registry' SET 'Root' = 3 WHERE 'Registry' = \"ClassName\""
  "custom-action|SetUpUserConfiguration (type 82) is not deferred|UPDATE 'CustomAction' SET 'Type' = 82 WHERE 'Action' = \"SetUpUserConfiguration\""
  "custom-action|SetUpUserConfiguration (type 3154) runs as the system|UPDATE 'CustomAction' SET 'Type' = 3154 WHERE 'Action' = \"SetUpUserConfiguration\""
  "custom-action|SetUpUserConfiguration (sequence 6700) is outside|UPDATE 'InstallExecuteSequence' SET 'Sequence' = 6700 WHERE 'Action' = \"SetUpUserConfiguration\""
)

failures=0
if ! output=$("$scripts/check-msi-tables.sh" "$package" 2>&1); then
  echo "table-checks-test: FAILED: the built package breaks a rule:"$'\n'"$output"
  failures=1
fi
for i in "${!cases[@]}"; do
  IFS='|' read -r rule expected change <<<"${cases[$i]}"
  broken=$work/broken-$i.msi
  cp "$package" "$broken"
  IFS=';' read -ra queries <<<"$change"
  for query in "${queries[@]}"; do
    "$scripts/run-tool.sh" "$work/msibuild.log" 60 msibuild "$broken" -q "$(q "$query")" >/dev/null ||
      { echo "table-checks-test: FAILED: msibuild could not run: $query"; failures=$((failures + 1)); continue 2; }
  done
  status=0
  output=$("$scripts/check-msi-tables.sh" "$broken" 2>&1) || status=$?
  if ((status != 1)) || ! grep -qF "check-msi-tables: $rule: " <<<"$output" || ! grep -qF "$expected" <<<"$output"; then
    echo "table-checks-test: FAILED: $rule ($change): exit code $status, not 1 with a line naming $expected:"
    printf '%s\n' "$output"
    failures=$((failures + 1))
  else
    echo "table-checks-test: ok: $rule: $(grep -F "$expected" <<<"$output" | head -n 1)"
  fi
  rm -f "$broken"
done
exit $((failures > 0))
