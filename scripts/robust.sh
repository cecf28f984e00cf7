#!/usr/bin/env bash
# Updates of many damaged installed databases, and an update with a failure at each of its
# file operations in turn, run in process under Wine; then a fresh install and an update
# ended (the whole program, and a power cut) at each of their file operations in turn.
# Prints the count of each outcome, of each failure message and of each state left:
#   scripts/robust.sh [cases] [seed]      (default 1000 cases, seed 1)
# QEL_ROBUST_LIST=1 also prints one line per damaged-database case. The test suite runs the
# same program with its fixed slices (240 cases, seed 16; 5 points of each kill sweep) as the
# robust_updates test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh" >/dev/null
"$root/scripts/build.sh" i686 robust_updates >/dev/null
build=${QEL_BUILD_DIR:-$root/build}/i686
export QEL_ROBUST_CASES=${1:-1000} QEL_ROBUST_SEED=${2:-1} QEL_ROBUST_KILLS=${QEL_ROBUST_KILLS:-all}

run_robust() {
  local rc=0
  "$root/tools/wine-run.sh" "$build/wineprefix" i686 "$build/tests/robust_updates.exe" --gtest_brief=1 || rc=$?
  WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
  return $rc
}
export -f run_robust
export root build
"$root/tools/with-xvfb.sh" bash -c run_robust
