#!/usr/bin/env bash
# The VST 3 view's window embedded by XEmbed, as X11 VST 3 hosts embed views: the host tool reads
# its _XEMBED_INFO, tells it it is embedded, active and focused, and hears what it answers. The
# view passes on focus it cannot use and asks for it when pressed, and shows the VST 2.4 editor's
# pixels, in a host whose run loop wakes only for a descriptor; the VST 2.4 editor's window
# announces nothing.
#   check-x11-vst3-xembed.sh STATE_DIR TOOL MODULE BUNDLE REFERENCE_PNG WORK_DIR
set -euo pipefail
state=$(realpath "$1") tool=$(realpath "$2") module=$(realpath "$3") bundle=$(realpath "$4")
reference=$(realpath "$5") work=$6
mkdir -p "$work"
cd "$work"
rm -f ./*.png
# shellcheck disable=SC1091
. "$state/env.sh"
export XDG_CONFIG_HOME="$PWD/settings"
fail() { echo "FAILED: $*" >&2; exit 1; }
fact() { awk -v key="$1" '$1 == key { $1 = ""; sub(/^ +/, ""); print }' "$2"; }

# The host's loop sleeps until a descriptor the view watches is readable, as some X11 hosts' do.
"$tool" editor "$bundle" --sleeping-loop --seconds 1.5 --screenshot embedded.png --at 400 \
  --click 60,60@700 </dev/null >vst3.log 2>&1 || { cat vst3.log; fail "the VST 3 editor run failed"; }
[ "$(fact xembed vst3.log)" = "version 0 flags 1" ] ||
  { cat vst3.log; fail "the view's window announces '$(fact xembed vst3.log)'"; }
# Told it has the focus by the host's tab order, it passes it on; pressed, it asks for it.
messages=$(fact xembedMessage vst3.log | paste -sd ' ')
[ "$messages" = "focus-next request-focus" ] || fail "the view sent '$messages'"
differing=$(compare -metric AE embedded.png "$reference" null: 2>&1) || true
[ "$differing" = 0 ] || fail "embedded, the view differs from $reference in '$differing' pixels"
echo "VST 3 view: XEmbed version 0, mapped; answered '$messages'; the editor's pixels"

"$tool" editor "$module" --seconds 1 </dev/null >vst2.log 2>&1 ||
  { cat vst2.log; fail "the VST 2.4 editor run failed"; }
grep -q '^xembed ' vst2.log && fail "the VST 2.4 editor's window announces XEmbed"
echo "VST 2.4 editor: no XEmbed"
