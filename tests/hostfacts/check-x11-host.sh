#!/usr/bin/env bash
# The host tool's editor window on X11, against the validator's test plug-in, whose editor sets
# gain (parameter 0) from the pointer's height in a gesture, resets it to 0.5 on a double click,
# moves cutoff (1) a tenth per wheel notch and shows gain as its grey level. Input goes as sent
# events and through XTEST, at a fast and a slow idle rate; then the validator's editor checks
# pass for the right plug-in and fail for each editor fault.
#   check-x11-host.sh STATE_DIR TOOL PLUGIN WORK_DIR
set -euo pipefail
state=$(realpath "$1") tool=$(realpath "$2") plugin=$(realpath "$3") work=$4
mkdir -p "$work"
cd "$work"
# shellcheck disable=SC1091
. "$state/env.sh"

fail() { echo "$*" >&2; exit 1; }
# pixel FILE X Y: "R,G,B"
pixel() { convert "$1" -format '%[pixel:p{'"$2,$3"'}]' info: | sed 's/^srgb(\(.*\))$/\1/;s/ //g'; }

# The editor is 200 x 120: a drag from y=30 (gain 0.75) down by 60 ends at gain 0.25.
for mode in "" --real-input; do
  for idle in 10 100; do
    log=host${mode}-$idle.log
    rm -f start.png set.png end.png
    "$tool" editor "$plugin" $mode --idle-ms "$idle" --seconds 2.2 \
      --screenshot start.png --at 300 --drag 100,30:0,60@400 --wheel 20,20:-2@800 \
      --double-click 150,100@1200 --set 0=0.25@1600 --screenshot set.png --at 1900 \
      </dev/null >"$log" 2>&1 || { cat "$log"; fail "editor run $mode at $idle ms failed"; }
    cat "$log"
    grep -q '^openTime ' "$log" || fail "no open time"
    grep -q '^firstFrame .* after effEditOpen' "$log" || fail "no first frame seen"
    calls=$(grep '^callback ' "$log" | tr -s ' ' | cut -d' ' -f2-)
    # The drag: its own gesture on 0, ending at 0.25, nothing else inside it.
    drag=$(echo "$calls" | sed -n '/opcode=43 index=0/,/opcode=44 index=0/p' | sed -n '1,/opcode=44/p')
    echo "$drag" | sed '1d;$d' | grep -v -q 'opcode=0 index=0' && fail "something else inside the drag"
    last=$(echo "$drag" | grep 'opcode=0 ' | tail -1 | sed 's/.*opt=//')
    [ "$last" = 0.25 ] || fail "the drag ended at gain $last, not 0.25 ($mode, $idle ms)"
    [ "$(echo "$calls" | grep -c 'opcode=43 index=1')" = 2 ] || fail "not one gesture per notch"
    [ "$(echo "$calls" | grep 'opcode=0 index=1' | tail -1 | sed 's/.*opt=//')" = 0.799999952 ] ||
      fail "two notches towards the user did not take cutoff to 0.8"
    # The double click: a press that starts a gesture, then the reset in a gesture of its own.
    echo "$calls" | tail -3 | tr '\n' ' ' |
      grep -q 'opcode=43 index=0 .*opcode=0 index=0 value=0 ptr=0 opt=0.5 .*opcode=44 index=0' ||
      fail "the double click did not reset gain in its own gesture"
    # Gain 0.5 at the start is grey 128; the host's 0.25 is shown as 64.
    [ "$(pixel start.png 100 5)" = 128,128,128 ] || fail "start shows $(pixel start.png 100 5)"
    [ "$(pixel set.png 100 5)" = 64,64,64 ] || fail "the host's change shows $(pixel set.png 100 5)"
    echo "input ${mode:-sent as events} at $idle ms idle: drag, wheel, double click and --set seen"
  done
done

# The validator's editor checks: all pass for the right plug-in, and each fault is caught.
"$tool" validate "$plugin" --only editor </dev/null >validate.log 2>&1 ||
  { cat validate.log; fail "the right plug-in failed the editor checks"; }
cat validate.log
[ "$(grep -c '^PASS editor\.' validate.log)" = 9 ] || fail "not nine editor checks passed"
grep -q '^PASS editor.scaledOpens: the plug-in does not take a scale (answered 0): 2x unchanged at 200x120;' \
  validate.log || fail "the plug-in that keeps its size was not expected to keep it"
status=0
VALIDATE_FAULT=editorStays "$tool" validate "$plugin" --only editor </dev/null >stays.log 2>&1 ||
  status=$?
cat stays.log
[ "$status" = 8 ] || fail "editorStays: exit status $status"
grep -q '^FAIL editor.reopenSameParent: 2 windows under the host' stays.log ||
  fail "editorStays: reopening did not count two windows"
grep -q '^FAIL editor.unloadBeforeWindow: 1 windows of the module left behind, 1 display connections' \
  stays.log || fail "editorStays: the window and connection left behind were not counted"
# caught FAULT CHECK LOG LINE WHAT: the validator run on CHECK with the fault exits 8 and
# prints LINE (a pattern).
caught() {
  local fault=$1 check=$2 log=$3 line=$4 what=$5 status=0
  VALIDATE_FAULT=$fault "$tool" validate "$plugin" --only "$check" </dev/null >"$log" 2>&1 ||
    status=$?
  cat "$log"
  [ "$status" = 8 ] || fail "$fault: exit status $status"
  grep -q "$line" "$log" || fail "$fault: $what"
}
caught editorDangles editor.effCloseWhileOpen dangles.log \
  '^FAIL editor.effCloseWhileOpen: 1 display connections of the module left open' \
  "the connection effClose left open was not counted"
# Linux hosts' patterns: a close on the GUI thread while a menu runs in an idle call on another,
# and X errors of the plug-in's connection left to the host's handler.
caught menuDeadlock editor.idleOnAnotherThread deadlock.log \
  '^FAIL editor.idleOnAnotherThread: deadlock: .*effEditClose on the GUI thread and effEditIdle on the idle thread not returned (the menu dismissed by Escape)' \
  "the deadlock was not reported"
caught hostsHandler editor.hostSwapsErrorHandler handler.log \
  "^FAIL editor.hostSwapsErrorHandler: 1 X errors of a connection other than the host's" \
  "the plug-in's error in the host's handler was not seen"
caught scaleIgnored editor.scaledOpens scale.log \
  '^FAIL editor.scaledOpens: at 2x (answered 1) the editor is 200x120, not 400x240' \
  "a scale taken without a new size was not caught"
# Gestures while audio runs count only when the editor answers them.
"$tool" validate "$plugin" --only threads.editorWhileProcessing </dev/null >threads.log 2>&1 ||
  { cat threads.log; fail "the right plug-in failed threads.editorWhileProcessing"; }
cat threads.log
caught editorDeaf threads.editorWhileProcessing deaf.log \
  '^FAIL threads.editorWhileProcessing: .*: the editor never moved a parameter' \
  "an editor that answers no gesture passed"
echo "validator: editor checks pass, and a window or connection left behind, a close that" \
  "deadlocks with a menu up, errors left to the host's handler, a scale taken but not shown" \
  "and an editor deaf to gestures are caught"
