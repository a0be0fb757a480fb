#!/usr/bin/env bash
# Installs what is missing, builds, and opens a tour: the directory given as $1 (the one
# holding data/), run as the program's working directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" build >/dev/null
if [ $# -lt 1 ]; then
  echo "usage: scripts/run.sh TOUR-DIRECTORY (the directory that holds data/rooms.inf)" >&2
  exit 2
fi
tour=$1
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
