#!/usr/bin/env bash
# The DLL carries the version resource Windows shows in the file's properties, with the project's
# version, beside its images, font and manifest.
#   check-dll-version.sh DLL VERSION
set -euo pipefail
dll=$1 version=$2
IFS=. read -r major minor patch <<<"$version"

rc=$(x86_64-w64-mingw32-windres -i "$dll" -O rc)
fail=0
expect() {
  if ! grep -qxF -- "$1" <<<"$rc"; then
    echo "missing: $1" >&2
    fail=1
  fi
}
expect " FILEVERSION $major, $minor, $patch, 0"
expect " PRODUCTVERSION $major, $minor, $patch, 0"
expect " FILETYPE 0x2"
expect '      VALUE "CompanyName", "Harrowmint"'
expect '      VALUE "ProductName", "Quorl"'
expect "      VALUE \"FileVersion\", \"$version\""
expect "      VALUE \"ProductVersion\", \"$version\""
expect '      VALUE "OriginalFilename", "Quorl-x64.dll"'
expect '    VALUE "Translation", 0x409, 1200'
grep -q '^      VALUE "FileDescription", "..*"$' <<<"$rc" || { echo "no file description" >&2; fail=1; }

# The data the editor loads keeps its names and language (US English), each image at 1x and at
# the larger pixel densities, beside the factory presets; the manifest stays neutral.
summary=$(awk '/Type: |Name: |^LANGUAGE/' <<<"$rc" | tr -s ' \n' ' ')
echo "resources: $summary"
bank='/* Type: "FXB" Name: "FACTORYBANK". */ LANGUAGE 9, 1'
images='Type: "PNG" Name: "COMMONTEXTURES". */ /* Name: "COMMONTEXTURES150". */'
images+=' /* Name: "COMMONTEXTURES200". */ /* Name: "COMMONTEXTURES300". */ /* Name: "TEXTURE". */'
images+=' /* Name: "TEXTURE150". */ /* Name: "TEXTURE200". */ /* Name: "TEXTURE300". */ '
for wanted in "$bank" "$images" '/* Type: "TTF" Name: "VERA". */' 'Type: 24 Name: 2. */ LANGUAGE 0, 0'; do
  grep -qF -- "$wanted" <<<"$summary" || { echo "resources changed: no '$wanted'" >&2; fail=1; }
done
[ "$fail" = 0 ] && echo "version resource: $version"
exit "$fail"
