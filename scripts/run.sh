#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
[ -f build/x64/build.ninja ] || cmake --preset x64
cmake --build --preset x64 --target quorvel64
exec build/x64/app/quorvel64
