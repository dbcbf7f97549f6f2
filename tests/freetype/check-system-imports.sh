#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that a bare Windows lacks, FreeType's above all: the
# plug-in links it statically.
#   check-system-imports.sh EXE
set -euo pipefail
imports=$(x86_64-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ {print toupper($3)}' | sort -u)
[ -n "$imports" ] || { echo "$1: no imports found" >&2; exit 1; }
for dll in $imports; do
  case " KERNEL32.DLL MSVCRT.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL " in
  *" $dll "*) ;;
  *) echo "$1 imports a non-system DLL: $dll" >&2; exit 1 ;;
  esac
done
