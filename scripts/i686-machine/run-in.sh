#!/usr/bin/env bash
# Runs one command inside the emulated machine that boot.sh --start started, in the same folder
# and with the project's own variables (TESSMARK_*, GTEST_*, E2E_*, WINEDEBUG), prints its output
# while it runs and ends with its exit code. Paths are the same inside (the clone is shared at its
# own path); the display and the Wine prefix are the machine's own.
#   run-in.sh COMMAND [ARGS...]      e.g. run-in.sh bash scripts/wine-run.sh build/.../x.exe
# Waits for the machine to be ready (TESSMARK_I686_MACHINE_BOOT_LIMIT seconds after QEMU's start,
# default 1200; an hour for its disk). Under CTest, TESSMARK_TEST_TIMEOUT (the test's time-out)
# bounds it all: the command gets what is left of it, less a margin, and is ended inside the
# machine when it runs out, so that the test fails with its output and the reason before CTest
# ends it without either. Without a test's time-out the command may run for
# TESSMARK_I686_JOB_LIMIT seconds (default 7200: a whole test run inside takes about 25 minutes).
# A machine whose job loop gives no sign of life for TESSMARK_I686_MACHINE_SILENCE_LIMIT seconds
# (default 180; it touches "alive" every 3 s) counts as hung: the command fails then.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/host.sh"
boot_limit=${TESSMARK_I686_MACHINE_BOOT_LIMIT:-1200}
silence_limit=${TESSMARK_I686_MACHINE_SILENCE_LIMIT:-180}
budget=${TESSMARK_TEST_TIMEOUT:-0}
begun=$(date +%s)
# The part of the test's time that is kept for ending the job and reporting it.
margin=$((budget / 10))
[ "$margin" -le 60 ] || margin=60
[ "$margin" -ge 12 ] || margin=12
fail() {
  log "$*"
  console_tail 20
  exit 1
}
left() { echo $((budget - ($(date +%s) - begun) - margin)); }
since() { echo $(($(date +%s) - $(cat "$1"))); }
# How long the machine's job loop has been silent: since its last sign of life, or since it was
# ready, before its first.
silent_for() {
  local last
  last=$(stat -c %Y "$state/alive" 2>/dev/null || stat -c %Y "$state/ready" 2>/dev/null || date +%s)
  echo $(($(date +%s) - last))
}

[ -f "$state/started" ] || fail "the machine was not started (scripts/i686-machine/boot.sh --start)"
while [ ! -e "$state/ready" ]; do
  [ -e "$state/failed" ] && fail "the machine could not be started: $(cat "$state/failed")"
  [ -f "$state/started" ] || fail "the machine was stopped (scripts/i686-machine/boot.sh --stop)"
  if [ -f "$state/booted" ]; then
    machine_runs || fail "the machine stopped before it was ready"
    [ "$(since "$state/booted")" -lt "$boot_limit" ] || fail "the machine was not ready $boot_limit s after its start"
  else
    # Its disk is being made (image.sh; half an hour or more from nothing).
    [ "$(since "$state/started")" -lt 3600 ] || fail "the machine's disk was not made within an hour"
  fi
  if [ "$budget" -gt 0 ] && [ "$(left)" -le 0 ]; then
    fail "the machine was not ready within this test's time-out ($budget s)"
  fi
  sleep 0.5
done

limit=${TESSMARK_I686_JOB_LIMIT:-7200}
if [ "$budget" -gt 0 ]; then
  limit=$(left)
  [ "$limit" -gt 0 ] || fail "no time of this test's time-out ($budget s) is left for $1"
fi

job=$(mktemp -d "$state/jobs/XXXXXXXX.tmp" 2>&1) || fail "the job for $1 could not be handed to the machine: $job"
{
  printf 'cd %q || exit 1\n' "$PWD"
  while IFS= read -r -d '' pair; do
    name=${pair%%=*}
    case "$name" in
      TESSMARK_WINE | TESSMARK_WINE32_LOADER | TESSMARK_WINE64_LOADER | TESSMARK_NO_32BIT_REASON | \
      TESSMARK_BUILD_ROOT | TESSMARK_I686_ROAD) ;;
      TESSMARK_* | GTEST_* | E2E_* | WINEDEBUG) printf 'export %s=%q\n' "$name" "${pair#*=}" ;;
    esac
  done < <(env -0)
  printf 'exec'; printf ' %q' "$@"; printf '\n'
} >"$job/command" && echo "$limit" >"$job/limit" && touch "$job/alive" && mv "$job" "${job%.tmp}.job" ||
  fail "the job for $1 could not be handed to the machine (in $job)"
job="${job%.tmp}.job"
handed=$(date +%s)

# The waiter: the machine's loop sees it alive (guest-jobs.sh) and ends the job when it is gone.
# It ends when the job has its exit code (0), when the machine stopped (1), when the machine
# did not end the job past its limit (2), when the machine's loop went silent (3), or when this
# script is gone (4: it was killed, by CTest say, and no trap of it ran).
me=$(process_start $$)
(
  while [ ! -e "$job/rc" ]; do
    [ "$(process_start $$ 2>/dev/null)" = "$me" ] && process_alive $$ || exit 4
    machine_runs || exit 1
    if [ "$limit" -gt 0 ] && [ $(($(date +%s) - handed)) -gt $((limit + margin * 3 / 4)) ]; then
      exit 2
    fi
    [ "$(silent_for)" -lt "$silence_limit" ] || exit 3
    touch "$job/alive"
    sleep 1
  done
) &
waiter=$!
tail -n +1 -F --pid="$waiter" "$job/out" 2>/dev/null &
follower=$!
trap 'touch "$job/cancel"; kill "$waiter" "$follower" 2>/dev/null; exit 143' TERM INT
waited=0
wait "$waiter" || waited=$?
wait "$follower"
case "$waited" in
  0) status=$(cat "$job/rc") ;;
  2)
    # The folder stays: the machine's loop still has to end the job.
    touch "$job/cancel"
    log "the machine did not end $1 after its limit of $limit s"
    console_tail 30
    exit 1 ;;
  3)
    touch "$job/cancel"
    log "the machine stopped answering while $1 ran: its job loop gave no sign of life for $(silent_for) s"
    console_tail 30
    exit 1 ;;
  *)
    log "the machine stopped while $1 ran"
    console_tail 30
    status=1 ;;
esac
rm -rf "$job"
exit "$status"
