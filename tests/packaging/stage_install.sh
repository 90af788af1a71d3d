#!/usr/bin/env bash
# Installs the build into a fresh folder laid out like the system: <stage>/usr/...
set -euo pipefail
cmake=$1 build=$2 stage=$3

rm -rf "$stage"
"$cmake" --install "$build" --prefix "$stage/usr"
