"""What every analysis of the render command's files shares: the program (and the emulator the
32-bit build runs under) from the command line, PASS and FAIL lines, and the exit status."""
import sys

PROGRAM = sys.argv[1]
EMULATOR = [sys.argv[2]] if len(sys.argv) > 2 and sys.argv[2] else []
failures = []


def check(name, ok, detail):
    print(("PASS" if ok else "FAIL") + f": {name}: {detail}")
    if not ok:
        failures.append(name)


def finish():
    print(f"{len(failures)} failed" if failures else "all passed")
    sys.exit(1 if failures else 0)
