#!/usr/bin/env bash
# Builds everything, lays out the demo installation medium and runs the wizard from it.
#  - First, one unattended update (InstalaQEL.exe /silent) of an installed older QEL,
#    with its exit code and its log printed.
#  - With a display (DISPLAY set): the wizard window opens for you to use. An installed
#    older QEL to try the update on is laid out too; the script says where.
#  - Without one: the walk-through runs the same program under a private virtual display,
#    a fresh install and then an update driven through the real window from outside,
#    prints what happened and saves a picture of every page and dialog it passed.
# Set QEL_DEMO_WALKTHROUGH=1 to run the walk-through even with a display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh" >/dev/null
"$root/scripts/build.sh" i686 >/dev/null
build=${QEL_BUILD_DIR:-$root/build}/i686
out=${QEL_DEMO_DIR:-$root/out/demo}
prefix=$out/wineprefix
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -rf "$out/medium" "$out/installed-3.1.9" "$out/screenshots" "$out/silent-3.1.9" "$out/silent-update.log"
cp -r "$build/demo/medium" "$out/medium"
cp -r "$build/demo/installed-3.1.9" "$out/installed-3.1.9"
cp -r "$build/demo/installed-3.1.9" "$out/silent-3.1.9"
mkdir -p "$out/screenshots"

# Wine sees the Linux root as drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# An unattended update, as a deployment tool runs it: no window, a log, an exit code.
echo "unattended update of the QEL 3.1.9 in $out/silent-3.1.9:"
echo "  InstalaQEL.exe /silent /type=update /dir=$(winpath "$out/silent-3.1.9") /log=$(winpath "$out/silent-update.log")"
silent=0
"$root/tools/wine-run.sh" "$prefix" i686 "$(winpath "$out/medium/InstalaQEL.exe")" /silent /type=update \
  "/dir=$(winpath "$out/silent-3.1.9")" "/log=$(winpath "$out/silent-update.log")" || silent=$?
# The prefix's Wine session ends with it: the wizard below gets a session with a display.
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
# A Unix exit status keeps only the low 8 bits (3010 would read 194); the log has the code.
echo "  exit status $silent; the log ($out/silent-update.log):"
if [ -f "$out/silent-update.log" ]; then
  sed 's/^\xEF\xBB\xBF//; s/\r$//; s/^/    /' "$out/silent-update.log"
else
  echo "    (no log was written)"
fi
echo

if [ -n "${DISPLAY:-}" ] && [ -z "${QEL_DEMO_WALKTHROUGH:-}" ]; then
  echo "medium: $out/medium"
  echo "an installed QEL 3.1.9 to update: $(winpath "$out/installed-3.1.9")"
  cd "$out/medium"
  exec "$root/tools/wine-run.sh" "$prefix" i686 InstalaQEL.exe
fi

status=$silent
"$root/tools/with-xvfb.sh" "$root/tools/wine-run.sh" "$prefix" i686 "$build/demo/programs/walkthrough.exe" \
  "$(winpath "$out/medium")" "$(winpath "$out/installed-3.1.9")" "$(winpath "$build/demo/payload")" \
  "$(winpath "$out/screenshots")" 'C:\QEL-demo' || status=$?
for bmp in "$out"/screenshots/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo
echo "pictures of every page and dialog: $out/screenshots/"
echo "installed files: $prefix/drive_c/QEL-demo/"
exit $status
