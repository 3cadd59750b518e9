#!/bin/sh
# Builds the engine, kelvara-tab and their tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan (no window) and runs the tests
# there. Any sanitizer report fails the run: undefined behaviour aborts at its
# first occurrence, and a leak fails the process at its exit.
set -eu
cd "$(dirname "$0")/.."

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVARA_SANITIZE=ON -DKELVARA_BUILD_UI=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
