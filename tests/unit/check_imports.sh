#!/usr/bin/env bash
# Fails when the program imports anything but KnownDLLs, or is not a GUI program.
# The program runs elevated from a folder users may write: an imported DLL that is not a
# KnownDLL (and whatever such a DLL loads while it starts) would be looked for beside the
# program first, before any of its code runs. KnownDLLs are always mapped from the
# system's own copies. Every other system DLL, comctl32 included, is loaded when needed,
# once the program has narrowed its DLL search to the system folder
# (platform/SystemLibrary.h, platform/CommonControls.h). The names below are KnownDLLs on
# every Windows 10 and 11 (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs).
set -euo pipefail
objdump=$1 exe=$2
known='advapi32|comdlg32|gdi32|imagehlp|imm32|kernel32|msvcrt|normaliz|ole32|oleaut32|psapi|rpcrt4|setupapi|shell32|shlwapi|user32|wldap32|ws2_32'
dump=$("$objdump" -p "$exe")
imports=$(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "no import table found in $exe"; exit 1; }
bad=$(printf '%s\n' "$imports" | grep -Ev "^($known)\.dll$" || true)
echo "imports: $(echo $imports)"
if [ -n "$bad" ]; then
  echo "not a KnownDLL (load it from the system folder when needed instead): $(echo $bad)"
  exit 1
fi
subsystem=$(printf '%s\n' "$dump" | sed -n 's/^Subsystem\s*//p')
echo "subsystem: $subsystem"
case "$subsystem" in
  *"Windows GUI"*) ;;
  *) echo "not a GUI program"; exit 1 ;;
esac
