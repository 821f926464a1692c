#!/bin/bash
# Remakes the README's pictures (docs/*.png) from the demo's screenshots: runs
# the demo, then crops each pop-up to its window. The pickers are shot on the
# whole screen (they have no frame to capture); the screen around them is
# black, which -trim removes. The GUID dialog is shot as its window already.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
shots=$root/build/demo

"$root/scripts/demo.sh" >/dev/null
mkdir -p "$root/docs"
convert "$shots/template-picker.png" -trim +repage "$root/docs/code-template.png"
convert "$shots/special-folder-picker.png" -trim +repage "$root/docs/special-folders.png"
cp "$shots/guid-dialog.png" "$root/docs/select-guid.png"
for picture in code-template select-guid special-folders; do
  echo "docs-pictures: docs/$picture.png $(identify -format '%wx%h' "$root/docs/$picture.png")"
done
