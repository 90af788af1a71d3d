#!/usr/bin/env bash
# Builds the engine's and the render command's fuzz targets with clang and runs each for a bounded time from its corpus.
# Usage: tests/fuzz/run.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}

[ -f build/fuzz/build.ninja ] || cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
for target in decimal_text integer_text render_shape render_request; do
  corpus=$(mktemp -d)
  cp tests/fuzz/corpus/$target/* "$corpus"/ 2>/dev/null || true
  echo "== fuzz_$target for ${seconds}s =="
  if build/fuzz/tests/fuzz/fuzz_$target -max_total_time="$seconds" -print_final_stats=1 \
       -rss_limit_mb=4096 "$corpus" tests/fuzz/corpus/$target 2>"$corpus.log"; then
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$corpus.log" || true
  else
    tail -n 40 "$corpus.log"; status=1
  fi
  rm -rf "$corpus" "$corpus.log"
done
exit $status
