# Sourced by the programs that the emulated machine's init runs (guest-bake.sh, guest-runner.sh):
# the clone CLONE ($1) and the machine's state in it, the root user's Wine prefix, and the mark
# that the project's scripts read to skip what needs the host (packages, builds).
root=$1
state="$root/build/i686-machine"
export HOME=/root
export WINEPREFIX=/root/wineprefix
export TERM=dumb
export TESSMARK_IN_I686_MACHINE=1
cd "$root" || exit 1
uptime_s() { cut -d' ' -f1 /proc/uptime; }
