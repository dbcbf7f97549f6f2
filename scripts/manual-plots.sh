#!/usr/bin/env bash
# Measures the manual's pictures from the built Linux plug-in and draws them into docs/manual/:
# the editor's screenshot, the filter's magnitude responses, the self-oscillation's build-up, the
# factory presets' responses, the drive's harmonics and its aliases in each quality, each with the
# CSV it was plotted from. Builds nothing: it takes vsthost, Quorl.so and response from the build
# folder (default build/native), gnuplot and Xvfb from the system.
#   manual-plots.sh [BUILD_DIR]
set -euo pipefail
shopt -s inherit_errexit
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/native}" && pwd)
vsthost=$build/tools/vsthost/vsthost
module=$build/Quorl.so
response=$build/tools/response/response
fail() { echo "manual-plots: $*" >&2; exit 1; }
for f in "$vsthost" "$module" "$response"; do
  [ -f "$f" ] || fail "no $f (build $build first)"
done
command -v gnuplot >/dev/null || fail "gnuplot is missing (scripts/setup.sh installs it)"
out=$root/docs/manual
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A fresh settings folder: the user's own defaults must not colour the pictures.
export XDG_CONFIG_HOME=$work/settings LC_ALL=C
mkdir -p "$XDG_CONFIG_HOME"

# The impulse comes after half a second, when every parameter's glide is long over; a second of
# response follows. Its 0.1 keeps the saturating filter linear (drive at its lowest, -20 dB).
rate=48000 lead=0.5 length=1.5 amplitude=0.1
start=$((rate / 2)) frames=$rate
for a in $amplitude 0; do
  "$response" impulse "$work/impulse$a.f64" --rate $rate --lead $lead --length $length --amplitude $a
done

# Every parameter is set, so neither defaults nor the programs the plug-in starts with reach in.
# By index: drive, cutoff, reson., morph, band, wet mix (100 %), output (0 dB), q.range (safe
# unless QRANGE says 1).
#   setting DRIVE CUTOFF RESON MORPH BAND [QRANGE]  (into the array "p")
setting() {
  p=(--param "0=$1" --param "1=$2" --param "2=$3" --param "3=$4" --param "4=$5" --param "5=1"
    --param "6=0.5" --param "7=${6:-0}")
}
render() { # render NAME INPUT: through the current setting
  "$vsthost" render "$module" --in "$2" --rate $rate --path double --out-raw "$work/$1.f64" \
    "${p[@]}" >/dev/null
}
# curve NAME DRIVE CUTOFF RESON MORPH BAND: renders the impulse and the silence, and adds the
# pair to "series" for magnitude.
curve() {
  local name=$1
  shift
  setting "$@"
  render "$name" "$work/impulse$amplitude.f64"
  render "$name-silence" "$work/impulse0.f64"
  series+=("$name=$work/$name.f64:$work/$name-silence.f64")
}
# display INDEX VALUE: the plug-in's own text for a parameter value.
display() {
  "$vsthost" preset save "$module" "$work/display.fxp" --param "$1=$2" >/dev/null
  "$vsthost" info "$module" --preset "$work/display.fxp" |
    sed -n "s/^param  *$1 name .* display \"\([^\"]*\)\".*/\1/p"
}
magnitude() { # magnitude CSV [--refine 1] SERIES...
  local csv=$1
  shift
  "$response" magnitude "$csv" --rate $rate --start $start --length $frames \
    --amplitude $amplitude "$@"
}

# The filter at a cutoff of 1000 Hz, at no, half and full resonance of the safe range.
cutoff=0.5456
[ "$(display 1 $cutoff)" = 1000 ] || fail "cutoff $cutoff no longer reads 1000"
resonances=(0 0.5 1)
steps=(0 0.25 0.5 0.75 1)
echo "== morph (band 0)"
series=()
for r in "${resonances[@]}"; do
  for m in "${steps[@]}"; do curve "reson$r-morph$m" 0 $cutoff "$r" "$m" 0; done
done
# The notches are narrower than the grid: each gets its deepest frequency among the points.
magnitude "$out/filter-morph.csv" --refine 1 "${series[@]}"
echo "== band (morph 0)"
series=()
for r in "${resonances[@]}"; do
  for b in "${steps[@]}"; do curve "reson$r-band$b" 0 $cutoff "$r" 0 "$b"; done
done
magnitude "$out/filter-band.csv" "${series[@]}"
echo "== cutoff (low-pass, resonance 50 %)"
series=() cutoffTexts=()
for c in "${steps[@]}"; do
  curve "cutoff$c" 0 "$c" 0.5 0 0
  cutoffTexts+=("$(display 1 "$c")")
done
magnitude "$out/filter-cutoff.csv" "${series[@]}"
echo "== resonance (low-pass, safe and full Q range)"
series=()
safeResonances=(0 0.25 0.5 0.75 1)
for r in "${safeResonances[@]}"; do curve "safe$r" 0 $cutoff "$r" 0 0; done
magnitude "$out/filter-resonance.csv" --refine 1 "${series[@]}"
# Below the full range's threshold of self-oscillation (about 95 %); its peaks are narrower than
# the grid.
series=()
fullResonances=(0.25 0.5 0.75 0.85 0.9)
for r in "${fullResonances[@]}"; do curve "full$r" 0 $cutoff "$r" 0 0 1; done
magnitude "$out/filter-qrange.csv" --refine 1 "${series[@]}"

# The tone the full range sings in silence, from the start of the render: RMS in 50 ms windows.
echo "== self-oscillation (resonance 100 %, full range, silent input)"
singSeconds=10
"$response" impulse "$work/silence.f64" --rate $rate --lead 1 --length $singSeconds --amplitude 0
series=() singTexts=()
for hz in 100 440 1000; do
  knob=$(awk -v f=$hz 'BEGIN { printf "%.6f", log(f / 20) / log(1300) }')
  singTexts+=("$hz")
  setting 0 "$knob" 1 0 0 1
  render "sing$hz" "$work/silence.f64"
  series+=("cutoff$hz=$work/sing$hz.f64")
done
"$response" envelope "$out/self-oscillation.csv" --rate $rate --window 0.05 "${series[@]}"

# The factory presets, taken from the module itself: each program's response to the impulse.
echo "== factory presets"
programNames=()
"$vsthost" preset save "$module" "$work/factory.fxb" >/dev/null
while IFS= read -r name; do programNames+=("$name"); done < <(
  "$vsthost" preset show "$module" "$work/factory.fxb" |
    sed -n 's/^programName  *[0-9]* "\(.*\)"$/\1/p')
[ "${#programNames[@]}" -gt 0 ] || fail "the module lists no programs"
programRender() { # programRender N NAME INPUT
  "$vsthost" render "$module" --in "$3" --rate $rate --path double --out-raw "$work/$2.f64" \
    --program "$1" >/dev/null
}
series=()
for ((n = 0; n < ${#programNames[@]}; ++n)); do
  programRender $n "program$n" "$work/impulse$amplitude.f64"
  programRender $n "program$n-silence" "$work/impulse0.f64"
  series+=("program$n=$work/program$n.f64:$work/program$n-silence.f64")
done
magnitude "$out/factory-presets.csv" --refine 1 "${series[@]}"

# The drive: a 220 Hz sine at -6 dBFS through the low-pass at 1000 Hz, resonance 50 %, measured
# over a second (220 whole cycles) after the glides.
echo "== drive (220 Hz sine, -6 dBFS)"
drives=(0 0.5 0.75 1) series=() driveTexts=()
for d in "${drives[@]}"; do
  setting "$d" $cutoff 0.5 0 0
  "$vsthost" render "$module" --signal sine:220:0.5 --length $length --rate $rate --path double \
    --out-raw "$work/drive$d.f64" "${p[@]}" >/dev/null
  series+=("drive$d=$work/drive$d.f64")
  driveTexts+=("$(display 0 "$d")")
done
"$response" harmonics "$out/drive.csv" --rate $rate --fundamental 220 --start $start \
  --length $frames "${series[@]}"

# The quality choice: a full-scale 9 kHz sine at +20 dB of drive through the wide-open filter
# (resonance 50 %) at 44.1 kHz, in Normal and in High. Its period is 441 samples, so every
# harmonic and every alias falls on a multiple of 100 Hz, measured over a whole second.
echo "== quality (9 kHz sine, 0 dBFS, drive +20 dB)"
series=()
for q in normal high; do
  setting 1 1 0.5 0 0
  "$vsthost" render "$module" --signal sine:9000:1 --length 2 --rate 44100 --path double \
    --quality $q --out-raw "$work/quality-$q.f64" "${p[@]}" >/dev/null
  series+=("$q=$work/quality-$q.f64")
done
"$response" spectrum "$out/quality.csv" --rate 44100 --fundamental 9000 --step 100 \
  --start 44100 --length 44100 "${series[@]}"

# The editor at 200 %, as a fresh screenshot; when it is the picture docs/ already has, pixel for
# pixel, that one's smaller file is kept.
echo "== editor"
setting 0 1 0.5 0 0
"$root/scripts/with-xvfb.sh" "$vsthost" editor "$module" --seconds 1 --scale 2 \
  --screenshot "$work/editor.png" "${p[@]}" >"$work/editor.log" 2>&1 ||
  { cat "$work/editor.log" >&2; exit 1; }
reference=$root/docs/editor-linux-200.png
if [ "$(compare -metric AE "$work/editor.png" "$reference" null: 2>&1)" = 0 ]; then
  cp "$reference" "$out/editor.png"
else
  echo "manual-plots: the editor differs from docs/editor-linux-200.png; took the new screenshot"
  cp "$work/editor.png" "$out/editor.png"
fi

echo "== plotting"
# The axes every response shares: Hz on a log scale, dB.
axes='
set logscale x
set xrange [20:20000]
set xtics ("20" 20, "50" 50, "100" 100, "200" 200, "500" 500, "1k" 1000, "2k" 2000, "5k" 5000, "10k" 10000, "20k" 20000)
set mxtics 10
set ytics 10
set grid xtics mxtics ytics lt 1 lc rgb "#cccccc" lw 1, lt 1 lc rgb "#ececec" lw 1
set xlabel "frequency (Hz)"
set ylabel "level (dB)"
set datafile separator ","
set key top left box opaque samplen 2
set style line 1 lc rgb "#1f5fbf" lw 2.5
set style line 2 lc rgb "#2aa198" lw 2.5
set style line 3 lc rgb "#8a8a00" lw 2.5
set style line 4 lc rgb "#d9730d" lw 2.5
set style line 5 lc rgb "#c0304a" lw 2.5
'
titles=(0 25 50 75 100)
{
  echo 'set terminal pngcairo size 1500,560 font "Bitstream Vera Sans,12" noenhanced'
  echo "set output '$out/filter-morph.png'"
  echo "$axes"
  echo 'set yrange [-60:40]'
  echo 'set multiplot layout 1,3 title "Quorl: morph from low-pass to high-pass (cutoff 1000 Hz, band 0 %)" font ",14"'
  col=2
  for r in 0 50 100; do
    echo "set title 'resonance $r %'"
    plot="plot"
    for i in 0 1 2 3 4; do
      plot+=" '$out/filter-morph.csv' using 1:$((col + i)) with lines ls $((i + 1)) title 'morph ${titles[$i]} %',"
    done
    echo "${plot%,}"
    col=$((col + 5))
  done
  echo 'unset multiplot'
  echo "set output '$out/filter-band.png'"
  echo 'set multiplot layout 1,3 title "Quorl: band from low-pass to band-pass (cutoff 1000 Hz, morph 0 %)" font ",14"'
  col=2
  for r in 0 50 100; do
    echo "set title 'resonance $r %'"
    plot="plot"
    for i in 0 1 2 3 4; do
      plot+=" '$out/filter-band.csv' using 1:$((col + i)) with lines ls $((i + 1)) title 'band ${titles[$i]} %',"
    done
    echo "${plot%,}"
    col=$((col + 5))
  done
  echo 'unset multiplot'
  echo 'set terminal pngcairo size 1200,560 font "Bitstream Vera Sans,12" noenhanced'
  echo "set output '$out/filter-resonance.png'"
  echo 'set yrange [-60:50]'
  echo 'set multiplot layout 1,2 title "Quorl: the low-pass at a cutoff of 1000 Hz by resonance" font ",14"'
  echo "set title 'Q range safe'"
  plot="plot"
  for i in 0 1 2 3 4; do
    plot+=" '$out/filter-resonance.csv' using 1:$((i + 2)) with lines ls $((i + 1)) title 'resonance ${titles[$i]} %',"
  done
  echo "${plot%,}"
  echo "set title 'Q range full (below self-oscillation)'"
  plot="plot"
  for i in 0 1 2 3 4; do
    percent=$(awk -v r="${fullResonances[$i]}" 'BEGIN { printf "%d", r * 100 + 0.5 }')
    plot+=" '$out/filter-qrange.csv' using 1:$((i + 2)) with lines ls $((i + 1)) title 'resonance $percent %',"
  done
  echo "${plot%,}"
  echo 'unset multiplot'
  echo 'set yrange [-60:40]'
  echo 'set ytics 20'
  echo 'set xtics ("20" 20, "100" 100, "1k" 1000, "10k" 10000)'
  echo 'unset xlabel'
  echo 'unset ylabel'
  echo 'unset key'
  echo 'set terminal pngcairo size 1400,1100 font "Bitstream Vera Sans,11" noenhanced'
  echo "set output '$out/factory-presets.png'"
  echo 'set multiplot layout 4,4 title "Quorl: the factory presets, level (dB) over frequency (Hz); a preset that sings on its own shows its tone" font ",14"'
  for ((n = 0; n < ${#programNames[@]}; ++n)); do
    title=${programNames[$n]//\'/\'\'}
    echo "set title '$((n + 1)) $title'"
    echo "plot '$out/factory-presets.csv' using 1:$((n + 2)) with lines ls 1"
  done
  echo 'unset multiplot'
  echo 'set xtics ("20" 20, "50" 50, "100" 100, "200" 200, "500" 500, "1k" 1000, "2k" 2000, "5k" 5000, "10k" 10000, "20k" 20000)'
  echo 'set ytics 10'
  echo 'set xlabel "frequency (Hz)"'
  echo 'set ylabel "level (dB)"'
  echo 'set key'
  echo 'set terminal pngcairo size 900,560 font "Bitstream Vera Sans,12" noenhanced'
  echo "set output '$out/self-oscillation.png'"
  echo 'set title "Quorl: the tone building up in silence (resonance 100 %, Q range full, drive -20 dB)" font ",14"'
  echo 'unset logscale x'
  echo "set xrange [0:$singSeconds]"
  echo 'set xtics 1'
  echo 'set mxtics 2'
  echo 'set xlabel "time (s)"'
  echo 'set ylabel "RMS level over 50 ms (dBFS)"'
  echo 'set yrange [-120:10]'
  echo 'set key bottom right'
  plot="plot"
  for i in 0 1 2; do
    plot+=" '$out/self-oscillation.csv' using 1:$((i + 2)) with lines ls $((i + 1)) title 'cutoff ${singTexts[$i]} Hz',"
  done
  echo "${plot%,}"
  echo 'set logscale x'
  echo 'set xrange [20:20000]'
  echo 'set xtics ("20" 20, "50" 50, "100" 100, "200" 200, "500" 500, "1k" 1000, "2k" 2000, "5k" 5000, "10k" 10000, "20k" 20000)'
  echo 'set mxtics 10'
  echo 'set xlabel "frequency (Hz)"'
  echo 'set ylabel "level (dB)"'
  echo 'set yrange [-60:40]'
  echo "set output '$out/filter-cutoff.png'"
  echo 'set title "Quorl: the low-pass across the cutoff knob (resonance 50 %)" font ",14"'
  echo 'set key bottom left'
  plot="plot"
  for i in 0 1 2 3 4; do
    plot+=" '$out/filter-cutoff.csv' using 1:$((i + 2)) with lines ls $((i + 1)) title 'knob ${titles[$i]} %: ${cutoffTexts[$i]} Hz',"
  done
  echo "${plot%,}"
  echo "set output '$out/drive.png'"
  echo 'set title "Quorl: a 220 Hz sine at -6 dBFS, harmonics by drive (cutoff 1000 Hz, resonance 50 %)" font ",14"'
  echo 'set ylabel "level (dBFS)"'
  echo 'set yrange [-140:0]'
  echo 'set ytics 20'
  echo 'set xrange [150:20000]'
  echo 'set key top right'
  echo 'set logscale x2'
  echo 'set x2range [150:20000]'
  echo 'set x2tics ("1" 220, "3" 660, "5" 1100, "7" 1540, "9" 1980, "11" 2420, "15" 3300, "21" 4620, "31" 6820, "45" 9900, "63" 13860, "90" 19800)'
  echo 'set x2label "harmonic"'
  plot="plot"
  # Each drive's bars stand a little to the right of the one before, so all four stay visible.
  for i in 0 1 2 3; do
    plot+=" '$out/drive.csv' using (\$1*(1+0.035*($i-1.5))):(-140):(0):(\$$((i + 2))+140) with vectors nohead ls $((i + 1)) lw 3 title 'drive ${driveTexts[$i]} dB',"
  done
  echo "${plot%,}"
  echo 'unset x2tics'
  echo 'unset x2label'
  echo 'unset logscale x2'
  echo 'set terminal pngcairo size 1500,560 font "Bitstream Vera Sans,12" noenhanced'
  echo "set output '$out/quality.png'"
  echo 'set multiplot layout 1,2 title "Quorl: a 9 kHz sine at 0 dBFS with drive +20 dB, spectrum at 44.1 kHz (cutoff 26000 Hz, resonance 50 %)" font ",14"'
  echo 'unset logscale x'
  echo 'set xrange [0:22050]'
  echo 'set xtics ("0" 0, "2k" 2000, "4k" 4000, "6k" 6000, "8k" 8000, "10k" 10000, "12k" 12000, "14k" 14000, "16k" 16000, "18k" 18000, "20k" 20000, "22k" 22000)'
  echo 'set xlabel "frequency (Hz)"'
  echo 'set yrange [-160:0]'
  echo 'unset key'
  col=2
  for q in Normal High; do
    echo "set title 'quality $q'"
    echo "plot '$out/quality.csv' using 1:(-160):(0):(\$$col+160) with vectors nohead ls $((col - 1)) lw 3"
    col=$((col + 1))
  done
  echo 'unset multiplot'
} >"$work/plots.gp"
gnuplot "$work/plots.gp"
ls -l "$out"
