#!/usr/bin/env bash
# The processing quality as a host tool user meets it: chosen for a saved preset and a render,
# shown again when the preset is loaded, carried as the one record readers before the choice
# skip, and an offline render announced to the plug-in.
#   check-quality-choice.sh VSTHOST MODULE WORK_DIR
set -euo pipefail
vsthost=$1 module=$2 work=$3
rm -rf "$work"
mkdir -p "$work/settings"
export XDG_CONFIG_HOME=$work/settings
fail() { echo "FAILED: $*" >&2; exit 1; }

for q in normal high render; do
  "$vsthost" preset save "$module" "$work/$q.fxp" --quality "$q" --param 1=0.3 >/dev/null
  shown=$("$vsthost" preset show "$module" "$work/$q.fxp" | sed -n 's/^quality  *//p')
  [ "$shown" = "$q" ] || fail "a preset saved with --quality $q loads as '$shown'"
done
# Normal leaves the chunk as it always was; the others add one value record for index 0xF0.
normal=$(stat -c %s "$work/normal.fxp") high=$(stat -c %s "$work/high.fxp")
[ $((high - normal)) = 4 ] || fail "the quality record takes $((high - normal)) bytes, not 4"
"$vsthost" preset dump "$work/high.fxp" | tail -1 | grep -q '00 F0 01 00$' ||
  fail "the High preset does not end in the record 00 F0 01 00"
echo "presets keep their quality; Normal's are $normal bytes as before, the others 4 more"

out=$("$vsthost" render "$module" --signal sine:440 --length 0.2 --quality render --offline \
  --out-raw "$work/render.f64")
grep -q '^quality  *render$' <<<"$out" || fail "render does not report its quality"
grep -q '^processLevel  *4 (offline)$' <<<"$out" || fail "render --offline is not reported"
echo "render chooses the quality and announces an offline render"
