"""End-to-end runs of creature_sim under Xvfb, read through its own F12 screenshots and
captures of the X screen.

Usage: creature_sim_e2e.py SCENARIO PROGRAM [DEFAULT_NETWORK]
Scenarios: missing_file, load_file, default_network: each is one run of the program with
several checks, ending with Esc and a clean exit; no_display: the program's message when it
has no display to open.
"""

import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import e2e_support as e2e

# Palette indices of the program and their 6-bit colours.
ERROR_COLOR = 90
INFO_COLOR = 91
SENSOR_INNER_COLOR = 95
LIGHT_BASE_COLOR = 100


ERROR_RGB = e2e.ERROR_RGB
INFO_RGB = e2e.INFO_RGB
HELP_BG_RGB = e2e.HELP_BG_RGB

START_UP_PANEL = [
    (2, 10, "Network is incorrect!"),
    (15, 30, "Possible reasons:"),
    (35, 42, "File config_generated.txt is missing"),
    (35, 54, "or is incorrect (wrong number of inputs or outputs)"),
    (15, 74, "Solutions:"),
    (35, 86, "Quit, fix config_generated.txt and restart program"),
    (35, 98, "or press L and load another configuration file"),
]

LOADED_FILE_PANEL = [
    (2, 10, "Network is incorrect!"),
    (15, 30, "Possible reasons:"),
    (35, 42, "Loaded file is incorrect (wrong number of inputs or outputs)"),
    (35, 54, "or path contains non-english characters"),
    (15, 74, "Solutions:"),
    (35, 86, "Fix your file and reload it"),
    (35, 98, "or press L and load another configuration file"),
    (35, 110, "or in case of incorrect path move your file into"),
    (35, 122, "correct path and load again"),
]

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

def expect_lines(image, lines, colour):
    for x, y, text in lines:
        shown = e2e.read_text(image, x, y, len(text), colour)
        assert shown == text, "at (%d, %d): expected %r, shown %r" % (x, y, text, shown)


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


# --- Driving the program ---------------------------------------------------------------

def load_file(run, path):
    """L, then the file selector: replace the proposed path and accept it."""
    run.hold_key("l", 0.15)
    time.sleep(0.8)
    run.tap_key("End")
    run.xdotool("key", "--repeat", "250", "--delay", "2", "BackSpace")
    run.type_text(path)
    run.tap_key("Return")
    time.sleep(0.8)  # the program rests 250 ms after the dialog


def quit_with_escape(run, check_message=True):
    run.hold_key("Escape", 0.2)
    if check_message:
        time.sleep(0.5)
        shown = e2e.read_text(run.capture_screen(), 2, 2, 22, ERROR_RGB)
        assert shown == "ESC pressed, will QUIT", "quit message shown: %r" % shown
    status = run.wait_exit(timeout=8)
    assert status == 0, "exit status after Esc: %r" % status


def stop_spotlight(run):
    """Numpad 6 and 5 together: both velocity components 0."""
    run.key_down("KP_Right")
    run.key_down("KP_Begin")
    time.sleep(0.3)
    run.key_up("KP_Begin")
    run.key_up("KP_Right")


def decimal_comma_environment(directory):
    """Environment for a German locale (decimal comma), built with localedef when the
    system lacks it; empty when that is impossible."""
    if shutil.which("localedef") is None:
        return {}
    target = os.path.join(directory, "de_DE.UTF-8")
    made = subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", target],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if made.returncode != 0 and not os.path.isdir(target):
        return {}
    return {"LOCPATH": directory, "LC_ALL": "de_DE.UTF-8", "LANG": "de_DE.UTF-8"}


# --- Scenarios -------------------------------------------------------------------------

def missing_file(program):
    """No network file: the start-up panel, the help screen, Alt with the mouse, the mouse
    buttons on the light's size, the quit message."""
    with e2e.Session(program) as run:
        run.wait_ready()

        def start_up_panel():
            image = run.screenshot()
            expect_lines(image, START_UP_PANEL, ERROR_COLOR)
            assert image.count(INFO_COLOR) == 0, "loaded-file lines shown at start-up"
            assert image.palette[ERROR_COLOR] == e2e.screen_colour(63, 5, 0)
            assert image.palette[LIGHT_BASE_COLOR + 63] == (255, 255, 255)
            assert creature_position(image) == (320.0, 240.0), "a stopped creature moved"

        def help_screen():
            run.hold_key("F1", 0.2)
            time.sleep(0.4)
            shown = run.capture_screen()
            expect_lines(shown, HELP_LINES, INFO_RGB)
            assert shown.pixel(445, 200) == HELP_BG_RGB
            run.tap_key("space")
            time.sleep(0.8)
            left = run.capture_screen()
            assert left.pixel(445, 200) != HELP_BG_RGB, "the help is still shown"
            expect_lines(left, START_UP_PANEL[:1], ERROR_RGB)

        def alt_and_mouse_move_the_creature():
            run.key_down("Alt_L")
            try:
                time.sleep(0.15)
                run.move_mouse(40, -30)
                time.sleep(0.2)
            finally:
                run.key_up("Alt_L")
            image = run.screenshot()
            # A creature without a usable network stays wherever the mouse put it.
            assert creature_position(image) == (360.0, 210.0), creature_position(image)

        def left_button_held_widens_the_light_to_the_whole_screen():
            run.mouse_down(1)
            try:
                time.sleep(6)  # from radius 64 to the ceiling at 5 per frame
                image = run.screenshot(timeout=3)
            finally:
                run.mouse_up(1)
            for corner in ((0, 0), (639, 0), (0, 479), (639, 479)):
                assert image.pixel(*corner) >= LIGHT_BASE_COLOR, "dark corner %s" % (corner,)

        e2e.run_checks([("start-up panel", start_up_panel), ("help screen", help_screen),
                        ("alt and mouse move the creature", alt_and_mouse_move_the_creature),
                        ("left button held widens the light to the whole screen",
                         left_button_held_widens_the_light_to_the_whole_screen),
                        ("quit message", lambda: quit_with_escape(run))])


def load_file_scenario(program):
    """L with a file of 2 inputs: the loaded-file panel with the path; then a good file."""
    with e2e.Session(program, files={"two.txt": TWO_INPUT_NETWORK,
                                     "good.txt": GOOD_NETWORK}) as run:
        run.wait_ready()

        def loaded_file_panel():
            load_file(run, run.path("two.txt"))
            image = run.screenshot()
            expect_lines(image, LOADED_FILE_PANEL, ERROR_COLOR)
            expect_lines(image, [(15, 140, "Your selected path was:"),
                                 (35, 152, run.path("two.txt"))], INFO_COLOR)

        def good_file_removes_panel():
            load_file(run, run.path("good.txt"))
            image = run.screenshot()
            assert image.count(ERROR_COLOR) == 0, "the error panel is still shown"
            assert image.count(INFO_COLOR) == 0

        e2e.run_checks([("loaded-file panel", loaded_file_panel),
                        ("good file removes the panel", good_file_removes_panel),
                        ("quit", lambda: quit_with_escape(run, check_message=False))])


def default_network(program, network_file):
    """The shipped network: no panel, the creature follows the light, the speed message
    (under a decimal-comma locale where one can be made), Esc."""
    with open(network_file) as source:
        network = source.read()
    locale_dir = tempfile.mkdtemp(prefix="nc_e2e_locale_")
    try:
        env = decimal_comma_environment(locale_dir)
        with e2e.Session(program, files={"config_generated.txt": network}, env=env) as run:
            run.wait_ready()

            def no_panel():
                stop_spotlight(run)
                image = run.screenshot()
                assert image.count(ERROR_COLOR) == 0, "error panel with the default network"

            def follows_the_light():
                image = run.screenshot(wait_pause=2.2)
                light = light_centre(image)
                start = creature_position(image)
                # Put the light's centre 30 px right of and 20 px below the creature.
                run.move_mouse(round(start[0] + 30 - light[0]), round(start[1] + 20 - light[1]))
                time.sleep(1.5)
                image = run.screenshot()
                reached = creature_position(image)
                assert distance(reached, light_centre(image)) < 8, \
                    "creature at %s, light at %s" % (reached, light_centre(image))
                # Lead it away in small steps, as a user would.
                for _ in range(5):
                    run.move_mouse(-20, -12)
                    time.sleep(0.4)
                time.sleep(1.0)
                image = run.screenshot()
                followed = creature_position(image)
                assert distance(followed, light_centre(image)) < 8, \
                    "creature at %s, light at %s" % (followed, light_centre(image))
                assert distance(followed, reached) > 80, "the creature did not follow"

            def speed_message():
                run.key_down("KP_Multiply")
                try:
                    time.sleep(0.3)
                    image = run.screenshot()
                finally:
                    run.key_up("KP_Multiply")
                text = e2e.read_text_right(image, 625, 8, 25, INFO_COLOR)
                assert re.fullmatch(r"speedup_factor = 3\.\d{6}", text), "shown: %r" % text
                assert float(text.split("= ")[1]) > 3.0
                if env:
                    print("(shown under the de_DE.UTF-8 locale)")

            e2e.run_checks([("no error panel", no_panel),
                            ("creature follows the light", follows_the_light),
                            ("speed message", speed_message),
                            ("quit message", lambda: quit_with_escape(run))])
    finally:
        shutil.rmtree(locale_dir, ignore_errors=True)


def no_display(program):
    """Without a display the program says so, tells how to use xvfb-run, and fails."""
    env = {name: value for name, value in os.environ.items() if name != "DISPLAY"}
    workdir = tempfile.mkdtemp(prefix="nc_e2e_")
    try:
        result = subprocess.run([program], cwd=workdir, env=env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=20)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
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
