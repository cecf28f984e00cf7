#!/usr/bin/env bash
# Builds the third-party libraries for both Windows targets from Debian's source packages
# and caches them under $QEL_DEPS_DIR (default: .deps in the source tree, ignored by git).
#   <deps>/src/                      unpacked Debian source trees
#   <deps>/<arch>/include, lib/      libjpeg (static, no SIMD) and SQLite (static)
# The machine's apt configuration is left alone: a private deb-src list and private
# state folders are passed to apt-get with -o options.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
deps=${QEL_DEPS_DIR:-$root/.deps}
mkdir -p "$deps"
deps=$(cd "$deps" && pwd)
# Raised whenever the libraries' build flags change, so that an existing cache is rebuilt.
stamp_version=2

exec 9>"$deps/.lock"
flock 9

apt_dir=$deps/apt
apt_opts=(
  -o Dir::Etc::SourceList="$apt_dir/sources.list"
  -o Dir::Etc::SourceParts=/dev/null
  -o Dir::State::Lists="$apt_dir/lists"
  -o Dir::Cache="$apt_dir/cache"
  -o APT::Sandbox::User=root
  -o Debug::NoLocking=1
)

fetch_sources() {
  [ -f "$deps/src/.fetched" ] && return
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$deps/src"
  cat >"$apt_dir/sources.list" <<LIST
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
LIST
  apt-get "${apt_opts[@]}" -qq update
  (cd "$deps/src" && apt-get "${apt_opts[@]}" -qq source libjpeg-turbo sqlite3 >/dev/null)
  touch "$deps/src/.fetched"
}

src_dir() { # newest unpacked tree of a package
  find "$deps/src" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | sort | tail -n 1
}

amalgamation() {
  local out=$deps/sqlite-amalgamation
  [ -f "$out/sqlite3.c" ] && return
  local src; src=$(src_dir sqlite3)
  local work=$deps/build/sqlite-native
  rm -rf "$work"; mkdir -p "$work"
  (cd "$work" && "$src/configure" --disable-tcl >/dev/null && make -s sqlite3.c >/dev/null)
  mkdir -p "$out"
  cp "$work/sqlite3.c" "$work/sqlite3.h" "$work/sqlite3ext.h" "$out/"
}

build_for() {
  local arch=$1
  local prefix=$deps/$arch
  [ -f "$prefix/.built-$stamp_version" ] && return
  local cc=$arch-w64-mingw32-gcc-posix
  local tc=$root/cmake/toolchain-$arch.cmake
  local jsrc; jsrc=$(src_dir libjpeg-turbo)
  local work=$deps/build/$arch
  rm -rf "$work" "$prefix"; mkdir -p "$work/jpeg" "$work/sqlite" "$prefix/include" "$prefix/lib"

  # Both libraries are C code that no C++ exception ever passes through (libjpeg reports
  # errors by longjmp, the engine by result codes), so they carry no unwind tables; each
  # function and datum gets a section of its own, and the link drops what is not used.
  local lean=(-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables)

  # The banner is decoded once at start-up: libjpeg is built for size. Arithmetic coding
  # is left out; the banner, like nearly every JPEG, is Huffman-coded. NO_GETENV: the
  # library does not read a memory limit from the environment (the wizard reads none),
  # which also keeps the C library's scanf out of the program.
  cmake -S "$jsrc" -B "$work/jpeg" -DCMAKE_TOOLCHAIN_FILE="$tc" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_C_FLAGS="${lean[*]} -DNO_GETENV" -DCMAKE_C_FLAGS_RELEASE="-Os -DNDEBUG" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
    -DWITH_JPEG8=OFF -DREQUIRE_SIMD=OFF -DWITH_ARITH_DEC=OFF -DWITH_ARITH_ENC=OFF >/dev/null
  cmake --build "$work/jpeg" --target jpeg-static -j"$(nproc)" >/dev/null
  cp "$work/jpeg/libjpeg.a" "$prefix/lib/libjpeg.a"
  cp "$jsrc/jpeglib.h" "$jsrc/jmorecfg.h" "$jsrc/jerror.h" "$work/jpeg/jconfig.h" "$prefix/include/"

  # The engine carries the rows of an update: built for speed. Threads on; left out what
  # the wizard never uses (extension loading, shared cache, progress callbacks,
  # deprecated interfaces, JSON functions, the list of build options). File reads and
  # writes move the file pointer instead of passing an OVERLAPPED offset: with one Wine
  # posts every result to the file's completion port through its server, ten times the
  # cost of the write itself.
  "$cc" -O2 "${lean[@]}" -c "$deps/sqlite-amalgamation/sqlite3.c" -o "$work/sqlite/sqlite3.o" \
    -DSQLITE_THREADSAFE=1 -DSQLITE_DEFAULT_MEMSTATUS=0 -DSQLITE_WIN32_NO_OVERLAPPED \
    -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_OMIT_SHARED_CACHE -DSQLITE_OMIT_PROGRESS_CALLBACK \
    -DSQLITE_OMIT_DEPRECATED -DSQLITE_OMIT_JSON -DSQLITE_OMIT_COMPILEOPTION_DIAGS
  "$arch-w64-mingw32-ar" rcs "$prefix/lib/libsqlite3.a" "$work/sqlite/sqlite3.o"
  cp "$deps/sqlite-amalgamation/sqlite3.h" "$prefix/include/"
  touch "$prefix/.built-$stamp_version"
}

fetch_sources
amalgamation
build_for i686
build_for x86_64
echo "dependencies ready in $deps"
