#!/usr/bin/env bash
# Runs every test: native unit tests, the same under ASan and UBSan, and the Windows build under
# Wine on an Xvfb display. All suites report through one ctest run, whose summary ends the output.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh
jobs=$(nproc)

echo "== building: windows"
cmake --preset windows >/dev/null
cmake --build build/windows -j"$jobs"
echo "== building: sanitize"
cmake --preset sanitize >/dev/null
cmake --build build/sanitize -j"$jobs" --target quorl_tests
echo "== building: native"
cmake --preset native -DQUORL_WINDOWS_BUILD_DIR="$root/build/windows" \
  -DQUORL_SANITIZE_BUILD_DIR="$root/build/sanitize" >/dev/null
cmake --build build/native -j"$jobs"

echo "== testing"
ctest --test-dir build/native --output-on-failure -j"$jobs"
