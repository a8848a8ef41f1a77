#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need on a fresh Debian 12 machine.
# Cheap when everything is already there: it only calls apt when a package is missing.
set -euo pipefail

packages=(
  cmake ninja-build make patch dpkg-dev pkg-config
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  mingw-w64-tools libz-mingw-w64-dev libstb-dev googletest
  wine wine64 xvfb xauth x11-utils
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

if [ ${#missing[@]} -eq 0 ] && [ $need_src -eq 0 ]; then
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

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
