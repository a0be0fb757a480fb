#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit tests, GL tests on a real
# Mesa context, end-to-end and hostile-tour tests that drive the real program. Then the
# same tests again on a second build with the address and undefined-behaviour sanitizers
# (build-asan/, clang), and each fuzzer for a minute. Needs no display: where none is set,
# the tests get a private Xvfb. A second run rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

scripts/build.sh build
scripts/with-display.sh ctest --test-dir build --output-on-failure -j2 --timeout 300

# The benchmarks stay out of it: they measure speed, which the sanitizers distort.
asan=build-asan
scripts/build.sh "$asan" -DCMAKE_CXX_COMPILER=clang++ -DOSTRIVANE_SANITIZE=address,undefined \
  -DOSTRIVANE_FUZZ=ON -DOSTRIVANE_BENCH=OFF
# Any sanitizer finding ends the process with a non-zero status, which fails its test; a
# leak is looked for when the program ends, on either of its two ways out (see
# tests/sanitizer-suppressions/lsan.supp for what is not ours and keep_libraries.cpp for
# why dlclose is disabled).
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer-suppressions/lsan.supp:print_suppressions=0
LD_PRELOAD=$PWD/$asan/tests/hostile/libostrivane_keep_libraries.so \
  scripts/with-display.sh ctest --test-dir "$asan" --output-on-failure -j2 --timeout 600

scripts/fuzz.sh 60
