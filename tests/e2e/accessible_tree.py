"""The main window's accessible tree read through AT-SPI, as a screen reader reads it: names,
roles, relations and slider values at start, after presses at the ends and the middle of both
sliders, and after a press in every column of each. Prints one FAIL line per mismatch and ends
with 1 if there was any.

Usage: accessible_tree.py APPLICATION PID WINDOW-TITLE WINDOW-ID PRESSES
PRESSES has a line "slider inner-x screen-x screen-y" for every column of both sliders, the
screen position relative to the window, as xdotool takes it."""
import math
import struct
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi

application_name, program_pid, window_title, window_id, presses_file = sys.argv[1:]

# The 32-bit program runs under an emulator, and answers slowly on its first calls.
Atspi.set_timeout(10000, 30000)


def float32(value):
    return struct.unpack('f', struct.pack('f', value))[0]


# The sliders place 100 and 101 steps on 145 columns in single precision: a press in column x
# takes step floor(x / scale) + 1. Length shows tenths of a second, Amplitude one less than its
# step.
LENGTH_SCALE = float32(145 / 100)
AMPLITUDE_SCALE = float32(145 / 101)
SLIDERS = {
    'Length': lambda x: (math.floor(x / LENGTH_SCALE) + 1) / 10,
    'Amplitude': lambda x: math.floor(x / AMPLITUDE_SCALE) + 1 - 1,
}
READOUT_TEXT = {'Length': lambda value: f'{value:.1f}', 'Amplitude': lambda value: str(value)}
# Outer top-left corners in the panel that holds them, in logical pixels as Qt reports extents.
PLACES = {'Length': (74, 165), 'Amplitude': (74, 125)}
START = {'Length': (3.0, 0.1, 10.0, '3.0'), 'Amplitude': (90.0, 0.0, 100.0, '90')}
ANCHORS = {'Length': [(0, 0.1, '0.1'), (72, 5.0, '5.0'), (144, 10.0, '10.0')],
           'Amplitude': [(0, 0.0, '0'), (72, 50.0, '50'), (144, 100.0, '100')]}
STATUS = '44100 Hz, Mono, 16 bits'

failures = []


def check(ok, message):
    if not ok:
        failures.append(message)
        print(f'FAIL: {message}', flush=True)


def give_up(message):
    print(f'FAIL: {message}', flush=True)
    sys.exit(1)


def describe(node):
    return f"{node.getRoleName()} '{node.name}'"


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def relation_targets(node, relation):
    return [r.getTarget(i) for r in node.getRelationSet() if r.getRelationType() == relation
            for i in range(r.getNTargets())]


def value_of(node):
    return node.queryValue().currentValue


def value_or_none(node):
    try:
        return value_of(node)
    except NotImplementedError:
        return 'none'


def corner(node):
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return extents.x, extents.y


def find_window():
    deadline = time.monotonic() + 30
    while True:
        seen = []
        for application in pyatspi.Registry.getDesktop(0):
            if application is None:
                continue
            seen.append(f"'{application.name}' (process {application.get_process_id()})")
            if application.name != application_name:
                continue
            if application.get_process_id() != int(program_pid):
                give_up(f"'{application_name}' on the AT-SPI bus is process "
                        f'{application.get_process_id()}, not the program ({program_pid})')
            for window in application:
                if window is not None and window.name == window_title:
                    return window
        if time.monotonic() > deadline:
            give_up(f"no application '{application_name}' with a window '{window_title}' on the "
                    f"AT-SPI bus; there: {', '.join(seen) or 'none'}")
        time.sleep(0.2)


class Tree:
    """The window's objects that a user of a screen reader meets, found by role and name, and
    by relation for the readouts, whose names are their changing texts."""

    def __init__(self, window):
        self.nodes = list(descendants(window))
        self.problems = []
        self.sliders = {name: self.one(pyatspi.ROLE_SLIDER, name) for name in SLIDERS}
        self.labels = {name: self.one(pyatspi.ROLE_LABEL, name) for name in SLIDERS}
        self.readouts = {name: self.readout(name) for name in SLIDERS}
        self.check_start()

    def problem(self, message):
        self.problems.append(message)

    def with_role(self, role):
        return [node for node in self.nodes if node.getRole() == role]

    def one(self, role, name):
        found = [node for node in self.with_role(role) if node.name == name]
        if len(found) == 1:
            return found[0]
        role_name = Atspi.role_get_name(role)
        if found:
            self.problem(f"{len(found)} objects {role_name} '{name}'")
            return None
        named = [describe(node) for node in self.nodes if node.name == name]
        others = [f"'{node.name}'" for node in self.with_role(role)]
        self.problem(f"no {role_name} named '{name}'; named so: {', '.join(named) or 'nothing'}; "
                     f"{role_name} objects: {', '.join(others) or 'none'}")
        return None

    def readout(self, name):
        label = self.labels[name]
        if label is None:
            return None
        found = [node for node in self.with_role(pyatspi.ROLE_LABEL)
                 if label in relation_targets(node, pyatspi.RELATION_LABELLED_BY)]
        if len(found) != 1:
            self.problem(f"{len(found)} labels labelled by the label '{name}', expected 1 readout")
            return None
        return found[0]

    def at_place(self, name):
        """What the panel of the slider's label holds where the slider should be."""
        label = self.labels[name]
        if label is None:
            return 'unknown, without its label'
        panel = label.parent
        panel_x, panel_y = corner(panel)
        found = [f'{describe(node)} with value {value_or_none(node)}' for node in panel
                 if node is not None and corner(node) == (panel_x + PLACES[name][0],
                                                           panel_y + PLACES[name][1])]
        return ', '.join(found) or 'nothing'

    def check_start(self):
        for name, slider in self.sliders.items():
            if slider is None:
                self.problem(f'at the place of the {name} slider: {self.at_place(name)}')
                continue
            value = slider.queryValue()
            current, minimum, maximum, text = START[name]
            got = (value.currentValue, value.minimumValue, value.maximumValue)
            if got != (current, minimum, maximum):
                self.problem(f"slider '{name}' has value {got[0]} from {got[1]} to {got[2]}, "
                             f'expected {current} from {minimum} to {maximum}')
            readout = self.readouts[name]
            if readout is not None and readout.name != text:
                self.problem(f"the {name} readout reads '{readout.name}', expected '{text}'")

        field = self.one(pyatspi.ROLE_TEXT, 'Hertz')
        if field is None:
            held = [repr(node.queryText().getText(0, -1))
                    for node in self.with_role(pyatspi.ROLE_TEXT)]
            self.problem(f"text objects hold {', '.join(held) or 'nothing'}")
        else:
            shown = field.queryText().getText(0, -1)
            if shown != '997':
                self.problem(f"the frequency field holds '{shown}', expected '997'")
            label = self.one(pyatspi.ROLE_LABEL, 'Hertz')
            if label is not None and field not in relation_targets(label,
                                                                   pyatspi.RELATION_LABEL_FOR):
                targets = [describe(t) for t in relation_targets(label, pyatspi.RELATION_LABEL_FOR)]
                self.problem(f"the label 'Hertz' is a label for {', '.join(targets) or 'nothing'}, "
                             'not for the frequency field')
        self.one(pyatspi.ROLE_COMBO_BOX, 'Shape')
        self.one(pyatspi.ROLE_PUSH_BUTTON, 'Rendering Shape')
        bars = [node.name for node in self.with_role(pyatspi.ROLE_STATUS_BAR)]
        if bars != [STATUS]:
            self.problem(f'status bars {bars}, expected one named {STATUS!r}')


def read_start_tree(window):
    # The window is shown before its controls are complete: the tree is read again until it
    # matches, and its last reading is reported if it never does.
    deadline = time.monotonic() + 10
    while True:
        tree = Tree(window)
        if not tree.problems or time.monotonic() > deadline:
            break
        time.sleep(0.3)
    for problem in tree.problems:
        check(False, f'at start: {problem}')
    if None in tree.sliders.values() or None in tree.readouts.values():
        give_up('without both sliders and their readouts nothing can be pressed')
    return tree


def check_read_only(tree):
    for name, slider in tree.sliders.items():
        try:
            slider.queryValue().currentValue = START[name][0] / 2
        except Exception:  # a refused change is as good as an ignored one
            pass
    time.sleep(0.5)
    for name, slider in tree.sliders.items():
        check(value_of(slider) == START[name][0] and tree.readouts[name].name == START[name][3],
              f"setting slider '{name}' through AT-SPI changed it to {value_of(slider)}, "
              f"readout '{tree.readouts[name].name}'")


def load_presses():
    positions = {name: {} for name in SLIDERS}
    with open(presses_file) as lines:
        for line in lines:
            name, x, screen_x, screen_y = line.split()
            positions[name][int(x)] = (screen_x, screen_y)
    return positions


class Presser:
    def __init__(self, tree, positions):
        self.tree = tree
        self.positions = positions

    def press(self, name, x, tries=1):
        """Presses column x and returns the value and readout once the value has changed, or
        the unchanged ones after two seconds for each try."""
        slider = self.tree.sliders[name]
        before = value_of(slider)
        screen_x, screen_y = self.positions[name][x]
        for attempt in range(tries):
            # A click as xdotool's "click" makes it, without the tenth of a second it waits after.
            subprocess.run(['xdotool', 'mousemove', '--window', window_id, screen_x, screen_y,
                            'mousedown', '1', 'mouseup', '1'], check=True)
            deadline = time.monotonic() + 2
            while time.monotonic() < deadline:
                value = value_of(slider)
                if value != before:
                    return value, self.tree.readouts[name].name
                time.sleep(0.002)
        return before, self.tree.readouts[name].name

    def anchors(self):
        for name, anchors in ANCHORS.items():
            for x, expected, text in anchors:
                # Presses that come while the program still settles can be lost; a repeat in
                # the same column cannot change the outcome.
                value, readout = self.press(name, x, tries=5)
                check(value == expected and readout == text,
                      f"{name} pressed at x {x}: value {value}, readout '{readout}', "
                      f"expected {expected} and '{text}'")

    def sweep(self, name):
        # Columns 73 apart always give different values, so each press is seen by its change:
        # 0, 73, 1, 74, ... 71, 144, 72. The presses before end in column 144, far from 0.
        columns = [x for i in range(72) for x in (i, i + 73)] + [72]
        wrong = []
        for x in columns:
            expected = SLIDERS[name](x)
            text = READOUT_TEXT[name](expected)
            value, readout = self.press(name, x)
            if value != expected or readout != text:
                wrong.append(f"x {x}: {value} '{readout}' (expected {expected} '{text}')")
                if len(wrong) == 10:
                    break
        check(not wrong, f"{name} swept over its columns: {'; '.join(wrong)}"
              + (' (and it stopped there)' if len(wrong) == 10 else ''))
        return len(columns) if not wrong else 0


window = find_window()
print(f"   found '{application_name}' (process {program_pid}) and its window", flush=True)
tree = read_start_tree(window)
check_read_only(tree)
print(f"   at start: {len(failures)} mismatches", flush=True)
presser = Presser(tree, load_presses())
presser.anchors()
print('   pressed the first, middle and last columns of both sliders', flush=True)
for name in SLIDERS:
    started = time.monotonic()
    swept = presser.sweep(name)
    if swept:
        print(f'   {name}: {swept} columns pressed, each as computed '
              f'({time.monotonic() - started:.1f} s)', flush=True)
sys.exit(1 if failures else 0)
