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
source scripts/wine-env.sh
if ! tessmark_runs_32bit && [ "${TESSMARK_I686_MACHINE:-1}" != 0 ]; then
  # The emulated machine below needs its disk; made from nothing that takes about half an hour,
  # so it is made (or found in the cache) beside the builds. The machine's start waits for it.
  mkdir -p build
  bash scripts/i686-machine/image.sh >build/i686-image.log 2>&1 &
fi
bash scripts/build-deps.sh >/dev/null
bash scripts/build.sh x86_64 i686

source scripts/wine-session.sh
# One CTest run over both build folders.
cat > build/CTestTestfile.cmake <<'LIST'
subdirs("x86_64-w64-mingw32" "i686-w64-mingw32")
LIST
cd build
if ! tessmark_runs_32bit && [ "${TESSMARK_I686_MACHINE:-1}" != 0 ]; then
  # The kernel runs no 32-bit code: the i686 tests run inside an emulated machine whose kernel
  # does (scripts/i686-machine), which starts while the x86_64 tests run (once its disk, made
  # beside the builds above, is there). Its Wine session is its own, so the two sets run one
  # after the other.
  # TESSMARK_I686_MACHINE=0 leaves it out: the i686 tests are then listed as not run.
  machine="$root/scripts/i686-machine/boot.sh"
  # CI runs alone on its machine: by then the x86_64 tests are done and the processors are free.
  if [ "${CI:-}" = true ]; then
    export TESSMARK_I686_MACHINE_CPUS=${TESSMARK_I686_MACHINE_CPUS:-6}
    export TESSMARK_I686_MACHINE_MEMORY=${TESSMARK_I686_MACHINE_MEMORY:-8G}
  fi
  bash "$machine" --start >"$root/build/i686-machine.log" 2>&1 &
  trap 'bash "$machine" --stop; tessmark_session_end' EXIT
  status=0
  ctest -j "$(nproc)" --output-on-failure --timeout 1800 -L x86_64 "$@" || status=$?
  # Every i686 test runs there by default (about 20 minutes with 6 processors);
  # TESSMARK_I686_TESTS=core runs only the end-to-end suite and the engine's and the installer's
  # own test executables.
  selection=()
  [ "${TESSMARK_I686_TESTS:-all}" = core ] && selection=(-R '^(installer_e2e|engine_.*|app_.*)[.]i686$')
  ctest -j "${TESSMARK_I686_MACHINE_CPUS:-4}" --output-on-failure --timeout 3600 -L i686 \
    "${selection[@]}" "$@" || status=$?
  exit $status
fi
if tessmark_32bit_emulated; then
  # 32-bit programs run under an emulator here, which takes every processor it is given: the
  # x86_64 tests run first, on their own, then the i686 ones.
  status=0
  ctest -j "$(nproc)" --output-on-failure --timeout 1800 -L x86_64 "$@" || status=$?
  ctest -j "$(nproc)" --output-on-failure --timeout 1800 -L i686 "$@" || status=$?
  exit $status
fi
ctest -j "$(nproc)" --output-on-failure --timeout 1800 "$@"
