#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix, creating the prefix on first use.
#   wine-run.sh <prefix-folder> <i686|x86_64> <program.exe> [arguments...]
# The prefix is prepared for running without a window manager (Wine draws the frames
# itself, no freeze when windows hide) and gets Wine's own TrueType fonts.
set -euo pipefail
prefix=$1 arch=$2
shift 2

export WINEPREFIX=$prefix
if [ "$arch" = i686 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers; a caller's own overrides (a test disabling a DLL) come first.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mscoree,mshtml="

prepare() {
  [ -f "$prefix/.qel-ready" ] && return
  mkdir -p "$(dirname "$prefix")"
  exec 8>"$prefix.lock"
  flock 8
  [ -f "$prefix/.qel-ready" ] && return
  rm -rf "$prefix"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # The layout asks for Times New Roman; Wine has no such face of its own.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'Times New Roman' /d 'Liberation Serif' /f >/dev/null 2>&1
  wineserver -w
  fonts=$prefix/drive_c/windows/Fonts
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
  for f in /usr/share/fonts/truetype/liberation/LiberationSerif-*.ttf; do
    [ -f "$f" ] && cp "$f" "$fonts/"
  done
  touch "$prefix/.qel-ready"
  flock -u 8
}

prepare
# Wine's own background processes (the server, the desktop, services) start from the
# first program of a session and inherit its output; a test runner reading that output
# would wait for them. So the program writes to a file, which is passed on at its end.
out=$(mktemp "${TMPDIR:-/tmp}/qel-wine-out.XXXXXX")
trap 'rm -f "$out"' EXIT
rc=0
wine "$@" </dev/null >"$out" 2>&1 || rc=$?
cat "$out"
exit $rc
