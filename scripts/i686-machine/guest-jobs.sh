#!/usr/bin/env bash
# The emulated machine's job loop (guest-runner.sh runs it once its Wine session is open): runs
# the jobs that scripts/i686-machine/run-in.sh leaves in STATE/jobs, several at once, each in a
# session of its own, until STATE/stop appears.
#   guest-jobs.sh STATE
# A job is a folder NAME.job. The host writes:
#   command   the bash script to run
#   limit     seconds the job may run (none or 0: no limit); run-in.sh keeps it below the time-out
#             of the test that waits for it, so that the job ends here, with its output, before
#             CTest ends the waiter on the host
#   alive     touched by the waiter on the host every few seconds; a job whose waiter is gone
#             (CTest killed it, its trap never ran) is ended, not left to take the desktop from
#             the next test
#   cancel    asks the job to end
# The loop writes: pid (the job's session: its leader's number and start time), out (its output),
# then rc (its exit code) once it ended; a job that the loop ended says why on the last line of out.
# Beside the jobs it touches STATE/alive every few seconds: the host's waiters take a machine whose
# loop went silent for minutes (a hung guest) as one that stopped.
set -uo pipefail
state=$1
source "$(dirname "$0")/../processes.sh"
# How long a waiter may stay silent before its job counts as abandoned.
stale_limit=${TESSMARK_I686_JOB_STALE_LIMIT:-30}
now() { cut -d. -f1 /proc/uptime; }

start_job() {
  local job=$1
  (
    # setsid -w: the job's status, also when setsid has to fork to make the session.
    setsid -w bash -c 'source "$2"; record_process "$1/pid" $$; exec bash "$1/command"' \
      job "$job" "$(dirname "$0")/../processes.sh" >"$job/out" 2>&1 </dev/null
    status=$?
    if [ -s "$job/ended" ]; then
      cat "$job/ended" >>"$job/out"
      status=$(cut -d' ' -f1 "$job/ended.code" 2>/dev/null || echo "$status")
    fi
    echo "$status" >"$job/rc.tmp"
    mv "$job/rc.tmp" "$job/rc"
  ) &
}

# session_signal SIGNAL LEADER START: signals the job's session (its process group) while it is
# the job's. The number is the job's while its leader runs; once the leader has ended, while any
# process of its group runs, since the kernel hands no number out that a group still uses. A
# leader's number that another process has by now is another session's.
session_signal() {
  local now
  if now=$(process_start "$2" 2>/dev/null) && [ "$now" != "$3" ]; then return 0; fi
  kill "-$1" -- "-$2" 2>/dev/null || true
}

# end_job JOB CODE WHY: ends the job's whole session (TERM, then KILL 10 s later).
end_job() {
  local job=$1 code=$2 why=$3 leader="" start=""
  # Not yet started: asked again on the next round.
  read -r leader start 2>/dev/null <"$job/pid" || true
  [ -n "$leader" ] && [ -n "$start" ] || return 1
  echo "$code" >"$job/ended.code"
  echo "[i686-machine] $why" >"$job/ended"
  session_signal TERM "$leader" "$start"
  ( sleep 10; session_signal KILL "$leader" "$start" ) &
}

declare -A started_at=() limit=() beat=() beat_at=() ended=()
alive_at=-3
while [ ! -e "$state/stop" ]; do
  t=$(now)
  if [ $((t - alive_at)) -ge 3 ]; then
    touch "$state/alive"
    alive_at=$t
  fi
  for job in "$state"/jobs/*.job; do
    [ -f "$job/command" ] || continue
    if [ -z "${started_at[$job]:-}" ]; then
      started_at[$job]=$t
      limit[$job]=$(cat "$job/limit" 2>/dev/null || echo 0)
      beat[$job]=$(stat -c %y "$job/alive" 2>/dev/null || echo none)
      beat_at[$job]=$t
      start_job "$job"
      continue
    fi
    [ ! -e "$job/rc" ] && [ -z "${ended[$job]:-}" ] || continue
    if [ -e "$job/cancel" ]; then
      end_job "$job" 143 "the job was cancelled by its waiter on the host" && ended[$job]=1
    elif [ "${limit[$job]:-0}" -gt 0 ] && [ $((t - started_at[$job])) -ge "${limit[$job]}" ]; then
      end_job "$job" 124 "the job ran for its limit of ${limit[$job]} s inside the machine (below its test's time-out) and was ended" &&
        ended[$job]=1
    else
      b=$(stat -c %y "$job/alive" 2>/dev/null || echo none)
      if [ "$b" != "${beat[$job]}" ]; then
        beat[$job]=$b
        beat_at[$job]=$t
      elif [ $((t - beat_at[$job])) -ge "$stale_limit" ]; then
        end_job "$job" 143 "the job's waiter on the host was gone for $stale_limit s: the job was ended" &&
          ended[$job]=1
      fi
    fi
  done
  # The host removes a job's folder once it has read the result.
  for job in "${!started_at[@]}"; do
    [ -d "$job" ] || unset "started_at[$job]" "limit[$job]" "beat[$job]" "beat_at[$job]" "ended[$job]"
  done
  sleep 0.2
done
