#!/usr/bin/env bash
# Runs window_bench under Wine on an X display (the current one, or one started for the run).
# BUILD_DIR is an x86_64 build folder in which the window_bench target was built (this script
# builds nothing); further arguments go to the program (--runs N).
#   tools/window_bench/run.sh build/x86_64-w64-mingw32 --runs 51
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: run.sh BUILD_DIR [--runs N]}" && pwd)
shift
exe="$build/tools/window_bench/window_bench.exe"
[ -f "$exe" ] || { echo "no $exe: build the window_bench target first" >&2; exit 2; }
source "$root/scripts/wine-session.sh"
"$TESSMARK_WINE" "$exe" "$@" | tr -d '\r'
