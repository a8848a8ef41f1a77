# Sourced: how this machine runs 32-bit programs, the one rule that the test command, CTest's
# emulator (wine-run.sh), the end-to-end suite, the run command and the package set-up follow.
#
#   tessmark_i686_road    sets TESSMARK_I686_ROAD to one of
#     native    the kernel runs them: Debian's 32-bit Wine loader starts, and no emulator is
#               registered for i386 programs
#     emulator  only through QEMU's user-mode emulator registered for i386 programs
#               (binfmt_misc), and TESSMARK_EMULATED_I686 asks for that road
#     machine   inside the emulated machine of scripts/i686-machine (the default where they do
#               not run natively)
#     none      not at all: TESSMARK_I686_MACHINE=0 leaves the machine out
#   and, for every road but native, TESSMARK_NO_32BIT_REASON to why they do not run natively.
#
# A registration for i386 programs left behind by an earlier TESSMARK_EMULATED_I686 run takes
# every 32-bit program, also on a kernel that could run it: the loader then starts, but only
# under the emulator, a minute per process, so it never counts as native.
: "${TESSMARK_WINE32_LOADER:=/usr/lib/wine/wine}"
: "${TESSMARK_BINFMT_DIR:=/proc/sys/fs/binfmt_misc}"

# True when 32-bit programs run through an emulator registered for them.
tessmark_32bit_emulated() {
  grep -qs '^enabled' "$TESSMARK_BINFMT_DIR/qemu-i386"
}

# True when the 32-bit Wine loader starts, natively or under a registered emulator.
tessmark_runs_32bit() {
  if [ ! -x "$TESSMARK_WINE32_LOADER" ]; then
    TESSMARK_NO_32BIT_REASON="the 32-bit Wine loader is not installed: scripts/install-packages.sh installs wine32"
    return 1
  fi
  if ! "$TESSMARK_WINE32_LOADER" --version >/dev/null 2>&1; then
    TESSMARK_NO_32BIT_REASON="the kernel refuses 32-bit executables (IA-32 emulation is off)"
    return 1
  fi
  return 0
}

# True when the kernel itself runs 32-bit programs here.
tessmark_runs_32bit_natively() {
  tessmark_runs_32bit || return 1
  if tessmark_32bit_emulated; then
    TESSMARK_NO_32BIT_REASON="32-bit programs run only under QEMU's user-mode emulator registered for them ($TESSMARK_BINFMT_DIR/qemu-i386)"
    return 1
  fi
  return 0
}

tessmark_i686_road() {
  TESSMARK_NO_32BIT_REASON=""
  if tessmark_runs_32bit_natively; then
    TESSMARK_I686_ROAD=native
  elif [ -n "${TESSMARK_EMULATED_I686:-}" ] && tessmark_32bit_emulated && tessmark_runs_32bit; then
    TESSMARK_NO_32BIT_REASON="32-bit programs run only under QEMU's user-mode emulator registered for them"
    TESSMARK_I686_ROAD=emulator
  elif [ "${TESSMARK_I686_MACHINE:-1}" != 0 ]; then
    TESSMARK_I686_ROAD=machine
  else
    TESSMARK_I686_ROAD=none
  fi
}
