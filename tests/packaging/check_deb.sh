#!/usr/bin/env bash
# Checks the Debian package: its name and architecture, its description, dependencies computed
# from the binaries, files owned by root, exactly the installed files, programs built for that
# architecture, control fields that agree with its changelog, and no trace of the folders it was
# built in.
set -euo pipefail
out=$1 program=$2 render=$3 arch=$4 expected=$5 check_tree=$6 description=$7
shift 7
build_folders=("$@")

status=0
fail() { echo "FAIL: $*"; status=1; }

packages=("$out"/*.deb)
if [ "${#packages[@]}" -ne 1 ] || [ ! -f "${packages[0]}" ]; then
  echo "FAIL: expected exactly one package in $out, found: ${packages[*]}"
  exit 1
fi
deb=${packages[0]}
field() { dpkg-deb -f "$deb" "$1"; }

[ "$(basename "$deb")" = "${program}_$(field Version)_${arch}.deb" ] || fail "file name $deb"
[ "$(field Package)" = "$program" ] || fail "Package: $(field Package)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"

# Only qt6-qpa-plugins is declared by hand; the libraries come from dpkg-shlibdeps.
depends=$(field Depends)
echo "Depends: $depends"
names=$(sed 's/ ([^)]*)//g; s/ *| */\n/g; s/, */\n/g' <<<"$depends")
for needed in libc6 libstdc++6 libasound2 libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins \
  libebur128-1 libssl3 libflac12 libsndfile1 libcairo2; do
  grep -qxF "$needed" <<<"$names" || fail "Depends lacks $needed"
done

# The extended description is the text file's, paragraph breaks as " ." and nothing escaped.
wanted=$(sed 's/^$/./; s/^/ /' "$description")
[ "$(field Description | tail -n +2)" = "$wanted" ] ||
  fail "the Description is not the text of $description: $(field Description)"

owners=$(dpkg-deb -c "$deb" | awk '{print $2}' | sort -u)
[ "$owners" = root/root ] || fail "files not owned by root/root: $owners"
outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -vE '^\./(usr(/.*)?)?$' || true)
[ -z "$outside" ] || fail "entries outside /usr: $outside"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
"$check_tree" "$tree" "$expected" "$program" "$render" || status=1

# The control fields say what the package's own changelog says.
unpacked=$tree/changelog.txt
gzip -dc "$tree/usr/share/doc/$program/changelog.gz" >"$unpacked" || fail "no readable changelog"
for pair in Version:Version Maintainer:Maintainer Package:Source; do
  control=$(field "${pair%%:*}")
  logged=$(dpkg-parsechangelog -l "$unpacked" -S "${pair#*:}")
  [ "$control" = "$logged" ] || fail "${pair%%:*}: $control, but the changelog says $logged"
done
rm -f "$unpacked"

case $arch in
  amd64) machine="Advanced Micro Devices X86-64" ;;
  i386) machine="Intel 80386" ;;
esac
for name in "$program" "$render"; do
  header=$(readelf -h "$tree/usr/bin/$name" 2>&1) || true
  grep -q "Machine: *$machine" <<<"$header" || fail "usr/bin/$name is not built for $arch"
done

# Debug information or a configured path would name them; the package must work anywhere.
for folder in "${build_folders[@]}"; do
  if grep -rlF "$folder" "$tree"; then fail "the files above name $folder"; fi
done
exit $status
