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
ctest -j "$(nproc)" --output-on-failure --timeout 1800 "$@"
