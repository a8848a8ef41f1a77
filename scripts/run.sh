#!/usr/bin/env bash
# The run command: installs what a fresh Debian 12 machine lacks, builds, then under Wine starts
# the project's package server on 127.0.0.1 with a demo package and the installer pointed at it.
#   scripts/run.sh [--i686] [extra installer options, e.g. -downloadtype=3]
# With a display (DISPLAY set and reachable) the user drives the installer window. Without one,
# it runs under its own Xvfb with openbox, clicks through a default installation by itself and
# writes a screenshot of each page into a folder that it names at the end.
# --i686 runs the installer that users get, the i686 build, also where the kernel runs no 32-bit
# code: there the whole run goes into the emulated machine of scripts/i686-machine (headless, its
# screenshots land in the same folder of the clone).
set -euo pipefail
trap 'echo "run.sh: failed at line $LINENO" >&2' ERR
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# What the run starts (the package server, the Wine session, the emulated machine) ends with it.
source scripts/exit-path.sh
want_i686=""
if [ "${1:-}" = --i686 ]; then want_i686=1; shift; fi
# Inside the emulated machine the clone is the host's, already built, and there is no network.
if [ -z "${TESSMARK_IN_I686_MACHINE:-}" ]; then
  bash scripts/install-packages.sh
  bash scripts/build-deps.sh >/dev/null
  bash scripts/build.sh x86_64
fi

source scripts/wine-env.sh
tessmark_i686_road
# The installer that users get is the i686 build; it runs where this machine runs 32-bit code
# natively, or inside the emulated machine with --i686. Elsewhere the x86_64 build shows the same
# installer.
arch=x86_64
if [ -n "$want_i686" ] || [ "$TESSMARK_I686_ROAD" = native ]; then
  [ -n "${TESSMARK_IN_I686_MACHINE:-}" ] || bash scripts/build.sh i686
  arch=i686
fi
if [ -n "$want_i686" ] && { [ "$TESSMARK_I686_ROAD" = machine ] || [ "$TESSMARK_I686_ROAD" = none ]; }; then
  trap - ERR
  # The clone has one machine. One that another command of the clone (test.sh, dev-test.sh) runs
  # is used as it is, and left to that command; else the run starts its own and stops it after.
  machine_status=0
  bash scripts/i686-machine/boot.sh --start || machine_status=$?
  case $machine_status in
    0) tessmark_at_exit 'bash scripts/i686-machine/boot.sh --stop' ;;
    3)
      # The machine reads the clone through its own cache since its start: a program built again
      # after it would show inside as it was before (or half of each).
      for program in "build/$arch-w64-mingw32/src/app/tessmark_installer.exe" \
                     build/x86_64-w64-mingw32/tools/package_server/package_server.exe \
                     build/x86_64-w64-mingw32/tests/engine/fake_installer.exe; do
        if [ "$program" -nt build/i686-machine/started ]; then
          echo "run.sh: the clone's emulated machine runs for another command and was started before" \
               "$program was built again, which it would not show as it is now: run this again once that" \
               "command has ended" >&2
          exit 1
        fi
      done
      echo "run.sh: the run uses the clone's emulated machine as it runs" >&2 ;;
    *) exit "$machine_status" ;;
  esac
  # The run there is headless, on the machine's own display. It writes into the machine's own folder
  # (see below); its screenshots then go where a run here puts them.
  status=0
  bash scripts/i686-machine/run-in.sh bash scripts/run.sh --i686 "$@" || status=$?
  if [ -d build/i686-machine/run/run-screenshots ]; then
    rm -rf build/run-screenshots
    mv build/i686-machine/run/run-screenshots build/run-screenshots
    echo "screenshots of each page: $root/build/run-screenshots"
  fi
  exit $status
fi

headless=1
# Inside the emulated machine its runner holds the Wine session (display, prefix, server) for every
# job: the run uses it, headless, and leaves it running.
if [ -z "${TESSMARK_IN_I686_MACHINE:-}" ]; then
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then headless=""; fi
  source scripts/wine-session.sh   # starts Xvfb and openbox when there is no display
fi
source tests/e2e/drive.sh
bin="$root/build/x86_64-w64-mingw32"
# What the run writes. Inside the emulated machine the clone is mounted through its page cache,
# which does not see a folder removed and made again under the same name: there the run writes
# into the machine's own folder, which is mounted without it.
out="$root/build"
[ -n "${TESSMARK_IN_I686_MACHINE:-}" ] && out="$root/build/i686-machine/run"
installer="$root/build/$arch-w64-mingw32/src/app/tessmark_installer.exe"
echo "installer: $installer"

# The demo package: the fake package installer (it prints the installer protocol and installs
# nothing), padded past 1 MiB as the download service's packages are, served under its digest.
# The server paces the body at 512 KiB/s so that the download shows its progress.
demo="$out/demo"
rm -rf "$demo"; mkdir -p "$demo/packages"
cp "$bin/tests/engine/fake_installer.exe" "$demo/packages/BrisolanSetup.exe"
truncate -s 1572864 "$demo/packages/BrisolanSetup.exe"

"$TESSMARK_WINE" "$bin/tools/package_server/package_server.exe" 'Z:'"${demo//\//\\}"'\packages' \
  --port 0 --seconds 900 --fault slow:524288@GET --log 'Z:'"${demo//\//\\}"'\requests.log' \
  >"$demo/server.out" 2>&1 &
server=$!
tessmark_at_exit 'kill $server 2>/dev/null || true'
url=""
for _ in $(seq 100); do
  url=$(grep -o 'http://127.0.0.1:[0-9]*/[0-9a-f]\{32\}/BrisolanSetup.exe' "$demo/server.out" | head -n 1 || true)
  [ -n "$url" ] && break
  kill -0 $server 2>/dev/null || break
  sleep 0.1
done
[ -n "$url" ] || { echo "package server did not start:"; cat "$demo/server.out"; exit 1; }
echo "package server: $url"

# A fresh machine: no earlier installation in the registry of this prefix.
"$TESSMARK_WINE" reg delete 'HKCU\Software\ZorViSoft\Tessmark' /f >/dev/null 2>&1 || true

_bar_has_fill() { e2e_near "$(e2e_window_pixels "$1" 60,312)" "68 131 245"; }

E2E_LOG="$demo/installer.log"
e2e_start_installer "$installer" "-downloadurl=$url" "$@"

if [ -z "$headless" ]; then
  echo "the installer runs on $DISPLAY; close it to end"
  e2e_wait --limit 86400 _e2e_exists "$E2E_LOG.rc"
else
  shots="$out/run-screenshots"
  rm -rf "$shots"; mkdir -p "$shots"
  main=$(e2e_wait_settled_window "$E2E_MAIN_TITLE")
  e2e_wait_page "$main" start
  e2e_shot "$main" "$shots/1-start.png"
  e2e_click "$main" customeBtn
  e2e_wait_page "$main" custom
  e2e_shot "$main" "$shots/2-custom.png"
  e2e_click "$main" backBtn
  e2e_wait_page "$main" start
  e2e_click "$main" defaultInstallBtn
  e2e_wait_page "$main" progress
  # The bar once the download has filled some of it (best effort: a fast machine may be past it).
  e2e_wait --limit 10 _bar_has_fill "$main" || true
  e2e_shot "$main" "$shots/3-progress.png"
  e2e_wait_page "$main" finish
  e2e_shot "$main" "$shots/4-finish.png"
  e2e_click "$main" openProduceBtn
fi
e2e_wait_exit
echo "installer exit code: $E2E_RC"
echo "requests to the package server:"
sed 's/^/  /' "$demo/requests.log"
# The installer's own log (Wine writes its debugger output with escapes): where it installed.
grep -a 'OutputDebugStringA' "$E2E_LOG" | grep -aoE 'installation begins into .*' \
  | sed 's/\\r\\n"$//; s/\\\\/\\/g; s/^/  /' || true
if [ -n "$headless" ] && [ -z "${TESSMARK_IN_I686_MACHINE:-}" ]; then echo "screenshots of each page: $shots"; fi
exit "$E2E_RC"
