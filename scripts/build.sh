#!/usr/bin/env bash
# Configures and builds one target architecture.
#   scripts/build.sh [i686|x86_64] [targets...]   (default: i686, everything) -> build/<arch>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-i686}
shift || true
targets=()
for t in "$@"; do targets+=(--target "$t"); done
build=${QEL_BUILD_DIR:-$root/build}/$arch
deps=${QEL_DEPS_DIR:-$root/.deps}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" "${generator[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
    -DQEL_DEPS_DIR="$deps" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
