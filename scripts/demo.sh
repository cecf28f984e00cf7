#!/usr/bin/env bash
# Builds the wizard, lays out a demo installation medium and runs the wizard from it.
# With a display (DISPLAY set) the wizard window opens for you to use; without one it
# runs under a private virtual display, takes a screenshot of the window and closes it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh" >/dev/null
"$root/scripts/build.sh" i686 >/dev/null
build=${QEL_BUILD_DIR:-$root/build}/i686
out=${QEL_DEMO_DIR:-$root/out/demo}
medium=$out/medium
rm -rf "$medium"
mkdir -p "$medium"
cp "$build/bin/InstalaQEL.exe" "$medium/"
prefix=$out/wineprefix
run() { (cd "$medium" && "$root/tools/wine-run.sh" "$prefix" i686 "$@"); }

if [ -n "${DISPLAY:-}" ]; then
  echo "medium: $medium"
  run InstalaQEL.exe
else
  "$root/tools/with-xvfb.sh" bash -c '
    set -euo pipefail
    (cd "$0" && "$1" "$2" i686 InstalaQEL.exe) &
    pid=$!
    for _ in $(seq 1 200); do
      xwininfo -root -tree 2>/dev/null | grep -q "Quelvara - Instala" && break
      sleep 0.1
    done
    sleep 1
    import -window root "$3/wizard.png"
    echo "screenshot: $3/wizard.png"
    WINEPREFIX="$2" wineserver -k || true
    wait $pid 2>/dev/null || true
  ' "$medium" "$root/tools/wine-run.sh" "$prefix" "$out"
fi
