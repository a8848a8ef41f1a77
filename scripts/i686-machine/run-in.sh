#!/usr/bin/env bash
# Runs one command inside the emulated machine that boot.sh --start started, in the same folder
# and with the project's own variables (TESSMARK_*, GTEST_*, E2E_*, WINEDEBUG), prints its output
# while it runs and ends with its exit code. Paths are the same inside (the clone is shared at its
# own path); the display and the Wine prefix are the machine's own.
#   run-in.sh COMMAND [ARGS...]      e.g. run-in.sh bash scripts/wine-run.sh build/.../x.exe
# Waits for the machine to be ready (TESSMARK_I686_MACHINE_BOOT_LIMIT seconds, default 1200).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
state="$root/build/i686-machine"
limit=${TESSMARK_I686_MACHINE_BOOT_LIMIT:-1200}
fail() { echo "[i686-machine] $*" >&2; [ -f "$state/console.log" ] && tail -n 20 "$state/console.log" >&2; exit 1; }

machine_runs() { kill -0 "$(cat "$state/qemu.pid" 2>/dev/null)" 2>/dev/null; }

[ -f "$state/started" ] || fail "the machine was not started (scripts/i686-machine/boot.sh --start)"
since() { echo $(($(date +%s) - $(cat "$1"))); }
while [ ! -e "$state/ready" ]; do
  [ -e "$state/failed" ] && fail "the machine could not be made: $(cat "$state/failed")"
  if [ -f "$state/booted" ]; then
    machine_runs || fail "the machine stopped before it was ready"
    [ "$(since "$state/booted")" -lt "$limit" ] || fail "the machine was not ready $limit s after its start"
  else
    # Its disk is being made (image.sh; about half an hour from nothing).
    [ "$(since "$state/started")" -lt 3600 ] || fail "the machine's disk was not made within an hour"
  fi
  sleep 0.5
done

job=$(mktemp -d "$state/jobs/XXXXXXXX.tmp")
{
  printf 'cd %q || exit 1\n' "$PWD"
  while IFS= read -r -d '' pair; do
    name=${pair%%=*}
    case "$name" in
      TESSMARK_WINE | TESSMARK_NO_32BIT_REASON | TESSMARK_BUILD_ROOT) ;;
      TESSMARK_* | GTEST_* | E2E_* | WINEDEBUG) printf 'export %s=%q\n' "$name" "${pair#*=}" ;;
    esac
  done < <(env -0)
  printf 'exec'; printf ' %q' "$@"; printf '\n'
} >"$job/command"
mv "$job" "${job%.tmp}.job"
job="${job%.tmp}.job"

trap 'touch "$job/cancel"; exit 143' TERM INT
( while [ ! -e "$job/rc" ] && machine_runs; do sleep 0.2; done ) &
waiter=$!
tail -n +1 -F --pid="$waiter" "$job/out" 2>/dev/null &
follower=$!
wait "$waiter"
wait "$follower"
if [ -e "$job/rc" ]; then
  status=$(cat "$job/rc")
else
  echo "[i686-machine] the machine stopped while $1 ran" >&2
  status=1
fi
rm -rf "$job"
exit "$status"
