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
if [ -x /usr/lib/wine/wine64 ]; then
  TESSMARK_WINE=/usr/lib/wine/wine64
  export WINELOADER=/usr/lib/wine/wine64
else
  TESSMARK_WINE=$(command -v wine64 || command -v wine)
fi
export TESSMARK_WINE
