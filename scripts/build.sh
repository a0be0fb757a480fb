#!/usr/bin/env bash
# Configures (once) and builds Ostrivane into build/ (or the directory given as $1, with
# further CMake options after it). A second run rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
elif [ $# -gt 0 ]; then
  cmake -S . -B "$dir" "$@" >/dev/null
fi
cmake --build "$dir"
