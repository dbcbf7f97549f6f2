#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time from its committed seed corpus. New inputs go to a
# work folder in the build tree, never into the repository.
#   run-fuzzer.sh FUZZER SEED_DIR WORK_DIR SECONDS
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4
mkdir -p "$work/corpus" "$work/findings"
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/findings/" \
  "$work/corpus" "$seeds" 2>&1 | grep -E '^(stat::|Done|==[0-9]+==ERROR|SUMMARY|artifact)' || true
# libFuzzer's exit status says whether it found something; check the findings folder as well.
if [ -n "$(ls -A "$work/findings")" ]; then
  echo "findings in $work/findings" >&2
  exit 1
fi
