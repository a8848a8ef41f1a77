#!/usr/bin/env bash
# Makes the emulated machine's disk: a Debian 12 amd64 system from Debian's own packages
# (debootstrap, then apt in a chroot) with the i386 architecture added, Debian's kernel (its IA-32
# emulation runs 32-bit code), 64- and 32-bit Wine in one 64-bit prefix, and what the test scripts
# call (Xvfb, openbox, xdotool, ImageMagick, the CJK font). The disk is cached outside the clone,
# like the other dependencies, under a name that carries a hash of its recipe: every file that
# shapes the disk (see "recipe" below). A second run only checks that the entry is there.
#   scripts/i686-machine/image.sh          -> prints the cache entry's folder on its last line
#   scripts/i686-machine/image.sh --key    -> prints the recipe's hash only
# The entry: disk.raw (ext4, the root file system), vmlinuz, initrd.img.
# The Wine prefix is made once inside the machine (scripts/i686-machine/boot.sh --bake), so that a
# run does not pay for wineboot under emulation.
# set -E: the ERR trap below reaches into functions (make_disk) too.
set -eEuo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cache=${TESSMARK_DEPS_CACHE:-/var/cache/tessmark-deps}
# What shapes the disk: this script and what it reads of the host's apt (host-apt.sh); the
# machine's first program, baked in (guest-init.sh); what its first start runs (guest-bake.sh with
# guest-env.sh, and the Wine session that makes the prefix, with what it sources); the machine that
# start runs in (machine.sh: QEMU's arguments, the kernel's command line). A change to any of them
# must not reuse a disk made before it.
recipe_files=(
  "$here/image.sh" "$here/host-apt.sh" "$here/guest-init.sh" "$here/guest-bake.sh" "$here/guest-env.sh"
  "$here/machine.sh" "$root/scripts/wine-session.sh" "$root/scripts/wine-env.sh"
  "$root/scripts/i686-road.sh" "$root/scripts/exit-path.sh" "$root/scripts/processes.sh"
)
recipe=$(cat "${recipe_files[@]}" | sha1sum | cut -c1-8)
if [ "${1:-}" = --key ]; then
  echo "$recipe"
  exit 0
fi
entry="$cache/i686-machine-bookworm-$recipe"
log() { echo "[i686-machine] $*" >&2; }
# A command that fails under set -e says so, with its line, in the log that the tests show.
trap 'log "FAILED at line $LINENO: $BASH_COMMAND"' ERR

if [ -f "$entry/.ready" ]; then
  echo "$entry"
  exit 0
fi

# The packages the tests need inside the machine (the amd64 ones, then the i386 one); cmake for
# CTest, which scripts/test.sh runs there when it is handed the whole run (the native road).
packages=(
  linux-image-amd64 initramfs-tools kmod iproute2 procps psmisc
  wine wine64 xvfb xauth x11-utils openbox xdotool imagemagick x11-apps fonts-noto-cjk
  7zip zip unzip python3 ca-certificates cmake
)
packages_i386=(wine32:i386)

# One build at a time per entry; a second caller waits and takes the first one's result. The lock
# is held by flock itself, for this script's run again under it: none of the build's children
# (debootstrap, apt, QEMU) holds it, so none left behind keeps the next build waiting.
mkdir -p "$cache"
if [ -z "${_TESSMARK_DISK_LOCKED:-}" ]; then
  _TESSMARK_DISK_LOCKED=1 exec flock -o "$entry.lock" bash "$0" "$@"
fi
unset _TESSMARK_DISK_LOCKED
if [ -f "$entry/.ready" ]; then
  echo "$entry"
  exit 0
fi

# The host's own mirror, security source and proxy (host-apt.sh).
source "$here/host-apt.sh"
mirror=$(host_apt_mirror)
security=$(host_apt_security)
proxy=$(host_apt_proxy)
# debootstrap fetches through the proxy of its environment.
http_proxy_setting=$(sed -n 's/^Acquire::http::Proxy "\(.*\)";$/\1/p' <<<"$proxy")
if [ -n "$http_proxy_setting" ] && [ -z "${http_proxy:-}" ]; then export http_proxy=$http_proxy_setting; fi

work="$entry.tmp"
tree="$work/tree"
mounted=()
unmount_all() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null || true; done
  mounted=()
}
trap unmount_all EXIT
# Ended by boot.sh --stop: the chroot's mounts go first (the EXIT trap).
trap 'exit 143' TERM INT HUP
bind() { mkdir -p "$tree$1"; mount --bind "$1" "$tree$1"; mounted+=("$tree$1"); }

step() {
  local what=$1; shift
  log "$what"
  if ! "$@" >>"$buildlog" 2>&1; then
    log "FAILED: $what (log: $buildlog)"
    tail -n 40 "$buildlog" >&2
    exit 1
  fi
}

# Removes what an earlier build left: first any mount it left under the tree (a build ended hard
# never ran its trap), so that the removal never reaches into the host's /proc, /sys or /dev.
remove_work() {
  local m
  [ -e "$work" ] || return 0
  for m in $(awk -v t="$tree" 'index($2, t) == 1 { print $2 }' /proc/self/mounts | sort -r); do
    umount -l "$m" 2>/dev/null || true
  done
  rm -rf --one-file-system "$work"
}

make_disk() {
remove_work; mkdir -p "$tree"
buildlog="$work/build.log"
log "making the machine's disk in $entry (from $mirror${security:+, security updates from $security}${proxy:+, through the apt proxy of the host})"
step "debootstrap bookworm" debootstrap --variant=minbase --arch=amd64 bookworm "$tree" "$mirror"

{ echo "deb $mirror bookworm main"
  echo "deb $mirror bookworm-updates main"
  [ -z "$security" ] || echo "deb $security bookworm-security main"
} >"$tree/etc/apt/sources.list"
[ -z "$proxy" ] || echo "$proxy" >"$tree/etc/apt/apt.conf.d/80tessmark-proxy"
# No service starts inside the chroot; no documentation or recommends.
printf '#!/bin/sh\nexit 101\n' >"$tree/usr/sbin/policy-rc.d"; chmod +x "$tree/usr/sbin/policy-rc.d"
cat >"$tree/etc/apt/apt.conf.d/90tessmark" <<'EOF'
APT::Install-Recommends "false";
APT::Install-Suggests "false";
EOF
cat >"$tree/etc/dpkg/dpkg.cfg.d/90tessmark" <<'EOF'
path-exclude=/usr/share/doc/*
path-exclude=/usr/share/man/*
path-exclude=/usr/share/info/*
EOF
echo tessmark-i686 >"$tree/etc/hostname"
printf '127.0.0.1 localhost\n127.0.1.1 tessmark-i686\n::1 localhost\n' >"$tree/etc/hosts"
printf '/dev/vda / ext4 rw,noatime 0 1\n' >"$tree/etc/fstab"

bind /proc; bind /sys; bind /dev; bind /dev/pts
cp /etc/resolv.conf "$tree/etc/resolv.conf" 2>/dev/null || true
in_tree() { chroot "$tree" /usr/bin/env DEBIAN_FRONTEND=noninteractive LC_ALL=C "$@"; }
step "adding the i386 architecture" in_tree dpkg --add-architecture i386
step "apt-get update" in_tree apt-get update
step "installing the amd64 packages" in_tree apt-get install -y "${packages[@]}"
# The i386 packages' own set-up may run 32-bit programs, which this kernel may refuse: they are
# unpacked here and set up inside the machine on its first start (dpkg --configure -a).
step "unpacking the i386 packages" in_tree apt-get install -y --download-only "${packages_i386[@]}"
in_tree sh -c 'apt-get install -y '"${packages_i386[*]}"' || true' >>"$buildlog" 2>&1
in_tree apt-get clean
unmount_all
# The machine has no network: nothing of the host's network stays on its disk.
rm -f "$tree/usr/sbin/policy-rc.d" "$tree/etc/resolv.conf" "$tree/etc/apt/apt.conf.d/80tessmark-proxy"

install -m 0755 "$here/guest-init.sh" "$tree/usr/local/sbin/tessmark-init"
kernel=$(ls "$tree"/boot/vmlinuz-* | sort -V | tail -n 1)
initrd=$(ls "$tree"/boot/initrd.img-* | sort -V | tail -n 1)
cp "$kernel" "$work/vmlinuz"; cp "$initrd" "$work/initrd.img"

# An ext4 file system made straight from the tree (no loop device needed), sparse on disk.
step "making the file system" mkfs.ext4 -q -F -L tessmark -d "$tree" "$work/disk.raw" 12G
rm -rf --one-file-system "$tree"

rm -rf "$entry"; mv "$work" "$entry"
touch "$entry/.made"
}

# A disk made by an earlier run whose first start failed is started again, not made again.
[ -f "$entry/.made" ] || make_disk
buildlog="$entry/build.log"
# The first start: the i386 packages' set-up and the Wine prefix, made inside the machine.
step "first start of the machine (set-up, Wine prefix)" bash "$here/boot.sh" --bake "$entry"
touch "$entry/.ready"
log "disk ready: $entry ($(du -sh "$entry/disk.raw" | cut -f1) used)"
echo "$entry"
