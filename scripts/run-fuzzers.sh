#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a while on a copy of its
# seed corpus (fuzz/corpus/<name>), which also holds the inputs of defects
# found before. Seconds per target: the first argument, 20 by default.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-20}"

cmake --preset fuzz
cmake --build --preset fuzz

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for name in configuration number_text data_file batch_options; do
  mkdir -p "$work/$name"
  cp -r "fuzz/corpus/$name/." "$work/$name/"
  (cd "$work" && "$OLDPWD/build/fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
     -print_final_stats=1 "$work/$name" 2>&1 | tail -n 3)
done
