#!/usr/bin/env bash
# Quorl.vst3 in Ardour 7, headless: Ardour's VST3 scanner lists it; in a session on the dummy
# backend Ardour shows its eight parameters, renders a noise region through it bit for bit as the
# VST 2.4 module renders the same samples in the host tool, and gets its values back from the
# saved session exactly as the VST 2.4 chunk gives them.
#   check-ardour-vst3.sh BUNDLE VST2_MODULE VSTHOST RAWDIFF WORK_DIR
# Exits 77 (skipped) when Ardour is not installed.
set -euo pipefail
bundle=$1 module=$2 vsthost=$3 rawdiff=$4 work=$5
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=ardour-home.sh
. "$here/ardour-home.sh"
ardourHome "$work" "$bundle"
ardourRenderSetup

failures=0
check() {  # check WHAT COMMAND...: runs COMMAND, reports WHAT as passed or failed
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}

echo "== ardour-vst3-scanner"
scanOk=0
LD_LIBRARY_PATH=/usr/lib/ardour7 "$scanner" -v -f "$VST3_PATH/Quorl.vst3" >"$work/scanner.txt" 2>&1 ||
  scanOk=$?
cat "$work/scanner.txt"
check "the scanner succeeds" test "$scanOk" = 0
check "the scanner finds Quorl" grep -q "Found Plugin: Quorl\$" "$work/scanner.txt"
check "the scanner records Quorl by Harrowmint, two inputs and two outputs" \
  grep -q '<VST3Info .* name="Quorl" vendor="Harrowmint" .* n_inputs="2" n_outputs="2" ' \
  "$work/scanner.txt"

# The values Ardour sets; the VST 2.4 render and preset get the same ones by index.
params="0=0.7 1=0.35 2=0.8 3=0.6 4=0.4 5=0.9 6=0.2"
session() {  # session STEP: one step of ardour-session.lua, its output in $work/STEP.txt
  local rc=0 fresh=()
  # A render starts from nothing; a reopen needs what the render saved.
  [ "$1" = render ] && fresh=(--fresh "$work/session" --fresh "$work/export")
  WORK=$work STEP=$1 PLUGIN_TYPE=VST3 PARAMS=$params PRESET=4b7e1c20-0a55-4c1e-9d1f-51a0c3e2f002 \
    ardourSession "${fresh[@]}" "$work/$1.txt" "$here/ardour-session.lua" "$VST3_PATH/Quorl.vst3/Contents/x86_64-linux/Quorl.so" ||
    rc=$?
  grep -v -e 'call-slot' -e 'call slot' -e 'Ignored format' -e 'Reasonable Synth' \
    -e 'Butler drops' "$work/$1.txt" || true
  return "$rc"
}
echo "== ardour7-lua: render"
renderOk=0
session render || renderOk=$?
check "the session renders and saves" grep -qx saved "$work/render.txt"
[ "$renderOk" = 0 ] || {
  echo "$failures failed"
  exit 1
}
echo "== ardour7-lua: reopen"
reopenOk=0
session reopen || reopenOk=$?
check "the saved session opens again" test "$reopenOk" = 0
names=$(sed -n 's/^param [0-9]* "\([^"]*\)".*/\1/p' "$work/render.txt" | paste -sd,)
check "Ardour shows the eight parameters and its bypass" \
  test "$names" = "drive,cutoff,reson.,morph,band,wet mix,output,q.range,Bypass"
# A new instance shows the values it starts from (the first factory preset), as in VST 2.4.
fresh=$(sed -n 's/^param [0-7] "\([^"]*\)".* value=\(.*\)$/\1=\2/p' "$work/render.txt" | paste -sd' ')
freshVst2=$("$vsthost" info "$module" |
  sed -n 's/^param *[0-9]* name "\([^"]*\)" .* value \(.*\)$/\1=\2/p' | paste -sd' ')
echo "new instance: $fresh"
check "a new instance shows the values the VST 2.4 module starts from" test "$fresh" = "$freshVst2"

# What the saved session gives back is what the VST 2.4 bank chunk gives back.
vstParams=()
for p in $params; do vstParams+=(--param "$p"); done
"$vsthost" preset save "$module" "$work/values.fxb" "${vstParams[@]}" >/dev/null
expected=$("$vsthost" preset show "$module" "$work/values.fxb" |
  sed -n 's/^param *[0-9]* name "\([^"]*\)" .* value \(.*\)$/\1=\2/p' | paste -sd' ')
reopened=$(sed -n 's/^reopened \(.*=.*\) Bypass=0$/\1/p' "$work/reopen.txt")
echo "VST 2.4 chunk: $expected"
check "the reopened session holds the values the VST 2.4 chunk holds" \
  test "$reopened" = "$expected"

# The VST 2.4 module, given the silence Quorl processed in Ardour before the signal and then the
# signal, at Ardour's rate and block size on the 32-bit path.
leadIn=$(sed -n 's/^lead-in \([0-9]*\)$/\1/p' "$work/render.txt")
check "Quorl reports no latency" grep -qx "latency 0" "$work/render.txt"
"$vsthost" render "$module" --in "$work/input.f64" --rate 48000 --block 512 --path float \
  "${vstParams[@]}" --out-raw "$work/vst2-whole.f64" >/dev/null
tail -c +$((leadIn * 16 + 1)) "$work/vst2-whole.f64" >"$work/vst2.f64"
echo "== Ardour's export against the VST 2.4 render, after $leadIn samples of lead-in"
check "Ardour's render through Quorl.vst3 is the VST 2.4 render, bit for bit" \
  "$rawdiff" "$work/vst2.f64" "$work/ardour.f64"

[ "$failures" = 0 ] || {
  echo "$failures failed"
  exit 1
}
