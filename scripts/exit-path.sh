# Sourced: one exit path for a script and every script it sources. Each of them adds what ends
# the things it started (tessmark_at_exit), and all of it runs, last added first, whichever way
# the script ends: at its end, after a failure under set -e, on exit in a sourced script, on TERM,
# INT or HUP. A script that set its own EXIT trap would take the others' place; none does.
#   tessmark_at_exit COMMAND     adds COMMAND (a string, run with eval) to the exit path
#   tessmark_waited COMMAND...   runs COMMAND as a child that a signal does not wait for: bash
#                                runs a trap only once a foreground child has ended, so a TERM
#                                during a build would wait for the build. The exit path ends the
#                                child's whole tree.
source "$(dirname "${BASH_SOURCE[0]}")/processes.sh"

if [ -z "${_tessmark_exit_path:-}" ]; then
  _tessmark_exit_path=$BASHPID
  _tessmark_at_exit=()
  _tessmark_waited=""
fi

_tessmark_run_exit_path() {
  local status=$? i
  trap - EXIT
  # A subshell inherits none of this: only the shell that set the path runs it.
  [ "$BASHPID" = "$_tessmark_exit_path" ] || return "$status"
  # shellcheck disable=SC2086
  set -- $_tessmark_waited
  [ -z "${2:-}" ] || end_tree "$1" "$2" || true
  for ((i = ${#_tessmark_at_exit[@]} - 1; i >= 0; i--)); do
    eval "${_tessmark_at_exit[$i]}" || true
  done
  return "$status"
}
trap _tessmark_run_exit_path EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

tessmark_at_exit() {
  _tessmark_at_exit+=("$1")
}

tessmark_waited() {
  local status=0 pid
  "$@" &
  pid=$!
  # (A child that has ended already has no start time, and nothing to end.)
  _tessmark_waited="$pid $(process_start "$pid" 2>/dev/null || true)"
  wait "$pid" || status=$?
  _tessmark_waited=""
  return "$status"
}
