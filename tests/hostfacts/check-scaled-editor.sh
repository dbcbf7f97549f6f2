#!/usr/bin/env bash
# The editor in the host tool at a scale, as on a scaled display: told 2x before it opens, its
# size, our window and the screenshot read back are all twice its 1x size; told 2x while open, it
# asks for the new size and our window follows, down to the screenshot; a host that refuses keeps
# its window. Screenshots stay in WORK_DIR.
#   [REFERENCE=1x.png] check-scaled-editor.sh [--wine] STATE_DIR TOOL MODULE WORK_DIR
set -euo pipefail
runner=()
if [ "$1" = --wine ]; then
  runner=(wine)
  shift
fi
state=$(realpath "$1") tool=$(realpath "$2") module=$(realpath "$3") work=$4
mkdir -p "$work"
cd "$work"
rm -f ./*.png
# shellcheck disable=SC1091
. "$state/env.sh"
export XDG_CONFIG_HOME="$PWD/settings"
fail() { echo "FAILED: $*" >&2; exit 1; }
fact() { awk -v key="$1" '$1 == key { $1 = ""; sub(/^ +/, ""); print; exit }' "$2"; }
png_size() { identify -format '%wx%h' "$1"; }
twice() { echo "$1" | awk -Fx '{ print $1 * 2 "x" $2 * 2 }'; }
# run LOG ARG...: the editor for 1.5 s, its report in LOG.
run() {
  local log=$1
  shift
  "${runner[@]}" "$tool" editor "$module" --seconds 1.5 "$@" </dev/null >"$log" 2>&1 ||
    { cat "$log"; fail "editor $* failed"; }
  cat "$log"
}
# shot_agrees LOG FILE SIZE: the screenshot, effEditGetRect and our window all SIZE.
shot_agrees() {
  local line
  line=$(fact screenshot "$1")
  [ "$line" = "\"$2\" $3 (effEditGetRect $3, window $3)" ] ||
    fail "$1: the screenshot says '$line', not all $3"
  [ "$(png_size "$2")" = "$3" ] || fail "$2 is $(png_size "$2"), not $3"
}
# answer LOG: what the plug-in answered the first scale told to it.
answer() { fact scale "$1" | sed -n 's/.*(answered \(.*\))$/\1/p'; }

run one.log --scale 1 --screenshot one.png
base=$(fact editor one.log)
[ -n "$(answer one.log)" ] || fail "no answer to the scale in the report"
shot_agrees one.log one.png "$base"

run two.log --scale 2 --screenshot two.png
[ "$(answer two.log)" = 1 ] || fail "told 2x, the plug-in answered '$(answer two.log)', not 1"
expected=$(twice "$base")
[ "$(fact editor two.log)" = "$expected" ] ||
  fail "told 2x, the editor is $(fact editor two.log), not $expected"
shot_agrees two.log two.png "$expected"
echo "told 2x before the open: editor, window and screenshot $expected"

run grown.log --scale 1 --scale 2@400 --screenshot grown.png
asked=$(twice "$base" | sed 's/x/ x /')
[ "$(fact sizeWindow grown.log)" = "$asked (resized)" ] ||
  fail "told 2x while open, the plug-in's request was '$(fact sizeWindow grown.log)'"
shot_agrees grown.log grown.png "$expected"
run kept.log --refuse-resize --scale 1 --scale 2@400 --screenshot kept.png
[ "$(fact sizeWindow kept.log)" = "$asked (refused)" ] ||
  fail "a refusing host printed '$(fact sizeWindow kept.log)'"
grep -q "^screenshot .*, window $base)$" kept.log || fail "a refusing host's window changed size"
grep -q "^callback .*opcode=15 index=${expected%x*} value=${expected#*x} " kept.log ||
  fail "no audioMasterSizeWindow in the calls"
# A VST 3 view changes size only when its host has: refused, it stays whole at its old size.
# A VST 2.4 editor grows its own window whatever the host answers.
if [[ $module == *.vst3 ]]; then
  shot_agrees kept.log kept.png "$base"
  differing=$(compare -metric AE kept.png one.png null: 2>&1) || true
  [ "$differing" = 0 ] || fail "refused, the view differs from its 1x picture in '$differing' pixels"
fi
echo "told 2x while open: our window followed the plug-in to $expected; refused, it stayed $base"

# The 1:1 editor is today's, bit for bit.
if [ -n "${REFERENCE:-}" ]; then
  differing=$(compare -metric AE one.png "$REFERENCE" null: 2>&1) || true
  [ "$differing" = 0 ] || fail "at 1x the editor differs from $REFERENCE in '$differing' pixels"
  echo "at 1x the editor is $REFERENCE pixel for pixel"
fi

# The user's size from the defaults menu ("200 %") wins over the host's factor, is asked of the
# host at once, and is remembered for the next editor. Our X11 menu's keys pass over the greyed
# "Size" heading and the system's menu stops on it: "200 %" is the eighth on X11, the ninth
# under Wine. Under Wine the settings file is the prefix's own, and it goes again whatever
# happens here.
item=8
if [ ${#runner[@]} -gt 0 ]; then
  item=9
  settings=$(wine winepath -u 'C:\users\root\AppData\Roaming\Harrowmint\Quorl.settings' 2>/dev/null |
    tr -d '\r')
else
  settings="$XDG_CONFIG_HOME/Harrowmint/Quorl.settings"
fi
rm -f "$settings"
trap 'rm -f "$settings"' EXIT
corner="$(echo "$base" | awk -Fx '{ print $1 - 20 "," $2 - 10 }')"
run chosen.log --scale 1.5 --right-click "$(echo "$corner" | awk -F, '{ print $1 * 1.5 "," $2 * 1.5 }'):$item@300" \
  --screenshot chosen.png
[ "$(tr -d '\r' <"$settings")" = "size=200" ] || fail "the settings file holds '$(cat "$settings")'"
[ "$(fact sizeWindow chosen.log)" = "$asked (resized)" ] ||
  fail "after the user's 200 %, the request was '$(fact sizeWindow chosen.log)'"
shot_agrees chosen.log chosen.png "$expected"
run remembered.log --scale 3 --screenshot remembered.png
shot_agrees remembered.log remembered.png "$expected"
echo "the user's 200 % from the menu: asked of the host, taken, and kept over the host's 3x"
