# shellcheck shell=bash
# Sourced by the Ardour tests. ardourHome WORK BUNDLE [PROGRAM...]: exits 77 (skipped) unless
# Ardour 7 and PROGRAM... are installed; otherwise empties WORK and gives Ardour, and Quorl's own
# defaults and settings, a home of their own below it, with BUNDLE as the one VST 3 plug-in there.
# Sets work (absolute), scanner (Ardour's VST 3 scanner) and config (Ardour's settings folder).
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
