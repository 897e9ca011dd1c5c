#!/bin/sh
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz, and runs each for SECONDS seconds (default 30),
# starting from the seed corpus in fuzz/corpus (new inputs go to build-fuzz/corpus). Prints the
# executions of each target; fails when one found a crash, a sanitizer report or a broken
# invariant, keeping the input in build-fuzz/artifacts.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}
targets="nameedit position numberform drop"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DTESSALY_FUZZ=ON -DTESSALY_TESTS=OFF \
  -DTESSALY_BENCH=OFF >/dev/null
cmake --build build-fuzz -j2 --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)
mkdir -p build-fuzz/artifacts
status=0
for t in $targets; do
  mkdir -p "build-fuzz/corpus/$t"
  log="build-fuzz/fuzz_$t.log"
  if "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/artifacts/$t-" "build-fuzz/corpus/$t" "fuzz/corpus/$t" \
      >"$log" 2>&1; then
    result="clean"
  else
    result="FAILED, see $log"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz_$t: ${runs:-0} executions in $seconds s, $result"
done
exit $status
