#!/usr/bin/env bash
# Builds the release twice, each from a fresh export in a folder of its own, at different depths,
# so that a build folder left inside a binary or an archive shows as a difference.
#   build-twice.sh REPO WORK_DIR
# Writes WORK_DIR/a and WORK_DIR/b (the release files of each build).
set -euo pipefail
repo=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
"$repo/scripts/release.sh" --no-setup --out "$work/a" --work "$work/build-a" >"$work/a.log" 2>&1 ||
  { tail -n 60 "$work/a.log"; exit 1; }
"$repo/scripts/release.sh" --no-setup --out "$work/b" --work "$work/elsewhere/build-b" \
  >"$work/b.log" 2>&1 || { tail -n 60 "$work/b.log"; exit 1; }
cat "$work/a.log"
# The build trees are large and only the release files are checked.
rm -rf "$work/build-a" "$work/elsewhere"
