#!/usr/bin/env bash
# The processing quality as a host tool user meets it: chosen for a saved preset and a render,
# shown again when the preset is loaded, carried as the one record readers before the choice
# skip, and an offline render announced to the plug-in.
# With a VST 3 bundle, its offline process mode chooses High there too.
#   check-quality-choice.sh VSTHOST MODULE WORK_DIR [VST3_BUNDLE]
set -euo pipefail
vsthost=$1 module=$2 work=$3 bundle=${4:-}
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

# "High when rendering" is Normal live and High offline, bit for bit.
render() { # render NAME MODULE ARGS...
  local name=$1 target=$2
  shift 2
  "$vsthost" render "$target" --signal sine:9000:1 --length 0.5 --rate 44100 --param 0=1 \
    --out-raw "$work/$name.f64" "$@" >/dev/null
}
render normal "$module" --quality normal
render high "$module" --quality high
render live "$module" --quality render
render offline "$module" --quality render --offline
cmp -s "$work/normal.f64" "$work/high.f64" && fail "High renders what Normal renders"
cmp -s "$work/live.f64" "$work/normal.f64" || fail "High when rendering, live, is not Normal"
cmp -s "$work/offline.f64" "$work/high.f64" || fail "High when rendering, offline, is not High"
echo "High when rendering: Normal live, High offline"
if [ -n "$bundle" ]; then
  "$vsthost" preset save "$module" "$work/render.fxb" --quality render >/dev/null
  render vst3-live "$bundle" --preset "$work/render.fxb" --any-id
  render vst3-offline "$bundle" --preset "$work/render.fxb" --any-id --offline
  render vst2-live "$module" --preset "$work/render.fxb"
  cmp -s "$work/vst3-live.f64" "$work/vst2-live.f64" || fail "the VST 3 bundle renders otherwise"
  cmp -s "$work/vst3-offline.f64" "$work/vst3-live.f64" &&
    fail "the VST 3 bundle's offline mode did not choose High"
  cmp -s "$work/vst3-offline.f64" "$work/high.f64" ||
    fail "the VST 3 bundle's offline render is not the VST 2.4 module's High"
  echo "VST 3: the offline process mode renders High, the realtime one Normal"
fi
