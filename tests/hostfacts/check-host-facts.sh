#!/usr/bin/env bash
# Loads the plug-in with the host tool, as a host would, and compares every fact it reports (the
# record, texts, pins, parameters, limits of setParameter, close) with the expected listing.
#   check-host-facts.sh [--wine STATE_DIR] TOOL MODULE EXPECTED
set -euo pipefail

runner=()
if [ "${1:-}" = "--wine" ]; then
  # shellcheck disable=SC1091
  . "$2/env.sh"
  runner=(wine)
  shift 2
fi
tool=$1 module=$2 expected=$3

actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"${runner[@]}" "$tool" info "$module" \
  --set 0=1.5 --set 0=-0.2 --set 0=nan --set 0=-0.0 --set 3=0.25 --set 8=0.5 --set -1=0.5 |
  grep -v '^module' >"$actual"
if diff -u "$expected" "$actual"; then
  echo "host facts as expected ($(wc -l <"$actual") lines)"
else
  echo "host facts differ from $expected" >&2
  exit 1
fi
