#!/usr/bin/env bash
# Configures and builds the given targets (default: both) into build/<triplet>.
#   scripts/build.sh [x86_64] [i686]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(x86_64 i686)
for arch in "${targets[@]}"; do
  t="$arch-w64-mingw32"
  dir="$root/build/$t"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$t.cmake" >/dev/null
  fi
  echo "[build] $t" >&2
  cmake --build "$dir" -j "$(nproc)"
done
