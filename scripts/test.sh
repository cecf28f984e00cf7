#!/usr/bin/env bash
# Builds everything and runs the whole test suite under Wine with a private virtual display.
#   scripts/test.sh [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"
"$root/scripts/build.sh" x86_64 InstalaQEL >/dev/null   # the 64-bit program must keep building
"$root/scripts/build.sh" i686
build=${QEL_BUILD_DIR:-$root/build}/i686

run_tests() {
  local rc=0
  (cd "$build" && ctest --output-on-failure "$@") || rc=$?
  # Leave no Wine server of the test prefix behind.
  WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
  return $rc
}
export -f run_tests
export build
"$root/tools/with-xvfb.sh" bash -c 'run_tests "$@"' run_tests "$@"
