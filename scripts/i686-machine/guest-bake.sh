#!/usr/bin/env bash
# Runs inside the emulated machine on its disk's first start (image.sh, through boot.sh --bake):
# sets up the i386 packages that the chroot could only unpack, and makes the Wine prefix with
# the project's own scripts/wine-session.sh, so that no later run pays for wineboot under
# emulation. Prints "tessmark-bake: done" on the console when the disk is ready.
#   guest-bake.sh CLONE
set -uo pipefail
source "$(dirname "$0")/guest-env.sh" "$1"

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
