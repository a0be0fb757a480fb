#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit tests, GL tests on a real
# Mesa context and end-to-end tests that drive the real program. Needs no display: where
# none is set, the tests get a private Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
scripts/with-display.sh ctest --test-dir build --output-on-failure -j2 --timeout 300
