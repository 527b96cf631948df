"""End-to-end runs of creature_sim under Xvfb, read through its own F12 screenshots and
captures of the X screen.

Usage: creature_sim_e2e.py SCENARIO PROGRAM [DEFAULT_NETWORK]
Scenarios: missing_file, load_file, default_network: each is one run of the program with
several checks, ending with Esc and a clean exit; no_display: the program's message when it
has no display to open.
"""

import math
import re
import sys
import time

import e2e_support as e2e

# Palette indices of the program.
SENSOR_INNER_COLOR = 95
LIGHT_BASE_COLOR = 100

START_UP_PANEL = [(2, 10, "Network is incorrect!")] + e2e.error_panel(
    ["File config_generated.txt is missing",
     "or is incorrect (wrong number of inputs or outputs)"],
    ["Quit, fix config_generated.txt and restart program",
     "or press L and load another configuration file"])

LOADED_FILE_PANEL = [(2, 10, "Network is incorrect!")] + e2e.error_panel(
    ["Loaded file is incorrect (wrong number of inputs or outputs)",
     "or path contains non-english characters"],
    ["Fix your file and reload it",
     "or press L and load another configuration file",
     "or in case of incorrect path move your file into",
     "correct path and load again"])

HELP_LINES = [
    (4, 10, "Keys:"),
    (15, 30, "mouse         - move spotlight"),
    (15, 42, "Alt + mouse   - move creature"),
    (15, 54, "mouse buttons - change size of spotlight"),
    (15, 76, "Numpad: 8,9,6  - change horizontal speed of spotlight"),
    (15, 88, "Numpad: 4,7,5  - change vertical speed of spotlight"),
    (15, 100, "Numpad: /,*,-  - tune creature's speed"),
    (15, 122, "L   - load network"),
    (15, 144, "F1  - this help"),
    (15, 156, "F12 - save screenshot (does NOT work in menus)"),
    (15, 168, "Esc - quit program"),
    (15, 190, "Press any key to leave help"),
]

TWO_INPUT_NETWORK = "input_layer: 2\ncomp_layer: 4\n"
GOOD_NETWORK = "input_layer: 3\ncomp_layer: 4\n"


# --- Reading the picture ---------------------------------------------------------------

def light_centre(image):
    """Centre of the spotlight: the middle of the box of its grey-level pixels."""
    box = image.bounding_box(lambda v: LIGHT_BASE_COLOR <= v < LIGHT_BASE_COLOR + 64)
    assert box, "no spotlight in the picture"
    x0, y0, x1, y1 = box
    return ((x0 + x1 - 1) / 2.0, (y0 + y1 - 1) / 2.0)


def creature_position(image):
    """The creature's truncated position, from the inner rings of its three sensors
    (offsets -4/3, 0/-5, 4/3 average to 0, 1/3)."""
    points = [(i % image.width, i // image.width)
              for i, v in enumerate(image.pixels) if v == SENSOR_INNER_COLOR]
    assert points, "no creature in the picture"
    x = sum(p[0] for p in points) / len(points)
    y = sum(p[1] for p in points) / len(points)
    return (x, y - 1.0 / 3.0)


def distance(a, b):
    return math.hypot(a[0] - b[0], a[1] - b[1])


def stop_spotlight(run):
    """Numpad 6 and 5 together: both velocity components 0."""
    with run.holding("KP_Right", "KP_Begin"):
        time.sleep(0.3)


# --- Scenarios -------------------------------------------------------------------------

def missing_file(program):
    """No network file: the start-up panel, the help screen, Alt with the mouse, the mouse
    buttons on the light's size, the quit message."""
    with e2e.ready_session(program) as run:

        def start_up_panel():
            image = run.screenshot()
            e2e.expect_lines(image, START_UP_PANEL, e2e.ERROR_COLOR)
            assert image.count(e2e.INFO_COLOR) == 0, "loaded-file lines shown at start-up"
            assert image.palette[e2e.ERROR_COLOR] == e2e.screen_colour(63, 5, 0)
            assert image.palette[LIGHT_BASE_COLOR + 63] == (255, 255, 255)
            assert creature_position(image) == (320.0, 240.0), "a stopped creature moved"

        def help_screen():
            _, left = e2e.check_help_screen(run, HELP_LINES, (445, 200))
            e2e.expect_lines(left, START_UP_PANEL[:1], e2e.ERROR_RGB)

        def alt_and_mouse_move_the_creature():
            with run.holding("Alt_L"):
                time.sleep(0.15)
                run.move_mouse(40, -30)
                time.sleep(0.2)
            image = run.screenshot()
            # A creature without a usable network stays wherever the mouse put it.
            assert creature_position(image) == (360.0, 210.0), creature_position(image)

        def left_button_held_widens_the_light_to_the_whole_screen():
            with run.holding_button(1):
                time.sleep(6)  # from radius 64 to the ceiling at 5 per frame
                image = run.screenshot(timeout=3)
            for corner in ((0, 0), (639, 0), (0, 479), (639, 479)):
                assert image.pixel(*corner) >= LIGHT_BASE_COLOR, "dark corner %s" % (corner,)

        e2e.run_checks([("start-up panel", start_up_panel), ("help screen", help_screen),
                        ("alt and mouse move the creature", alt_and_mouse_move_the_creature),
                        ("left button held widens the light to the whole screen",
                         left_button_held_widens_the_light_to_the_whole_screen),
                        ("quit message", lambda: e2e.quit_with_escape(run))])


def load_file_scenario(program):
    """L with a file of 2 inputs: the loaded-file panel with the path; then a good file."""
    with e2e.ready_session(program, files={"two.txt": TWO_INPUT_NETWORK,
                                           "good.txt": GOOD_NETWORK}) as run:

        def loaded_file_panel():
            e2e.load_file(run, run.path("two.txt"))
            image = run.screenshot()
            e2e.expect_lines(image, LOADED_FILE_PANEL, e2e.ERROR_COLOR)
            e2e.expect_lines(image, e2e.selected_path_lines(run.path("two.txt")), e2e.INFO_COLOR)

        def good_file_removes_panel():
            e2e.load_file(run, run.path("good.txt"))
            image = run.screenshot()
            assert image.count(e2e.ERROR_COLOR) == 0, "the error panel is still shown"
            assert image.count(e2e.INFO_COLOR) == 0

        e2e.run_checks([("loaded-file panel", loaded_file_panel),
                        ("good file removes the panel", good_file_removes_panel),
                        ("quit", lambda: e2e.quit_with_escape(run, check_message=False))])


def default_network(program, network_file):
    """The shipped network: no panel, the creature follows the light, the speed message
    (under a decimal-comma locale where one can be made), Esc."""
    with open(network_file) as source:
        network = source.read()
    with e2e.decimal_comma_locale() as env, \
            e2e.ready_session(program, files={"config_generated.txt": network}, env=env) as run:

        def no_panel():
            stop_spotlight(run)
            image = run.screenshot()
            assert image.count(e2e.ERROR_COLOR) == 0, "error panel with the default network"

        def expect_creature_at_light(image):
            """The creature's position, checked to be within 8 px of the light's centre."""
            creature, light = creature_position(image), light_centre(image)
            assert distance(creature, light) < 8, "creature at %s, light at %s" % (creature, light)
            return creature

        def follows_the_light():
            image = run.screenshot(wait_pause=2.2)
            light = light_centre(image)
            start = creature_position(image)
            # Put the light's centre 30 px right of and 20 px below the creature.
            run.move_mouse(round(start[0] + 30 - light[0]), round(start[1] + 20 - light[1]))
            time.sleep(1.5)
            reached = expect_creature_at_light(run.screenshot())
            # Lead it away in small steps, as a user would.
            for _ in range(5):
                run.move_mouse(-20, -12)
                time.sleep(0.4)
            time.sleep(1.0)
            followed = expect_creature_at_light(run.screenshot())
            assert distance(followed, reached) > 80, "the creature did not follow"

        def speed_message():
            with run.holding("KP_Multiply"):
                time.sleep(0.3)
                image = run.screenshot()
            text = e2e.read_text_right(image, 625, 8, 25, e2e.INFO_COLOR)
            assert re.fullmatch(r"speedup_factor = 3\.\d{6}", text), "shown: %r" % text
            assert float(text.split("= ")[1]) > 3.0
            if env:
                print("(shown under the de_DE.UTF-8 locale)")

        e2e.run_checks([("no error panel", no_panel),
                        ("creature follows the light", follows_the_light),
                        ("speed message", speed_message),
                        ("quit message", lambda: e2e.quit_with_escape(run))])


def no_display(program):
    """Without a display the program says so, tells how to use xvfb-run, and fails."""
    result = e2e.run_without_display(program)
    print(result.stderr)
    assert result.returncode != 0, "exit status 0 without a display"
    assert "needs a graphical display" in result.stderr
    assert "xvfb-run" in result.stderr


def main():
    scenario, program = sys.argv[1], sys.argv[2]
    if scenario == "no_display":
        no_display(program)
        return
    e2e.require_tools("xwd")
    if scenario == "missing_file":
        missing_file(program)
    elif scenario == "load_file":
        load_file_scenario(program)
    elif scenario == "default_network":
        default_network(program, sys.argv[3])
    else:
        sys.exit("unknown scenario " + scenario)


if __name__ == "__main__":
    main()
