#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's environment; exit code passes through.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec "$TESSMARK_WINE" "$@"
