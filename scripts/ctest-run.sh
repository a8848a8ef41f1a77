#!/usr/bin/env bash
# One CTest call of the test command, in the current folder, with its output as CTest prints it.
#   ctest-run.sh [--tests-required] [ctest arguments...]
# --tests-required: a call that selects no test at all fails (the caller asked for these tests).
# A test that cannot run here answers 77, which CTest counts as skipped ("did not run") and the
# call as passed. Under CI=true every selected test must run: a test that did not run fails the
# call, which names it and gives the reason the test printed.
set -uo pipefail
required=()
if [ "${1:-}" = --tests-required ]; then required=(--no-tests=error); shift; fi
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
ctest "${required[@]}" "$@" 2>&1 | tee "$out" || status=$?
# CTest's closing list: "The following tests did not run:" then "	  5 - name (Skipped)" lines.
not_run=$(awk '/^The following tests did not run:/ { listing = 1; next }
               listing && /^[ \t]+[0-9]+ - / { sub(/^[ \t]+[0-9]+ - /, ""); sub(/ \([^)]*\)$/, ""); print; next }
               { listing = 0 }' "$out")
if [ -n "$not_run" ] && [ "${CI:-}" = true ]; then
  echo "CI=true needs every selected test to run; these did not:" >&2
  while IFS= read -r name; do
    # The reason the test printed ("not run: ..."), from CTest's log of the whole call.
    why=$(awk -v name="$name" '
            /^[0-9]+\/[0-9]+ Test: / { current = substr($0, index($0, "Test: ") + 6); output = 0; next }
            /^Output:$/ { output = 1; next }
            /^<end of output>$/ { output = 0; next }
            output && current == name && /not run: / { print substr($0, index($0, "not run: ")); exit }' \
          Testing/Temporary/LastTest.log 2>/dev/null)
    echo "  $name${why:+: $why}" >&2
  done <<<"$not_run"
  [ "$status" -ne 0 ] || status=1
fi
exit "$status"
