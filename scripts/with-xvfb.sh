#!/usr/bin/env bash
# Runs a command on an X server of its own (Xvfb on the first free display number from 120), and
# ends the server afterwards. Xvfb options may come before "--": `with-xvfb.sh -extension GLX --
# command ...` gives a display without GLX.
set -uo pipefail

xvfbOptions=()
if [[ " $* " == *" -- "* ]]; then
  while [ "$1" != "--" ]; do
    xvfbOptions+=("$1")
    shift
  done
  shift
fi

display=120
while :; do
  while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
    display=$((display + 1))
  done
  # -noreset: the server would otherwise start over whenever its last client leaves, and refuse
  # the next test's connection meanwhile.
  Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp -noreset "${xvfbOptions[@]}" </dev/null \
    >/dev/null 2>&1 &
  server=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display}" ] && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  [ -e "/tmp/.X11-unix/X${display}" ] && kill -0 "$server" 2>/dev/null && break
  # Another run took this number meanwhile.
  display=$((display + 1))
done

DISPLAY=":$display" "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
