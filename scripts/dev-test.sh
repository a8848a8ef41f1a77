#!/usr/bin/env bash
# For developers working side by side: builds some targets in a private build folder and runs
# their tests in a private Wine prefix, so that parallel work does not share ninja or wineserver.
#   scripts/dev-test.sh NAME [--arch i686] TARGET... [-- ctest arguments]
# Example: scripts/dev-test.sh engine engine_download_tests -- -R engine_download
# The dependencies come from the cache of scripts/build-deps.sh (TESSMARK_DEPS_CACHE, default
# /var/cache/tessmark-deps).
set -euo pipefail
usage() {
  sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
[ $# -ge 1 ] || usage
case "$1" in -h|--help) usage ;; esac
root=$(cd "$(dirname "$0")/.." && pwd)
name=$1; shift
arch=x86_64
if [ "${1:-}" = "--arch" ]; then arch=${2:?}; shift 2; fi
targets=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do targets+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
bash "$root/scripts/build-deps.sh" >/dev/null
t="$arch-w64-mingw32"
dir="$root/build/dev-$name-$arch"
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$t.cmake" >/dev/null
fi
cmake --build "$dir" -j 4 ${targets[@]:+--target "${targets[@]}"}
export TESSMARK_BUILD_ROOT="$dir"
export WINEPREFIX="$dir/wineprefix"
source "$root/scripts/wine-session.sh"
# Where the kernel runs no 32-bit code the i686 tests run in the clone's emulated machine: the one
# that another command of the clone runs already (boot.sh --start answers 3), or one started here
# for this call and stopped after it.
if [ "$arch" = i686 ]; then
  tessmark_i686_road
  if [ "$TESSMARK_I686_ROAD" = machine ]; then
    machine_status=0
    bash "$root/scripts/i686-machine/boot.sh" --start || machine_status=$?
    case $machine_status in
      0) tessmark_at_exit 'bash "$root/scripts/i686-machine/boot.sh" --stop' ;;
      3) ;;
      *) exit "$machine_status" ;;
    esac
  fi
fi
cd "$dir"
tessmark_waited ctest --output-on-failure "$@"
