#!/usr/bin/env bash
# The test command's own scripts, on the build host: the emulated machine's life cycle
# (scripts/i686-machine), the road to the 32-bit programs (scripts/i686-road.sh) and the CTest
# call that will not let a test that did not run pass (scripts/ctest-run.sh). QEMU, qemu-img and
# debootstrap are stand-ins (tests/scripts/stand-ins) where the real ones take minutes; the
# scripts, the job loop, the processes and CTest are the real ones. Each case works on a copy of
# the clone's scripts in a folder of its own, so no real machine of the clone is touched.
#   test_command_tests.sh [CASE...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tessmark-scripts.XXXXXX")
export PATH="$here/stand-ins:$PATH"
unset CI TESSMARK_TEST_TIMEOUT TESSMARK_I686_MACHINE TESSMARK_EMULATED_I686

# Every process a case left: those of its clones and of the stand-ins.
leftovers() { pgrep -af -- "$tmp" | grep -v -e pgrep -e "$$" || true; }
cleanup() {
  local pid
  for pid in $(pgrep -f -- "$tmp"); do [ "$pid" = $$ ] || kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT

failures=()
fail() { failures+=("$current: $*"); echo "  FAILED: $*"; }
check_contains() { grep -qF -- "$2" <<<"$3" || fail "$1: no '$2' in: $(tail -n 5 <<<"$3")"; }

# A copy of the clone's scripts; prints its folder.
new_clone() {
  local c
  c=$(mktemp -d "$tmp/clone.XXXXXX")
  mkdir -p "$c/build"
  cp -r "$root/scripts" "$c/scripts"
  echo "$c"
}
# A disk in the cache for the clone's recipe, as image.sh leaves it.
ready_disk() {
  local entry
  entry="$TESSMARK_DEPS_CACHE/i686-machine-bookworm-$(bash "$1/scripts/i686-machine/image.sh" --key)"
  mkdir -p "$entry"
  touch "$entry/disk.raw" "$entry/vmlinuz" "$entry/initrd.img" "$entry/.ready"
}
# wait_for SECONDS COMMAND...: true once the command is, false when the time is up.
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  while [ $SECONDS -lt $end ]; do "$@" && return 0; sleep 0.2; done
  return 1
}
no_leftovers() { [ -z "$(leftovers)" ]; }
# run_in CLONE COMMAND...: hands the command to the clone's machine (run-in.sh); its output in
# $out, its exit code in $status. Two minutes at the most: a wait that hangs fails the case.
run_in() {
  status=0
  out=$(timeout 120 bash "$1/scripts/i686-machine/run-in.sh" "${@:2}" 2>&1) || status=$?
}
count_in_log() { grep -c "^$1 " "$FAKE_LOG" 2>/dev/null || true; }

# --- the disk's cache key ---------------------------------------------------------------------

case_disk_key_follows_every_file_that_shapes_the_disk() {
  local c base f key
  c=$(new_clone)
  base=$(bash "$c/scripts/i686-machine/image.sh" --key)
  for f in i686-machine/image.sh i686-machine/guest-init.sh i686-machine/guest-bake.sh i686-machine/guest-env.sh \
           i686-machine/machine.sh wine-session.sh wine-env.sh i686-road.sh; do
    cp "$c/scripts/$f" "$tmp/saved"
    echo "# changed" >>"$c/scripts/$f"
    key=$(bash "$c/scripts/i686-machine/image.sh" --key)
    [ "$key" != "$base" ] || fail "a change to $f keeps the disk's key $base"
    cp "$tmp/saved" "$c/scripts/$f"
  done
  # What only runs on a machine already made does not make a new disk.
  for f in i686-machine/boot.sh i686-machine/run-in.sh i686-machine/guest-runner.sh \
           i686-machine/guest-jobs.sh i686-machine/host.sh; do
    echo "# changed" >>"$c/scripts/$f"
    key=$(bash "$c/scripts/i686-machine/image.sh" --key)
    [ "$key" = "$base" ] || fail "a change to $f makes a new disk"
  done
  # A panicking guest restarts, which QEMU's -no-reboot turns into its end.
  local line args
  line=$(root=$c; source "$c/scripts/i686-machine/machine.sh"; kernel_line run)
  args=$(root=$c cpus=1 memory=1G; source "$c/scripts/i686-machine/machine.sh"; qemu_args d raw e con)
  check_contains "kernel line" "panic=" "$line"
  check_contains "QEMU's arguments" "-no-reboot" "$args"
}

# The disk is made from the mirror the host's apt uses, whichever way its sources are written,
# and from Debian's own where they name none; a missing sources file is no failure.
case_the_disk_comes_from_the_hosts_mirror() {
  local c apt row layout want got
  c=$(new_clone)
  export FAKE_DEBOOTSTRAP=fail
  # how the host's sources are written | the mirror debootstrap gets
  for row in "deb822 http://mirror.example/debian" "one-line http://one.example/debian" \
             "both http://mirror.example/debian" "none http://deb.debian.org/debian"; do
    read -r layout want <<<"$row"
    apt="$tmp/apt-$layout"
    mkdir -p "$apt/sources.list.d"
    case $layout in deb822 | both)
      printf 'Types: deb\nURIs: http://mirror.example/debian\nSuites: bookworm\n' >"$apt/sources.list.d/debian.sources" ;;
    esac
    case $layout in one-line | both)
      echo "deb [arch=amd64] http://one.example/debian bookworm main" >"$apt/sources.list" ;;
    esac
    : >"$FAKE_LOG"
    TESSMARK_APT_ETC=$apt bash "$c/scripts/i686-machine/image.sh" >/dev/null 2>"$tmp/image-$layout.log"
    got=$(sed -n 's/^debootstrap [0-9]* //p' "$FAKE_LOG")
    [ "$got" = "$want" ] || fail "sources written $layout: debootstrap got '$got', not $want ($(tail -n 2 "$tmp/image-$layout.log"))"
  done
  unset FAKE_DEBOOTSTRAP
}

# --- starting and stopping ----------------------------------------------------------------------

case_stop_during_the_disk_build_leaves_nothing_running() {
  local c
  c=$(new_clone)
  export FAKE_DEBOOTSTRAP=slow
  bash "$c/scripts/i686-machine/boot.sh" --disk
  bash "$c/scripts/i686-machine/boot.sh" --start
  # Marked as started when --start returns: a test that asks right after waits for the machine.
  (TESSMARK_BUILD_ROOT="$c/build/dev-any-i686"; source "$c/scripts/wine-env.sh"; tessmark_i686_machine_started) ||
    fail "the machine does not count as started when --start returns (from a dev-test.sh build folder)"
  wait_for 30 grep -q '^debootstrap ' "$FAKE_LOG" || fail "the disk's build never reached debootstrap"
  bash "$c/scripts/i686-machine/boot.sh" --stop
  wait_for 30 no_leftovers || fail "still running 30 s after the stop: $(leftovers)"
  [ "$(count_in_log qemu)" = 0 ] || fail "QEMU was started after the stop"
  [ ! -e "$c/build/i686-machine/started" ] || fail "the machine still counts as started"
  unset FAKE_DEBOOTSTRAP
}

case_a_failed_disk_build_fails_the_tests_at_once_and_runs_once() {
  local c
  c=$(new_clone)
  export FAKE_DEBOOTSTRAP=fail
  bash "$c/scripts/i686-machine/boot.sh" --disk
  bash "$c/scripts/i686-machine/boot.sh" --start
  run_in "$c" true
  [ "$status" = 1 ] || fail "run-in.sh ended with $status, not 1"
  check_contains "the failure" "the machine's disk could not be made" "$out"
  check_contains "the disk build's log" "stand-in debootstrap: the mirror cannot be reached" "$out"
  check_contains "the build's exit code" "image.sh ended with code 1" "$out"
  [ "$(count_in_log debootstrap)" = 1 ] || fail "the disk was built $(count_in_log debootstrap) times"
  bash "$c/scripts/i686-machine/boot.sh" --stop
  unset FAKE_DEBOOTSTRAP
}

case_a_failing_start_step_fails_the_tests_at_once() {
  local c
  c=$(new_clone)
  ready_disk "$c"
  export FAKE_QEMU_IMG=fail
  bash "$c/scripts/i686-machine/boot.sh" --start
  run_in "$c" true
  [ "$status" = 1 ] || fail "run-in.sh ended with $status, not 1"
  check_contains "the failure" "boot.sh --start failed" "$out"
  check_contains "the failing step" "qemu-img create" "$out"
  bash "$c/scripts/i686-machine/boot.sh" --stop
  unset FAKE_QEMU_IMG
}

case_stop_ends_only_this_clones_qemu() {
  local c other
  c=$(new_clone)
  mkdir -p "$c/build/i686-machine"
  sleep 300 &
  other=$!
  # A pid file left by a machine long gone, whose number another program has since.
  echo "$other" >"$c/build/i686-machine/qemu.pid"
  touch "$c/build/i686-machine/started"
  bash "$c/scripts/i686-machine/boot.sh" --stop
  kill -0 "$other" 2>/dev/null || fail "--stop ended a process that is not the clone's QEMU"
  kill "$other" 2>/dev/null
  wait "$other" 2>/dev/null
}

# --- jobs in the machine ---------------------------------------------------------------------

case_a_job_runs_inside_and_gives_its_output_and_code() {
  local c
  c=$(new_clone)
  ready_disk "$c"
  bash "$c/scripts/i686-machine/boot.sh" --start
  TESSMARK_SOMETHING=passed run_in "$c" bash -c 'echo "inside: $TESSMARK_SOMETHING"; exit 3'
  [ "$status" = 3 ] || fail "the job's exit code came back as $status, not 3"
  check_contains "the job's output" "inside: passed" "$out"
  bash "$c/scripts/i686-machine/boot.sh" --stop
  wait_for 30 no_leftovers || fail "still running after the stop: $(leftovers)"
}

case_a_job_past_its_tests_time_out_is_ended_inside() {
  local c
  c=$(new_clone)
  ready_disk "$c"
  bash "$c/scripts/i686-machine/boot.sh" --start
  # A test with 40 s: the job gets what is left less the margin, and ends with its output.
  TESSMARK_TEST_TIMEOUT=40 run_in "$c" bash -c 'echo begun; exec sleep 4242'
  [ "$status" = 124 ] || fail "the job ended with $status, not 124"
  check_contains "the job's output" "begun" "$out"
  check_contains "the reason" "ran for its limit" "$out"
  wait_for 20 bash -c '! pgrep -f "slee[p] 4242" >/dev/null' || fail "the job still runs"
  bash "$c/scripts/i686-machine/boot.sh" --stop
}

case_a_job_whose_waiter_was_killed_is_ended() {
  local c waiter
  c=$(new_clone)
  ready_disk "$c"
  export TESSMARK_I686_JOB_STALE_LIMIT=6
  bash "$c/scripts/i686-machine/boot.sh" --start
  bash "$c/scripts/i686-machine/run-in.sh" bash -c 'exec sleep 4343' >/dev/null 2>&1 &
  waiter=$!
  wait_for 60 pgrep -f "slee[p] 4343" >/dev/null || fail "the job never started"
  # As CTest ends a test past its time-out: KILL, to the whole tree, no trap runs.
  pkill -KILL -P "$waiter"; kill -KILL "$waiter"
  wait "$waiter" 2>/dev/null
  wait_for 40 bash -c '! pgrep -f "slee[p] 4343" >/dev/null' || fail "the job still runs without its waiter"
  bash "$c/scripts/i686-machine/boot.sh" --stop
  unset TESSMARK_I686_JOB_STALE_LIMIT
}

case_a_machine_that_dies_during_a_job_says_so_with_its_console() {
  local c
  c=$(new_clone)
  ready_disk "$c"
  export FAKE_GUEST=panic
  bash "$c/scripts/i686-machine/boot.sh" --start
  run_in "$c" sleep 100
  [ "$status" = 1 ] || fail "run-in.sh ended with $status, not 1"
  check_contains "the failure" "the machine stopped while sleep ran" "$out"
  check_contains "the console" "Kernel panic - not syncing" "$out"
  bash "$c/scripts/i686-machine/boot.sh" --stop
  unset FAKE_GUEST
}

# --- the road to the 32-bit programs and the CTest call -----------------------------------------

case_the_road_to_32bit_programs() {
  local loader="$tmp/wine32" binfmt="$tmp/binfmt" row emulated asked machine want road
  printf '#!/bin/sh\necho wine-8.0\n' >"$loader"; chmod +x "$loader"
  mkdir -p "$binfmt"
  # registration of i386 programs | TESSMARK_EMULATED_I686 | TESSMARK_I686_MACHINE | road
  for row in "none  -  1 native" "none  1  1 native" "enabled -  1 machine" "enabled 1  1 emulator" \
             "enabled -  0 none" "disabled - 1 native"; do
    read -r emulated asked machine want <<<"$row"
    rm -f "$binfmt/qemu-i386"
    [ "$emulated" = none ] || echo "$emulated" >"$binfmt/qemu-i386"
    [ "$asked" = - ] && asked=""
    road=$(TESSMARK_WINE32_LOADER=$loader TESSMARK_BINFMT_DIR=$binfmt TESSMARK_EMULATED_I686=$asked \
           TESSMARK_I686_MACHINE=$machine bash -c "source '$root/scripts/i686-road.sh'; tessmark_i686_road; echo \$TESSMARK_I686_ROAD")
    [ "$road" = "$want" ] || fail "registration $emulated, asked '$asked', machine $machine: road $road, not $want"
  done
  road=$(TESSMARK_WINE32_LOADER=/bin/false TESSMARK_BINFMT_DIR=$binfmt bash -c \
         "source '$root/scripts/i686-road.sh'; tessmark_i686_road; echo \$TESSMARK_I686_ROAD")
  [ "$road" = machine ] || fail "a loader that the kernel refuses: road $road, not machine"
}

case_a_test_that_did_not_run_fails_the_call_under_ci() {
  local p="$tmp/ctest-project" out status
  mkdir -p "$p"
  cat >"$p/CTestTestfile.cmake" <<'EOF'
add_test(ran.x86_64 sh -c "echo ran")
set_tests_properties(ran.x86_64 PROPERTIES LABELS "x86_64")
add_test(skipped.i686 sh -c "echo 'not run: this machine runs no 32-bit code' >&2; exit 77")
set_tests_properties(skipped.i686 PROPERTIES SKIP_RETURN_CODE 77 LABELS "i686")
EOF
  status=0; out=$(cd "$p" && bash "$root/scripts/ctest-run.sh" 2>&1) || status=$?
  [ "$status" = 0 ] || fail "without CI=true a test that did not run fails the call ($status)"
  status=0; out=$(cd "$p" && CI=true bash "$root/scripts/ctest-run.sh" 2>&1) || status=$?
  [ "$status" != 0 ] || fail "under CI=true a test that did not run passes the call"
  check_contains "the test named with its reason" "skipped.i686: not run: this machine runs no 32-bit code" "$out"
  status=0; out=$(cd "$p" && CI=true bash "$root/scripts/ctest-run.sh" -L x86_64 2>&1) || status=$?
  [ "$status" = 0 ] || fail "under CI=true a call whose tests all ran fails ($status)"
  status=0; out=$(cd "$p" && bash "$root/scripts/ctest-run.sh" --tests-required -L x86_64 -L i686 2>&1) || status=$?
  [ "$status" != 0 ] || fail "a call that must select tests and selects none passes"
  status=0; out=$(cd "$p" && bash "$root/scripts/ctest-run.sh" -L x86_64 -L i686 2>&1) || status=$?
  [ "$status" = 0 ] || fail "a call that may select nothing fails ($status)"
}

# The test command starts the machine, and makes the i686 CTest call, only for arguments that
# select i686 tests; it asks both from the clone's root and from its build folder.
case_what_the_arguments_select_is_known_from_any_folder() {
  local b="$tmp/selection/build" row label want args got from arch
  mkdir -p "$b/x86_64" "$b/i686"
  echo 'subdirs("x86_64" "i686")' >"$b/CTestTestfile.cmake"
  for arch in x86_64 i686; do
    cat >"$b/$arch/CTestTestfile.cmake" <<EOF
add_test(ui_tests.$arch true)
set_tests_properties(ui_tests.$arch PROPERTIES LABELS "$arch")
add_test(installer_e2e.$arch true)
set_tests_properties(installer_e2e.$arch PROPERTIES LABELS "$arch;e2e")
EOF
  done
  # label | selected | arguments
  for row in "i686 2" "x86_64 2" "i686 0 -L x86_64" "x86_64 0 -L i686" "i686 1 -L e2e" \
             "i686 1 -R ^ui_tests[.]i686\$" "x86_64 0 -R ^ui_tests[.]i686\$" "i686 0 -R nothing"; do
    read -r label want args <<<"$row"
    for from in "$tmp" "$b"; do
      # shellcheck disable=SC2086
      got=$(cd "$from" && bash "$root/scripts/ctest-selected.sh" "$b" "$label" $args)
      [ "$got" = "$want" ] || fail "'$args' asked from $from: $got $label tests, not $want"
    done
  done
  got=$(bash "$root/scripts/ctest-selected.sh" "$tmp/selection/never-built" i686 -L x86_64)
  [ -z "$got" ] || fail "a build folder never made answers '$got', not nothing"
}

all_cases=($(declare -F | sed -n 's/^declare -f case_//p'))
[ $# -gt 0 ] && all_cases=("$@")
for c in "${all_cases[@]}"; do
  current=$c
  # What the stand-ins were asked to do in this case.
  export FAKE_LOG="$tmp/$c.stand-ins.log"
  # and a cache of its own: a disk made for one case is not there for the next.
  export TESSMARK_DEPS_CACHE="$tmp/$c.cache"
  echo "[ RUN  ] $c"
  before=${#failures[@]}
  t=$SECONDS
  "case_$c"
  if [ ${#failures[@]} -eq "$before" ]; then echo "[  OK  ] $c ($((SECONDS - t)) s)"; else echo "[FAILED] $c"; fi
done
echo "${#all_cases[@]} cases, ${#failures[@]} failed checks"
for f in "${failures[@]}"; do echo "  $f"; done
[ ${#failures[@]} -eq 0 ]
