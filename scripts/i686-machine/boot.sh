#!/usr/bin/env bash
# Starts and stops the emulated machine (QEMU's system emulator, software emulation) on a disk
# made by image.sh, with the clone shared into it (9p) at the same absolute path.
#   boot.sh --disk            makes the machine's disk (image.sh) in the background, or finds it in
#                             the cache, and returns at once; a later --start takes its result
#   boot.sh --start [ENTRY]   marks the machine as started (from then on 32-bit programs wait for
#                             it: run-in.sh) and returns at once; in the background it waits for
#                             the disk, then starts QEMU on a copy-on-write overlay of it (the
#                             cache stays clean). Whatever makes it fail is said in "failed"
#   boot.sh --stop            ends all of the above that the calling command started, or that no
#                             running command did: the disk's build, a start still waiting for it
#                             (it then never starts QEMU), the machine (its runner first)
#   boot.sh --bake ENTRY      the disk's first start (image.sh): sets up the i386 packages and the
#                             Wine prefix on the disk itself, in the foreground
# One clone has one machine. The command that calls --disk or --start (the caller of this script:
# test.sh, dev-test.sh, run.sh) owns what it starts; while it runs, another command's --disk or
# --start ends with code 3 and says whose the machine is, and leaves it as it is: that command then
# uses the machine (run-in.sh) or says why it cannot.
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
  local pid start
  pid=$(machine_pid) || return 0
  start=$(process_start "$pid") || return 0
  touch "$state/stop"
  for _ in $(seq 100); do process_alive "$pid" || return 0; sleep 0.2; done
  end_tree "$pid" "$start"
}

# The command that called this script, as an owner record: its number, its start time and its
# name (the script it runs).
caller_record() {
  local name="" arg
  while IFS= read -r -d '' arg; do
    case "$arg" in *.sh) name=${arg#"$root"/}; break ;; esac
  done 2>/dev/null <"/proc/$PPID/cmdline"
  [ -n "$name" ] || name=$(cat "/proc/$PPID/comm" 2>/dev/null || echo "?")
  echo "$PPID $(process_start "$PPID") $name"
}
caller=$(caller_record)
caller_id=$(cut -d' ' -f1,2 <<<"$caller")

# in_use_by OWNER_FILE: true, printing the owner, when a running command other than the caller
# owns what the file is for.
in_use_by() {
  local pid start name
  read -r pid start name 2>/dev/null <"$1" || return 1
  [ "$pid $start" != "$caller_id" ] || return 1
  [ "$(process_start "$pid" 2>/dev/null)" = "$start" ] && process_alive "$pid" || return 1
  echo "$name (pid $pid)"
}

# Ends with code 3 when another running command of this clone owns the machine or its disk's
# build: they are left as they are.
refuse_when_in_use() {
  local owner
  owner=$(in_use_by "$state/owner") || owner=$(in_use_by "$disk_state/owner") || return 0
  log "the clone's emulated machine is in use by $owner: it is left as it is, and can be started" \
      "again once that command ends"
  exit 3
}

# The disk's build, in the background: its cache entry's folder goes to "entry.out", its exit code
# to "rc" once it ends. The build records itself in "pid" and removes it when it ends.
make_disk_in_background() {
  local pid
  rm -rf "$disk_state"; mkdir -p "$disk_state"
  echo "$caller" >"$disk_state/owner"
  ( record_process "$disk_state/pid" "$BASHPID"
    status=0
    bash "$here/image.sh" >"$disk_state/entry.out" 2>"$disk_state/log" </dev/null || status=$?
    echo "$status" >"$disk_state/rc.tmp"
    mv "$disk_state/rc.tmp" "$disk_state/rc"
    forget_process "$disk_state/pid" "$BASHPID" ) 8>&- &
  pid=$!
  # Back once the build is on record (or over), so that a stop right after this finds it.
  while [ ! -e "$disk_state/pid" ] && [ ! -e "$disk_state/rc" ] && process_alive "$pid"; do sleep 0.05; done
}

# In the background starter: the disk's cache entry, from the build that --disk started (waited
# for when it still runs, its failure taken as it is: building again from nothing would only fail
# once more, an hour later) or, without one, from image.sh here.
disk_entry() {
  if [ -f "$disk_state/owner" ]; then
    while [ ! -f "$disk_state/rc" ] && recorded_process "$disk_state/pid" >/dev/null; do sleep 1; done
    if [ "$(cat "$disk_state/rc" 2>/dev/null)" = 0 ]; then
      tail -n 1 "$disk_state/entry.out"
      return 0
    fi
    disk_failed "the machine's disk could not be made (image.sh ended with code $(cat "$disk_state/rc" 2>/dev/null || echo '?, it was ended'); log: $disk_state/log)" "$disk_state/log"
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
  trap 'status=$?; forget_process "$state/starter.pid" "$$"
        if [ $status -ne 0 ] && [ ! -e "$state/failed" ] && [ ! -e "$state/stop-asked" ]; then
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
  # QEMU's keeper records it and removes the record when it ends.
  # shellcheck disable=SC2046
  ( nohup nice qemu-system-x86_64 $(qemu_args "$state/overlay.qcow2" qcow2 "$entry" "$state/console.log") \
      -append "$(kernel_line run)" </dev/null >"$state/qemu.out" 2>&1 &
    qemu=$!
    record_process "$state/qemu.pid" "$qemu" || exit 0
    start=$(process_start "$qemu") || exit 0
    wait "$qemu" || true
    forget_process "$state/qemu.pid" "$qemu" "$start" ) 8>&- &
  pid=$!
  while [ ! -e "$state/qemu.pid" ] && process_alive "$pid"; do sleep 0.05; done
  flock -u 8
  exec 8>&-
  # QEMU that cannot start ends at once (bad arguments, too little memory).
  sleep 2
  if ! pid=$(recorded_process "$state/qemu.pid"); then
    { echo "QEMU did not start (log: $state/qemu.out):"; tail -n 20 "$state/qemu.out"; } >"$state/failed"
    exit 1
  fi
  date +%s >"$state/booted"
  log "started (pid $pid, $cpus processors, $memory; console: $state/console.log)"
}

mkdir -p "$root/build"
case "${1:-}" in
  --disk)
    exec 8>"$machine_lock"
    flock 8
    refuse_when_in_use
    end_recorded "$disk_state/pid"
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
    refuse_when_in_use
    end_recorded "$state/starter.pid"
    stop_machine
    rm -rf "$state"; mkdir -p "$state/jobs"
    echo "$caller" >"$state/owner"
    # Before anything goes into the background: from here on the 32-bit programs wait for this
    # machine (run-in.sh), also while its disk is still being made.
    date +%s >"$state/started"
    ( record_process "$state/starter.pid" "$BASHPID"
      exec nohup bash "$0" --run-start "${2:-}" ) </dev/null >"$state/start.log" 2>&1 8>&- &
    starter=$!
    while [ ! -e "$state/starter.pid" ] && process_alive "$starter"; do sleep 0.05; done
    ;;
  --run-start)
    run_start "${2:-}"
    ;;
  --stop)
    mkdir -p "$state"
    exec 8>"$machine_lock"
    flock 8
    if owner=$(in_use_by "$state/owner"); then
      log "the machine is left running: it is in use by $owner"
    else
      # A start still on its way sees this before it would start QEMU.
      touch "$state/stop-asked"
      flock -u 8
      end_recorded "$state/starter.pid"
      stop_machine
      # 32-bit programs no longer wait for it (scripts/wine-env.sh: tessmark_i686_machine_started).
      rm -f "$state/overlay.qcow2" "$state/started" "$state/booted" "$state/ready" "$state/owner"
    fi
    if owner=$(in_use_by "$disk_state/owner"); then
      log "the disk's build is left running: it is in use by $owner"
    else
      end_recorded "$disk_state/pid"
      rm -f "$disk_state/owner"
    fi
    ;;
  *)
    sed -n '2,23p' "$0" >&2; exit 2 ;;
esac
