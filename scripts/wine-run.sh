#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's environment; exit code passes through.
# A 32-bit program on a machine that runs no 32-bit code at all (the kernel's IA-32 emulation is
# off, and no emulator is registered for it) ends with 77, which CTest shows as "not run".
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
case "$(od -An -tx1 -j"$(($(od -An -tu4 -j60 -N4 "$1" 2>/dev/null || echo 0) + 4))" -N2 "$1" 2>/dev/null | tr -d ' \n')" in
  4c01)  # IMAGE_FILE_MACHINE_I386
    if ! tessmark_runs_32bit; then
      echo "not run: this machine cannot run 32-bit programs (${TESSMARK_NO_32BIT_REASON})" >&2
      exit 77
    fi
    ;;
esac
exec "$TESSMARK_WINE" "$@"
