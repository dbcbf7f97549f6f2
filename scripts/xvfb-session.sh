#!/usr/bin/env bash
# Starts or stops the X display the Linux editor tests run on: an Xvfb of its own, whose GLX is
# Mesa's software renderer. `start STATE_DIR` leaves env.sh (DISPLAY) in STATE_DIR for the tests
# to source; `stop STATE_DIR` ends it.
set -euo pipefail
# shellcheck source=xvfb.sh
. "$(dirname "$0")/xvfb.sh"

action=${1:?usage: xvfb-session.sh start|stop STATE_DIR}
state=${2:?usage: xvfb-session.sh start|stop STATE_DIR}
mkdir -p "$state"
state=$(cd "$state" && pwd)

case "$action" in
start)
  "$0" stop "$state" >/dev/null 2>&1 || true
  startXvfb "$state/xvfb.log"
  echo "$xvfbPid" >"$state/xvfb.pid"
  display=${xvfbDisplay#:}
  echo "export DISPLAY=:$display" >"$state/env.sh"
  echo "xvfb-session: DISPLAY=:$display"
  ;;
stop)
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
  ;;
*)
  echo "usage: xvfb-session.sh start|stop STATE_DIR" >&2
  exit 1
  ;;
esac
