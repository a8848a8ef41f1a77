#!/usr/bin/env bash
# The test command: installs what a fresh Debian 12 machine lacks, cross-builds the dependencies
# (cached), builds the x86_64 and i686 targets and runs every test executable under Wine + Xvfb.
#   scripts/test.sh [ctest arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-packages.sh
bash scripts/build-deps.sh >/dev/null
bash scripts/build.sh x86_64 i686

source scripts/wine-session.sh
cd build/x86_64-w64-mingw32
ctest -j "$(nproc)" --output-on-failure --timeout 600 "$@"
