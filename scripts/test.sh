#!/usr/bin/env bash
# Runs every test: native unit tests, the same under ASan and UBSan, the Windows build under Wine
# on an Xvfb display, and each fuzz target for a minute or less. All suites report through one
# ctest run, whose summary ends the output.
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
# The sanitized host tool and plug-in run the Linux editor end to end.
cmake --build build/sanitize -j"$jobs" --target quorl_tests x11dialog_tests x11_editor_tests vsthost \
  Quorl
echo "== building: tsan"
cmake --preset tsan >/dev/null
cmake --build build/tsan -j"$jobs" --target quorl_tests x11_editor_tests Quorl
echo "== building: fuzz"
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j"$jobs"
echo "== building: native"
cmake --preset native -DQUORL_WINDOWS_BUILD_DIR="$root/build/windows" \
  -DQUORL_SANITIZE_BUILD_DIR="$root/build/sanitize" -DQUORL_FUZZ_BUILD_DIR="$root/build/fuzz" \
  -DQUORL_TSAN_BUILD_DIR="$root/build/tsan" \
  >/dev/null
cmake --build build/native -j"$jobs"

echo "== testing"
ctest --test-dir build/native --output-on-failure -j"$jobs"
