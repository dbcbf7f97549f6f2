#!/usr/bin/env bash
# Quorl.vst3's editor in Ardour 7's own GUI on an Xvfb display of its own: Ardour opens a session
# with Quorl on a stereo track, showing its mixer; a double-click on Quorl in the mixer strip opens
# Ardour's plug-in window with our editor in it, which shows the VST 2.4 editor's pixels; a second
# double-click closes it, and Ardour quits on Ctrl+Q, cleanly and in bounded time. Should Ardour
# hang, what it shows and what its threads do are printed.
#   check-ardour-vst3-editor.sh BUNDLE REFERENCE_PNG WORK_DIR
# Exits 77 (skipped) when Ardour is not installed.
set -euo pipefail
bundle=$1 reference=$(realpath "$2") work=$3
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=ardour-home.sh
. "$here/ardour-home.sh"
ardourHome "$work" "$bundle" ardour
# Not a first run (no welcome wizard), and the dummy engine at the session's rate and block size
# starts by itself (no audio setup dialog).
touch "$config/.a7"
cat >"$config/config" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="None (Dummy)" driver="Normal Speed" device="Silence" input-device="" output-device="" sample-rate="48000" buffer-size="512" n-periods="0" input-latency="0" output-latency="0" lm-input="" lm-output="" active="1" use-buffered-io="0" midi-option="1 in, 1 out, Silence" lru="1">
          <MIDIDevices/>
        </State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
EOF

fail() {
  echo "FAILED: $*"
  exit 1
}
LD_LIBRARY_PATH=/usr/lib/ardour7 "$scanner" -f "$VST3_PATH/Quorl.vst3" >"$work/scanner.txt" 2>&1 ||
  { cat "$work/scanner.txt"; fail "Ardour's scanner"; }
WORK=$work STEP=editor PLUGIN_TYPE=VST3 PARAMS="" ardourSession --fresh "$work/session" \
  "$work/session.txt" "$here/ardour-session.lua" "$VST3_PATH/Quorl.vst3/Contents/x86_64-linux/Quorl.so" ||
  { cat "$work/session.txt"; fail "the session was not made"; }
grep -qx saved "$work/session.txt" || { cat "$work/session.txt"; fail "the session was not made"; }

# Ardour's window state for the session: the mixer is the tab shown.
cat >"$work/session/instant.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<instant>
  <Main current-tab="mixer"/>
</instant>
EOF

# shellcheck source=scripts/xvfb.sh
. "$here/../../scripts/xvfb.sh"
startXvfb "$work/xvfb.log" || exit 1
export DISPLAY=$xvfbDisplay
ardourPid=""
cleanup() {
  [ -n "$ardourPid" ] && kill -9 "$ardourPid" 2>/dev/null
  kill "$xvfbPid" 2>/dev/null || true
}
trap cleanup EXIT
# A hung Ardour leaves what it shows (its windows; the screen in WORK_DIR/stuck.png) and the
# backtraces of all its threads (WORK_DIR/ardour-backtrace.txt; the GUI thread's is printed).
listWindows() {
  xdotool search --onlyvisible --name . 2>/dev/null | while read -r w; do
    echo "  $(xwininfo -id "$w" | sed -n 's/.*-geometry //p') \"$(xdotool getwindowname "$w")\""
  done
}
stuck() {
  echo "FAILED: $1 ($((SECONDS - start)) s after the start); Ardour's windows:"
  listWindows
  import -window root "$work/stuck.png" 2>/dev/null || true
  gdb -p "$ardourPid" -batch -ex 'thread apply all bt' >"$work/ardour-backtrace.txt" 2>&1 || true
  echo "Ardour's threads: $(sed -n 's/^Thread [0-9]* .*"\(.*\)").*/\1/p' \
    "$work/ardour-backtrace.txt" | paste -sd ' ')"
  echo "its GUI thread:"
  sed -n '/^Thread 1 /,$p' "$work/ardour-backtrace.txt" | grep -E '^#' | head -40
  grep -v "\[INFO\]" "$work/ardour.log" | tail -20
  exit 1
}
visible() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
# waitFor SECONDS COMMAND...: until COMMAND prints something, its first line in $found
waitFor() {
  local deadline=$((SECONDS + $1))
  shift
  found=""
  while [ $SECONDS -lt $deadline ]; do
    found=$("$@" || true)
    [ -n "$found" ] && return 0
    kill -0 "$ardourPid" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

start=$SECONDS
ardour -n -a "$work/session/editor.ardour" </dev/null >"$work/ardour.log" 2>&1 &
ardourPid=$!
waitFor 60 visible '^editor - Ardour$' || stuck "no session window"
mainWindow=$found
echo "ok: Ardour shows the session ($((SECONDS - start)) s)"

# The session opens on the mixer. Quorl shows as the first processor of the one strip, in the
# theme's colour for a plug-in before the fader, which nothing else on the screen has; its box
# gives the spot to double-click.
quorlBox() {
  import -window root -depth 8 png:- 2>/dev/null |
    convert - -fill black +opaque '#663030' -fill white -opaque '#663030' -format '%@' info: \
      2>/dev/null | grep -E '^[0-9]+x[0-9]+[+][0-9]+[+][0-9]+$' |
    awk -Fx '$1 >= 40 && $1 <= 200 && $2 + 0 <= 30'
}
waitFor 30 quorlBox || stuck "no mixer strip with Quorl"
IFS='x+' read -r bw bh bx by <<<"$found"
quorlInStrip=($((bx + bw / 2)) $((by + bh / 2)))
echo "ok: the mixer shows Quorl in the strip at ${quorlInStrip[*]} ($((SECONDS - start)) s)"
# Under load Ardour may take the two clicks for single ones (its tooltip comes up instead); the
# double-click is repeated only while no window of that title exists at all, since a second one
# on an open processor would hide its window again.
title='^Signal: Quorl \(by Harrowmint\) \[VST3\]$'
anyWindow() { xdotool search --name "$1" 2>/dev/null | head -n 1; }
for attempt in 1 2 3; do
  xdotool mousemove "${quorlInStrip[@]}" sleep 0.5 click --repeat 2 --delay 80 1
  waitFor 12 visible "$title" && break
  [ -n "$(anyWindow "$title")" ] && { waitFor 20 visible "$title"; break; }
  echo "note: no plug-in window after double-click $attempt; Ardour's windows:"
  listWindows
  xdotool mousemove 10 10 sleep 0.5
done
[ -n "$found" ] || stuck "no plug-in window"
pluginWindow=$found
echo "ok: Ardour opens Quorl's plug-in window"

# Our editor is the 190-row window inside Ardour's, below its toolbar; it shows what the VST 2.4
# editor shows on its first frame.
read -r wx wy < <(xwininfo -id "$pluginWindow" | awk '/Absolute upper-left X/ {x=$NF}
  /Absolute upper-left Y/ {print x, $NF}')
read -r ex ey < <(xwininfo -tree -id "$pluginWindow" |
  sed -n 's/.* [0-9]*x190[-+0-9]* *+\([0-9]*\)+\([0-9]*\)$/\1 \2/p' | head -n 1)
[ -n "${ex:-}" ] || { xwininfo -tree -id "$pluginWindow"; fail "no editor window inside"; }
differ=unknown
deadline=$((SECONDS + 15))
while [ $SECONDS -lt $deadline ]; do
  import -window "$pluginWindow" "$work/plugin-window.png" 2>/dev/null || true
  convert "$work/plugin-window.png" -crop "340x190+$((ex - wx))+$((ey - wy))" +repage \
    "$work/editor.png" 2>/dev/null || true
  differ=$(compare -metric AE "$work/editor.png" "$reference" null: 2>&1) || true
  [ "$differ" = 0 ] && break
  sleep 0.5
done
echo "editor at +$((ex - wx))+$((ey - wy)) in Ardour's" \
  "$(identify -format %wx%h "$work/plugin-window.png") window: $differ pixels differ"
[ "$differ" = 0 ] || fail "the editor in Ardour is not the VST 2.4 editor's picture"
echo "ok: the editor in Ardour shows the VST 2.4 editor pixel for pixel"
# Ardour makes our window as wide as its toolbar: what lies beside the editor is the panel's
# colour.
editorWidth=$(xwininfo -tree -id "$pluginWindow" |
  sed -n 's/.* \([0-9]*\)x190[-+0-9]* *+[0-9]*+[0-9]*$/\1/p' | head -n 1)
if [ "${editorWidth:-340}" -gt 340 ]; then
  strip=$(convert "$work/plugin-window.png" -crop "$((editorWidth - 340))x190+$((ex - wx + 340))+$((ey - wy))" \
    +repage -unique-colors -format '%w %[pixel:p{0,0}]' info:)
  [ "$strip" = "1 srgb(37,39,43)" ] || fail "beside the editor Ardour shows '$strip', not the panel"
  echo "ok: the $((editorWidth - 340)) columns beside the editor show the panel's colour"
fi

# Ardour put its window over the strip: aside with it, then the second double-click closes it.
xdotool windowmove "$pluginWindow" 700 400
sleep 0.5
xdotool mousemove "${quorlInStrip[@]}" click --repeat 2 --delay 80 1
waitFor 10 sh -c "xwininfo -id $pluginWindow | grep -q IsUnMapped && echo closed" ||
  stuck "the plug-in window stays open"
echo "ok: the second double-click closes the plug-in window"

xdotool windowfocus "$mainWindow"
xdotool key ctrl+q
deadline=$((SECONDS + 30))
while kill -0 "$ardourPid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
kill -0 "$ardourPid" 2>/dev/null && stuck "Ardour does not quit"
rc=0
wait "$ardourPid" || rc=$?
ardourPid=""
[ "$rc" = 0 ] || { tail -20 "$work/ardour.log"; fail "Ardour ended with status $rc"; }
echo "ok: Ardour quits with status 0 ($((SECONDS - start)) s in all)"
