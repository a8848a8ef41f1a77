# Sourced by the scripts that run Windows programs: one Wine prefix per build folder, quiet Wine,
# no Mono/Gecko installers, pinned language and time zone.
: "${TESSMARK_BUILD_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
export WINEPREFIX=${WINEPREFIX:-$TESSMARK_BUILD_ROOT/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8
export LC_ALL=C.UTF-8
export TZ=UTC
: "${TESSMARK_WINE64_LOADER:=/usr/lib/wine/wine64}"
if [ -x "$TESSMARK_WINE64_LOADER" ]; then
  TESSMARK_WINE=$TESSMARK_WINE64_LOADER
  export WINELOADER=$TESSMARK_WINE64_LOADER
else
  TESSMARK_WINE=$(command -v wine64 || command -v wine)
fi
export TESSMARK_WINE

source "$(dirname "${BASH_SOURCE[0]}")/i686-road.sh"

# True when scripts/i686-machine/boot.sh --start started (or is starting) the emulated machine
# for this clone: where the kernel runs no 32-bit code, 32-bit programs run inside it
# (scripts/i686-machine/run-in.sh). The machine belongs to the clone, whichever build folder
# (TESSMARK_BUILD_ROOT) a caller uses: scripts/dev-test.sh builds in folders of its own.
_tessmark_clone=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tessmark_i686_machine_started() {
  [ -f "$_tessmark_clone/build/i686-machine/started" ]
}
