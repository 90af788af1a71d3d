#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit, the 32-bit and the sanitizer build, runs every test
# of each, and fuzzes the engine for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

status=0
# The sanitizer build runs the whole suite once more with AddressSanitizer and UBSan.
for preset in x64 i686 asan; do
  echo "== $preset =="
  [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset" --timeout 600 || status=1
done
echo "== fuzz (64-bit engine, bounded time) =="
tests/fuzz/run.sh 45 || status=1
exit $status
