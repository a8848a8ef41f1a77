#!/usr/bin/env bash
# The test command: installs what a fresh Debian 12 machine lacks, cross-builds the dependencies
# (cached), builds the x86_64 and i686 targets and runs every test executable of both under Wine
# + Xvfb, in parallel, in one Wine prefix. CTest names say the target:
# engine_download_tests.x86_64, engine_download_tests.i686.
#   scripts/test.sh [ctest arguments...]      e.g. scripts/test.sh -R engine_  or  -L i686
# Under CI=true every selected test must run: one that did not (it answered "not run") fails the
# command, which names it (scripts/ctest-run.sh).
# Inside the emulated machine (scripts/i686-machine/run-in.sh bash scripts/test.sh), whose kernel
# runs 32-bit code, it takes the native road with the host's builds and the machine's Wine session.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# Nothing of this command runs on after it: not the tests, not the machine, not its disk's
# build, not the Wine session, whichever moment it ends at (a failed build or session, Ctrl-C,
# TERM): all of it is on its one exit path, and what takes long runs as a waited child, which a
# signal does not wait for.
source scripts/exit-path.sh
inside=${TESSMARK_IN_I686_MACHINE:-}
# The packages are installed in the foreground: apt ended halfway leaves dpkg to be mended by hand.
[ -n "$inside" ] || bash scripts/install-packages.sh
source scripts/wine-env.sh
tessmark_i686_road
machine="$root/scripts/i686-machine/boot.sh"

# What this command started of the emulated machine: its disk's build, the machine itself. The
# stop ends only what this command started (boot.sh knows who started what).
machine_used=""
end_machine() { [ -z "$machine_used" ] || bash "$machine" --stop || true; }
tessmark_at_exit end_machine

# One CTest call (scripts/ctest-run.sh), waited for in the background: a TERM then ends the
# command at once, not once the tests are done.
ctest_call() { tessmark_waited bash "$root/scripts/ctest-run.sh" "$@"; }
ctest_required=(ctest_call --tests-required)
ctest_run=(ctest_call)
# Without arguments every test is asked for: a call that selects none fails.
[ $# -gt 0 ] || ctest_run=("${ctest_required[@]}")

# How many tests of LABEL the arguments select (scripts/ctest-selected.sh).
selected() { bash "$root/scripts/ctest-selected.sh" "$root/build" "$@"; }

if [ "$TESSMARK_I686_ROAD" = machine ] && [ "$(selected i686 "$@")" != 0 ]; then
  # The kernel runs no 32-bit code: the i686 tests run inside an emulated machine whose kernel
  # does (scripts/i686-machine). Its disk takes about half an hour from nothing, so it is made
  # (or found in the cache) beside the builds; the machine's start takes its result. A machine
  # that another command of this clone uses is not ours to take: that ends the command here,
  # with the reason.
  machine_used=1
  bash "$machine" --disk
fi
if [ -z "$inside" ]; then
  tessmark_waited bash scripts/build-deps.sh >/dev/null
  tessmark_waited bash scripts/build.sh x86_64 i686
  source scripts/wine-session.sh
fi
# One CTest run over both build folders.
cat > build/CTestTestfile.cmake <<'LIST'
subdirs("x86_64-w64-mingw32" "i686-w64-mingw32")
LIST
cd build

case "$TESSMARK_I686_ROAD" in
  native)
    "${ctest_run[@]}" -j "$(nproc)" --output-on-failure --timeout 1800 "$@"
    ;;
  machine | none)
    # The emulated machine's Wine session is its own, so the two sets run one after the other:
    # the machine starts while the x86_64 tests run. TESSMARK_I686_MACHINE=0 leaves it out: the
    # i686 tests are then listed as not run, with the reason.
    status=0
    asked_i686=$(selected i686 "$@")
    if [ "$TESSMARK_I686_ROAD" = machine ] && [ "$asked_i686" != 0 ]; then
      machine_used=1
      # CI runs alone on its machine: by then the x86_64 tests are done and the processors free.
      if [ "${CI:-}" = true ]; then
        export TESSMARK_I686_MACHINE_CPUS=${TESSMARK_I686_MACHINE_CPUS:-6}
        export TESSMARK_I686_MACHINE_MEMORY=${TESSMARK_I686_MACHINE_MEMORY:-8G}
      fi
      # Marked as started before this returns: the i686 tests below wait for it.
      bash "$machine" --start
    fi
    if [ $# -eq 0 ] || [ "$(selected x86_64 "$@")" != 0 ]; then
      "${ctest_run[@]}" -j "$(nproc)" --output-on-failure --timeout 1800 -L x86_64 "$@" || status=$?
    fi
    if [ $# -eq 0 ] || [ "$asked_i686" != 0 ]; then
      # Every i686 test runs there by default (about 20 minutes with 6 processors);
      # TESSMARK_I686_TESTS=core runs only the end-to-end suite and the engine's and the
      # installer's own test executables.
      selection=()
      [ "${TESSMARK_I686_TESTS:-all}" = core ] && selection=(-R '^(installer_e2e|engine_.*|app_.*)[.]i686$')
      "${ctest_required[@]}" -j "${TESSMARK_I686_MACHINE_CPUS:-4}" --output-on-failure \
        --timeout 3600 -L i686 "${selection[@]}" "$@" || status=$?
    fi
    exit $status
    ;;
  emulator)
    # 32-bit programs run under QEMU's user-mode emulator here, which takes every processor it
    # is given: the x86_64 tests run first, on their own, then the i686 ones.
    status=0
    "${ctest_run[@]}" -j "$(nproc)" --output-on-failure --timeout 1800 -L x86_64 "$@" || status=$?
    "${ctest_run[@]}" -j "$(nproc)" --output-on-failure --timeout 1800 -L i686 "$@" || status=$?
    exit $status
    ;;
esac
