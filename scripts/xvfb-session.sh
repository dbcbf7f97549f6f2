#!/usr/bin/env bash
# Starts or stops the X display the Linux editor tests run on: an Xvfb of its own, whose GLX is
# Mesa's software renderer. `start STATE_DIR` leaves env.sh (DISPLAY) in STATE_DIR for the tests
# to source; `stop STATE_DIR` ends it.
set -euo pipefail

action=${1:?usage: xvfb-session.sh start|stop STATE_DIR}
state=${2:?usage: xvfb-session.sh start|stop STATE_DIR}
mkdir -p "$state"
state=$(cd "$state" && pwd)

case "$action" in
start)
  "$0" stop "$state" >/dev/null 2>&1 || true
  display=110
  while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
    display=$((display + 1))
  done
  # Nothing started here may keep the caller's output open: ctest waits for every holder.
  Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display}" ] && break
    sleep 0.1
  done
  [ -e "/tmp/.X11-unix/X${display}" ] || { echo "xvfb-session: Xvfb did not start" >&2; exit 1; }
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
