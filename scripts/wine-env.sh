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

# True when 32-bit programs can run here: Debian's 32-bit Wine loader starts (natively, or
# through an emulator registered for i386 programs). Sets TESSMARK_NO_32BIT_REASON otherwise.
tessmark_runs_32bit() {
  if [ ! -x /usr/lib/wine/wine ]; then
    TESSMARK_NO_32BIT_REASON="the 32-bit Wine loader is not installed: scripts/install-packages.sh installs wine32"
    return 1
  fi
  if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    TESSMARK_NO_32BIT_REASON="the kernel refuses 32-bit executables (IA-32 emulation is off)"
    return 1
  fi
  return 0
}

# True when scripts/i686-machine/boot.sh --start started (or is starting) the emulated machine
# for this clone: where the kernel runs no 32-bit code, 32-bit programs run inside it
# (scripts/i686-machine/run-in.sh).
tessmark_i686_machine_started() {
  [ -f "$TESSMARK_BUILD_ROOT/i686-machine/started" ]
}

# True when 32-bit programs run through an emulator registered for them (the kernel runs none).
tessmark_32bit_emulated() {
  grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386
}
