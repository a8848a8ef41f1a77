#!/usr/bin/env bash
# Prints the installer's start-up figures under Wine (start to first painted start page against a
# bare window, working set) and the size of the stripped i686 executable.
#   tools/startup_bench/run.sh [rounds]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
x64=build/x86_64-w64-mingw32
i686=build/i686-w64-mingw32
source scripts/wine-session.sh
# Timed from a fresh machine's start page: an earlier installation (of the demo run, say) would
# show its box instead.
"$TESSMARK_WINE" reg delete 'HKCU\Software\ZorViSoft\Tessmark' /f >/dev/null 2>&1 || true
"$TESSMARK_WINE" "$x64/tools/startup_bench/startup_bench.exe" "$x64/src/app/tessmark_installer.exe" \
  "$x64/tools/startup_bench/startup_bare_window.exe" "${1:-7}"
if [ -f "$i686/src/app/tessmark_installer.exe" ]; then
  tmp=$(mktemp)
  i686-w64-mingw32-strip -o "$tmp" "$i686/src/app/tessmark_installer.exe"
  echo "stripped i686 tessmark_installer.exe: $(stat -c %s "$tmp") bytes"
  rm -f "$tmp"
fi
