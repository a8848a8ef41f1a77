#!/usr/bin/env bash
# The run command: installs what a fresh Debian 12 machine lacks, builds the x86_64 target, then
# under Wine starts the project's package server on 127.0.0.1 with a demo package and lets the
# engine driver download, verify and install it, printing every status report.
#   scripts/run.sh [extra engine_driver options, e.g. --type 3]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-packages.sh
bash scripts/build-deps.sh >/dev/null
bash scripts/build.sh x86_64
bin="$root/build/x86_64-w64-mingw32"

source scripts/wine-session.sh

# The server paces the body at 512 KiB/s so that the download shows its progress.
# The demo package: the fake package installer (it prints the installer protocol and installs
# nothing), padded past 1 MiB as the download service's packages are, served under its digest.
demo="$root/build/demo"
rm -rf "$demo"; mkdir -p "$demo/packages"
cp "$bin/tests/engine/fake_installer.exe" "$demo/packages/BrisolanSetup.exe"
truncate -s 1572864 "$demo/packages/BrisolanSetup.exe"

# The server picks a free port itself (port 0) and prints its URLs; the first package URL is
# read back from what it printed.
"$TESSMARK_WINE" "$bin/tools/package_server/package_server.exe" 'Z:'"${demo//\//\\}"'\packages' \
  --port 0 --seconds 600 --fault slow:524288@GET >"$demo/server.out" 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true; tessmark_session_end' EXIT
url=""
for _ in $(seq 100); do
  url=$(grep -o 'http://127.0.0.1:[0-9]*/[0-9a-f]\{32\}/BrisolanSetup.exe' "$demo/server.out" | head -n 1 || true)
  [ -n "$url" ] && break
  kill -0 $server 2>/dev/null || break
  sleep 0.1
done
[ -n "$url" ] || { echo "package server did not start:"; cat "$demo/server.out"; exit 1; }
echo "package server: $url"

install_dir='C:\Brisolan Demo'
echo "installing into $install_dir"
set +e
"$TESSMARK_WINE" "$bin/tools/engine_driver/engine_driver.exe" --url "$url" --dir "$install_dir" "$@"
rc=$?
set -e
echo "engine_driver exit code: $rc"
echo "left in ${install_dir}:"
ls -la "$WINEPREFIX/drive_c/Brisolan Demo" 2>/dev/null || echo "  (folder not created)"
exit $rc
