#!/usr/bin/env bash
# Runs a Windows program inside the Wine session of STATE_DIR (see wine-session.sh).
#   wine-run.sh STATE_DIR PROGRAM [ARGS...]
set -euo pipefail
# shellcheck disable=SC1091
. "$1/env.sh"
shift
exec wine "$@" </dev/null
