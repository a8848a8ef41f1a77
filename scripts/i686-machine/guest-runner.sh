#!/usr/bin/env bash
# Runs inside the emulated machine (started by its init, tessmark-init): one Wine session for the
# whole run, made by the project's own scripts/wine-session.sh (its Xvfb + openbox, the Wine prefix
# baked into the disk, one wineserver), then the jobs that scripts/i686-machine/run-in.sh leaves in
# build/i686-machine/jobs of the shared clone, several at once, each in its own process group.
# A job folder holds "command" (a bash script); the runner writes "out" (its output) and, once it
# ended, "rc" (its exit code). A "cancel" file in the folder ends the job; "stop" beside the jobs
# ends the runner.
#   guest-runner.sh CLONE MODE     MODE: run, or bake (the disk's first start, see image.sh)
set -uo pipefail
root=$1
mode=${2:-run}
state="$root/build/i686-machine"
export HOME=/root
export WINEPREFIX=/root/wineprefix
export TERM=dumb
# The project's scripts skip what needs the host (packages, builds) inside.
export TESSMARK_IN_I686_MACHINE=1
cd "$root" || exit 1
uptime_s() { cut -d' ' -f1 /proc/uptime; }

if [ "$mode" = bake ]; then
  echo "tessmark-bake: setting up the i386 packages ($(uptime_s) s)"
  DEBIAN_FRONTEND=noninteractive dpkg --configure -a || exit 1
  dpkg-query -W -f='${Status}\n' wine32:i386 | grep -q 'install ok installed' || exit 1
  echo "tessmark-bake: making the Wine prefix ($(uptime_s) s)"
  started=$(uptime_s)
  # A prefix left by a start that failed is made again.
  rm -rf "$WINEPREFIX"
  # What the prefix's making shows, for a start that hangs: the display, now and then.
  mkdir -p "$state"
  ( while sleep 60; do
      [ -n "$(ls /tmp/.X11-unix 2>/dev/null)" ] || continue
      DISPLAY=":$(ls /tmp/.X11-unix | head -n 1 | tr -d X)" import -silent -window root "$state/bake-screen.png" 2>/dev/null
    done ) &
  # Both Wine loaders must run programs here: a 64-bit and a 32-bit command prompt answer.
  bash -c 'source scripts/wine-session.sh &&
    "$TESSMARK_WINE" cmd /c echo tessmark-64-ok &&
    "$TESSMARK_WINE" "C:\windows\syswow64\cmd.exe" /c echo tessmark-32-ok' </dev/null >/tmp/bake.out 2>&1
  cat /tmp/bake.out
  grep -q tessmark-64-ok /tmp/bake.out && grep -q tessmark-32-ok /tmp/bake.out || exit 1
  echo "tessmark-bake: Wine prefix made in $(awk -v a="$started" -v b="$(uptime_s)" 'BEGIN { print b - a }') s"
  /usr/lib/wine/wine --version
  echo "tessmark-bake: done ($(uptime_s) s)"
  exit 0
fi

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

declare -A running=()
while [ ! -e "$state/stop" ]; do
  for job in "$state"/jobs/*.job; do
    [ -f "$job/command" ] || continue
    if [ -z "${running[$job]:-}" ]; then
      (
        setsid bash "$job/command" >"$job/out" 2>&1 </dev/null &
        echo $! >"$job/pid"
        wait $!
        echo $? >"$job/rc.tmp"
        mv "$job/rc.tmp" "$job/rc"
      ) &
      running[$job]=1
    elif [ -e "$job/cancel" ] && [ ! -e "$job/rc" ] && [ -s "$job/pid" ]; then
      kill -TERM -- "-$(cat "$job/pid")" 2>/dev/null || true
      rm -f "$job/cancel"
    fi
  done
  for job in "${!running[@]}"; do [ -d "$job" ] || unset "running[$job]"; done
  sleep 0.2
done
echo "tessmark-runner: stopping ($(uptime_s) s)"
