#!/usr/bin/env bash
# Fails when the program imports anything but Windows system DLLs, or is not a GUI program.
set -euo pipefail
objdump=$1 exe=$2
allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|msvcrt|shlwapi|uxtheme|version|winmm|api-ms-win-crt-[a-z0-9-]+)\.dll$'
dump=$("$objdump" -p "$exe")
imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "no import table found in $exe"; exit 1; }
bad=$(printf '%s\n' "$imports" | grep -Ev "$allowed" || true)
echo "imports: $(echo $imports)"
if [ -n "$bad" ]; then
  echo "not a Windows system DLL: $(echo $bad)"
  exit 1
fi
subsystem=$(printf '%s\n' "$dump" | sed -n 's/^Subsystem\s*//p')
echo "subsystem: $subsystem"
case "$subsystem" in
  *"Windows GUI"*) ;;
  *) echo "not a GUI program"; exit 1 ;;
esac
