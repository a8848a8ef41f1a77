#!/bin/sh
# The emulated machine's first program (its init, baked into the disk): mounts the system's file
# systems, brings up the loopback (the tests' servers listen on 127.0.0.1; the machine has no
# other network), mounts the host's clone at the same absolute path as on the host (CTest hands
# absolute paths), runs the clone's scripts/i686-machine/guest-bake.sh (the disk's first start) or
# guest-runner.sh (every start after it) and powers off when it ends.
# The host names the clone on the kernel command line: tessmark.share=/abs/path.
PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export PATH
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts -o gid=5,mode=620,ptmxmode=666 devpts /dev/pts
mount -t tmpfs -o mode=1777 shm /dev/shm
mount -t tmpfs -o mode=755 run /run
mount -t tmpfs -o mode=1777 tmp /tmp
mount -o remount,rw,noatime /
hostname "$(cat /etc/hostname)"
ip link set lo up

share=$(tr ' ' '\n' </proc/cmdline | sed -n 's/^tessmark\.share=//p')
mode=$(tr ' ' '\n' </proc/cmdline | sed -n 's/^tessmark\.mode=//p')
modprobe 9pnet_virtio 2>/dev/null
modprobe 9p 2>/dev/null
mkdir -p "$share"
if mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=mmap,access=any share "$share"; then
  program=guest-runner.sh
  [ "$mode" = bake ] && program=guest-bake.sh
  bash "$share/scripts/i686-machine/$program" "$share" >/dev/console 2>&1
else
  echo "tessmark-init: the clone could not be mounted at $share" >/dev/console
fi
sync
umount "$share" 2>/dev/null
mount -o remount,ro / 2>/dev/null
sync
echo o >/proc/sysrq-trigger
sleep 10
