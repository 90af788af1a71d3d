#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit and the 32-bit build and runs every test of both.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

status=0
for preset in x64 i686; do
  echo "== $preset =="
  [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset" --timeout 600 || status=1
done
exit $status
