#!/usr/bin/env bash
# The Linux editor as a musician meets it, in the host tool's X11 window on Xvfb with Mesa's GLX:
# the same gestures as under Wine (drag, wheel, switch; double-click reset, MIDI learn of
# controller 74 from the knob's menu, the host's own change drawn, the corner menu's "Save
# defaults..." with its dialog answered), once with events sent to the editor's window and once
# through XTEST; then a Shift drag and a drag past the window's edge by xdotool while the editor
# idles at a slow host's rate; and the validator's editor checks. Screenshots stay in WORK_DIR.
#   check-x11-editor.sh STATE_DIR TOOL MODULE WORK_DIR
set -euo pipefail
state=$(realpath "$1") tool=$(realpath "$2") module=$(realpath "$3") work=$4
mkdir -p "$work"
cd "$work"
work=$(pwd)
# shellcheck disable=SC1091
. "$state/env.sh"
export XDG_CONFIG_HOME="$work/settings"
rm -rf "$XDG_CONFIG_HOME" ./*.png
fail() { echo "$*" >&2; exit 1; }
calls() { grep '^callback ' "$1" | tr -s ' ' | cut -d' ' -f2-; }
# last_value LOG INDEX: the last automation of parameter INDEX.
last_value() { calls "$1" | grep "opcode=0 index=$2 " | tail -1 | sed 's/.*opt=//'; }
# one_gesture LOG INDEX: begin, automation of INDEX only, end.
one_gesture() {
  local gesture
  gesture=$(calls "$1" | sed -n "/opcode=43 index=$2 /,/opcode=44 index=$2 /p")
  echo "$gesture" | head -1 | grep -q "opcode=43 index=$2 " || return 1
  echo "$gesture" | tail -1 | grep -q "opcode=44 index=$2 " || return 1
  ! echo "$gesture" | sed '1d;$d' | grep -v -q "opcode=0 index=$2 "
}

for mode in sent real; do
  flag=()
  [ "$mode" = real ] && flag=(--real-input)
  log=editor-$mode.log
  "$tool" editor "$module" "${flag[@]}" --seconds 2 --screenshot "editor-$mode-start.png" --at 300 \
    --drag 50,40:0,200@500 --wheel 290,100:1@1000 --click 290,40@1300 \
    --screenshot "editor-$mode-after.png" </dev/null >"$log" 2>&1 || { cat "$log"; fail "$mode run failed"; }
  cat "$log"
  one_gesture "$log" 1 || fail "$mode: the drag was not one gesture on cutoff"
  last=$(last_value "$log" 1)
  awk -v v="$last" 'BEGIN { exit !(v > 0.49999 && v < 0.50001) }' ||
    fail "$mode: cutoff ended at $last, not 0.5"
  calls "$log" | grep -q 'opcode=43 index=6 ' || fail "$mode: no wheel gesture on output"
  calls "$log" | grep -q 'opcode=0 index=7 value=0 ptr=0 opt=1$' || fail "$mode: the switch stayed off"
  grep -q '^openTime ' "$log" && grep -q '^firstFrame .* after effEditOpen' "$log" ||
    fail "$mode: no open figures"
  echo "$mode input: drag took cutoff to $last in one gesture; wheel and switch seen"
done

# Menus and the dialog; the double click comes before the save, which makes 0.2 the default.
"$tool" --answer ok editor "$module" --seconds 3.5 \
  --drag 50,40:0,200@200 --double-click 50,40@500 --screenshot editor-reset.png --at 700 \
  --right-click 50,40:2@800 --midi B0,4A,40@1300 --screenshot editor-learnt.png --at 1400 \
  --right-click 50,40:0@1500 --set cutoff=0.2@2000 --screenshot editor-set.png --at 2200 \
  --right-click 300,180:1@2300 --screenshot editor-saved.png --at 2900 </dev/null \
  >editor-menus.log 2>&1 || { cat editor-menus.log; fail "the menu run failed"; }
cat editor-menus.log
grep -q '^menuItem .*"MIDI &Learn"' editor-menus.log || fail "no MIDI learn item"
grep -q '^menuItem .*"MIDI &Unlearn (chan:1, cc:74)"' editor-menus.log ||
  fail "controller 74 was not learnt"
grep -q '^menuItem *1 "&Save defaults..."' editor-menus.log || fail "no corner menu"
grep -q '^messageBox *"Quorl" "Saving new defaults for:' editor-menus.log || fail "no save dialog"
[ "$(last_value editor-menus.log 1)" = 1 ] || fail "the double click did not reset cutoff to 1"
size=$(wc -c <"$XDG_CONFIG_HOME/Harrowmint/Quorl.defaults" 2>/dev/null || echo 0)
[ "$size" -ge 1002 ] || fail "the defaults file has only $size bytes"
echo "double click reset; CC 74 learnt and offered for unlearning; defaults saved ($size bytes)"

# xdotool at a slow host's idle rate, from the factory defaults: a plain drag up on drive (0), a
# Shift drag up on resonance (2) over the same distance, which must move it less, and a drag on
# morph (3) that leaves the window at its bottom edge and must still take morph to 0.
export XDG_CONFIG_HOME="$work/settings-xdotool"
rm -rf "$XDG_CONFIG_HOME"
"$tool" editor "$module" --idle-ms 100 --seconds 6 --screenshot editor-xdotool.png \
  </dev/null >editor-xdotool.log 2>&1 &
host=$!
editor=
for _ in $(seq 50); do
  editor=$(grep '^editorWindow' editor-xdotool.log 2>/dev/null | awk '{print $2}') || true
  [ -n "$editor" ] && break
  sleep 0.1
done
[ -n "$editor" ] || { kill "$host"; fail "no editor window for xdotool"; }
editor=$((editor))
sleep 0.5
drag() {  # drag X Y DY [shift]
  xdotool mousemove --window "$editor" "$1" "$2"
  [ "${4:-}" = shift ] && xdotool keydown shift
  xdotool mousedown 1
  for step in 1 2 3 4 5; do
    xdotool mousemove --window "$editor" "$1" $(($2 + $3 * step / 5))
    sleep 0.05
  done
  xdotool mouseup 1
  [ "${4:-}" = shift ] && xdotool keyup shift
  sleep 0.4
}
drag 210 40 -50
drag 130 40 -50 shift
drag 50 140 300
wait "$host" || { cat editor-xdotool.log; fail "the xdotool run failed"; }
cat editor-xdotool.log
for index in 0 2 3; do
  one_gesture editor-xdotool.log "$index" || fail "xdotool: no single gesture on $index"
done
# change LOG INDEX: how far the automation of INDEX moved, from its first value to its last.
change() {
  calls "$1" | grep "opcode=0 index=$2 " | sed 's/.*opt=//' |
    awk 'NR == 1 { first = $1 } { last = $1 } END { d = last - first; print (d < 0 ? -d : d) }'
}
plain=$(change editor-xdotool.log 0) fine=$(change editor-xdotool.log 2)
awk -v p="$plain" -v f="$fine" 'BEGIN { exit !(f > 0 && f < p / 4) }' ||
  fail "Shift did not make the drag finer (plain moved $plain, Shift $fine)"
[ "$(last_value editor-xdotool.log 3)" = 0 ] || fail "the drag past the edge did not reach 0"
echo "xdotool at 100 ms idle: drag moved $plain, Shift drag $fine, the drag past the edge reached 0"

# Close orders and reopening, the module's windows and display connections counted; a knob's menu
# up while another thread idles and the GUI thread closes; the host's error handler swapped.
"$tool" validate "$module" --only editor </dev/null >validate.log 2>&1 ||
  { cat validate.log; fail "the editor checks failed"; }
cat validate.log
[ "$(grep -c '^PASS editor\.' validate.log)" = 9 ] || fail "not nine editor checks passed"
echo "screenshots in $work"
