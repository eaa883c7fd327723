#!/usr/bin/env bash
# Builds and runs every test twice: optimised, and under AddressSanitizer and
# UndefinedBehaviorSanitizer; then the engine's tests, which run the parallel
# kernels on two threads, under ThreadSanitizer; then each fuzz target for
# 20 seconds on its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in release sanitize tsan; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

bash scripts/run-fuzzers.sh 20
