#!/usr/bin/env bash
# The Linux module exports exactly MAIN, VSTPluginMain and main, all three one function, like the
# DLL's entry names.
#   check-so-exports.sh MODULE
set -euo pipefail
module=$1

# "name address" per defined dynamic symbol.
pairs=$(nm -D --defined-only "$module" | awk 'NF == 3 { print $3, $1 }' | LC_ALL=C sort)
echo "exports:" $pairs
names=$(echo "$pairs" | awk '{print $1}' | tr '\n' ' ')
[ "$names" = "MAIN VSTPluginMain main " ] || { echo "unexpected exports" >&2; exit 1; }
addresses=$(echo "$pairs" | awk '{print $2}' | sort -u | wc -l)
[ "$addresses" = 1 ] || { echo "MAIN, VSTPluginMain and main are not one function" >&2; exit 1; }
