# Sourced by the host's side of the emulated machine (boot.sh, run-in.sh): where its state lives
# and how its processes are found and ended. Expects $root, the clone.
#
# build/i686-machine   the machine: started, booted, ready, failed, stop-asked, starter.pid,
#                      qemu.pid, overlay.qcow2, console.log, start.log, jobs/
# build/i686-disk      the disk's build in the background (boot.sh --disk): pid, log, entry, rc
state="$root/build/i686-machine"
disk_state="$root/build/i686-disk"
machine_lock="$root/build/i686-machine.lock"

log() { echo "[i686-machine] $*" >&2; }

# The pid of this clone's QEMU, when it runs. A pid file outlives its process, and the number may
# since belong to another program: only a QEMU on this clone's overlay counts.
machine_pid() {
  local pid
  pid=$(cat "$state/qemu.pid" 2>/dev/null) || return 1
  [ -n "$pid" ] || return 1
  tr '\0' '\n' 2>/dev/null <"/proc/$pid/cmdline" | grep -qF -- "$state/overlay.qcow2" || return 1
  echo "$pid"
}
machine_runs() { machine_pid >/dev/null; }

# True while PID runs (a process that ended and waits for its parent to collect it does not).
process_alive() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# The processes below PID, deepest first.
process_tree_below() {
  local child
  for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
    process_tree_below "$child"
    echo "$child"
  done
}

# end_tree PID: ends PID and every process it started, whatever process group or session they
# moved to (timeout, setsid). The tree is frozen first, so that nothing in it starts another
# process while it is read; then TERM, and KILL for what still runs 10 s later.
end_tree() {
  local pid=$1 tree="" before="" round p alive
  process_alive "$pid" || return 0
  for round in 1 2 3 4 5; do
    tree="$(process_tree_below "$pid") $pid"
    # shellcheck disable=SC2086
    kill -STOP $tree 2>/dev/null || true
    [ "$tree" != "$before" ] || break
    before=$tree
  done
  # shellcheck disable=SC2086
  kill -TERM $tree 2>/dev/null || true
  # shellcheck disable=SC2086
  kill -CONT $tree 2>/dev/null || true
  for round in $(seq 50); do
    alive=""
    for p in $tree; do process_alive "$p" && alive+=" $p"; done
    [ -n "$alive" ] || return 0
    sleep 0.2
  done
  # shellcheck disable=SC2086
  kill -KILL $alive 2>/dev/null || true
}

# The last lines of the machine's console, for a machine that died or hangs.
console_tail() {
  [ -s "$state/console.log" ] || return 0
  echo "[i686-machine] the machine's console ($state/console.log) ends with:" >&2
  tail -n "${1:-30}" "$state/console.log" >&2
}
