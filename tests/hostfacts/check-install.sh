#!/usr/bin/env bash
# `cmake --install` into a fresh prefix puts exactly the plug-ins and the host tool where hosts and
# shells look, and the installed tool loads the installed module as the built one loads.
#   check-install.sh CMAKE BUILD_DIR VST_DIR VST3_DIR BIN_DIR BUILT_TOOL BUILT_MODULE BUILT_BUNDLE
#                    WORK_DIR
# VST_DIR, VST3_DIR and BIN_DIR are the install folders relative to the prefix.
set -euo pipefail
cmake=$1 build=$2 vstDir=$3 vst3Dir=$4 binDir=$5 builtTool=$6 builtModule=$7 builtBundle=$8 work=$9

rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log"

actual=$(cd "$prefix" && find . ! -type d -printf '%p %m\n' | LC_ALL=C sort)
bundle=$vst3Dir/Quorl.vst3/Contents
wanted=$(printf './%s/vsthost 755\n./%s/Quorl.so 644\n./%s 644\n./%s 644\n' "$binDir" "$vstDir" \
  "$bundle/x86_64-linux/Quorl.so" "$bundle/Resources/moduleinfo.json" | LC_ALL=C sort)
if [ "$actual" != "$wanted" ]; then
  printf 'installed files differ:\n%s\nwanted:\n%s\n' "$actual" "$wanted" >&2
  exit 1
fi
cmp "$builtModule" "$prefix/$vstDir/Quorl.so"
diff -r "$builtBundle" "$prefix/$vst3Dir/Quorl.vst3"

"$prefix/$binDir/vsthost" info "$prefix/$vstDir/Quorl.so" | grep -v '^module' >"$work/installed.txt"
"$builtTool" info "$builtModule" | grep -v '^module' >"$work/built.txt"
diff -u "$work/built.txt" "$work/installed.txt"
grep -q '^effectName      "Quorl"$' "$work/installed.txt"
echo "installed into $prefix: $(echo "$actual" | tr '\n' ' ')"
