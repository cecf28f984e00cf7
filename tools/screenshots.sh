#!/usr/bin/env bash
# Saves screenshots of the wizard's three pages, page 3 during an installation, each kind
# of message dialog, the failure box, the folder browser and page 2 at 144 DPI, as PNG
# files under out/screenshots/ (or the folder given), taken under a private virtual display.
#   tools/screenshots.sh [folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/out/screenshots}
"$root/scripts/build.sh" i686 qel_screenshots >/dev/null
build=${QEL_BUILD_DIR:-$root/build}/i686
mkdir -p "$out"
rm -f "$out"/*.bmp "$out"/*.png
out=$(cd "$out" && pwd)
# Wine's drive Z: is the Linux root. (winepath would start the prefix's Wine session
# without the virtual display, and the program would then find no desktop to draw on.)
winout="Z:${out//\//\\}"
"$root/tools/with-xvfb.sh" "$root/tools/wine-run.sh" "$build/wineprefix" i686 \
  "$build/tools/qel_screenshots.exe" "$winout"
WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$out"
