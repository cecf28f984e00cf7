#!/usr/bin/env bash
# Lays out an installation medium from a folder of payload files.
#   make-medium.sh <payload-folder> <InstalaQEL.exe> <medium-folder>
# The payload folder holds the files under their installed names: QEL.exe, QEL.mdb,
# midas.dll, zav2003.chm, zav2005.chm, and the data-access setup files in a sub-folder
# "mdac". The medium receives the wizard, the markers disk.1 to disk.4 (every part of the
# medium unpacked), the application, database and support library under the medium's
# names ending in an underscore, the help files and the eighteen data-access setup files.
set -euo pipefail
payload=$1 wizard=$2 medium=$3

ado_files=(adot.mdb advpack.dll cabinet.dll cfgmgr32.dll Cliconf.gid dasetup.exe dasetup.ini
  dasetupr.dll mdaceula.txt mdacone.cab mdactwo.cab msvcrt.cab mtxfiles.cab oleaut.cab setup.exe
  setupapi.DLL w95inf16.DLL w95inf32.DLL)

for f in QEL.exe QEL.mdb midas.dll zav2003.chm zav2005.chm; do
  [ -f "$payload/$f" ] || { echo "make-medium: $payload/$f is missing" >&2; exit 1; }
done
for f in "${ado_files[@]}"; do
  [ -f "$payload/mdac/$f" ] || { echo "make-medium: $payload/mdac/$f is missing" >&2; exit 1; }
done

rm -rf "$medium"
mkdir -p "$medium"
cp "$wizard" "$medium/InstalaQEL.exe"
for n in 1 2 3 4; do printf 'QEL - disco %s\r\n' "$n" >"$medium/disk.$n"; done
cp "$payload/QEL.exe" "$medium/QEL.ex_"
cp "$payload/QEL.mdb" "$medium/QEL.md_"
cp "$payload/midas.dll" "$medium/midas.dl_"
cp "$payload/zav2003.chm" "$payload/zav2005.chm" "$medium/"
for f in "${ado_files[@]}"; do cp "$payload/mdac/$f" "$medium/$f"; done
echo "medium laid out in $medium"
