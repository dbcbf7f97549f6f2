#!/usr/bin/env bash
# Runs a test program on an Xvfb display of its own, started here and ended with the program.
set -euo pipefail
display=120
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp </dev/null >"${XVFB_LOG:-/dev/null}" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X${display}" ] && break
  sleep 0.05
done
DISPLAY=":$display" "$@"
