#!/usr/bin/env bash
# Runs a Windows program inside the Wine session of STATE_DIR (see wine-session.sh).
#   wine-run.sh STATE_DIR PROGRAM [ARGS...]
set -euo pipefail
# shellcheck disable=SC1091
. "$1/env.sh"
shift
# A test may ask for Wine debug channels of its own, e.g. warn+heap to overwrite freed memory.
if [ -n "${WINE_RUN_DEBUG:-}" ]; then export WINEDEBUG="$WINE_RUN_DEBUG"; fi
exec wine "$@" </dev/null
