#!/usr/bin/env bash
# Starts or stops what the Windows tests run in: an Xvfb display and a persistent wineserver with
# its own prefix inside the build tree. `start STATE_DIR` leaves env.sh in STATE_DIR for the tests
# to source; `stop STATE_DIR` ends both.
set -euo pipefail
# shellcheck source=xvfb.sh
. "$(dirname "$0")/xvfb.sh"

action=${1:?usage: wine-session.sh start|stop STATE_DIR}
state=${2:?usage: wine-session.sh start|stop STATE_DIR}
mkdir -p "$state"
state=$(cd "$state" && pwd)

case "$action" in
start)
  "$0" stop "$state" >/dev/null 2>&1 || true
  startXvfb "$state/xvfb.log"
  echo "$xvfbPid" >"$state/xvfb.pid"
  display=${xvfbDisplay#:}
  cat >"$state/env.sh" <<ENV
export DISPLAY=:$display
export WINEPREFIX="$state/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
ENV
  # shellcheck disable=SC1091
  . "$state/env.sh"
  # One persistent server for the whole run spares every test Wine's start-up.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-session: creating the Wine prefix (once per build tree)"
    wineboot -i </dev/null >"$state/wineboot.log" 2>&1 || true
  fi
  # Without a window manager, hiding a managed window makes Wine wait two seconds for one to
  # answer; unmanaged windows are hidden at once. Running this also starts Wine's background
  # processes (services, explorer) here, detached from any test's output.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null \
    >>"$state/wineboot.log" 2>&1 || true
  echo "wine-session: DISPLAY=:$display WINEPREFIX=$WINEPREFIX"
  ;;
stop)
  if [ -f "$state/env.sh" ]; then
    # shellcheck disable=SC1091
    . "$state/env.sh"
    wineserver -k 2>/dev/null || true
  fi
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  fi
  ;;
*)
  echo "usage: wine-session.sh start|stop STATE_DIR" >&2
  exit 1
  ;;
esac
