#!/usr/bin/env bash
# A host that does not answer the version query gets no effect, and nothing else is asked of it.
#   check-no-version.sh [--wine STATE_DIR] TOOL MODULE
set -uo pipefail

runner=()
if [ "${1:-}" = "--wine" ]; then
  # shellcheck disable=SC1091
  . "$2/env.sh"
  runner=(wine)
  shift 2
fi
output=$("${runner[@]}" "$1" info "$2" --no-version)
status=$?
echo "$output"
expected='effect null
callback opcode=1 index=0 value=0 ptr=0 opt=0
callbacks 1'
actual=$(echo "$output" | grep -v -E '^(module|entry) ' | tr -s ' ')
[ "$status" = 3 ] || { echo "exit status $status, expected 3" >&2; exit 1; }
[ "$actual" = "$expected" ] || { echo "unexpected output" >&2; exit 1; }
