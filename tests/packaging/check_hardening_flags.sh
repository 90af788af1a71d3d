#!/usr/bin/env bash
# Every source compiled into what ships (all but the tests) gets each of Debian's hardening
# compile flags, and every program calls the stack protector's check: fortify and the stack
# protector leave no mark that lintian could look for in every binary.
# Arguments: compile_commands.json, source folder, build folder, programs..., --, flags...
set -uo pipefail
commands=$1 source=$2 build=$3
shift 3
programs=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  programs+=("$1")
  shift
done
[ $# -gt 0 ] && shift
flags=("$@")

status=0
if [ "${#programs[@]}" -eq 0 ]; then
  echo "FAIL: no program to check"
  status=1
fi
for program in "${programs[@]}"; do
  imports=$(nm -D --undefined-only "$program") || { echo "FAIL: nm cannot read $program"; status=1; }
  if ! grep -qE ' __stack_chk_fail(@|$)' <<<"$imports"; then
    echo "FAIL: $program has no stack protector checks"
    status=1
  fi
done
python3 - "$commands" "$source" "$build" "${flags[@]}" <<'PYTHON' || status=1
import json, shlex, sys
commands, flags = sys.argv[1], sys.argv[4:]
# The tests' sources, and what moc and rcc generate for them in the build tree.
tests = tuple(folder.rstrip("/") + "/tests/" for folder in sys.argv[2:4])
shipped = [entry for entry in json.load(open(commands)) if not entry["file"].startswith(tests)]
if not flags or not shipped:
    sys.exit(f"FAIL: nothing to check ({len(flags)} flags, {len(shipped)} sources)")
failed = False
for entry in shipped:
    words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    missing = [flag for flag in flags if flag not in words]
    if missing:
        print(f"FAIL: {entry['file']} is compiled without {' '.join(missing)}")
        failed = True
if failed:
    sys.exit(1)
print(f"all {len(shipped)} sources compiled with {' '.join(flags)}")
PYTHON
exit $status
