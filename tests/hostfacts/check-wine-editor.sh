#!/usr/bin/env bash
# The editor as a musician meets it, under Wine with the real DLL in the host tool: it paints,
# dragging the cutoff knob down 200 pixels is one host gesture that takes cutoff from 1.0 to 0.5,
# a wheel turn over the output knob is a gesture of its own, and a click turns the Q-range switch
# on. Screenshots stay in WORK_DIR.
#   check-wine-editor.sh STATE_DIR WINDOWS_HOST DLL WORK_DIR
set -euo pipefail
state=$(realpath "$1") host=$(realpath "$2") dll=$(realpath "$3") work=$4
mkdir -p "$work"
cd "$work"
rm -f editor-*.png
# shellcheck disable=SC1091
. "$state/env.sh"
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
echo "drag took cutoff to $last in one gesture; screenshots in $(pwd)"
