#!/usr/bin/env bash
# Runs the validator on a module as the tests do: with memory overwritten as soon as it is freed,
# so that a dangling pointer into it crashes instead of passing by luck. Wine 8 fills freed heap
# blocks once its heap warnings are on; glibc does when asked to perturb, but skips blocks that go
# to its per-thread cache, so that is turned off. --require-freed-fill makes the run fail should
# the fill ever stop working.
#   check-validate.sh [--wine STATE_DIR] TOOL MODULE [VALIDATE_OPTION]...
set -euo pipefail

runner=()
if [ "${1:-}" = "--wine" ]; then
  # shellcheck disable=SC1091
  . "$2/env.sh"
  export WINEDEBUG=-all,warn+heap
  runner=(wine)
  shift 2
else
  export GLIBC_TUNABLES=glibc.malloc.tcache_count=0:glibc.malloc.perturb=165
fi
tool=$1 module=$2
shift 2
exec "${runner[@]}" "$tool" validate "$module" --require-freed-fill "$@" </dev/null
