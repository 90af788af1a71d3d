#!/usr/bin/env bash
# Builds this commit's Debian package twice, from two copies of the source in differently named
# folders whose files carry different dates, with the build folder outside the source once and
# inside it once, and expects the same bytes. Arguments: source folder, cmake, cpack, then any
# extra configure arguments (the 32-bit toolchain file, as a path relative to the source).
set -euo pipefail
source=$1 cmake=$2 cpack=$3
shift 3
extra=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A clone of the commit, with the working tree's changes laid over it, so that an uncommitted
# change is checked too and the commit's date is still there to be read.
copy_source() {
  local to=$1
  git clone --quiet --no-hardlinks "$source" "$to"
  git -C "$source" ls-files -z --cached --others --exclude-standard |
    (cd "$source" && xargs -0 tar --no-recursion -cf - --ignore-failed-read) | tar -xf - -C "$to"
}

build_package() {
  local src=$1 build=$2 out=$3
  local arguments=()
  for argument in "${extra[@]}"; do arguments+=("${argument//@SOURCE@/$src}"); done
  "$cmake" -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF "${arguments[@]}" >"$out.log" 2>&1 &&
    "$cmake" --build "$build" >>"$out.log" 2>&1 &&
    (cd "$build" && "$cpack" -G DEB -B "$out" >>"$out.log" 2>&1) || {
    cat "$out.log"
    return 1
  }
}

first=$work/first
second=$work/a-second-and-longer-folder/source
copy_source "$first"
copy_source "$second"
touch -h -d '2001-02-03 04:05:06' $(find "$second" -not -path '*/.git/*')

build_package "$first" "$work/build-outside" "$work/deb-first"
TZ=Pacific/Kiritimati build_package "$second" "$second/build/inside" "$work/deb-second"

debs=("$work"/deb-first/*.deb "$work"/deb-second/*.deb)
echo "built: ${debs[*]##*/}"
if [ "${#debs[@]}" -ne 2 ] || [ "${debs[0]##*/}" != "${debs[1]##*/}" ]; then
  echo "FAIL: expected one package of the same name from each build"
  exit 1
fi
if cmp "${debs[@]}"; then
  sha256sum "${debs[0]}" | cut -d' ' -f1
  exit 0
fi
echo "FAIL: the two builds differ"
for deb in "${debs[@]}"; do
  dir=${deb%.deb}.tree
  dpkg-deb -R "$deb" "$dir"
  dpkg-deb -c "$deb" >"$dir.listing"
done
diff "${debs[0]%.deb}.tree.listing" "${debs[1]%.deb}.tree.listing" || true
diff -r "${debs[0]%.deb}.tree" "${debs[1]%.deb}.tree" || true
exit 1
