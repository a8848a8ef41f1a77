#!/usr/bin/env bash
# Builds download_bench in a build folder (default build/x86_64-w64-mingw32, made when missing)
# and runs it under Wine. Arguments go to the program: --size-mib N --rounds N --folder DIR
# --cap-mibs N (per-connection cap of the capped run, 0: none) --capped-rounds N.
#   BUILD_DIR=build/dev-me-x86_64 tools/download_bench/run.sh --rounds 3
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=${BUILD_DIR:-$root/build/x86_64-w64-mingw32}
case "$dir" in /*) ;; *) dir="$root/$dir" ;; esac
# The dependencies come from the cache of scripts/build-deps.sh (TESSMARK_DEPS_CACHE).
bash "$root/scripts/build-deps.sh" >/dev/null
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-w64-mingw32.cmake" >/dev/null
fi
cmake --build "$dir" --target download_bench
export TESSMARK_BUILD_ROOT="$dir"
export WINEPREFIX=${WINEPREFIX:-$dir/wineprefix}
source "$root/scripts/wine-session.sh"
"$TESSMARK_WINE" "$dir/tools/download_bench/download_bench.exe" "$@"
