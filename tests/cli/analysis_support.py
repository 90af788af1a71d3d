"""What every analysis of the render command's files shares: the program (and the emulator the
32-bit build runs under) from the command line, PASS and FAIL lines, and the exit status.

Usage: ANALYSIS.py RENDER_PROGRAM [EMULATOR] [quick]"""
import sys

PROGRAM = sys.argv[1]
EMULATOR = [sys.argv[2]] if len(sys.argv) > 2 and sys.argv[2] else []
# Under the emulator and the sanitizers, the long statistical checks are left to the 64-bit
# build: the bytes are the same in every build (render_command.process holds them to it), and
# the shorter runs still take every path through the code.
QUICK = bool(EMULATOR) or (len(sys.argv) > 3 and sys.argv[3] == "quick")
failures = []


def check(name, ok, detail):
    print(("PASS" if ok else "FAIL") + f": {name}: {detail}")
    if not ok:
        failures.append(name)


def finish():
    print(f"{len(failures)} failed" if failures else "all passed")
    sys.exit(1 if failures else 0)
