#!/usr/bin/env bash
# Installs what building and running quorvel64 needs (no test tools, no 32-bit libraries), builds
# the program alone and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
[ -f build/program/build.ninja ] || cmake --preset program
cmake --build --preset program --target quorvel64
exec build/program/app/quorvel64
