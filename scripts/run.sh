#!/usr/bin/env bash
# Installs what is missing, builds (which also draws the sample tour into build/sample-tour,
# once), and opens a tour: the sample tour, or the directory given as $1 (the one holding
# data/), run as the program's working directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" build >&2
tour=${1:-$root/build/sample-tour}
if [ ! -d "$tour" ]; then
  echo "ostrivane: $tour: no such tour directory" >&2
  exit 2
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "ostrivane: no display: DISPLAY is not set, so there is no screen to open the tour on." >&2
  echo "  Run this from a desktop session, or under Xvfb: scripts/with-display.sh scripts/run.sh $tour" >&2
  exit 1
fi
cd "$tour"
exec "$root/build/ostrivane"
