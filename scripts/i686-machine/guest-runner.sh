#!/usr/bin/env bash
# Runs inside the emulated machine (started by its init, tessmark-init): one Wine session for the
# whole run, made by the project's own scripts/wine-session.sh (its Xvfb + openbox, the Wine prefix
# baked into the disk, one wineserver), then the jobs that scripts/i686-machine/run-in.sh leaves in
# build/i686-machine/jobs of the shared clone (guest-jobs.sh: the jobs' protocol), until "stop"
# appears beside the jobs.
#   guest-runner.sh CLONE
set -uo pipefail
source "$(dirname "$0")/guest-env.sh" "$1"

# 32-bit Wine reads a program's sections into memory with one read each; on the share as init
# mounts it (no page cache) those reads left the end of a large program's code as zeros, and it
# crashed on its first call there. The clone is mounted again through the page cache (the host
# changes nothing in it while the machine runs), all but the jobs' folder, which stays uncached so
# that the host's new jobs and the jobs' output show at once on both sides.
mkdir -p /run/tessmark-state
mount --bind "$state" /run/tessmark-state
mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=loose,access=any clone "$root" || exit 1
mount --bind /run/tessmark-state "$state"
cd "$root" || exit 1
# The machine has no network card; a machine on a network has a default route, and Wine's
# connection check asks for one. A dummy interface gives it one (what goes there is dropped; the
# tests talk to 127.0.0.1 only).
modprobe dummy 2>/dev/null
ip link add tessmark0 type dummy 2>/dev/null &&
  ip addr add 10.0.2.15/24 dev tessmark0 && ip link set tessmark0 up &&
  ip route add default via 10.0.2.2 dev tessmark0 ||
  echo "tessmark-runner: no default route (dummy interface): the network-on cases skip"
# The end-to-end suite's machine without a network runs in a prefix of its own: a copy of the
# baked one, made before the session's server changes it (making one here takes a quarter of an
# hour).
export TESSMARK_OFFLINE_WINEPREFIX=/root/wineprefix-offline
if [ ! -f "$TESSMARK_OFFLINE_WINEPREFIX/.tessmark-ready" ]; then
  echo "tessmark-runner: copying the Wine prefix ($(uptime_s) s)"
  rm -rf "$TESSMARK_OFFLINE_WINEPREFIX.tmp"
  cp -a "$WINEPREFIX" "$TESSMARK_OFFLINE_WINEPREFIX.tmp" &&
    mv "$TESSMARK_OFFLINE_WINEPREFIX.tmp" "$TESSMARK_OFFLINE_WINEPREFIX"
fi
echo "tessmark-runner: starting the Wine session ($(uptime_s) s)"
source scripts/wine-session.sh </dev/null
echo "tessmark-runner: ready on $DISPLAY ($(uptime_s) s)"
uptime_s >"$state/ready"

bash "$root/scripts/i686-machine/guest-jobs.sh" "$state"
echo "tessmark-runner: stopping ($(uptime_s) s)"
