#!/usr/bin/env bash
# The VST 3 bundle is the VST 2.4 plug-in behind another door: through the host tool it renders
# the same samples on both paths (automation, and MIDI controllers on two channels through the
# bank's mappings), takes the bank the VST 2.4 module saved and writes it out again byte for byte,
# and the other way round, and its editor shows the same pixels after the same gestures, menus
# and host changes, at 1x and at 2x. The display comes from STATE_DIR/env.sh: the x11 fixture's or
# the Wine session's.
#   check-vst3-matches-vst2.sh [--wine] STATE_DIR TOOL MODULE BUNDLE WORK_DIR
set -euo pipefail
runner=()
if [ "$1" = "--wine" ]; then
  runner=(wine)
  shift
fi
here=$(cd "$(dirname "$0")" && pwd)
state=$(realpath "$1") tool=$(realpath "$2") module=$(realpath "$3") bundle=$(realpath "$4")
work=$5
mkdir -p "$work"
cd "$work"
work=$(pwd)
rm -rf ./*.fxb ./*.fxp ./*.f64 ./*.txt vst2 vst3
# shellcheck disable=SC1091
. "$state/env.sh"
# Each run starts from the factory state: no defaults file from an earlier run.
forget_defaults() {
  rm -rf "$work/settings"
  if [ -n "${WINEPREFIX:-}" ]; then
    rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Harrowmint/Quorl.defaults
  fi
}
forget_defaults
trap forget_defaults EXIT
export XDG_CONFIG_HOME="$work/settings"
host() { "${runner[@]}" "$tool" "$@" </dev/null; }
# A bank file without its plug-in ID (bytes 16 to 19), which differs between the two doors.
bank_body() { head -c 16 "$1" && tail -c +21 "$1"; }
same_bank() {
  cmp <(bank_body "$1") <(bank_body "$2") || { echo "$3: the banks differ" >&2; exit 1; }
}
# The quality is asked by our VST 2.4 vendor call, which a VST 3 host has no way to make; the
# chunks compared below carry it either way.
shown() { grep -v -E '^(preset|saved|quality) '; }

# --- state, both ways ---
# shellcheck source=mapped-preset.sh
. "$here/mapped-preset.sh"
write_mapped_preset mapped.fxp
host preset save "$module" vst2.fxb --preset mapped.fxp --program 3 --param cutoff=0.3 \
  --param "wet mix=0.65" >/dev/null
host preset show "$module" vst2.fxb --save vst2-again.fxb | shown >vst2-show.txt
host preset show "$bundle" vst2.fxb --any-id --save vst3-from-vst2.fxb | shown >vst3-show.txt
diff -u vst2-show.txt vst3-show.txt || { echo "the bundle shows another state" >&2; exit 1; }
same_bank vst2.fxb vst3-from-vst2.fxb "VST 2.4 bank read back through VST 3"
host preset save "$bundle" vst3.fxb --preset vst2.fxb --any-id --program 5 --param drive=0.4 \
  --param "reson.=0.9" >/dev/null
host preset show "$module" vst3.fxb --any-id --save vst2-from-vst3.fxb >/dev/null
same_bank vst3.fxb vst2-from-vst3.fxb "VST 3 bank read back through VST 2.4"
cmp -s vst2.fxb vst3.fxb && { echo "the VST 3 save changed nothing" >&2; exit 1; }
# A program file needs a program chunk, which a VST 3 state does not have: refused, not empty.
if host preset save "$bundle" program.fxp >/dev/null 2>&1; then
  echo "a program file was written from the bundle" >&2
  exit 1
fi
echo "banks: $(wc -c <vst2.fxb) bytes from VST 2.4 and $(wc -c <vst3.fxb) from VST 3 read back alike"

# --- audio ---
render=(--signal saw-sweep:55:880:0.5 --length 3 --block 480 --preset vst2.fxb --any-id
  --param reson.=0.85 --sweep "wet mix=1:0.7" --at 30000:drive=0.7 --at 60000:morph=0.6
  --at 100000:band=0.4)
# Controllers 7 and 74 on two channels, mapped by the bank to cutoff and band.
midi=(--at 70000:midi:B0,07,20 --at 90000:midi:B3,4A,70)
for path in float double; do
  host render "$module" "${render[@]}" "${midi[@]}" --path "$path" --out-raw "vst2-$path.f64" \
    >/dev/null
  host render "$bundle" "${render[@]}" "${midi[@]}" --path "$path" --out-raw "vst3-$path.f64" \
    >/dev/null
  cmp "vst2-$path.f64" "vst3-$path.f64" || { echo "$path renders differ" >&2; exit 1; }
done
# The controllers must have moved something, or the comparison says nothing about them.
host render "$bundle" "${render[@]}" --path double --out-raw vst3-no-midi.f64 >/dev/null
cmp -s vst3-double.f64 vst3-no-midi.f64 && { echo "the controllers changed nothing" >&2; exit 1; }
echo "renders: float and double through the bundle are the VST 2.4 module's samples"

# --- editor ---
# shellcheck source=editor-session.sh
. "$here/editor-session.sh"
scaled=(editor MODULE --scale 2 --seconds 1 --screenshot scaled.png --at 600)
for door in vst2 vst3; do
  plugin=$module
  [ $door = vst3 ] && plugin=$bundle
  mkdir -p $door
  forget_defaults
  (cd $door && host "${editor_session[@]/MODULE/$plugin}" >run.log 2>&1 &&
    host "${scaled[@]/MODULE/$plugin}" >scaled.log 2>&1) ||
    { cat $door/*.log; echo "the $door editor run failed" >&2; exit 1; }
done
# Menus, boxes and sizes line by line.
for log in run scaled; do
  diff <(editor_facts vst2/$log.log) <(editor_facts vst3/$log.log) ||
    { echo "the editor runs ($log.log) differ" >&2; exit 1; }
done
for shot in start gestures learnt saved scaled; do
  differ=$(compare -metric AE "vst2/$shot.png" "vst3/$shot.png" null: 2>&1) || true
  [ "$differ" = 0 ] || { echo "$shot.png: $differ pixels differ" >&2; exit 1; }
done
echo "editor: 5 screenshots through the bundle equal the VST 2.4 module's pixel for pixel"
