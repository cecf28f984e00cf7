#!/usr/bin/env bash
# Builds the i686 program and runs every benchmark under Wine with a private virtual
# display, then prints every ratio (docs/benchmarks.md keeps the figures):
#   1. the carry-over against its bulk floor and its commit-per-row floor
#   2. start-up until the window shows, against bare windows (one of them loading the
#      wizard's system DLLs and creating the ADO object), and where the time goes
#   3. the size of InstalaQEL.exe by part
#   4. a whole update of a large installed database through the real window
#   5. the peak memory and the time of an update of installed databases of 40 MB, 500 MB
#      and 1.5 GB: the program's silent update (embedded engine), and the same rows
#      through the ADO engine and the fake ADO
#   scripts/bench.sh [rows] [part...]   (default 100000 rows for the carry-over and the
#                                        update; parts: carry startup size update memory)
# Benchmarks are not tests: they measure, and they take a few minutes (the memory part
# about a quarter of an hour, and 8 GB of disk while it runs: it makes the databases and
# removes them). Pairs are measured in the same run, taking turns, and medians are
# compared; a busy machine still moves the figures, so run it on a quiet one.
#   QEL_BENCH_MEMORY_MB="40 500 1536"   sizes of the installed databases, in MB
#   QEL_BENCH_MEDIUM=<folder>            the medium whose InstalaQEL.exe updates them
#                                        (default: the demo medium the build makes)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rows=${1:-100000}
parts=${*:2}
parts=${parts:-carry startup size update memory}
sizes=${QEL_BENCH_MEMORY_MB:-40 500 1536}
medium=${QEL_BENCH_MEDIUM:-}
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

want() { [[ " $parts " == *" $1 "* ]]; }

# The demo's installed QEL 3.1.9 with TB_ACOMPANHAMENTO grown to about <MB> megabytes:
# rows of a 2 KB observation (a page of the file each), all before 2007 (carried). Made
# with the sqlite3 tool.
make_installed() {
  local folder=$1 mb=$2
  rm -rf "$folder"
  cp -r "$build/demo/installed-3.1.9" "$folder"
  sqlite3 "$folder/QEL.mdb" >/dev/null "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;
    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $((mb * 1048576 / 4140)))
    INSERT INTO TB_ACOMPANHAMENTO SELECT 1000 + i,
      printf('%04d-%02d-%02d 00:00:00', 1995 + i % 12, 1 + i % 12, 1 + i % 28), NULL, 1 + i % 4,
      substr(i || ': ' || replace(hex(zeroblob(110)), '00', 'Observação do envio '), 1, 2000) FROM n;
    COMMIT;"
}

# qel_peak_memory's line with the size and the rows in front; what the program printed
# below it.
measure_memory() {
  local what=$1 mb=$2 carried=$3 out
  shift 3
  out=$(run "$build/bench/qel_peak_memory.exe" "$@")
  printf '%-36s %5d MB %8d rows: %s\n' "$what" "$mb" "$carried" "$(tail -n 1 <<<"$out")"
  head -n -1 <<<"$out" | sed 's/^/    /'
}

bench_memory() {
  local work=$build/bench-work model target carried
  mkdir -p "$work"
  section "peak memory of an update: installed databases of $sizes MB (qel_peak_memory)"
  for mb in $sizes; do
    model=$work/installed-$mb
    make_installed "$model" "$mb"
    mb=$(( $(stat -c %s "$model/QEL.mdb") / 1048576 ))
    carried=$(sqlite3 "$model/QEL.mdb" "SELECT count(*) FROM TB_ACOMPANHAMENTO")
    target=$work/QEL
    rm -rf "$target"
    cp -r "$model" "$target"
    measure_memory "silent update (embedded engine)" "$mb" "$carried" "$(winpath "${medium:-$build/demo/medium}/InstalaQEL.exe")" \
      /silent /type=update "/dir=$(winpath "$target")" "/log=$(winpath "$work/update-$mb.log")" | tee -a "$report"
    grep -a "Migração de TB_ACOMPANHAMENTO\|Fim:" "$work/update-$mb.log" | sed 's/^/    /'
    rm -rf "$target" "$model" "$work/update-$mb.log"
    measure_memory "update through ADO and the fake ADO" "$mb" "$carried" \
      "$(winpath "$build/tests/qel_ado_update_benchmark.exe")" "$(winpath "$work/ado")" "$carried" | tee -a "$report"
  done
  rm -rf "$work"
}

bench_all() {
  if want memory; then bench_memory; fi

  if want carry; then
    section "carry-over, $rows rows (qel_carry_benchmark $rows 3)"
    run "$build/tests/qel_carry_benchmark.exe" "$rows" 3 | tee -a "$report"
  fi

  if want startup; then
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
  fi

  if want size; then
    section "size of InstalaQEL.exe by part"
    python3 "$root/tools/bench/size-by-part.py" "$build/bin/InstalaQEL.map" "$build/bin/InstalaQEL.exe" \
      | tee -a "$report"
  fi

  if want update; then
    section "whole update of $rows rows through the window (qel_update_benchmark)"
    run "$build/bench/qel_update_benchmark.exe" "$(winpath "$build/demo/medium")" \
      "$(winpath "$build/demo/installed-3.1.9")" 'C:\qel-update-benchmark' "$rows" 3 | tee -a "$report"
  fi

  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
}
export -f bench_all bench_memory make_installed measure_memory want run section winpath
export root build prefix report rows parts sizes medium
"$root/tools/with-xvfb.sh" bash -c bench_all

section "ratios"
# The lines of the report that give a ratio, with what they compare.
grep -E '^ratio' "$report" | sed 's/^/  /' || true
grep -E 'over the whole update' "$report" | sed 's/^ */  whole update: /' || true
# The growth of the peaks from the smallest database to the largest, per engine.
for what in "silent update" "update through ADO"; do
  grep -E "^$what" "$report" | sed -E 's/.* ([0-9]+) MB +([0-9]+) rows: .*, ([0-9.]+) s, peak working set ([0-9.]+) MiB, peak private bytes ([0-9.]+) MiB/\1 \2 \3 \4 \5/' |
    awk -v what="$what" 'NR == 1 { mb = $1; r = $2; t = $3; ws = $4; pb = $5 }
      END { if (NR > 1) printf "  memory, %s: %d MB to %d MB: peak private bytes %+.1f MiB, peak working set %+.1f MiB (goal at most +64 MiB); time %.1f to %.1f us a row\n",
              what, mb, $1, $5 - pb, $4 - ws, t / r * 1e6, $3 / $2 * 1e6 }' || true
done
if want size; then
  size=$(stat -c %s "$build/bin/InstalaQEL.exe")
  awk -v s="$size" 'BEGIN { printf "  InstalaQEL.exe: %d bytes = %.2f MiB (goal 2 MiB, stretch 1.5 MiB)\n", s, s / 1048576 }'
fi
