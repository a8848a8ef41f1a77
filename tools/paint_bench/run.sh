#!/usr/bin/env bash
# Times the painting of a 100-control window through the SkinUI tree against the same picture
# painted with plain GDI/msimg32 calls, both in one Wine process.
#   tools/paint_bench/run.sh BUILD_DIR [PAINTS]
# BUILD_DIR is an x86_64 build folder in which paint_bench was built (this script builds nothing),
# e.g. build/x86_64-w64-mingw32. PAINTS defaults to 200.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?usage: run.sh BUILD_DIR [PAINTS]}" && pwd)
exe="$build/tools/paint_bench/paint_bench.exe"
[ -f "$exe" ] || { echo "no $exe: build the paint_bench target first" >&2; exit 2; }
export TESSMARK_BUILD_ROOT="$build"
source "$root/scripts/wine-session.sh"
"$TESSMARK_WINE" "$exe" --paints "${2:-200}" 2>/dev/null | tr -d '\r'
