#!/usr/bin/env bash
# Starts and stops the emulated machine (QEMU's system emulator, software emulation) on a disk
# made by image.sh, with the clone shared into it (9p) at the same absolute path.
#   boot.sh --disk            makes the machine's disk (image.sh) in the background, or finds it in
#                             the cache, and returns at once; a later --start takes its result
#   boot.sh --start [ENTRY]   marks the machine as started (from then on 32-bit programs wait for
#                             it: run-in.sh) and returns at once; in the background it waits for
#                             the disk, then starts QEMU on a copy-on-write overlay of it (the
#                             cache stays clean). Whatever makes it fail is said in "failed"
#   boot.sh --stop            ends all of the above that still runs: the disk's build, a start
#                             still waiting for it (it then never starts QEMU), the machine (its
#                             runner first)
#   boot.sh --bake ENTRY      the disk's first start (image.sh): sets up the i386 packages and the
#                             Wine prefix on the disk itself, in the foreground
# The machine's state (overlay, console log, jobs) is in build/i686-machine of the clone, the
# disk build's in build/i686-disk (scripts/i686-machine/host.sh).
# TESSMARK_I686_MACHINE_CPUS (default 4) and TESSMARK_I686_MACHINE_MEMORY (default 6G) size it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cpus=${TESSMARK_I686_MACHINE_CPUS:-4}
memory=${TESSMARK_I686_MACHINE_MEMORY:-6G}
source "$here/host.sh"
source "$here/machine.sh"

# Ends this clone's machine: its runner ends the jobs and powers it off; QEMU is ended when that
# takes longer than 20 s.
stop_machine() {
  local pid
  pid=$(machine_pid) || return 0
  touch "$state/stop"
  for _ in $(seq 100); do process_alive "$pid" || return 0; sleep 0.2; done
  end_tree "$pid"
}

# Ends a background process of ours named in a pid file, with all it started.
end_recorded() {
  local pid
  pid=$(cat "$1" 2>/dev/null) || return 0
  [ -n "$pid" ] && end_tree "$pid"
  rm -f "$1"
}

# The disk's build, in the background: its cache entry's folder goes to "entry", its exit code
# to "rc" once it ends.
make_disk_in_background() {
  rm -rf "$disk_state"; mkdir -p "$disk_state"
  ( status=0
    bash "$here/image.sh" >"$disk_state/entry.out" 2>"$disk_state/log" </dev/null || status=$?
    echo "$status" >"$disk_state/rc" ) 8>&- &
  echo $! >"$disk_state/pid"
}

# In the background starter: the disk's cache entry, from the build that --disk started (waited
# for when it still runs, its failure taken as it is: building again from nothing would only fail
# once more, an hour later) or, without one, from image.sh here.
disk_entry() {
  local pid
  if [ -f "$disk_state/pid" ]; then
    pid=$(cat "$disk_state/pid")
    while [ ! -f "$disk_state/rc" ] && process_alive "$pid"; do sleep 1; done
    if [ "$(cat "$disk_state/rc" 2>/dev/null)" = 0 ]; then
      tail -n 1 "$disk_state/entry.out"
      return 0
    fi
    disk_failed "the machine's disk could not be made (image.sh ended with code $(cat "$disk_state/rc" 2>/dev/null || echo '?'); log: $disk_state/log)" "$disk_state/log"
  fi
  if bash "$here/image.sh" 2>"$state/image.log" | tail -n 1 >"$state/entry"; then
    cat "$state/entry"
    return 0
  fi
  disk_failed "the machine's disk could not be made (log: $state/image.log)" "$state/image.log"
}

disk_failed() {
  { echo "$1"; echo "its last lines:"; tail -n 20 "$2" 2>/dev/null; } >"$state/failed.tmp"
  mv "$state/failed.tmp" "$state/failed"
  cat "$state/failed" >&2
  exit 1
}

# The background half of --start. Any step that fails says so in "failed", which the waiters
# (run-in.sh) report at once.
run_start() {
  local entry=${1:-} pid
  failed_at=""
  trap 'failed_at="line $LINENO: $BASH_COMMAND"' ERR
  trap 'status=$?; if [ $status -ne 0 ] && [ ! -e "$state/failed" ] && [ ! -e "$state/stop-asked" ]; then
          echo "boot.sh --start failed (exit code $status${failed_at:+, at $failed_at}; log: $state/start.log)" >"$state/failed"
        fi' EXIT
  [ -n "$entry" ] || entry=$(disk_entry) || exit 1
  [ -f "$entry/.ready" ] || disk_failed "the machine's disk is not ready: $entry" /dev/null
  exec 8>"$machine_lock"
  flock 8
  # A stop asked meanwhile (the command ended while the disk was still being made) wins.
  if [ -e "$state/stop-asked" ]; then
    log "stopped before the machine started"
    exit 0
  fi
  qemu-img create -q -f qcow2 -F raw -b "$entry/disk.raw" "$state/overlay.qcow2"
  # shellcheck disable=SC2046
  nohup nice qemu-system-x86_64 $(qemu_args "$state/overlay.qcow2" qcow2 "$entry" "$state/console.log") \
    -append "$(kernel_line run)" </dev/null >"$state/qemu.out" 2>&1 8>&- &
  pid=$!
  echo "$pid" >"$state/qemu.pid"
  flock -u 8
  exec 8>&-
  # QEMU that cannot start ends at once (bad arguments, too little memory).
  sleep 2
  if ! process_alive "$pid"; then
    { echo "QEMU did not start (log: $state/qemu.out):"; tail -n 20 "$state/qemu.out"; } >"$state/failed"
    exit 1
  fi
  date +%s >"$state/booted"
  log "started (pid $pid, $cpus processors, $memory; console: $state/console.log)"
}

mkdir -p "$root/build"
case "${1:-}" in
  --disk)
    make_disk_in_background
    ;;
  --bake)
    entry=$2
    start=$(date +%s)
    # shellcheck disable=SC2046
    timeout 3600 qemu-system-x86_64 $(qemu_args "$entry/disk.raw" raw "$entry" "$entry/bake-console.log") \
      -append "$(kernel_line bake)"
    grep -q '^tessmark-bake: done' "$entry/bake-console.log" || {
      log "the machine's first start did not finish (console: $entry/bake-console.log)"
      tail -n 30 "$entry/bake-console.log" >&2
      exit 1
    }
    log "first start took $(($(date +%s) - start)) s"
    ;;
  --start)
    exec 8>"$machine_lock"
    flock 8
    end_recorded "$state/starter.pid"
    stop_machine
    rm -rf "$state"; mkdir -p "$state/jobs"
    # Before anything goes into the background: from here on the 32-bit programs wait for this
    # machine (run-in.sh), also while its disk is still being made.
    date +%s >"$state/started"
    nohup bash "$0" --run-start "${2:-}" </dev/null >"$state/start.log" 2>&1 8>&- &
    echo $! >"$state/starter.pid"
    ;;
  --run-start)
    run_start "${2:-}"
    ;;
  --stop)
    mkdir -p "$state"
    exec 8>"$machine_lock"
    flock 8
    # A start still on its way sees this before it would start QEMU.
    touch "$state/stop-asked"
    flock -u 8
    end_recorded "$state/starter.pid"
    end_recorded "$disk_state/pid"
    stop_machine
    # 32-bit programs no longer wait for it (scripts/wine-env.sh: tessmark_i686_machine_started).
    rm -f "$state/overlay.qcow2" "$state/started" "$state/booted" "$state/ready"
    ;;
  *)
    sed -n '2,19p' "$0" >&2; exit 2 ;;
esac
