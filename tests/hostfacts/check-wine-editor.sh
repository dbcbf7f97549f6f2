#!/usr/bin/env bash
# The editor as a musician meets it, under Wine with the real DLL in the host tool: it paints,
# dragging the cutoff knob down 200 pixels is one host gesture that takes cutoff from 1.0 to 0.5,
# a wheel turn over the output knob is a gesture of its own, and a click turns the Q-range switch
# on. A second run: a double click resets cutoff to 1.0 in a gesture of its own, MIDI learn from
# the knob's menu maps controller 74 so the next menu offers to unlearn it, the host's own setting
# of cutoff is drawn, and the corner menu saves the defaults file. Screenshots stay in WORK_DIR.
#   check-wine-editor.sh STATE_DIR WINDOWS_HOST DLL WORK_DIR
set -euo pipefail
state=$(realpath "$1") host=$(realpath "$2") dll=$(realpath "$3") work=$4
mkdir -p "$work"
cd "$work"
rm -f editor-*.png
# shellcheck disable=SC1091
. "$state/env.sh"
remove_defaults() { rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Harrowmint/Quorl.defaults; }
remove_defaults
trap remove_defaults EXIT
wine "$host" editor "$dll" --seconds 2 --screenshot editor-start.png --at 300 \
  --drag 50,40:0,200@500 --wheel 290,100:1@1000 --click 290,40@1300 \
  --screenshot editor-after.png </dev/null \
  >editor.log 2>&1
cat editor.log
for shot in editor-start.png editor-after.png; do
  [ -s "$shot" ] || { echo "no screenshot $shot" >&2; exit 1; }
done
calls=$(grep '^callback' editor.log | tr -s ' ')
# The drag: begin, automation of parameter 1 only, end; then the wheel's own gesture on 6.
gesture=$(echo "$calls" | awk '{print $2, $3}' | sed -n '/opcode=43 index=1/,/opcode=44 index=1/p')
echo "$gesture" | head -1 | grep -q 'opcode=43 index=1' || { echo "no drag gesture" >&2; exit 1; }
echo "$gesture" | tail -1 | grep -q 'opcode=44 index=1' || { echo "drag not ended" >&2; exit 1; }
if echo "$gesture" | sed '1d;$d' | grep -v -q 'opcode=0 index=1'; then
  echo "something else inside the drag gesture" >&2
  exit 1
fi
last=$(echo "$calls" | grep 'opcode=0 index=1 ' | tail -1 | sed 's/.*opt=//')
awk -v v="$last" 'BEGIN { exit !(v > 0.49999 && v < 0.50001) }' ||
  { echo "cutoff ended at $last, not 0.5" >&2; exit 1; }
echo "$calls" | grep -q 'opcode=43 index=6' || { echo "no wheel gesture" >&2; exit 1; }
# A click on the Q-range switch turns it from "safe" to "full".
echo "$calls" | grep -q 'opcode=0 index=7 value=0 ptr=0 opt=1$' ||
  { echo "the switch did not turn on" >&2; exit 1; }
echo "drag took cutoff to $last in one gesture; the wheel had its own; the switch turned on"

# The knob's menu: reset, a separator, MIDI learn and unlearn; Down skips the separator, so
# learn is the second. The double click comes before the save, which makes 0.2 the default.
wine "$host" --answer ok editor "$dll" --seconds 3.5 \
  --drag 50,40:0,200@200 --double-click 50,40@500 --screenshot editor-reset.png --at 700 \
  --right-click 50,40:2@800 --midi B0,4A,40@1300 --screenshot editor-learnt.png --at 1400 \
  --right-click 50,40:0@1500 --set cutoff=0.2@2000 --screenshot editor-set.png --at 2200 \
  --right-click 300,180:1@2300 --screenshot editor-saved.png --at 2900 </dev/null \
  >editor-menus.log 2>&1
cat editor-menus.log
for shot in editor-reset.png editor-learnt.png editor-set.png editor-saved.png; do
  [ -s "$shot" ] || { echo "no screenshot $shot" >&2; exit 1; }
done
grep -q '^menuItem .*"MIDI &Learn' editor-menus.log || { echo "no MIDI learn item" >&2; exit 1; }
grep -q '^menuItem .*"MIDI &Unlearn (chan:1, cc:74)"' editor-menus.log ||
  { echo "controller 74 was not learnt" >&2; exit 1; }
calls=$(grep '^callback' editor-menus.log | tr -s ' ' | awk '{print $2, $3, $NF}')
# The double click's gesture: after the drag's end a begin, the last automation of cutoff (1),
# then an end.
index1=$(echo "$calls" | grep -n ' index=1 ')
first_end=$(echo "$index1" | grep 'opcode=44' | head -1 | cut -d: -f1)
reset_line=$(echo "$index1" | grep 'opcode=0 ' | tail -1)
reset_at=${reset_line%%:*} reset=${reset_line##*opt=}
begin=$(echo "$index1" | grep 'opcode=43' | awk -F: -v a="$first_end" -v b="$reset_at" \
  '$1 > a && $1 < b' | tail -1)
end=$(echo "$index1" | grep 'opcode=44' | awk -F: -v b="$reset_at" '$1 > b' | head -1)
if [ -z "$first_end" ] || [ -z "$begin" ] || [ -z "$end" ] || [ "$reset_at" -le "$first_end" ]; then
  echo "no gesture of its own for the double click" >&2
  exit 1
fi
awk -v r="$reset" 'BEGIN { exit !(r == 1) }' ||
  { echo "the last automation left cutoff at $reset, not 1" >&2; exit 1; }
ls "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Harrowmint/ || true
size=$({ cat "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Harrowmint/Quorl.defaults || true; } |
  wc -c)
[ "$size" -ge 1002 ] || { echo "the defaults file has only $size bytes" >&2; exit 1; }
echo "double click reset cutoff to 1 in its own gesture; CC 74 learnt and offered for unlearning;"
echo "set cutoff=0.2 drawn; defaults saved ($size bytes, removed again); screenshots in $(pwd)"
