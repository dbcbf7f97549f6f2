#!/usr/bin/env bash
# Runs a command on an X server of its own and ends the server afterwards. Xvfb options may come
# before "--": `with-xvfb.sh -extension GLX -- command ...` gives a display without GLX.
set -uo pipefail
# shellcheck source=xvfb.sh
. "$(dirname "$0")/xvfb.sh"

xvfbOptions=()
if [[ " $* " == *" -- "* ]]; then
  while [ "$1" != "--" ]; do
    xvfbOptions+=("$1")
    shift
  done
  shift
fi

startXvfb "${XVFB_LOG:-/dev/null}" "${xvfbOptions[@]}" || exit 1
DISPLAY=$xvfbDisplay "$@"
status=$?
kill "$xvfbPid" 2>/dev/null
wait "$xvfbPid" 2>/dev/null
exit $status
