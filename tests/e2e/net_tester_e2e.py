"""End-to-end runs of net_tester under Xvfb, read through its own F12 screenshots and
captures of the X screen.

Usage: net_tester_e2e.py SCENARIO PROGRAM EXAMPLES_DIR
Scenarios:
  examples     a first run in a copy of examples/: the default network reacts to key 1;
               L loads xor.txt, drawn at its positions; digit keys with the mouse; the
               help screen; values under a decimal-comma locale; Esc.
  files        no network file: the start-up panel; L with a file without inputs: the
               loaded-file panel; L with a network of twelve inputs: only ten follow keys.
  no_display   without a display: a message on stderr and a failure status.
Each scenario is one run of the program; the first two end with Esc and a clean exit.

Sections: the network as the file gives it, reading the picture, driving the program,
scenarios.
"""

import math
import os
import sys
import time

import e2e_support as e2e

WIDTH, HEIGHT = 800, 600

# Palette indices of the program.
INPUT_COLOR = 100
TEXT_COLOR = 101
COMPUTING_COLOR = 102
NEGATIVE_RAMP_BASE = 120
POSITIVE_RAMP_BASE = 190

# The panels for a network without inputs.
START_UP_PANEL = [(2, 10, "Network has no inputs!")] + e2e.error_panel(
    ["File config_generated.txt is missing", "or is incorrect"],
    ["Quit, fix config_generated.txt and restart program",
     "or press L and load another configuration file"])

LOADED_FILE_PANEL = [(2, 10, "Network has no inputs!")] + e2e.error_panel(
    ["Loaded file is incorrect", "or path contains non-english characters"],
    ["Fix your file and reload it",
     "or press L and load another configuration file",
     "or in case of incorrect path move your file into",
     "correct path and load again"])

HELP_LINES = [
    (5, 8, "Keys:"),
    (15, 30, "1 + mouse up/down  - change first input"),
    (15, 42, "2 + mouse up/down  - change second input"),
    (15, 54, ".. + mouse up/down - change .. input"),
    (15, 78, "L   - load network"),
    (15, 102, "F1  - this help"),
    (15, 114, "F12 - save screenshot (does NOT work in menus)"),
    (15, 126, "Esc - quit program"),
    (15, 150, "Press any key to leave help"),
]

# The exclusive-or network on 800 x 600: inputs, hidden layer, output; radius 15.
XOR_POSITIONS = [(50, 30), (50, 570), (400, 30), (400, 570), (750, 30)]
RADIUS = 15


# --- The network as the file gives it ---------------------------------------------------

class FileNetwork:
    """Layers, weights, threshold and slope of a fully weighted network file, evaluated
    here on its own as the reference for what the screen must show."""

    def __init__(self, text):
        self.layers = []
        self.weights = []       # one list of incoming weights per computing neuron
        self.threshold = 0.0
        self.slope = 0.5
        for line in text.splitlines():
            tokens = line.split()
            if not tokens:
                continue
            if tokens[0] in ("input_layer:", "comp_layer:"):
                self.layers.append(int(tokens[1]))
            elif tokens[0] == "weights:":
                self.weights.append([float(t) for t in tokens[1:]])
            elif tokens[0] == "treshold:":
                self.threshold = float(tokens[1])
            elif tokens[0] == "slope_parameter:":
                self.slope = float(tokens[1])

    def outputs(self, inputs):
        """Every neuron's output, in neuron order."""
        values = list(inputs)
        first_previous = 0
        weight_rows = iter(self.weights)
        for layer, size in enumerate(self.layers[1:], start=1):
            previous = self.layers[layer - 1]
            sources = values[first_previous:first_previous + previous]
            for _ in range(size):
                total = sum(w * s for w, s in zip(next(weight_rows), sources))
                values.append(1.0 / (1.0 + math.exp(-self.slope * (total - self.threshold))))
            first_previous += previous
        return values


def shade(ratio):
    """Palette index of a value or weight ratio, held to [-1, 1]."""
    ratio = max(-1.0, min(1.0, ratio))
    if ratio < 0:
        return int(NEGATIVE_RAMP_BASE - 63 * ratio)
    return int(POSITIVE_RAMP_BASE + 63 * ratio)


# --- Reading the picture ---------------------------------------------------------------

def value_label(image, position):
    """The value printed below a neuron: eight characters from 15 pixels left of its centre."""
    x, y = position
    return e2e.read_text(image, x - 15, y + RADIUS, 8, TEXT_COLOR)


def expect_label(image, position, value, visible=slice(0, 8)):
    """The label of a neuron reads "%f" of value in its `visible` characters; the others
    may be hidden by lines that enter neurons after the label is drawn."""
    expected = "%f" % value
    shown = value_label(image, position)
    assert shown[visible] == expected[visible], \
        "label at %s: expected %r, shown %r" % (position, expected, shown)


def expect_pixel(image, x, y, index, what):
    shown = image.pixel(x, y)
    assert shown == index, "%s at (%d, %d): expected index %d, found %d" % (what, x, y, index, shown)


def expect_default_labels(image, values):
    """Labels of the default creature network (3 inputs, 4 outputs); lines leaving the top
    two inputs cross the ends of their labels."""
    inputs = [(50, 30), (50, 300), (50, 570)]
    outputs = [(750, 30), (750, 210), (750, 390), (750, 570)]
    visible = [slice(0, 4), slice(0, 4)] + [slice(0, 8)] * 5
    for position, value, shown in zip(inputs + outputs, values, visible):
        expect_label(image, position, value, shown)


def expect_xor_state(image, network, inputs):
    """Discs shaded by every neuron's output and the values of both inputs and the output."""
    outputs = network.outputs(inputs)
    for neuron, (x, y) in enumerate(XOR_POSITIONS):
        # Inside the disc, away from every line: left of the inputs, right of the others.
        dx = -5 if neuron < 2 else 5
        expect_pixel(image, x + dx, y + 8, shade(outputs[neuron]), "disc of neuron %d" % neuron)
    expect_label(image, XOR_POSITIONS[1], outputs[1])
    expect_label(image, XOR_POSITIONS[4], outputs[4], visible=slice(1, 8))


# --- Driving the program ---------------------------------------------------------------

def move_mouse_to_edge(run, top):
    """Relative moves of twice the screen height pin the pointer to the top or bottom row."""
    step = -2 * HEIGHT if top else 2 * HEIGHT
    for _ in range(3):
        run.move_mouse(0, step)
        time.sleep(0.05)


def set_inputs_with_keys(run, keys, top):
    """Holds the digit keys while the pointer goes to the top or bottom row, then lets go."""
    with run.holding(*keys):
        time.sleep(0.1)
        move_mouse_to_edge(run, top)
        time.sleep(0.2)
    time.sleep(0.1)


# --- Scenarios -------------------------------------------------------------------------

def examples(program, examples_dir):
    """A user's first run in examples/: the default network reacts to the digit keys, then
    L loads the exclusive-or network. Runs under a decimal-comma locale when one can be made:
    the values must keep their full stop."""
    shipped = {}
    for name in ("config_generated.txt", "xor.txt"):
        with open(os.path.join(examples_dir, name)) as source:
            shipped[name] = source.read()
    default = FileNetwork(shipped["config_generated.txt"])
    network = FileNetwork(shipped["xor.txt"])
    with e2e.decimal_comma_locale() as env:
        if not env:
            print("note: no German locale could be made; running under the default locale")
        else:
            print("running under the German locale (decimal comma)")
        with e2e.ready_session(program, WIDTH, HEIGHT, files=shipped, env=env) as run:

            def default_network_reacts_to_key_1():
                image = run.screenshot()
                assert image.count(e2e.ERROR_COLOR) == 0, "no error panel for the default network"
                expect_default_labels(image, default.outputs([0.0, 0.0, 0.0]))
                set_inputs_with_keys(run, ["1"], top=True)
                image = run.screenshot()
                expect_default_labels(image, default.outputs([1.0, 0.0, 0.0]))

            def load_the_exclusive_or_network():
                e2e.load_file(run, "xor.txt")

            def drawn_at_its_positions():
                image = run.screenshot()
                for neuron, (x, y) in enumerate(XOR_POSITIONS):
                    ring = INPUT_COLOR if neuron < 2 else COMPUTING_COLOR
                    expect_pixel(image, x, y - RADIUS, ring, "ring of neuron %d" % neuron)
                for y in (29, 30, 31):
                    expect_pixel(image, 10, y, INPUT_COLOR, "input bar")
                    expect_pixel(image, 10, y + 540, INPUT_COLOR, "input bar")
                    expect_pixel(image, 790, y, INPUT_COLOR, "output bar")
                expect_pixel(image, 600, 29, 0, "background between the columns")
                # Horizontal lines, shaded by the weights of their connections.
                expect_pixel(image, 225, 30, shade(network.weights[0][0] / 10), "line 0 to 2")
                expect_pixel(image, 225, 570, shade(network.weights[1][1] / 10), "line 1 to 3")
                expect_pixel(image, 575, 30, shade(network.weights[2][0] / 10), "line 2 to 4")
                expect_label(image, XOR_POSITIONS[1], 0.0)
                expect_xor_state(image, network, [0.0, 0.0])

            def second_input_follows_the_mouse():
                set_inputs_with_keys(run, ["2"], top=True)
                image = run.screenshot()
                expect_label(image, XOR_POSITIONS[1], 1.0)
                expect_xor_state(image, network, [0.0, 1.0])

            def released_key_keeps_its_value_and_bottom_row_gives_zero():
                move_mouse_to_edge(run, top=False)  # no key held: nothing changes
                set_inputs_with_keys(run, ["1"], top=True)
                set_inputs_with_keys(run, ["2"], top=False)  # input 1 stays at the top value
                image = run.screenshot()
                expect_label(image, XOR_POSITIONS[1], 0.0)
                expect_xor_state(image, network, [1.0, 0.0])

            def help_screen():
                screen, _ = e2e.check_help_screen(run, HELP_LINES, (385, 164), hold=0.15,
                                                  wait=0.3, leave_wait=0.5)
                assert screen.pixel(386, 165) != e2e.HELP_BG_RGB, "help panel ends at (385, 164)"

            e2e.run_checks([
                ("default network reacts to key 1", default_network_reacts_to_key_1),
                ("L loads the exclusive-or network", load_the_exclusive_or_network),
                ("drawn at its positions", drawn_at_its_positions),
                ("second input follows the mouse", second_input_follows_the_mouse),
                ("released key keeps its value, bottom row gives zero",
                 released_key_keeps_its_value_and_bottom_row_gives_zero),
                ("help screen", help_screen),
                ("Esc quits", lambda: e2e.quit_with_escape(run)),
            ])


def files(program, examples_dir):
    """No network file at start, then two loads through the file selector."""
    del examples_dir
    with e2e.ready_session(program, WIDTH, HEIGHT) as run:
        no_inputs = run.write_file("no_inputs.txt", "comp_layer: 3\n")
        twelve = run.write_file("twelve.txt", "input_layer: 12\n")

        def start_up_panel():
            image = run.screenshot()
            e2e.expect_lines(image, START_UP_PANEL, e2e.ERROR_COLOR)
            assert image.count(e2e.INFO_COLOR) == 0, "no path is shown before a load"

        def loaded_file_panel():
            e2e.load_file(run, no_inputs)
            image = run.screenshot()
            e2e.expect_lines(image, LOADED_FILE_PANEL, e2e.ERROR_COLOR)
            e2e.expect_lines(image, e2e.selected_path_lines(no_inputs), e2e.INFO_COLOR)

        def only_ten_inputs_follow_keys():
            e2e.load_file(run, twelve)
            set_inputs_with_keys(run, ["1", "2", "3", "4", "5", "6", "7", "8", "9", "0"],
                                 top=True)
            image = run.screenshot()
            assert image.count(e2e.ERROR_COLOR) == 0, "the panel is gone after a good load"
            rows = [30 + int(j * 540 / 11) for j in range(12)]
            shown = [value_label(image, (50, y)) for y in rows]
            assert shown == ["1.000000"] * 10 + ["0.000000"] * 2, "inputs shown: %r" % shown

        e2e.run_checks([
            ("start-up panel", start_up_panel),
            ("loaded-file panel", loaded_file_panel),
            ("only ten inputs follow keys", only_ten_inputs_follow_keys),
            ("Esc quits", lambda: e2e.quit_with_escape(run)),
        ])


def no_display(program, examples_dir):
    """Without a display the program says why on stderr and ends with a failure status,
    instead of drawing into a screen it does not have."""
    del examples_dir

    def failure_is_reported():
        finished = e2e.run_without_display(program)
        assert finished.returncode != 0, "exit status without a display: 0"
        assert finished.stderr.startswith("net_tester: cannot "), \
            "stderr without a display: %r" % finished.stderr
        assert 'xvfb-run -s "-screen 0 800x600x24"' in finished.stderr, \
            "no hint for a virtual display: %r" % finished.stderr

    e2e.run_checks([("failure is reported", failure_is_reported)])


SCENARIOS = {"examples": examples, "files": files, "no_display": no_display}


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in SCENARIOS:
        print(__doc__)
        sys.exit(2)
    if sys.argv[1] != "no_display":
        e2e.require_tools("xwd")
    SCENARIOS[sys.argv[1]](sys.argv[2], sys.argv[3])


if __name__ == "__main__":
    main()
