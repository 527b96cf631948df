"""End-to-end runs of net_lab under Xvfb, read through its own F12 screenshots and captures
of the X screen.

Usage: net_lab_e2e.py SCENARIO PROGRAM EXAMPLES_DIR NET_TRAIN
Scenarios:
  exclusive_or  the exclusive-or training file: paused at start, the help screen, Space
                trains until it converges, the output map shows exclusive-or, S saves
                trained.txt, which net_train finds converged with no pass; Esc.
  problems      a file with unusable patterns names them with their lines and does not
                train; L loads a good file, which then trains; Esc.
  no_display    without a display: a message on stderr and a failure status.
"""

import os
import subprocess
import sys
import time

import e2e_support as e2e

WIDTH, HEIGHT = 800, 600

# Palette entries and places of the program's picture.
MAP_RAMP_BASE = 20
LABEL_COLOR = 89
MAP_X, MAP_Y, MAP_SIZE = 522, 18, 256
STATUS_X, STATUS_Y, LINE_HEIGHT = 508, 330, 11
PROBLEMS_Y = 394

HELP_LINES = [
    (5, 8, "Keys:"),
    (15, 30, "Space - start / pause training"),
    (15, 42, ".   - one training pass"),
    (15, 54, "+ - - more / fewer passes per frame"),
    (15, 66, "R   - back to the weights the file gave"),
    (15, 78, "S   - save the network to trained.txt"),
    (15, 90, "T   - learn thresholds too: on / off"),
    (15, 102, "H   - hold the next share of the patterns out"),
    (15, 126, "L   - load network"),
    (15, 150, "F1  - this help"),
    (15, 162, "F12 - save screenshot (does NOT work in menus)"),
    (15, 174, "Esc - quit program"),
    (15, 198, "Press any key to leave help"),
]


def status_line(image, line, length):
    """Text of the status line `line` (1 the pass count, 2 the state) below the file name."""
    return e2e.read_text(image, STATUS_X, STATUS_Y + line * LINE_HEIGHT, length, e2e.INFO_COLOR)


def state_of(image):
    return status_line(image, 2, 25).replace("?", "").strip()


def wait_for_state(run, wanted, timeout):
    """Screenshots until the state line reads `wanted`; returns that screenshot."""
    deadline = time.monotonic() + timeout
    while True:
        image = run.screenshot()
        shown = state_of(image)
        if shown == "state: " + wanted:
            return image
        assert time.monotonic() < deadline, "state after %s s: %r" % (timeout, shown)


def map_value(image, input1, input2):
    """The output map's ramp step (0 to 63) at a point of the input square."""
    x = MAP_X + round(input1 * (MAP_SIZE - 1))
    y = MAP_Y + round((1 - input2) * (MAP_SIZE - 1))
    return image.pixel(x, y) - MAP_RAMP_BASE


def exclusive_or(program, examples_dir, net_train):
    training = os.path.join(examples_dir, "exclusive_or_training.txt")
    with open(training) as text:
        files = {"config_generated.txt": text.read()}
    with e2e.ready_session(program, WIDTH, HEIGHT, files=files) as run:

        def paused_at_start():
            image = run.screenshot()
            name = e2e.read_text(image, STATUS_X, STATUS_Y, 20, LABEL_COLOR)
            assert name == "config_generated.txt", "file shown: %r" % name
            assert status_line(image, 1, 18) == "passes: 0 of 50000", status_line(image, 1, 18)
            assert state_of(image) == "state: paused", state_of(image)

        def help_screen():
            e2e.check_help_screen(run, HELP_LINES, (385, 212), hold=0.15, wait=0.3, leave_wait=0.5)

        def space_trains_until_converged():
            run.hold_key("space", 0.2)
            image = wait_for_state(run, "converged", timeout=60)
            passes = status_line(image, 1, 24)
            assert passes.startswith("passes: 14716 of 50000"), passes
            # Exclusive-or: low where both inputs agree, high where they differ.
            for corner, high in (((0.05, 0.05), False), ((0.95, 0.95), False),
                                 ((0.05, 0.95), True), ((0.95, 0.05), True)):
                step = map_value(image, *corner)
                assert (step > 48) if high else (step < 16), "map at %r: step %d" % (corner, step)

        def s_saves_a_converged_network():
            run.hold_key("s", 0.2)
            time.sleep(0.3)
            saved = run.path("trained.txt")
            assert os.path.exists(saved), "no trained.txt"
            checked = subprocess.run([net_train, "-t", training, saved], capture_output=True,
                                     text=True, timeout=30)
            assert checked.returncode == 0, checked.stdout + checked.stderr
            assert "passes: 0 " in checked.stdout, checked.stdout
            image = run.screenshot()
            message = e2e.read_text(image, STATUS_X, STATUS_Y + 11 * LINE_HEIGHT + 4, 17,
                                    e2e.INFO_COLOR)
            assert message == "saved trained.txt", "message: %r" % message

        e2e.run_checks([
            ("paused at start", paused_at_start),
            ("help screen", help_screen),
            ("Space trains until converged", space_trains_until_converged),
            ("S saves a converged network", s_saves_a_converged_network),
            ("Esc quits", lambda: e2e.quit_with_escape(run)),
        ])


def problems(program, examples_dir, net_train):
    del net_train
    unusable = ("input_layer: 2\ncomp_layer: 1\n"
                "pattern: 0 1 -> 1\npattern: 0 x -> 1\n")
    with e2e.ready_session(program, WIDTH, HEIGHT, files={"config_generated.txt": unusable}) as run:
        good = run.write_file("good.txt", open(os.path.join(examples_dir,
                                                             "exclusive_or_training.txt")).read())

        def problems_named_with_their_lines():
            run.hold_key("space", 0.2)
            image = run.screenshot()
            e2e.expect_lines(image, [
                (4, PROBLEMS_Y, "Cannot train on this file:"),
                (4, PROBLEMS_Y + LINE_HEIGHT, "config_generated.txt:4: \"pattern:\" token \"x\""),
            ], e2e.ERROR_COLOR)
            assert state_of(image) == "state: no usable patterns", state_of(image)

        def a_loaded_file_trains():
            e2e.load_file(run, good)
            run.hold_key("space", 0.2)
            wait_for_state(run, "converged", timeout=60)

        e2e.run_checks([
            ("problems named with their lines", problems_named_with_their_lines),
            ("a loaded file trains", a_loaded_file_trains),
            ("Esc quits", lambda: e2e.quit_with_escape(run)),
        ])


def no_display(program, examples_dir, net_train):
    del examples_dir, net_train

    def failure_is_reported():
        finished = e2e.run_without_display(program)
        assert finished.returncode != 0, "exit status without a display: 0"
        assert finished.stderr.startswith("net_lab: cannot "), finished.stderr
        assert 'xvfb-run -s "-screen 0 800x600x24"' in finished.stderr, finished.stderr
        # The hint repeats the files, so that it runs what the user asked for.
        with_files = e2e.run_without_display(program, ["my network.txt", "it's.csv"])
        hint = 'xvfb-run -s "-screen 0 800x600x24" %s \'my network.txt\' \'it\'\\\'\'s.csv\'\n' % (
            os.path.abspath(program))
        assert hint in with_files.stderr, with_files.stderr

    e2e.run_checks([("failure is reported", failure_is_reported)])


SCENARIOS = {"exclusive_or": exclusive_or, "problems": problems, "no_display": no_display}


def main():
    if len(sys.argv) != 5 or sys.argv[1] not in SCENARIOS:
        print(__doc__)
        sys.exit(2)
    if sys.argv[1] != "no_display":
        e2e.require_tools("xwd")
    SCENARIOS[sys.argv[1]](*sys.argv[2:])


if __name__ == "__main__":
    main()
