#!/usr/bin/env bash
# Makes the demo payload and an installed older QEL from the demo programs the build made.
#   make-payload.sh <demo-folder> <QelApp-3.2.3.exe> <QelApp-3.1.9.exe> <setup.exe> <midas.dll>
# Writes <demo-folder>/payload (the files a medium is laid out from) and
# <demo-folder>/installed-3.1.9 (what an older installation holds). The databases are files
# of the embedded engine's format, made with the sqlite3 command-line tool.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1 app_new=$2 app_old=$3 setup=$4 midas=$5

rm -rf "$out/payload" "$out/installed-3.1.9"
mkdir -p "$out/payload/mdac" "$out/installed-3.1.9"

cp "$app_new" "$out/payload/QEL.exe"
sqlite3 "$out/payload/QEL.mdb" <"$here/schema-3.2.0.sql"
cp "$midas" "$out/payload/midas.dll"
printf 'QEL - ajuda do sistema (leiaute 2003)\r\n' >"$out/payload/zav2003.chm"
printf 'QEL - ajuda do sistema (leiaute 2005)\r\n' >"$out/payload/zav2005.chm"

# The data-access setup files: the stand-in setup program, the rest small files of its own.
for f in adot.mdb advpack.dll cabinet.dll cfgmgr32.dll Cliconf.gid dasetup.exe dasetup.ini \
         dasetupr.dll mdaceula.txt mdacone.cab mdactwo.cab msvcrt.cab mtxfiles.cab oleaut.cab \
         setupapi.DLL w95inf16.DLL w95inf32.DLL; do
  printf 'demo data-access setup file %s\r\n' "$f" >"$out/payload/mdac/$f"
done
cp "$setup" "$out/payload/mdac/setup.exe"

cp "$app_old" "$out/installed-3.1.9/QEL.exe"
sqlite3 "$out/installed-3.1.9/QEL.mdb" <"$here/schema-3.1.9.sql"
sqlite3 "$out/installed-3.1.9/QEL.mdb" <"$here/rows-installed.sql"
printf 'QEL 3.1.9 - ajuda (leiaute 2003)\r\n' >"$out/installed-3.1.9/zav2003.chm"
printf 'QEL 3.1.9 - ajuda (leiaute 2005)\r\n' >"$out/installed-3.1.9/zav2005.chm"
echo "demo payload in $out/payload, installed 3.1.9 in $out/installed-3.1.9"
