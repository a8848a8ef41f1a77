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
out=$(mktemp) || { echo "[wine-run] no file for the output of $(basename "$1"): mktemp failed" >&2; exit 1; }
trap 'rm -f "$out"' EXIT
# Wine's error channel stays on: its messages (a DLL that does not load, a display that cannot be
# opened) are all that says why a program ended before it printed anything. Channels that the
# caller asked for (WINEDEBUG=warn+heap) win.
test_debug=${TESSMARK_TEST_WINEDEBUG:-err+all,fixme-all}
[ "$WINEDEBUG" = -all ] || test_debug=$WINEDEBUG
WINEDEBUG=$test_debug "$TESSMARK_WINE" "$@" >"$out" 2>&1 </dev/null &
program=$!
tail -n +1 -f --pid="$program" "$out" &
follower=$!
status=0
wait "$program" || status=$?
wait "$follower" || true
name=$(basename "$1")
if [ "$status" -ne 0 ]; then
  if grep -q '^Running main() from' "$out"; then
    echo "[wine-run] $name ended with exit code $status" >&2
  else
    # GoogleTest's main prints its first line at once (the output is unbuffered).
    echo "[wine-run] $name ended with exit code $status before its main ran: Wine ended it while it" \
         "started (exit code 1: its wineserver shut down, or ended it, while it waited there)" >&2
  fi
elif ! grep -q '^\[  PASSED  \]' "$out"; then
  # Wine reports exit code 0 for a process that it ended from outside (its wineserver shut down,
  # another process terminated it) while the process ran its own code: without GoogleTest's
  # closing line the tests did not all run.
  echo "[wine-run] $name ended with exit code 0 but without GoogleTest's closing line: it was ended" \
       "from outside (its wineserver shut down?)" >&2
  status=1
fi
exit "$status"
