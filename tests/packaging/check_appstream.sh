#!/usr/bin/env bash
# AppStream's validator at its strictest: any issue it reports fails, pedantic hints included,
# which its own exit code lets pass. No network: the checks must not depend on the machine's.
set -uo pipefail
appstreamcli=$1 mode=$2 target=$3

report=$("$appstreamcli" "$mode" --pedantic --explain --no-net "$target" 2>&1)
code=$?
echo "$report"
if [ "$code" -ne 0 ]; then
  echo "FAIL: appstreamcli $mode rejects $target (exit $code)"
  exit 1
fi
# Issues are reported as "<severity letter>: <component>:<line>: <tag>", in a tree indented.
if grep -qE '^ *[EWIP]: ' <<<"$report"; then
  echo "FAIL: appstreamcli $mode reports the issues above"
  exit 1
fi
exit 0
