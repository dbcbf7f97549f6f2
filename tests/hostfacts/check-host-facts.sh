#!/usr/bin/env bash
# Loads the plug-in with the host tool, as a host would, and compares every fact it reports (the
# record, texts, pins, parameters, limits of setParameter, close) with the expected listing.
#   check-host-facts.sh [--wine STATE_DIR] [--flags 0xNNNNNNNN] TOOL MODULE EXPECTED
# --flags: the record's flags this build announces, where it differs from the listing (a
# build that has no editor).
set -euo pipefail

runner=()
if [ "${1:-}" = "--wine" ]; then
  # shellcheck disable=SC1091
  . "$2/env.sh"
  runner=(wine)
  shift 2
fi
flags=""
if [ "${1:-}" = "--flags" ]; then
  flags=$2
  shift 2
fi
tool=$1 module=$2 expected=$3

actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"${runner[@]}" "$tool" info "$module" \
  --set 0=1.5 --set 0=-0.2 --set 0=nan --set 0=-0.0 --set 3=0.25 --set 8=0.5 --set -1=0.5 |
  grep -v '^module' >"$actual"
wanted=$(mktemp)
trap 'rm -f "$actual" "$wanted"' EXIT
if [ -n "$flags" ]; then
  sed -E "s/^flags( +)0x[0-9A-F]{8} hasEditor\|/flags\1$flags /" "$expected" >"$wanted"
else
  cp "$expected" "$wanted"
fi
if diff -u "$wanted" "$actual"; then
  echo "host facts as expected ($(wc -l <"$actual") lines)"
else
  echo "host facts differ from $expected" >&2
  exit 1
fi
