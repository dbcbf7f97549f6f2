#!/bin/bash
# A host that makes the editor's window wider than the editor (its toolbar is wider, as in
# Ardour's window for VST 3 views): the editor is today's picture pixel for pixel, and the strip
# beside it shows the panel's colour, not the GL clear colour.
#   check-x11-wider-window.sh STATE_DIR TOOL MODULE REFERENCE_PNG WORK_DIR
set -euo pipefail
state=$(realpath "$1") tool=$(realpath "$2") module=$(realpath "$3") reference=$(realpath "$4")
work=$5
mkdir -p "$work"
cd "$work"
rm -f ./*.png run.log
# shellcheck disable=SC1091
. "$state/env.sh"
export XDG_CONFIG_HOME="$PWD/settings"
fail() { echo "FAILED: $*" >&2; exit 1; }

"$tool" editor "$module" --seconds 2.5 --screenshot wide.png --at 2000 </dev/null >run.log 2>&1 &
runPid=$!
editor=""
for _ in $(seq 1 100); do
  editor=$(awk '$1 == "editorWindow" { print $2 }' run.log)
  [ -n "$editor" ] && break
  sleep 0.05
done
[ -n "$editor" ] || { kill "$runPid" 2>/dev/null; cat run.log; fail "no editor window"; }
host=$(awk '$1 == "window" { print $2 }' run.log)
# As the host does: its window and the view's, 52 pixels wider than the editor asked.
xdotool windowsize "$host" 392 190
xdotool windowsize "$editor" 392 190
wait "$runPid" || { cat run.log; fail "the editor run failed"; }
grep -Eq '^screenshot +"wide.png" 392x190 ' run.log || { cat run.log; fail "the window is not 392x190"; }
differing=$(convert wide.png -crop 340x190+0+0 +repage png:- | compare -metric AE - "$reference" null: 2>&1) ||
  true
[ "$differing" = 0 ] || fail "the editor's 340x190 differ from $reference in '$differing' pixels"
strip=$(convert wide.png -crop 52x190+340+0 +repage -unique-colors -format '%w %[pixel:p{0,0}]' info:)
[ "$strip" = "1 srgb(37,39,43)" ] || fail "the strip beside the editor is '$strip', not the panel's colour"
echo "a window 52 pixels wider: the editor is $reference, the 9,880 pixels beside it the panel's"
