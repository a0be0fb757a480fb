#!/usr/bin/env bash
# Makes the README's pictures from the real program on the sample tour, under a private
# Xvfb: docs/menu.png (the menu with one icon hovered) and docs/viewer.png (the viewer with
# its mini-map). Run it again whenever the program or the sample tour changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh xdotool imagemagick
scripts/build.sh build >&2
tour=build/sample-tour
[ -f "$tour/data/rooms.inf" ] || { echo "ostrivane: $tour was not generated" >&2; exit 1; }
mkdir -p docs
OSTRIVANE_XVFB=1 scripts/with-display.sh bash -c '
  set -euo pipefail
  tour=$1 root=$2
  cd "$tour"
  "$root/build/ostrivane" >/dev/null &
  pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  win=$(timeout 20 xdotool search --sync --name "^Ostrivane$" | head -n 1)
  # The program draws continuously; a few hundred milliseconds give it several frames.
  shot() { sleep 0.5; import -window "$win" "$root/docs/$1"; }
  xdotool mousemove --window "$win" 100 115
  shot menu.png
  # Without --window xdotool goes through XTEST, as a real pointer would.
  xdotool mousedown 1; sleep 0.3; xdotool mouseup 1
  xdotool mousemove --window "$win" 600 400
  sleep 1
  # Turn a little to the left with the arrow key so the cone is off its start direction.
  xdotool windowfocus "$win" || true
  for _ in $(seq 12); do xdotool key Left; done
  shot viewer.png
' screenshots "$root/$tour" "$root"
echo "docs/menu.png and docs/viewer.png written"
