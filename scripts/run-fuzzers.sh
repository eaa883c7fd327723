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
for name in configuration number_text data_file batch_options sweep settings; do
  mkdir -p "$work/$name"
  cp -r "fuzz/corpus/$name/." "$work/$name/"
  # A finding ends the run with the fuzzer's report and the input that
  # showed it (keep it in fuzz/corpus/<name> once fixed).
  if ! (cd "$work" && "$OLDPWD/build/fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 \
          -rss_limit_mb=4096 -print_final_stats=1 "$work/$name" > "$work/$name.log" 2>&1); then
    tail -n 60 "$work/$name.log"
    for finding in "$work"/crash-* "$work"/timeout-* "$work"/oom-* "$work"/leak-*; do
      [ -e "$finding" ] && echo "fuzz_$name finding: $(base64 -w0 "$finding")"
    done
    exit 1
  fi
  echo "fuzz_$name: $(grep -E '^stat::number_of_executed_units' "$work/$name.log")"
done
