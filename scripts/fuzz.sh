#!/usr/bin/env bash
# Fuzzes the tour readers: each libFuzzer target in turn for the given number of seconds
# (default 60), starting from its seeds in tests/fuzz-corpus/<target>/. The seeds are left
# as committed; what the fuzzer adds goes to a scratch corpus under the build directory,
# and anything it finds to build-asan/fuzz-findings/, which ends the run with status 1.
# Builds build-asan/ (clang, address and undefined sanitizers) first if need be.
# OSTRIVANE_FUZZ_TARGETS, when set, names the targets to run (default: all three).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=${OSTRIVANE_ASAN_DIR:-build-asan}
scripts/build.sh "$dir" -DCMAKE_CXX_COMPILER=clang++ -DOSTRIVANE_SANITIZE=address,undefined \
  -DOSTRIVANE_FUZZ=ON -DOSTRIVANE_BENCH=OFF >/dev/null

findings="$dir/fuzz-findings"
mkdir -p "$findings"
status=0
for target in ${OSTRIVANE_FUZZ_TARGETS:-fuzz_text fuzz_room fuzz_picture}; do
  seeds="tests/fuzz-corpus/${target#fuzz_}"
  work="$dir/fuzz-corpus/$target"
  mkdir -p "$work"
  log="$dir/fuzz-$target.log"
  # SDL2 is built without frame pointers, so a leak's stack stops at its first SDL frame
  # unless the slow unwinder walks it; the suppressions (third-party leaks only) need the
  # frames beyond. That costs the picture fuzzer half its speed and the others far more,
  # and only the picture path reaches SDL.
  asan=detect_leaks=1:allocator_may_return_null=1
  [ "$target" = fuzz_picture ] && asan=$asan:fast_unwind_on_malloc=0
  # A picture may make the decoder allocate a few hundred MiB legitimately; past 2 GiB, or
  # 20 s on one input, is a finding.
  if ASAN_OPTIONS=$asan \
     LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer-suppressions/lsan.supp:print_suppressions=0" \
     UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
     "$dir/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$findings/$target-" "$work" "$seeds" >"$log" 2>&1; then
    result="no finding"
  else
    result="FINDING (see $log and $findings/)"
    status=1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 || true)
  cover=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
  echo "ostrivane: $target: ${runs:-?} executions in ${seconds}s, ${cover:-cov: ?} edges, $result"
done
exit "$status"
