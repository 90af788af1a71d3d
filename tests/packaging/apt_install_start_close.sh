#!/usr/bin/env bash
# Installs the freshly built package into this machine with apt, starts the installed program on
# a virtual display with a window manager, closes its window as a user would, then removes the
# package again. Needs root; skipped otherwise.
set -euo pipefail
out=$1 program=$2 title=$3 session=$4

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
[ "$(command -v "$program")" = "/usr/bin/$program" ] || { echo "FAIL: $program not in /usr/bin"; exit 1; }

# `man <program>` must find the page. Container images often tell dpkg not to install manual
# pages (path-exclude in /etc/dpkg/dpkg.cfg.d/); there only the package's contents can be checked.
page=/usr/share/man/man1/$program.1.gz
excludes=$(grep -lsE '^path-exclude[= ]*/usr/share/man' /etc/dpkg/dpkg.cfg.d/* || true)
if [ -n "$excludes" ]; then
  echo "NOTE: $excludes keeps dpkg from installing manual pages; checking the package instead"
  dpkg-deb -c "$deb" | awk '{print $6}' | grep -qxF ".$page" ||
    { echo "FAIL: the package has no $page"; exit 1; }
else
  found=$(man -w "$program" 2>&1) || true
  [ "$found" = "$page" ] || { echo "FAIL: man -w $program finds \"$found\", not $page"; exit 1; }
  echo "man -w $program: $found"
fi

# A null PCM as the default device: a usable sound output on a machine without sound hardware.
printf 'pcm.!default { type null }\n' >"$home/.asoundrc"
HOME=$home xvfb-run -a -s "-screen 0 1024x768x24" "$session" "/usr/bin/$program" "$title"

apt_get purge "$program"
if [ -e "/usr/bin/$program" ]; then
  echo "FAIL: /usr/bin/$program is still there after purge"
  exit 1
fi
echo "installed, started, closed with exit code 0, removed"
