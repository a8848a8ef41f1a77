#!/usr/bin/env bash
# How many tests of LABEL the CTest arguments select in the build folder, as it is: an empty
# answer where it was never built (then nothing is known, and any test may be selected).
#   ctest-selected.sh BUILD_FOLDER LABEL [ctest arguments...]
# The folder is named, not taken from the current one: the test command asks from the clone's
# root before its builds and from the build folder after them.
set -uo pipefail
build=$1 label=$2
shift 2
[ -f "$build/CTestTestfile.cmake" ] || exit 0
cd "$build" && ctest -N -L "$label" "$@" 2>/dev/null | sed -n 's/^Total Tests: //p'
