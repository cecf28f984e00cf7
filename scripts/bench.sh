#!/usr/bin/env bash
# Builds the i686 program and runs every benchmark under Wine with a private virtual
# display, then prints every ratio (docs/benchmarks.md keeps the figures):
#   1. the carry-over against its bulk floor and its commit-per-row floor
#   2. start-up until the window shows, against bare windows (one of them loading the
#      wizard's system DLLs and creating the ADO object), and where the time goes
#   3. the size of InstalaQEL.exe by part
#   4. a whole update of a large installed database through the real window
#   scripts/bench.sh [rows]     (default 100000 rows for the carry-over and the update)
# Benchmarks are not tests: they measure, and they take a few minutes. Pairs are measured
# in the same run, taking turns, and medians are compared; a busy machine still moves
# the figures, so run it on a quiet one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-100000}
"$root/scripts/bootstrap.sh" >/dev/null
"$root/scripts/build.sh" i686 >/dev/null
build=${QEL_BUILD_DIR:-$root/build}/i686
# A prefix of its own, so that a test run elsewhere does not share the Wine server.
prefix=$build/bench-wineprefix
report=$(mktemp)
trap 'rm -f "$report"' EXIT

winpath() { printf 'Z:%s' "${1//\//\\}"; }
run() { "$root/tools/wine-run.sh" "$prefix" i686 "$@"; }
section() { printf '\n== %s\n' "$1"; }

bench_all() {
  section "carry-over, $rows rows (qel_carry_benchmark $rows 3)"
  run "$build/tests/qel_carry_benchmark.exe" "$rows" 3 | tee -a "$report"

  section "start-up until the window shows (qel_startup_time 21)"
  run "$build/bench/qel_startup_time.exe" 21 \
    "Quelvara - Instalação" "$(winpath "$build/bin/InstalaQEL.exe")" \
    "Bare window" "$(winpath "$build/bench/qel_bare_window.exe")" \
    "Bare window" "$(winpath "$build/bench/qel_bare_window_ado.exe")" \
    "Bare window" "$(winpath "$build/bench/qel_bare_window_dlls.exe")" | tee -a "$report"
  section "start-up step by step (qel_startup_steps 15)"
  run "$build/bench/qel_startup_steps.exe" 15 \
    "$(winpath "$build/bench/qel_bare_window.exe")" "$(winpath "$build/bench/qel_bare_window_ado.exe")" \
    "$(winpath "$build/bench/qel_bare_window_dlls.exe")" | tee -a "$report"

  section "size of InstalaQEL.exe by part"
  python3 "$root/tools/bench/size-by-part.py" "$build/bin/InstalaQEL.map" "$build/bin/InstalaQEL.exe" \
    | tee -a "$report"

  section "whole update of $rows rows through the window (qel_update_benchmark)"
  run "$build/bench/qel_update_benchmark.exe" "$(winpath "$build/demo/medium")" \
    "$(winpath "$build/demo/installed-3.1.9")" 'C:\qel-update-benchmark' "$rows" 3 | tee -a "$report"

  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}
export -f bench_all run section winpath
export root build prefix report rows
"$root/tools/with-xvfb.sh" bash -c bench_all

section "ratios"
# The lines of the report that give a ratio, with what they compare.
grep -E '^ratio' "$report" | sed 's/^/  /'
grep -E 'over the whole update' "$report" | sed 's/^ */  whole update: /'
size=$(stat -c %s "$build/bin/InstalaQEL.exe")
awk -v s="$size" 'BEGIN { printf "  InstalaQEL.exe: %d bytes = %.2f MiB (goal 2 MiB, stretch 1.5 MiB)\n", s, s / 1048576 }'
