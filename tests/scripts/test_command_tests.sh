#!/usr/bin/env bash
# The test command's own scripts, on the build host: the emulated machine's life cycle
# (scripts/i686-machine), the test command's exit path (scripts/test.sh, scripts/exit-path.sh),
# the road to the 32-bit programs (scripts/i686-road.sh) and the CTest call that will not let a
# test that did not run pass (scripts/ctest-run.sh). QEMU, qemu-img, debootstrap, Xvfb, openbox
# and Wine are stand-ins (tests/scripts/stand-ins) where the real ones take minutes or a display;
# the scripts, the job loop, the processes and CTest are the real ones. Each case works on a copy
# of the clone's scripts in a folder of its own, so no real machine of the clone is touched.
#   test_command_tests.sh [CASE...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tessmark-scripts.XXXXXX")
# The stand-ins run from this run's own folder, and what they leave waiting carries its name
# (FAKE_TAG), as do the cases' own sleepers: the cases look only for their own processes, so two
# clones run them side by side.
cp -r "$here/stand-ins" "$tmp/stand-ins"
export PATH="$tmp/stand-ins:$PATH"
export FAKE_TAG=$tmp
# Under CTest the test command's own session is in the environment: each case makes its own.
unset CI TESSMARK_TEST_TIMEOUT TESSMARK_I686_MACHINE TESSMARK_EMULATED_I686 TESSMARK_I686_JOB_LIMIT \
      TESSMARK_I686_MACHINE_SILENCE_LIMIT TESSMARK_WINE32_LOADER TESSMARK_WINE64_LOADER \
      TESSMARK_BUILD_ROOT WINEPREFIX WINELOADER

# Every process a case left: those of its clones, of the stand-ins and of its sleepers.
leftovers() { pgrep -af -- "$tmp" | grep -v -e pgrep -e "$$" || true; }
cleanup() {
  local pid
  for pid in $(pgrep -f -- "$tmp"); do [ "$pid" = $$ ] || kill -KILL "$pid" 2>/dev/null; done
  [ -n "${KEEP_TMP:-}" ] || rm -rf "$tmp"
}
trap cleanup EXIT

# sleeper NAME SECONDS: a command line (for bash -c) that sleeps under a name of this run's own.
sleeper() { echo "exec -a '$tmp/$1' sleep $2"; }
# A process of this run that is no process of the scripts': what a pid file may name by now.
unrelated_process() {
  setsid bash -c "$(sleeper "unrelated-$1" 300)" </dev/null >/dev/null 2>&1 &
  echo $!
}
# True while PID runs (one that was ended and waits for this shell to collect it does not).
runs() { local stat; stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1; stat=${stat##*) }; [ "${stat%% *}" != Z ]; }
# True when no sleeper NAME of this run runs (pgrep from here: a bash -c around it would find itself).
gone() { ! sleeping "$1"; }
# True while the sleeper NAME itself runs (its command line begins with its name; the commands
# that hand it over only mention it).
sleeping() { pgrep -f -- "^$tmp/$1" >/dev/null; }
# The start time of PID (the 22nd field of its stat, after the command's name in parentheses).
process_start_of() { local stat; stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 0; stat=${stat##*) }; cut -d' ' -f20 <<<"$stat"; }

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
  for f in i686-machine/image.sh i686-machine/host-apt.sh i686-machine/guest-init.sh i686-machine/guest-bake.sh \
           i686-machine/guest-env.sh i686-machine/machine.sh wine-session.sh wine-env.sh i686-road.sh \
           exit-path.sh processes.sh; do
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

# The disk is made from the mirror the host's apt uses, whichever way its sources are written
# (Debian's installer leaves the one-line list with a slash at the mirror's end), with the host's
# own security source, or none where the host has none and its mirror is not Debian's own; and
# through the host's apt proxy. Debian's own mirror where the sources name none; a missing sources
# file is no failure.
case_the_disk_comes_from_the_hosts_mirror() {
  local c apt row layout want_mirror want_security want_proxy got got_mirror got_security got_proxy
  c=$(new_clone)
  # how the host's sources are written | the mirror | the security source | the proxy
  for row in "deb822 http://mirror.example/debian http://security.example/debian-security -" \
             "deb822-slash http://mirror.example/debian - -" \
             "one-line http://one.example/debian http://one.example/debian-security -" \
             "installer http://host.example/debian - http://proxy.example:3142/" \
             "options http://one.example/debian - -" \
             "both http://mirror.example/debian http://security.example/debian-security -" \
             "none http://deb.debian.org/debian http://deb.debian.org/debian-security -"; do
    read -r layout want_mirror want_security want_proxy <<<"$row"
    apt="$tmp/apt-$layout"
    mkdir -p "$apt/sources.list.d" "$apt/apt.conf.d"
    case $layout in deb822 | both)
      printf 'Types: deb deb-src\nURIs: http://mirror.example/debian\nSuites: bookworm bookworm-updates\nComponents: main\n\n# Security\nTypes: deb\nURIs: http://security.example/debian-security\nSuites: bookworm-security\n' \
        >"$apt/sources.list.d/debian.sources" ;;
    esac
    case $layout in deb822-slash)
      printf 'types: deb\nuris: http://mirror.example/debian/\nsuites: bookworm\n' >"$apt/sources.list.d/debian.sources" ;;
    esac
    case $layout in one-line | both)
      printf 'deb [arch=amd64] http://one.example/debian bookworm main\ndeb http://one.example/debian-security bookworm-security main\n' \
        >"$apt/sources.list" ;;
    esac
    case $layout in installer)
      # As Debian's installer writes it, with the proxy it was given.
      printf 'deb cdrom:[Debian GNU/Linux 12.5.0 _Bookworm_ - Official amd64 DVD Binary-1]/ bookworm main\n\ndeb http://host.example/debian/ bookworm main\ndeb-src http://host.example/debian/ bookworm main\n' \
        >"$apt/sources.list"
      echo 'Acquire::http::Proxy "http://proxy.example:3142/";' >"$apt/apt.conf.d/00proxy" ;;
    esac
    case $layout in options)
      echo "deb [ arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg ] http://one.example/debian/ bookworm main" \
        >"$apt/sources.list" ;;
    esac
    got=$(TESSMARK_APT_ETC=$apt bash -c "source '$c/scripts/i686-machine/host-apt.sh'
             echo \"\$(host_apt_mirror)|\$(host_apt_security)|\$(host_apt_proxy)\"")
    IFS='|' read -r got_mirror got_security got_proxy <<<"$got"
    [ "$got_mirror" = "$want_mirror" ] || fail "sources written $layout: mirror '$got_mirror', not $want_mirror"
    [ "${got_security:--}" = "$want_security" ] || fail "sources written $layout: security '$got_security', not $want_security"
    [ "$got_proxy" = "$([ "$want_proxy" = - ] || echo "Acquire::http::Proxy \"$want_proxy\";")" ] ||
      fail "sources written $layout: proxy '$got_proxy', not $want_proxy"
    # What debootstrap gets.
    : >"$FAKE_LOG"
    FAKE_DEBOOTSTRAP=fail TESSMARK_APT_ETC=$apt bash "$c/scripts/i686-machine/image.sh" >/dev/null 2>"$tmp/image-$layout.log"
    got=$(sed -n 's/^debootstrap [0-9]* //p' "$FAKE_LOG")
    [ "$got" = "$want_mirror" ] || fail "sources written $layout: debootstrap got '$got', not $want_mirror ($(tail -n 2 "$tmp/image-$layout.log"))"
    got=$(sed -n 's/^debootstrap-proxy //p' "$FAKE_LOG")
    [ "$want_proxy" = - ] || [ "$got" = "$want_proxy" ] || fail "sources written $layout: debootstrap's proxy '$got', not $want_proxy"
  done
}

# A command of the disk's build that fails in a function says where; no child of the build holds
# the lock that keeps two builds of one disk apart.
case_the_disk_build_says_where_it_failed_and_lends_no_child_its_lock() {
  local c out
  c=$(new_clone)
  : >"$FAKE_LOG"
  # debootstrap "works" but leaves nothing: the next command, in make_disk, cannot write the tree.
  out=$(FAKE_DEBOOTSTRAP=empty bash "$c/scripts/i686-machine/image.sh" 2>&1 >/dev/null)
  check_contains "the failure" "FAILED at line" "$out"
  check_contains "the failing command" "sources.list" "$out"
  grep -q '^debootstrap-lock-descriptors 0$' "$FAKE_LOG" ||
    fail "debootstrap holds the disk's lock: $(grep lock-descriptors "$FAKE_LOG")"
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

# A pid file outlives its process, and its number comes round again: each of them names a process
# of the scripts only with the start time it had (and QEMU only on this clone's overlay).
case_a_pid_file_whose_process_is_not_ours_is_left_alone() {
  local c m d row file form command other start mimic
  c=$(new_clone)
  m="$c/build/i686-machine" d="$c/build/i686-disk"
  # pid file | how it names the unrelated process | the command that reads it
  for row in "$d/pid bare --stop" "$d/pid other-start --disk" "$m/starter.pid bare --start" \
             "$m/starter.pid other-start --stop" "$m/qemu.pid bare --stop" "$m/qemu.pid other-start --start" \
             "$m/qemu.pid look-alike --stop"; do
    read -r file form command <<<"$row"
    rm -rf "$m" "$d"; mkdir -p "$m/jobs" "$d"
    touch "$m/started" "$d/owner"
    other=$(unrelated_process "${file##*/}")
    wait_for 5 test -n "$(process_start_of "$other")"
    start=$(process_start_of "$other")
    case $form in
      bare) echo "$other" >"$file" ;;
      other-start) echo "$other $((start + 1))" >"$file" ;;
      look-alike)
        # Its own number and start time, and the overlay's path inside a longer one: the match
        # is on QEMU's whole drive argument.
        kill "$other"
        mimic="file=/elsewhere$m/overlay.qcow2,if=virtio"
        setsid bash -c "exec -a '$mimic' sleep 300" </dev/null >/dev/null 2>&1 &
        other=$!
        wait_for 5 test -n "$(process_start_of "$other")"
        echo "$other $(process_start_of "$other")" >"$file" ;;
    esac
    [ "$command" != --start ] || ready_disk "$c"
    [ "$command" != --disk ] || export FAKE_DEBOOTSTRAP=fail
    bash "$c/scripts/i686-machine/boot.sh" "$command" >"$tmp/pid-file.log" 2>&1
    unset FAKE_DEBOOTSTRAP
    sleep 1
    runs "$other" || fail "boot.sh $command ended the process that $file names ($form): $(tail -n 3 "$tmp/pid-file.log")"
    kill "$other" 2>/dev/null
    bash "$c/scripts/i686-machine/boot.sh" --stop >/dev/null 2>&1
  done
}

# The job loop inside the machine ends a job's session by its leader's number: a number that
# another session's leader has by now is not the job's.
case_a_jobs_session_number_that_is_another_sessions_by_now_is_left_alone() {
  local c job other
  c=$(new_clone)
  ready_disk "$c"
  bash "$c/scripts/i686-machine/boot.sh" --start
  bash "$c/scripts/i686-machine/run-in.sh" bash -c "$(sleeper job-4545 4545)" >/dev/null 2>&1 &
  wait_for 60 sleeping job-4545 || fail "the job never started"
  job=$(ls -d "$c"/build/i686-machine/jobs/*.job 2>/dev/null | head -n 1)
  [ -n "$job" ] || { fail "no job folder"; return; }
  wait_for 10 test -s "$job/pid"
  # A session of its own (setsid: its leader's number is its group's), as another job's would be.
  other=$(unrelated_process session)
  wait_for 5 test -n "$(process_start_of "$other")"
  # Named as a bare number, then with another start time: the loop's TERM, and its KILL 10 s later.
  echo "$other" >"$job/pid"
  touch "$job/cancel"
  sleep 1.5
  echo "$other $(($(process_start_of "$other") + 1))" >"$job/pid"
  sleep 12
  runs "$other" || fail "the job loop ended a session that is not the job's"
  kill "$other" 2>/dev/null
  pkill -f "^$tmp/job-4545"
  bash "$c/scripts/i686-machine/boot.sh" --stop
}

# One clone has one machine: while the command that started it runs, another command's start (or
# disk build) leaves it as it is and says whose it is (code 3: that command uses it), and a stop
# from that other command leaves it running. Once its command has ended it is anyone's.
case_a_machine_in_use_by_another_command_is_used_not_wiped() {
  local c owner qemu status out
  c=$(new_clone)
  ready_disk "$c"
  bash -c "bash '$c/scripts/i686-machine/boot.sh' --start; $(sleeper owner-command 300)" &
  owner=$!
  wait_for 30 test -e "$c/build/i686-machine/ready" || fail "the machine was never ready"
  qemu=$(cut -d' ' -f1 "$c/build/i686-machine/qemu.pid")
  for command in --start --disk; do
    status=0; out=$(bash "$c/scripts/i686-machine/boot.sh" "$command" 2>&1) || status=$?
    [ "$status" = 3 ] || fail "boot.sh $command beside the machine's command ended with $status, not 3"
    check_contains "boot.sh $command says whose the machine is" "in use by" "$out"
  done
  bash "$c/scripts/i686-machine/boot.sh" --stop 2>/dev/null
  runs "$qemu" || fail "another command's start, disk build or stop ended the machine"
  [ "$(cut -d' ' -f1 "$c/build/i686-machine/qemu.pid")" = "$qemu" ] || fail "the machine was started again"
  run_in "$c" bash -c 'echo used'
  [ "$status" = 0 ] && grep -q used <<<"$out" || fail "the machine in use does not run another command's job ($status): $out"
  # Its command ends (without stopping it, as after a KILL): the machine is anyone's.
  kill "$owner"; pkill -f "$tmp/owner-command"
  wait "$owner" 2>/dev/null
  bash "$c/scripts/i686-machine/boot.sh" --stop
  wait_for 30 bash -c "! kill -0 $qemu 2>/dev/null" || fail "the machine of a command that has ended was not stopped"
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
  local c row timeout job_limit
  c=$(new_clone)
  ready_disk "$c"
  bash "$c/scripts/i686-machine/boot.sh" --start
  # A test with 40 s: the job gets what is left less the margin, and ends with its output. A job
  # that no test bounds (run-in.sh bash scripts/test.sh) has a limit too.
  # the test's time-out | the limit for jobs without one
  for row in "40 -" "- 8"; do
    read -r timeout job_limit <<<"$row"
    [ "$timeout" != - ] || timeout=""
    [ "$job_limit" != - ] || job_limit=""
    TESSMARK_TEST_TIMEOUT=$timeout TESSMARK_I686_JOB_LIMIT=$job_limit \
      run_in "$c" bash -c "echo begun; $(sleeper job-4242 4242)"
    [ "$status" = 124 ] || fail "time-out '$timeout', job limit '$job_limit': the job ended with $status, not 124"
    check_contains "the job's output" "begun" "$out"
    check_contains "the reason" "ran for its limit" "$out"
    wait_for 20 gone job-4242 || fail "the job still runs"
  done
  bash "$c/scripts/i686-machine/boot.sh" --stop
}

case_a_job_whose_waiter_was_killed_is_ended() {
  local c waiter how
  c=$(new_clone)
  ready_disk "$c"
  export TESSMARK_I686_JOB_STALE_LIMIT=6
  bash "$c/scripts/i686-machine/boot.sh" --start
  # As CTest ends a test past its time-out: KILL, no trap runs; to the whole tree, or to run-in.sh
  # alone (what it started meanwhile, or was starting, lives on).
  for how in tree script; do
    bash "$c/scripts/i686-machine/run-in.sh" bash -c "$(sleeper job-4343 4343)" >/dev/null 2>&1 &
    waiter=$!
    wait_for 60 sleeping job-4343 || fail "the job never started"
    [ "$how" = script ] || pkill -KILL -P "$waiter"
    kill -KILL "$waiter"
    wait "$waiter" 2>/dev/null
    wait_for 40 gone job-4343 || fail "the job still runs without its waiter (killed: $how)"
  done
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

case_a_machine_that_hangs_once_ready_fails_its_jobs_within_minutes() {
  local c t
  c=$(new_clone)
  ready_disk "$c"
  export FAKE_GUEST=silent TESSMARK_I686_MACHINE_SILENCE_LIMIT=6
  bash "$c/scripts/i686-machine/boot.sh" --start
  t=$SECONDS
  # A test with an hour: the job fails once the machine has been silent for the limit.
  TESSMARK_TEST_TIMEOUT=3600 run_in "$c" sleep 100
  [ "$status" = 1 ] || fail "run-in.sh ended with $status, not 1"
  check_contains "the failure" "the machine stopped answering while sleep ran" "$out"
  check_contains "the console" "rcu_preempt detected stalls" "$out"
  # Well before the test's own hour: the silence, not the time-out, ended it.
  [ $((SECONDS - t)) -lt 120 ] || fail "the job failed only after $((SECONDS - t)) s"
  bash "$c/scripts/i686-machine/boot.sh" --stop
  unset FAKE_GUEST TESSMARK_I686_MACHINE_SILENCE_LIMIT
}

case_a_job_that_cannot_be_handed_over_fails_with_its_reason() {
  local c
  c=$(new_clone)
  ready_disk "$c"
  bash "$c/scripts/i686-machine/boot.sh" --start
  wait_for 30 test -e "$c/build/i686-machine/ready"
  # No folder for the job: the jobs' folder is a file.
  rm -rf "$c/build/i686-machine/jobs"; touch "$c/build/i686-machine/jobs"
  run_in "$c" true
  [ "$status" = 1 ] || fail "run-in.sh ended with $status, not 1"
  check_contains "the reason" "could not be handed to the machine" "$out"
  rm -f "$c/build/i686-machine/jobs"; mkdir -p "$c/build/i686-machine/jobs"
  bash "$c/scripts/i686-machine/boot.sh" --stop
}

# --- the test command's exit path ---------------------------------------------------------------

# test.sh in a clone whose package set-up and builds are stand-ins, on the road through the
# emulated machine, with the disk's build waiting at debootstrap: whichever moment it ends at, it
# ends within seconds, and so does all it started (the disk's build, the Wine session's display
# and window manager, what it waited for).
case_the_test_command_ends_all_it_started_whenever_it_ends() {
  local c row moment how pid t status wine_prefix
  # the moment | how the command ends there
  for row in "build-deps TERM" "build TERM" "xvfb-fails exit" "first-wine-program TERM" "wineboot INT"; do
    read -r moment how <<<"$row"
    c=$(new_clone)
    : >"$FAKE_LOG"
    printf '#!/bin/sh\nexit 0\n' >"$c/scripts/install-packages.sh"
    local wait_debootstrap="while ! grep -q '^debootstrap ' '$FAKE_LOG'; do sleep 0.1; done"
    local at_moment="touch '$c/build/at-$moment'; $(sleeper "$moment" 1000)"
    if [ "$moment" = build-deps ]; then echo "$at_moment" >"$c/scripts/build-deps.sh"; else echo "exit 0" >"$c/scripts/build-deps.sh"; fi
    if [ "$moment" = build ]; then echo "$wait_debootstrap; $at_moment" >"$c/scripts/build.sh"; else echo "$wait_debootstrap" >"$c/scripts/build.sh"; fi
    wine_prefix="$c/build/wineprefix"
    mkdir -p "$wine_prefix"
    if [ "$moment" != wineboot ]; then touch "$wine_prefix/.tessmark-ready"; echo 2 >"$wine_prefix/.tessmark-version"; fi
    FAKE_DEBOOTSTRAP=slow FAKE_XVFB=$([ "$moment" = xvfb-fails ] && echo fail) \
      FAKE_WINE=$(case $moment in first-wine-program | wineboot) echo slow ;; esac) \
      TESSMARK_WINE32_LOADER=/bin/false TESSMARK_WINE64_LOADER="$tmp/stand-ins/wine64" DISPLAY= \
      env --default-signal=INT setsid bash ${TRACE_TEST_SH:+-x} "$c/scripts/test.sh" >"$tmp/test-$moment.log" 2>&1 </dev/null &
    pid=$!
    case $moment in
      first-wine-program) wait_for 60 grep -q '^wine cmd /c exit' "$FAKE_LOG" || fail "$moment: never reached" ;;
      wineboot) wait_for 60 grep -q '^wine wineboot' "$FAKE_LOG" || fail "$moment: never reached" ;;
      xvfb-fails) ;;
      *) wait_for 60 test -e "$c/build/at-$moment" || fail "$moment: never reached" ;;
    esac
    t=$SECONDS
    [ "$how" = exit ] || kill "-$how" "$pid"
    wait_for 30 bash -c "! kill -0 $pid 2>/dev/null" || fail "$moment: test.sh still runs 30 s after the $how"
    status=0; wait "$pid" || status=$?
    [ "$status" != 0 ] || fail "$moment: test.sh ended with 0"
    [ "$moment" != xvfb-fails ] || check_contains "$moment: the reason" "Xvfb did not start" "$(cat "$tmp/test-$moment.log")"
    wait_for 30 no_leftovers || fail "$moment: still running after test.sh ended: $(leftovers)"
    [ $((SECONDS - t)) -lt 90 ] || fail "$moment: it took $((SECONDS - t)) s to end everything"
    [ ! -e "$c/build/i686-disk/pid" ] || fail "$moment: the disk build's pid file outlived it"
  done
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
  # Whatever a case left running is its own fault, not the next case's.
  if ! wait_for 30 no_leftovers; then
    fail "still running after the case: $(leftovers)"
    for pid in $(pgrep -f -- "$tmp"); do [ "$pid" = $$ ] || kill -KILL "$pid" 2>/dev/null; done
  fi
  if [ ${#failures[@]} -eq "$before" ]; then echo "[  OK  ] $c ($((SECONDS - t)) s)"; else echo "[FAILED] $c"; fi
done
echo "${#all_cases[@]} cases, ${#failures[@]} failed checks"
for f in "${failures[@]}"; do echo "  $f"; done
[ ${#failures[@]} -eq 0 ]
