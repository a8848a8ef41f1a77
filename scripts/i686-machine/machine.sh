# Sourced by boot.sh: the machine itself, as QEMU runs it for the disk's first start (the bake)
# and for every run after it. What is here shapes the disk (image.sh keys its cache entry on it).

# qemu_args DISK FORMAT ENTRY CONSOLE: the machine with the clone ($root) shared at its own path.
qemu_args() {
  local disk=$1 format=$2 entry=$3 console=$4
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

# kernel_line MODE: the guest kernel's command line; MODE (bake or run) goes to its first program.
# A panicking guest restarts after 10 s, which -no-reboot turns into QEMU's end: the waiters see
# a machine that stopped instead of one that hangs until the tests' time-outs.
kernel_line() {
  echo "root=/dev/vda rw console=ttyS0 quiet panic=10 init=/usr/local/sbin/tessmark-init tessmark.share=$root tessmark.mode=$1"
}
