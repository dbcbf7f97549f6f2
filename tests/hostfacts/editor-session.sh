# Sourced by the checks that compare two editors: one run of gestures, menus, MIDI learn, a host
# change and the saved defaults, with MODULE for the plug-in, and what such a run prints that must
# agree. Calls to the host are left out: hosts hear of a gesture's steps in different numbers
# (Windows sends a drag's moves one by one, an X11 idle takes the queued ones together; VST 3
# reports a controller's move as an output change) though not where they end.
editor_session=(--answer ok editor MODULE --seconds 4
  --screenshot start.png --at 300 --drag 50,40:0,200@400 --wheel 290,100:1@700
  --click 290,40@900 --screenshot gestures.png --at 1100
  --double-click 50,40@1200 --right-click 50,40:2@1400 --midi B0,4A,40@1900
  --set reson.=0.8@2000 --screenshot learnt.png --at 2200
  --right-click 300,180:1@2400 --screenshot saved.png --at 3200)
editor_facts() {
  grep -v -E '^(window|editorWindow|xembed|xembedMessage|openTime|firstFrame|cpu|idleCalls|frames|callbacks?) ' "$1"
}
