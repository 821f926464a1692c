#!/bin/bash
# Checks an installer package's tables against the rules of Windows
# Installer's validation that the tables alone can show (no validator runs
# on Debian: its rules ship as a Windows-only database):
#   check-msi-tables.sh MSI
# Each broken rule prints one line "check-msi-tables: <rule>: <row>" and
# makes the exit code 1.
#   profile-folder  no component or created folder lies in a user profile
#                   (ICE38, ICE64, ICE91): a per-machine package installs
#                   for every user, a profile belongs to one
#   foreign-key     every reference between the package's tables resolves (ICE03)
#   key-path        every component has a key path, or a CreateFolder row
#                   for its folder (ICE18)
#   user-and-machine  no component holds both per-user and per-machine data (ICE57)
#   registry-root   every registry row is under HKLM or HKCR
#   custom-action   every custom action runs deferred (in the install script,
#                   between InstallInitialize and InstallFinalize) and as the
#                   installing user (impersonated)
set -euo pipefail
msi=$1
tables=$(mktemp -d)
trap 'rm -rf "$tables"' EXIT

# Each table as tab-separated rows under a header line of column names;
# a table the package lacks is empty.
for table in Component Directory File Registry RemoveFile CreateFolder Feature FeatureComponents \
  MsiFileHash CustomAction InstallExecuteSequence Property Icon; do
  exported=$(timeout 60 msiinfo export "$msi" "$table" 2>/dev/null | head -c 16777216 | tr -d '\r') || exported=""
  if [ -n "$exported" ]; then
    { head -n 1 <<<"$exported"; tail -n +4 <<<"$exported"; } >"$tables/$table"
  else
    : >"$tables/$table"
  fi
done
[ -s "$tables/Component" ] && [ -s "$tables/Directory" ] ||
  { echo "check-msi-tables: $msi has no Component or Directory table (is it a package?)" >&2; exit 1; }

cd "$tables"
# Every table's columns are known to awk by name: col["Directory_"] in the
# current table's header.
awk -F'\t' '
  function fail(rule, row) { print "check-msi-tables: " rule ": " row; failed = 1 }
  FNR == 1 { delete col; for (i = 1; i <= NF; i++) col[$i] = i; table = FILENAME; next }
  table == "Directory" { parent[$col["Directory"]] = $col["Directory_Parent"]; directory[$col["Directory"]] = 1 }
  table == "Component" {
    c = $col["Component"]; component[c] = 1; compdir[c] = $col["Directory_"]
    keypath[c] = $col["KeyPath"]; attributes[c] = $col["Attributes"]; components[++ncomponents] = c
  }
  table == "File" { file[$col["File"]] = 1; filecomp[$col["File"]] = $col["Component_"]; files[++nfiles] = $col["File"] }
  table == "Registry" {
    r = $col["Registry"]; registry[r] = 1; regcomp[r] = $col["Component_"]; regroot[r] = $col["Root"]; regs[++nregs] = r
  }
  table == "RemoveFile" { removes[++nremoves] = $col["FileKey"]; removecomp[$col["FileKey"]] = $col["Component_"] }
  table == "CreateFolder" {
    n = ++ncreates; createdir[n] = $col["Directory_"]; createcomp[n] = $col["Component_"]
    created[$col["Component_"] SUBSEP $col["Directory_"]] = 1
  }
  table == "Feature" { feature[$col["Feature"]] = 1; featureparent[$col["Feature"]] = $col["Feature_Parent"] }
  table == "FeatureComponents" { n = ++nfc; fcfeature[n] = $col["Feature_"]; fccomp[n] = $col["Component_"] }
  table == "MsiFileHash" { hashes[++nhashes] = $col["File_"] }
  table == "CustomAction" { a = $col["Action"]; actions[++nactions] = a; catype[a] = $col["Type"]; casource[a] = $col["Source"] }
  table == "InstallExecuteSequence" { sequence[$col["Action"]] = $col["Sequence"] }
  table == "Property" { property[$col["Property"]] = $col["Value"] }
  table == "Icon" { icon[$col["Name"]] = 1 }

  # The folders of one user: under any of them, a file is that user alone.
  function in_profile(d, seen) {
    for (seen = 0; d != "" && seen < 100; seen++) {
      if (d ~ /^(AppDataFolder|LocalAppDataFolder|PersonalFolder|MyPicturesFolder|FavoritesFolder|NetHoodFolder|PrintHoodFolder|RecentFolder|SendToFolder)$/) return 1
      if (parent[d] == d) return 0
      d = parent[d]
    }
    return 0
  }
  function ref(rule_row, value, known, what) {
    if (value != "" && !(value in known)) fail("foreign-key", rule_row " names " what " " value ", which is not there")
  }
  END {
    for (d in parent) ref("Directory " d ": Directory_Parent", parent[d], directory, "directory")
    for (i = 1; i <= ncomponents; i++) {
      c = components[i]
      ref("Component " c ": Directory_", compdir[c], directory, "directory")
      if (int(attributes[c] / 4) % 2) ref("Component " c ": KeyPath", keypath[c], registry, "registry row")
      else ref("Component " c ": KeyPath", keypath[c], file, "file")
      if (in_profile(compdir[c])) fail("profile-folder", "Component " c " installs into " compdir[c] ", in a user profile")
      if (keypath[c] == "" && !((c SUBSEP compdir[c]) in created))
        fail("key-path", "Component " c " has no key path and no CreateFolder row for " compdir[c])
    }
    for (i = 1; i <= nfiles; i++) ref("File " files[i] ": Component_", filecomp[files[i]], component, "component")
    for (i = 1; i <= nremoves; i++) ref("RemoveFile " removes[i] ": Component_", removecomp[removes[i]], component, "component")
    for (i = 1; i <= ncreates; i++) {
      ref("CreateFolder " createdir[i] ": Component_", createcomp[i], component, "component")
      ref("CreateFolder " createcomp[i] ": Directory_", createdir[i], directory, "directory")
      if (in_profile(createdir[i])) fail("profile-folder", "CreateFolder " createdir[i] " of " createcomp[i] " is in a user profile")
    }
    for (f in featureparent) ref("Feature " f ": Feature_Parent", featureparent[f], feature, "feature")
    for (i = 1; i <= nfc; i++) {
      ref("FeatureComponents " fcfeature[i] "/" fccomp[i] ": Feature_", fcfeature[i], feature, "feature")
      ref("FeatureComponents " fcfeature[i] "/" fccomp[i] ": Component_", fccomp[i], component, "component")
    }
    for (i = 1; i <= nhashes; i++) ref("MsiFileHash " hashes[i] ": File_", hashes[i], file, "file")
    if ("ARPPRODUCTICON" in property) ref("Property ARPPRODUCTICON", property["ARPPRODUCTICON"], icon, "icon")

    # Per-user data: HKCU rows and what lies in a profile; per-machine data:
    # HKLM and HKCR rows and files elsewhere.
    for (i = 1; i <= nregs; i++) {
      r = regs[i]; c = regcomp[r]
      ref("Registry " r ": Component_", c, component, "component")
      if (regroot[r] == 1) user[c] = "HKCU row " r
      else if (regroot[r] == 0 || regroot[r] == 2) machine[c] = "HKLM/HKCR row " r
      if (regroot[r] != 0 && regroot[r] != 2) fail("registry-root", "Registry " r " has root " regroot[r] ", not HKLM (2) or HKCR (0)")
    }
    for (i = 1; i <= nfiles; i++) {
      c = filecomp[files[i]]
      if (in_profile(compdir[c])) user[c] = "file " files[i]; else machine[c] = "file " files[i]
    }
    for (c in user)
      if (c in machine) fail("user-and-machine", "Component " c " holds per-user data (" user[c] ") and per-machine data (" machine[c] ")")

    for (i = 1; i <= nactions; i++) {
      a = actions[i]; t = catype[a]
      if ((int(t / 16) % 4) == 1) ref("CustomAction " a ": Source", casource[a], file, "file")
      if (int(t / 1024) % 2 == 0) fail("custom-action", "CustomAction " a " (type " t ") is not deferred")
      if (int(t / 2048) % 2 == 1) fail("custom-action", "CustomAction " a " (type " t ") runs as the system, not as the installing user")
      if (!(a in sequence)) fail("custom-action", "CustomAction " a " is not in InstallExecuteSequence")
      else if (sequence[a] + 0 <= sequence["InstallInitialize"] + 0 || sequence[a] + 0 >= sequence["InstallFinalize"] + 0)
        fail("custom-action", "CustomAction " a " (sequence " sequence[a] ") is outside InstallInitialize-InstallFinalize")
    }
    exit failed
  }
' Directory Component File Registry RemoveFile CreateFolder Feature FeatureComponents MsiFileHash \
  CustomAction InstallExecuteSequence Property Icon
