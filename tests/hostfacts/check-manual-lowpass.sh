#!/usr/bin/env bash
# The manual's low-pass picture is the plug-in's filter today: the low-pass at cutoff 1000 Hz and
# resonance 50 % is rendered afresh as scripts/manual-plots.sh renders it, and its -3 dB point
# must lie within 5 % of the committed curve's. Prints both beside the cutoff's own text.
#   check-manual-lowpass.sh VSTHOST MODULE RESPONSE COMMITTED_CSV WORK_DIR [CUTOFF]
# CUTOFF (default 0.5456, the picture's) renders at another knob value instead, to see it fail.
set -euo pipefail
vsthost=$1 module=$2 response=$3 csv=$4 work=$5 cutoff=${6:-0.5456}
column=reson0.5-morph0
rm -rf "$work"
mkdir -p "$work/settings"
export XDG_CONFIG_HOME=$work/settings

rate=48000
setting=(--param "0=0" --param "1=$cutoff" --param "2=0.5" --param "3=0" --param "4=0"
  --param "5=1" --param "6=0.5" --param "7=0")
"$response" impulse "$work/impulse.f64" --rate $rate --lead 0.5 --length 1.5 --amplitude 0.1
"$response" impulse "$work/silence.f64" --rate $rate --lead 0.5 --length 1.5 --amplitude 0
for input in impulse silence; do
  "$vsthost" render "$module" --in "$work/$input.f64" --rate $rate --path double \
    --out-raw "$work/$input-out.f64" "${setting[@]}" >/dev/null
done
"$response" magnitude "$work/fresh.csv" --rate $rate --start 24000 --length 48000 \
  --amplitude 0.1 "$column=$work/impulse-out.f64:$work/silence-out.f64" >/dev/null

fresh=$("$response" drop "$work/fresh.csv" "$column")
committed=$("$response" drop "$csv" "$column")
"$vsthost" preset save "$module" "$work/cutoff.fxp" --param "1=$cutoff" >/dev/null
text=$("$vsthost" info "$module" --preset "$work/cutoff.fxp" |
  sed -n 's/^param  *1 name "cutoff" .* display "\([^"]*\)".*/\1/p')
echo "cutoff reads $text Hz; -3 dB at $fresh Hz rendered now, $committed Hz in $(basename "$csv")"
awk -v a="$fresh" -v b="$committed" -v t="$text" 'BEGIN {
  if (!(a > 0 && b > 0)) { print "no -3 dB point found"; exit 1 }
  printf "-3 dB point / cutoff text: %.3f now, %.3f committed\n", a / t, b / t
  d = a > b ? a / b - 1 : b / a - 1
  if (d > 0.05) { printf "they differ by %.1f %%: run scripts/manual-plots.sh\n", 100 * d; exit 1 }
  printf "within %.2f %%\n", 100 * d
}'
