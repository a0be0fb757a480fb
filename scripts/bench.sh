#!/usr/bin/env bash
# Builds and runs the benchmarks, printing their table of ratios (bench/README.md says what
# each one measures). Full size by default; --small for a quick run; any other options go
# to the benchmark. Always on a private Xvfb with Mesa, so runs compare with one another.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" build >/dev/null
export OSTRIVANE_XVFB=1
exec "$root/scripts/with-display.sh" "$root/build/bench/ostrivane_bench" \
  --cache "$root/build/bench-cache" "$@"
