#!/usr/bin/env bash
# Builds the Debian package of this build into a fresh folder.
set -euo pipefail
cpack=$1 build=$2 out=$3

rm -rf "$out"
mkdir -p "$out"
cd "$build"
"$cpack" -G DEB -B "$out"
