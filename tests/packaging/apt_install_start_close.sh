#!/usr/bin/env bash
# Installs the freshly built package into this machine with apt, starts the installed program on
# a virtual display with a window manager, closes its window as a user would, runs the installed
# render command, then removes the package again. Needs root; skipped otherwise.
set -euo pipefail
out=$1 program=$2 title=$3 session=$4 render=$5

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: installing a package needs root"
  exit 77
fi
packages=("$out/${program}"_*.deb)
if [ "${#packages[@]}" -ne 1 ] || [ ! -f "${packages[0]}" ]; then
  echo "FAIL: expected exactly one package in $out"
  exit 1
fi
deb=$(realpath "${packages[0]}")

# Every build on this machine shares the one package database and /usr/bin: one at a time.
exec 9>/tmp/quorvel-apt-install-test.lock
flock --timeout 240 9

apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=240 "$@"; }
remove() { apt_get purge "$program" >/dev/null 2>&1 || true; }
home=$(mktemp -d)
trap 'remove; rm -rf "$home"' EXIT

# The version stays the same from build to build while the binary changes: always reinstall.
apt_get install --reinstall --allow-downgrades --no-install-recommends "$deb"
for name in "$program" "$render"; do
  [ "$(command -v "$name")" = "/usr/bin/$name" ] || { echo "FAIL: $name not in /usr/bin"; exit 1; }
done

# `man <program>` must find each page. Container images often tell dpkg not to install manual
# pages (path-exclude in /etc/dpkg/dpkg.cfg.d/); there only the package's contents can be checked.
excludes=$(grep -lsE '^path-exclude[= ]*/usr/share/man' /etc/dpkg/dpkg.cfg.d/* || true)
[ -z "$excludes" ] ||
  echo "NOTE: $excludes keeps dpkg from installing manual pages; checking the package instead"
for name in "$program" "$render"; do
  page=/usr/share/man/man1/$name.1.gz
  if [ -n "$excludes" ]; then
    dpkg-deb -c "$deb" | awk '{print $6}' | grep -qxF ".$page" ||
      { echo "FAIL: the package has no $page"; exit 1; }
  else
    found=$(man -w "$name" 2>&1) || true
    [ "$found" = "$page" ] || { echo "FAIL: man -w $name finds \"$found\", not $page"; exit 1; }
    echo "man -w $name: $found"
  fi
done

# The installed render command finds its libraries and writes a WAV file.
"/usr/bin/$render" --length 0.1 --output "$home/tone.wav"
[ "$(head -c 4 "$home/tone.wav")" = RIFF ] || { echo "FAIL: $render wrote no WAV file"; exit 1; }

# A null PCM as the default device: a usable sound output on a machine without sound hardware.
printf 'pcm.!default { type null }\n' >"$home/.asoundrc"
HOME=$home xvfb-run -a -s "-screen 0 1024x768x24" "$session" "/usr/bin/$program" "$title"

apt_get purge "$program"
for name in "$program" "$render"; do
  if [ -e "/usr/bin/$name" ]; then
    echo "FAIL: /usr/bin/$name is still there after purge"
    exit 1
  fi
done
echo "installed, started, closed with exit code 0, rendered, removed"
