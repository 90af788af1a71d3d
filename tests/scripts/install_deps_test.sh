#!/usr/bin/env bash
# Plays scripts/install-deps.sh against stand-in apt-get, dpkg-query and dpkg on PATH, one mirror
# state a case, and checks what it ran, in which order, and how it ended. No network, no root.
set -euo pipefail
script=$1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$work/bin
mkdir -p "$bin"
printf 'ID=debian\nVERSION_CODENAME=bookworm\n' >"$work/os-release"

# Each stand-in notes its call in the log; the case's variables decide what it answers.
cat >"$bin/apt-get" <<'STAND_IN'
#!/usr/bin/env bash
echo "apt-get $*" >>"$LOG"
case "$*" in
  *update*)
    [ "${UNREADABLE_LIST:-}" ] || exit 0
    echo "E: Failed to fetch $UNREADABLE_LIST  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
  *" -t "*) [ "${REFUSE_TARGET_RELEASE:-}" ] && { echo "E: Unable to correct problems" >&2; exit 100; }; exit 0 ;;
  *install*) [ "${REFUSE_PLAIN:-}" ] && { echo "E: Unable to correct problems" >&2; exit 100; }; exit 0 ;;
esac
STAND_IN
cat >"$bin/dpkg-query" <<'STAND_IN'
#!/usr/bin/env bash
# Everything is installed, or nothing.
[ "${ALL_INSTALLED:-}" ] || exit 1
case "${@: -1}" in
  *:i386) echo "install ok installed i386" ;;
  *) echo "install ok installed amd64" ;;
esac
STAND_IN
cat >"$bin/dpkg" <<'STAND_IN'
#!/usr/bin/env bash
case "$1" in
  --print-architecture) echo amd64 ;;
  --print-foreign-architectures) echo i386 ;;
  *) echo "dpkg $*" >>"$LOG" ;;
esac
STAND_IN
printf '#!/bin/sh\necho "sleep $*" >>"$LOG"\n' >"$bin/sleep"
chmod +x "$bin"/*

list=http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
status=0

# name | environment | expected exit | expected calls, in order ("update" and "install" stand
# for apt-get's update and its install of the missing packages) | text stderr must hold
cases=(
  "all lists read||0|update;install|"
  "one list unreadable, plain install works|UNREADABLE_LIST=$list|0|update;sleep 10;update;sleep 20;update;install|Failed to fetch $list"
  "one list unreadable, plain install refused|UNREADABLE_LIST=$list REFUSE_PLAIN=1|0|update;sleep 10;update;sleep 20;update;install;install -t bookworm|installing again with the release bookworm as the target release"
  "lists read, plain install refused|REFUSE_PLAIN=1|0|update;install;install -t bookworm|apt-get install -t bookworm"
  "even the target release refused|UNREADABLE_LIST=$list REFUSE_PLAIN=1 REFUSE_TARGET_RELEASE=1|1|update;sleep 10;update;sleep 20;update;install;install -t bookworm|wait an hour and run this again, or choose another mirror"
  "everything installed: no network|ALL_INSTALLED=1|0||"
)

for case_line in "${cases[@]}"; do
  IFS='|' read -r name environment expected_exit expected_calls expected_text <<<"$case_line"
  log=$work/log
  : >"$log"
  set +e
  # shellcheck disable=SC2086 # the case's variables are words on purpose
  env -i PATH="$bin:/usr/bin:/bin" LOG="$log" QUORVEL_OS_RELEASE="$work/os-release" $environment \
    bash "$script" test >"$work/out" 2>"$work/err"
  exit_code=$?
  set -e
  # The package names do not matter here, only which call came when.
  calls=$(sed -E 's/^apt-get (-[a-z]+ )*update.*/update/;
                  s/^apt-get .*install -y -qq --no-install-recommends -t bookworm .*/install -t bookworm/;
                  s/^apt-get .*install -y -qq --no-install-recommends .*/install/' "$log" |
          paste -sd ';')
  failed=""
  [ "$exit_code" = "$expected_exit" ] || failed+=" exit $exit_code, not $expected_exit;"
  [ "$calls" = "$expected_calls" ] || failed+=" calls '$calls', not '$expected_calls';"
  if [ -n "$expected_text" ] && ! grep -qF -- "$expected_text" "$work/err"; then
    failed+=" stderr lacks '$expected_text';"
  fi
  if grep -q -- --allow-downgrades "$log"; then failed+=" allowed a downgrade;"; fi
  if [ "$expected_exit" = 1 ] && ! grep -qF "$list" "$work/err"; then
    failed+=" the failure does not name the unreadable list;"
  fi
  if [ -n "$failed" ]; then
    echo "FAIL: $name:$failed"
    sed 's/^/  stderr: /' "$work/err"
    status=1
  else
    echo "ok: $name"
  fi
done
exit $status
