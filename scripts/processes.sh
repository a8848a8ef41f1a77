# Sourced: the processes that the project's scripts start and end. A number read from a file may
# by now belong to another program (a test run goes round the kernel's 32768 numbers within the
# hour), so a recorded process is its number and its start time, and a signal goes only to a
# process that has both.

# The start time of PID (clock ticks after the boot), which no later process of that number has.
process_start() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  # The fields after the command's name, which may hold spaces and parentheses: the state is the
  # first of them, the start time the twentieth.
  stat=${stat##*) }
  # shellcheck disable=SC2086
  set -- $stat
  [ -n "${20:-}" ] || return 1
  echo "${20}"
}

# True while PID runs (a process that ended and waits for its parent to collect it does not).
process_alive() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# record_process FILE PID: writes PID with its start time into FILE; fails, writing nothing, when
# PID has already ended.
record_process() {
  local start
  start=$(process_start "$2") || return 1
  process_alive "$2" || return 1
  echo "$2 $start" >"$1.tmp" && mv -f "$1.tmp" "$1"
}

# recorded_process FILE: prints the number of the process that FILE names while that very process
# runs. A file whose process has ended, whose number another program has since, or that holds a
# bare number (no start time to tell them apart) is removed.
recorded_process() {
  local pid="" start="" rest
  [ -f "$1" ] || return 1
  read -r pid start rest 2>/dev/null <"$1" || true
  if [ -n "$pid" ] && [ -n "$start" ] && [ "$(process_start "$pid" 2>/dev/null)" = "$start" ] &&
     process_alive "$pid"; then
    echo "$pid"
    return 0
  fi
  forget_process "$1" "$pid" "$start"
  return 1
}

# forget_process FILE PID [START]: removes FILE when it still names that process (a newer record
# of another process stays). Without START, the start time of PID now.
forget_process() {
  local start=${3:-}
  [ -n "$start" ] || start=$(process_start "$2" 2>/dev/null) || true
  [ "$(cat "$1" 2>/dev/null)" = "$2${start:+ $start}" ] && rm -f "$1"
  return 0
}

# The processes below PID, deepest first.
process_tree_below() {
  local child
  for child in $(ps -o pid= --ppid "$1" 2>/dev/null); do
    process_tree_below "$child"
    echo "$child"
  done
}

# end_tree PID [START]: ends PID and every process it started, whatever process group or session
# they moved to (timeout, setsid); with START, only while PID is still the process that started
# then. The tree is frozen first, so that nothing in it starts another process while it is read;
# then TERM, and KILL for what still runs 10 s later.
end_tree() {
  local pid=$1 start=${2:-} tree="" before="" round p alive starts=()
  process_alive "$pid" || return 0
  [ -z "$start" ] || [ "$(process_start "$pid")" = "$start" ] || return 0
  for round in 1 2 3 4 5; do
    tree="$(process_tree_below "$pid") $pid"
    # shellcheck disable=SC2086
    kill -STOP $tree 2>/dev/null || true
    [ "$tree" != "$before" ] || break
    before=$tree
  done
  # What still runs 10 s later is known by its start time too: a number freed meanwhile may
  # already be another program's.
  for p in $tree; do starts+=("$p:$(process_start "$p" 2>/dev/null)"); done
  # shellcheck disable=SC2086
  kill -TERM $tree 2>/dev/null || true
  # shellcheck disable=SC2086
  kill -CONT $tree 2>/dev/null || true
  for round in $(seq 50); do
    alive=""
    for p in "${starts[@]}"; do
      process_alive "${p%%:*}" && [ "$(process_start "${p%%:*}" 2>/dev/null)" = "${p#*:}" ] && alive+=" ${p%%:*}"
    done
    [ -n "$alive" ] || return 0
    sleep 0.2
  done
  # shellcheck disable=SC2086
  kill -KILL $alive 2>/dev/null || true
}

# end_recorded FILE: ends the process that FILE names, with all it started, and removes FILE. A
# file whose process is not ours (see recorded_process) is only removed.
end_recorded() {
  local pid start
  pid=$(recorded_process "$1") || return 0
  start=$(cut -d' ' -f2 "$1" 2>/dev/null)
  end_tree "$pid" "$start"
  forget_process "$1" "$pid" "$start"
}
