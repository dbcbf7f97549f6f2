#!/usr/bin/env bash
# The validator's whole battery on a module with an X display, as a user at a desktop runs it:
# every dialog the module opens is answered by the validator, and the run says what was asked.
#   check-validate-on-display.sh TOOL MODULE EXPECTED_QUESTION
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=$1 module=$2 question=$3
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY"; exit 1; }
output=$("$here/check-validate.sh" "$tool" "$module") || { echo "$output"; exit 1; }
echo "$output"
if ! grep -qF -- "$question" <<<"$output"; then
  echo "FAILED: no check reported answering $question"
  exit 1
fi
