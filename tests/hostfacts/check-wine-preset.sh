#!/usr/bin/env bash
# A bank saved by the DLL under Wine through the host tool loads back into a fresh instance of the
# DLL and of the Linux plug-in with identical state: both report the same programs and values and
# write the bank out again byte for byte alike, and the same as the bank they loaded.
#   check-wine-preset.sh STATE_DIR NATIVE_HOST NATIVE_MODULE WINDOWS_HOST DLL WORK_DIR
set -euo pipefail
state=$(realpath "$1") nativeHost=$(realpath "$2") nativeModule=$(realpath "$3")
windowsHost=$(realpath "$4") dll=$(realpath "$5") work=$6
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
cd "$work"
rm -f mapped.fxp saved.fxb native.fxb wine.fxb

# shellcheck source=mapped-preset.sh
. "$here/mapped-preset.sh"
write_mapped_preset mapped.fxp

# shellcheck disable=SC1091
. "$state/env.sh"
wine "$windowsHost" preset save "$dll" saved.fxb --preset mapped.fxp --program 3 \
  --param cutoff=0.3 --param "wet mix=0.65" </dev/null >/dev/null
wine "$windowsHost" preset show "$dll" saved.fxb --save wine.fxb </dev/null |
  grep -v -E '^(preset|saved) ' >wine-show.txt
"$nativeHost" preset show "$nativeModule" saved.fxb --save native.fxb | grep -v -E '^(preset|saved) ' \
  >native-show.txt

diff -u wine-show.txt native-show.txt
cmp wine.fxb native.fxb
cmp saved.fxb wine.fxb
grep -q '^program *3 "Dark Pad"' native-show.txt
grep -q 'name "wet mix" label "%" display "65"' native-show.txt
# 160 bytes of file header, the 1002-byte bank chunk, and the two mappings of 4 bytes each.
[ "$(wc -c <saved.fxb)" = 1170 ] || { echo "the mappings did not travel" >&2; exit 1; }
echo "bank $(wc -c <saved.fxb) bytes: same state in the DLL and the Linux plug-in"
