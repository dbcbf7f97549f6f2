#!/usr/bin/env bash
# The validator under Wine against the test plug-in that commits one fault on request: right, it
# passes everything, its editor included; each fault fails the check that is about it, a crash in
# a check's own process is reported and the run goes on, and a hang is cut off. The editor faults
# prove the freed-memory fill: a window whose timer reaches the deleted effect crashes only when
# freed memory is overwritten.
#   check-wine-validate-faults.sh STATE_DIR WINDOWS_HOST FAULTY_DLL WORK_DIR
set -euo pipefail
state=$(realpath "$1") host=$(realpath "$2") plugin=$(realpath "$3") work=$4
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
cd "$work"

# validate FAULT LOG [OPTION]...: the run's output in LOG, its exit status echoed.
validate() {
  local fault=$1 log=$2
  shift 2
  local status=0
  VALIDATE_FAULT=$fault "$here/check-validate.sh" --wine "$state" "$host" "$plugin" "$@" \
    >"$log" 2>&1 || status=$?
  cat "$log" >&2
  echo "$status"
}
expect() {  # expect LOG PATTERN WHAT
  grep -q -- "$2" "$1" || { echo "$3: no line matching '$2' in $1" >&2; exit 1; }
}
expect_status() {  # expect_status ACTUAL WANTED WHAT
  [ "$1" = "$2" ] || { echo "$3: exit status $1, not $2" >&2; exit 1; }
}

status=$(validate "" clean.log | tail -1)
expect_status "$status" 0 "the right plug-in"
if grep -q '^FAIL' clean.log; then echo "the right plug-in failed a check" >&2; exit 1; fi
[ "$(grep -c '^PASS editor\.' clean.log)" -ge 6 ] || { echo "editor checks did not run" >&2; exit 1; }

status=$(validate allocates allocates.log --only audioPath.allocations | tail -1)
expect_status "$status" 8 "allocates"
expect allocates.log '^FAIL audioPath.allocations: 200 allocations and 200 frees' "allocates"

status=$(validate overread overread.log --only state | tail -1)
expect_status "$status" 8 "overread"
expect overread.log '^FAIL state.truncatedChunks: crashed (exception 0xC0000005' "overread"
expect overread.log '^PASS state.badIndexes' "the run after a crash"
expect overread.log '^validate: .* failed' "the summary after a crash"

status=$(validate editorStays stays.log --only editor | tail -1)
expect_status "$status" 8 "editorStays"
expect stays.log '^FAIL editor.reopenSameParent: 2 windows under the host' "editorStays"
expect stays.log '^FAIL editor.unloadBeforeWindow: .*1 windows of the module left behind' \
  "editorStays"

status=$(validate editorDangles dangles.log --only editor.effCloseWhileOpen | tail -1)
expect_status "$status" 8 "editorDangles"
expect dangles.log '^FAIL editor.effCloseWhileOpen: crashed .* while pumping messages after effClose' \
  "editorDangles"

# Says it takes the editor's scale and keeps its size: the size at 2x gives it away.
status=$(validate scaleIgnored scale.log --only editor.scaledOpens | tail -1)
expect_status "$status" 8 "scaleIgnored"
expect scale.log '^FAIL editor.scaledOpens: at 2x (answered 1) the editor is 200x120, not 400x240' \
  "scaleIgnored"

status=$(validate hang hang.log --only state.truncatedChunks --timeout 2 | tail -1)
expect_status "$status" 8 "hang"
expect hang.log '^FAIL state.truncatedChunks: timed out after 2 s' "hang"
echo "the right plug-in passes; allocation, crash, editor, scale and hang faults fail their checks"
