#!/usr/bin/env bash
# Prepares a Debian 12 machine for building and testing: installs the Debian packages
# the build needs and builds the third-party libraries for the Windows targets.
# Idempotent and non-interactive; safe to run before every build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)

packages=(
  cmake make ninja-build pkg-config
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb x11-utils xdotool imagemagick
  tcl dpkg-dev xz-utils ca-certificates python3
  googletest sqlite3 file fonts-wine fonts-liberation
)

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo -n "$@"; fi
}

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
elif [ "${need_update:-0}" = 1 ]; then
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
fi

"$here/build-deps.sh"
