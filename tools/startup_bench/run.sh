#!/usr/bin/env bash
# Prints the installer's start-up figures under Wine (start to first painted start page against a
# bare window, working set), then the size of the stripped programs of both builds and what each
# part of the stripped i686 program costs (from the link map that the build writes next to it), with
# the zero-filled data that its .data carries.
#   tools/startup_bench/run.sh [rounds]
#   tools/startup_bench/run.sh --size      (the sizes only, without Wine)
# Both builds are timed in the same run; where the kernel runs no 32-bit code, the i686 build
# runs in the emulated machine when it was started (scripts/i686-machine/boot.sh --start).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
x64=build/x86_64-w64-mingw32
i686=build/i686-w64-mingw32

print_sizes() {
  local dir triplet tmp
  tmp=$(mktemp -d)
  for dir in "$i686" "$x64"; do
    [ -f "$dir/src/app/tessmark_installer.exe" ] || continue
    triplet=$(basename "$dir")
    "$triplet-strip" -o "$tmp/$triplet.exe" "$dir/src/app/tessmark_installer.exe"
    echo "stripped ${triplet%%-*} tessmark_installer.exe: $(stat -c %s "$tmp/$triplet.exe") bytes"
  done
  if [ -f "$i686/src/app/tessmark_installer.map" ] && [ -f "$tmp/i686-w64-mingw32.exe" ]; then
    echo "what the stripped i686 program's bytes are (file sections; headers and alignment aside):"
    python3 tools/startup_bench/size_table.py "$i686/src/app/tessmark_installer.map" "$tmp/i686-w64-mingw32.exe"
  fi
  rm -rf "$tmp"
}

if [ "${1:-}" = "--size" ]; then
  print_sizes
  exit 0
fi

rounds=${1:-7}
# One build's figures in the current Wine session. Timed from a fresh machine's start page: an
# earlier installation (of the demo run, say) would show its box instead.
run_build() {
  local dir=$1
  echo "${dir#build/}:"
  "$TESSMARK_WINE" reg delete 'HKCU\Software\ZorViSoft\Tessmark' /f >/dev/null 2>&1 || true
  "$TESSMARK_WINE" "$dir/tools/startup_bench/startup_bench.exe" "$dir/src/app/tessmark_installer.exe" \
    "$dir/tools/startup_bench/startup_bare_window.exe" "$rounds"
}
if [ "${1:-}" = "--one" ]; then
  # Inside the emulated machine (below): its runner's Wine session is already open.
  rounds=$3
  run_build "$2"
  exit 0
fi

source scripts/wine-session.sh
run_build "$x64"
if [ -f "$i686/tools/startup_bench/startup_bench.exe" ]; then
  if tessmark_runs_32bit_natively; then
    run_build "$i686"
  elif tessmark_i686_machine_started; then
    # The kernel runs no 32-bit code: the i686 figures come from the emulated machine
    # (scripts/i686-machine/boot.sh --start), whose processor is emulated in software. Only the
    # ratio to the bare window compares with the figures above.
    bash scripts/i686-machine/run-in.sh bash tools/startup_bench/run.sh --one "$i686" "$rounds"
  else
    echo "$i686: not run (this machine runs no 32-bit code; start the emulated machine with" \
         "scripts/i686-machine/boot.sh --start for its figures)"
  fi
fi
print_sizes
