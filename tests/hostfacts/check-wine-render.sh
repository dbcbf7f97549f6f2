#!/usr/bin/env bash
# Renders the same automated signal through the Linux plug-in natively and through the DLL under
# Wine, both on the 64-bit path, and compares the raw samples.
#
# Tolerance 1e-11: the two C libraries' pow, sin and cos may differ in their last bit (about 1e-16
# relative); carried through the resonant filter and its gains for three seconds this grows to
# about 1e-14 here. Everything else is the same arithmetic on both sides, so anything beyond the
# tolerance (a changed order of operations, a lost rounding mode, a skipped state) is a fault:
# such faults give differences of 1e-7 and more.
#   check-wine-render.sh STATE_DIR NATIVE_HOST NATIVE_MODULE WINDOWS_HOST DLL RAWDIFF WORK_DIR
set -euo pipefail
state=$1 nativeHost=$2 nativeModule=$3 windowsHost=$4 dll=$5 rawdiff=$6 work=$7
mkdir -p "$work"

render=(render --signal saw-sweep:55:880:0.5 --length 3 --path double --block 480
  --param reson.=0.85 --sweep cutoff=0.9:0.3 --at 30000:drive=0.7 --at 60000:morph=0.6
  --at 90000:band=0.4 --at 100000:midi:B0,4A,40)

"$nativeHost" render "$nativeModule" "${render[@]:1}" --out-raw "$work/native.f64" >/dev/null
# shellcheck disable=SC1091
. "$state/env.sh"
(cd "$work" && wine "$windowsHost" render "$dll" "${render[@]:1}" --out-raw wine.f64 >/dev/null </dev/null)
"$rawdiff" "$work/native.f64" "$work/wine.f64" --max-abs 1e-11
