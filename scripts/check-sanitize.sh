#!/bin/sh
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan and runs the whole test suite there; any report fails the test that caused it.
# Leak detection stays on: on Debian 12 with Qt 6.4 offscreen the suite leaks nothing (what
# Qt and fontconfig keep is still reachable at exit), so no suppressions are needed.
set -eu
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DTESSALY_SANITIZE=ON -DTESSALY_BENCH=OFF >/dev/null
cmake --build build-asan -j2
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-asan -j2 --output-on-failure
