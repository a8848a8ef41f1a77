#!/usr/bin/env bash
# Starts and stops the emulated machine (QEMU's system emulator, software emulation) on a disk
# made by image.sh, with the clone shared into it (9p) at the same absolute path.
#   boot.sh --start [ENTRY]   starts it in the background on a copy-on-write overlay of the cached
#                             disk (the cache stays clean) and returns; scripts/i686-machine/run-in.sh
#                             waits until it is ready
#   boot.sh --stop            asks the runner inside to end, then stops the machine
#   boot.sh --bake ENTRY      the disk's first start (image.sh): sets up the i386 packages and the
#                             Wine prefix on the disk itself, in the foreground
# The machine's state (overlay, console log, jobs) is in build/i686-machine of the clone.
# TESSMARK_I686_MACHINE_CPUS (default 4) and TESSMARK_I686_MACHINE_MEMORY (default 6G) size it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
state="$root/build/i686-machine"
cpus=${TESSMARK_I686_MACHINE_CPUS:-4}
memory=${TESSMARK_I686_MACHINE_MEMORY:-6G}
log() { echo "[i686-machine] $*" >&2; }

# qemu ARGS...: the machine with the clone shared at its own path; MODE goes to the runner.
qemu_args() {
  local disk=$1 format=$2 mode=$3 entry=$4 console=$5
  # No SMAP for the emulated processor: this QEMU reads the stack of an iretq made in user mode
  # (Wine returns from its system calls that way) as the kernel would, and with SMAP on that read
  # faults and the kernel ends the program.
  echo -accel tcg,thread=multi -cpu max,smap=off -smp "$cpus" -m "$memory" \
    -nodefaults -display none -monitor none -no-reboot -nic none \
    -serial "file:$console" -device virtio-rng-pci \
    -kernel "$entry/vmlinuz" -initrd "$entry/initrd.img" \
    -drive "file=$disk,if=virtio,format=$format,cache=unsafe,discard=unmap" \
    -virtfs "local,path=$root,mount_tag=share,security_model=none,multidevs=remap" \
    -virtfs "local,path=$root,mount_tag=clone,security_model=none,multidevs=remap"
}
cmdline() {
  echo "root=/dev/vda rw console=ttyS0 quiet init=/usr/local/sbin/tessmark-init tessmark.share=$root tessmark.mode=$1"
}

machine_pid() {
  local pid
  pid=$(cat "$state/qemu.pid" 2>/dev/null) || return 1
  kill -0 "$pid" 2>/dev/null && echo "$pid"
}

stop() {
  local pid
  pid=$(machine_pid) || return 0
  touch "$state/stop"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.2; done
  kill "$pid" 2>/dev/null || true
}

case "${1:-}" in
  --bake)
    entry=$2
    start=$(date +%s)
    # shellcheck disable=SC2046
    timeout 3600 qemu-system-x86_64 $(qemu_args "$entry/disk.raw" raw bake "$entry" "$entry/bake-console.log") \
      -append "$(cmdline bake)"
    grep -q '^tessmark-bake: done' "$entry/bake-console.log" || {
      log "the machine's first start did not finish (console: $entry/bake-console.log)"
      tail -n 30 "$entry/bake-console.log" >&2
      exit 1
    }
    log "first start took $(($(date +%s) - start)) s"
    ;;
  --start)
    stop
    rm -rf "$state"; mkdir -p "$state/jobs"
    # From here on the 32-bit programs wait for this machine (run-in.sh), also while its disk is
    # still being made; a disk that cannot be made is said in "failed", which fails them.
    date +%s >"$state/started"
    if ! entry=${2:-$(bash "$here/image.sh" 2>"$state/image.log" | tail -n 1)} || [ ! -f "$entry/.ready" ]; then
      echo "image.sh failed (log: $state/image.log)" >"$state/failed"
      tail -n 20 "$state/image.log" >&2
      exit 1
    fi
    qemu-img create -q -f qcow2 -F raw -b "$entry/disk.raw" "$state/overlay.qcow2"
    # shellcheck disable=SC2046
    nohup nice qemu-system-x86_64 $(qemu_args "$state/overlay.qcow2" qcow2 run "$entry" "$state/console.log") \
      -append "$(cmdline run)" -pidfile "$state/qemu.pid" \
      </dev/null >"$state/qemu.out" 2>&1 &
    # "booted" only once QEMU has said its pid: on a loaded machine that takes seconds, and the
    # waiters (run-in.sh) take a machine without a pid for one that stopped.
    for _ in $(seq 600); do [ -s "$state/qemu.pid" ] && break; sleep 0.1; done
    if [ ! -s "$state/qemu.pid" ]; then
      echo "QEMU did not start (log: $state/qemu.out)" >"$state/failed"
      tail -n 20 "$state/qemu.out" >&2
      exit 1
    fi
    date +%s >"$state/booted"
    log "started (pid $(cat "$state/qemu.pid" 2>/dev/null), $cpus processors, $memory; console: $state/console.log)"
    ;;
  --stop)
    stop
    # 32-bit programs no longer wait for it (scripts/wine-env.sh: tessmark_i686_machine_started).
    rm -f "$state/overlay.qcow2" "$state/started" "$state/booted" "$state/ready"
    ;;
  *)
    sed -n '2,12p' "$0" >&2; exit 2 ;;
esac
