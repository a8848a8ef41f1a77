#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need on a fresh Debian 12 machine.
# Cheap when everything is already there: it only calls apt when a package is missing.
#
# The i686 build is the installer that users run, so its tests run too: under Debian's 32-bit
# Wine (wine32, from the i386 architecture), in the same prefix as the x86_64 tests. The window
# tests need a window manager (openbox: without one Wine windows never take the keyboard focus),
# xdotool for clicks and keys, ImageMagick for screenshots, and a CJK font for the skin's
# Chinese texts.
set -euo pipefail
source "$(dirname "$0")/i686-road.sh"

packages=(
  cmake ninja-build make patch dpkg-dev pkg-config
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  mingw-w64-tools libz-mingw-w64-dev libstb-dev zlib1g-dev googletest
  wine wine64 wine32:i386 xvfb xauth x11-utils
  openbox xdotool imagemagick x11-apps fonts-noto-cjk
  7zip zip unzip python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Source packages: the dependencies are cross-built from Debian's own sources.
need_src=0
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  need_src=1
fi

need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1

# Where the kernel runs no 32-bit code at all (its IA-32 emulation is off, as on some virtual
# machines), the 32-bit Wine loader can run under QEMU's user-mode emulator instead, when
# TESSMARK_EMULATED_I686=1 asks for it: each 32-bit process then takes about a minute to start.
# The emulator is registered for the whole machine, so only on request.
enable_i386_emulation() {
  [ -n "${TESSMARK_EMULATED_I686:-}" ] || return 0
  [ -x /usr/lib/wine/wine ] || return 0
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  dpkg-query -W -f='${Status}' qemu-user-static 2>/dev/null | grep -q "install ok installed" ||
    apt-get install -y -qq --no-install-recommends qemu-user-static
  [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    # 32-bit x86 ELF executables and shared objects; F: the emulator is opened now, so that it
    # also serves programs in other mount namespaces.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      > /proc/sys/fs/binfmt_misc/register
  fi
  /usr/lib/wine/wine --version >/dev/null 2>&1 || echo "[packages] 32-bit programs cannot run here" >&2
}

# A mirror that is being updated may serve an index that does not match its release file for a
# moment ("File has unexpected size", "Hash Sum mismatch"); a later try gets a consistent set.
update_indexes() {
  local attempt
  for attempt in 1 2 3 4 5; do
    if apt-get update -qq; then
      return 0
    fi
    echo "[packages] apt-get update failed (attempt $attempt), trying again" >&2
    sleep $((attempt * 5))
  done
  echo "[packages] apt-get update kept failing" >&2
  return 1
}

# Where the kernel runs no 32-bit code, the i686 tests run inside an emulated machine
# (scripts/i686-machine): QEMU's system emulator, and debootstrap to make its disk from Debian's
# packages. Only there, and only what is missing.
machine_packages=(qemu-system-x86 qemu-utils debootstrap e2fsprogs)
install_machine_packages() {
  local p need=()
  [ -x /usr/lib/wine/wine ] || return 0
  tessmark_i686_road
  [ "$TESSMARK_I686_ROAD" = machine ] || return 0
  for p in "${machine_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
  done
  [ ${#need[@]} -eq 0 ] && return 0
  [ -n "${1:-}" ] || update_indexes
  apt-get install -y -qq --no-install-recommends "${need[@]}"
}

if [ ${#missing[@]} -eq 0 ] && [ $need_src -eq 0 ] && [ $need_i386 -eq 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  install_machine_packages
  enable_i386_emulation
  exit 0
fi

if [ $need_src -eq 1 ]; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  fi
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/; then
    grep -E '^deb ' /etc/apt/sources.list 2>/dev/null | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/tessmark-src.list || true
  fi
fi

if [ $need_i386 -eq 1 ]; then
  dpkg --add-architecture i386
fi

export DEBIAN_FRONTEND=noninteractive

update_indexes
if [ ${#missing[@]} -gt 0 ]; then
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
install_machine_packages updated
enable_i386_emulation
