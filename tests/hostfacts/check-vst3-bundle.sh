#!/usr/bin/env bash
# A VST 3 bundle holds exactly its module and its module facts; the module exports exactly the
# entry points of its system; moduleinfo.json is valid JSON naming the class the module's factory
# makes (the scanner's view of it is checked where a real scanner runs).
#   check-vst3-bundle.sh BUNDLE linux|windows
set -euo pipefail
bundle=$1 system=$2
here=$(dirname "$0")
case "$system" in
linux) module=Contents/x86_64-linux/Quorl.so ;;
windows) module=Contents/x86_64-win/Quorl.vst3 ;;
*) echo "usage: check-vst3-bundle.sh BUNDLE linux|windows" >&2; exit 2 ;;
esac
files=$(cd "$bundle" && find . -type f | LC_ALL=C sort | tr '\n' ' ')
[ "$files" = "./Contents/Resources/moduleinfo.json ./$module " ] ||
  { echo "the bundle holds: $files" >&2; exit 1; }

if [ "$system" = linux ]; then
  names=$(nm -D --defined-only "$bundle/$module" | awk 'NF == 3 { print $3 }' | LC_ALL=C sort |
    tr '\n' ' ')
  echo "exports: $names"
  [ "$names" = "GetPluginFactory ModuleEntry ModuleExit " ] || { echo "unexpected exports" >&2; exit 1; }
else
  "$here/check-dll-exports.sh" --vst3 "$bundle/$module"
fi

python3 - "$bundle/Contents/Resources/moduleinfo.json" <<'PY'
import json, sys
info = json.load(open(sys.argv[1]))
classes = info["Classes"]
assert len(classes) == 1 and classes[0]["Category"] == "Audio Module Class", classes
assert classes[0]["Name"] == "Quorl" and info["Factory Info"]["Vendor"] == "Harrowmint", info
assert len(classes[0]["CID"]) == 32, classes[0]["CID"]
print("moduleinfo.json:", info["Name"], info["Version"], classes[0]["CID"])
PY
