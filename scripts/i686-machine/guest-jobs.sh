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
# The loop writes: pid (the job's session), out (its output), then rc (its exit code) once it
# ended; a job that the loop ended says why on the last line of out.
set -uo pipefail
state=$1
# How long a waiter may stay silent before its job counts as abandoned.
stale_limit=${TESSMARK_I686_JOB_STALE_LIMIT:-30}
now() { cut -d. -f1 /proc/uptime; }

start_job() {
  local job=$1
  (
    # setsid -w: the job's status, also when setsid has to fork to make the session.
    setsid -w bash -c 'echo $$ >"$1/pid"; exec bash "$1/command"' job "$job" >"$job/out" 2>&1 </dev/null
    status=$?
    if [ -s "$job/ended" ]; then
      cat "$job/ended" >>"$job/out"
      status=$(cut -d' ' -f1 "$job/ended.code" 2>/dev/null || echo "$status")
    fi
    echo "$status" >"$job/rc.tmp"
    mv "$job/rc.tmp" "$job/rc"
  ) &
}

# end_job JOB CODE WHY: ends the job's whole session (TERM, then KILL 10 s later).
end_job() {
  local job=$1 code=$2 why=$3 session
  # Not yet started: asked again on the next round.
  session=$(cat "$job/pid" 2>/dev/null) || return 1
  [ -n "$session" ] || return 1
  echo "$code" >"$job/ended.code"
  echo "[i686-machine] $why" >"$job/ended"
  kill -TERM -- "-$session" 2>/dev/null || true
  ( sleep 10; kill -KILL -- "-$session" 2>/dev/null ) &
}

declare -A started_at=() limit=() beat=() beat_at=() ended=()
while [ ! -e "$state/stop" ]; do
  t=$(now)
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
