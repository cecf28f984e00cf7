#!/usr/bin/env bash
# Updates of many damaged installed databases, and an update with a failure at each of its
# file operations in turn, run in process under Wine; prints the count of each outcome and
# of each failure message:
#   scripts/robust.sh [cases] [seed]      (default 1000 cases, seed 1)
# QEL_ROBUST_LIST=1 also prints one line per damaged-database case. The test suite runs the
# same program with its fixed slice (240 cases, seed 16) as the robust_updates test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh" >/dev/null
"$root/scripts/build.sh" i686 robust_updates >/dev/null
build=${QEL_BUILD_DIR:-$root/build}/i686
export QEL_ROBUST_CASES=${1:-1000} QEL_ROBUST_SEED=${2:-1}

run_robust() {
  local rc=0
  "$root/tools/wine-run.sh" "$build/wineprefix" i686 "$build/tests/robust_updates.exe" --gtest_brief=1 || rc=$?
  WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
  return $rc
}
export -f run_robust
export root build
"$root/tools/with-xvfb.sh" bash -c run_robust
