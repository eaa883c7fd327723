#!/usr/bin/env bash
# Builds and runs every test twice: optimised, and under AddressSanitizer and
# UndefinedBehaviorSanitizer; then the engine's tests, which run the parallel
# kernels on two threads, under ThreadSanitizer; the Python module's tests
# and the package check after the optimised build; the batch program built
# with MPI, dealing a sweep out over two ranks; then each fuzz target for 20
# seconds on its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in release sanitize tsan mpi; do
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
  if [ "$preset" = release ]; then
    # The Python module against the batch program, with the system's NumPy.
    PYTHONPATH=build/release/python /usr/bin/python3 -m pytest -q tests/python
    bash tests/packaging/check-package.sh
  fi
done

bash scripts/run-fuzzers.sh 20
