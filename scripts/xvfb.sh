# Sourced by the scripts that need an X display. startXvfb LOG [XVFB OPTION]... starts Xvfb on a
# display number the server picks itself (-displayfd), so that runs started side by side never
# race for one, and returns once it accepts clients, with xvfbDisplay (":N") and xvfbPid set.
# -noreset keeps the server up when its last client leaves; otherwise it starts over and refuses
# the next test's connection meanwhile.
startXvfb() {
  local log=$1
  shift
  local numberFile
  numberFile=$(mktemp)
  # Nothing started here may keep the caller's output open: ctest waits for every holder.
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset "$@" </dev/null >"$log" 2>&1 \
    3>"$numberFile" &
  xvfbPid=$!
  local number=""
  for _ in $(seq 100); do
    number=$(head -n 1 "$numberFile" 2>/dev/null | tr -dc 0-9)
    [ -n "$number" ] && break
    kill -0 "$xvfbPid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numberFile"
  if [ -z "$number" ]; then
    kill "$xvfbPid" 2>/dev/null || true
    echo "Xvfb did not start (see $log)" >&2
    return 1
  fi
  xvfbDisplay=":$number"
}
