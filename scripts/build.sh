#!/usr/bin/env bash
# The main job: installs what is missing, builds both plug-ins and the host tool, then loads
# Quorl-x64.dll under Wine the way a host does and prints what it reports.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh
jobs=$(nproc)

cmake --preset windows >/dev/null
cmake --build build/windows -j"$jobs"
cmake --preset native >/dev/null
cmake --build build/native -j"$jobs"

scripts/wine-session.sh start build/wine >/dev/null
trap 'scripts/wine-session.sh stop build/wine' EXIT
# shellcheck disable=SC1091
. build/wine/env.sh

echo
echo "== Quorl-x64.dll under Wine, as a host sees it =="
(cd build/windows && wine tools/vsthost/vsthost.exe info Quorl-x64.dll)
echo
echo "Built:"
echo "  build/windows/Quorl-x64.dll        the plug-in for 64-bit Windows hosts"
echo "  build/native/Quorl.so              the same plug-in for Linux hosts"
echo "  build/native/tools/vsthost/vsthost the host tool (build/windows/tools/vsthost/vsthost.exe on Windows)"
