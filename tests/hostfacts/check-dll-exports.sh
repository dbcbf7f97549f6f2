#!/usr/bin/env bash
# The DLL exports exactly DllMain, MAIN, VSTPluginMain and main (the last three one function) and
# imports nothing but what every Windows system has. With --vst3, the exports are those of a VST 3
# module: ExitDll, GetPluginFactory and InitDll.
#   check-dll-exports.sh [--vst3] DLL
set -euo pipefail
vst3=0
[ "$1" = --vst3 ] && { vst3=1; shift; }
dll=$1
dump=$(x86_64-w64-mingw32-objdump -p "$dll")

# "name rva" per export: the name table lists names in ordinal order, the address table RVAs.
pairs=$(echo "$dump" | awk '
  /^Export Address Table -- Ordinal Base/ { section = "rva"; next }
  /^\[Ordinal\/Name Pointer\] Table/ { section = "names"; next }
  /^$/ { section = "" }
  section == "rva" && /Export RVA/ { rva[n++] = $(NF - 2) }
  section == "names" { names[m++] = $NF }
  END { for (i = 0; i < m; i++) print names[i], rva[i] }' | sort)
echo "exports:" $pairs
names=$(echo "$pairs" | awk '{print $1}' | tr '\n' ' ')
if [ "$vst3" = 1 ]; then
  [ "$names" = "ExitDll GetPluginFactory InitDll " ] || { echo "unexpected exports" >&2; exit 1; }
else
  [ "$names" = "DllMain MAIN VSTPluginMain main " ] || { echo "unexpected exports" >&2; exit 1; }
  entryAddresses=$(echo "$pairs" | awk '$1 != "DllMain" {print $2}' | sort -u | wc -l)
  [ "$entryAddresses" = 1 ] || { echo "MAIN, VSTPluginMain and main are not one function" >&2; exit 1; }
fi

imports=$(echo "$dump" | grep 'DLL Name:' | awk '{print toupper($3)}' | sort -u | tr '\n' ' ')
echo "imports: $imports"
allowed=" KERNEL32.DLL USER32.DLL GDI32.DLL OPENGL32.DLL SHELL32.DLL COMCTL32.DLL ADVAPI32.DLL MSVCRT.DLL OLE32.DLL "
for dllName in $imports; do
  case "$allowed" in
  *" $dllName "*) ;;
  *) echo "imports a non-system DLL: $dllName" >&2; exit 1 ;;
  esac
done
