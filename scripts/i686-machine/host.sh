# Sourced by the host's side of the emulated machine (boot.sh, run-in.sh): where its state lives
# and how its processes are found and ended. Expects $root, the clone.
#
# build/i686-machine   the machine: owner, started, booted, ready, alive, failed, stop-asked,
#                      starter.pid, qemu.pid, overlay.qcow2, console.log, start.log, jobs/
# build/i686-disk      the disk's build in the background (boot.sh --disk): owner, pid, log,
#                      entry.out, rc
# A .pid file holds a process's number and start time (scripts/processes.sh) and is removed when
# that process ends; "owner" names the command that started the machine or the disk's build.
source "$root/scripts/processes.sh"
state="$root/build/i686-machine"
disk_state="$root/build/i686-disk"
machine_lock="$root/build/i686-machine.lock"

log() { echo "[i686-machine] $*" >&2; }

# The pid of this clone's QEMU, while it runs: the process that qemu.pid records (its number and
# start time), on this clone's overlay.
machine_pid() {
  local pid arg
  pid=$(recorded_process "$state/qemu.pid") || return 1
  while IFS= read -r -d '' arg; do
    case "$arg" in
      "file=$state/overlay.qcow2,"*) echo "$pid"; return 0 ;;
    esac
  done 2>/dev/null <"/proc/$pid/cmdline"
  return 1
}
machine_runs() { machine_pid >/dev/null; }

# The last lines of the machine's console, for a machine that died or hangs.
console_tail() {
  [ -s "$state/console.log" ] || return 0
  echo "[i686-machine] the machine's console ($state/console.log) ends with:" >&2
  tail -n "${1:-30}" "$state/console.log" >&2
}
