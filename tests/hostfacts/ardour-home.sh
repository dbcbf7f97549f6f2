# shellcheck shell=bash
# Sourced by the Ardour tests. ardourHome WORK BUNDLE [PROGRAM...]: exits 77 (skipped) unless
# Ardour 7 and PROGRAM... are installed; otherwise empties WORK and gives Ardour, and Quorl's own
# defaults and settings, a home of their own below it, with BUNDLE as the one VST 3 plug-in there.
# Sets work (absolute), scanner (Ardour's VST 3 scanner) and config (Ardour's settings folder).
ardourTests=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ardourHome() {
  local bundle=$2 program
  scanner=/usr/lib/ardour7/ardour-vst3-scanner
  for program in ardour7-lua "${@:3}"; do
    command -v "$program" >/dev/null || scanner=
  done
  if [ -z "$scanner" ] || [ ! -x "$scanner" ]; then
    echo "skipped: Ardour 7 is not installed (scripts/setup.sh installs it)"
    exit 77
  fi
  rm -rf "$1"
  mkdir -p "$1/home/.local/share" "$1/vst3" "$1/lxvst"
  work=$(cd "$1" && pwd)
  export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
  export XDG_DATA_HOME=$work/home/.local/share VST3_PATH=$work/vst3 LXVST_PATH=$work/lxvst
  unset VST_PATH
  config=$XDG_CONFIG_HOME/ardour7
  mkdir -p "$config"
  ln -s "$(cd "$bundle" && pwd)" "$VST3_PATH/Quorl.vst3"
}

# ardourRenderSetup: what ardour-session.lua's render step needs in Ardour's settings folder (after
# ardourHome): the lead-in counter, the dummy backend shown, plug-ins discovered at start, and
# the export preset PRESET=4b7e1c20-0a55-4c1e-9d1f-51a0c3e2f002.
ardourRenderSetup() {
  mkdir -p "$config/scripts" "$config/export"
  cp "$ardourTests/ardour-lead-in-counter.lua" "$config/scripts/"
  cat >"$config/config" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour><Config>
  <Option name="hide-dummy-backend" value="0"/>
  <Option name="discover-plugins-on-start" value="1"/>
</Config></Ardour>
XML
  # 32-bit float WAV as it left the master bus: no dither, normalising or silence trimming. Ardour's
  # own 32-bit float format, under a name and id of ours and without the broadcast chunk.
  local stockFormat="/usr/share/ardour7/export/BWAV 32float Export.format"
  [ -f "$stockFormat" ] || { echo "Ardour's export formats are missing: $stockFormat" >&2; return 1; }
  sed -e '2s/ name="[^"]*" id="[^"]*"/ name="Float WAV" id="4b7e1c20-0a55-4c1e-9d1f-51a0c3e2f001"/' \
    -e 's/ name="BWF" / name="WAV" /' \
    -e 's/"broadcast-info" value="true"/"broadcast-info" value="false"/' \
    "$stockFormat" >"$config/export/float.format"
  grep -q 'id="4b7e1c20-0a55-4c1e-9d1f-51a0c3e2f001"' "$config/export/float.format" ||
    { echo "Ardour's float format has another shape" >&2; return 1; }
  cat >"$config/export/float.preset" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="4b7e1c20-0a55-4c1e-9d1f-51a0c3e2f002" name="Float WAV">
  <ExportFormat id="4b7e1c20-0a55-4c1e-9d1f-51a0c3e2f001"/>
  <ExportFilename>
    <Folder relative="1" path="export"/>
    <Field name="label" enabled="1"/>
  </ExportFilename>
</ExportPreset>
XML
}

# ardourSession [--fresh PATH]... OUT SCRIPT MODULE...: runs ardour7-lua's session tool on SCRIPT
# (the environment passes through), its output in OUT, each PATH removed before each run, under gdb, and tells Ardour's own crashes from ours. Ardour
# 7.3 crashes now and then on its own, in its export, its tempo map or its teardown, with any
# native plug-in (and heap damage it did earlier may hit any thread later); a crash whose thread
# has a frame in one of the MODULE files (the plug-in under test) is the plug-in's. A crash that
# is Ardour's is run again, up to 6 runs in all. Returns 0 when a run succeeded, the run's exit
# status when it failed without a crash, 125 when the plug-in crashed, 124 on a time-out, 126 when
# Ardour crashed in every run. Prints one line for each crash, with the frames that tell why.
ardourSession() {
  local fresh=()
  while [ "$1" = --fresh ]; do
    fresh+=("$2")
    shift 2
  done
  local out=$1 script=$2
  shift 2
  local modules=() m attempt status frames
  for m in "$@"; do modules+=("$m" "$(readlink -f "$m")"); done
  for attempt in 1 2 3 4 5 6; do
    rm -rf "${fresh[@]}"
    ardourSessionOnce "$out" "$script"
    status=$?
    [ "$status" = 200 ] || return "$status"
    frames=$(sed -n 's/^#[0-9]* *\(0x[0-9a-f]* in \)\?//p' "$out.gdb")
    for m in "${modules[@]}"; do
      if grep -qF -- " from $m" <<<"$frames" || grep -qF -- " at $m" <<<"$frames"; then
        echo "the plug-in crashed Ardour ($(sed -n 's/.* received \(signal [A-Z]*\).*/\1/p' "$out.gdb" | head -1)):"
        grep -F -e "$m" <<<"$frames" | head -5 | sed 's/^/  /'
        return 125
      fi
    done
    echo "Ardour crashed in its own code, run $attempt of 6 ($(sed -n 's/.*received \(signal [A-Z]*\).*/\1/p' "$out.gdb" | head -1);" \
      "no frame of the plug-in): $(grep -v -e '^_*GI_' -e 'raise\|abort\|pthread_kill\|libc_message\|malloc_printerr' <<<"$frames" |
        head -3 | sed 's/ (.*//' | paste -sd'<')"
  done
  return 126
}

# One run under gdb, which stops it at the first fatal signal and prints that thread's stack into
# OUT.gdb. Returns 200 for a crash, else the tool's exit status (124 when it ran out of time).
ardourSessionOnce() {
  local out=$1 script=$2 rc=0
  rm -f "$out" "$out.gdb"
  timeout -k 10 120 gdb -q -nx -batch \
    -ex 'set pagination off' -ex 'set confirm off' \
    -ex 'handle all nostop noprint pass' \
    -ex 'handle SIGSEGV SIGBUS SIGILL SIGFPE SIGABRT stop print nopass' \
    -ex 'set environment LD_LIBRARY_PATH=/usr/lib/ardour7' \
    -ex 'set environment ARDOUR_DATA_PATH=/usr/share/ardour7' \
    -ex 'set environment ARDOUR_CONFIG_PATH=/etc/ardour7' \
    -ex 'set environment ARDOUR_DLL_PATH=/usr/lib/ardour7' \
    -ex 'set environment VAMP_PATH=/usr/lib/ardour7/vamp' \
    -ex "run '$script' >'$out' 2>&1 </dev/null" -ex 'bt 80' -ex 'kill' \
    /usr/lib/ardour7/luasession >"$out.gdb" 2>&1 </dev/null || rc=$?
  [ "$rc" = 124 ] || [ "$rc" = 137 ] && return 124
  grep -q 'received signal SIG' "$out.gdb" && return 200
  grep -q '^\[Inferior 1 (process [0-9]*) exited normally\]' "$out.gdb" && return 0
  rc=$(sed -n 's/^\[Inferior 1 (process [0-9]*) exited with code \([0-9]*\)\]$/\1/p' "$out.gdb")
  # gdb prints the exit code in octal.
  [ -n "$rc" ] && return $((8#$rc))
  echo "gdb ended without a word on how Ardour ended:" >&2
  tail -5 "$out.gdb" >&2
  return 1
}
