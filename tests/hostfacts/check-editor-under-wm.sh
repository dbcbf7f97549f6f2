#!/usr/bin/env bash
# The validator's editor checks with a window manager on the display, as on a desktop: it frames
# the host's window in windows of its own, which are no windows of the module. Run on an X display
# of its own (with-xvfb.sh); starts openbox there and ends it afterwards. The module passes them
# there, our window takes the size the editor asks for while open, and the test plug-in's editor
# left open is still counted as its one window. Extra arguments go to the module's
# `vsthost validate`.
#   check-editor-under-wm.sh TOOL MODULE TEST_PLUGIN WORK_DIR [VALIDATE_OPTION]...
set -euo pipefail
tool=$(realpath "$1") module=$(realpath "$2") plugin=$(realpath "$3") work=$4
shift 4
mkdir -p "$work"
cd "$work"
export XDG_CONFIG_HOME="$PWD/settings"
fail() { echo "$*" >&2; exit 1; }
command -v openbox >/dev/null || fail "no openbox (scripts/setup.sh installs it)"

openbox --sm-disable </dev/null >openbox.log 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true' EXIT
# Managing once it names itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  kill -0 "$wm" 2>/dev/null || { cat openbox.log; fail "openbox ended"; }
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "openbox did not start managing"

"$tool" validate "$module" --only editor "$@" </dev/null >validate.log 2>&1 || {
  cat validate.log
  fail "the editor checks failed under a window manager"
}
cat validate.log
passed=$(grep -c '^PASS editor\.' validate.log)
[ "$passed" -ge 6 ] || fail "only $passed editor checks passed"

# The editor grown while open: the window manager lets our window take the size asked for.
"$tool" editor "$module" --seconds 1.5 --scale 1 --scale 2@400 --screenshot grown.png \
  </dev/null >grown.log 2>&1 || { cat grown.log; fail "the editor run failed"; }
cat grown.log
grep -q '^sizeWindow  *680 x 380 (resized)$' grown.log || fail "our window did not take 680 x 380"
grep -q '^screenshot .* 680x380 (effEditGetRect 680x380, window 680x380)$' grown.log ||
  fail "the grown editor was not 680x380 throughout"

status=0
VALIDATE_FAULT=editorStays "$tool" validate "$plugin" --only editor.unloadBeforeWindow \
  </dev/null >stays.log 2>&1 || status=$?
cat stays.log
[ "$status" = 8 ] || fail "editorStays: exit status $status"
grep -q '^FAIL editor.unloadBeforeWindow: 1 windows of the module left behind' stays.log ||
  fail "editorStays: the one window left behind was not counted as one"
echo "openbox managing: $passed editor checks passed, its frames not counted as the module's;" \
  "our window grown to the editor's new size; a window left behind still counted"
