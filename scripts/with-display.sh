#!/usr/bin/env bash
# Runs a command with an X display: the current one if DISPLAY is set, otherwise a private
# Xvfb that is stopped when the command ends, however it ends.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && [ -z "${OSTRIVANE_XVFB:-}" ]; then
  exec "$@"
fi
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp +extension GLX 3>"$fifo" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r -t 30 number <"$fifo" || { echo "ostrivane: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"
"$@"
