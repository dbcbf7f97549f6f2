#!/usr/bin/env bash
# The Linux editor shows what the Windows one shows: the same run of gestures, menus and host
# changes in both host tools (the DLL under Wine, the Linux library in the X11 window, on one
# Xvfb display), and every screenshot compared pixel by pixel. Text antialiasing could differ
# between the two GL paths, so a pixel may differ by up to 8 levels in a channel, and up to 0.5 %
# of the pixels by more; today they are identical.
#   check-editor-matches-windows.sh STATE_DIR WINDOWS_HOST DLL LINUX_HOST MODULE WORK_DIR
set -euo pipefail
state=$(realpath "$1") winhost=$(realpath "$2") dll=$(realpath "$3")
host=$(realpath "$4") module=$(realpath "$5") work=$6
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work/windows" "$work/linux"
cd "$work"
work=$(pwd)
# shellcheck disable=SC1091
. "$state/env.sh"
remove_defaults() { rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Harrowmint/Quorl.defaults; }
remove_defaults
trap remove_defaults EXIT
export XDG_CONFIG_HOME="$work/settings"
rm -rf "$XDG_CONFIG_HOME" windows/*.png linux/*.png
# shellcheck source=editor-session.sh
. "$here/editor-session.sh"
(cd windows && wine "$winhost" "${editor_session[@]/MODULE/$dll}" </dev/null >run.log 2>&1) ||
  { cat windows/run.log; echo "the Windows run failed" >&2; exit 1; }
(cd linux && "$host" "${editor_session[@]/MODULE/$module}" </dev/null >run.log 2>&1) ||
  { cat linux/run.log; echo "the Linux run failed" >&2; exit 1; }
# The same inputs, menus and dialog, line by line.
if ! diff <(editor_facts windows/run.log) <(editor_facts linux/run.log); then
  echo "the runs differ in what they printed" >&2
  exit 1
fi
pixels=$((340 * 190))
for shot in start gestures learnt saved; do
  beyond=$(compare -metric AE -fuzz 3.2% "windows/$shot.png" "linux/$shot.png" null: 2>&1) || true
  exact=$(compare -metric AE "windows/$shot.png" "linux/$shot.png" null: 2>&1) || true
  echo "$shot.png: $exact pixels differ, $beyond by more than 8 levels"
  [[ "$beyond" =~ ^[0-9]+$ ]] || { echo "cannot compare $shot.png: $beyond" >&2; exit 1; }
  [ "$beyond" -le $((pixels / 200)) ] || { echo "$shot.png differs too much" >&2; exit 1; }
done
echo "the Linux editor matches the Windows one; screenshots in $work"
