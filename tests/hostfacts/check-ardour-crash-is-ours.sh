#!/usr/bin/env bash
# The Ardour tests run Ardour again when it crashes in its own code; this proves that a crash in
# the plug-in still fails them at once. A module that is Quorl's VST 2.4 module but for writing
# through a null pointer as soon as the signal reaches it renders the Ardour test's session.
#   check-ardour-crash-is-ours.sh CRASHING_MODULE REAL_MODULE WORK_DIR
# Exits 77 (skipped) when Ardour is not installed.
set -euo pipefail
crashing=$1 real=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=ardour-home.sh
. "$here/ardour-home.sh"
ardourHome "$work" "$(dirname "$real")"
rm "$VST3_PATH/Quorl.vst3"
ln -s "$(readlink -f "$crashing")" "$LXVST_PATH/Quorl.so"
export QUORL_CRASH_REAL_MODULE
QUORL_CRASH_REAL_MODULE=$(readlink -f "$real")
ardourRenderSetup
# Ardour finds a VST 2.4 plug-in by its scanner's record, as it finds the bundle (the scanner
# opens the module but processes nothing).
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -f "$LXVST_PATH/Quorl.so" \
  >"$work/scanner.txt" 2>&1 || { cat "$work/scanner.txt"; echo "FAILED: the scanner"; exit 1; }

rc=0
WORK=$work STEP=render PLUGIN_TYPE=LXVST PARAMS="" PRESET=4b7e1c20-0a55-4c1e-9d1f-51a0c3e2f002 \
  ardourSession --fresh "$work/session" --fresh "$work/export" "$work/render.txt" "$here/ardour-session.lua" "$LXVST_PATH/Quorl.so" \
  >"$work/verdict.txt" || rc=$?
cat "$work/verdict.txt"
grep -q '^plugin Quorl Harrowmint' "$work/render.txt" ||
  { cat "$work/render.txt"; echo "FAILED: Ardour did not load the crashing module"; exit 1; }
[ "$rc" = 125 ] || { echo "FAILED: the plug-in's crash gave $rc, not 125 (the plug-in crashed)"; exit 1; }
grep -q 'crashInThePlugin' "$work/verdict.txt" ||
  { echo "FAILED: the verdict does not show the plug-in's frame"; exit 1; }
grep -q 'run [0-9] of 6' "$work/verdict.txt" &&
  { echo "FAILED: a crash of the plug-in was run again"; exit 1; }
echo "ok: the plug-in's crash fails the session at once, with its frame named"
