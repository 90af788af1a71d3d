#!/usr/bin/env bash
# Installs what building and running quorvel64 needs ("run"), or that and everything the tests
# need ("test", the default), on Debian 12. Touches no network when everything is already there.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# What building and running quorvel64 needs: scripts/run.sh installs only these.
RUN_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libasound2-dev libxcb1-dev libsleef-dev
  fonts-liberation2 xdg-utils libcli11-dev
  nlohmann-json3-dev libebur128-dev libssl-dev libflac-dev libsndfile1-dev libcairo2-dev
)
# What the tests need besides: the 32-bit build and its emulator, the sanitizers and fuzzers,
# the virtual desktops of the end-to-end tests, and the packaging checks.
TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  g++-i686-linux-gnu
  fonts-dejavu-core
  xvfb xauth x11-utils xdotool openbox imagemagick librsvg2-bin sox
  alsa-utils qemu-user desktop-file-utils appstream
  dpkg-dev file locales git
  clang-14 libclang-rt-14-dev valgrind
  qt6-gtk-platformtheme qt6-wayland weston
  dbus-daemon dbus-bin at-spi2-core python3-pyatspi
  lintian man-db python3 python3-numpy python3-scipy clang-format-14 flac
  pipewire pipewire-bin wireplumber pipewire-alsa
)
I386_PACKAGES=(
  qt6-base-dev:i386 libasound2-dev:i386 libgtest-dev:i386 libgmock-dev:i386
  libsndfile1-dev:i386 libc6:i386 libstdc++6:i386 libbenchmark-dev:i386
  qt6-qpa-plugins:i386 libsleef-dev:i386 qt6-gtk-platformtheme:i386 qt6-wayland:i386 libxcb1-dev:i386
  libebur128-dev:i386 libssl-dev:i386 libflac-dev:i386 libcairo2-dev:i386 pipewire-alsa:i386
)

case "${1:-test}" in
  run) WANTED=("${RUN_PACKAGES[@]}") ;;
  test) WANTED=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${I386_PACKAGES[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

NATIVE_ARCH=$(dpkg --print-architecture)
# The stand-in tests point this at a release file of their own.
OS_RELEASE=${QUORVEL_OS_RELEASE:-/etc/os-release}

# Prints each package that is not installed. A name without an architecture means the native one
# (or "all"): with multiarch, dpkg also lists the i386 copy of the same name.
missing() {
  local pkg wanted
  for pkg in "$@"; do
    case "$pkg" in
      *:*) wanted="install ok installed ${pkg#*:}" ;;
      *) wanted="install ok installed ($NATIVE_ARCH|all)" ;;
    esac
    dpkg-query -W -f='${Status} ${Architecture}\n' "$pkg" 2>/dev/null | grep -Eqx "$wanted" ||
      echo "$pkg"
  done
}

# The "Failed to fetch" lines of the last apt-get update: the lists it could not read.
UNREAD_LISTS=""

# A mirror caught mid-sync fails one index file now and then; try again before going on with the
# lists that could be read.
update_package_lists() {
  local attempt output
  for attempt in 1 2 3; do
    if output=$($SUDO apt-get update -qq 2>&1); then
      UNREAD_LISTS=""
      return 0
    fi
    UNREAD_LISTS=$(grep -o 'Failed to fetch .*' <<<"$output" || echo "$output")
    echo "apt-get update could not read every package list (attempt $attempt of 3):" >&2
    sed 's/^/  /' <<<"$UNREAD_LISTS" >&2
    if [ "$attempt" -lt 3 ]; then sleep $((attempt * 10)); fi
  done
}

release_codename() {
  (. "$OS_RELEASE" && echo "${VERSION_CODENAME:-}")
}

# Never with --allow-downgrades: apt-get then refuses any plan that would downgrade an installed
# package rather than carry it out.
apt_install() {
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}

# Without one of the lists (typically the security archive's list of one architecture), the two
# architectures of a multiarch library can get their candidates from different archives, which
# cannot be installed together. Taking the release itself as the target release makes both take
# their versions from the same, complete lists.
install_from_release() {
  local codename
  codename=$(release_codename)
  if [ -n "$codename" ]; then
    echo "The plain install failed; installing again with the release $codename as the target release (apt-get install -t $codename)" >&2
    apt_install -t "$codename" "$@" && return 0
  fi
  echo "Could not install the packages, even with the release ${codename:-(unknown)} as the target release." >&2
  if [ -n "$UNREAD_LISTS" ]; then
    echo "These package lists could not be read from the mirror:" >&2
    sed 's/^/  /' <<<"$UNREAD_LISTS" >&2
    echo "The mirror is probably being updated: wait an hour and run this again, or choose another mirror in /etc/apt/sources.list.d/." >&2
  fi
  return 1
}

if [ "${1:-test}" = test ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  NEED_UPDATE=1
fi

mapfile -t TODO < <(missing "${WANTED[@]}")
if [ "${#TODO[@]}" -gt 0 ] || [ -n "${NEED_UPDATE:-}" ]; then
  echo "Installing: ${TODO[*]:-(package lists only)}"
  update_package_lists
  if [ "${#TODO[@]}" -gt 0 ]; then
    apt_install "${TODO[@]}" || install_from_release "${TODO[@]}"
  fi
fi
