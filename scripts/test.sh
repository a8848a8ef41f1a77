#!/usr/bin/env bash
# The test command: installs what a fresh Debian 12 machine lacks, cross-builds the dependencies
# (cached), builds the x86_64 and i686 targets and runs every test executable of both under Wine
# + Xvfb, in parallel, in one Wine prefix. CTest names say the target:
# engine_download_tests.x86_64, engine_download_tests.i686.
#   scripts/test.sh [ctest arguments...]      e.g. scripts/test.sh -R engine_  or  -L i686
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-packages.sh
bash scripts/build-deps.sh >/dev/null
bash scripts/build.sh x86_64 i686

source scripts/wine-session.sh
# One CTest run over both build folders.
cat > build/CTestTestfile.cmake <<'LIST'
subdirs("x86_64-w64-mingw32" "i686-w64-mingw32")
LIST
cd build
if tessmark_32bit_emulated; then
  # 32-bit programs run under an emulator here, which takes every processor it is given: the
  # x86_64 tests run first, on their own, then the i686 ones.
  status=0
  ctest -j "$(nproc)" --output-on-failure --timeout 1800 -L x86_64 "$@" || status=$?
  ctest -j "$(nproc)" --output-on-failure --timeout 1800 -L i686 "$@" || status=$?
  exit $status
fi
ctest -j "$(nproc)" --output-on-failure --timeout 1800 "$@"
