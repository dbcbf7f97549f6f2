#!/usr/bin/env bash
# An open editor that nobody touches costs next to nothing: the host tool sleeps between its ticks,
# and the plug-in draws no frame while no value changes. A value the host changes is drawn, so the
# frame count can see drawing at all.
#   check-x11-idle-editor.sh TOOL MODULE WORK_DIR   (on a display of its own)
set -euo pipefail
tool=$(realpath "$1") module=$(realpath "$2") work=$3
mkdir -p "$work"
cd "$work"
export XDG_CONFIG_HOME="$PWD/settings"
fail() { echo "FAILED: $*" >&2; exit 1; }
fact() { awk -v key="$1" '$1 == key { print $2; exit }' "$2"; }

"$tool" editor "$module" --seconds 5 >idle.log 2>&1 || { cat idle.log; fail "the idle run failed"; }
grep -E '^(cpu|idleCalls|frames) ' idle.log
cpu=$(fact cpu idle.log)
[ -n "$cpu" ] || fail "no cpu figure"
# A loop that never sleeps burns a tenth of a core and more; idle, the run needs about 0.02 s.
awk -v cpu="$cpu" 'BEGIN { exit !(cpu < 0.1) }' || fail "an idle 5 s run took $cpu s of CPU"
[ "$(fact frames idle.log)" = 0 ] || fail "the idle editor drew frames"

"$tool" editor "$module" --seconds 1.5 --set cutoff=0.2@500 >changed.log 2>&1 ||
  { cat changed.log; fail "the run with a change failed"; }
[ "$(fact frames changed.log)" -ge 1 ] || fail "the host's change was not drawn"
echo "idle editor: $cpu s of CPU in 5 s, no frame drawn"
