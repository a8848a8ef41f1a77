#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's environment; exit code passes through.
# A 32-bit program runs as scripts/i686-road.sh says this machine runs them: here where the
# kernel runs them; where it does not, inside the emulated machine of scripts/i686-machine when
# one was started (scripts/test.sh starts it unless TESSMARK_I686_MACHINE=0), through this same
# script there; under QEMU's user-mode emulator where TESSMARK_EMULATED_I686 asks for that (about
# a minute per process start), but for a test that starts many programs of its own
# (TESSMARK_TEST_STARTS_PROCESSES) unless TESSMARK_EMULATED_PROCESS_TESTS asks for it too. A
# 32-bit program that cannot run ends with 77, which CTest shows as "not run", with the reason on
# its output.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
case "$(od -An -tx1 -j"$(($(od -An -tu4 -j60 -N4 "$1" 2>/dev/null || echo 0) + 4))" -N2 "$1" 2>/dev/null | tr -d ' \n')" in
  4c01)  # IMAGE_FILE_MACHINE_I386
    tessmark_i686_road
    case "$TESSMARK_I686_ROAD" in
      machine)
        if tessmark_i686_machine_started; then
          # The emulated machine runs it, through this same script inside.
          here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
          exec bash "$here/i686-machine/run-in.sh" bash "$here/wine-run.sh" "$@"
        fi
        echo "not run: this machine cannot run 32-bit programs (${TESSMARK_NO_32BIT_REASON})" \
             "and its emulated machine was not started (scripts/i686-machine/boot.sh --start; scripts/test.sh starts it)" >&2
        exit 77 ;;
      none)
        echo "not run: this machine cannot run 32-bit programs (${TESSMARK_NO_32BIT_REASON})" \
             "and TESSMARK_I686_MACHINE=0 leaves the emulated machine out" >&2
        exit 77 ;;
      emulator)
        if [ -n "${TESSMARK_TEST_DATA:-}" ] && [ -n "${TESSMARK_TEST_STARTS_PROCESSES:-}" ] &&
           [ -z "${TESSMARK_EMULATED_PROCESS_TESTS:-}" ]; then
          # A test executable (CTest gives each one TESSMARK_TEST_DATA) that starts many programs.
          echo "not run: this test starts many 32-bit programs, each about a minute under the emulator;" \
               "TESSMARK_EMULATED_PROCESS_TESTS=1 runs it all the same (for hours)" >&2
          exit 77
        fi ;;
    esac
    ;;
esac
if [ -z "${TESSMARK_TEST_DATA:-}" ]; then
  exec "$TESSMARK_WINE" "$@"
fi
# Under CTest: Wine starts its background programs (the desktop window's process and the like)
# from whichever program needs them first, and they keep that program's standard output open for
# the rest of the session. CTest would wait for that pipe to close until its time-out, long after
# the test ended. So the test writes into a file, and a follower that ends with the test copies it
# onto CTest's pipe while it runs.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$TESSMARK_WINE" "$@" >"$out" 2>&1 </dev/null &
program=$!
tail -n +1 -f --pid="$program" "$out" &
follower=$!
status=0
wait "$program" || status=$?
wait "$follower" || true
# A program that dies hard loses what it had buffered; the code at least says how it ended.
[ "$status" -eq 0 ] || echo "[wine-run] $(basename "$1") ended with exit code $status" >&2
exit "$status"
