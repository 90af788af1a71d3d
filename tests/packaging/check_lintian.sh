#!/usr/bin/env bash
# Lintian on the built package: no error and no warning, and none of the hardening or stripping
# tags, which lintian reports only at info level, nor an override that no longer applies.
set -uo pipefail
lintian=$1 out=$2

packages=("$out"/*.deb)
if [ "${#packages[@]}" -ne 1 ] || [ ! -f "${packages[0]}" ]; then
  echo "FAIL: expected exactly one package in $out, found: ${packages[*]}"
  exit 1
fi

# Exit codes: 0 clean at the --fail-on levels, 2 a tag at those levels, 1 lintian itself failed.
report=$("$lintian" --fail-on error,warning --display-info --show-overrides --tag-display-limit 0 \
  "${packages[0]}")
code=$?
echo "$report"
status=0
case $code in
  0) ;;
  2) echo "FAIL: lintian reports errors or warnings"; status=1 ;;
  *) echo "FAIL: lintian could not check the package (exit $code)"; exit 1 ;;
esac
if grep -E '^[IW]: [^ ]+: (hardening-|binary-has-unneeded-section|unused-override|mismatched-override)' <<<"$report"; then
  echo "FAIL: not hardened or stripped as Debian builds, or an override that does not apply (above)"
  status=1
fi
exit $status
